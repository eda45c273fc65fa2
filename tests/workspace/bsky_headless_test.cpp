// Bluesky captures on the command line against the emulator: every workflow, the search across the
// service's cap, the session (stored, expired mid-capture, refused, renewed) and the refusal to mix
// two services in one file.
#include <gmock/gmock.h>

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "../export/python_reader.h"
#include "core/bsky_post_id.h"
#include "emulator/emulator.h"
#include "emulator/search_query.h"
#include "platform/console_toolkit.h"
#include "service/bsky_session_file.h"
#include "service/curl_http_request.h"
#include "test_support.h"
#include "workspace/headless/headless_run.h"

namespace marlin::testing {
namespace {

using ::testing::HasSubstr;

class BskyHeadlessTest : public ::testing::Test {
  protected:
    void SetUp() override { Start(); }
    void Start(int windowSeconds = 300) {
        emulator::EmulatorConfig config;
        config.users = 200;
        config.tweetsPerDay = 300;
        config.bskySearchCap = 150;
        config.bskyWindowSeconds = windowSeconds;
        m_emulator = std::make_unique<emulator::Emulator>(config);
        m_emulator->Start();
        env = {{"MARLIN_BSKY_BASE", m_emulator->BaseUrl()},
               {"MARLIN_BSKY_HANDLE", config.bskyHandle},
               {"MARLIN_BSKY_APP_PASSWORD", config.bskyAppPassword}};
    }

    int Run(std::vector<std::string> arguments, bool bluesky = true) {
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
        if (bluesky) arguments.insert(arguments.begin() + 1, {"--service", "bluesky"});
        return run.Run(arguments);
    }

    // One field of every line of a file.
    std::vector<std::string> Column(const std::string& name, int field) {
        std::vector<std::string> values;
        std::istringstream lines(ReadFileBytes(app / name));
        for (std::string line; std::getline(lines, line);) {
            std::istringstream fields(line);
            std::string value;
            for (int k = 0; k <= field; ++k) std::getline(fields, value, '\t');
            while (!value.empty() && (value.front() == ' ' || value.back() == '\r')) {
                if (value.front() == ' ') value.erase(0, 1);
                if (!value.empty() && value.back() == '\r') value.pop_back();
            }
            values.push_back(value);
        }
        return values;
    }
    std::size_t ExpectedSearch(const std::string& query) const {
        emulator::SearchOptions all;
        all.wholeArchive = all.noRetweets = true;
        all.lang = "en";
        all.count = INT_MAX;
        return m_emulator->Data().Search(emulator::SearchQuery(query), all).size();
    }
    int Calls(const std::string& method) const {
        int n = 0;
        for (const auto& request : m_emulator->Requests()) n += request.path == "/xrpc/" + method;
        return n;
    }
    std::string Out(const std::string& name) const { return (app / name).string(); }

    TempFolder app;
    HttpRequestFactory factory;
    std::map<std::string, std::string> env;
    std::atomic<bool> stop{false};
    std::ostringstream err;
    std::unique_ptr<emulator::Emulator> m_emulator;
};

TEST_F(BskyHeadlessTest, ASearchCrossesTheCapWithoutDoublesOrGapsAndGoesOnFromItsTable) {
    const std::string query = m_emulator->Queries().common;
    const std::size_t expected = ExpectedSearch(query);
    ASSERT_GT(expected, 2u * 150) << "the cap is crossed twice";
    ASSERT_EQ(Run({"search", query, "--back", "36500", "--out", Out("s.txt"), "--archive", Out("s.jsonl")}),
              0)
        << err.str();
    const std::vector<std::string> ids = Column("s.txt", 3);
    EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), ids.size()) << "no id twice";
    EXPECT_EQ(ids.size(), expected) << "every post of the query, across "
                                    << Calls("app.bsky.feed.searchPosts") << " pages";
    EXPECT_TRUE(std::is_sorted(ids.rbegin(), ids.rend(), [](const std::string& a, const std::string& b) {
        return *BskyPostId::TimeOfId(a) < *BskyPostId::TimeOfId(b);
    })) << "newest first";
    EXPECT_EQ(Column("s.jsonl", 0).size(), expected) << "one archive line a post";
    const std::vector<std::string> links = Column("s.txt", 12);
    EXPECT_THAT(links.front(), HasSubstr("https://bsky.app/profile/"));
    EXPECT_EQ(Calls("com.atproto.server.createSession"), 1);

    // The table goes on: an update finds nothing newer, a continuation nothing older; neither
    // makes a new session (the stored one serves), and neither doubles a row.
    struct Case {
        const char* command;
        int code;
    };
    for (const Case c : {Case{"update", 0}, Case{"continue", 0}}) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(Run({c.command, Out("s.txt"), "--query", query, "--back", "36500"}), c.code) << err.str();
        EXPECT_EQ(Column("s.txt", 3).size(), expected);
    }
    EXPECT_EQ(Calls("com.atproto.server.createSession"), 1);
    const auto mode = std::filesystem::status(app / BskySessionFile::kFileName).permissions();
    EXPECT_EQ(mode & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(BskyHeadlessTest, FollowsTimelinesAndProfilesFillTheirFiles) {
    const std::string demo = m_emulator->Users().demo;
    const std::string handle = m_emulator->BlueskyHandle(demo);
    ASSERT_EQ(Run({"followers", handle, "--out", Out("f.muk")}), 0) << err.str();
    const std::vector<std::string> dids = Column("f.muk", 0);
    ASSERT_FALSE(dids.empty());
    for (const std::string& did : dids) EXPECT_TRUE(did.starts_with("did:")) << did;
    ASSERT_EQ(Run({"friends", handle, "--out", Out("g.muk")}), 0) << err.str();
    EXPECT_FALSE(Column("g.muk", 1).empty());

    // Two accounts' feeds, reposts as "RT @" rows of the account that reposted.
    WriteFileBytes(app / "two.muk", dids[0] + "\t" + Column("f.muk", 1)[0] + "\r\n" +
                                        m_emulator->BlueskyDid(demo) + "\t" + handle + "\r\n");
    ASSERT_EQ(Run({"timelines", "--users", Out("two.muk"), "--back", "36500", "--out", Out("t.txt")}), 0)
        << err.str();
    const std::vector<std::string> names = Column("t.txt", 1);
    EXPECT_TRUE(std::count(names.begin(), names.end(), handle) > 0);
    const std::vector<std::string> texts = Column("t.txt", 2);
    EXPECT_TRUE(
        std::any_of(texts.begin(), texts.end(), [](const std::string& t) { return t.starts_with("RT @"); }));
    const std::vector<std::string> ids = Column("t.txt", 3);
    EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), ids.size());

    // Profiles of more accounts than one request takes.
    ASSERT_GT(dids.size(), 25u);
    ASSERT_EQ(Run({"lookup", "--users", Out("f.muk"), "--out", Out("p.mut")}), 0) << err.str();
    EXPECT_EQ(Column("p.mut", 0).size(), dids.size());
    EXPECT_EQ(Calls("app.bsky.actor.getProfiles"), static_cast<int>((dids.size() + 24) / 25));
}

TEST_F(BskyHeadlessTest, TheSessionIsRenewedWhenItExpiresOrIsRefused) {
    // Every token expires before the third request: the client refreshes and the capture goes on.
    std::atomic<int> made{0};
    factory = [this, &made] {
        if (++made == 3) m_emulator->ExpireBlueskySessions();
        return CurlHttpRequest::Factory()();
    };
    ASSERT_EQ(Run({"search", "data", "--back", "36500", "--out", Out("s.txt")}), 0) << err.str();
    EXPECT_EQ(Column("s.txt", 3).size(), ExpectedSearch("data"));
    EXPECT_EQ(Calls("com.atproto.server.refreshSession"), 1);

    // A stored session the service no longer knows: one new session with the app password.
    factory = nullptr;
    BskySessionFile::InFolder(app.path())
        .Write({m_emulator->BaseUrl(), {"did:plc:x", m_emulator->Config().bskyHandle, "stale", "stale"}});
    ASSERT_EQ(Run({"followers", m_emulator->BlueskyHandle(m_emulator->Users().demo), "--out", Out("f.muk")}),
              0)
        << err.str();
    EXPECT_EQ(Calls("com.atproto.server.createSession"), 2);
}

TEST_F(BskyHeadlessTest, LogInFailuresAndMissingCallsSaySoClearly) {
    struct Case {
        const char* name;
        std::map<std::string, std::string> env;
        int sessionsLeft;  // -1: as it is
        std::vector<std::string> arguments;
        int code;
        std::string says;
    };
    const std::string out = Out("s.txt");
    const std::vector<std::string> search = {"search", "data", "--back", "3", "--out", out};
    const Case cases[] = {
        {"wrong app password",
         {{"MARLIN_BSKY_APP_PASSWORD", "abcd-efgh-ijkl-mnop"}},
         -1,
         search,
         1,
         "did not accept this handle and app password"},
        {"account refused",
         {{"MARLIN_BSKY_HANDLE", m_emulator->BlueskyHandle(m_emulator->Users().protectedUser)}},
         -1,
         search,
         1,
         "refused a session for this account"},
        {"session limit", {}, 0, search, 1, "limit on new sessions is spent"},
        {"no credentials", {{"MARLIN_BSKY_HANDLE", ""}}, -1, search, 1, "set MARLIN_BSKY_HANDLE"},
        {"count", {}, -1, {"count", "data", "--back", "3"}, 2, "Bluesky has no count of posts"},
        {"first-service option",
         {},
         -1,
         {"search", "data", "--back", "3", "--out", out, "--api", "v2"},
         2,
         "are for the first service"},
    };
    const auto all = env;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        env = all;
        for (const auto& [name, value] : c.env) env[name] = value;
        if (c.sessionsLeft >= 0) m_emulator->SetRemaining(emulator::Family::BskySession, c.sessionsLeft);
        EXPECT_EQ(Run(c.arguments), c.code);
        EXPECT_THAT(err.str(), HasSubstr(c.says));
        EXPECT_EQ(Calls("app.bsky.feed.searchPosts"), 0);
    }
}

TEST_F(BskyHeadlessTest, ACaptureThatWouldMixServicesStopsBeforeItsFirstRequest) {
    const std::string xRow =
        "Mon Dec 07 10:00:00 +0000 2026\tana\tsome text\t1860000000000000000\tAna\t1\t2\t\t0\t\t3\t0\t"
        "https://twitter.com/ana/status/1860000000000000000\t1\t-1\t\r\n";
    WriteFileBytes(app / "x.txt", xRow);
    WriteFileBytes(app / "x.muk", "12345\tana\r\n");
    WriteFileBytes(app / "x.jsonl", R"({"id_str":"1860000000000000000","text":"a"})"
                                    "\n");
    struct Case {
        std::vector<std::string> arguments;
        std::string file;
    };
    const Case cases[] = {
        {{"update", Out("x.txt"), "--query", "data"}, "x.txt"},
        {{"continue", Out("x.txt"), "--query", "data", "--back", "9"}, "x.txt"},
        {{"timelines", "--users", Out("x.muk"), "--out", Out("t.txt")}, "x.muk"},
        {{"search", "data", "--back", "3", "--out", Out("s.txt"), "--archive", Out("x.jsonl")}, "x.jsonl"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(Run(c.arguments), 1);
        EXPECT_THAT(err.str(), HasSubstr(c.file + " holds records from X; a capture from Bluesky would mix"));
    }
    EXPECT_TRUE(m_emulator->Requests().empty());
    EXPECT_EQ(ReadFileBytes(app / "x.txt"), xRow);
}

// The service's windows and faults as the first service's: a spent or nearly spent window is waited out
// and the capture goes on whole; a server that keeps failing ends it early with what came saved.
TEST_F(BskyHeadlessTest, WindowsAreWaitedOutAndFailuresReachTheExitCode) {
    Start(2);
    const std::size_t expected = ExpectedSearch("data");
    struct Case {
        const char* name;
        int remaining;  // the search window's requests left; -1: as it is
        int failures;   // 500s answered from the second page on
        int code;
        std::string logged;  // a line of the request log
    };
    const Case cases[] = {
        {"a spent window (429)", 0, 0, 0, "Quota window spent"},
        {"a window running low", 3, 0, 0, "for the next search window"},
        {"a server that keeps failing", -1, 10, 3, "Bluesky answered 500"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_emulator->ClearFaults();
        if (c.remaining >= 0) m_emulator->SetRemaining(emulator::Family::BskySearch, c.remaining);
        factory = nullptr;
        if (c.failures > 0) {
            factory = [this, c, made = std::make_shared<std::atomic<int>>(0)] {
                if (++*made == 2)
                    m_emulator->InjectFault(emulator::Family::BskySearch, emulator::Fault::Error500,
                                            c.failures);
                return CurlHttpRequest::Factory()();
            };
        }
        EXPECT_EQ(Run({"search", "data", "--back", "36500", "--out", Out("s.txt")}), c.code) << err.str();
        EXPECT_THAT(err.str(), HasSubstr(c.logged));
        const std::vector<std::string> ids = Column("s.txt", 3);
        EXPECT_EQ(ids.size() == expected, c.code == 0) << ids.size() << " of " << expected;
    }
}

// A table and archive of Bluesky posts through every export, each read back by the libraries researchers
// open them with: handles as names, the posts' web addresses as links, reposts and mentions as edges.
TEST_F(BskyHeadlessTest, ABlueskyTableGoesThroughEveryExportAndIsReadBack) {
    if (!HavePythonModule("networkx, pandas, openpyxl"))
        GTEST_SKIP() << "networkx, pandas or openpyxl missing";
    const std::string demo = m_emulator->BlueskyHandle(m_emulator->Users().demo);
    WriteFileBytes(app / "one.txt", demo + "\n");
    ASSERT_EQ(Run({"timelines", "--users", Out("one.txt"), "--back", "36500", "--out", Out("t.txt"),
                   "--archive", Out("t.jsonl")}),
              0)
        << err.str();
    const std::size_t rows = Column("t.txt", 0).size();
    const std::vector<std::vector<std::string>> exports = {
        {"export-csv", Out("t.txt"), "--out", Out("t.csv")},
        {"export-xlsx", Out("t.txt"), "--out", Out("t.xlsx")},
        {"export-network", Out("t.txt"), "--out", Out("m.graphml")},
        {"export-network", Out("t.txt"), "--graph", "interaction", "--archive", Out("t.jsonl"), "--out",
         Out("i.graphml")},
        {"frequencies", Out("t.txt"), "--out", Out("f.xlsx")},
    };
    for (const auto& arguments : exports) ASSERT_EQ(Run(arguments, false), 0) << arguments[0] << err.str();
    const std::vector<std::string> read = RunPython(
        "import sys, pandas, openpyxl, networkx\n"
        "csv = pandas.read_csv(sys.argv[1])\n"
        "print('csv', len(csv), csv['LinkURL'].str.startswith('https://bsky.app/profile/').all())\n"
        "sheet = openpyxl.load_workbook(sys.argv[2], read_only=True).active\n"
        "print('xlsx', sheet.max_row - 1)\n"
        "for name in sys.argv[3:5]:\n"
        "    g = networkx.read_graphml(name)\n"
        "    kinds = sorted({d.get('kind', '') for _, _, d in g.edges(data=True)})\n"
        "    print('graph', g.number_of_edges() > 0, all('.' in n for n in g.nodes), ' '.join(kinds))\n"
        "print('sheets', ' '.join(openpyxl.load_workbook(sys.argv[5], read_only=True).sheetnames))\n",
        {Out("t.csv"), Out("t.xlsx"), Out("m.graphml"), Out("i.graphml"), Out("f.xlsx")});
    ASSERT_EQ(read.size(), 5u) << Joined(read);
    EXPECT_EQ(read[0], "csv " + std::to_string(rows) + " True");
    EXPECT_EQ(read[1], "xlsx " + std::to_string(rows));
    EXPECT_THAT(read[2], HasSubstr("graph True True"));
    EXPECT_THAT(read[3], HasSubstr("repost"));
    EXPECT_THAT(read[4], HasSubstr("mentions"));
}

}  // namespace
}  // namespace marlin::testing
