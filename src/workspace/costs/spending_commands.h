#pragma once

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/menu_item.h"
#include "platform/text_box.h"
#include "workspace/costs/spending_overview.h"
#include "workspace/main_window_state.h"

namespace marlin {

// Settings › "Prices…" and "Spending Limits…", Tools › "Spending…". The two settings dialogs
// are forms over the text boxes here: a menu item fills them from the settings and has the
// window show its dialog, and the dialog's OK hands them back, checked. The Spending window
// shows SpendingOverview and asks for the service's own count here.
class SpendingCommands {
  public:
    static constexpr const char* kPricesTitle = "Prices";
    static constexpr const char* kLimitsTitle = "Spending Limits";
    static constexpr const char* kSpendingTitle = "Spending";
    // The prices in the dialog's order.
    static constexpr std::array<const char*, 4> kPriceNames{
        "Post read", "User read", "Counts request (recent)", "Counts request (full archive)"};
    static constexpr std::array<const char*, 2> kLimitNames{"Per UTC day", "Per calendar month"};
    static constexpr const char* kBadAmount = " must be an amount in dollars, such as 0.005 or 25.";

    explicit SpendingCommands(MainWindowState& window);
    SpendingCommands(const SpendingCommands&) = delete;
    SpendingCommands& operator=(const SpendingCommands&) = delete;

    MenuItem mPrices, mSpendingLimits, mSpending;
    std::array<TextBox, 4> PriceFields;
    // Empty for no limit; 0 allows nothing.
    std::array<TextBox, 2> LimitFields;

    void mPrices_Click();
    // OK of the Prices dialog: true when every price was taken; otherwise the first bad one
    // is said and nothing changes.
    bool PricesOK_Click();
    void mSpendingLimits_Click();
    bool LimitsOK_Click();
    void mSpending_Click();

    // The Spending window's figures: the days of a month ("2026-12"), or every month.
    SpendingOverview Overview(const std::optional<std::string>& month) const;
    // The months the ledger holds, newest first, this month always among them.
    std::vector<std::string> Months() const;
    // The service's count of today's posts (UTC) held against the ledger's, as a line that is
    // also logged.
    std::string CompareUsage_Click();

    // The window's dialogs, shown once their text boxes are filled.
    void SetShowPricesAction(std::function<void()> show) { m_showPrices = std::move(show); }
    void SetShowLimitsAction(std::function<void()> show) { m_showLimits = std::move(show); }
    void SetShowSpendingAction(std::function<void()> show) { m_showSpending = std::move(show); }
    // After a setting changed: the session keeps it in prefs at once, so a limit holds for
    // the command line and after a crash too.
    void SetChangedAction(std::function<void()> changed) { m_changed = std::move(changed); }

  private:
    // The amounts of the fields in order (none for an empty field that may be empty);
    // nothing when one is no amount, which is said.
    std::optional<std::vector<std::optional<Money>>> Amounts(std::span<const TextBox> fields,
                                                             std::span<const char* const> names,
                                                             bool mayBeEmpty) const;
    void Changed();

    MainWindowState& m_window;
    std::function<void()> m_showPrices, m_showLimits, m_showSpending, m_changed;
};

}  // namespace marlin
