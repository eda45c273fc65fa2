#include "workspace/export/interaction_network.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <numeric>
#include <optional>
#include <string>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/tweet_column.h"
#include "platform/blank_trim.h"
#include "workspace/export/network_export.h"
#include "workspace/export/network_files.h"
#include "workspace/export/table_file_reader.h"
#include "workspace/export/tweet_frequencies.h"
#include "workspace/tables/tweet_time.h"

namespace marlin {
namespace {

using Kind = InteractionNetwork::Kind;

struct Reference {
    Kind kind;
    std::string name;
};

Kind FromArchive(ArchiveReferences::Kind kind) {
    switch (kind) {
        case ArchiveReferences::Kind::Reply:
            return Kind::Reply;
        case ArchiveReferences::Kind::Quote:
            return Kind::Quote;
        case ArchiveReferences::Kind::Repost:
            return Kind::Repost;
        case ArchiveReferences::Kind::Mention:
            break;
    }
    return Kind::Mention;
}

std::string Key(std::string_view name) {
    return TweetFrequencies::Lower(TrimBlanks(name));
}

// The references of one post, each account once: a mention gives way to any other kind.
std::vector<Reference> ReferencesOf(std::string_view text, const ArchiveReferences::Post* archived) {
    std::vector<Reference> found;
    if (archived) {
        for (const ArchiveReferences::Reference& r : archived->references)
            found.push_back({FromArchive(r.kind), r.name});
    } else {
        const std::vector<NetworkExport::Mention> mentions = NetworkExport::Mentions(text);
        const bool repost = !mentions.empty() && mentions.front().kind == NetworkExport::Kind::Retweet;
        for (const NetworkExport::Mention& m : mentions) {
            if (repost && m.kind != NetworkExport::Kind::Retweet) break;
            found.push_back({repost ? Kind::Repost : Kind::Mention, std::string(m.name)});
        }
    }
    std::vector<Reference> kept;
    for (const Reference& r : found) {
        const std::string key = Key(r.name);
        const bool stronger = std::any_of(found.begin(), found.end(), [&](const Reference& other) {
            return r.kind == Kind::Mention && other.kind != Kind::Mention && Key(other.name) == key;
        });
        const bool seen = std::any_of(kept.begin(), kept.end(), [&](const Reference& k) {
            return k.kind == r.kind && Key(k.name) == key;
        });
        if (!stronger && !seen) kept.push_back(r);
    }
    return kept;
}

class Builder {
  public:
    int NodeFor(std::string_view name, bool author) {
        const std::string key = Key(name);
        const auto [slot, added] = m_index.try_emplace(key, static_cast<int>(m_graph.nodes.size()));
        if (added) m_graph.nodes.push_back({key, std::string(TrimBlanks(name)), 0});
        NetworkGraph::Node& node = m_graph.nodes[static_cast<std::size_t>(slot->second)];
        // The author's own spelling names the node.
        if (author && node.posts++ == 0) node.label = std::string(TrimBlanks(name));
        return slot->second;
    }

    void AddEdge(int source, int target, Kind kind, std::optional<long long> time,
                 std::optional<double> positive, std::optional<double> negative) {
        if (source == target) return;
        const std::uint64_t packed = (static_cast<std::uint64_t>(source) << 34) |
                                     (static_cast<std::uint64_t>(target) << 2) |
                                     static_cast<std::uint64_t>(kind);
        const auto [slot, added] = m_edges.try_emplace(packed, static_cast<int>(m_graph.edges.size()));
        if (added) {
            NetworkGraph::Edge edge;
            edge.source = source;
            edge.target = target;
            edge.kind = InteractionNetwork::KindName(kind);
            m_graph.edges.push_back(edge);
        }
        m_graph.edges[static_cast<std::size_t>(slot->second)].Count(time, positive, negative);
    }

    // Nodes by id and edges by their ends and kind, so the same table gives the same file
    // whatever order its rows are shown in.
    NetworkGraph Sorted() {
        NetworkGraph& g = m_graph;
        std::vector<int> order(g.nodes.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [&g](int a, int b) {
            return g.nodes[static_cast<std::size_t>(a)].id < g.nodes[static_cast<std::size_t>(b)].id;
        });
        std::vector<int> position(order.size());
        std::vector<NetworkGraph::Node> nodes;
        nodes.reserve(order.size());
        for (std::size_t k = 0; k < order.size(); ++k) {
            position[static_cast<std::size_t>(order[k])] = static_cast<int>(k);
            nodes.push_back(std::move(g.nodes[static_cast<std::size_t>(order[k])]));
        }
        g.nodes = std::move(nodes);
        for (NetworkGraph::Edge& e : g.edges) {
            e.source = position[static_cast<std::size_t>(e.source)];
            e.target = position[static_cast<std::size_t>(e.target)];
        }
        std::sort(g.edges.begin(), g.edges.end(),
                  [](const NetworkGraph::Edge& a, const NetworkGraph::Edge& b) {
                      return std::tuple(a.source, a.target, std::string_view(a.kind)) <
                             std::tuple(b.source, b.target, std::string_view(b.kind));
                  });
        return std::move(m_graph);
    }

  private:
    NetworkGraph m_graph;
    std::unordered_map<std::string, int> m_index;
    std::unordered_map<std::uint64_t, int> m_edges;
};

}  // namespace

const char* InteractionNetwork::KindName(Kind kind) {
    static constexpr std::pair<Kind, const char*> kNames[] = {
        {Kind::Reply, "reply"}, {Kind::Quote, "quote"}, {Kind::Repost, "repost"}, {Kind::Mention, "mention"}};
    for (const auto& [known, name] : kNames)
        if (known == kind) return name;
    return "";
}

NetworkGraph InteractionNetwork::FromTweets(const ReportList& tweets, const ArchiveReferences* archive) {
    Builder builder;
    for (int row = 0; row < tweets.RowCount(); ++row) {
        const std::string_view author = TrimBlanks(tweets.Cell(row, TweetColumn::UserScreenName));
        if (author.empty()) continue;
        const int source = builder.NodeFor(author, true);
        const ArchiveReferences::Post* archived =
            archive ? archive->Find(TrimBlanks(tweets.Cell(row, TweetColumn::TweetID))) : nullptr;
        const std::optional<long long> time = TweetTime::Seconds(tweets.Cell(row, TweetColumn::DateTime));
        const std::optional<double> positive =
            NetworkGraph::Score(tweets.Cell(row, TweetColumn::SentPositive));
        const std::optional<double> negative =
            NetworkGraph::Score(tweets.Cell(row, TweetColumn::SentNegative));
        for (const Reference& r : ReferencesOf(tweets.Cell(row, TweetColumn::Tweet), archived))
            builder.AddEdge(source, builder.NodeFor(r.name, false), r.kind, time, positive, negative);
    }
    return builder.Sorted();
}

}  // namespace marlin

namespace marlin {

bool InteractionNetwork::FromTableFile(const std::string& tableFile, const std::string& archiveFile,
                                       const std::string& out, std::string* problem) {
    ReportList table;
    if (!TableFileReader::ReadTweets(tableFile, table)) {
        *problem = "cannot read " + tableFile;
        return false;
    }
    ArchiveReferences archive;
    if (!archiveFile.empty() && !archive.Load(archiveFile)) {
        *problem = archive.Problem();
        return false;
    }
    if (!NetworkFiles::Write(out, FromTweets(table, archiveFile.empty() ? nullptr : &archive))) {
        *problem = "cannot write " + out;
        return false;
    }
    return true;
}

}  // namespace marlin
