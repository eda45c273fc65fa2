#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <memory>

#include "platform/button.h"
#include "platform/check_list.h"
#include "platform/date_picker.h"
#include "platform/drop_down_list.h"
#include "platform/label.h"
#include "platform/log_list.h"
#include "platform/menu_item.h"
#include "platform/option_group.h"
#include "platform/progress_bar.h"
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
#include "platform/qt/qt_status_bar.h"
#include "platform/qt/qt_text_box.h"
#include "platform/qt/qt_timer.h"
#include "platform/qt/qt_window.h"
#include "platform/status_bar.h"
#include "platform/text_box.h"
#include "platform/timer.h"

namespace marlin {
namespace {

TEST(QtCheckListTest, UserChecksAndChoicesReachTheListAndProgramChangesShow) {
    CheckList users;
    users.SetItems({"ann", "bob"});
    int checks = 0;
    int clicks = 0;
    users.SetItemCheckAction([&](int) { ++checks; });
    users.SetClickAction([&] { ++clicks; });
    QListWidget widget;
    widget.setToolTip("Copy users here");
    new QtCheckList(users, &widget);
    EXPECT_EQ(users.ToolTip(), "Copy users here");  // an empty model tooltip takes the form's
    ASSERT_EQ(widget.count(), 2);

    widget.item(1)->setCheckState(Qt::Checked);  // as a click on the box does
    EXPECT_TRUE(users.Checked(1));
    EXPECT_EQ(checks, 1);
    widget.setCurrentRow(0);
    EXPECT_EQ(users.SelectedIndex(), 0);
    EXPECT_EQ(clicks, 1);

    users.AddItem("cy", true);
    users.SetItem(0, "anne");
    users.SetBold(true);
    users.SetToolTip("List contains followers of marlin");
    ASSERT_EQ(widget.count(), 3);
    EXPECT_EQ(widget.item(0)->text(), "anne");
    EXPECT_EQ(widget.item(2)->checkState(), Qt::Checked);
    EXPECT_TRUE(widget.font().bold());
    EXPECT_EQ(widget.toolTip(), "List contains followers of marlin");
    users.Clear();
    EXPECT_EQ(widget.count(), 0);
    EXPECT_EQ(checks, 1);  // rebuilding the widget is not the user checking anything
}

TEST(QtDropDownListTest, TheUsersChoiceRunsTheOpenActionEvenForTheShownEntry) {
    DropDownList history;
    history.AddItem("cats  /data/cats.txt");
    history.AddItem("dogs  /data/dogs.txt");
    std::vector<int> opened;
    history.SetOpenAction([&](int index) { opened.push_back(index); });
    QComboBox combo;
    new QtDropDownList(history, &combo);
    ASSERT_EQ(combo.count(), 2);
    EXPECT_EQ(combo.currentIndex(), -1);

    history.SetSelectedIndex(1);
    EXPECT_EQ(combo.currentIndex(), 1);
    emit combo.activated(1);  // the user picks the entry already shown
    emit combo.activated(0);
    EXPECT_EQ(opened, (std::vector<int>{1, 1, 0}));
    history.InsertItem(0, "birds  /data/birds.txt");
    EXPECT_EQ(combo.itemText(0), "birds  /data/birds.txt");
    EXPECT_EQ(combo.currentIndex(), 1);
}

TEST(QtLogListTest, KeepsTheNewestLineInSight) {
    LogList log;
    QListWidget widget;
    widget.resize(300, 100);
    new QtLogList(log, &widget);
    widget.show();
    for (int i = 0; i < 200; ++i) log.Append("line " + std::to_string(i));
    log.ReplaceLast("Retrieved 100 statuses");
    log.SelectLast();
    QApplication::processEvents();
    ASSERT_EQ(widget.count(), 200);
    EXPECT_EQ(widget.item(199)->text(), "Retrieved 100 statuses");
    EXPECT_EQ(widget.currentRow(), 199);
    EXPECT_EQ(widget.verticalScrollBar()->value(), widget.verticalScrollBar()->maximum());
    log.Clear();
    EXPECT_EQ(widget.count(), 0);
}

TEST(QtStatusBarTest, FourNamedPanelsShowOneLineEach) {
    StatusBar bar;
    QMainWindow window;
    window.statusBar()->setObjectName("InfoBar");
    auto* binding = new QtStatusBar(bar, window.statusBar());
    bar.SetPanel(3, "179 SEARCH requests remaining\r\n");
    bar.SetPanel(1, "12 tweets displayed");
    EXPECT_EQ(binding->panel(3)->text(), "179 SEARCH requests remaining");
    EXPECT_EQ(binding->panel(1)->text(), "12 tweets displayed");
    EXPECT_EQ(window.findChild<QLabel*>("InfoBarPanel4"), binding->panel(4));
}

TEST(QtStatusBarTest, PanelsKeepTheirPlacesAsTextsChangeAndShowLongTextsWhole) {
    StatusBar bar;
    QMainWindow window;
    window.statusBar()->setObjectName("InfoBar");
    auto* binding = new QtStatusBar(bar, window.statusBar());
    window.resize(1366, 200);
    window.show();
    const auto lefts = [&] {
        std::vector<int> x;
        for (int i = 1; i <= StatusBar::kPanelCount; ++i) x.push_back(binding->panel(i)->x());
        return x;
    };
    QCoreApplication::processEvents();
    const std::vector<int> empty = lefts();
    for (const char* text :
         {"0 users displayed (0 checked)", "5000 users displayed (5000 checked)", "Empty"}) {
        bar.SetPanel(2, text);
        bar.SetPanel(3, std::string(text).size() % 2 ? "9 SEARCH requests remaining" : "");
        QCoreApplication::processEvents();
        EXPECT_EQ(lefts(), empty) << text;
        for (int i = 1; i <= StatusBar::kPanelCount; ++i) {
            QLabel* panel = binding->panel(i);
            EXPECT_GE(panel->contentsRect().width(), panel->fontMetrics().horizontalAdvance(panel->text()))
                << text;
        }
    }
    bar.SetPanel(4, "Next reset: a text far longer than any the panel usually holds, shown whole");
    QCoreApplication::processEvents();
    EXPECT_GE(binding->panel(4)->contentsRect().width(),
              binding->panel(4)->fontMetrics().horizontalAdvance(binding->panel(4)->text()));
}

TEST(QtProgressBarTest, ShowsTheShareOrABusyBarWhenTheEndIsNotKnown) {
    ProgressBar model;
    QWidget container;
    auto* binding = new QtProgressBar(model, &container);
    model.Begin("tweets");
    model.Advance(0.4, 10);
    EXPECT_EQ(binding->bar()->maximum(), 100);
    EXPECT_EQ(binding->bar()->value(), 40);
    model.Begin("users", false);
    model.Advance(0, 200);
    EXPECT_EQ(binding->bar()->maximum(), 0);  // Qt's busy bar
    EXPECT_EQ(binding->rate()->text(), "200 users");
}

TEST(QtDatePickerTest, LimitsTheWidgetToTheRangeAndPassesTheUsersDate) {
    DatePicker picker;
    picker.SetValue(2014, 3, 2);
    QDateEdit edit;
    new QtDatePicker(picker, &edit);
    EXPECT_EQ(edit.date(), QDate(2014, 3, 2));
    EXPECT_EQ(edit.minimumDate(), QDate(2006, 1, 1));
    EXPECT_EQ(edit.maximumDate(), QDate(2030, 12, 31));
    edit.setDate(QDate(2015, 7, 1));
    EXPECT_EQ(picker.Value(),
              std::chrono::year_month_day(std::chrono::year{2015}, std::chrono::July, std::chrono::day{1}));
    picker.SetValue(2010, 1, 5);
    EXPECT_EQ(edit.date(), QDate(2010, 1, 5));
}

TEST(QtMenuItemTest, TheModelKeepsTheCheckMarkAndTheActionDecidesIt) {
    MenuItem sortTable;
    MenuItem headers;
    QAction sortAction("Sort Tweets Table");
    sortAction.setCheckable(true);
    QAction headersAction("Save Tweets With Headers");
    headersAction.setCheckable(true);
    sortTable.SetChecked(true);
    int runs = 0;
    sortTable.SetAction([&] {
        ++runs;
        sortTable.SetChecked(!sortTable.Checked());
    });
    headers.SetAction([&] { ++runs; });  // an action that leaves the mark alone
    new QtMenuItem(sortTable, &sortAction);
    new QtMenuItem(headers, &headersAction);
    EXPECT_EQ(sortTable.Caption(), "Sort Tweets Table");  // taken from the form
    EXPECT_TRUE(sortAction.isChecked());

    sortAction.trigger();
    headersAction.trigger();
    EXPECT_EQ(runs, 2);
    EXPECT_FALSE(sortTable.Checked());
    EXPECT_FALSE(sortAction.isChecked());
    EXPECT_FALSE(headersAction.isChecked());  // Qt's own toggle undone

    headers.SetVisible(false);
    headers.SetCaption("Key && Fields");
    EXPECT_FALSE(headersAction.isVisible());
    EXPECT_EQ(headersAction.text(), "Key && Fields");
}

TEST(QtMenuItemTest, APopupRequestShowsTheMenuAndReturnsWhenItCloses) {
    MenuItem popup;
    QMenu menu("mTweet");
    menu.addAction("Delete Tweet");
    new QtMenuItem(popup, &menu);
    bool wasShown = false;
    QTimer::singleShot(0, [&] {
        wasShown = menu.isVisible();
        menu.close();
    });
    popup.ShowPopup();
    EXPECT_TRUE(wasShown);
    EXPECT_FALSE(menu.isVisible());
    EXPECT_EQ(popup.Caption(), "mTweet");
}

TEST(QtButtonTest, ClicksPressesAndReleasesReachTheModelWhichControlsTheWidget) {
    Button show;
    QPushButton widget("Show");
    new QtButton(show, &widget);
    EXPECT_EQ(show.Caption(), "Show");
    std::vector<std::string> events;
    show.SetPressAction([&] { events.push_back("press"); });
    show.SetReleaseAction([&] { events.push_back("release"); });
    show.SetClickAction([&] { events.push_back("click"); });
    widget.click();
    EXPECT_EQ(events, (std::vector<std::string>{"press", "release", "click"}));
    show.SetEnabled(false);
    show.SetCaption("New ");
    EXPECT_FALSE(widget.isEnabled());
    EXPECT_EQ(widget.text(), "New ");
}

TEST(QtTextBoxTest, TypingEditsTheModelAndLeavingRunsTheLostFocusAction) {
    TextBox query;
    QWidget window;
    auto* edit = new QLineEdit(&window);
    auto* other = new QLineEdit(&window);
    new QtTextBox(query, edit);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    int changes = 0;
    int left = 0;
    query.SetChangeAction([&] { ++changes; });
    query.SetLostFocusAction([&] { ++left; });
    edit->setFocus();
    QTest::keyClicks(edit, "cats");
    EXPECT_EQ(query.Text(), "cats");
    EXPECT_EQ(changes, 4);
    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(left, 1);

    query.SetText("marlin AND twitter");
    EXPECT_EQ(edit->text(), "marlin AND twitter");
    query.SetPasswordChar("*");
    EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
    query.SetPasswordChar("");
    EXPECT_EQ(edit->echoMode(), QLineEdit::Normal);
}

TEST(QtTextBoxTest, AManyLineBoxShowsTheProgramsTextWithoutEchoingIt) {
    TextBox raw;
    int changes = 0;
    raw.SetChangeAction([&] { ++changes; });
    QPlainTextEdit edit;
    new QtTextBox(raw, &edit);
    raw.SetText("{\"statuses\":[]}\n");
    EXPECT_EQ(edit.toPlainText(), "{\"statuses\":[]}\n");
    EXPECT_EQ(changes, 1);
    edit.setPlainText("typed");
    EXPECT_EQ(raw.Text(), "typed");
}

TEST(QtSmallControlsTest, LabelColourTimerTicksOptionsAndFrames) {
    Label status;
    QLabel label("Status");
    new QtLabel(status, &label);
    status.SetCaption("Authentication successful. Skimmer is now operational!");
    status.SetForeColor(Label::Rgb(0, 0, 255));
    EXPECT_EQ(label.text(), "Authentication successful. Skimmer is now operational!");
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0, 0, 255));

    Timer timer(5);
    int ticks = 0;
    timer.SetTickAction([&] { ++ticks; });
    QObject owner;
    auto* qtimer = new QtTimer(timer, &owner);
    EXPECT_TRUE(qtimer->timer()->isActive());
    QTest::qWait(40);
    EXPECT_GT(ticks, 0);
    timer.SetEnabled(false);
    EXPECT_FALSE(qtimer->timer()->isActive());

    OptionGroup handle;
    QWidget box;
    auto* screenName = new QRadioButton("Screen Name", &box);
    auto* userId = new QRadioButton("User Id", &box);
    new QtOptionGroup(handle, {screenName, userId});
    EXPECT_EQ(handle.Count(), 2);
    EXPECT_EQ(handle.Caption(1), "User Id");
    std::vector<int> clicks;
    handle.SetClickAction([&](int index) { clicks.push_back(index); });
    userId->click();
    handle.SetSelectedIndex(0);
    EXPECT_EQ(clicks, (std::vector<int>{1, 0}));
    EXPECT_TRUE(screenName->isChecked());
    EXPECT_FALSE(userId->isChecked());

    ControlModel frameModel;
    QWidget frame(&box);
    box.show();
    new QtControl(frameModel, &frame);
    EXPECT_TRUE(frame.isVisible());  // binding shows and hides nothing by itself
    frameModel.SetEnabled(false);
    EXPECT_FALSE(frame.isEnabled());
    frameModel.SetVisible(false);
    EXPECT_TRUE(frame.isHidden());
}

TEST(QtWindowTest, CaptionIsTheTitleAndDisablingBlocksTheWindow) {
    Label state;
    QMainWindow window;
    new QtWindow(state, &window);
    window.winId();  // the native title is what the user sees; Qt hides a "[*]" it takes for its own
    state.SetCaption("Marlin Skimmer Desktop Edition [*]");
    state.SetEnabled(false);
    EXPECT_EQ(window.windowHandle()->title(), "Marlin Skimmer Desktop Edition [*]");
    EXPECT_FALSE(window.isEnabled());
    EXPECT_FALSE(window.isVisible());
}

TEST(QtControlTest, BindingNeverShowsAWindowAndStopsWhenTheModelGoes) {
    auto model = std::make_unique<Button>();
    auto* window = new QPushButton("top level");
    new QtButton(*model, window);
    EXPECT_FALSE(window->isVisible());
    model.reset();
    window->click();  // nothing left to tell; must not crash
    delete window;
}

}  // namespace
}  // namespace marlin
