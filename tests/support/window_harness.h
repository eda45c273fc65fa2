#pragma once

// The one set-up of the main window that the workspace, fault and window tests share: the
// emulator on loopback, a program folder of the test's own with the scorer stand-in, the
// scripted toolkit and frmMain, with the helpers they all use.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "emulator/emulator.h"
#include "emulator/post_graph.h"
#include "platform/testing/scripted_toolkit.h"
#include "service/http_request.h"
#include "test_support.h"
#include "workspace/frm_main.h"
#include "workspace/headless/headless_run.h"

namespace marlin::testing {

// Text checks read as sentences in the tests.
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

// Today minus this many days, in the local calendar (the threshold date picker's value).
std::chrono::year_month_day DaysAgo(int days);

// Today in the service's date-time layout ("Wed Aug 27 13:00:00 +0000 2008"), at the given
// UTC hour.
std::string ServiceDateToday(int hour = 0);

class WindowHarness : public ::testing::Test {
  protected:
    // A small corpus: a few hundred tweets a day, so that a search spans days in a few
    // pages and every test runs in a second or two.
    static emulator::EmulatorConfig SmallCorpus();

    // Starts the emulator, installs the scorer into the program folder when asked.
    void StartService(emulator::EmulatorConfig config = SmallCorpus(), bool withScorer = true);
    // Makes the window (again) over the running service; the default factory is libcurl's.
    void OpenForm(HttpRequestFactory factory = {});
    // A fresh window on the running service, its main client authenticated.
    void ReopenWindow(HttpRequestFactory factory = {});
    // Both, with the main client authenticated.
    void StartWindow(emulator::EmulatorConfig config = SmallCorpus(), bool withScorer = true,
                     HttpRequestFactory factory = {});

    MainWindowState& W() { return frm->State(); }
    // The controls of the tweet side and of the user side.
    TweetControls& TweetCtl() { return frm->TweetCtl(); }
    UserControls& UserCtl() { return frm->UserCtl(); }
    emulator::Emulator& Emu() { return *m_emulator; }
    const std::filesystem::path& AppFolder() const { return m_app.path(); }
    std::filesystem::path File(const std::string& name) const { return m_app / name; }

    // Sets the threshold date to today minus this many days.
    void BackDays(int days);
    // The TweetID column of every row, padding removed, in display order.
    std::vector<std::string> TableIds();
    std::vector<std::string> LogLines() const { return frm->State().Progress.Lines(); }
    // The requests the emulator has answered (or dropped) on that path, and their count.
    std::vector<emulator::LoggedRequest> RequestsTo(const std::string& path) const;
    int CountRequests(const std::string& path) const;
    // Runs a New search for the query.
    void NewSearch(const std::string& query);
    // Runs a New search back this many days; the table's ids.
    std::vector<std::string> SearchBack(int days, const std::string& query);
    // The command line over the running service and the program folder; what it said on
    // its error stream goes to `said`. `adjust` changes the set-up first (the pauses before
    // retries, the request factory, the environment, the output stream).
    int RunCommandLine(const std::vector<std::string>& arguments, std::string* said = nullptr,
                       const std::function<void(HeadlessRun::Setup&)>& adjust = {});
    // What the corpus implies beyond its posts (replies, reposts, what can no longer be seen).
    const emulator::PostGraph& Graph();
    bool PostVisible(std::uint64_t id) {
        return Graph().OfId(id) == emulator::PostGraph::Visibility::Visible;
    }
    // A post that can be seen and started the conversation with the most replies a search finds
    // (every reply but a protected author's), with those replies.
    std::pair<std::uint64_t, std::set<std::uint64_t>> BusiestConversation();
    // An environment that holds the emulator's app name, consumer key and secret.
    std::function<const char*(const char*)> EmulatorCredentials();
    // Writes a tweet table file into the program folder and opens it through the dialog.
    std::string OpenTable(const std::string& name, const std::string& bytes);

    ScriptedToolkit tk;
    std::unique_ptr<frmMain> frm;

  private:
    TempFolder m_app;
    std::unique_ptr<emulator::Emulator> m_emulator;
    std::unique_ptr<emulator::PostGraph> m_graph;
};

}  // namespace marlin::testing
