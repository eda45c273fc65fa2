// The window answers while a request is out, and the Tweets table gets the room on a
// laptop-sized screen.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTest>
#include <memory>

#include "emulator/emulator.h"
#include "platform/testing/scripted_toolkit.h"
#include "service/curl_http_request.h"
#include "test_support.h"
#include "window_driver.h"
#include "workspace/frm_main.h"
#include "workspace/ui/main_window.h"

namespace marlin {
namespace {

class WindowRoomTest : public ::testing::Test {
  protected:
    WindowRoomTest() {
        emulator::EmulatorConfig config;
        config.users = 200;
        config.tweetsPerDay = 300;
        service = std::make_unique<emulator::Emulator>(config);
        service->Start();
        testing::InstallScorer(app.path());
        tk.onDoEvents = [] { QCoreApplication::processEvents(); };
        tk.realSleep = true;
        form = std::make_unique<frmMain>(tk, CurlHttpRequest::Factory(), service->BaseUrl(), app.path());
        window = std::make_unique<MainWindow>(*form);
        window->Start();
        testing::TypeCredentialsAndOk(*window, *service);
        QCoreApplication::processEvents();
    }
    ~WindowRoomTest() override {
        window.reset();
        form.reset();
    }

    testing::TempFolder app;
    testing::ScriptedToolkit tk;
    std::unique_ptr<emulator::Emulator> service;
    std::unique_ptr<frmMain> form;
    std::unique_ptr<MainWindow> window;
};

TEST_F(WindowRoomTest, ClosingWhileARequestStallsEndsItAtOnceAndKeepsThePagesForTheQuestion) {
    testing::TypeInto(*window, "SearchQuery", service->Queries().common);
    QElapsedTimer sinceClose;
    tk.onDoEvents = [&] {
        QCoreApplication::processEvents();
        if (sinceClose.isValid() || form->State().Engine.Tweets().Count() == 0) return;
        service->InjectFault(emulator::Family::Search, emulator::Fault::Stall, 1, 10);
        sinceClose.start();
        window->close();
    };
    tk.messageAnswers = {MsgResult::OK, MsgResult::No};  // the Cancel box, then "Save Tweets before exiting?"
    QTest::mouseClick(testing::FindWidget<QPushButton>(*window, "GetSrch"), Qt::LeftButton);

    ASSERT_TRUE(sinceClose.isValid());
    EXPECT_LT(sinceClose.elapsed(), 1000);
    EXPECT_GT(form->State().TweetsTable.Rows().RowCount(), 0);
    EXPECT_TRUE(testing::WaitFor([&] { return !window->isVisible(); }));
}

TEST_F(WindowRoomTest, OnALaptopScreenTheTweetsTableTakesMostOfTheHeight) {
    EXPECT_LE(window->minimumSizeHint().height(), 768);
    EXPECT_LE(window->minimumSizeHint().width(), 1366);
    window->resize(1366, 740);
    auto* panes = window->findChild<QSplitter*>("MainSplitter");
    ASSERT_NE(panes, nullptr);
    panes->setSizes({panes->height() * 24 / 100, panes->height() * 56 / 100, panes->height() * 20 / 100});
    QCoreApplication::processEvents();
    auto* table = testing::FindWidget<QTableView>(*window, "OutTable");
    EXPECT_GT(table->height(), panes->height() * 45 / 100);

    // Every splitter handle moves under the mouse.
    for (QSplitter* splitter : window->findChildren<QSplitter*>()) {
        SCOPED_TRACE(splitter->objectName().toStdString());
        const QList<int> before = splitter->sizes();
        testing::DragHandle(splitter->handle(1),
                            splitter->orientation() == Qt::Vertical ? QPoint(0, -30) : QPoint(-30, 0));
        EXPECT_NE(splitter->sizes(), before);
    }

    EXPECT_EQ(table->model()->headerData(1, Qt::Horizontal, Qt::ToolTipRole).toString(), "UserScreenName");
}

TEST_F(WindowRoomTest, TheFirstStartGivesTheTableMostOfTheHeightAndLaterStartsComeBackWhereTheyWere) {
    // The table with the strip under it that shows its selected post.
    auto* table = testing::FindWidget<QSplitter>(*window, "TweetSplitter");
    EXPECT_GE(table->height(), window->height() * 60 / 100);
    window->showNormal();
    window->setGeometry(40, 50, 1000, 700);
    QCoreApplication::processEvents();
    window->close();
    EXPECT_THAT(testing::ReadFileBytes(app / "prefs"), ::testing::HasSubstr("SP-Window:40,50,1000,700,0"));

    frmMain again(tk, CurlHttpRequest::Factory(), service->BaseUrl(), app.path());
    MainWindow second(again);
    second.Start();
    testing::TypeCredentialsAndOk(second, *service);
    QCoreApplication::processEvents();
    EXPECT_EQ(second.geometry().size(), QSize(1000, 700));
}

}  // namespace
}  // namespace marlin
