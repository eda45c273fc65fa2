#pragma once

#include <QAbstractItemView>
#include <QHeaderView>
#include <vector>

#include "platform/qt/qt_control.h"
#include "platform/qt/report_list_item_model.h"
#include "platform/report_list.h"

namespace marlin {

// Binds a ReportList to a QTableView or QTreeView of the form. The view shows the
// list through ReportListItemModel: check boxes in the first column, dimmed rows in
// the disabled text colour, each column aligned as the list says, widths from twips.
// The user's row choice (several rows where the list allows it), check clicks, double
// clicks, header clicks (which sort through the list's own rule, never Qt's) and column
// resizes go back to the list; the right button asks the list for its context menu.
class QtReportList : public QtControl {
    Q_OBJECT

  public:
    QtReportList(ReportList& list, QAbstractItemView* view);

    ReportListItemModel* itemModel() const { return m_model; }
    // Shows pending changes now instead of at the next event pass.
    void Flush();
    // While no column was sized by the user (the list's widths all alike), each column is
    // as wide as its header and the rows in sight ask (a long text at most kWidestFit
    // characters), and `fillColumn` (none when -1) takes what is left of the view, never
    // less than kFillShare percent of it. These widths are the view's alone: the list keeps
    // its own until the user drags a column, which makes the shown widths the list's.
    void SetFitsContents(int fillColumn);

    static constexpr int kWidestFit = 32;
    static constexpr int kFillShare = 40;
    static constexpr int kSampledRows = 100;

    static int TwipsToPixels(int twips, const QWidget* widget);
    static int PixelsToTwips(int pixels, const QWidget* widget);

  protected:
    void OnChange(const ModelChange& change) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QHeaderView* Header() const;
    void PrepareView();
    void ConnectView();
    void ApplyColumns();
    // The widths the view shows: the list's, or the contents' while they fit the view.
    std::vector<int> ShownWidths() const;
    std::vector<int> ContentWidths() const;
    void TakeColumnWidths(int resized, int size);
    void ApplySelection();
    void ApplyRows(const std::vector<int>& rows);
    void ApplySelectionMode();
    // The view's selection, which the user changed, becomes the list's.
    void TakeViewSelection();
    void ApplySortIndicator();

    ReportList& m_list;
    QAbstractItemView* m_view;
    QWidget* m_viewport = nullptr;  // watched for resizes while the columns fill the view
    ReportListItemModel* m_model;
    bool m_applying = false;  // set while the list's state is pushed to the view
    bool m_fitsContents = false;
    int m_fillColumn = -1;
    bool m_filled = false;  // the shown widths are the contents', not the list's
};

}  // namespace marlin
