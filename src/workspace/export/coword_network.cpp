#include "workspace/export/coword_network.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>
#include <unordered_map>

#include "core/tweet_column.h"
#include "platform/blank_trim.h"
#include "workspace/export/network_files.h"
#include "workspace/export/post_words.h"
#include "workspace/export/table_file_reader.h"
#include "workspace/tables/tweet_time.h"

namespace marlin {
namespace {

struct PostOfWords {
    std::vector<int> words;  // indices into the word list
    std::optional<long long> time;
    std::optional<double> positive, negative;
};

}  // namespace

NetworkGraph CowordNetwork::FromTweets(const ReportList& tweets, int top, const ArchiveReferences* archive) {
    std::unordered_map<std::string, int> index;
    std::vector<std::string> words;
    std::vector<int> uses;
    std::vector<PostOfWords> posts;
    posts.reserve(static_cast<std::size_t>(tweets.RowCount()));
    for (int row = 0; row < tweets.RowCount(); ++row) {
        const ArchiveReferences::Post* archived =
            archive ? archive->Find(TrimBlanks(tweets.Cell(row, TweetColumn::TweetID))) : nullptr;
        PostOfWords& post = posts.emplace_back();
        for (std::string& word :
             PostWords::Of(tweets.Cell(row, TweetColumn::Tweet), archived ? archived->lang : "")) {
            const auto [slot, added] = index.try_emplace(word, static_cast<int>(words.size()));
            if (added) {
                words.push_back(std::move(word));
                uses.push_back(0);
            }
            ++uses[static_cast<std::size_t>(slot->second)];
            post.words.push_back(slot->second);
        }
        post.time = TweetTime::Seconds(tweets.Cell(row, TweetColumn::DateTime));
        post.positive = NetworkGraph::Score(tweets.Cell(row, TweetColumn::SentPositive));
        post.negative = NetworkGraph::Score(tweets.Cell(row, TweetColumn::SentNegative));
    }

    // The top words, by posts and then by the word; the nodes in the order of the words.
    std::vector<int> ranked(words.size());
    for (std::size_t k = 0; k < ranked.size(); ++k) ranked[k] = static_cast<int>(k);
    std::sort(ranked.begin(), ranked.end(), [&](int a, int b) {
        const auto sa = static_cast<std::size_t>(a), sb = static_cast<std::size_t>(b);
        return uses[sa] != uses[sb] ? uses[sa] > uses[sb] : words[sa] < words[sb];
    });
    ranked.resize(std::min(ranked.size(), static_cast<std::size_t>(std::max(0, top))));
    std::sort(ranked.begin(), ranked.end(), [&](int a, int b) {
        return words[static_cast<std::size_t>(a)] < words[static_cast<std::size_t>(b)];
    });
    NetworkGraph graph;
    graph.directed = false;
    std::vector<int> node(words.size(), -1);
    for (const int word : ranked) {
        node[static_cast<std::size_t>(word)] = static_cast<int>(graph.nodes.size());
        const std::string& text = words[static_cast<std::size_t>(word)];
        graph.nodes.push_back({text, text, uses[static_cast<std::size_t>(word)]});
    }

    std::map<std::pair<int, int>, NetworkGraph::Edge> edges;
    std::vector<int> present;
    for (const PostOfWords& post : posts) {
        present.clear();
        for (const int word : post.words)
            if (node[static_cast<std::size_t>(word)] >= 0)
                present.push_back(node[static_cast<std::size_t>(word)]);
        std::sort(present.begin(), present.end());
        for (std::size_t a = 0; a < present.size(); ++a)
            for (std::size_t b = a + 1; b < present.size(); ++b) {
                NetworkGraph::Edge& edge = edges[{present[a], present[b]}];
                edge.source = present[a];
                edge.target = present[b];
                edge.Count(post.time, post.positive, post.negative);
            }
    }
    for (auto& [ends, edge] : edges) graph.edges.push_back(edge);
    return graph;
}

bool CowordNetwork::FromTableFile(const std::string& tableFile, const std::string& out, int top) {
    ReportList table;
    if (!TableFileReader::ReadTweets(tableFile, table)) return false;
    return NetworkFiles::Write(out, FromTweets(table, top));
}

}  // namespace marlin
