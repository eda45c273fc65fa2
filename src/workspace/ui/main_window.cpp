#include "workspace/ui/main_window.h"

#include <array>

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "core/tweet_column.h"
#include "platform/qt/qt_button.h"
#include "platform/qt/qt_check_list.h"
#include "platform/qt/qt_control.h"
#include "platform/qt/qt_date_picker.h"
#include "platform/qt/qt_drop_down_list.h"
#include "platform/qt/qt_label.h"
#include "platform/qt/qt_log_list.h"
#include "platform/qt/qt_menu_item.h"
#include "platform/qt/qt_option_group.h"
#include "platform/qt/qt_progress_bar.h"
#include "platform/qt/qt_report_list.h"
#include "platform/qt/qt_splitter.h"
#include "platform/qt/qt_status_bar.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/qt_text_box.h"
#include "platform/qt/qt_timer.h"
#include "platform/qt/qt_window.h"
#include "workspace/tweets/tweet_preview.h"
#include "workspace/ui/amounts_dialog.h"
#include "workspace/ui/estimate_panel.h"
#include "workspace/ui/frequency_view.h"
#include "workspace/ui/latest_log_line.h"
#include "workspace/ui/network_view.h"
#include "workspace/ui/raw_text_view.h"
#include "workspace/ui/row_preview_view.h"
#include "workspace/ui/spending_window.h"
#include "workspace/ui/tweet_chart_view.h"
#include "workspace/users/user_preview.h"

namespace marlin {

namespace {

QString IndexedName(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(name).arg(index);
}

template <typename Widget>
Widget* Named(Widget* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

QPushButton* MakeButton(QWidget* parent, Button& model, const QString& name) {
    auto* button = Named(new QPushButton(parent), name);
    button->setAutoDefault(false);
    new QtButton(model, button);
    return button;
}

// A button that holds one short symbol ("?", "X") and need not be wider than tall.
QPushButton* MakeSmallButton(QWidget* parent, Button& model, const QString& name) {
    QPushButton* button = MakeButton(parent, model, name);
    const int side = button->sizeHint().height();
    button->setMaximumWidth(side * 3 / 2);
    return button;
}

QComboBox* MakeHistory(QWidget* parent, DropDownList& model, const char* name) {
    auto* combo = Named(new QComboBox(parent), name);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(20);
    new QtDropDownList(model, combo);
    return combo;
}

QAction* MakeAction(QMenu* menu, MenuItem& model, const char* name) {
    QAction* action = menu->addAction(QString());
    action->setObjectName(name);
    new QtMenuItem(model, action);
    return action;
}

QAction* MakeSeparator(QMenu* menu, MenuItem& model, const char* name) {
    QAction* action = menu->addSeparator();
    action->setObjectName(name);
    new QtMenuItem(model, action);
    return action;
}

QMenu* MakeMenu(QWidget* parent, MenuItem& model, const QString& name) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name + "Item");
    new QtMenuItem(model, menu);
    return menu;
}

QTableView* MakeTable(QWidget* parent, const char* name) {
    auto* view = Named(new QTableView(parent), name);
    view->setAlternatingRowColors(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setWordWrap(false);
    view->horizontalHeader()->setSectionsClickable(true);
    view->verticalHeader()->setVisible(false);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    return view;
}

// A dialog of amounts over a form's text boxes, each line named `fieldName(i)`.
template <std::size_t N>
AmountsDialog* MakeAmountsDialog(QWidget* parent, const char* name, const char* fieldName, const char* title,
                                 const QString& note, const std::array<const char*, N>& labels,
                                 std::array<TextBox, N>& boxes, std::function<bool()> ok) {
    std::vector<AmountsDialog::Field> fields;
    for (std::size_t i = 0; i < N; ++i)
        fields.push_back({labels[i], boxes[i], IndexedName(fieldName, static_cast<int>(i))});
    return new AmountsDialog(name, ToQt(title), note, std::move(fields), std::move(ok), parent);
}

}  // namespace

MainWindow::MainWindow(frmMain& form, QWidget* parent)
    : QMainWindow(parent), m_form(form), m_about(std::make_unique<AboutDialog>(form.About())) {
    setObjectName("frmMain");

    auto* top = Named(new QSplitter(Qt::Horizontal), "TopSplitter");
    top->addWidget(BuildSearchFrame());
    top->addWidget(BuildTimelineFrame());
    top->setStretchFactor(0, 1);
    top->setStretchFactor(1, 1);
    new QtSplitter(m_form.Session().TopSplitter, top);

    auto* bottom = Named(new QTabWidget, "BottomTabs");
    // Every tab in sight: six tabs behind scroll arrows hide the last ones. A narrow pane
    // shortens the names instead.
    bottom->setUsesScrollButtons(false);
    bottom->setElideMode(Qt::ElideRight);
    bottom->addTab(BuildUserTablesPage(), tr("User tables"));
    // The whole log has a page of its own; its newest line stays in sight in the status bar.
    bottom->addTab(BuildLogFrame(), tr("Request log"));
    bottom->addTab(BuildRawResponsePage(), tr("Raw response"));
    auto* chart = Named(new TweetChartView(m_form.State().TweetsTable.Rows()), "Chart");
    bottom->addTab(chart, tr("Chart"));
    m_form.Estimator().SetChartAction([chart, bottom](const std::vector<TweetCountDay>& days) {
        chart->ShowEstimate(days);
        bottom->setCurrentWidget(chart);
    });
    auto* estimate = new EstimatePanel(
        [this] { m_form.Estimator().Capture_Click(); },
        [this](const std::string& limit) { return m_form.Estimator().SetRunLimit(limit); }, this);
    m_form.Estimator().SetShowAction(
        [estimate](const SearchVolumeEstimate::Shown& shown) { estimate->Show(shown); });
    auto* frequencies = Named(new FrequencyView(m_form.State().TweetsTable.Rows()), "Frequencies");
    bottom->addTab(frequencies, tr("Frequencies"));
    bottom->addTab(Named(new NetworkView(m_form.State().TweetsTable.Rows()), "Network"), tr("Network"));

    // The frames above scroll when the user gives their room to the Tweets table.
    auto* topScroll = Named(new QScrollArea, "TopPanes");
    topScroll->setWidget(top);
    topScroll->setWidgetResizable(true);
    topScroll->setFrameShape(QFrame::NoFrame);

    // The Tweets table and the tabs side by side below the frames: the table keeps most of
    // the height, and the user tables and the chart get a useful height too.
    auto* lower = Named(new QSplitter(Qt::Horizontal), "LowerSplitter");
    lower->addWidget(BuildTweetsTable());
    lower->addWidget(bottom);
    lower->setStretchFactor(0, 1);
    lower->setStretchFactor(1, 0);
    lower->setChildrenCollapsible(false);
    // The side pane folds away (View › "Side Pane"); its folded width of 0 is kept in prefs
    // with the splitter's sizes.
    lower->setCollapsible(1, true);
    m_lowerSplitter = new QtSplitter(m_form.Session().LowerSplitter, lower);
    connect(lower, &QSplitter::splitterMoved, this, [this] { ShowSidePaneState(); });
    m_subscriptions.push_back(
        m_form.Session().LowerSplitter.Subscribe([this](const ModelChange&) { ShowSidePaneState(); }));

    auto* main = Named(new QSplitter(Qt::Vertical), "MainSplitter");
    main->addWidget(topScroll);
    main->addWidget(lower);
    main->setStretchFactor(0, 0);
    main->setStretchFactor(1, 1);
    main->setChildrenCollapsible(false);
    setCentralWidget(main);
    m_mainSplitter = new QtSplitter(m_form.Session().MainSplitter, main);

    BuildMenus();
    BuildSpendingDialogs();
    BuildViewMenu();
    m_form.TweetCtl().mFrequencies.SetAction([bottom, frequencies] {
        bottom->setCurrentWidget(frequencies);
        frequencies->Count();
    });
    BuildPopups();
    BuildStatusBar();

    MainWindowState& w = m_form.State();
    WindowSession& session = m_form.Session();
    new QtWindow(w.Window, this);
    new QtTimer(session.Timer1, this);
    session.SetFocusAction([this] { FocusWindow(); });
    session.SetEndProgramAction([] { QCoreApplication::exit(0); });

    // Most of the screen at the first start; later starts put the window back where it was.
    if (const QScreen* screen = this->screen()) {
        const QRect available = screen->availableGeometry();
        const QSize size(available.width() * 9 / 10, available.height() * 9 / 10);
        setGeometry(QRect(available.center() - QPoint(size.width() / 2, size.height() / 2), size));
    }
    m_subscriptions.push_back(session.WindowGeometry.Subscribe([this](const ModelChange&) {
        if (!m_storingGeometry) ApplyGeometry();
    }));
}

void MainWindow::ApplyGeometry() {
    const std::vector<int>& stored = m_form.Session().WindowGeometry.Sizes();
    if (stored.size() < 5 || stored[2] <= 0 || stored[3] <= 0) return;
    QRect place(stored[0], stored[1], stored[2], stored[3]);
    // A screen that has gone since leaves the window where it is, at the stored size.
    if (const QScreen* screen = this->screen(); screen && !screen->availableGeometry().intersects(place))
        place.moveTopLeft(screen->availableGeometry().topLeft());
    if (stored[4] != 0) {
        setGeometry(place);
        showMaximized();
    } else {
        if (isMaximized()) showNormal();
        setGeometry(place);
    }
}

void MainWindow::StoreGeometry() {
    const QRect place = isMaximized() ? normalGeometry() : geometry();
    m_storingGeometry = true;
    m_form.Session().WindowGeometry.SetSizes({std::max(0, place.x()), std::max(0, place.y()), place.width(),
                                              place.height(), isMaximized() ? 1 : 0});
    m_storingGeometry = false;
}

MainWindow::~MainWindow() = default;

void MainWindow::Start() {
    show();
    // Most of the height for the Tweets table, unless the user's own sizes are known already.
    auto* panes = findChild<QSplitter*>("MainSplitter");
    if (panes && m_form.Session().MainSplitter.Sizes().empty()) {
        // The frames above get the height they ask for (the request log takes what the
        // frames beside it need), the table and the tabs the rest.
        int top = 0;
        for (const char* frame : {"SearchFrame", "UTFrame"})
            if (const QWidget* widget = findChild<QWidget*>(frame))
                top = std::max(top, widget->sizeHint().height());
        top = std::min(top, panes->height() - height() * 62 / 100);
        panes->setSizes({top, panes->height() - top});
    } else if (m_mainSplitter) {
        m_mainSplitter->Apply();
    }
    auto* lower = findChild<QSplitter*>("LowerSplitter");
    if (lower && m_form.Session().LowerSplitter.Sizes().empty()) {
        // Most of the width for the Tweets table, the tabs at least what they need.
        const int tabs = std::max(lower->widget(1)->minimumSizeHint().width(), lower->width() * 36 / 100);
        lower->setSizes({lower->width() - tabs, tabs});
    } else if (m_lowerSplitter) {
        m_lowerSplitter->Apply();
    }
    ShareTopWidth();
    ShowSidePaneState();
    m_form.Form_Load();
}

void MainWindow::BuildViewMenu() {
    // Placed before About, after the menus of the documents.
    QMenu* view = Named(new QMenu(tr("&View"), this), "mView");
    m_sidePaneAction = view->addAction(tr("Side Pane"));
    m_sidePaneAction->setObjectName("mSidePane");
    m_sidePaneAction->setCheckable(true);
    m_sidePaneAction->setChecked(true);
    m_sidePaneAction->setShortcut(QKeySequence(Qt::Key_F9));
    connect(m_sidePaneAction, &QAction::triggered, this, [this](bool shown) { SetSidePaneShown(shown); });
    QAction* previews = view->addAction(tr("Preview Strip"));
    previews->setObjectName("mPreviewStrip");
    previews->setCheckable(true);
    previews->setChecked(true);
    previews->setShortcut(QKeySequence(Qt::Key_F8));
    connect(previews, &QAction::triggered, this, [this](bool shown) { SetPreviewsShown(shown); });
    QList<QAction*> items = menuBar()->actions();
    menuBar()->insertMenu(items.isEmpty() ? nullptr : items.back(), view);
}

void MainWindow::SetSidePaneShown(bool shown) {
    auto* lower = findChild<QSplitter*>("LowerSplitter");
    if (!lower) return;
    const QList<int> sizes = lower->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    if (!shown && sizes.value(1) > 0) m_sidePaneWidth = sizes.value(1);
    int side = 0;
    if (shown)
        side = m_sidePaneWidth > 0 ? m_sidePaneWidth
                                   : std::max(lower->widget(1)->minimumSizeHint().width(), total * 36 / 100);
    m_form.Session().LowerSplitter.SetSizes({total - side, side});
    ShowSidePaneState();
}

void MainWindow::ShowSidePaneState() {
    const auto* lower = findChild<QSplitter*>("LowerSplitter");
    if (lower && m_sidePaneAction) m_sidePaneAction->setChecked(lower->sizes().value(1) > 0);
}

void MainWindow::ShareTopWidth() {
    auto* frames = findChild<QSplitter*>("TopSplitter");
    if (!frames || !m_form.Session().TopSplitter.Sizes().empty()) return;
    // Each frame its least width and half of the rest, so that each can give some of it up
    // to its neighbour.
    const std::array<int, 2> shares{5, 5};
    QList<int> least;
    int spare = frames->width() - frames->handleWidth() * (frames->count() - 1);
    for (int i = 0; i < frames->count(); ++i) {
        least << frames->widget(i)->minimumSizeHint().width();
        spare -= least.back();
    }
    if (frames->count() != static_cast<int>(shares.size())) return;
    // Set even when there is no room to spare: a window that grows later shares its growth alike.
    for (int i = 0; i < frames->count(); ++i)
        least[i] += std::max(spare, 0) * shares[static_cast<std::size_t>(i)] / 10;
    frames->setSizes(least);
}

QWidget* MainWindow::BuildSearchFrame() {
    WindowSession& session = m_form.Session();
    auto* frame = Named(new QGroupBox(tr("Search")), "SearchFrame");

    auto* query = Named(new QLineEdit(frame), "SearchQuery");
    query->setToolTip(
        tr("Enter your search query here; \"?\" opens the service's guide to search operators"));
    new QtTextBox(m_form.TweetCtl().SearchQuery, query);
    auto* help = MakeSmallButton(frame, session.SearchHelp, "SearchHelp");

    auto* backLabel = Named(new QLabel(tr("Retrieve back to"), frame), "lblEarlyDate");
    auto* early = Named(new QDateEdit(frame), "EarlyDate");
    new QtDatePicker(m_form.TweetCtl().EarlyDate, early);
    backLabel->setBuddy(early);

    auto* history = MakeHistory(frame, m_form.TweetCtl().QPHistory, "QPHistory");
    auto* clear = MakeSmallButton(frame, session.HistoryItemClear[1], IndexedName("HistoryItemClear", 1));

    // Three rows, so the frames above the Tweets table ask for little height.
    auto* grid = new QGridLayout(frame);
    grid->addWidget(query, 0, 0, 1, 3);
    grid->addWidget(help, 0, 3);
    auto* dateAndButtons = new QHBoxLayout;
    dateAndButtons->addWidget(backLabel);
    dateAndButtons->addWidget(early);
    dateAndButtons->addStretch(1);
    dateAndButtons->addWidget(MakeButton(frame, m_form.TweetCtl().GetSrch, "GetSrch"));
    dateAndButtons->addWidget(MakeButton(frame, m_form.TweetCtl().UpdateSearch, "UpdateSearch"));
    dateAndButtons->addWidget(MakeButton(frame, m_form.TweetCtl().QuitGet, "QuitGet"));
    grid->addLayout(dateAndButtons, 1, 0, 1, 4);
    grid->addWidget(history, 2, 0, 1, 3);
    grid->addWidget(clear, 2, 3);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(3, 1);
    return frame;
}

QWidget* MainWindow::BuildTimelineFrame() {
    WindowSession& session = m_form.Session();
    auto* frame = Named(new QGroupBox(tr("User Timelines")), "UTFrame");
    new QtControl(m_form.UserCtl().UTFrame, frame);

    auto* users = Named(new QListWidget(frame), "UserList");
    new QtCheckList(m_form.UserCtl().UserList, users);

    auto* byName = Named(new QRadioButton(frame), IndexedName("UserHandle", 0));
    auto* byId = Named(new QRadioButton(frame), IndexedName("UserHandle", 1));
    new QtOptionGroup(m_form.UserCtl().UserHandle, QList<QAbstractButton*>{byName, byId});
    auto* count = Named(new QLabel(frame), "ULCount");
    new QtLabel(m_form.UserCtl().ULCount, count);

    auto* history = MakeHistory(frame, m_form.TweetCtl().UTLHistory, "UTLHistory");
    auto* clear = MakeSmallButton(frame, session.HistoryItemClear[0], IndexedName("HistoryItemClear", 0));

    // One line: the summary of the chosen user.
    auto* meta = Named(new QPlainTextEdit(frame), "UserMeta");
    meta->setReadOnly(true);
    meta->setLineWrapMode(QPlainTextEdit::NoWrap);
    meta->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    meta->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    meta->setFixedHeight(history->sizeHint().height());
    new QtTextBox(m_form.UserCtl().UserMeta, meta);

    // The list on the left, three rows of controls beside it, as high as the search frame.
    auto* grid = new QGridLayout(frame);
    grid->addWidget(users, 0, 0, 3, 1);
    grid->addWidget(byName, 0, 1);
    grid->addWidget(byId, 0, 2);
    grid->addWidget(MakeButton(frame, m_form.UserCtl().GetAllUTL, "GetAllUTL"), 0, 3);
    grid->addWidget(count, 1, 1);
    grid->addWidget(meta, 1, 2);
    grid->addWidget(MakeButton(frame, m_form.UserCtl().UpdateUTL, "UpdateUTL"), 1, 3);
    grid->addWidget(history, 2, 1, 1, 2);
    grid->addWidget(clear, 2, 3, Qt::AlignLeft);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);
    return frame;
}

QWidget* MainWindow::BuildLogFrame() {
    MainWindowState& w = m_form.State();
    auto* frame = Named(new QWidget, "LogFrame");
    auto* log = Named(new QListWidget(frame), "Progress");
    new QtLogList(w.Progress, log);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(log);
    return frame;
}

QWidget* MainWindow::BuildTweetsTable() {
    auto* view = MakeTable(this, "OutTable");
    view->setMinimumHeight(view->verticalHeader()->defaultSectionSize() * 4);
    (new QtReportList(m_form.State().TweetsTable.Rows(), view))->SetFitsContents(TweetColumn::Tweet);
    auto* preview = Named(new RowPreviewView(&TweetPreview::Text), "TweetPreview");
    preview->Follow(&m_form.State().TweetsTable.Rows());
    return WithPreview(view, preview, "TweetSplitter");
}

QSplitter* MainWindow::WithPreview(QWidget* table, RowPreviewView* preview, const char* name) {
    auto* strip = Named(new QSplitter(Qt::Vertical), name);
    strip->addWidget(table);
    strip->addWidget(preview);
    strip->setStretchFactor(0, 1);
    strip->setStretchFactor(1, 0);
    strip->setCollapsible(0, false);
    m_previews.push_back(strip);
    return strip;
}

void MainWindow::SetPreviewsShown(bool shown) {
    for (QSplitter* strip : m_previews) {
        const QList<int> sizes = strip->sizes();
        const int total = sizes.value(0) + sizes.value(1);
        const int preview = shown ? strip->widget(1)->sizeHint().height() : 0;
        strip->setSizes({total - preview, preview});
    }
}

QWidget* MainWindow::BuildUserTablesPage() {
    auto* page = Named(new QWidget, "UserTablesPage");

    // The commands in a few short rows above the table, so the table keeps most of the page.
    auto* tweetsTable = Named(new QRadioButton(page), IndexedName("UTToggle", 0));
    auto* otherTable = Named(new QRadioButton(page), IndexedName("UTToggle", 1));
    new QtOptionGroup(m_form.UserCtl().UTToggle, QList<QAbstractButton*>{tweetsTable, otherTable});
    auto* tables = Named(new QListWidget(page), "UTList");
    new QtCheckList(m_form.UserCtl().UTList, tables);

    auto* commands = new QGridLayout;
    commands->setContentsMargins(0, 0, 0, 0);
    commands->addWidget(tweetsTable, 0, 0);
    commands->addWidget(otherTable, 0, 1);
    commands->addWidget(tables, 1, 0, 2, 2);
    commands->addWidget(MakeButton(page, m_form.UserCtl().BuildTweetsUT, "BuildTweetsUT"), 0, 2, 1, 2);
    commands->addWidget(MakeButton(page, m_form.UserCtl().GetUTTL, "GetUTTL"), 1, 2, 1, 2);
    commands->addWidget(MakeButton(page, m_form.UserCtl().MergeRemUT, "MergeRemUT"), 2, 2);
    commands->addWidget(MakeButton(page, m_form.UserCtl().AddRemUT, "AddRemUT"), 2, 3);

    auto* followers = Named(new QGroupBox(tr("Get Followers/Friends of")), "GUFFrame");
    auto* targetGrid = new QGridLayout(followers);
    QList<QAbstractButton*> targets;
    for (int i = 0; i < m_form.UserCtl().GUFOp.Count(); ++i) {
        auto* option = Named(new QRadioButton(followers), IndexedName("GUFOp", i));
        targets << option;
        targetGrid->addWidget(option, 0, i);
    }
    new QtOptionGroup(m_form.UserCtl().GUFOp, targets);
    auto* target = Named(new QLineEdit(followers), "GUF_Id");
    new QtTextBox(m_form.UserCtl().GUF_Id, target);
    targetGrid->addWidget(target, 1, 0);
    targetGrid->addWidget(MakeButton(followers, m_form.UserCtl().GetFF[0], IndexedName("GetFF", 0)), 1, 1);
    targetGrid->addWidget(MakeButton(followers, m_form.UserCtl().GetFF[1], IndexedName("GetFF", 1)), 1, 2);
    commands->addWidget(followers, 3, 0, 1, 4);
    // The list of tables is as high as the two rows beside it; it scrolls when there are more.
    tables->setMaximumHeight(target->sizeHint().height() * 2);

    m_userTableView = MakeTable(page, "UserTable");
    // The current element changes with these two controls; the check runs once the
    // command that changed them has finished rearranging the array.
    m_subscriptions.push_back(
        m_form.UserCtl().UTList.Subscribe([this](const ModelChange&) { ScheduleUserTableCheck(); }));
    m_subscriptions.push_back(
        m_form.UserCtl().UTToggle.Subscribe([this](const ModelChange&) { ScheduleUserTableCheck(); }));

    auto* commandPanel = Named(new QWidget(page), "UserTableCommands");
    commandPanel->setLayout(commands);
    m_userPreview = Named(new RowPreviewView(&UserPreview::Text), "UserPreview");
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(commandPanel);
    layout->addWidget(WithPreview(m_userTableView, m_userPreview, "UserSplitter"), 1);
    BindCurrentUserTable();
    return page;
}

QWidget* MainWindow::BuildRawResponsePage() {
    // Whole responses are large; this view keeps replacing them cheap during a retrieval.
    return Named(new RawTextView(m_form.State().LastGET), "LastGET");
}

void MainWindow::ScheduleUserTableCheck() {
    if (m_userTableCheckPending) return;
    m_userTableCheckPending = true;
    QTimer::singleShot(0, this, [this] {
        m_userTableCheckPending = false;
        BindCurrentUserTable();
    });
}

void MainWindow::BindCurrentUserTable() {
    const auto current = static_cast<std::size_t>(m_form.UserCtl().CurUserTable);
    if (current >= m_form.UserCtl().UserTables.size() || !m_form.UserCtl().UserTables[current]) return;
    ReportList& table = m_form.UserCtl().UserTables[current]->Rows();
    if (&table == m_boundUserTable && m_userTableBinding && m_userTableBinding->ModelAlive()) return;
    delete m_userTableBinding;
    m_userTableBinding = new QtReportList(table, m_userTableView);
    m_userTableBinding->SetFitsContents(-1);
    m_boundUserTable = &table;
    if (m_userPreview) m_userPreview->Follow(&table);
    // The binding of a table that was switched away from hid the shared view.
    m_userTableView->setVisible(true);
}

void MainWindow::BuildMenus() {
    WindowSession& session = m_form.Session();
    QMenuBar* bar = menuBar();

    QMenu* file = MakeMenu(this, m_form.TweetCtl().mFile, "mFile");
    QMenu* open = MakeMenu(file, m_form.TweetCtl().mOpen, "mOpen");
    MakeAction(open, m_form.TweetCtl().mOpenTweets, "mOpenTweets");
    QMenu* openUsers = MakeMenu(open, m_form.UserCtl().mOpenUsersMenu, "mOpenUsersMenu");
    for (int i = 0; i < 2; ++i)
        MakeAction(openUsers, m_form.UserCtl().mOpenUsers[static_cast<std::size_t>(i)],
                   qPrintable(IndexedName("mOpenUsers", i)));
    open->addMenu(openUsers);
    file->addMenu(open);
    QMenu* save = MakeMenu(file, m_form.TweetCtl().mSave, "mSave");
    MakeAction(save, m_form.TweetCtl().mSaveTweets, "mSaveTweets")
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    QMenu* saveUsers = MakeMenu(save, m_form.UserCtl().mSaveUsersMenu, "mSaveUsersMenu");
    for (int i = 0; i < 3; ++i)
        MakeAction(saveUsers, m_form.UserCtl().mSaveUsers[static_cast<std::size_t>(i)],
                   qPrintable(IndexedName("mSaveUsers", i)));
    save->addMenu(saveUsers);
    file->addMenu(save);
    MakeAction(file, m_form.TweetCtl().mSaveSend, "mSaveSend");
    MakeAction(file, m_form.UserCtl().mImportProfiler, "mImportProfiler");
    MakeAction(file, m_form.TweetCtl().mOpenArchive, "mOpenArchive");
    file->addSeparator();
    MakeAction(file, m_form.TweetCtl().mExportNetwork, "mExportNetwork");
    MakeAction(file, m_form.TweetCtl().mExportCoHashtag, "mExportCoHashtag");
    MakeAction(file, m_form.TweetCtl().mExportHashtagUser, "mExportHashtagUser");
    MakeAction(file, m_form.TweetCtl().mExportTweetsCsv, "mExportTweetsCsv");
    MakeAction(file, m_form.UserCtl().mExportUsersCsv, "mExportUsersCsv");
    MakeAction(file, m_form.TweetCtl().mExportXlsx, "mExportXlsx");
    MakeAction(file, m_form.Posts().mExportPostIds, "mExportPostIds");
    file->addSeparator();
    MakeAction(file, session.mQuit, "mQuit")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    session.mQuit.SetAction([this] { close(); });
    bar->addMenu(file);

    QMenu* tools = MakeMenu(this, m_form.TweetCtl().mTools, "mTools");
    QMenu* convert = MakeMenu(tools, m_form.TweetCtl().mConvertDT, "mConvertDT");
    MakeAction(convert, m_form.TweetCtl().mVBDateTime, "mVBDateTime");
    MakeAction(convert, m_form.TweetCtl().mSPSSDateTime, "mSPSSDateTime");
    MakeAction(convert, m_form.TweetCtl().mTwitterDateTime, "mTwitterDateTime");
    tools->addMenu(convert);
    MakeSeparator(tools, m_form.TweetCtl().mLine0, "mLine0");
    MakeAction(tools, m_form.TweetCtl().mRemRT, "mRemRT");
    MakeAction(tools, m_form.TweetCtl().mFilterTweets, "mFilterTweets");
    MakeAction(tools, m_form.TweetCtl().mFrequencies, "mFrequencies");
    MakeSeparator(tools, m_form.TweetCtl().mLine1, "mLine1");
    MakeAction(tools, m_form.TweetCtl().mCopyLog, "mCopyLog");
    MakeAction(tools, m_form.TweetCtl().mContinueBack, "mContinueBack");
    MakeAction(tools, m_form.TweetCtl().mEstimateVolume, "mEstimateVolume");
    MakeAction(tools, m_form.Spending().mSpending, "mSpending");
    bar->addMenu(tools);

    QMenu* posts = MakeMenu(this, m_form.Posts().mPosts, "mPosts");
    MakeAction(posts, m_form.Posts().mHydrate, "mHydrate");
    MakeAction(posts, m_form.Posts().mSearchesFromFile, "mSearchesFromFile");
    MakeAction(posts, m_form.Posts().mConversations, "mConversations");
    posts->addSeparator();
    PostCaptures& postCaptures = m_form.PostCalls();
    MakeAction(posts, postCaptures.mQuotes, "mQuotes");
    MakeAction(posts, postCaptures.mRepostedBy, "mRepostedBy");
    MakeAction(posts, postCaptures.mLikingUsers, "mLikingUsers");
    posts->addSeparator();
    MakeAction(posts, postCaptures.mListMembers, "mListMembers");
    bar->addMenu(posts);

    QMenu* settings = MakeMenu(this, m_form.TweetCtl().mSettings, "mSettings");
    MakeAction(settings, session.mSetLang, "mSetLang");
    MakeAction(settings, session.mSetProxy, "mSetProxy");
    MakeAction(settings, m_form.TweetCtl().mSortDT, "mSortDT")->setCheckable(true);
    MakeAction(settings, m_form.TweetCtl().mHeaders, "mHeaders")->setCheckable(true);
    MakeAction(settings, m_form.TweetCtl().mWaitQuota, "mWaitQuota")->setCheckable(true);
    MakeAction(settings, m_form.TweetCtl().mKeepRaw, "mKeepRaw")->setCheckable(true);
    settings->addSeparator();
    QMenu* api = MakeMenu(settings, m_form.TweetCtl().mServiceApi, "mServiceApi");
    auto* dialects = new QActionGroup(api);
    for (auto [item, name] : {std::pair{&m_form.TweetCtl().mApiV11, "mApiV11"},
                              {&m_form.TweetCtl().mApiV2, "mApiV2"},
                              {&m_form.TweetCtl().mServiceBluesky, "mServiceBluesky"}}) {
        QAction* action = MakeAction(api, *item, name);
        action->setCheckable(true);
        dialects->addAction(action);
    }
    settings->addMenu(api);
    MakeAction(settings, m_form.TweetCtl().mBlueskyLogIn, "mBlueskyLogIn");
    MakeAction(settings, m_form.TweetCtl().mFullArchive, "mFullArchive")->setCheckable(true);
    MakeAction(settings, m_form.Spending().mPrices, "mPrices");
    MakeAction(settings, m_form.Spending().mSpendingLimits, "mSpendingLimits");
    MakeAction(settings, m_form.TweetCtl().mExactTexts, "mExactTexts")->setCheckable(true);
    MakeAction(settings, m_form.TweetCtl().mExtraColumns, "mExtraColumns")->setCheckable(true);
    bar->addMenu(settings);

    QAction* about = bar->addAction(QString());
    about->setObjectName("mAbout");
    new QtMenuItem(session.mAbout, about);
}

void MainWindow::BuildSpendingDialogs() {
    SpendingCommands& spending = m_form.Spending();
    auto* pricesDialog = MakeAmountsDialog(
        this, "PricesDialog", "PriceField", SpendingCommands::kPricesTitle,
        tr("What the service charges, in dollars: each post or user read, and each counts request."),
        SpendingCommands::kPriceNames, spending.PriceFields,
        [&spending] { return spending.PricesOK_Click(); });
    spending.SetShowPricesAction([pricesDialog] { pricesDialog->Open(); });
    auto* limitsDialog = MakeAmountsDialog(
        this, "LimitsDialog", "LimitField", SpendingCommands::kLimitsTitle,
        tr("The most the captures may spend, in dollars. Empty: no limit; 0 allows nothing."),
        SpendingCommands::kLimitNames, spending.LimitFields,
        [&spending] { return spending.LimitsOK_Click(); });
    spending.SetShowLimitsAction([limitsDialog] { limitsDialog->Open(); });

    auto* window = new SpendingWindow(spending, this);
    spending.SetShowSpendingAction([window] { window->Open(); });
}

void MainWindow::BuildPopups() {
    QMenu* tweet = MakeMenu(this, m_form.TweetCtl().mTweet, "mTweet");
    MakeAction(tweet, m_form.TweetCtl().mNavLinkURL, "mNavLinkURL");
    MakeAction(tweet, m_form.TweetCtl().mNavUserTwitter, "mNavUserTwitter");
    MakeSeparator(tweet, m_form.TweetCtl().mTLine1, "mTLine1");
    MakeAction(tweet, m_form.TweetCtl().mAddU2UL, "mAddU2UL");
    MakeAction(tweet, m_form.TweetCtl().mDelUFUL, "mDelUFUL");
    MakeSeparator(tweet, m_form.TweetCtl().mTLine2, "mTLine2");
    MakeAction(tweet, m_form.TweetCtl().mDelTweet, "mDelTweet");
    MakeAction(tweet, m_form.TweetCtl().mDelUsersTweets, "mDelUsersTweets");

    QMenu* users = MakeMenu(this, m_form.UserCtl().mUsers, "mUsers");
    MakeAction(users, m_form.UserCtl().mCopyUL, "mCopyUL");
    MakeAction(users, m_form.UserCtl().mCopyUT, "mCopyUT");
    MakeAction(users, m_form.UserCtl().mPasteUL, "mPasteUL");
    MakeAction(users, m_form.UserCtl().mSelAllUL, "mSelAllUL");
    MakeAction(users, m_form.UserCtl().mULClear, "mULClear");
    MakeAction(users, m_form.UserCtl().mAddUser, "mAddUser");
    MakeAction(users, m_form.UserCtl().mDeleteUser, "mDeleteUser");
    MakeAction(users, m_form.UserCtl().mGetUFT, "mGetUFT");
    MakeAction(users, m_form.UserCtl().mGetUserFollowers, "mGetUserFollowers");
    MakeAction(users, m_form.UserCtl().mGetUserFriends, "mGetUserFriends");

    QMenu* userTable = MakeMenu(this, m_form.UserCtl().mUT, "mUT");
    for (int i = 0; i < 3; ++i)
        MakeAction(userTable, m_form.UserCtl().mUTSelAll[static_cast<std::size_t>(i)],
                   qPrintable(IndexedName("mUTSelAll", i)));
    MakeAction(userTable, m_form.UserCtl().mUTUnselAll, "mUTUnselAll");
}

void MainWindow::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("InfoBar");
    new QtStatusBar(m_form.State().InfoBar, bar);
    auto* service = Named(new QLabel(bar), "ServiceInUse");
    service->setFrameShape(QFrame::StyledPanel);
    service->setFrameShadow(QFrame::Sunken);
    new QtLabel(m_form.Service().ServiceInUse, service);
    bar->insertPermanentWidget(0, service);
    auto* progress = new QWidget(bar);
    progress->setObjectName("RetrievalBar");
    new QtProgressBar(m_form.State().RetrievalBar, progress);
    // At the left end: the panels on the right keep their places when it comes and goes.
    bar->addWidget(progress);
    bar->addWidget(Named(new LatestLogLine(m_form.State().Progress, bar), "LatestLogLine"), 1);
}

void MainWindow::FocusWindow() {
    activateWindow();
    raise();
    if (auto* query = findChild<QLineEdit*>("SearchQuery")) query->setFocus(Qt::ActiveWindowFocusReason);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A disabled window takes no commands, closing included: the credentials dialog is
    // up and decides.
    if (!m_form.State().Window.Enabled()) {
        event->ignore();
        return;
    }
    const MainWindowState& state = m_form.State();
    if (state.Run.Running() || state.Run.Busy() || state.Run.QuotaWaiting()) {
        // The retrieval loop still runs below us and uses this window: stop it, and
        // close (with the usual save question) once it has unwound.
        event->ignore();
        m_form.QuitGet_Click();
        QTimer::singleShot(200, this, [this] { close(); });
        return;
    }
    StoreGeometry();
    if (!m_form.Form_QueryUnload()) {
        event->ignore();
        return;
    }
    event->accept();
    m_about->hide();
}

}  // namespace marlin
