#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

#include "platform/change_notifier.h"
#include "workspace/frm_main.h"
#include "workspace/ui/about_dialog.h"

class QAction;
class QCloseEvent;
class QMenu;
class QSplitter;
class QTableView;

namespace marlin {

class QtReportList;
class QtSplitter;
class RowPreviewView;

// The main window on Qt Widgets: the controls of frmMain laid out in resizable panes,
// each carrying its name as objectName, bound to the window state through the control
// bindings. Everything the user does is forwarded to frmMain; nothing is decided here.
class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    explicit MainWindow(frmMain& form, QWidget* parent = nullptr);
    ~MainWindow() override;

    frmMain& form() const { return m_form; }
    AboutDialog* aboutDialog() const { return m_about.get(); }

    // Shows the window and runs the program's start-up: the window is disabled behind
    // the credentials dialog until that dialog has a token.
    void Start();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* BuildSearchFrame();
    QWidget* BuildTimelineFrame();
    QWidget* BuildLogFrame();
    QWidget* BuildTweetsTable();
    QWidget* BuildUserTablesPage();
    QWidget* BuildRawResponsePage();
    void BuildMenus();
    // Settings › "Prices…", "Spending Limits…" and Tools › "Spending…".
    void BuildSpendingDialogs();
    void BuildPopups();
    void BuildStatusBar();
    // View › "Side Pane" (F9): the tabs beside the Tweets table fold away and come back.
    void BuildViewMenu();
    void SetSidePaneShown(bool shown);
    void ShowSidePaneState();
    // A table over the strip that shows its selected row whole; View › "Preview Strip" (F8)
    // folds every strip away and back.
    QSplitter* WithPreview(QWidget* table, RowPreviewView* preview, const char* name);
    void SetPreviewsShown(bool shown);
    // Follows the current element of the user table array with the one table view.
    void ScheduleUserTableCheck();
    void BindCurrentUserTable();
    void FocusWindow();
    // The window's place from prefs (WindowGeometry), and back into it before the prefs are written.
    void ApplyGeometry();
    // The first start's widths of the frames above the Tweets table.
    void ShareTopWidth();
    void StoreGeometry();

    frmMain& m_form;
    std::unique_ptr<AboutDialog> m_about;
    QTableView* m_userTableView = nullptr;
    QPointer<QtReportList> m_userTableBinding;
    QtSplitter* m_mainSplitter = nullptr;
    QtSplitter* m_lowerSplitter = nullptr;
    const ReportList* m_boundUserTable = nullptr;
    bool m_userTableCheckPending = false;
    bool m_storingGeometry = false;
    QAction* m_sidePaneAction = nullptr;
    RowPreviewView* m_userPreview = nullptr;
    std::vector<QSplitter*> m_previews;
    int m_sidePaneWidth = 0;  // the side pane's width before it was folded
    std::vector<Subscription> m_subscriptions;
};

}  // namespace marlin
