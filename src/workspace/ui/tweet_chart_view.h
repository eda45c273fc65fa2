#pragma once

#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

#include "platform/change_notifier.h"
#include "platform/report_list.h"
#include "service/twitter_api.h"
#include "workspace/export/tweet_time_buckets.h"

class QBarSet;
class QCategoryAxis;
class QChart;
class QChartView;
class QLabel;
class QPushButton;
class QTimer;

namespace marlin {

// The "Chart" tab: the tweets of the Tweets table per hour (per day past seven days) as
// bars, and the mean Sent+ and Sent- of each bucket as two lines on a second axis. It
// follows the table through its change notification; changes are gathered and the chart is
// rebuilt once they stop for a moment, and only while the tab can be seen, so a retrieval
// adding row after row does not redraw per row. Hovering a bar shows its bucket, count and
// means; "Save Chart As…" writes the chart as PNG or SVG at a fixed 1600×900.
class TweetChartView : public QWidget {
    Q_OBJECT

  public:
    explicit TweetChartView(ReportList& tweets, QWidget* parent = nullptr);

    // Rebuilds the chart from the table now.
    void Redraw();
    // Shows a search volume estimate's posts per day instead, until the table changes.
    void ShowEstimate(const std::vector<TweetCountDay>& days);
    // Writes the chart at 1600×900 to a PNG or SVG file (by its extension); false when it could not.
    bool SaveTo(const QString& fileName);

    const TweetTimeBuckets& Buckets() const { return m_buckets; }
    QString HoverText() const;
    QChart* Chart() const { return m_chart; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void ClearChart(QChart* chart) const;
    static void FillEstimate(QChart* chart, const std::vector<TweetCountDay>& days);
    void TableChanged(const ModelChange& change);
    void BarHovered(bool status, int index);
    void SaveChartAs();
    // Builds the bars, lines and axes from m_buckets into a chart drawn `width` pixels wide,
    // its texts `fontScale` times their usual size; the bar set, or null for a table without
    // dated tweets.
    QBarSet* Fill(QChart* chart, int width, qreal fontScale) const;
    QBarSet* FillBuckets(QChart* chart) const;
    // The time axis, titled, with its labels still to come.
    QCategoryAxis* TimeAxis() const;
    void LabelTimeAxis(QChart* chart, QCategoryAxis* x, int width) const;

    ReportList& m_tweets;
    TweetTimeBuckets m_buckets;
    QChart* m_chart = nullptr;
    QChartView* m_view = nullptr;
    QLabel* m_hover = nullptr;
    QPushButton* m_save = nullptr;
    QTimer* m_settle = nullptr;
    bool m_stale = true;
    // The estimate on show, until the table is drawn again (a saved chart draws it too).
    std::optional<std::vector<TweetCountDay>> m_estimate;
    Subscription m_subscription;
};

}  // namespace marlin
