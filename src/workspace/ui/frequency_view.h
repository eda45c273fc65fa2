#pragma once

#include <QString>
#include <QWidget>

#include "platform/report_list.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

namespace marlin {

// The "Frequencies" tab: the first 100 items of one kind (hashtags, mentioned users,
// posting users, link domains, words) per interval of the Tweets table, each with the mean
// Sent+ and Sent- of its posts, or the per-interval summary, in a list that sorts by any
// column; "Save As…" writes the list as CSV or as a workbook, "Save Co-word Network…" the
// graph of the table's top 100 words with its measures. It counts when asked (Tools › "Frequencies…", the
// Count button or a change of kind or interval), not on every change of the table.
class FrequencyView : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kTop = 100;

    explicit FrequencyView(const ReportList& tweets, QWidget* parent = nullptr);

    void Count();
    const ReportList& Table() const { return m_table; }
    // By the file's extension: ".xlsx" a workbook, else CSV. False when it could not be written.
    bool SaveTo(const QString& fileName);
    // The co-word graph: GraphML with its tables beside it, or a workbook (".xlsx").
    bool SaveCowordTo(const QString& fileName);

  private:
    void SaveAs();
    void SaveCowordAs();
    void FitIntervals();

    const ReportList& m_tweets;
    ReportList m_table;
    QComboBox* m_kind = nullptr;
    QComboBox* m_interval = nullptr;
    QLabel* m_note = nullptr;
    QTableView* m_view = nullptr;
};

}  // namespace marlin
