#include "workspace/export/network_export.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "test_support.h"
#include "tweet_rows.h"
#include "workspace/tables/tweet_time.h"
#include "workspace/users/user_profile_table.h"

namespace marlin::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Kind = NetworkExport::Kind;

// An edge as "source>target kind weight first last", so a graph compares in one line.
std::vector<std::string> EdgeLines(const NetworkExport& graph) {
    std::vector<std::string> lines;
    for (const auto& e : graph.Edges()) {
        std::string line = graph.Nodes()[e.source].key + ">" + graph.Nodes()[e.target].key + " " +
                           NetworkExport::KindName(e.kind) + " " + std::to_string(e.weight);
        if (e.timed) line += " " + TweetTime::Iso(e.first) + " " + TweetTime::Iso(e.last);
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> NodeKeys(const NetworkExport& graph) {
    std::vector<std::string> keys;
    for (const auto& n : graph.Nodes()) keys.push_back(n.key);
    return keys;
}

TEST(NetworkExportTest, MentionsOfOneTextTellRetweetsFromMentions) {
    struct Case {
        std::string text;
        std::vector<std::string> expected;  // "r:name" or "m:name"
    } cases[] = {
        {"RT @Bob: hello @carol and @dave", {"r:Bob", "m:carol", "m:dave"}},
        {"  RT @bob: lead blanks", {"r:bob"}},
        {"RT @bob no colon", {"m:bob"}},
        {"hi @bob, @BOB and @bob again", {"m:bob"}},
        {"RT @bob: @bob too", {"r:bob", "m:bob"}},
        {"mail me at me@example.org or @ alone or @", {}},
        {"(@x_1)!", {"m:x_1"}},
        {"no names at all", {}},
        // Bluesky handles are domain names; a name of the first service ends at its dot.
        {"RT @ana-lima.bsky.social: hi @bo.example.com.", {"r:ana-lima.bsky.social", "m:bo.example.com"}},
        {"thanks @bob. Then @Bob.Smith and @bob.x1", {"m:bob"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> got;
        for (const auto& m : NetworkExport::Mentions(c.text))
            got.push_back(std::string(m.kind == Kind::Retweet ? "r:" : "m:") + std::string(m.name));
        EXPECT_EQ(got, c.expected) << c.text;
    }
}

TEST(NetworkExportTest, AKnownTableGivesExactNodesEdgesKindsAndWeights) {
    ReportList table;
    FillTweets(table, {
                          {"Wed Aug 27 13:00:00 +0000 2008", "Alice", "RT @Bob: news @carol", "1", "10", "2",
                           "Leeds", "99"},
                          {"Wed Aug 27 15:00:00 +0000 2008", "alice", "again @BOB and @bob", "2", "11", "3",
                           "York", "100"},
                          {"Wed Aug 27 14:00:00 +0000 2008", "bob", "RT @alice: x", "3", "5", "6", "", "7"},
                          {"Wed Aug 27 16:00:00 +0000 2008", "Dave", "quiet", "4"},
                      });
    const NetworkExport graph = NetworkExport::FromTweets(table);
    EXPECT_THAT(NodeKeys(graph), ElementsAre("alice", "bob", "carol", "dave"));
    EXPECT_THAT(EdgeLines(graph), ElementsAre("alice>bob retweet 1 2008-08-27T13:00:00 2008-08-27T13:00:00",
                                              "alice>bob mention 1 2008-08-27T15:00:00 2008-08-27T15:00:00",
                                              "alice>carol mention 1 2008-08-27T13:00:00 2008-08-27T13:00:00",
                                              "bob>alice retweet 1 2008-08-27T14:00:00 2008-08-27T14:00:00"));

    const auto& alice = graph.Nodes()[0];
    EXPECT_EQ(alice.label, "Alice");  // the first spelling of its rows
    EXPECT_EQ(alice.tweetsInTable, 2);
    // The newest row speaks for the profile.
    EXPECT_EQ(alice.followers, "11");
    EXPECT_EQ(alice.location, "York");
    EXPECT_EQ(alice.tweets, "100");
    const auto& bob = graph.Nodes()[1];
    EXPECT_EQ(bob.label, "bob");
    EXPECT_EQ(bob.location, "");
    const auto& carol = graph.Nodes()[2];
    EXPECT_EQ(carol.tweetsInTable, 0);
    EXPECT_EQ(carol.followers, "");  // named only: the table does not know her figures
}

TEST(NetworkExportTest, MixedCaseNamesMergeAndWeightsCountTweets) {
    ReportList table;
    FillTweets(table, {
                          {"Wed Aug 27 13:00:00 +0000 2008", "ann", "@Zed hi", "1"},
                          {"Thu Aug 28 13:00:00 +0000 2008", "ANN", "@ZED hi", "2"},
                          {"Tue Aug 26 13:00:00 +0000 2008", "Ann", "@zed @zEd hi", "3"},
                      });
    const NetworkExport graph = NetworkExport::FromTweets(table);
    EXPECT_THAT(NodeKeys(graph), ElementsAre("ann", "zed"));
    EXPECT_THAT(EdgeLines(graph), ElementsAre("ann>zed mention 3 2008-08-26T13:00:00 2008-08-28T13:00:00"));
    EXPECT_EQ(graph.Nodes()[0].tweetsInTable, 3);
    EXPECT_EQ(graph.Nodes()[1].label, "Zed");
}

TEST(NetworkExportTest, ATableWithoutMentionsGivesNodesAndNoEdges) {
    ReportList table;
    FillTweets(table, {{"Wed Aug 27 13:00:00 +0000 2008", "ann", "hello", "1"},
                       {"not a date", "ben", "world", "2"},
                       {"Wed Aug 27 13:00:00 +0000 2008", "", "@orphan row without author", "3"}});
    const NetworkExport graph = NetworkExport::FromTweets(table);
    EXPECT_THAT(NodeKeys(graph), ElementsAre("ann", "ben"));
    EXPECT_TRUE(graph.Edges().empty());
    EXPECT_THAT(graph.GraphML(), HasSubstr("<node id=\"ben\">"));
    EXPECT_THAT(graph.GraphML(), ::testing::Not(HasSubstr("<edge")));
}

TEST(NetworkExportTest, TextsAreEscapedForXml) {
    ReportList table;
    FillTweets(table,
               {{"Wed Aug 27 13:00:00 +0000 2008", "ann", "x", "1", "1", "1", "A&B <\"here\">\x01", "1"}});
    EXPECT_THAT(NetworkExport::FromTweets(table).GraphML(),
                HasSubstr("<data key=\"location\">A&amp;B &lt;&quot;here&quot;&gt;</data>"));
}

void FillUsers(ReportList& users, const std::vector<std::pair<std::string, std::string>>& idsAndNames) {
    UserTable::CreateColumns(users);
    for (const auto& [id, name] : idsAndNames) {
        std::vector<std::string> cells(UserTable::kColumnCount);
        cells[UserTable::kId] = id;
        cells[UserTable::kScreenName] = name;
        cells[UserTable::kFollowers] = "   42";
        cells[6] = "Bath";
        users.AddRow(cells);
    }
}

TEST(NetworkExportTest, AFollowerOrFriendListGivesTheFollowerEdges) {
    ReportList users;
    FillUsers(users, {{"1", "Xena"}, {"2", ""}});
    EXPECT_THAT(EdgeLines(NetworkExport::FromUserList(users, "Team_followers")),
                ElementsAre("2>team follows 1", "xena>team follows 1"));
    const NetworkExport friends = NetworkExport::FromUserList(users, "team_friends");
    EXPECT_THAT(EdgeLines(friends), ElementsAre("team>2 follows 1", "team>xena follows 1"));
    EXPECT_EQ(friends.Nodes()[2].followers, "42");
    EXPECT_EQ(friends.Nodes()[2].location, "Bath");

    EXPECT_TRUE(NetworkExport::IsUserListName("team_followers"));
    EXPECT_TRUE(NetworkExport::IsUserListName("123_friends"));
    EXPECT_FALSE(NetworkExport::IsUserListName("_friends"));
    EXPECT_FALSE(NetworkExport::IsUserListName("1UserTable"));
}

TEST(NetworkExportTest, ASavedTableFileBecomesAGraphFile) {
    TempFolder folder;
    WriteFileBytes(
        folder / "t.txt",
        "Wed Aug 27 13:08:45 +0000 2008\tann\tRT @ben: hi\t1\t\t1\t2\t\t\t\t3\t0\t\t1\t-1\t\t\r\n");
    ASSERT_TRUE(NetworkExport::FromTableFile((folder / "t.txt").string(), (folder / "t.graphml").string()));
    EXPECT_THAT(ReadFileBytes(folder / "t.graphml"), HasSubstr("<edge source=\"ann\" target=\"ben\">"));

    WriteFileBytes(folder / "ann_friends.mut", "7\tCid\r\n");
    ASSERT_TRUE(
        NetworkExport::FromTableFile((folder / "ann_friends.mut").string(), (folder / "f.graphml").string()));
    EXPECT_THAT(ReadFileBytes(folder / "f.graphml"), HasSubstr("<edge source=\"ann\" target=\"cid\">"));

    EXPECT_FALSE(
        NetworkExport::FromTableFile((folder / "none.txt").string(), (folder / "n.graphml").string()));
}

}  // namespace
}  // namespace marlin::testing
