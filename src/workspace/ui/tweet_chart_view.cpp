#include "workspace/ui/tweet_chart_view.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

#include "workspace/export/chart_scale.h"
#include "workspace/ui/picture_files.h"

namespace marlin {
namespace {

// Changes are gathered for this long before the chart is rebuilt.
constexpr int kSettleMilliseconds = 250;
// Room kept between neighbouring time labels, in pixels, besides the axis's own padding.
constexpr int kLabelGap = 24;
// A saved chart has this size whatever the pane's, so figures made from it match, and its
// texts this many times the window's size, so they stay readable when the picture is set at
// a page's width.
constexpr int kSavedWidth = 1600;
constexpr int kSavedHeight = 900;
constexpr qreal kSavedFontScale = 1.6;
// The scorer's scale: Sent+ 1..5, Sent- -1..-5, a line at every whole score.
constexpr double kScoreLimit = 5;
constexpr int kScoreTicks = 11;

QFont Scaled(QFont font, qreal scale) {
    if (font.pixelSize() > 0)
        font.setPixelSize(qRound(font.pixelSize() * scale));
    else
        font.setPointSizeF(font.pointSizeF() * scale);
    return font;
}

// Every text of the chart `scale` times its size.
void ScaleFonts(QChart* chart, qreal scale) {
    if (scale == 1) return;
    chart->setTitleFont(Scaled(chart->titleFont(), scale));
    chart->legend()->setFont(Scaled(chart->legend()->font(), scale));
    for (QAbstractAxis* axis : chart->axes()) {
        axis->setLabelsFont(Scaled(axis->labelsFont(), scale));
        axis->setTitleFont(Scaled(axis->titleFont(), scale));
    }
}

// The chart lays itself out when its posted layout request comes round; a picture drawn
// now, or labels spaced to the plot's width, need that done first.
void LayOut(QChart* chart) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    if (chart->layout()) chart->layout()->activate();
}

// From 0 to a round top in round steps.
void ScaleCounts(QValueAxis* axis, long long highest) {
    const ChartScale scale = ChartScale::ForCounts(highest);
    axis->setRange(0, static_cast<qreal>(scale.top));
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(static_cast<qreal>(scale.step));
    axis->setLabelFormat("%d");
}

}  // namespace

TweetChartView::TweetChartView(ReportList& tweets, QWidget* parent) : QWidget(parent), m_tweets(tweets) {
    m_chart = new QChart;
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_chart->setAnimationOptions(QChart::NoAnimation);
    m_view = new QChartView(m_chart);
    m_view->setObjectName("ChartView");
    m_view->setRenderHint(QPainter::Antialiasing);
    m_hover = new QLabel;
    m_hover->setObjectName("ChartHover");
    m_save = new QPushButton(tr("Save Chart As…"));
    m_save->setObjectName("mSaveChart");

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_hover, 1);
    bottom->addWidget(m_save);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view, 1);
    layout->addLayout(bottom);

    m_settle = new QTimer(this);
    m_settle->setSingleShot(true);
    m_settle->setInterval(kSettleMilliseconds);
    connect(m_settle, &QTimer::timeout, this, [this] {
        if (isVisible())
            Redraw();
        else
            m_stale = true;
    });
    connect(m_save, &QPushButton::clicked, this, &TweetChartView::SaveChartAs);
    m_subscription = m_tweets.Subscribe([this](const ModelChange& change) { TableChanged(change); });
}

void TweetChartView::TableChanged(const ModelChange& change) {
    switch (change.kind) {
        case ChangeKind::Reset:
        case ChangeKind::RowsInserted:
        case ChangeKind::RowsChanged:
            m_stale = true;
            if (!m_settle->isActive()) m_settle->start();
            break;
        default:
            break;
    }
}

void TweetChartView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_stale) Redraw();
}

void TweetChartView::ClearChart(QChart* chart) const {
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
}

void TweetChartView::ShowEstimate(const std::vector<TweetCountDay>& days) {
    m_stale = false;
    m_buckets = TweetTimeBuckets();
    m_estimate = days;
    m_hover->clear();
    ClearChart(m_chart);
    FillEstimate(m_chart, days);
}

void TweetChartView::FillEstimate(QChart* chart, const std::vector<TweetCountDay>& days) {
    chart->setTitle(tr("Estimated posts per day"));
    auto* counts = new QBarSet(tr("Posts"));
    QStringList categories;
    qreal highest = 1;
    for (const TweetCountDay& day : days) {
        counts->append(static_cast<qreal>(day.posts));
        categories.append(QString::fromStdString(day.date));
        highest = std::max(highest, static_cast<qreal>(day.posts));
    }
    auto* bars = new QBarSeries;
    bars->setBarWidth(0.9);
    bars->append(counts);
    chart->addSeries(bars);
    auto* x = new QBarCategoryAxis;
    x->append(categories);
    x->setLabelsAngle(-90);
    auto* y = new QValueAxis;
    ScaleCounts(y, static_cast<long long>(highest));
    y->setTitleText(tr("Posts"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    bars->attachAxis(x);
    bars->attachAxis(y);
}

void TweetChartView::Redraw() {
    m_stale = false;
    m_estimate.reset();
    m_buckets = TweetTimeBuckets::FromTable(m_tweets);
    m_hover->clear();
    QBarSet* counts = Fill(m_chart, m_view->width(), 1);
    if (counts) connect(counts, &QBarSet::hovered, this, &TweetChartView::BarHovered);
}

QBarSet* TweetChartView::Fill(QChart* chart, int width, qreal fontScale) const {
    ClearChart(chart);
    QBarSet* counts = nullptr;
    if (m_estimate) {
        FillEstimate(chart, *m_estimate);
    } else {
        chart->setTitle(m_buckets.Buckets().empty()
                            ? tr("No dated tweets in the table")
                            : (m_buckets.Daily() ? tr("Tweets per day") : tr("Tweets per hour")));
        if (!m_buckets.Buckets().empty()) counts = FillBuckets(chart);
    }
    // The time labels are spaced by the size of their texts.
    ScaleFonts(chart, fontScale);
    for (QAbstractAxis* axis : chart->axes(Qt::Horizontal))
        if (auto* x = qobject_cast<QCategoryAxis*>(axis)) LabelTimeAxis(chart, x, width);
    return counts;
}

QBarSet* TweetChartView::FillBuckets(QChart* chart) const {
    const auto& buckets = m_buckets.Buckets();
    auto* counts = new QBarSet(tr("Tweets"));
    auto* positive = new QLineSeries;
    positive->setName(tr("Mean Sent+"));
    auto* negative = new QLineSeries;
    negative->setName(tr("Mean Sent-"));
    QList<qreal> values;
    QList<QPointF> positivePoints, negativePoints;
    values.reserve(static_cast<qsizetype>(buckets.size()));
    for (std::size_t k = 0; k < buckets.size(); ++k) {
        const auto& bucket = buckets[k];
        values.append(bucket.count);
        if (bucket.count == 0) continue;  // no tweets, no mean: the lines skip the gap
        positivePoints.append(QPointF(static_cast<qreal>(k), bucket.meanPositive));
        negativePoints.append(QPointF(static_cast<qreal>(k), bucket.meanNegative));
    }
    counts->append(values);
    positive->replace(positivePoints);
    negative->replace(negativePoints);
    auto* bars = new QBarSeries;
    bars->setBarWidth(0.9);
    bars->append(counts);

    chart->addSeries(bars);
    chart->addSeries(positive);
    chart->addSeries(negative);

    QCategoryAxis* x = TimeAxis();
    auto* y = new QValueAxis;
    ScaleCounts(y, m_buckets.MaxCount());
    y->setTitleText(tr("Tweets"));
    auto* scores = new QValueAxis;
    scores->setRange(-kScoreLimit, kScoreLimit);
    scores->setTickCount(kScoreTicks);
    scores->setLabelFormat("%d");
    scores->setTitleText(tr("Mean sentiment"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    chart->addAxis(scores, Qt::AlignRight);
    bars->attachAxis(x);
    bars->attachAxis(y);
    for (QLineSeries* line : {positive, negative}) {
        line->attachAxis(x);
        line->attachAxis(scores);
    }
    return counts;
}

QCategoryAxis* TweetChartView::TimeAxis() const {
    auto* x = new QCategoryAxis;
    x->setObjectName("TimeAxis");
    x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    x->setRange(-0.5, static_cast<qreal>(m_buckets.Buckets().size()) - 0.5);
    x->setGridLineVisible(false);
    const QString year = QString::fromStdString(m_buckets.Year());
    const bool daily = m_buckets.Daily();
    if (year.isEmpty())
        x->setTitleText(daily ? tr("Day") : tr("Hour (as the table's times stand)"));
    else
        x->setTitleText(daily ? tr("Day in %1").arg(year)
                              : tr("Hour in %1 (as the table's times stand)").arg(year));
    return x;
}

void TweetChartView::LabelTimeAxis(QChart* chart, QCategoryAxis* x, int width) const {
    // Bucket k is drawn at x = k. Labels stand level under every step-th bucket, as many as
    // the plot's width holds whole: the axis gives each label an equal share of its width
    // (its labels and one more), less its padding on both sides.
    LayOut(chart);
    const qreal plot = chart->plotArea().width() > 0 ? chart->plotArea().width() : width * 0.8;
    const auto& buckets = m_buckets.Buckets();
    const QString longest = QString::fromStdString(m_buckets.AxisLabel(buckets.back()));
    const int share = QFontMetrics(x->labelsFont()).horizontalAdvance(longest) + kLabelGap;
    const int room = std::max(1, static_cast<int>(plot / share) - 1);
    const int count = static_cast<int>(buckets.size());
    const int step = std::max(1, (count + room - 1) / room);
    for (int k = 0; k < count; k += step)
        x->append(QString::fromStdString(m_buckets.AxisLabel(buckets[static_cast<std::size_t>(k)])), k);
}

void TweetChartView::BarHovered(bool status, int index) {
    const auto& buckets = m_buckets.Buckets();
    if (!status || index < 0 || static_cast<std::size_t>(index) >= buckets.size()) {
        m_hover->clear();
        QToolTip::hideText();
        return;
    }
    const QString text = QString::fromStdString(m_buckets.Summary(buckets[static_cast<std::size_t>(index)]));
    m_hover->setText(text);
    QToolTip::showText(QCursor::pos(), text, m_view);
}

QString TweetChartView::HoverText() const {
    return m_hover->text();
}

bool TweetChartView::SaveTo(const QString& fileName) {
    // A chart of its own at the fixed size, drawn off the screen.
    QGraphicsScene scene;
    auto* chart = new QChart;
    scene.addItem(chart);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setGeometry(0, 0, kSavedWidth, kSavedHeight);
    Fill(chart, kSavedWidth, kSavedFontScale);
    LayOut(chart);
    const QRectF area(0, 0, kSavedWidth, kSavedHeight);
    if (fileName.endsWith(".svg", Qt::CaseInsensitive))
        return WriteSvg(fileName, area, chart->title(),
                        [&](QPainter& painter) { scene.render(&painter, area, area); });
    QImage image(kSavedWidth, kSavedHeight, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter, area, area);
    painter.end();
    return image.save(fileName, "PNG");
}

void TweetChartView::SaveChartAs() {
    SavePictureAs(this, tr("Save Chart As"), QStringLiteral("chart.png"),
                  [this](const QString& fileName) { return SaveTo(fileName); });
}

}  // namespace marlin
