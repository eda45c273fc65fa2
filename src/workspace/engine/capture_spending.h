#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "spending/spending_guard.h"
#include "workspace/engine/capture_request.h"

namespace marlin {

// The spending of one v2 capture, as the engine keeps it for every request the run makes:
// before a request, its worst case against the run's, the day's and the month's limits;
// after an answer, its reads into the ledger, and the service's refusal once its monthly
// cap of post reads is spent. Each says why the run must stop, when it must.
class CaptureSpending {
  public:
    static constexpr const char* kCapSpent =
        "Stopped: the service's cap of post reads for this month is spent (UsageCapExceeded)";

    CaptureSpending(const std::filesystem::path& ledgerFile, const CaptureRequest& request);

    std::optional<std::string> BeforeRequest(const std::string& url);
    std::optional<std::string> AfterAnswer(const std::string& url, int status, const std::string& body);
    // The run's end line: "2700 posts and 3 users read, 12 repeats not charged, $13.44 spent".
    std::string Finish() { return m_guard.Finish(); }
    // The log line when the service's usage answer and the ledger differ by more than 1 %.
    std::optional<std::string> UsageDifference(const std::string& usageBody);
    const Tally& Totals() const { return m_guard.Totals(); }

    // The run as the ledger keeps it: "search" and its query, "timelines" and its accounts…
    static Ledger::Run RunOf(const CaptureRequest& request);

  private:
    SpendingGuard m_guard;
};

}  // namespace marlin
