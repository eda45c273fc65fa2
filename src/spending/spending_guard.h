#pragma once

#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "spending/ledger.h"
#include "spending/limit_check.h"
#include "spending/prices.h"
#include "spending/service_usage.h"
#include "spending/spending_limits.h"

namespace marlin {

// One run's spending: the limit check before each request and the ledger after each page.
// The capture asks BeforeRequest before it sends anything that the service charges for, and
// stops with the line it gets back; it hands every answered page to AfterAnswer, and stops
// before its next request when the ledger could not take it.
class SpendingGuard {
  public:
    using Clock = std::function<std::time_t()>;

    // Opens the ledger file (in the program folder); a ledger that cannot be opened stops
    // the run at its first request, with the reason.
    SpendingGuard(const std::filesystem::path& ledgerFile, Prices prices, SpendingLimits limits,
                  Ledger::Run run, Clock clock = {});
    ~SpendingGuard();
    SpendingGuard(const SpendingGuard&) = delete;
    SpendingGuard& operator=(const SpendingGuard&) = delete;

    // Before a request of `objects` posts or users (its max_results, or the ids it names),
    // or a counts request: nothing when it may go, else the line the capture ends with.
    std::optional<std::string> BeforeRequest(ReadKind kind, int objects);
    // After the service answered that request with a page (HTTP 200): its reads into the
    // ledger. Nothing when they are recorded, else the line the capture ends with.
    std::optional<std::string> AfterAnswer(ReadKind kind, std::string_view body);
    // The same for a page whose reads the capture took from its own reading of the answer
    // (the ids its translation found), so that the body is not read a second time. Prices
    // are set here.
    std::optional<std::string> AfterReads(std::vector<Ledger::Read> reads);
    // At the end of the run: writes what failed pages left, and gives the run's end line:
    // "2700 posts and 3 users read, 12 repeats not charged, $13.44 spent".
    std::string Finish();

    // The line for the request log when the service's count of today's (UTC) posts and the
    // ledger's differ by more than 1 %; nothing when they agree, or when either has no figure.
    std::optional<std::string> UsageDifference(const ServiceUsage& usage);

    // What this run read and spent, as the ledger took it.
    const Tally& Totals() const { return m_totals; }

  private:
    std::optional<std::string> LedgerStop(const char* what) const;
    std::optional<LimitCheck::Spent> Spent(std::time_t now);

    std::string m_openProblem;  // before the ledger: opening it writes here
    std::unique_ptr<Ledger> m_ledger;
    Prices m_prices;
    SpendingLimits m_limits;
    Ledger::Run m_run;
    Clock m_clock;
    std::optional<std::int64_t> m_runId;
    std::int64_t m_request = 0;
    Tally m_totals;
};

}  // namespace marlin
