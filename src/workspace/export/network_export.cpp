#include "workspace/export/network_export.h"

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <tuple>
#include <utility>

#include "core/atomic_file.h"
#include "core/tweet_column.h"
#include "platform/blank_trim.h"
#include "workspace/export/graphml_data.h"
#include "workspace/tables/tweet_time.h"
#include "workspace/tables/user_table.h"

namespace marlin {
namespace {

constexpr std::string_view kFollowersSuffix = "_followers";
constexpr std::string_view kFriendsSuffix = "_friends";
constexpr int kUserLocation = 6;  // "Location" of a user table

bool NameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k)
        if (Lower(a[k]) != Lower(b[k])) return false;
    return true;
}

constexpr const char* kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<graphml xmlns=\"http://graphml.graphdrawing.org/xmlns\"\n"
    "         xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n"
    "         xsi:schemaLocation=\"http://graphml.graphdrawing.org/xmlns "
    "http://graphml.graphdrawing.org/xmlns/1.0/graphml.xsd\">\n"
    "  <key id=\"label\" for=\"node\" attr.name=\"label\" attr.type=\"string\"/>\n"
    "  <key id=\"followers\" for=\"node\" attr.name=\"followers\" attr.type=\"long\"/>\n"
    "  <key id=\"friends\" for=\"node\" attr.name=\"friends\" attr.type=\"long\"/>\n"
    "  <key id=\"tweets\" for=\"node\" attr.name=\"tweets\" attr.type=\"long\"/>\n"
    "  <key id=\"location\" for=\"node\" attr.name=\"location\" attr.type=\"string\"/>\n"
    "  <key id=\"tweets_in_table\" for=\"node\" attr.name=\"tweets_in_table\" attr.type=\"int\"/>\n"
    "  <key id=\"kind\" for=\"edge\" attr.name=\"kind\" attr.type=\"string\"/>\n"
    "  <key id=\"weight\" for=\"edge\" attr.name=\"weight\" attr.type=\"int\"/>\n"
    "  <key id=\"first\" for=\"edge\" attr.name=\"first\" attr.type=\"string\"/>\n"
    "  <key id=\"last\" for=\"edge\" attr.name=\"last\" attr.type=\"string\"/>\n"
    "  <graph id=\"G\" edgedefault=\"directed\">\n";

// A count cell as a plain number; anything else (a blank cell) is unknown.
std::string CountOf(std::string_view cell) {
    const std::string_view text = TrimBlanks(cell);
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return {};
    return std::string(text);
}

}  // namespace

const char* NetworkExport::KindName(Kind kind) {
    static constexpr std::pair<Kind, const char*> kNames[] = {
        {Kind::Retweet, "retweet"}, {Kind::Mention, "mention"}, {Kind::Follows, "follows"}};
    for (const auto& [known, name] : kNames)
        if (known == kind) return name;
    return "";
}

bool NetworkExport::IsUserListName(std::string_view tableName) {
    for (const std::string_view suffix : {kFollowersSuffix, kFriendsSuffix})
        if (tableName.size() > suffix.size() && tableName.ends_with(suffix)) return true;
    return false;
}

std::vector<NetworkExport::Mention> NetworkExport::Mentions(std::string_view text) {
    std::vector<Mention> found;
    auto add = [&found](std::string_view name, Kind kind) {
        for (const Mention& m : found)
            if (m.kind == kind && SameName(m.name, name)) return;
        found.push_back({name, kind});
    };
    const std::string_view trimmed = TrimBlanks(text);
    const std::size_t offset = static_cast<std::size_t>(trimmed.data() - text.data());
    std::size_t retweetAt = std::string_view::npos;
    if (trimmed.starts_with("RT @")) {
        std::size_t end = 4;
        while (end < trimmed.size() && NameCharacter(trimmed[end])) ++end;
        if (end > 4 && end < trimmed.size() && trimmed[end] == ':') {
            add(trimmed.substr(4, end - 4), Kind::Retweet);
            retweetAt = offset + 3;
        }
    }
    for (std::size_t at = text.find('@'); at != std::string_view::npos; at = text.find('@', at + 1)) {
        if (at == retweetAt) continue;
        // An "@" inside a word is an e-mail address, not a name.
        if (at > 0 && NameCharacter(text[at - 1])) continue;
        std::size_t end = at + 1;
        while (end < text.size() && NameCharacter(text[end])) ++end;
        if (end > at + 1) add(text.substr(at + 1, end - at - 1), Kind::Mention);
    }
    return found;
}

int NetworkExport::NodeFor(std::string_view name) {
    m_keyBuffer.assign(name);
    for (char& c : m_keyBuffer) c = Lower(c);
    if (const auto found = m_nodeIndex.find(m_keyBuffer); found != m_nodeIndex.end()) return found->second;
    const int index = static_cast<int>(m_nodes.size());
    m_nodeIndex.emplace(m_keyBuffer, index);
    Node node;
    node.key = m_keyBuffer;
    node.label = std::string(name);
    m_nodes.push_back(std::move(node));
    return index;
}

void NetworkExport::AddEdge(int source, int target, Kind kind, std::optional<long long> time) {
    const std::uint64_t packed = (static_cast<std::uint64_t>(source) << 34) |
                                 (static_cast<std::uint64_t>(target) << 2) | static_cast<std::uint64_t>(kind);
    const auto [it, added] = m_edgeIndex.try_emplace(packed, static_cast<int>(m_edges.size()));
    if (added) m_edges.push_back(Edge{source, target, kind, 0, false, 0, 0});
    Edge& edge = m_edges[static_cast<std::size_t>(it->second)];
    ++edge.weight;
    if (!time) return;
    if (!edge.timed || *time < edge.first) edge.first = *time;
    if (!edge.timed || *time > edge.last) edge.last = *time;
    edge.timed = true;
}

NetworkExport NetworkExport::FromTweets(const ReportList& tweets) {
    return *FromTweetRows(RowSource::OfTable(tweets), static_cast<std::size_t>(tweets.RowCount()));
}

std::optional<NetworkExport> NetworkExport::FromTweetRows(const RowSource::EachRow& eachRow,
                                                          std::size_t expectedRows) {
    NetworkExport graph;
    graph.m_nodeIndex.reserve(expectedRows / 2);
    graph.m_edgeIndex.reserve(expectedRows);
    const bool whole = eachRow([&graph](const RowSource::CellOf& cell) {
        const std::string_view author = TrimBlanks(cell(TweetColumn::UserScreenName));
        if (author.empty()) return;
        const std::optional<long long> time = TweetTime::Seconds(cell(TweetColumn::DateTime));
        const int source = graph.NodeFor(author);
        {
            Node& node = graph.m_nodes[static_cast<std::size_t>(source)];
            if (node.tweetsInTable++ == 0 && node.label != author) node.label = std::string(author);
            const long long when = time.value_or(0);
            if (!node.hasRow || when >= node.newest) {
                node.hasRow = true;
                node.newest = when;
                node.followers = CountOf(cell(TweetColumn::UserFollowers));
                node.friends = CountOf(cell(TweetColumn::UserFriends));
                node.tweets = CountOf(cell(TweetColumn::UserTweets));
                node.location = Trimmed(cell(TweetColumn::UserLocation));
            }
        }
        for (const Mention& mention : Mentions(cell(TweetColumn::Tweet)))
            graph.AddEdge(source, graph.NodeFor(mention.name), mention.kind, time);
    });
    if (!whole) return std::nullopt;
    graph.SortForOutput();
    return graph;
}

NetworkExport::FollowList NetworkExport::FollowListOf(std::string_view tableName) {
    const bool followers = tableName.ends_with(kFollowersSuffix);
    const std::string_view suffix = followers ? kFollowersSuffix : kFriendsSuffix;
    return {std::string(tableName.substr(0, tableName.size() - suffix.size())), followers};
}

NetworkExport NetworkExport::FromUserList(const ReportList& users, const std::string& tableName) {
    return FromFollowList(users, FollowListOf(tableName));
}

NetworkExport NetworkExport::FromFollowList(const ReportList& users, const FollowList& list) {
    return *FromFollowRows(RowSource::OfTable(users), list);
}

std::optional<NetworkExport> NetworkExport::FromFollowRows(const RowSource::EachRow& eachRow,
                                                           const FollowList& list) {
    NetworkExport graph;
    const bool followers = list.followers;
    const int accountNode = graph.NodeFor(list.account);
    const bool whole = eachRow([&](const RowSource::CellOf& cell) {
        std::string_view name = TrimBlanks(cell(UserTable::kScreenName));
        if (name.empty()) name = TrimBlanks(cell(UserTable::kId));
        if (name.empty()) return;
        const int user = graph.NodeFor(name);
        Node& node = graph.m_nodes[static_cast<std::size_t>(user)];
        node.hasRow = true;
        node.followers = CountOf(cell(UserTable::kFollowers));
        node.friends = CountOf(cell(UserTable::kFriends));
        node.tweets = CountOf(cell(UserTable::kStatusCount));
        node.location = Trimmed(cell(kUserLocation));
        if (followers)
            graph.AddEdge(user, accountNode, Kind::Follows, std::nullopt);
        else
            graph.AddEdge(accountNode, user, Kind::Follows, std::nullopt);
    });
    if (!whole) return std::nullopt;
    graph.SortForOutput();
    return graph;
}

void NetworkExport::SortForOutput() {
    // The same table gives the same file whatever order its rows are shown in.
    std::vector<int> order(m_nodes.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [this](int a, int b) {
        return m_nodes[static_cast<std::size_t>(a)].key < m_nodes[static_cast<std::size_t>(b)].key;
    });
    std::vector<int> position(m_nodes.size());
    std::vector<Node> nodes;
    nodes.reserve(m_nodes.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        position[static_cast<std::size_t>(order[k])] = static_cast<int>(k);
        nodes.push_back(std::move(m_nodes[static_cast<std::size_t>(order[k])]));
    }
    m_nodes = std::move(nodes);
    for (Edge& edge : m_edges) {
        edge.source = position[static_cast<std::size_t>(edge.source)];
        edge.target = position[static_cast<std::size_t>(edge.target)];
    }
    std::sort(m_edges.begin(), m_edges.end(), [](const Edge& a, const Edge& b) {
        return std::tie(a.source, a.target, a.kind) < std::tie(b.source, b.target, b.kind);
    });
    m_nodeIndex.clear();
    m_edgeIndex.clear();
}

std::string NetworkExport::GraphML() const {
    std::string out(kHeader);
    out.reserve(m_nodes.size() * 160 + m_edges.size() * 220);
    for (const Node& node : m_nodes) {
        GraphmlData::OpenNode(out, node.key);
        GraphmlData::AppendUnlessEmpty(out, "label", node.label);
        GraphmlData::AppendUnlessEmpty(out, "followers", node.followers);
        GraphmlData::AppendUnlessEmpty(out, "friends", node.friends);
        GraphmlData::AppendUnlessEmpty(out, "tweets", node.tweets);
        GraphmlData::AppendUnlessEmpty(out, "location", node.location);
        if (node.tweetsInTable > 0)
            GraphmlData::AppendUnlessEmpty(out, "tweets_in_table", std::to_string(node.tweetsInTable));
        out += "    </node>\n";
    }
    for (const Edge& edge : m_edges) {
        GraphmlData::OpenEdge(out, m_nodes[static_cast<std::size_t>(edge.source)].key,
                              m_nodes[static_cast<std::size_t>(edge.target)].key);
        GraphmlData::AppendUnlessEmpty(out, "kind", KindName(edge.kind));
        GraphmlData::AppendUnlessEmpty(out, "weight", std::to_string(edge.weight));
        if (edge.timed) {
            GraphmlData::AppendUnlessEmpty(out, "first", TweetTime::Iso(edge.first));
            GraphmlData::AppendUnlessEmpty(out, "last", TweetTime::Iso(edge.last));
        }
        out += "    </edge>\n";
    }
    out += "  </graph>\n</graphml>\n";
    return out;
}

bool NetworkExport::Write(const std::string& fileName) const {
    return AtomicFile::Write(fileName, GraphML());
}

bool NetworkExport::FromTableFile(const std::string& tableFile, const std::string& graphFile,
                                  const ExportOptions& options) {
    const std::filesystem::path path(tableFile);
    const std::string stem = path.stem().string();
    if (path.extension() == ".mut" && IsUserListName(stem))
        return FromUserTableFile(tableFile, graphFile, FollowListOf(stem), options);
    const std::optional<NetworkExport> graph = FromTweetRows(RowSource::OfTweetFile(tableFile, options));
    return graph && !options.Stopped() && graph->Write(graphFile);
}

bool NetworkExport::FromUserTableFile(const std::string& tableFile, const std::string& graphFile,
                                      const FollowList& list, const ExportOptions& options) {
    const std::optional<NetworkExport> graph =
        FromFollowRows(RowSource::OfUserFile(tableFile, options), list);
    return graph && !options.Stopped() && graph->Write(graphFile);
}

}  // namespace marlin
