#include "window_harness.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <sstream>

#include "core/skd_funcs.h"
#include "core/tweet_column.h"
#include "platform/blank_trim.h"
#include "service/curl_http_request.h"

namespace marlin::testing {

std::chrono::year_month_day DaysAgo(int days) {
    using namespace std::chrono;
    const auto now = system_clock::to_time_t(system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    const year_month_day today{year{local.tm_year + 1900}, month{static_cast<unsigned>(local.tm_mon + 1)},
                               day{static_cast<unsigned>(local.tm_mday)}};
    return year_month_day{sys_days{today} - std::chrono::days{days}};
}

std::string ServiceDateToday(int hour) {
    const SKDFuncs::DateValue now = SKDFuncs::Now();
    static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    char text[64];
    std::snprintf(text, sizeof text, "%s %s %02d %02d:00:00 +0000 %d", kDays[SKDFuncs::Weekday(now) - 1],
                  kMonths[now.month - 1], now.day, hour, now.year);
    return text;
}

emulator::EmulatorConfig WindowHarness::SmallCorpus() {
    emulator::EmulatorConfig config;
    config.users = 200;
    config.tweetsPerDay = 300;
    config.corpusDays = 10;
    return config;
}

void WindowHarness::StartService(emulator::EmulatorConfig config, bool withScorer) {
    tk.realSleep = true;  // the scorer and the visualiser run for real
    m_graph.reset();
    m_emulator = std::make_unique<emulator::Emulator>(config);
    m_emulator->Start();
    if (withScorer) InstallScorer(m_app.path());
}

void WindowHarness::OpenForm(HttpRequestFactory factory) {
    frm.reset();
    frm = std::make_unique<frmMain>(tk, factory ? std::move(factory) : CurlHttpRequest::Factory(),
                                    m_emulator->BaseUrl(), m_app.path());
}

void WindowHarness::StartWindow(emulator::EmulatorConfig config, bool withScorer,
                                HttpRequestFactory factory) {
    StartService(std::move(config), withScorer);
    ReopenWindow(std::move(factory));
}

void WindowHarness::ReopenWindow(HttpRequestFactory factory) {
    OpenForm(std::move(factory));
    const emulator::EmulatorConfig& c = m_emulator->Config();
    ASSERT_FALSE(W().Engine.Client().AuthAppAccess(c.appName, c.consumerKey, c.consumerSecret).empty());
}

void WindowHarness::BackDays(int days) {
    TweetCtl().EarlyDate.SetValue(DaysAgo(days));
}

std::vector<std::string> WindowHarness::TableIds() {
    std::vector<std::string> ids;
    for (int row = 0; row < W().TweetsTable.Rows().RowCount(); ++row)
        ids.push_back(Trimmed(W().TweetsTable.Rows().Cell(row, TweetColumn::TweetID)));
    return ids;
}

std::vector<emulator::LoggedRequest> WindowHarness::RequestsTo(const std::string& path) const {
    std::vector<emulator::LoggedRequest> found;
    for (auto& request : m_emulator->Requests()) {
        if (request.path == path) found.push_back(request);
    }
    return found;
}

int WindowHarness::CountRequests(const std::string& path) const {
    return static_cast<int>(RequestsTo(path).size());
}

void WindowHarness::NewSearch(const std::string& query) {
    TweetCtl().SearchQuery.SetText(query);
    frm->Search().GetSrch_Click();
}

std::vector<std::string> WindowHarness::SearchBack(int days, const std::string& query) {
    BackDays(days);
    NewSearch(query);
    return TableIds();
}

std::string WindowHarness::OpenTable(const std::string& name, const std::string& bytes) {
    const std::string path = File(name).string();
    WriteFileBytes(path, bytes);
    tk.fileDialogAnswers.push_back(path);
    frm->Files().OpenTweetsTable();
    return path;
}

int WindowHarness::RunCommandLine(const std::vector<std::string>& arguments, std::string* said,
                                  const std::function<void(HeadlessRun::Setup&)>& adjust) {
    std::ostringstream stream;
    ConsoleToolkit console(stream);
    HeadlessRun::Setup setup;
    setup.requestFactory = CurlHttpRequest::Factory();
    setup.apiBase = Emu().BaseUrl();
    setup.appFolder = AppFolder();
    if (adjust) adjust(setup);
    const int code = HeadlessRun(console, std::move(setup)).Run(arguments);
    if (said) *said = stream.str();
    return code;
}

std::function<const char*(const char*)> WindowHarness::EmulatorCredentials() {
    const emulator::EmulatorConfig& c = Emu().Config();
    return [c](const char* name) -> const char* {
        const std::string n = name;
        if (n == "MARLIN_APP_NAME") return c.appName.c_str();
        if (n == "MARLIN_CONSUMER_KEY") return c.consumerKey.c_str();
        return n == "MARLIN_CONSUMER_SECRET" ? c.consumerSecret.c_str() : nullptr;
    };
}

}  // namespace marlin::testing

namespace marlin::testing {

const emulator::PostGraph& WindowHarness::Graph() {
    if (!m_graph) m_graph = std::make_unique<emulator::PostGraph>(Emu().Data(), Emu().Config().seed);
    return *m_graph;
}

std::pair<std::uint64_t, std::set<std::uint64_t>> WindowHarness::BusiestConversation() {
    const emulator::Corpus& corpus = Emu().Data();
    auto replies = [&](std::uint64_t root) {
        std::set<std::uint64_t> found;
        for (const std::uint64_t id : Graph().Replies(root))
            if (!corpus.IsProtected(corpus.FindTweet(id)->user)) found.insert(id);
        return found;
    };
    std::pair<std::uint64_t, std::set<std::uint64_t>> busiest{0, {}};
    for (int user = 0; user < corpus.UserCount(); ++user)
        for (int seq = 0; seq < std::min(corpus.TweetCount(user), 300); ++seq) {
            const std::uint64_t id = corpus.TweetId({user, seq});
            if (Graph().Replies(id).size() <= busiest.second.size() || !PostVisible(id)) continue;
            if (std::set<std::uint64_t> found = replies(id); found.size() > busiest.second.size())
                busiest = {id, std::move(found)};
        }
    return busiest;
}

}  // namespace marlin::testing
