// The "Network" tab over a Tweets table, offscreen: the graph is drawn with its top nodes,
// hovering a node names it with its measures, and the picture is saved as PNG and SVG.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QPainter>
#include <QTest>

#include "../export/tweet_rows.h"
#include "test_support.h"
#include "workspace/ui/network_canvas.h"
#include "workspace/ui/network_view.h"

namespace marlin::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

class NetworkViewTest : public ::testing::Test {
  protected:
    NetworkViewTest() {
        std::vector<TweetRow> rows;
        // Everyone answers the hub; the hub names two of them.
        for (const char* name : {"ann", "ben", "cid", "dot", "eve"})
            rows.push_back({"Wed Aug 27 13:10:00 +0000 2008", name, "@Hub hello", std::string(name) + "1"});
        rows.push_back({"Wed Aug 27 14:10:00 +0000 2008", "Hub", "thanks @ann and @ben", "h1"});
        FillTweets(table, rows);
    }

    // The canvas point where a node is drawn.
    static QPoint PointOf(const NetworkView& view, int node) {
        const NetworkPicture::Point p = view.Picture()->Position(node);
        const QSize size = view.Canvas()->size();
        return QPoint(static_cast<int>(24 + p.x * (size.width() - 48)),
                      static_cast<int>(24 + p.y * (size.height() - 48)));
    }

    ReportList table;
};

TEST_F(NetworkViewTest, DrawsTheGraphWithItsTopNodesAndFollowsTheTable) {
    NetworkView view(table);
    view.resize(900, 500);
    view.show();
    ASSERT_NE(view.Picture(), nullptr);
    EXPECT_EQ(view.Picture()->DrawnNodes().size(), 6u);
    EXPECT_EQ(view.Picture()->DrawnEdges().size(), 7u);
    ASSERT_GE(view.TopTable().RowCount(), 1);
    EXPECT_EQ(view.TopTable().Cell(0, 0), "Hub");  // the highest PageRank
    EXPECT_EQ(view.TopTable().Column(1).header, "pagerank");

    const QImage shown = view.Canvas()->grab().toImage();
    int painted = 0;
    for (int y = 0; y < shown.height(); y += 2)
        for (int x = 0; x < shown.width(); x += 2) painted += shown.pixelColor(x, y) != Qt::white;
    EXPECT_GT(painted, 100);

    table.AddRow(std::vector<std::string>(TweetColumn::Count));  // a change marks it stale
    view.hide();
    view.show();
    EXPECT_EQ(view.Picture()->Graph().nodes.size(), 6u);  // a row without an author adds nothing
}

// The measure a name in the measure list stands for.
NetworkPicture::Measure MeasureNamed(const QString& name) {
    using Measure = NetworkPicture::Measure;
    for (const Measure measure :
         {Measure::InDegree, Measure::OutDegree, Measure::WeightedIn, Measure::WeightedOut,
          Measure::Betweenness, Measure::PageRank, Measure::KCore})
        if (name == NetworkMeasures::MeasureName(measure)) return measure;
    ADD_FAILURE() << "no measure named " << name.toStdString();
    return Measure::PageRank;
}

// The canvas paints on a worker thread and keeps the result: what it shows must be what the
// painter draws, for the measure and the size of the moment.
TEST_F(NetworkViewTest, TheCanvasShowsWhatThePainterDrawsForTheMeasureAndSizeOfTheMoment) {
    NetworkView view(table);
    view.resize(900, 500);
    view.show();
    const NetworkPicture& picture = *view.Picture();
    const auto painted = [&picture](NetworkPicture::Measure measure, QSize size) {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        NetworkCanvas::Paint(painter, QRectF(QPointF(0, 0), QSizeF(size)), picture, measure);
        return image;
    };
    EXPECT_EQ(NetworkCanvas::Render(picture, NetworkPicture::Measure::PageRank, QSize(1600, 900)),
              painted(NetworkPicture::Measure::PageRank, QSize(1600, 900)));

    auto* measures = view.findChild<QComboBox*>("NetworkMeasure");
    ASSERT_NE(measures, nullptr);
    const auto shown = [&view] {
        return view.Canvas()->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    const auto expected = [&] {
        return painted(MeasureNamed(measures->currentText()), view.Canvas()->size());
    };
    for (const int index : {0, measures->count() - 1}) {
        measures->setCurrentIndex(index);
        EXPECT_EQ(shown(), expected()) << measures->currentText().toStdString();
    }
    view.resize(700, 400);
    EXPECT_EQ(shown(), expected()) << "resized";
}

TEST_F(NetworkViewTest, HoveringANodeNamesItWithItsMeasures) {
    NetworkView view(table);
    view.resize(900, 500);
    view.show();
    const NetworkGraph& graph = view.Picture()->Graph();
    const int hub = static_cast<int>(
        std::find_if(graph.nodes.begin(), graph.nodes.end(), [](const auto& n) { return n.id == "hub"; }) -
        graph.nodes.begin());
    const QPoint at = PointOf(view, hub);
    EXPECT_THAT(view.Canvas()->DescribeAt(at).toStdString(), StartsWith("Hub — posts 1, in_degree 5"));
    QTest::mouseMove(view.Canvas(), at);
    EXPECT_THAT(view.HoverText().toStdString(), HasSubstr("pagerank"));
    EXPECT_TRUE(view.Canvas()->DescribeAt(QPoint(-200, -200)).isEmpty());
}

TEST_F(NetworkViewTest, SavesThePictureAsPngAndSvgAtAFixedSize) {
    TempFolder folder;
    NetworkView view(table);
    view.resize(400, 300);
    view.show();
    const QString png = QString::fromStdString((folder / "n.png").string());
    ASSERT_TRUE(view.SaveTo(png));
    const QImage image(png);
    EXPECT_EQ(image.size(), QSize(1600, 900));
    ASSERT_TRUE(view.SaveTo(QString::fromStdString((folder / "n.svg").string())));
    const std::string svg = ReadFileBytes(folder / "n.svg");
    EXPECT_THAT(svg, HasSubstr("<svg"));
    EXPECT_THAT(svg, HasSubstr("width=\"1600"));
    EXPECT_FALSE(view.SaveTo(QString::fromStdString((folder / "no folder" / "n.png").string())));
}

}  // namespace
}  // namespace marlin::testing
