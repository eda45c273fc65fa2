#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/report_list.h"
#include "workspace/export/export_options.h"
#include "workspace/export/row_source.h"

namespace marlin {

// Who retweets and mentions whom, as a directed graph in GraphML (read by Gephi, networkx,
// igraph and Cytoscape).
//
// From a Tweets table: a node for every screen name that wrote or is named in a tweet,
// with followers, friends, tweets and location where the table knows them (from the
// author's newest row) and the number of its tweets in the table; an edge author → user
// for each retweet ("RT @user:" leading the text) and each other "@user" in a text, one
// edge per pair and kind, weighted by the number of tweets, with the first and last time.
// Screen names compare without regard to case; a node shows the spelling of its author
// rows, else the first one seen.
//
// From a follower or friend list (the user table "<account>_followers" or
// "<account>_friends" that Get Followers/Friends makes): an edge follower → followed for
// every row, kind "follows".
class NetworkExport {
  public:
    enum class Kind { Retweet, Mention, Follows };

    struct Node {
        std::string key;                                   // the screen name in lower case: the node's id
        std::string label;                                 // the spelling first seen
        std::string followers, friends, tweets, location;  // empty where unknown
        int tweetsInTable = 0;
        long long newest = 0;  // time of the row the attributes came from
        bool hasRow = false;
    };
    struct Edge {
        int source = 0;  // indices into Nodes()
        int target = 0;
        Kind kind = Kind::Mention;
        int weight = 0;
        bool timed = false;
        long long first = 0, last = 0;
    };
    struct Mention {
        std::string_view name;
        Kind kind;
    };

    static NetworkExport FromTweets(const ReportList& tweets);
    // Whose followers (or friends) the rows of a user table are.
    struct FollowList {
        std::string account;
        bool followers = true;
    };
    static NetworkExport FromUserList(const ReportList& users, const std::string& tableName);
    static NetworkExport FromFollowList(const ReportList& users, const FollowList& list);
    // The same graphs of rows handed over one at a time (a table file read without holding
    // it); nothing when not all the rows could be read.
    static std::optional<NetworkExport> FromTweetRows(const RowSource::EachRow& eachRow,
                                                      std::size_t expectedRows = 0);
    static std::optional<NetworkExport> FromFollowRows(const RowSource::EachRow& eachRow,
                                                       const FollowList& list);
    // True for the name of a table that Get Followers/Friends made.
    static bool IsUserListName(std::string_view tableName);
    // The account and kind such a name tells.
    static FollowList FollowListOf(std::string_view tableName);

    // The retweeted and mentioned names of one text, each name once per kind, in order.
    static std::vector<Mention> Mentions(std::string_view text);
    static const char* KindName(Kind kind);

    const std::vector<Node>& Nodes() const { return m_nodes; }
    const std::vector<Edge>& Edges() const { return m_edges; }

    std::string GraphML() const;
    // Through the atomic writer; false when the file could not be written.
    bool Write(const std::string& fileName) const;

    // A saved table file to GraphML: a user table file named "<account>_followers.mut" or
    // "<account>_friends.mut" gives the follower edges, any other file is read as a tweet
    // table. False when the table cannot be read or the graph cannot be written.
    // Both are false also when options' stop flag was raised (nothing is written then).
    static bool FromTableFile(const std::string& tableFile, const std::string& graphFile,
                              const ExportOptions& options = {});
    // A user table file of the followers or friends of list.account, whatever its name.
    static bool FromUserTableFile(const std::string& tableFile, const std::string& graphFile,
                                  const FollowList& list, const ExportOptions& options = {});

  private:
    int NodeFor(std::string_view name);
    void AddEdge(int source, int target, Kind kind, std::optional<long long> time);
    void SortForOutput();

    std::vector<Node> m_nodes;
    std::vector<Edge> m_edges;
    std::unordered_map<std::string, int> m_nodeIndex;
    std::unordered_map<std::uint64_t, int> m_edgeIndex;  // source, target and kind packed
    std::string m_keyBuffer;
};

}  // namespace marlin
