#include "emulator/search_query.h"

#include <gtest/gtest.h>

namespace marlin::emulator {
namespace {

bool Match(const char* q, const char* text, const char* author = "someone", const char* lang = "en",
           bool retweet = false) {
    return SearchQuery(q).Matches(text, author, lang, retweet);
}

TEST(SearchQueryTest, TermsMustAllMatchAsWholeWordsIgnoringCase) {
    EXPECT_TRUE(Match("marlin twitter", "Twitter loves the MARLIN"));
    EXPECT_TRUE(Match("marlin AND twitter", "twitter, marlin!"));
    EXPECT_FALSE(Match("marlin twitter", "marlin only"));
    EXPECT_FALSE(Match("data", "database metadata"));
    EXPECT_FALSE(Match("", "anything"));
}

TEST(SearchQueryTest, OrBindsTighterThanTheImplicitAnd) {
    EXPECT_TRUE(Match("sea river OR park", "the sea and the park"));
    EXPECT_TRUE(Match("sea river OR park", "sea by the river"));
    EXPECT_FALSE(Match("sea river OR park", "river and park, no ocean"));
    EXPECT_TRUE(Match("(river OR park) sea", "sea park"));
}

TEST(SearchQueryTest, PhrasesNegationTagsMentionsAndAuthors) {
    EXPECT_TRUE(Match("\"public library\"", "our public library opens"));
    EXPECT_FALSE(Match("\"public library\"", "library is public"));
    EXPECT_FALSE(Match("coffee -rain", "coffee in the rain"));
    EXPECT_TRUE(Match("coffee -rain", "coffee in the sun"));
    EXPECT_TRUE(Match("#opendata", "we love #OpenData"));
    EXPECT_FALSE(Match("#opendata", "we love opendata"));
    EXPECT_TRUE(Match("opendata", "we love #OpenData"));  // a plain word finds the tag too
    EXPECT_TRUE(Match("@city_library", "thanks @City_Library!"));
    EXPECT_TRUE(Match("from:city_library rain", "rain again", "city_library"));
    EXPECT_FALSE(Match("from:city_library rain", "rain again", "someone"));
    EXPECT_EQ(SearchQuery("from:City_Library rain").RequiredAuthor(), "city_library");
    EXPECT_EQ(SearchQuery("from:a OR from:b").RequiredAuthor(), "");
    EXPECT_TRUE(Match("rain lang:el", "rain", "x", "el"));
    EXPECT_FALSE(Match("rain -filter:retweets", "RT @x: rain", "x", "en", true));
}

TEST(SearchQueryTest, MatchesWhatTheReaderSeesNotTheEscapes) {
    EXPECT_TRUE(Match("R&D", "our R&amp;D budget"));
    EXPECT_FALSE(Match("amp", "salt &amp; pepper"));
    EXPECT_TRUE(Match("\u03ba\u03b1\u03b9\u03c1\u03cc\u03c2",
                      "\u039f \u03ba\u03b1\u03b9\u03c1\u03cc\u03c2 \U0001F600"));
}

}  // namespace
}  // namespace marlin::emulator
