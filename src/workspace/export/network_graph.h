#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marlin {

// A graph the analyses make (who interacts with whom, which words go together), as the
// measures, the files and the Network tab take it: nodes with an id and a label, edges with a
// weight (posts) and, where the graph knows them, a kind, the first and last time and the mean
// sentiment of the posts behind the edge.
struct NetworkGraph {
    struct Node {
        std::string id;     // unique, as written to the files
        std::string label;  // the spelling shown
        int posts = 0;      // posts of the table behind the node (written, or using the word)
    };
    struct Edge {
        int source = 0;  // indices into nodes
        int target = 0;
        const char* kind = nullptr;  // "reply", "quote", "repost", "mention"; null where a graph has none
        int weight = 0;              // posts
        bool timed = false;
        long long first = 0, last = 0;  // seconds since 1970, where timed
        int scored = 0;                 // posts with both sentiment scores
        double positiveSum = 0, negativeSum = 0;

        double MeanPositive() const { return scored > 0 ? positiveSum / scored : 0; }
        // One more post behind the edge, with its time and scores where it has them.
        void Count(std::optional<long long> time, std::optional<double> positive,
                   std::optional<double> negative) {
            ++weight;
            if (time) {
                if (!timed || *time < first) first = *time;
                if (!timed || *time > last) last = *time;
                timed = true;
            }
            if (positive && negative) {
                ++scored;
                positiveSum += *positive;
                negativeSum += *negative;
            }
        }
        double MeanNegative() const { return scored > 0 ? negativeSum / scored : 0; }
    };

    // A score cell of the table as a number; nothing for a blank or unreadable cell.
    static std::optional<double> Score(std::string_view cell);

    bool directed = true;
    std::vector<Node> nodes;
    std::vector<Edge> edges;
};

}  // namespace marlin
