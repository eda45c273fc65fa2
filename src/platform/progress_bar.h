#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <string>

#include "platform/control_model.h"

namespace marlin {

// The progress of a running retrieval: the share done, and once a few pages have arrived
// the rate and the time left ("1,240 tweets/min, about 3 min left"), from the pages of the
// last minute, so a stall or a burst shows within a minute. While a request has been out
// longer than kPatience the text says so instead ("waiting for the service (12 s)").
// Hidden while idle.
class ProgressBar : public ControlModel {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr int kPagesBeforeRate = 3;
    static constexpr std::chrono::seconds kRateWindow{60};
    static constexpr std::chrono::seconds kPatience{5};

    explicit ProgressBar(Clock clock = [] { return std::chrono::steady_clock::now(); });

    // A retrieval starts: shown at 0; unit names what is counted ("tweets", "users"). A run
    // whose end is not known up front (a follower list of an account whose size is not at
    // hand) shows a busy bar and the count instead of a share.
    void Begin(std::string unit, bool endKnown = true);
    // A page arrived: share is the part done (0..1), items what was received so far.
    void Advance(double share, long long items);
    // The retrieval ended: hidden.
    void End();
    // A request is out, its answer awaited; called again and again while it waits.
    void RequestWaiting();
    // The awaited answer came (or the request gave up).
    void RequestAnswered();

    bool EndKnown() const { return m_endKnown; }
    int Percent() const { return static_cast<int>(m_share * 100.0 + 0.5); }
    // Empty until kPagesBeforeRate pages have arrived; with no known end, the count so far
    // ("3,400 users") and from then on the rate.
    const std::string& RateText() const { return m_rateText; }

    // A word beside the rate for the rest of this retrieval (what it has cost so far); Begin
    // clears it.
    void SetNote(std::string note);
    const std::string& Note() const { return m_note; }

    // 1240 -> "1,240".
    static std::string Grouped(long long value);

  private:
    // What the bar knew when a page arrived.
    struct Sample {
        std::chrono::steady_clock::time_point at;
        double share;
        long long items;
    };

    void UpdateRate();
    void ShowText(std::string text);

    Clock m_clock;
    std::deque<Sample> m_samples;  // the first one is the latest at least kRateWindow old
    bool m_waiting = false;
    std::chrono::steady_clock::time_point m_requestSent{};
    std::string m_pageText;  // the rate text, under any waiting text
    std::string m_unit;
    bool m_endKnown = true;
    double m_share = 0;
    long long m_items = 0;
    int m_pages = 0;
    std::string m_rateText;
    std::string m_note;
};

}  // namespace marlin
