#include "platform/change_notifier.h"

#include <algorithm>

namespace marlin {

struct ChangeNotifier::Subscription::State {
    struct Entry {
        int id;
        Callback callback;
    };
    std::vector<Entry> entries;
    int nextId = 1;
    int notifying = 0;  // depth of Notify calls running
    bool removedWhileNotifying = false;
};

ChangeNotifier::Subscription::Subscription(Subscription&& other) noexcept
    : m_state(std::move(other.m_state)), m_id(other.m_id) {
    other.m_state.reset();
}

ChangeNotifier::Subscription& ChangeNotifier::Subscription::operator=(Subscription&& other) noexcept {
    if (this != &other) {
        Reset();
        m_state = std::move(other.m_state);
        m_id = other.m_id;
        other.m_state.reset();
    }
    return *this;
}

ChangeNotifier::Subscription::~Subscription() {
    Reset();
}

bool ChangeNotifier::Subscription::Active() const {
    return !m_state.expired();
}

void ChangeNotifier::Subscription::Reset() {
    auto state = m_state.lock();
    m_state.reset();
    if (!state) return;
    for (auto& entry : state->entries) {
        if (entry.id != m_id) continue;
        // Erasing would shift the list under a running Notify; blank the entry instead.
        if (state->notifying > 0) {
            entry.callback = nullptr;
            state->removedWhileNotifying = true;
        } else {
            entry = std::move(state->entries.back());
            state->entries.pop_back();
        }
        return;
    }
}

ChangeNotifier::ChangeNotifier() : m_state(std::make_shared<Subscription::State>()) {}

ChangeNotifier::~ChangeNotifier() = default;

ChangeNotifier::Subscription ChangeNotifier::Subscribe(Callback callback) {
    int id = m_state->nextId++;
    m_state->entries.push_back({id, std::move(callback)});
    return Subscription(m_state, id);
}

void ChangeNotifier::Notify(const ModelChange& change) const {
    // Keep the state alive even if a callback destroys the model that owns us.
    std::shared_ptr<Subscription::State> state = m_state;
    ++state->notifying;
    // Index loop: subscribers added by a callback are appended and also hear this change.
    for (std::size_t i = 0; i < state->entries.size(); ++i) {
        if (state->entries[i].callback) {
            Callback callback = state->entries[i].callback;
            callback(change);
        }
    }
    if (--state->notifying == 0 && state->removedWhileNotifying) {
        std::erase_if(state->entries, [](const auto& entry) { return !entry.callback; });
        state->removedWhileNotifying = false;
    }
}

int ChangeNotifier::SubscriberCount() const {
    return static_cast<int>(std::count_if(m_state->entries.begin(), m_state->entries.end(),
                                          [](const auto& entry) { return entry.callback != nullptr; }));
}

}  // namespace marlin
