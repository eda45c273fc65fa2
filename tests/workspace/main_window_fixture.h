#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "emulator/emulator.h"
#include "platform/testing/scripted_toolkit.h"
#include "service/curl_http_request.h"
#include "test_support.h"
#include "workspace/frm_main.h"

namespace marlin::testing {

// The main window against the emulator on loopback, in a program folder of its own that
// holds the scorer stand-in, with the scripted toolkit answering its questions.
class MainWindowTest : public ::testing::Test {
  protected:
    // A small corpus: a few hundred tweets a day, so that a search spans days in a few
    // pages and every test runs in a second or two.
    static emulator::EmulatorConfig SmallCorpus() {
        emulator::EmulatorConfig config;
        config.users = 200;
        config.tweetsPerDay = 300;
        config.corpusDays = 10;
        return config;
    }

    void StartWindow(emulator::EmulatorConfig config = SmallCorpus(), bool withScorer = true) {
        tk.realSleep = true;  // the scorer and the visualiser run for real
        m_emulator = std::make_unique<emulator::Emulator>(config);
        m_emulator->Start();
        if (withScorer) InstallScorer(m_app.path());
        frm = std::make_unique<frmMain>(tk, CurlHttpRequest::Factory(), m_emulator->BaseUrl(), m_app.path());
        const emulator::EmulatorConfig& c = m_emulator->Config();
        ASSERT_FALSE(W().Twitter.AuthAppAccess(c.appName, c.consumerKey, c.consumerSecret).empty());
    }

    MainWindowState& W() { return frm->State(); }
    emulator::Emulator& Emu() { return *m_emulator; }
    const std::filesystem::path& AppFolder() const { return m_app.path(); }
    std::filesystem::path File(const std::string& name) const { return m_app / name; }

    // Sets the threshold date to today minus this many days.
    void BackDays(int days) {
        using namespace std::chrono;
        const auto now = system_clock::to_time_t(system_clock::now());
        std::tm local{};
        localtime_r(&now, &local);
        const year_month_day today{year{local.tm_year + 1900}, month{static_cast<unsigned>(local.tm_mon + 1)},
                                   day{static_cast<unsigned>(local.tm_mday)}};
        W().Tweets.EarlyDate.SetValue(year_month_day{sys_days{today} - std::chrono::days{days}});
    }

    // Runs a New search for the query, answering No to any question about unsaved rows.
    void NewSearch(const std::string& query) {
        W().Tweets.SearchQuery.SetText(query);
        frm->GetSrch_Click();
    }

    // Writes a tweet table file into the program folder and opens it through the dialog.
    std::string OpenTable(const std::string& name, const std::string& bytes) {
        const std::string path = File(name).string();
        WriteFileBytes(path, bytes);
        tk.fileDialogAnswers.push_back(path);
        frm->mOpenTweets_Click();
        return path;
    }

    std::vector<std::string> LogLines() const { return frm->State().Progress.Lines(); }

    // The TweetID column of every row, padding removed, in display order.
    std::vector<std::string> TableIds() {
        std::vector<std::string> ids;
        for (int row = 0; row < W().OutTable.RowCount(); ++row) {
            std::string id(W().OutTable.Cell(row, 3));
            ids.push_back(id.substr(id.find_first_not_of(' ')));
        }
        return ids;
    }

    // Search requests the emulator has answered.
    int SearchRequests() const {
        int count = 0;
        for (const auto& request : m_emulator->Requests()) count += request.path == "/1.1/search/tweets.json";
        return count;
    }

    ScriptedToolkit tk;
    std::unique_ptr<frmMain> frm;

  private:
    TempFolder m_app;
    std::unique_ptr<emulator::Emulator> m_emulator;
};

inline bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}
inline bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace marlin::testing
