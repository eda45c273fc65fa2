#include "workspace/ui/tweet_chart_view.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QFileDialog>
#include <QGraphicsScene>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSvgGenerator>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

namespace marlin {
namespace {

// Changes are gathered for this long before the chart is rebuilt.
constexpr int kSettleMilliseconds = 250;
// The width a time label takes on the axis, in average characters ("27/08/2008 13:00" and room).
constexpr int kLabelCharacters = 20;
// A saved chart has this size whatever the pane's, so figures made from it match.
constexpr int kSavedWidth = 1600;
constexpr int kSavedHeight = 900;
// The scorer's scale: Sent+ 1..5, Sent- -1..-5.
constexpr double kScoreLimit = 5;

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
    y->setRange(0, highest);
    y->setLabelFormat("%d");
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
    QBarSet* counts = Fill(m_chart, m_view->width());
    if (counts) connect(counts, &QBarSet::hovered, this, &TweetChartView::BarHovered);
}

QBarSet* TweetChartView::Fill(QChart* chart, int width) const {
    ClearChart(chart);
    if (m_estimate) {
        FillEstimate(chart, *m_estimate);
        return nullptr;
    }
    const auto& buckets = m_buckets.Buckets();
    const bool daily = m_buckets.Daily();
    chart->setTitle(buckets.empty() ? tr("No dated tweets in the table")
                                    : (daily ? tr("Tweets per day") : tr("Tweets per hour")));
    if (buckets.empty()) return nullptr;

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

    QCategoryAxis* x = TimeAxis(width);
    auto* y = new QValueAxis;
    y->setRange(0, std::max(1, m_buckets.MaxCount()));
    y->setLabelFormat("%d");
    y->setTitleText(tr("Tweets"));
    auto* scores = new QValueAxis;
    scores->setRange(-kScoreLimit, kScoreLimit);
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

QCategoryAxis* TweetChartView::TimeAxis(int width) const {
    // Bucket k is drawn at x = k. Labels stand level under every step-th bucket, as many
    // as the width holds without touching, rather than one per bucket turned on end.
    const auto& buckets = m_buckets.Buckets();
    const int count = static_cast<int>(buckets.size());
    const int room = std::max(2, width / std::max(1, fontMetrics().averageCharWidth() * kLabelCharacters));
    const int step = std::max(1, (count + room - 1) / room);
    auto* x = new QCategoryAxis;
    x->setObjectName("TimeAxis");
    x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    x->setRange(-0.5, count - 0.5);
    for (int k = 0; k < count; k += step)
        x->append(QString::fromStdString(m_buckets.Label(buckets[static_cast<std::size_t>(k)])), k);
    x->setGridLineVisible(false);
    x->setTitleText(m_buckets.Daily() ? tr("Day") : tr("Hour (as the table's times stand)"));
    return x;
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
    Fill(chart, kSavedWidth);
    const QRectF area(0, 0, kSavedWidth, kSavedHeight);
    if (fileName.endsWith(".svg", Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setFileName(fileName);
        svg.setSize(QSize(kSavedWidth, kSavedHeight));
        svg.setViewBox(area);
        svg.setTitle(chart->title());
        QPainter painter;
        if (!painter.begin(&svg)) return false;
        scene.render(&painter, area, area);
        return painter.end();
    }
    QImage image(kSavedWidth, kSavedHeight, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter, area, area);
    painter.end();
    return image.save(fileName, "PNG");
}

void TweetChartView::SaveChartAs() {
    QString fileName = QFileDialog::getSaveFileName(this, tr("Save Chart As"), QStringLiteral("chart.png"),
                                                    tr("PNG image (*.png);;SVG drawing (*.svg)"));
    if (fileName.isEmpty()) return;
    if (!fileName.endsWith(".svg", Qt::CaseInsensitive) && !fileName.endsWith(".png", Qt::CaseInsensitive))
        fileName += QStringLiteral(".png");
    if (!SaveTo(fileName))
        QMessageBox::warning(this, tr("File Save Error"),
                             tr("Couldn't save: %1 -- The file could not be written.").arg(fileName));
}

}  // namespace marlin
