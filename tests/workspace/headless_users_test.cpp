// The command line's user commands (timelines of a list, profile look-up, follower and
// friend lists) against the emulator: the files they write, their exit codes and messages.
#include <algorithm>
#include <sstream>

#include "platform/console_toolkit.h"
#include "service/curl_http_request.h"
#include "user_side_fixture.h"
#include "workspace/headless/headless_run.h"

namespace marlin::testing {
namespace {

// A tweet table record ends in a tab after its last field.
constexpr std::size_t kTweetFields = TweetColumn::Count + 1;

class HeadlessUsersTest : public UserSideTest {
  protected:
    void SetUp() override {
        StartService(UserCorpus(), false);
        StoreCredentials();
        const emulator::KnownUsers users = Emu().Users();
        names = {users.demo, users.verified, users.midsize};
        std::string text;
        std::string keys;
        for (const std::string& name : names) {
            text += name + "\r\n";
            keys += Emu().Data().UserIdText(name) + "\t" + name + "\r\n";
        }
        WriteFileBytes(File("names.txt"), text);
        WriteFileBytes(File("names.muk"), keys);
        WriteFileBytes(File("empty.txt"), "\r\n");
    }

    int Run(const std::vector<std::string>& arguments) {
        return RunCommandLine(arguments, &err, [](HeadlessRun::Setup& setup) {
            setup.retryDelays = {20, 20, 20};
        });
    }

    std::string Out(const std::string& name) const { return File(name).string(); }

    // Field `k` of every line of a written file, blanks trimmed, sorted; every line must
    // have `fields` fields and end in CR LF.
    std::vector<std::string> Column(const std::string& name, int k, std::size_t fields) {
        std::vector<std::string> column;
        std::istringstream lines(ReadFileBytes(File(name)));
        for (std::string line; std::getline(lines, line);) {
            EXPECT_THAT(line, EndsWith("\r"));
            line.pop_back();
            std::vector<std::string> cells;
            std::istringstream split(line);
            for (std::string cell; std::getline(split, cell, '\t');) cells.push_back(cell);
            if (line.ends_with('\t')) cells.emplace_back();  // a last field left empty
            EXPECT_EQ(cells.size(), fields) << line;
            if (cells.size() > static_cast<std::size_t>(k)) column.push_back(Trimmed(cells[k]));
        }
        std::sort(column.begin(), column.end());
        return column;
    }

    static std::vector<std::string> Sorted(std::vector<std::string> values) {
        std::sort(values.begin(), values.end());
        return values;
    }

    std::vector<std::string> TimelineIdsOfNames() {
        std::vector<std::string> ids;
        for (const std::string& name : names)
            for (std::string& id : Emu().Data().TimelineIds(name)) ids.push_back(std::move(id));
        return Sorted(ids);
    }

    std::vector<std::string> names;
    std::string err;
};

TEST_F(HeadlessUsersTest, EachCommandWritesTheWindowsFileOfWhatTheServiceHolds) {
    struct Case {
        std::vector<std::string> arguments;
        std::string out;
        int field;  // the field compared with what the service holds
        std::size_t fields;
        std::function<std::vector<std::string>()> expected;
    };
    const std::string midsize = Emu().Users().midsize;
    const std::string demo = Emu().Users().demo;
    const std::vector<Case> cases = {
        {{"timelines", "--users", Out("names.txt"), "--out", Out("tl.txt"), "--back", "30"},
         "tl.txt",
         TweetColumn::TweetID,
         kTweetFields,
         [this] { return TimelineIdsOfNames(); }},
        {{"timelines", "--users", Out("names.muk"), "--out", Out("tk.txt"), "--back", "30"},
         "tk.txt",
         TweetColumn::TweetID,
         kTweetFields,
         [this] { return TimelineIdsOfNames(); }},
        {{"lookup", "--users", Out("names.muk"), "--out", Out("u.mut")},
         "u.mut",
         UserTable::kScreenName,
         UserTable::kColumnCount,
         [this] { return Sorted(names); }},
        {{"followers", midsize, "--out", Out("f.muk")},
         "f.muk",
         0,
         2,
         [&] { return Sorted(Emu().Data().FollowerIds(midsize)); }},
        {{"friends", demo, "--out", Out("fr.muk")},
         "fr.muk",
         0,
         2,
         [&] { return Sorted(Emu().Data().FriendIds(demo)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.front() + " " + c.out);
        ASSERT_EQ(Run(c.arguments), HeadlessRun::kDone) << err;
        const std::vector<std::string> expected = c.expected();
        EXPECT_FALSE(expected.empty());
        EXPECT_EQ(Column(c.out, c.field, c.fields), expected);
        EXPECT_THAT(err, HasSubstr("Saved " + std::to_string(expected.size()) + " "));
    }
}

TEST_F(HeadlessUsersTest, FailuresAndBadUsageGiveTheirCodeAndReasonAndKeepAnEarlierFile) {
    struct Case {
        std::vector<std::string> arguments;
        int code;
        std::string says;
        bool credentials = true;
        int serverErrors = 0;  // the follower list's next requests answer 500
    };
    const std::string kept = Out("kept.muk");
    const std::vector<Case> cases = {
        {{"timelines", "--users", Out("gone.txt"), "--out", Out("t.txt")}, 1, "cannot read the user list"},
        {{"lookup", "--users", Out("empty.txt"), "--out", Out("u.mut")}, 1, "no users in "},
        {{"lookup", "--users", Out("names.txt")}, 2, "lookup needs --out"},
        {{"timelines", "--out", Out("t.txt")}, 2, "timelines needs --users"},
        {{"followers", "--out", kept}, 2, "followers needs its argument"},
        {{"friends", "a", "b", "--out", kept}, 2, "unexpected argument \"b\""},
        {{"followers", "nobody_by_that_name", "--out", kept}, 1, "no user list was retrieved"},
        // The client's three retries, then the run gives up instead of asking on.
        {{"followers", names[2], "--out", kept},
         1,
         "no user list was retrieved for " + names[2] + " (500",
         true,
         4},
        {{"lookup", "--users", Out("strangers.txt"), "--out", kept}, 1, "no profile was found"},
        {{"timelines", "--users", Out("strangers.txt"), "--out", kept}, 1, "Retrieval error: 404"},
        {{"timelines", "--users", Out("names.txt"), "--out", kept}, 1, "failed: no credentials", false},
        {{"friends", names[0], "--out", kept}, 1, "failed: no credentials", false},
    };
    WriteFileBytes(File("strangers.txt"), "nobody_by_that_name\r\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        WriteFileBytes(kept, "1\tearlier\r\n");
        if (c.credentials)
            StoreCredentials();
        else
            std::filesystem::remove(File(AppCredFile::kFileName));
        Emu().ClearFaults();
        if (c.serverErrors > 0)
            Emu().InjectFault(emulator::Family::FollowersList, emulator::Fault::Error500, c.serverErrors);
        EXPECT_EQ(Run(c.arguments), c.code);
        EXPECT_THAT(err, HasSubstr(c.says));
        if (c.code == HeadlessRun::kBadUsage) {
            EXPECT_THAT(err, HasSubstr("Usage: marlin-skimmer --headless"));
        }
        EXPECT_EQ(ReadFileBytes(kept), "1\tearlier\r\n");
    }
}

TEST_F(HeadlessUsersTest, AUserTableNetworkIsTheFollowersOrFriendsOfTheAccountTheCommandNames) {
    ASSERT_EQ(Run({"lookup", "--users", Out("names.txt"), "--out", Out("u.mut"), "--exact-texts"}), 0) << err;
    ASSERT_THAT(ReadFileBytes(File("u.mut")), StartsWith("\xEF\xBB\xBF"));  // exact: UTF-8, read back below
    const std::vector<std::string> table = {"export-network", Out("u.mut"), "--out", Out("u.graphml")};
    EXPECT_EQ(Run(table), HeadlessRun::kBadUsage);
    EXPECT_THAT(err, HasSubstr("needs --follows-of ACCOUNT and --kind followers|friends"));
    EXPECT_EQ(Run({"export-csv", Out("u.mut"), "--out", Out("u.csv"), "--kind", "friends"}),
              HeadlessRun::kBadUsage);
    for (const std::string kind : {"friends", "followers"}) {
        std::vector<std::string> arguments = table;
        arguments.insert(arguments.end(), {"--follows-of", "Lib", "--kind", kind});
        ASSERT_EQ(Run(arguments), HeadlessRun::kDone) << err;
        const std::string graph = ReadFileBytes(File("u.graphml"));
        const std::string edge = kind == "friends" ? "<edge source=\"lib\"" : "target=\"lib\"";
        std::size_t edges = 0;
        for (std::size_t at = graph.find(edge); at != std::string::npos; at = graph.find(edge, at + 1))
            ++edges;
        EXPECT_EQ(edges, names.size()) << kind;
    }
}

}  // namespace
}  // namespace marlin::testing
