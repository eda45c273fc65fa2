// The "Frequencies" tab: its interval column shows each interval whole.
#include "workspace/ui/frequency_view.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QHeaderView>
#include <QTableView>
#include <QTest>

#include "core/tweet_column.h"
#include "workspace/tables/tweet_table.h"

namespace marlin {
namespace {

TEST(FrequencyViewTest, TheIntervalColumnShowsEveryIntervalWhole) {
    ReportList tweets;
    for (const char* header : TweetTable::kHeaders) tweets.AddColumn(header);
    for (const char* time : {"Mon Dec 07 13:10:00 +0000 2026", "Tue Dec 08 09:20:00 +0000 2026"}) {
        std::vector<std::string> cells(TweetColumn::Count);
        cells[TweetColumn::DateTime] = time;
        cells[TweetColumn::Tweet] = "#data";
        tweets.AddRow(cells);
    }
    FrequencyView view(tweets);
    view.resize(460, 400);  // the tab's width beside the Tweets table on a laptop
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    auto* table = view.findChild<QTableView*>("FrequencyTable");
    ASSERT_NE(table, nullptr);
    for (const int interval : {0, 1, 2, 3}) {  // whole table, hour, day, week
        view.findChild<QComboBox*>("FrequencyInterval")->setCurrentIndex(interval);
        view.Count();
        QApplication::processEvents();
        ASSERT_GT(table->model()->rowCount(), 0);
        const QString first = table->model()->index(0, 0).data().toString();
        SCOPED_TRACE(first.toStdString());
        EXPECT_GT(table->horizontalHeader()->sectionSize(0), table->fontMetrics().horizontalAdvance(first));
        EXPECT_GT(table->horizontalHeader()->sectionSize(0),
                  table->fontMetrics().horizontalAdvance("interval"));
    }
}

}  // namespace
}  // namespace marlin
