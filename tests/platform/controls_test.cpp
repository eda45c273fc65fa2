#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/button.h"
#include "platform/check_list.h"
#include "platform/date_picker.h"
#include "platform/drop_down_list.h"
#include "platform/label.h"
#include "platform/log_list.h"
#include "platform/menu_item.h"
#include "platform/option_group.h"
#include "platform/status_bar.h"
#include "platform/text_box.h"
#include "platform/timer.h"

namespace marlin {
namespace {

using namespace std::chrono;

TEST(ChangeNotifierTest, SubscriptionsEndWithEitherSideAndMayEndDuringANotification) {
    auto model = std::make_unique<Button>();
    int heard = 0;
    Subscription first = model->Subscribe([&](const ModelChange&) { ++heard; });
    Subscription second;
    second = model->Subscribe([&](const ModelChange&) {
        ++heard;
        first.Reset();  // a view that lets go while being told of a change
    });
    model->SetCaption("a");
    model->SetCaption("b");
    EXPECT_EQ(heard, 3);
    EXPECT_FALSE(first.Active());
    EXPECT_TRUE(second.Active());
    model.reset();
    EXPECT_FALSE(second.Active());  // the model is gone; dropping the subscription is still safe
}

TEST(CheckListTest, CountsChecksAndRunsItsActionsForProgramChangesToo) {
    CheckList list;
    int clicks = 0;
    std::vector<int> checks;
    list.SetClickAction([&] { ++clicks; });
    list.SetItemCheckAction([&](int index) { checks.push_back(index); });
    list.SetItems({"ann", "bob", "cy"});
    list.SetChecked(1, true);
    list.SetAllChecked(true);
    EXPECT_EQ(list.CheckedCount(), 3);
    EXPECT_EQ(checks, (std::vector<int>{1, 0, 2}));

    list.SetSelectedIndex(2);
    list.SetSelectedIndex(2);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(list.SelectedText(), "cy");
    list.InsertItem(0, "zed");
    EXPECT_EQ(list.SelectedText(), "cy");
    list.RemoveItem(list.Find("cy"));
    EXPECT_EQ(list.SelectedIndex(), -1);
    EXPECT_EQ(list.Find("Ann"), -1);
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"zed", "ann", "bob"}));
    EXPECT_THROW(list.SetChecked(3, true), std::out_of_range);
}

TEST(DropDownListTest, SelectingByProgramOrUserRunsTheOpenActionEachTime) {
    DropDownList history;
    std::vector<std::string> opened;
    history.SetOpenAction([&](int index) { opened.push_back(history.Item(index)); });
    history.AddItem("old");
    history.SetSelectedIndex(0);
    history.InsertItem(0, "new");
    EXPECT_EQ(history.SelectedIndex(), 1);  // the selection follows its entry
    history.SetSelectedIndex(0);
    history.SetSelectedIndex(0);  // chosen again: opened again
    EXPECT_EQ(opened, (std::vector<std::string>{"old", "new", "new"}));
    history.SetSelectedIndex(-1);
    EXPECT_EQ(opened.size(), 3u);
    EXPECT_EQ(history.SelectedText(), "");
}

TEST(DropDownListTest, AnOpenActionMayRemoveTheEntryItOpens) {
    DropDownList history;
    history.AddItem("gone");
    history.AddItem("kept");
    history.SetOpenAction([&](int index) { history.RemoveItem(index); });
    history.SetSelectedIndex(0);
    EXPECT_EQ(history.Items(), (std::vector<std::string>{"kept"}));
    EXPECT_EQ(history.SelectedIndex(), -1);
}

TEST(LogListTest, AppendsRewritesTheNewestLineAndJoinsForTheClipboard) {
    LogList log;
    EXPECT_EQ(log.AllText(), "");
    log.ReplaceLast("first");  // nothing to rewrite yet: appended
    log.Append("Retrieved 0 statuses");
    log.ReplaceLast("Retrieved 100 statuses");
    log.SelectLast();
    EXPECT_EQ(log.Count(), 2);
    EXPECT_EQ(log.Last(), "Retrieved 100 statuses");
    EXPECT_EQ(log.SelectedIndex(), 1);
    EXPECT_EQ(log.AllText(), "first\r\nRetrieved 100 statuses\r\n");
}

TEST(StatusBarTest, HasFourPanelsNumberedFromOne) {
    StatusBar bar;
    bar.SetPanel(1, "12 tweets displayed");
    bar.SetPanel(4, "Next reset: 10:00");
    EXPECT_EQ(bar.Panel(1), "12 tweets displayed");
    EXPECT_EQ(bar.Panel(2), "");
    EXPECT_THROW(bar.SetPanel(0, "x"), std::out_of_range);
    EXPECT_THROW(bar.Panel(5), std::out_of_range);
}

TEST(DatePickerTest, KeepsItsDateWithinTheRange) {
    DatePicker picker;
    EXPECT_GE(sys_days{picker.Value()}, sys_days{DatePicker::kMinDate});
    int changes = 0;
    picker.SetChangeAction([&] { ++changes; });
    EXPECT_TRUE(picker.SetValue(2014, 3, 9));
    EXPECT_EQ(picker.Value(), year_month_day(year{2014}, March, day{9}));
    EXPECT_TRUE(picker.SetValue(1999, 1, 1));
    EXPECT_EQ(picker.Value(), DatePicker::kMinDate);
    EXPECT_TRUE(picker.SetValue(2031, 6, 1));
    EXPECT_EQ(picker.Value(), DatePicker::kMaxDate);
    EXPECT_FALSE(picker.SetValue(2014, 2, 30));
    EXPECT_EQ(picker.Value(), DatePicker::kMaxDate);
    EXPECT_EQ(changes, 3);
}

TEST(MenuItemTest, ChoosingRunsTheActionWhichAloneDecidesTheCheckMark) {
    MenuItem sortTable("Sort Tweets Table");
    sortTable.SetChecked(true);
    int runs = 0;
    sortTable.SetAction([&] {
        ++runs;
        sortTable.SetChecked(!sortTable.Checked());
    });
    sortTable.Click();
    EXPECT_FALSE(sortTable.Checked());
    sortTable.SetVisible(false);
    sortTable.Click();  // hidden items cannot be chosen
    sortTable.SetVisible(true);
    sortTable.SetEnabled(false);
    sortTable.Click();
    EXPECT_EQ(runs, 1);

    MenuItem popup;
    popup.ShowPopup();
    EXPECT_EQ(popup.PopupCount(), 1);
}

TEST(ButtonTest, ADisabledButtonIgnoresClicksAndHolds) {
    Button show("Show");
    std::vector<std::string> events;
    show.SetClickAction([&] { events.push_back("click"); });
    show.SetPressAction([&] { events.push_back("press"); });
    show.SetReleaseAction([&] { events.push_back("release"); });
    show.Press();
    show.Release();
    show.Click();
    show.SetEnabled(false);
    show.Click();
    show.Press();
    EXPECT_EQ(events, (std::vector<std::string>{"press", "release", "click"}));
}

TEST(TextBoxTest, ChangeActionRunsForRealChangesOnly) {
    TextBox box;
    int changes = 0;
    box.SetChangeAction([&] { ++changes; });
    box.SetText("marlin AND twitter");
    box.SetText("marlin AND twitter");
    box.SetText("");
    EXPECT_EQ(changes, 2);
    int left = 0;
    box.SetLostFocusAction([&] { ++left; });
    box.LostFocus();
    EXPECT_EQ(left, 1);
}

TEST(SmallControlsTest, LabelTimerAndOptionGroupKeepTheirState) {
    Label status;
    status.SetForeColor(Label::Rgb(0, 0, 255));
    EXPECT_EQ(status.ForeColor(), 0x0000FFu);

    Timer timer(1000);
    int ticks = 0;
    timer.SetTickAction([&] { ++ticks; });
    timer.Tick();
    timer.SetEnabled(false);
    timer.Tick();
    EXPECT_EQ(ticks, 1);

    OptionGroup handle({"Screen Name", "User Id"});
    std::vector<int> clicks;
    handle.SetClickAction([&](int index) { clicks.push_back(index); });
    handle.SetSelectedIndex(1);
    handle.SetSelectedIndex(1);
    EXPECT_EQ(clicks, (std::vector<int>{1, 1}));
    EXPECT_THROW(handle.SetSelectedIndex(2), std::out_of_range);
}

}  // namespace
}  // namespace marlin
