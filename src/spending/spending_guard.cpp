#include "spending/spending_guard.h"

#include "spending/page_reads.h"
#include "spending/utc_date.h"

namespace marlin {

SpendingGuard::SpendingGuard(const std::filesystem::path& ledgerFile, Prices prices, SpendingLimits limits,
                             Ledger::Run run, Clock clock)
    : m_openProblem(),
      m_ledger(Ledger::Open(ledgerFile, &m_openProblem)),
      m_prices(prices),
      m_limits(limits),
      m_run(std::move(run)),
      m_clock(clock ? std::move(clock) : Clock([] { return std::time(nullptr); })) {}

SpendingGuard::~SpendingGuard() = default;

std::optional<std::string> SpendingGuard::LedgerStop(const char* what) const {
    const std::string& why = m_ledger ? m_ledger->Problem() : m_openProblem;
    return std::string("Stopped: the spending ledger cannot be ") + what + " (" + why + ")";
}

std::optional<LimitCheck::Spent> SpendingGuard::Spent(std::time_t now) {
    LimitCheck::Spent spent{m_totals.spent, {}, {}};
    // Only a day or month limit needs what other runs spent.
    if (m_limits.perDay) {
        const std::optional<Money> day = m_ledger->SpentOn(UtcDate::Day(now));
        if (!day) return std::nullopt;
        spent.day = *day;
    }
    if (m_limits.perMonth) {
        const std::optional<Money> month = m_ledger->SpentIn(UtcDate::Month(now));
        if (!month) return std::nullopt;
        spent.month = *month;
    }
    return spent;
}

std::optional<std::string> SpendingGuard::BeforeRequest(ReadKind kind, int objects) {
    if (!m_ledger || m_ledger->Pending() > 0) return LedgerStop("written");
    ++m_request;
    if (!m_limits.Any()) return std::nullopt;
    const std::optional<LimitCheck::Spent> spent = Spent(m_clock());
    if (!spent) return LedgerStop("read");
    const std::optional<LimitCheck::Stop> stop =
        LimitCheck::Before(m_limits, *spent, LimitCheck::WorstCase(m_prices, kind, objects));
    if (stop) return stop->Message();
    return std::nullopt;
}

std::optional<std::string> SpendingGuard::AfterAnswer(ReadKind kind, std::string_view body) {
    return AfterReads(PageReads::Of(body, kind));
}

std::optional<std::string> SpendingGuard::AfterReads(std::vector<Ledger::Read> reads) {
    if (!m_ledger) return LedgerStop("written");
    const std::time_t now = m_clock();
    if (!m_runId) m_runId = m_ledger->BeginRun(m_run, now);
    for (Ledger::Read& read : reads) read.price = m_prices.Of(read.kind);
    // A run the ledger could not number is still recorded, under run 0, rather than lost.
    const std::optional<Tally> written =
        m_ledger->RecordPage(m_runId.value_or(0), m_request, std::move(reads), now);
    if (!written) return LedgerStop("written");
    m_totals += *written;
    return std::nullopt;
}

std::optional<std::string> SpendingGuard::UsageDifference(const ServiceUsage& usage) {
    const std::string today = UtcDate::Day(m_clock());
    const std::int64_t service = usage.PostsOn(today);
    if (!m_ledger || service < 0) return std::nullopt;
    const std::optional<std::int64_t> ledger = m_ledger->PostsChargedOn(today);
    if (!ledger) return std::nullopt;
    return ServiceUsage::Difference(today, *ledger, service);
}

std::string SpendingGuard::Finish() {
    if (m_ledger) {
        if (const std::optional<Tally> late = m_ledger->Flush()) m_totals += *late;
    }
    std::string line =
        std::to_string(m_totals.posts) + " posts and " + std::to_string(m_totals.users) + " users read, ";
    if (m_totals.counts > 0) line += std::to_string(m_totals.counts) + " counts requests, ";
    line += std::to_string(m_totals.repeats) + " repeats not charged, " + m_totals.spent.Shown() + " spent";
    if (m_ledger && m_ledger->Pending() > 0)
        line += "; " + std::to_string(m_ledger->Pending()) + " reads could not be written to the ledger (" +
                m_ledger->Problem() + ")";
    return line;
}

}  // namespace marlin
