// The words of posts: what counts as a word, the stop words of each language, the word
// frequencies with the sentiment of their posts, and the co-word graph.
#include "workspace/export/post_words.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tweet_rows.h"
#include "workspace/export/coword_network.h"
#include "workspace/export/tweet_frequencies.h"

namespace marlin::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

TEST(PostWordsTest, WordsAreFoldedAndStopWordsOfThePostsLanguageLeftOut) {
    struct Case {
        std::string text;
        std::string language;  // the archive's; guessed when empty
        std::vector<std::string> words;
    } cases[] = {
        {"The data is GREAT and the Data are great!", "", {"data", "great"}},
        {"Die Daten sind nicht gut, aber die Analyse ist gut", "", {"daten", "gut", "analyse"}},
        {"L'analyse des données et des Données", "", {"analyse", "données"}},
        {"we die here", "en", {"die"}},         // an English verb
        {"we die here", "de", {"we", "here"}},  // a German article
        {"links, names and tags apart: https://t.co/x www.a.org @Bob #Data (see http://x.y/z)",
         "en",
         {"links", "names", "tags", "apart", "see"}},
        {"RT @bob: Hello world", "", {"hello", "world"}},
        {"Don't stop: 2024 covid19 a x", "", {"stop", "covid19"}},
        {"ДАННЫЕ данные ΑΝΑΛΥΣΗ ανάλυση Ärger ärger ŁÓDŹ łódź",
         "",
         {"данные", "αναλυση", "ανάλυση", "ärger", "łódź"}},
    };
    for (const Case& c : cases)
        EXPECT_THAT(PostWords::Of(c.text, c.language), ElementsAreArray(c.words)) << c.text;
}

TEST(PostWordsTest, WordFrequenciesCarryTheMeanSentimentOfTheirPosts) {
    ReportList table;
    FillTweets(table,
               {
                   {"Wed Aug 27 13:05:00 +0000 2014", "alice", "Climate policy today", "1", "", "", "", "",
                    "3", "-1"},
                   {"Wed Aug 27 13:40:00 +0000 2014", "bob", "climate and the policy of climate", "2", "", "",
                    "", "", "1", "-5"},
                   {"Wed Aug 27 14:10:00 +0000 2014", "bob", "#climate wins", "3", "", "", "", "", "", ""},
               });
    const TweetFrequencies counted =
        TweetFrequencies::FromTable(table, TweetFrequencies::Interval::Whole, {true});
    std::vector<std::string> lines;
    for (const auto& i : counted.Items(TweetFrequencies::Kind::Words))
        lines.push_back(i.item + " " + std::to_string(i.count) + " " + std::to_string(i.users) + " " +
                        std::to_string(i.meanPositive) + " " + std::to_string(i.meanNegative));
    EXPECT_THAT(lines, ElementsAre("climate 2 2 2.000000 -3.000000", "policy 2 2 2.000000 -3.000000",
                                   "today 1 1 3.000000 -1.000000", "wins 1 1 0.000000 0.000000"));
    EXPECT_TRUE(TweetFrequencies::FromTable(table, TweetFrequencies::Interval::Whole)
                    .Items(TweetFrequencies::Kind::Words)
                    .empty());
}

TEST(PostWordsTest, TheCowordGraphLinksTheTopWordsOfOnePost) {
    ReportList table;
    FillTweets(table, {
                          {"Wed Aug 27 13:05:00 +0000 2014", "a", "climate policy vote", "1"},
                          {"Wed Aug 27 14:05:00 +0000 2014", "b", "climate policy", "2"},
                          {"Wed Aug 27 15:05:00 +0000 2014", "c", "climate rare", "3"},
                      });
    const NetworkGraph graph = CowordNetwork::FromTweets(table, 3);
    EXPECT_FALSE(graph.directed);
    std::vector<std::string> lines;
    for (const auto& n : graph.nodes) lines.push_back(n.id + " " + std::to_string(n.posts));
    // "rare" and "vote" are used once; "rare" comes first of the two.
    EXPECT_THAT(lines, ElementsAre("climate 3", "policy 2", "rare 1"));
    lines.clear();
    for (const auto& e : graph.edges)
        lines.push_back(graph.nodes[e.source].id + "-" + graph.nodes[e.target].id + " " +
                        std::to_string(e.weight) + " " + std::to_string(e.last - e.first));
    EXPECT_THAT(lines, ElementsAre("climate-policy 2 3600", "climate-rare 1 0"));
}

}  // namespace
}  // namespace marlin::testing
