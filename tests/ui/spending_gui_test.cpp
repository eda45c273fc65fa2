// Settings › "Prices…" and "Spending Limits…", the run's limit asked with the estimate, and
// Tools › "Spending…", driven through the real widgets against the emulator.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <ctime>

#include "gui_window_test.h"
#include "spending/ledger.h"

namespace marlin::testing {
namespace {

using ::testing::Contains;

// Many posts a day in the small corpus.
constexpr const char* kBroadQuery = "the OR a OR birthday OR path OR Привет";

class SpendingGuiTest : public GuiWindowTest {
  protected:
    void Open() {
        tk.onDoEvents = [] { QCoreApplication::processEvents(); };
        OpenWindow();
        Authenticate();
        QCoreApplication::processEvents();
    }
    QDialog* Dialog(const char* name) { return window->findChild<QDialog*>(name); }
    std::string Text(const char* name) { return Find<QLineEdit>(name)->text().toStdString(); }
    std::string Prefs() { return ReadFileBytes(File("prefs")); }
    void TypeAndOk(const char* dialog, const char* field, const std::string& text) {
        Type(field, text);
        Click((std::string(dialog) + "OK").c_str());
    }
};

TEST_F(SpendingGuiTest, PricesAndLimitsAreKeptOnlyWhenChangedAndALimitStopsTheCapture) {
    StartService(SmallCorpus(), false);
    Open();
    Action("mPrices")->trigger();
    ASSERT_TRUE(Dialog("PricesDialog")->isVisible());
    EXPECT_EQ(Text("PriceField(0)") + " " + Text("PriceField(1)") + " " + Text("PriceField(2)") + " " +
                  Text("PriceField(3)"),
              "0.005 0.01 0.005 0.01");
    Click("PricesDialogOK");
    EXPECT_FALSE(Dialog("PricesDialog")->isVisible());
    ASSERT_TRUE(frm->Session().SavePrefs());
    for (const char* tag : {"PP-", "PU-", "PC-", "PF-", "LD-", "LM-"})
        EXPECT_THAT(Prefs(), Not(HasSubstr(tag)));

    // A bad amount is said and keeps the dialog open; a changed price is kept at once.
    Action("mPrices")->trigger();
    TypeAndOk("PricesDialog", "PriceField(1)", "a lot");
    EXPECT_TRUE(Dialog("PricesDialog")->isVisible());
    EXPECT_EQ(tk.messages.back().text, std::string("\"User read\"") + SpendingCommands::kBadAmount);
    TypeAndOk("PricesDialog", "PriceField(1)", "0.012");
    EXPECT_FALSE(Dialog("PricesDialog")->isVisible());
    EXPECT_THAT(Prefs(), HasSubstr("\r\nPU-0.012\r\n"));
    EXPECT_THAT(Prefs(), Not(HasSubstr("PP-")));

    Action("mSpendingLimits")->trigger();
    EXPECT_EQ(Text("LimitField(0)") + Text("LimitField(1)"), "");
    TypeAndOk("LimitsDialog", "LimitField(0)", "1");
    EXPECT_THAT(Prefs(), HasSubstr("\r\nLD-1.00\r\n"));
    EXPECT_THAT(Prefs(), Not(HasSubstr("LM-")));

    // Two requests of 100 posts fit the day's $1.00; the third is never sent.
    frm->Service().SetApiV2(true);
    W().Settings.SearchLang.clear();
    BackDays(3);
    TweetCtl().SearchQuery.SetText(kBroadQuery);
    Click("GetSrch");
    EXPECT_THAT(tk.MessageTexts(),
                Contains("Stopped at the daily spending limit of $1.00 ($1.00 spent today (UTC))"));
    EXPECT_EQ(CountRequests("/2/tweets/search/recent"), 2);
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), 200);
    EXPECT_THAT(W().RetrievalBar.Note(), StartsWith("$1.00 spent"));

    // The next start brings them back into the dialogs.
    OpenWindow();
    Authenticate();
    Action("mSpendingLimits")->trigger();
    EXPECT_EQ(Text("LimitField(0)"), "1.00");
    Click("LimitsDialogCancel");
    Action("mPrices")->trigger();
    EXPECT_EQ(Text("PriceField(1)"), "0.012");
}

TEST_F(SpendingGuiTest, TheRunsLimitIsAskedWithTheEstimateWhichKnowsTodaysReads) {
    StartService(SmallCorpus(), false);
    Open();
    frm->Service().SetApiV2(true);
    W().Settings.SearchLang.clear();
    BackDays(2);
    TweetCtl().SearchQuery.SetText(kBroadQuery);
    Action("mEstimateVolume")->trigger();
    auto figure = [this](int i) {
        return window->findChild<QLabel*>(QStringLiteral("EstimateFigure(%1)").arg(i))->text().toStdString();
    };
    const long long posts = std::stoll(figure(0));
    ASSERT_GT(posts, 100);
    EXPECT_EQ(figure(4), (Money::Micros(5000) * posts + Money::Micros(5000)).Shown() + ": " +
                             std::to_string(posts) + " posts at $0.005 and the counts at $0.005");
    EXPECT_EQ(figure(5), "0 posts, not charged again");
    EXPECT_EQ(figure(6), "none is crossed");

    Type("EstimateRunLimit", "0.5");
    EXPECT_THAT(figure(6), StartsWith("The spending limit of $0.50 for this run stops it at "));
    QTest::mouseClick(window->findChild<QPushButton*>("EstimateCapture"), Qt::LeftButton);
    EXPECT_THAT(tk.MessageTexts(), Contains("Stopped at the spending limit of $0.50 ($0.50 spent this run)"));
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), 100);
    // The limit was this run's alone.
    EXPECT_FALSE(W().Settings.spendingLimits.perRun);

    // Asked again: the hundred posts read are not charged again.
    tk.messageAnswers = {MsgResult::No};
    Action("mEstimateVolume")->trigger();
    EXPECT_EQ(figure(5), "100 posts, not charged again");
    EXPECT_THAT(figure(4), HasSubstr(": " + std::to_string(std::stoll(figure(0)) - 100) + " posts at"));
}

TEST_F(SpendingGuiTest, TheSpendingWindowShowsTheLedgerByDayAndMonthWithTheLimits) {
    StartService(SmallCorpus(), false);
    {
        std::string problem;
        std::unique_ptr<Ledger> ledger = Ledger::Open(File(Ledger::kFileName), &problem);
        ASSERT_TRUE(ledger) << problem;
        const std::time_t nov3 = 1793707200, nov4 = nov3 + 86400, oct20 = nov3 - 14 * 86400;
        const Money post = Money::Micros(5000), user = Money::Micros(10000);
        const std::int64_t run = *ledger->BeginRun({"search", "q", "v2"}, oct20);
        using R = Ledger::Read;
        ASSERT_TRUE(ledger->RecordPage(run, 1, {{ReadKind::CountsRecent, "", post, 0}}, oct20));
        ASSERT_TRUE(ledger->RecordPage(
            run, 2, {{ReadKind::Post, "1", post}, {ReadKind::Post, "2", post}, {ReadKind::User, "u", user}},
            nov3));
        // Post 1 again the next day is charged again; post 4 twice that day once.
        ASSERT_TRUE(
            ledger->RecordPage(run, 3, {{ReadKind::Post, "1", post}, {ReadKind::Post, "4", post}}, nov4));
        ASSERT_TRUE(ledger->RecordPage(run, 4, {R{ReadKind::Post, "4", post}}, nov4));
    }
    Open();
    W().Settings.spendingLimits = {std::nullopt, Money::Micros(20000), std::nullopt};
    Action("mSpending")->trigger();
    ASSERT_TRUE(Dialog("SpendingWindow")->isVisible());
    auto* period = Find<QComboBox>("SpendingPeriod");
    period->setCurrentIndex(period->findData(QStringLiteral("2026-11")));
    auto rows = [this] {
        std::vector<std::string> lines;
        auto* table = Find<QTableWidget>("SpendingTable");
        for (int r = 0; r < table->rowCount(); ++r) {
            std::string line;
            for (int c = 0; c < table->columnCount(); ++c) {
                if (c > 0) line += ',';
                line += table->item(r, c)->text().toStdString();
            }
            lines.push_back(line);
        }
        return lines;
    };
    EXPECT_THAT(rows(), ElementsAre("2026-11-03,2,1,0,0,$0.02", "2026-11-04,3,0,0,1,$0.01"));
    EXPECT_EQ(Find<QLabel>("SpendingProblem")->text(), "Limit: $0.02 a day");
    const SpendingOverview days = frm->Spending().Overview("2026-11");
    EXPECT_EQ(days.Top(), Money::Micros(20000));
    EXPECT_DOUBLE_EQ(days.Share(days.rows[1].spent), 0.5);

    period->setCurrentIndex(0);
    EXPECT_THAT(rows(), ElementsAre("2026-10,0,0,1,0,$0.005", "2026-11,5,1,0,1,$0.03"));
    EXPECT_EQ(Find<QLabel>("SpendingProblem")->text(), "No limit per month");

    // The service read nothing for this application today, and neither did the ledger.
    Click("SpendingCompare");
    EXPECT_THAT(Find<QLabel>("SpendingUsage")->text().toStdString(), HasSubstr("they agree"));
}

}  // namespace
}  // namespace marlin::testing
