// The "Chart" tab over a Tweets table: it follows the table, shows a bucket on hover and
// saves itself as PNG and SVG.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QImage>
#include <QLineSeries>
#include <QTest>

#include "core/tweet_column.h"
#include "test_support.h"
#include "window_driver.h"
#include "workspace/tweets/tweet_table_view.h"
#include "workspace/ui/tweet_chart_view.h"

namespace marlin {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

void AddTweet(ReportList& table, const char* time, const char* positive, const char* negative) {
    std::vector<std::string> cells(TweetColumn::Count);
    cells[TweetColumn::DateTime] = time;
    cells[TweetColumn::SentPositive] = positive;
    cells[TweetColumn::SentNegative] = negative;
    table.AddRow(cells);
}

std::vector<qreal> BarValues(QChart* chart) {
    std::vector<qreal> values;
    for (QAbstractSeries* series : chart->series())
        if (auto* bars = qobject_cast<QBarSeries*>(series))
            for (int k = 0; k < bars->barSets().front()->count(); ++k)
                values.push_back(bars->barSets().front()->at(k));
    return values;
}

class TweetChartViewTest : public ::testing::Test {
  protected:
    TweetChartViewTest() {
        for (const char* header : TweetTable::kHeaders) table.AddColumn(header);
        AddTweet(table, "Wed Aug 27 13:10:00 +0000 2008", "2", "-1");
        AddTweet(table, "Wed Aug 27 15:20:00 +0000 2008", "4", "-3");
        AddTweet(table, "Wed Aug 27 15:40:00 +0000 2008", "2", "-1");
    }
    ReportList table;
};

TEST_F(TweetChartViewTest, DrawsBarsAndMeansAndFollowsTheTable) {
    TweetChartView view(table);
    view.resize(800, 400);
    view.show();
    EXPECT_THAT(BarValues(view.Chart()), ElementsAre(1, 0, 2));
    ASSERT_EQ(view.Chart()->series().size(), 3);
    auto* positive = qobject_cast<QLineSeries*>(view.Chart()->series()[1]);
    ASSERT_NE(positive, nullptr);
    EXPECT_THAT(positive->points(), ElementsAre(QPointF(0, 2), QPointF(2, 3)));  // the empty hour skipped

    AddTweet(table, "Wed Aug 27 16:00:00 +0000 2008", "1", "-1");
    EXPECT_TRUE(testing::WaitFor([&] { return BarValues(view.Chart()).size() == 4; }));
    table.RemoveRow(0);
    EXPECT_TRUE(testing::WaitFor([&] { return BarValues(view.Chart()) == std::vector<qreal>{2, 1}; }));
    table.ClearRows();
    EXPECT_TRUE(testing::WaitFor([&] { return view.Chart()->series().empty(); }));
}

TEST_F(TweetChartViewTest, HoveringABarShowsItsBucketCountAndMeans) {
    TweetChartView view(table);
    view.show();
    auto* bars = qobject_cast<QBarSeries*>(view.Chart()->series().front());
    ASSERT_NE(bars, nullptr);
    emit bars->barSets().front()->hovered(true, 2);
    EXPECT_EQ(view.HoverText().toStdString(),
              "27/08/2008 15:00: 2 tweets, mean Sent+ 3.00, mean Sent- -2.00");
    emit bars->barSets().front()->hovered(false, 2);
    EXPECT_TRUE(view.HoverText().isEmpty());
}

TEST_F(TweetChartViewTest, SavesAsPngAndSvg) {
    testing::TempFolder folder;
    TweetChartView view(table);
    view.resize(640, 360);
    view.show();
    ASSERT_TRUE(view.SaveTo(QString::fromStdString((folder / "c.png").string())));
    ASSERT_TRUE(view.SaveTo(QString::fromStdString((folder / "c.svg").string())));
    EXPECT_THAT(testing::ReadFileBytes(folder / "c.png"), StartsWith("\x89PNG"));
    EXPECT_THAT(testing::ReadFileBytes(folder / "c.svg"), HasSubstr("<svg"));
    EXPECT_EQ(QImage(QString::fromStdString((folder / "c.png").string())).size(), QSize(1600, 900));
    EXPECT_FALSE(view.SaveTo(QString::fromStdString((folder / "no" / "c.png").string())));
}

TEST_F(TweetChartViewTest, TheTimeAxisLabelsAsManyBucketsAsFitLevelAndWhole) {
    for (int hour = 0; hour < 72; ++hour)
        AddTweet(table, ("Thu Aug 28 " + std::to_string(10 + hour % 10) + ":00:00 +0000 2008").c_str(), "1",
                 "-1");
    TweetChartView view(table);
    view.resize(900, 400);
    view.show();
    view.Redraw();
    auto* axis = view.Chart()->findChild<QCategoryAxis*>("TimeAxis");
    if (!axis)
        for (QAbstractAxis* a : view.Chart()->axes(Qt::Horizontal)) axis = qobject_cast<QCategoryAxis*>(a);
    ASSERT_NE(axis, nullptr);
    const QStringList labels = axis->categoriesLabels();
    ASSERT_GE(labels.size(), 2);
    EXPECT_LE(labels.size() * view.fontMetrics().horizontalAdvance(labels.front()), 900);
    EXPECT_EQ(labels.front().toStdString(), "27/08/2008 13:00");
    EXPECT_EQ(axis->labelsAngle(), 0);
}

}  // namespace
}  // namespace marlin
