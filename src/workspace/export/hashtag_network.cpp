#include "workspace/export/hashtag_network.h"

#include <algorithm>
#include <map>
#include <set>

#include "core/atomic_file.h"
#include "core/tweet_column.h"
#include "platform/blank_trim.h"
#include "workspace/export/graphml_data.h"
#include "workspace/export/tweet_frequencies.h"

namespace marlin {
namespace {

constexpr const char* kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<graphml xmlns=\"http://graphml.graphdrawing.org/xmlns\">\n"
    "  <key id=\"label\" for=\"node\" attr.name=\"label\" attr.type=\"string\"/>\n"
    "  <key id=\"type\" for=\"node\" attr.name=\"type\" attr.type=\"string\"/>\n"
    "  <key id=\"tweets\" for=\"node\" attr.name=\"tweets\" attr.type=\"int\"/>\n"
    "  <key id=\"users\" for=\"node\" attr.name=\"users\" attr.type=\"int\"/>\n"
    "  <key id=\"weight\" for=\"edge\" attr.name=\"weight\" attr.type=\"int\"/>\n"
    "  <graph id=\"G\" edgedefault=\"undirected\">\n";

struct NodeTally {
    const char* type = "hashtag";
    int tweets = 0;
    std::set<std::string> users;
};

}  // namespace

HashtagNetwork HashtagNetwork::FromTweets(const ReportList& tweets, Shape shape) {
    return *FromRows(RowSource::OfTable(tweets), shape);
}

std::optional<HashtagNetwork> HashtagNetwork::FromRows(const RowSource::EachRow& eachRow, Shape shape) {
    std::map<std::string, NodeTally> nodes;
    std::map<std::pair<std::string, std::string>, int> edges;
    std::vector<std::string> tags;
    const bool whole = eachRow([&](const RowSource::CellOf& cell) {
        tags.clear();
        for (const std::string_view tag : TweetFrequencies::Hashtags(cell(TweetColumn::Tweet)))
            tags.push_back(TweetFrequencies::Lower(tag));
        std::sort(tags.begin(), tags.end());
        tags.erase(std::unique(tags.begin(), tags.end()), tags.end());
        if (tags.empty()) return;
        const std::string author = TweetFrequencies::Handle(cell(TweetColumn::UserScreenName));
        for (const std::string& tag : tags) {
            NodeTally& node = nodes[tag];
            ++node.tweets;
            node.users.insert(author);
        }
        if (shape == Shape::CoHashtag) {
            for (std::size_t a = 0; a < tags.size(); ++a)
                for (std::size_t b = a + 1; b < tags.size(); ++b) ++edges[{tags[a], tags[b]}];
        } else {
            NodeTally& user = nodes[author];
            user.type = "user";
            ++user.tweets;
            user.users.insert(author);
            // "#" sorts before "@", so the hashtag is always the first end.
            for (const std::string& tag : tags) ++edges[{tag, author}];
        }
    });
    if (!whole) return std::nullopt;
    HashtagNetwork graph;
    std::map<std::string, int> index;
    for (const auto& [id, tally] : nodes) {
        index[id] = static_cast<int>(graph.m_nodes.size());
        graph.m_nodes.push_back({id, tally.type, tally.tweets, static_cast<int>(tally.users.size())});
    }
    for (const auto& [ends, weight] : edges)
        graph.m_edges.push_back({index[ends.first], index[ends.second], weight});
    return graph;
}

std::string HashtagNetwork::GraphML() const {
    std::string out(kHeader);
    for (const Node& node : m_nodes) {
        GraphmlData::OpenNode(out, node.id);
        GraphmlData::Append(out, "label", node.id);
        GraphmlData::Append(out, "type", node.type);
        GraphmlData::Append(out, "tweets", std::to_string(node.tweets));
        GraphmlData::Append(out, "users", std::to_string(node.users));
        out += "    </node>\n";
    }
    for (const Edge& edge : m_edges) {
        GraphmlData::OpenEdge(out, m_nodes[static_cast<std::size_t>(edge.source)].id,
                              m_nodes[static_cast<std::size_t>(edge.target)].id);
        GraphmlData::Append(out, "weight", std::to_string(edge.weight));
        out += "    </edge>\n";
    }
    out += "  </graph>\n</graphml>\n";
    return out;
}

bool HashtagNetwork::Write(const std::string& fileName) const {
    return AtomicFile::Write(fileName, GraphML());
}

bool HashtagNetwork::FromTableFile(const std::string& tableFile, const std::string& graphFile, Shape shape,
                                   const ExportOptions& options) {
    const std::optional<HashtagNetwork> graph = FromRows(RowSource::OfTweetFile(tableFile, options), shape);
    return graph && !options.Stopped() && graph->Write(graphFile);
}

}  // namespace marlin
