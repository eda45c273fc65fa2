// The command-line program as servers and schedulers run it: built without any toolkit
// library, started as a process against the emulator, and answering as the window
// program's "--headless" form does.
#include <gmock/gmock.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "emulator/corpus_lists.h"
#include "emulator/emulator.h"
#include "emulator/post_graph.h"
#include "spending/ledger.h"
#include "spending/utc_date.h"
#include "test_support.h"

extern char** environ;

namespace marlin::testing {
namespace {

using ::testing::HasSubstr;

struct Finished {
    int code = -1;
    std::string err;
};

class CliProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_emulator = std::make_unique<emulator::Emulator>(SmallCorpus());
        m_emulator->Start();
        const auto& config = m_emulator->Config();
        m_env["MARLIN_API_BASE"] = m_emulator->BaseUrl();
        m_env["MARLIN_APP_NAME"] = config.appName;
        m_env["MARLIN_CONSUMER_KEY"] = config.consumerKey;
        m_env["MARLIN_CONSUMER_SECRET"] = config.consumerSecret;
    }

    static emulator::EmulatorConfig SmallCorpus() {
        emulator::EmulatorConfig config;
        config.users = 50;
        config.tweetsPerDay = 60;
        return config;
    }

    // The built program copied into a folder of its own, so its program folder (prefs,
    // appcred, archive) is that one; empty when it was not built.
    std::filesystem::path Install(const std::string& name, const std::string& folder) {
        const std::filesystem::path built = BuiltAppFolder() / name;
        if (!std::filesystem::exists(built)) return {};
        std::filesystem::create_directories(m_root.path() / folder);
        const std::filesystem::path program = m_root.path() / folder / name;
        std::filesystem::copy_file(built, program, std::filesystem::copy_options::overwrite_existing);
        return program;
    }

    // Starts the program in its own folder with the arguments, its error stream into
    // stderr.txt there; the process id, or 0 when it could not be started.
    pid_t Start(const std::filesystem::path& program, std::vector<std::string> arguments) {
        std::vector<std::string> envText;
        for (char** e = environ; *e; ++e) envText.emplace_back(*e);
        for (const auto& [name, value] : m_env) envText.push_back(name + "=" + value);
        std::vector<char*> envp;
        for (std::string& text : envText) envp.push_back(text.data());
        envp.push_back(nullptr);
        arguments.insert(arguments.begin(), program.string());
        std::vector<char*> argv;
        for (std::string& text : arguments) argv.push_back(text.data());
        argv.push_back(nullptr);

        const std::filesystem::path errFile = program.parent_path() / "stderr.txt";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, program.parent_path().c_str());
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid = 0;
        const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        return spawned == 0 ? pid : 0;
    }

    // Runs the program in its own folder with the arguments; the error stream is kept.
    Finished Run(const std::filesystem::path& program, std::vector<std::string> arguments) {
        Finished finished;
        const pid_t pid = Start(program, std::move(arguments));
        if (pid == 0) return finished;
        int status = 0;
        if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) finished.code = WEXITSTATUS(status);
        finished.err = ReadFileBytes(program.parent_path() / "stderr.txt");
        return finished;
    }

    std::size_t SearchResults() const { return m_emulator->Data().SearchIds("data", "en").size(); }

    TempFolder m_root;
    std::map<std::string, std::string> m_env;
    std::unique_ptr<emulator::Emulator> m_emulator;
};

TEST(CliProgramLinks, NoToolkitLibraryIsLinked) {
    const std::filesystem::path program = BuiltAppFolder() / "marlin-skimmer-cli";
    ASSERT_TRUE(std::filesystem::exists(program));
    std::string libraries;
    FILE* ldd = popen(("ldd '" + program.string() + "'").c_str(), "r");
    ASSERT_NE(ldd, nullptr);
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, ldd)) libraries += buffer;
    ASSERT_EQ(pclose(ldd), 0) << libraries;
    EXPECT_THAT(libraries, HasSubstr("libcurl"));  // the list is the real one
    EXPECT_THAT(libraries, ::testing::Not(HasSubstr("libQt"))) << libraries;
}

// Each command in turn over the files the earlier ones wrote, by the command-line program
// and by the window program's "--headless" form (when built): the same exit codes, the
// same lines, the same files byte for byte.
TEST_F(CliProgramTest, AnswersAndWritesAsTheHeadlessFormOfTheWindowProgram) {
    struct Case {
        std::vector<std::string> arguments;
        int code;
        std::string line;  // a line of the error stream
        std::string file;  // written by the command; empty for none
    };
    const std::string found = std::to_string(SearchResults());
    const std::vector<Case> cases = {
        {{"search", "data", "--back", "9", "--out", "s.txt"},
         0,
         "Saved " + found + " tweets to s.txt",
         "s.txt"},
        {{"update", "s.txt", "--query", "data", "--out", "u.txt"},
         0,
         "Opened s.txt (" + found + " tweets)",
         "u.txt"},
        {{"export-csv", "u.txt", "--out", "u.csv"}, 0, "Saved u.csv", "u.csv"},
        {{"lookup", "--users", "names.txt", "--out", "p.mut"}, 0, "Saved 2 profiles to p.mut", "p.mut"},
        {{"count", "data", "--back", "3"}, 2, "", ""},
        {{"update", "missing.txt", "--query", "data", "--out", "m.txt"},
         1,
         "failed: cannot read the tweet table missing.txt",
         ""},
        {{}, 2, "Usage: marlin-skimmer --headless COMMAND", ""},
    };
    const std::filesystem::path cli = Install("marlin-skimmer-cli", "cli");
    const std::filesystem::path window = Install("marlin-skimmer", "window");
    ASSERT_FALSE(cli.empty());
    const std::string names = m_emulator->Users().demo + "\n" + m_emulator->Users().midsize + "\n";
    WriteFileBytes(cli.parent_path() / "names.txt", names);
    if (!window.empty()) WriteFileBytes(window.parent_path() / "names.txt", names);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.empty() ? "(none)" : c.arguments.front());
        const Finished byCli = Run(cli, c.arguments);
        EXPECT_EQ(byCli.code, c.code) << byCli.err;
        EXPECT_THAT(byCli.err, HasSubstr(c.line));
        if (window.empty()) continue;
        std::vector<std::string> headless = c.arguments;
        headless.insert(headless.begin(), "--headless");
        const Finished byWindow = Run(window, headless);
        EXPECT_EQ(byWindow.code, byCli.code) << byWindow.err;
        EXPECT_THAT(byWindow.err, HasSubstr(c.line));
        if (!c.file.empty()) {
            EXPECT_EQ(ReadFileBytes(window.parent_path() / c.file),
                      ReadFileBytes(cli.parent_path() / c.file));
        }
    }
}

// Each call around one post or list from the command line: the posts or users the corpus
// implies, in the file the command names, and the exit code of a post that is not there.
TEST_F(CliProgramTest, QuotesRepostersLikersAndListMembersAreWrittenAsTheCorpusImpliesThem) {
    const emulator::Corpus& data = m_emulator->Data();
    const emulator::PostGraph graph(data, m_emulator->Config().seed);
    std::optional<emulator::Tweet> quoted, reposted;
    for (int user = 0; user < data.UserCount(); ++user) {
        for (int seq = 0; seq < data.TweetCount(user); ++seq) {
            const emulator::Tweet t = data.MakeTweet({user, seq});
            if (graph.Of(t.ref) != emulator::PostGraph::Visibility::Visible) continue;
            if (!quoted && !graph.Quotes(t.id).empty()) quoted = t;
            if (!reposted && !graph.Reposters(t.id).empty() && !graph.LikingUsers(t).empty()) reposted = t;
        }
    }
    ASSERT_TRUE(quoted && reposted);
    const emulator::CorpusLists lists(data, m_emulator->Config().seed);
    const std::uint64_t listId = emulator::CorpusLists::kFirstListId;
    const std::string post = std::to_string(reposted->id);
    struct Case {
        std::vector<std::string> arguments;
        int code;
        std::size_t lines;  // of the file written
    };
    const std::vector<Case> cases = {
        {{"quotes", std::to_string(quoted->id), "--out", "q.txt"}, 0, graph.Quotes(quoted->id).size()},
        {{"reposted-by", post, "--out", "r.muk"}, 0, graph.Reposters(reposted->id).size()},
        {{"liking-users", post, "--out", "l.mut"}, 0, graph.LikingUsers(*reposted).size()},
        {{"list-members", std::to_string(listId), "--out", "m.muk"},
         0,
         lists.Members(*lists.Find(listId)).size()},
        {{"reposted-by", "12345", "--out", "gone.muk"}, 1, 0},
        {{"quotes", "not-a-post", "--out", "none.txt"}, 1, 0},
    };
    const std::filesystem::path cli = Install("marlin-skimmer-cli", "cli");
    ASSERT_FALSE(cli.empty());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.front() + " " + c.arguments[1]);
        const Finished run = Run(cli, c.arguments);
        EXPECT_EQ(run.code, c.code) << run.err;
        const std::filesystem::path file = cli.parent_path() / c.arguments.back();
        if (c.code != 0) {
            EXPECT_FALSE(std::filesystem::exists(file));
            continue;
        }
        const std::string text = ReadFileBytes(file);
        EXPECT_EQ(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')), c.lines);
    }
    // The reposters' list names each of them by id, as followers does.
    const std::string reposters = ReadFileBytes(cli.parent_path() / "r.muk");
    for (const int user : graph.Reposters(reposted->id))
        EXPECT_THAT(reposters, HasSubstr(std::to_string(data.UserId(user)) + "\t"));
}

// --extra-columns: the same rows with the columns after the documented ones; without it, the
// file is what it always was (the extra columns cut off, the two files are the same bytes).
// A table with them is read and updated with them (no scorer here: its scores are zeros, so
// the table goes through the scorer's data on the way).
TEST_F(CliProgramTest, ExtraColumnsFollowTheDocumentedOnesAndLeaveThemAsTheyWere) {
    const std::filesystem::path cli = Install("marlin-skimmer-cli", "cli");
    ASSERT_FALSE(cli.empty());
    for (const std::string api : {"v1.1", "v2"}) {
        SCOPED_TRACE(api);
        std::vector<std::string> search = {"search", "data", "--back", "9",
                                           "--api",  api,    "--out",  "plain.txt"};
        ASSERT_EQ(Run(cli, search).code, 0);
        search[7] = "extra.txt";
        search.push_back("--extra-columns");
        ASSERT_EQ(Run(cli, search).code, 0);
        const std::string plain = ReadFileBytes(cli.parent_path() / "plain.txt");
        const std::string extra = ReadFileBytes(cli.parent_path() / "extra.txt");
        std::string cut;
        std::size_t replies = 0;
        for (std::size_t start = 0; start < extra.size();) {
            const std::size_t end = extra.find("\r\n", start);
            const std::string line = extra.substr(start, end - start);
            std::vector<std::string> fields;
            for (std::size_t at = 0, tab; (tab = line.find('\t', at)) != std::string::npos; at = tab + 1)
                fields.push_back(line.substr(at, tab - at));
            ASSERT_EQ(fields.size(), 25u) << line;
            for (std::size_t k = 0; k < 16; ++k) cut += fields[k] + "\t";
            cut += "\r\n";
            if (!fields[17].empty()) ++replies;  // the post it replies to
            start = end + 2;
        }
        EXPECT_EQ(cut, plain);
        EXPECT_GT(replies, 0u);  // some posts answer others, in both dialects
        const Finished update =
            Run(cli, {"update", "extra.txt", "--query", "data", "--api", api, "--extra-columns"});
        EXPECT_EQ(update.code, 0) << update.err;
        EXPECT_EQ(ReadFileBytes(cli.parent_path() / "extra.txt"), extra);
    }
}

// A capture killed with SIGKILL part-way (the full archive's pace of one page a second
// leaves the time), its table made again from its archive and continued back, holds what
// an uninterrupted capture holds, row for row; and its ledger charged no post twice that day.
TEST_F(CliProgramTest, AKilledCaptureMadeAgainFromItsArchiveAndContinuedEqualsAWholeOne) {
    m_emulator->Stop();
    emulator::EmulatorConfig config = SmallCorpus();
    config.users = 300;
    config.tweetsPerDay = 700;
    m_emulator = std::make_unique<emulator::Emulator>(config);
    m_emulator->Start();
    m_env["MARLIN_API_BASE"] = m_emulator->BaseUrl();

    const std::vector<std::string> v2 = {"--back", "9", "--api", "v2", "--archive-search"};
    std::vector<std::string> search = {"search", "data", "--out", "t.txt", "--archive", "raw.jsonl"};
    search.insert(search.end(), v2.begin(), v2.end());
    const std::filesystem::path whole = Install("marlin-skimmer-cli", "whole");
    const std::filesystem::path killed = Install("marlin-skimmer-cli", "killed");
    ASSERT_FALSE(whole.empty());
    const Finished uninterrupted = Run(whole, search);
    ASSERT_EQ(uninterrupted.code, 0) << uninterrupted.err;

    // Killed once two pages are in its archive.
    const pid_t pid = Start(killed, search);
    ASSERT_NE(pid, 0);
    const std::filesystem::path archive = killed.parent_path() / "raw.jsonl";
    for (int wait = 0; wait < 3000; ++wait) {
        const std::string lines = std::filesystem::exists(archive) ? ReadFileBytes(archive) : "";
        if (std::count(lines.begin(), lines.end(), '\n') >= 200) break;
        usleep(10000);
    }
    ASSERT_EQ(kill(pid, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the capture ended before it could be killed";
    EXPECT_FALSE(std::filesystem::exists(killed.parent_path() / "t.txt"));

    const Finished rebuilt = Run(killed, {"table-from-archive", "raw.jsonl", "--out", "t.txt"});
    ASSERT_EQ(rebuilt.code, 0) << rebuilt.err;
    std::vector<std::string> resume = {"continue", "t.txt", "--query", "data", "--archive", "raw.jsonl"};
    resume.insert(resume.end(), v2.begin(), v2.end());
    const Finished continued = Run(killed, resume);
    ASSERT_EQ(continued.code, 0) << continued.err;
    EXPECT_EQ(ReadFileBytes(killed.parent_path() / "t.txt"), ReadFileBytes(whole.parent_path() / "t.txt"));

    // Each post charged once that day, whatever the killed run and its continuation read again.
    auto charged = [](const std::filesystem::path& program) -> std::int64_t {
        std::unique_ptr<Ledger> ledger = Ledger::Open(program.parent_path() / Ledger::kFileName, nullptr);
        return ledger ? ledger->PostsChargedOn(UtcDate::Day(std::time(nullptr))).value_or(-1) : -1;
    };
    EXPECT_GE(charged(whole), 300);  // four pages at least: two before the kill, two after
    EXPECT_EQ(charged(killed), charged(whole));
}

}  // namespace
}  // namespace marlin::testing
