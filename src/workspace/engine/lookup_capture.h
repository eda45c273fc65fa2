#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "workspace/engine/capture_run.h"
#include "workspace/engine/counted_progress.h"

namespace marlin {

// The profiles of the request's accounts, 100 to a request, into the run's users; a spent
// or nearly spent look-up window is waited out on the run's clock before the batch that
// would meet it. A look-up that ends early (the wait or the look-up cancelled) says "User
// table update was not completed"; what arrived stays.
class LookupCapture {
  public:
    // At most this many names or ids go into one users/lookup request.
    static constexpr int kLookupBatch = 100;
    // Below this many look-ups left in the window, the look-up waits for the next window.
    static constexpr int kLookupQuotaLow = 5;
    // A v2 look-up of more users than this says its cost and asks first.
    static constexpr int kFreeOfQuestion = 100;
    static constexpr const char* kCostTitle = "Cost of the look-up";
    // The quota wait checks the clock and lets events run this often.
    static constexpr int kWaitStepMilliseconds = 100;

    static constexpr const char* kQuotaWarning =
        "Approaching API quota limit for this window. Pausing until ";
    static constexpr const char* kNotCompleted = "User table update was not completed";

    explicit LookupCapture(CaptureRun& run) : m_run(run), m_lookedUp(run.Events()) {}

    // False when the look-up ended before its last batch.
    bool Run();

  private:
    class Batches;

    // The look-up window is spent or nearly so, and its next start is known.
    bool QuotaLow() const;
    // Says what a v2 look-up of this many users costs and asks; true to go on.
    bool CostAccepted(int64_t users);
    // The entries of the list no record answers to (by screen name in any case, or id).
    std::vector<std::string> NotFound(const std::vector<std::string>& asked) const;
    void ShowQuota();

    CaptureRun& m_run;
    CountedProgress m_lookedUp;  // names looked up of those asked for
};

}  // namespace marlin
