#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/model_change.h"

namespace marlin {

// The observer list behind every control model. A view subscribes and keeps the
// returned Subscription; dropping it unsubscribes. Either side may die first: a
// subscription that outlives its notifier just reports itself inactive, which is how
// a Qt adapter knows its model is gone and must not be touched any more.
class ChangeNotifier {
  public:
    using Callback = std::function<void(const ModelChange&)>;

    class Subscription {
      public:
        Subscription() = default;
        Subscription(Subscription&& other) noexcept;
        Subscription& operator=(Subscription&& other) noexcept;
        Subscription(const Subscription&) = delete;
        Subscription& operator=(const Subscription&) = delete;
        ~Subscription();

        // True while the notifier (the model) still exists and this subscription is live.
        bool Active() const;
        void Reset();

      private:
        friend class ChangeNotifier;
        struct State;
        Subscription(std::weak_ptr<State> state, int id) : m_state(std::move(state)), m_id(id) {}
        std::weak_ptr<State> m_state;
        int m_id = 0;
    };

    ChangeNotifier();
    ChangeNotifier(const ChangeNotifier&) = delete;
    ChangeNotifier& operator=(const ChangeNotifier&) = delete;
    ~ChangeNotifier();

    [[nodiscard]] Subscription Subscribe(Callback callback);
    void Notify(const ModelChange& change) const;
    int SubscriberCount() const;

  private:
    std::shared_ptr<Subscription::State> m_state;
};

using Subscription = ChangeNotifier::Subscription;

}  // namespace marlin
