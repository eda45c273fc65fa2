#include "workspace/costs/spending_commands.h"

#include <algorithm>
#include <ctime>

#include "spending/ledger.h"
#include "spending/service_usage.h"
#include "spending/utc_date.h"

namespace marlin {

SpendingCommands::SpendingCommands(MainWindowState& window) : m_window(window) {
    mPrices.SetCaption("Prices…");
    mSpendingLimits.SetCaption("Spending Limits…");
    mSpending.SetCaption("Spending…");
    mPrices.SetAction([this] { mPrices_Click(); });
    mSpendingLimits.SetAction([this] { mSpendingLimits_Click(); });
    mSpending.SetAction([this] { mSpending_Click(); });
}

void SpendingCommands::mPrices_Click() {
    const Prices& p = m_window.Settings.prices;
    const Money shown[] = {p.postRead, p.userRead, p.countsRecent, p.countsAll};
    for (std::size_t i = 0; i < PriceFields.size(); ++i) PriceFields[i].SetText(shown[i].Text());
    if (m_showPrices) m_showPrices();
}

std::optional<std::vector<std::optional<Money>>> SpendingCommands::Amounts(std::span<const TextBox> fields,
                                                                           std::span<const char* const> names,
                                                                           bool mayBeEmpty) const {
    std::vector<std::optional<Money>> amounts;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string& text = fields[i].Text();
        const bool empty = text.find_first_not_of(' ') == std::string::npos;
        amounts.push_back(mayBeEmpty && empty ? std::nullopt : Money::Parse(text));
        if (amounts.back() || (mayBeEmpty && empty)) continue;
        m_window.Tk.MessageBox(std::string("\"") + names[i] + "\"" + kBadAmount,
                               mayBeEmpty ? kLimitsTitle : kPricesTitle, MsgButtons::OK,
                               MsgIcon::Exclamation);
        return std::nullopt;
    }
    return amounts;
}

bool SpendingCommands::PricesOK_Click() {
    const auto amounts = Amounts(PriceFields, kPriceNames, false);
    if (!amounts) return false;
    const Prices prices{*(*amounts)[0], *(*amounts)[1], *(*amounts)[2], *(*amounts)[3]};
    if (prices != m_window.Settings.prices) {
        m_window.Settings.prices = prices;
        Changed();
    }
    return true;
}

void SpendingCommands::mSpendingLimits_Click() {
    const SpendingLimits& l = m_window.Settings.spendingLimits;
    const std::optional<Money> shown[] = {l.perDay, l.perMonth};
    for (std::size_t i = 0; i < LimitFields.size(); ++i)
        LimitFields[i].SetText(shown[i] ? shown[i]->Text() : "");
    if (m_showLimits) m_showLimits();
}

bool SpendingCommands::LimitsOK_Click() {
    const auto amounts = Amounts(LimitFields, kLimitNames, true);
    if (!amounts) return false;
    SpendingLimits limits = m_window.Settings.spendingLimits;
    limits.perDay = (*amounts)[0];
    limits.perMonth = (*amounts)[1];
    if (limits != m_window.Settings.spendingLimits) {
        m_window.Settings.spendingLimits = limits;
        Changed();
    }
    return true;
}

void SpendingCommands::Changed() {
    if (m_changed) m_changed();
}

void SpendingCommands::mSpending_Click() {
    if (m_showSpending) m_showSpending();
}

SpendingOverview SpendingCommands::Overview(const std::optional<std::string>& month) const {
    return SpendingOverview::FromLedger(m_window.AppFolder, month, m_window.Settings.spendingLimits);
}

std::vector<std::string> SpendingCommands::Months() const {
    std::vector<std::string> months{UtcDate::Month(std::time(nullptr))};
    for (const SpendingOverview::Row& row : Overview(std::nullopt).rows)
        if (std::find(months.begin(), months.end(), row.period) == months.end()) months.push_back(row.period);
    std::sort(months.rbegin(), months.rend());
    return months;
}

std::string SpendingCommands::CompareUsage_Click() {
    MainWindowState& w = m_window;
    const std::string today = UtcDate::Day(std::time(nullptr));
    std::string line;
    std::optional<ServiceUsage> usage;
    try {
        const RequestOutcome answer = w.Engine.Client().GetUsage();
        if (answer.Answered()) usage = ServiceUsage::Read(answer.body);
        if (!usage) line = "The service's own count of the posts read did not come: " + answer.responseCode;
    } catch (const std::exception& error) {
        line = std::string("The service's own count of the posts read did not come: ") + error.what();
    }
    if (usage) {
        std::string problem;
        std::optional<std::int64_t> ledgerPosts = std::int64_t{0};  // no ledger: nothing read
        const std::filesystem::path file = w.AppFolder / Ledger::kFileName;
        std::error_code missing;
        if (std::filesystem::exists(file, missing)) {
            std::unique_ptr<Ledger> ledger = Ledger::Open(file, &problem);
            ledgerPosts = ledger ? ledger->PostsChargedOn(today) : std::nullopt;
            if (ledger && !ledgerPosts) problem = ledger->Problem();
        }
        const std::int64_t servicePosts = std::max<std::int64_t>(usage->PostsOn(today), 0);
        if (!ledgerPosts)
            line = "The spending ledger cannot be read: " + problem;
        else
            line =
                ServiceUsage::Difference(today, *ledgerPosts, servicePosts)
                    .value_or("Today (UTC) the service counts " + std::to_string(servicePosts) +
                              " posts read and the ledger " + std::to_string(*ledgerPosts) + ": they agree");
    }
    w.Events().Log(line);
    return line;
}

}  // namespace marlin
