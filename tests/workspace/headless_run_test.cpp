// The command line's captures: the same workflows over the console toolkit, in process
// against the emulator, and the built program as a subprocess stopped by SIGINT.
#include <gmock/gmock.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <sstream>
#include <thread>

#include "emulator/emulator.h"
#include "forwarding_request.h"
#include "platform/console_toolkit.h"
#include "service/curl_http_request.h"
#include "spending/utc_date.h"
#include "test_support.h"
#include "workspace/headless/headless_run.h"

extern char** environ;

namespace marlin::testing {
namespace {

using ::testing::HasSubstr;

class HeadlessRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        emulator::EmulatorConfig config;
        config.users = 200;
        config.tweetsPerDay = 300;
        config.windowSeconds = 600;
        m_emulator = std::make_unique<emulator::Emulator>(config);
        m_emulator->Start();
        const auto& c = m_emulator->Config();
        env = {{"MARLIN_APP_NAME", c.appName},
               {"MARLIN_CONSUMER_KEY", c.consumerKey},
               {"MARLIN_CONSUMER_SECRET", c.consumerSecret}};
    }

    int Run(std::vector<std::string> arguments) {
        err.str("");
        ConsoleToolkit toolkit(err);
        HeadlessRun::Setup setup;
        setup.requestFactory = factory ? factory : CurlHttpRequest::Factory();
        setup.apiBase = m_emulator->BaseUrl();
        setup.appFolder = app.path();
        setup.getEnv = [this](const char* name) -> const char* {
            auto found = env.find(name);
            return found == env.end() ? nullptr : found->second.c_str();
        };
        setup.stopRequested = &stop;
        setup.retryDelays = {20, 20, 20};
        HeadlessRun run(toolkit, std::move(setup));
        return run.Run(arguments);
    }

    // The TweetID of every line of a tweet table file, sorted.
    std::vector<std::string> FileIds(const std::string& name) {
        std::vector<std::string> ids;
        std::istringstream lines(ReadFileBytes(app / name));
        for (std::string line; std::getline(lines, line);) {
            std::istringstream fields(line);
            std::string field;
            for (int k = 0; k <= 3; ++k) std::getline(fields, field, '\t');
            ids.push_back(field.substr(field.find_first_not_of(' ')));
        }
        std::sort(ids.begin(), ids.end());
        return ids;
    }
    std::vector<std::string> Expected() {
        std::vector<std::string> ids = m_emulator->Data().SearchIds("data", "en");
        std::sort(ids.begin(), ids.end());
        return ids;
    }
    int SearchRequests() const {
        int count = 0;
        for (const auto& request : m_emulator->Requests()) count += request.path == "/1.1/search/tweets.json";
        return count;
    }
    std::string Out(const std::string& name) const { return (app / name).string(); }

    TempFolder app;
    HttpRequestFactory factory;  // none: the program's own
    std::map<std::string, std::string> env;
    std::atomic<bool> stop{false};
    std::ostringstream err;
    std::unique_ptr<emulator::Emulator> m_emulator;
};

TEST_F(HeadlessRunTest, ExitCodesTellDoneFailedAndBadUsage) {
    struct Case {
        std::vector<std::string> arguments;
        bool credentials;
        int code;
        std::string says;
    };
    const std::string out = Out("t.txt");
    const std::vector<Case> cases = {
        {{"search", "data", "--out", out}, true, 2, "search needs --back"},
        {{"fetch", "data"}, true, 2, "unknown command fetch"},
        {{"search", "data", "--back", "many", "--out", out}, true, 2, "--back takes a number of days"},
        {{"lookup", "--users", out, "--out", out, "--archive", Out("r.jsonl")},
         true,
         2,
         "lookup takes no --archive"},
        {{}, true, 2, "Usage: marlin-skimmer --headless COMMAND"},
        {{"search", "data", "--back", "9", "--out", out}, false, 1, "failed: no credentials"},
        {{"update", Out("missing.txt"), "--query", "data"}, true, 1, "cannot read the tweet table"},
        {{"search", "data", "--back", "9", "--out", out, "--max-cost", "$1,00"},
         true,
         2,
         "--max-cost takes an amount of dollars, not \"$1,00\""},
        {{"export-csv", out, "--out", Out("t.csv"), "--max-cost", "1"}, true, 2, "takes no --max-cost"},
        {{"spending", "--month", "2026-13"}, true, 2, "--month takes a month as YYYY-MM"},
        {{"search", "data", "--back", "9", "--out", out, "--api", "v2", "--max-cost", "0"},
         true,
         3,
         "stopped early, nothing to save: Stopped at the spending limit of $0.00 ($0.00 spent this run)"},
        {{"search", "data", "--back", "9", "--out", out}, true, 0, "Saved "},
    };
    const auto all = env;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        env = c.credentials ? all : decltype(env){};
        EXPECT_EQ(Run(c.arguments), c.code);
        EXPECT_THAT(err.str(), HasSubstr(c.says));
    }
    EXPECT_EQ(FileIds("t.txt"), Expected());
}

// The run's limit, the day's limit from prefs and the service's cap each end a v2 capture
// as stopped early with what it read saved; `spending` prints what the ledger holds.
TEST_F(HeadlessRunTest, ASpendingStopSavesWhatWasReadAndTheLedgerReportsIt) {
    const std::vector<std::string> search = {"search", "data",       "--back", "9",
                                             "--out",  Out("t.txt"), "--api",  "v2"};
    auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> arguments = search;
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return arguments;
    };
    EXPECT_EQ(Run(with({"--max-cost", "0.99"})), HeadlessRun::kStoppedEarly);
    EXPECT_THAT(err.str(), HasSubstr("Stopped at the spending limit of $0.99 ($0.50 spent this run)"));
    EXPECT_THAT(err.str(), HasSubstr("100 posts and 0 users read, 0 repeats not charged, $0.50 spent"));
    EXPECT_THAT(err.str(), HasSubstr("Saved 100 tweets to "));

    const std::string month = UtcDate::Month(std::time(nullptr)), day = UtcDate::Day(std::time(nullptr));
    const std::string header = ",posts_read,users_read,counts_requests,repeats_not_charged,dollars\n";
    EXPECT_EQ(Run({"spending"}), HeadlessRun::kDone);
    EXPECT_THAT(err.str(), HasSubstr("month" + header + month + ",100,0,0,0,0.50\n"));
    EXPECT_EQ(Run({"spending", "--month", month}), HeadlessRun::kDone);
    EXPECT_THAT(err.str(), HasSubstr("day" + header + day + ",100,0,0,0,0.50\n"));

    // The window's day limit: another page would take today's spending past it.
    WriteFileBytes(app / "prefs", "QP-data, \r\nLD-0.75\r\n");
    EXPECT_EQ(Run(search), HeadlessRun::kStoppedEarly);
    EXPECT_THAT(err.str(),
                HasSubstr("Stopped at the daily spending limit of $0.75 ($0.50 spent today (UTC))"));

    // The service's monthly cap: the run ends at once, with what came saved.
    std::filesystem::remove(app / "prefs");
    m_emulator->Stop();
    emulator::EmulatorConfig config = m_emulator->Config();
    config.postCap = 50;
    m_emulator = std::make_unique<emulator::Emulator>(config);
    m_emulator->Start();
    EXPECT_EQ(Run(search), HeadlessRun::kStoppedEarly);
    EXPECT_THAT(err.str(), HasSubstr(CaptureSpending::kCapSpent));
    EXPECT_THAT(err.str(), HasSubstr("Saved 100 tweets to "));
}

TEST_F(HeadlessRunTest, ATableMadeFromAnArchiveHoldsTheRowsOfTheCaptureThatWroteIt) {
    for (const char* api : {"v1.1", "v2"}) {
        for (const bool exact : {false, true}) {
            SCOPED_TRACE(std::string(api) + (exact ? " exact texts" : ""));
            std::filesystem::remove(app / "raw.jsonl");
            std::vector<std::string> search = {"search",     "data",      "--back",         "9",     "--out",
                                               Out("t.txt"), "--archive", Out("raw.jsonl"), "--api", api};
            std::vector<std::string> rebuild = {"table-from-archive", Out("raw.jsonl"), "--out",
                                                Out("r.txt")};
            if (exact) search.push_back("--exact-texts"), rebuild.push_back("--exact-texts");
            ASSERT_EQ(Run(search), HeadlessRun::kDone) << err.str();
            ASSERT_EQ(Run(rebuild), HeadlessRun::kDone) << err.str();
            EXPECT_EQ(ReadFileBytes(app / "r.txt"), ReadFileBytes(app / "t.txt"));
        }
    }
    EXPECT_EQ(Run({"table-from-archive", Out("none.jsonl"), "--out", Out("r.txt")}), HeadlessRun::kFailed);
}

TEST_F(HeadlessRunTest, AV11RefusalIsOneLineThatNamesTheV2Option) {
    m_emulator->Stop();
    emulator::EmulatorConfig config = m_emulator->Config();
    config.v11Refused = true;
    m_emulator = std::make_unique<emulator::Emulator>(config);
    m_emulator->Start();
    EXPECT_EQ(Run({"search", "data", "--back", "2", "--out", Out("t.txt")}), HeadlessRun::kFailed);
    std::vector<std::string> refusals;
    std::istringstream lines(err.str());
    for (std::string line; std::getline(lines, line);)
        if (line.find("403") != std::string::npos || line.find("refus") != std::string::npos ||
            line.find("stopped") != std::string::npos || line.find("failed") != std::string::npos)
            refusals.push_back(line);
    ASSERT_EQ(refusals.size(), 1u) << err.str();
    EXPECT_THAT(refusals[0], HasSubstr("--api v2"));
    EXPECT_FALSE(std::filesystem::exists(app / "t.txt"));
}

TEST_F(HeadlessRunTest, TheArchiveOptionKeepsEachTweetOfTheRunsOnce) {
    const std::string archive = Out("raw.jsonl");
    ASSERT_EQ(Run({"search", "data", "--back", "9", "--out", Out("t.txt"), "--archive", archive}), 0);
    ASSERT_EQ(Run({"update", Out("t.txt"), "--query", "data", "--archive", archive}), 0);
    std::vector<std::string> ids = JsonLineIds(archive);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, Expected());
    EXPECT_FALSE(std::filesystem::exists(app / "archive"));  // the window's setting is not asked
}

TEST_F(HeadlessRunTest, AnUpdatedTableKeepsTheEncodingItWasOpenedIn) {
    struct Case {
        bool exactSearch, exactUpdate, utf8After;
    };
    const Case cases[] = {
        {true, false, true},   // UTF-8 stays UTF-8: no emoji or Cyrillic becomes "?"
        {false, true, false},  // a code-page table stays one for the readers that know only it
        {true, true, true},
        {false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.exactSearch) + " then " + std::to_string(c.exactUpdate));
        std::vector<std::string> search = {"search", "data", "--back", "9", "--out", Out("t.txt")};
        std::vector<std::string> update = {"update", Out("t.txt"), "--query", "data"};
        if (c.exactSearch) search.push_back("--exact-texts");
        if (c.exactUpdate) update.push_back("--exact-texts");
        ASSERT_EQ(Run(search), 0) << err.str();
        const std::string before = ReadFileBytes(app / "t.txt");
        ASSERT_EQ(Run(update), 0) << err.str();
        const std::string after = ReadFileBytes(app / "t.txt");
        EXPECT_EQ(after.starts_with("\xEF\xBB\xBF"), c.utf8After);
        std::istringstream lines(before);
        for (std::string line; std::getline(lines, line);) {
            ASSERT_THAT(after, HasSubstr(line));
        }
        if (c.utf8After) {
            EXPECT_THAT(after, HasSubstr("\xD0"));  // the corpus's Cyrillic, kept
        }
    }
}

TEST_F(HeadlessRunTest, ExportsReadASavedTableWithoutCredentials) {
    ASSERT_EQ(Run({"search", "data", "--back", "9", "--out", Out("t.txt"), "--archive", Out("t.jsonl")}),
              HeadlessRun::kDone);
    env.clear();  // an export never talks to the service
    struct Case {
        std::vector<std::string> arguments;
        int code;
        const char* starts;  // the written file's first bytes
    };
    const std::vector<Case> cases = {
        {{"export-network", Out("t.txt"), "--out", Out("t.graphml")}, 0, "<?xml"},
        {{"export-csv", Out("t.txt"), "--out", Out("t.csv")}, 0, "\xEF\xBB\xBF\"DateTime\""},
        {{"export-csv", Out("gone.txt"), "--out", Out("gone.csv")}, 1, nullptr},
        {{"export-xlsx", Out("t.txt"), "--out", Out("t.xlsx")}, 0, "PK"},
        {{"frequencies", Out("t.txt"), "--by", "week", "--out", Out("f.xlsx")}, 0, "PK"},
        {{"frequencies", Out("t.txt"), "--out", Out("f.csv"), "--by", "month"}, 2, nullptr},
        {{"export-network", Out("t.txt"), "--graph", "hashtag-user", "--out", Out("h.graphml")}, 0, "<?xml"},
        {{"export-network", Out("t.txt")}, 2, nullptr},
        {{"export-network", Out("t.txt"), "--graph", "interaction", "--archive", Out("t.jsonl"), "--out",
          Out("i.graphml")},
         0,
         "<?xml"},
        {{"export-network", Out("t.txt"), "--graph", "interaction", "--archive", Out("none.jsonl"), "--out",
          Out("n.graphml")},
         1,
         nullptr},
        {{"export-network", Out("t.txt"), "--graph", "coword", "--top", "20", "--out", Out("c.xlsx")},
         0,
         "PK"},
        {{"export-network", Out("t.txt"), "--top", "20", "--out", Out("m.graphml")}, 2, nullptr},
        {{"export-network", Out("t.txt"), "--archive", Out("t.jsonl"), "--out", Out("m.graphml")},
         2,
         nullptr},
        {{"frequencies", Out("t.txt"), "--words", "--out", Out("w.csv")}, 0, nullptr},
        {{"export-csv", Out("t.txt"), "--words", "--out", Out("w.csv")}, 2, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.front() + " " + std::to_string(c.code));
        EXPECT_EQ(Run(c.arguments), c.code) << err.str();
        if (c.starts) {
            EXPECT_THAT(ReadFileBytes(c.arguments.back()), ::testing::StartsWith(c.starts));
        }
    }
    // The archive tells the replies and quotes that the table's texts cannot.
    const std::string interactions = ReadFileBytes(Out("i.graphml"));
    EXPECT_THAT(interactions, HasSubstr("<data key=\"kind\">reply</data>"));
    EXPECT_THAT(interactions, HasSubstr("<data key=\"pagerank\">"));
    EXPECT_THAT(ReadFileBytes(Out("i-nodes.csv")), ::testing::StartsWith("\xEF\xBB\xBF\"id\",\"label\""));
    EXPECT_THAT(ReadFileBytes(Out("w-words.csv")), HasSubstr("mean_sent_pos"));
}

TEST_F(HeadlessRunTest, AnExportOverAReadOnlyFileIsRefusedAndAWritableOneKeepsItsMode) {
    ASSERT_EQ(Run({"search", "data", "--back", "9", "--out", Out("t.txt")}), HeadlessRun::kDone);
    struct Case {
        std::vector<std::string> arguments;
        std::string target;  // the file made beforehand, with the mode below
        mode_t mode;
        int code;
    };
    const std::vector<Case> cases = {
        {{"export-csv", Out("t.txt"), "--out", Out("a.csv")}, Out("a.csv"), 0444, 1},
        {{"export-xlsx", Out("t.txt"), "--out", Out("a.xlsx")}, Out("a.xlsx"), 0400, 1},
        {{"export-network", Out("t.txt"), "--out", Out("a.graphml")}, Out("a.graphml"), 0444, 1},
        {{"frequencies", Out("t.txt"), "--out", Out("f.csv")}, Out("f-mentions.csv"), 0444, 1},
        {{"export-xlsx", Out("t.txt"), "--out", Out("b.xlsx")}, Out("b.xlsx"), 0640, 0},
        {{"export-csv", Out("t.txt"), "--out", Out("b.csv")}, Out("b.csv"), 0604, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.front() + " " + c.target);
        WriteFileBytes(c.target, "earlier");
        ::chmod(c.target.c_str(), c.mode);
        EXPECT_EQ(Run(c.arguments), c.code) << err.str();
        struct stat info {};
        ::stat(c.target.c_str(), &info);
        EXPECT_EQ(info.st_mode & 07777, c.mode);
        if (c.code == HeadlessRun::kFailed) {
            EXPECT_EQ(ReadFileBytes(c.target), "earlier");
            EXPECT_THAT(err.str(), HasSubstr("failed: cannot write " + c.target + ": the file is read-only"));
        } else {
            EXPECT_NE(ReadFileBytes(c.target), "earlier");
        }
    }
}

TEST_F(HeadlessRunTest, AStoppedSearchSavesWhatItHasAndContinueFinishesIt) {
    std::thread watcher([this] {
        while (SearchRequests() < 2) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        stop = true;
    });
    const int code = Run({"search", "data", "--back", "9", "--out", Out("cut.txt")});
    watcher.join();
    EXPECT_EQ(code, HeadlessRun::kStopped);
    const std::size_t saved = FileIds("cut.txt").size();
    EXPECT_GT(saved, 0u);
    EXPECT_LT(saved, Expected().size());

    stop = false;
    EXPECT_EQ(Run({"continue", Out("cut.txt"), "--query", "data", "--back", "9"}), HeadlessRun::kDone)
        << err.str();
    EXPECT_EQ(FileIds("cut.txt"), Expected());
    EXPECT_THAT(err.str(), HasSubstr("no more statuses available: 200:OK"));
}

TEST_F(HeadlessRunTest, MessagesAreOneLineEachAndProgressIsThrottled) {
    ASSERT_EQ(Run({"search", "data", "--back", "9", "--out", Out("t.txt")}), 0);
    std::istringstream lines(err.str());
    int progress = 0;
    for (std::string line; std::getline(lines, line);) {
        EXPECT_THAT(line, ::testing::StartsWith("marlin-skimmer: "));
        progress += line.find("statuses for [data]") != std::string::npos;
    }
    // Several pages, but far less than a second apart: the first state and the last.
    EXPECT_LE(progress, 3);
    EXPECT_GE(progress, 1);
}

// The built program, copied into a folder of its own so its program folder is a fresh one,
// started with the emulator's address and credentials and its error stream in
// stderr.txt: the documented form of the window program, or the command-line program where
// the window is not built.
pid_t StartProgram(const TempFolder& app, const emulator::Emulator& emulator,
                   const std::map<std::string, std::string>& env, std::vector<std::string> arguments) {
    const bool window = std::filesystem::exists(BuiltAppFolder() / "marlin-skimmer");
    const std::string name = window ? "marlin-skimmer" : "marlin-skimmer-cli";
    const std::filesystem::path program = app / name;
    if (!std::filesystem::exists(program)) std::filesystem::copy_file(BuiltAppFolder() / name, program);
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e) envText.emplace_back(*e);
    envText.push_back("MARLIN_API_BASE=" + emulator.BaseUrl());
    for (const auto& [name, value] : env) envText.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& text : envText) envp.push_back(text.data());
    envp.push_back(nullptr);
    arguments.insert(arguments.begin(), program.string());
    if (window) arguments.insert(arguments.begin() + 1, "--headless");
    std::vector<char*> argv;
    for (std::string& text : arguments) argv.push_back(text.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, (app / "stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}

TEST_F(HeadlessRunTest, SigintMidRunSavesAndExits130) {
    // Two pages fit in the window before the wait, and the wait is long: the signal comes
    // while the run waits.
    m_emulator->SetRemaining(emulator::Family::Search, 11);
    const pid_t pid =
        StartProgram(app, *m_emulator, env, {"search", "data", "--back", "9", "--out", Out("sig.txt")});
    ASSERT_GT(pid, 0);

    for (int i = 0; i < 3000 && SearchRequests() < 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    const std::string stderrText = ReadFileBytes(app / "stderr.txt");
    ASSERT_TRUE(WIFEXITED(status)) << stderrText;
    EXPECT_EQ(WEXITSTATUS(status), 130) << stderrText;
    EXPECT_EQ(FileIds("sig.txt").size(), 200u);
    EXPECT_THAT(stderrText, HasSubstr("user cancelled the procedure"));
}

// Whether the process has its own handler for SIGINT (the caught signals of its status).
bool CatchesSigint(pid_t pid) {
    std::istringstream status(ReadFileBytes("/proc/" + std::to_string(pid) + "/status"));
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("SigCgt:"))
            return (std::stoull(line.substr(7), nullptr, 16) >> (SIGINT - 1)) & 1;
    return false;
}

// The hidden files of the folder whose names start with prefix.
std::vector<std::string> Temporaries(const TempFolder& folder, const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& name : FolderEntries(folder.path()))
        if (name.starts_with(prefix)) found.push_back(name);
    return found;
}

TEST_F(HeadlessRunTest, SigintMidExportStopsWithinASecondAndLeavesTheEarlierFile) {
    // A table big enough that its export takes seconds, written in one go.
    std::string table;
    for (int row = 1; row <= 200000; ++row) {
        TweetLine line;
        line.id = std::to_string(1000000000 + row);
        line.text = "a tweet of some length, with #tags and @names, number " + std::to_string(row);
        table += line.Line();
    }
    WriteFileBytes(app / "big.txt", table);
    enum class Phase { Reading, Rows, Packing };
    struct Case {
        std::string kind;
        Phase phase;  // when the signal comes
    };
    const Case cases[] = {
        {"xlsx", Phase::Reading}, {"xlsx", Phase::Rows},  // its temporary file is there
        {"xlsx", Phase::Packing},                         // and the zip is being written into it
        {"csv", Phase::Rows},     {"graphml", Phase::Reading},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind + " " + std::to_string(static_cast<int>(c.phase)));
        const std::string out = Out("big." + c.kind), leftover = ".big." + c.kind + ".Ab12cd";
        WriteFileBytes(out, "earlier");
        // What an export killed with kill -9 leaves; the next export into the folder sweeps it.
        WriteFileBytes(app / leftover, "");
        ::chmod((app / leftover).c_str(), 0600);
        const pid_t pid = StartProgram(
            app, *m_emulator, {},
            {c.kind == "graphml" ? "export-network" : "export-" + c.kind, Out("big.txt"), "--out", out});
        ASSERT_GT(pid, 0);
        const auto reached = [&] {
            const std::vector<std::string> now = Temporaries(app, ".big." + c.kind + ".");
            if (now.empty() || now.front() == leftover) return c.phase == Phase::Reading;
            std::error_code error;
            return c.phase == Phase::Rows || std::filesystem::file_size(app / now.front(), error) > 0;
        };
        // A table is read in a moment on an idle machine: the signal comes as soon as the
        // program catches it, which is before it starts reading.
        if (c.phase == Phase::Reading)
            for (int i = 0; i < 5000 && !CatchesSigint(pid); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        for (int i = 0; i < 10000 && !reached(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        const auto signalled = std::chrono::steady_clock::now();
        kill(pid, SIGINT);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        const auto took = std::chrono::steady_clock::now() - signalled;
        const std::string stderrText = ReadFileBytes(app / "stderr.txt");
        ASSERT_TRUE(WIFEXITED(status)) << stderrText;
        EXPECT_EQ(WEXITSTATUS(status), 130) << stderrText;
        EXPECT_LT(took, std::chrono::seconds(1));
        EXPECT_TRUE(ReadFileBytes(out) == "earlier") << "the earlier file was replaced";
        EXPECT_EQ(Temporaries(app, ".big."), std::vector<std::string>{});
    }
}

TEST(ConsoleToolkitAnswers, QuestionsTakeTheSafeAnswerAndPrintOneLine) {
    std::ostringstream err;
    ConsoleToolkit tk(err);
    EXPECT_EQ(tk.MessageBox("Try again?\r\nsecond line", "Recoverable error within GetSearch",
                            MsgButtons::YesNo, MsgIcon::Question),
              MsgResult::No);
    EXPECT_EQ(tk.MessageBox("Quota low", MsgButtons::OKCancel), MsgResult::OK);
    EXPECT_EQ(tk.InputBox("Enter screen name", "t", "marlin"), "marlin");
    EXPECT_EQ(err.str(),
              "marlin-skimmer: Recoverable error within GetSearch: Try again?  second line [No]\n"
              "marlin-skimmer: Quota low [OK]\n"
              "marlin-skimmer: Enter screen name [marlin]\n");
}

TEST_F(HeadlessRunTest, HostileFilesAreRefusedWithTheirReason) {
    struct Case {
        std::vector<std::string> arguments;
        std::string says;
        bool sendsNothing;  // refused before the first request
    };
    WriteFileBytes(app / "afile", "not a folder");
    const std::vector<Case> cases = {
        {{"search", "data", "--back", "9", "--out", Out("gone/t.txt")}, "folder " + Out("gone"), true},
        {{"search", "data", "--back", "9", "--out", Out("t.txt"), "--archive", Out("afile/r.jsonl")},
         "--archive " + Out("afile/r.jsonl") + ": the folder",
         true},
        {{"export-csv", "/dev/zero", "--out", Out("c.csv")}, "/dev/zero is not a table file", true},
        {{"timelines", "--users", "/dev/zero", "--out", Out("t.txt")}, "is larger than 64 MiB", false},
        {{"search", "data", "--back", "9", "--out", Out("t.txt")}, "is larger than 64 KiB", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        if (&c == &cases.back()) {  // credentials from a file that never ends
            env.clear();
            std::filesystem::create_symlink("/dev/zero", app / "appcred");
        }
        m_emulator->ClearRequests();
        EXPECT_EQ(Run(c.arguments), HeadlessRun::kFailed);
        EXPECT_THAT(err.str(), HasSubstr(c.says));
        if (c.sendsNothing) {
            EXPECT_TRUE(m_emulator->Requests().empty());
        }
    }
}

// Control characters in the reason phrase of every answer.
class EscapingRequest : public ForwardingRequest {
  public:
    using ForwardingRequest::ForwardingRequest;
    std::string StatusText() override { return Inner().StatusText() + "\x1b]0;owned\x07"; }
};

TEST_F(HeadlessRunTest, HostileTextsNeitherBreakTheUrlNorReachTheTerminal) {
    factory = [curl = CurlHttpRequest::Factory()] { return std::make_unique<EscapingRequest>(curl()); };
    const std::string longName(250, 'n');  // with ".XXXXXX" and "." past 255 bytes
    ASSERT_EQ(Run({"search", "data\tmining\r\n", "--back", "9", "--lang", "en&q=injected&max_id=1", "--out",
                   Out(longName)}),
              HeadlessRun::kDone)
        << err.str();
    EXPECT_TRUE(std::filesystem::exists(app / longName));
    const emulator::LoggedRequest search = m_emulator->Requests().back();
    EXPECT_EQ(search.params.find("q")->second, "data mining  ");
    EXPECT_EQ(search.params.find("lang")->second, "en&q=injected&max_id=1");
    EXPECT_EQ(search.params.count("max_id"), 0u);
    EXPECT_THAT(err.str(), HasSubstr("200:OK\\x1B]0;owned\\x07"));
    EXPECT_EQ(err.str().find('\x1b'), std::string::npos);
}

TEST_F(HeadlessRunTest, ATokenExchangeThatFailsSaysWhy) {
    CurlRequestOptions quick;
    quick.totalTimeout = std::chrono::milliseconds(300);
    factory = CurlHttpRequest::Factory(quick);
    m_emulator->InjectFault(emulator::Family::Token, emulator::Fault::Stall, 1, 2);
    EXPECT_EQ(Run({"search", "data", "--back", "9", "--out", Out("t.txt")}), HeadlessRun::kFailed);
    EXPECT_THAT(err.str(), HasSubstr("failed: no token from " + m_emulator->BaseUrl() + ": "));
    EXPECT_THAT(err.str(), HasSubstr("timed out"));

    const std::string cert = Out("cert.pem"), key = Out("key.pem");
    if (std::system(("openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=localhost -days 1 -keyout '" + key +
                     "' -out '" + cert + "' >/dev/null 2>&1")
                        .c_str()) != 0)
        GTEST_SKIP() << "no openssl command to make a certificate";
    emulator::EmulatorConfig tls = m_emulator->Config();
    tls.certFile = cert;
    tls.keyFile = key;
    m_emulator = std::make_unique<emulator::Emulator>(tls);
    m_emulator->Start();
    factory = nullptr;
    EXPECT_EQ(Run({"search", "data", "--back", "9", "--out", Out("t.txt")}), HeadlessRun::kFailed);
    EXPECT_THAT(err.str(), HasSubstr("failed: no token from https://"));
    EXPECT_THAT(err.str(), HasSubstr("certificate"));
}

}  // namespace
}  // namespace marlin::testing
