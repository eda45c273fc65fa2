#include "workspace/ui/tweet_chart_view.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QFileDialog>
#include <QHBoxLayout>
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
// Beyond this many buckets the category labels would overlap into a smear.
constexpr int kMaxLabelledBuckets = 48;
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

void TweetChartView::ClearChart() {
    m_chart->removeAllSeries();
    for (QAbstractAxis* axis : m_chart->axes()) {
        m_chart->removeAxis(axis);
        delete axis;
    }
}

void TweetChartView::ShowEstimate(const std::vector<TweetCountDay>& days) {
    m_stale = false;
    m_buckets = TweetTimeBuckets();
    ClearChart();
    m_hover->clear();
    m_chart->setTitle(tr("Estimated posts per day"));
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
    m_chart->addSeries(bars);
    auto* x = new QBarCategoryAxis;
    x->append(categories);
    x->setLabelsAngle(-90);
    auto* y = new QValueAxis;
    y->setRange(0, highest);
    y->setLabelFormat("%d");
    y->setTitleText(tr("Posts"));
    m_chart->addAxis(x, Qt::AlignBottom);
    m_chart->addAxis(y, Qt::AlignLeft);
    bars->attachAxis(x);
    bars->attachAxis(y);
}

void TweetChartView::Redraw() {
    m_stale = false;
    m_buckets = TweetTimeBuckets::FromTable(m_tweets);
    ClearChart();
    const auto& buckets = m_buckets.Buckets();
    const bool daily = m_buckets.Daily();
    m_chart->setTitle(buckets.empty() ? tr("No dated tweets in the table")
                                      : (daily ? tr("Tweets per day") : tr("Tweets per hour")));
    m_hover->clear();
    if (buckets.empty()) return;

    auto* counts = new QBarSet(tr("Tweets"));
    auto* positive = new QLineSeries;
    positive->setName(tr("Mean Sent+"));
    auto* negative = new QLineSeries;
    negative->setName(tr("Mean Sent-"));
    QStringList categories;
    QList<qreal> values;
    QList<QPointF> positivePoints, negativePoints;
    values.reserve(static_cast<qsizetype>(buckets.size()));
    for (std::size_t k = 0; k < buckets.size(); ++k) {
        const auto& bucket = buckets[k];
        values.append(bucket.count);
        categories.append(QString::fromStdString(m_buckets.Label(bucket)));
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
    connect(counts, &QBarSet::hovered, this, &TweetChartView::BarHovered);

    m_chart->addSeries(bars);
    m_chart->addSeries(positive);
    m_chart->addSeries(negative);

    auto* x = new QBarCategoryAxis;
    x->append(categories);
    x->setLabelsAngle(-90);
    x->setLabelsVisible(categories.size() <= kMaxLabelledBuckets);
    x->setTitleText(categories.size() <= kMaxLabelledBuckets
                        ? QString()
                        : categories.front() + QStringLiteral(" – ") + categories.back());
    auto* y = new QValueAxis;
    y->setRange(0, std::max(1, m_buckets.MaxCount()));
    y->setLabelFormat("%d");
    y->setTitleText(tr("Tweets"));
    auto* scores = new QValueAxis;
    scores->setRange(-kScoreLimit, kScoreLimit);
    scores->setTitleText(tr("Mean sentiment"));
    m_chart->addAxis(x, Qt::AlignBottom);
    m_chart->addAxis(y, Qt::AlignLeft);
    m_chart->addAxis(scores, Qt::AlignRight);
    bars->attachAxis(x);
    bars->attachAxis(y);
    for (QLineSeries* line : {positive, negative}) {
        line->attachAxis(x);
        line->attachAxis(scores);
    }
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
    if (fileName.endsWith(".svg", Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setFileName(fileName);
        svg.setSize(m_view->size());
        svg.setViewBox(m_view->rect());
        svg.setTitle(m_chart->title());
        QPainter painter;
        if (!painter.begin(&svg)) return false;
        m_view->render(&painter);
        return painter.end();
    }
    return m_view->grab().save(fileName, "PNG");
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
