// The "Chart" tab over a Tweets table: it follows the table, shows a bucket on hover and
// saves itself as PNG and SVG.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QImage>
#include <QLineSeries>
#include <QTest>
#include <QValueAxis>
#include <optional>
#include <set>

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

// The texts an SVG drawing shows: what stands between each "<text …>" and its "</text>".
std::set<std::string> SvgTexts(const std::string& svg) {
    std::set<std::string> texts;
    for (std::size_t at = 0; (at = svg.find("<text", at)) != std::string::npos;) {
        const std::size_t open = svg.find('>', at) + 1;
        at = svg.find("</text>", open);
        texts.insert(svg.substr(open, at - open));
    }
    return texts;
}

// How many pixels of the picture's region are dark (text) or of the colour given.
int Pixels(const QImage& image, const QRect& region, std::optional<QRgb> colour = std::nullopt) {
    int found = 0;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            found += colour ? (pixel & 0xFFFFFF) == (*colour & 0xFFFFFF) : qGray(pixel) < 100;
        }
    return found;
}

TEST_F(TweetChartViewTest, TheSavedChartHasTheTitleBothAxesTheirLabelsAndTheLegend) {
    testing::TempFolder folder;
    TweetChartView view(table);
    view.resize(640, 360);
    view.show();
    const QString png = QString::fromStdString((folder / "c.png").string());
    ASSERT_TRUE(view.SaveTo(png));
    ASSERT_TRUE(view.SaveTo(QString::fromStdString((folder / "c.svg").string())));
    EXPECT_FALSE(view.SaveTo(QString::fromStdString((folder / "no" / "c.png").string())));

    const std::set<std::string> texts = SvgTexts(testing::ReadFileBytes(folder / "c.svg"));
    for (const char* shown :
         {"Tweets per hour", "Tweets", "Mean sentiment", "Hour in 2008 (as the table's times stand)",
          "27/08 13:00", "27/08 15:00", "0", "2", "-5", "5", "Mean Sent+", "Mean Sent-"})
        EXPECT_EQ(texts.count(shown), 1u) << shown;

    const QImage image(png);
    ASSERT_EQ(image.size(), QSize(1600, 900));
    struct Region {
        const char* name;
        QRect area;
    };
    for (const Region& r :
         {Region{"title", QRect(400, 0, 800, 70)}, Region{"count axis", QRect(0, 100, 130, 600)},
          Region{"score axis", QRect(1470, 100, 130, 600)}, Region{"time axis", QRect(130, 740, 1340, 60)}})
        EXPECT_GT(Pixels(image, r.area), 200) << r.name;
    // The legend's markers are filled with their series' colours, below the time axis.
    auto* bars = qobject_cast<QBarSeries*>(view.Chart()->series().front());
    ASSERT_NE(bars, nullptr);
    EXPECT_GT(Pixels(image, QRect(0, 820, 1600, 80), bars->barSets().front()->color().rgb()), 50);
}

// What a chart shows of each of its texts: a text that did not fit ends in an ellipsis.
std::vector<std::string> ShownTexts(QChart* chart) {
    std::vector<std::string> texts;
    for (QGraphicsItem* item : chart->scene()->items())
        if (auto* text = dynamic_cast<QGraphicsTextItem*>(item); text && text->isVisible())
            texts.push_back(text->toPlainText().toStdString());
    return texts;
}

TEST_F(TweetChartViewTest, TheTimeAxisShowsWholeLevelLabelsAtAnyWidth) {
    for (int hour = 0; hour < 72; ++hour)
        AddTweet(table, ("Thu Aug 28 " + std::to_string(10 + hour % 10) + ":00:00 +0000 2008").c_str(), "1",
                 "-1");
    for (const int width : {420, 900, 1600}) {
        SCOPED_TRACE(width);
        TweetChartView view(table);
        view.resize(width, 400);
        view.show();
        view.Redraw();
        QApplication::processEvents();
        auto* axis = view.Chart()->findChild<QCategoryAxis*>("TimeAxis");
        if (!axis)
            for (QAbstractAxis* a : view.Chart()->axes(Qt::Horizontal))
                axis = qobject_cast<QCategoryAxis*>(a);
        ASSERT_NE(axis, nullptr);
        const QStringList labels = axis->categoriesLabels();
        EXPECT_GE(labels.size(), 2);
        EXPECT_EQ(labels.front().toStdString(), "27/08 13:00");
        EXPECT_EQ(axis->labelsAngle(), 0);
        const std::vector<std::string> shown = ShownTexts(view.Chart());
        EXPECT_NE(std::find(shown.begin(), shown.end(), "27/08 13:00"), shown.end());
        for (const std::string& text : shown)
            EXPECT_FALSE(text.ends_with("...") || text.ends_with("…")) << text;
    }
}

TEST_F(TweetChartViewTest, AnEstimateCountsInRoundSteps) {
    TweetChartView view(table);
    view.resize(800, 400);
    view.show();
    view.ShowEstimate({{"2026-12-05", 2595}, {"2026-12-06", 1200}, {"2026-12-07", 40}});
    QApplication::processEvents();
    auto* counts = qobject_cast<QValueAxis*>(view.Chart()->axes(Qt::Vertical).front());
    ASSERT_NE(counts, nullptr);
    EXPECT_EQ(counts->max(), 3000);
    EXPECT_EQ(counts->tickType(), QValueAxis::TicksDynamic);
    EXPECT_EQ(counts->tickInterval(), 500);
    const std::vector<std::string> shown = ShownTexts(view.Chart());
    for (const char* tick : {"0", "500", "1000", "2500", "3000"})
        EXPECT_NE(std::find(shown.begin(), shown.end(), tick), shown.end()) << tick;
}

}  // namespace
}  // namespace marlin
