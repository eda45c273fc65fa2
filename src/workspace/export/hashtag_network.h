#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/report_list.h"
#include "workspace/export/export_options.h"
#include "workspace/export/row_source.h"

namespace marlin {

// The hashtag graphs of a Tweets table in GraphML, undirected, beside the mention graph
// of NetworkExport:
// - co-hashtag: a node for every hashtag, an edge between two hashtags that appear in one
//   tweet, weighted by the number of such tweets;
// - hashtag–user: a two-mode graph of hashtags and the users who wrote them (node
//   attribute `type` "hashtag" or "user"), an edge weighted by the number of tweets.
// Every node carries `tweets` (tweets that used the hashtag, or that the user wrote with a
// hashtag) and `users` (their distinct authors). Hashtags and names compare without
// regard to case and the nodes are named in lower case ("#data", "@bob"), as
// TweetFrequencies counts them.
class HashtagNetwork {
  public:
    enum class Shape { CoHashtag, HashtagUser };

    struct Node {
        std::string id;
        const char* type = "hashtag";
        int tweets = 0;
        int users = 0;
    };
    struct Edge {
        int source = 0;  // indices into Nodes(), source < target
        int target = 0;
        int weight = 0;
    };

    static HashtagNetwork FromTweets(const ReportList& tweets, Shape shape);
    // The same graph of rows handed over one at a time (a table file read without holding
    // it); nothing when not all the rows could be read.
    static std::optional<HashtagNetwork> FromRows(const RowSource::EachRow& eachRow, Shape shape);

    // Nodes ordered by id, edges by their ends.
    const std::vector<Node>& Nodes() const { return m_nodes; }
    const std::vector<Edge>& Edges() const { return m_edges; }

    std::string GraphML() const;
    // Through the atomic writer; false when the file could not be written.
    bool Write(const std::string& fileName) const;
    // A saved tweet table file to GraphML; false when it cannot be read or written.
    // False also when options' stop flag was raised (nothing is written then).
    static bool FromTableFile(const std::string& tableFile, const std::string& graphFile, Shape shape,
                              const ExportOptions& options = {});

  private:
    std::vector<Node> m_nodes;
    std::vector<Edge> m_edges;
};

}  // namespace marlin
