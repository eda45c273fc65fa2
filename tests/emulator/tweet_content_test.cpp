// Tweets as clients in either text mode saw them (whole texts of up to 280 characters with their shown
// range, or texts cut to 140 characters), their photos and their links to quoted tweets, in every place
// an answer holds tweets.
#include <gtest/gtest.h>

#include <set>

#include "emulator/emulator.h"
#include "emulator/text_builder.h"
#include "emulator_client.h"
#include "mini_json.h"

namespace marlin::emulator {
namespace {

using testing::JsonParser;
using testing::JsonValue;

// Every tweet object of an answer, nested ones included; `isTweet` says whether the root holds tweets.
void CollectTweets(const JsonValue& v, bool isTweet, std::vector<const JsonValue*>& out) {
    for (const JsonValue& item : v.items) CollectTweets(item, isTweet, out);
    if (v.type != JsonValue::Type::Object) return;
    if (isTweet) out.push_back(&v);
    static const std::set<std::string> kTweets{"statuses", "retweeted_status", "quoted_status", "status"};
    for (const auto& [name, value] : v.members)
        if (kTweets.count(name) || name == "users") CollectTweets(value, kTweets.count(name) > 0, out);
}

// The code points [start, end) of a text as the service sends it ("&amp;" is one).
std::string Slice(const std::string& escaped, const JsonValue& indices) {
    std::vector<size_t> at = TextBuilder::ShownOffsets(escaped);
    size_t start = at.at(std::stoul(indices[0].text)), end = at.at(std::stoul(indices[1].text));
    return escaped.substr(start, end - start);
}

class TweetContentTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        EmulatorConfig config = testing::SmallConfig();
        config.noteShare = 0;  // notes, longer than even the extended mode sends, are the v2 tests' part
        s_emulator = new Emulator(config);
        s_emulator->Start();
    }
    static void TearDownTestSuite() { delete s_emulator; }
    static const Corpus& C() { return s_emulator->Data(); }

    // Search pages, timelines, looked-up users and a follower list, in the given text mode.
    void Fetch(const std::string& mode) {
        std::string names;
        for (int u = 0; u < 100; ++u) names += C().ScreenName(u) + ",";
        const std::pair<std::string, bool> sources[] = {
            {"/1.1/search/tweets.json?count=100&q=data", false},
            {"/1.1/search/tweets.json?count=100&q=the", false},
            {"/1.1/statuses/user_timeline.json?count=200&screen_name=demo_researcher", true},
            {"/1.1/statuses/user_timeline.json?count=200&screen_name=polyglot_voices", true},
            {"/1.1/users/lookup.json?screen_name=" + names, false},
            {"/1.1/followers/list.json?count=200&screen_name=city_library", false},
        };
        m_answers.clear();
        m_tweets.clear();
        for (const auto& [target, rootIsTweet] : sources)
            m_answers.push_back(
                JsonParser::Parse(testing::EmulatorClient(*s_emulator).Get(target + mode).body));
        for (size_t k = 0; k < m_answers.size(); ++k)
            CollectTweets(m_answers[k], sources[k].second, m_tweets);
        ASSERT_GT(m_tweets.size(), 500u);
    }
    // The whole text as the corpus holds it.
    static std::string WholeText(const JsonValue& tweet) {
        return C().MakeTweet(*C().FindTweet(std::stoull(tweet["id_str"].text))).text;
    }

    static Emulator* s_emulator;
    std::vector<JsonValue> m_answers;
    std::vector<const JsonValue*> m_tweets;
};
Emulator* TweetContentTest::s_emulator = nullptr;

TEST_F(TweetContentTest, TheExtendedModeSendsWholeTextsAndTheOtherCutsLongOnesAtAWord) {
    Fetch("&tweet_mode=extended");
    int longTexts = 0;
    for (const JsonValue* t : m_tweets) {
        ASSERT_FALSE(t->Has("text"));
        const std::string& text = (*t)["full_text"].text;
        EXPECT_EQ(text, WholeText(*t));
        const int length = TextBuilder::ShownLength(text);
        longTexts += length > 140;
        // The shown part leaves out a reply's leading mention and trailing links to photos or a quoted tweet.
        const JsonValue& range = (*t)["display_text_range"];
        EXPECT_LE(std::stoi(range[1].text), length);
        if (t->Has("extended_entities") && !t->Has("retweeted_status")) {
            EXPECT_LT(std::stoi(range[1].text), std::stoi((*t)["entities"]["media"][0]["indices"][0].text));
        }
        if (!(*t)["in_reply_to_screen_name"].IsNull() && !t->Has("retweeted_status")) {
            EXPECT_EQ(std::stoi(range[0].text),
                      TextBuilder::CodePoints((*t)["in_reply_to_screen_name"].text) + 2);
        }
    }
    EXPECT_GT(longTexts, 0);

    Fetch("");
    int truncated = 0;
    for (const JsonValue* t : m_tweets) {
        ASSERT_FALSE(t->Has("full_text") || t->Has("display_text_range"));
        const std::string &text = (*t)["text"].text, whole = WholeText(*t);
        EXPECT_LE(TextBuilder::ShownLength(text), 140) << text;
        if ((*t)["truncated"].text == "false") {
            EXPECT_EQ(text, whole);
            continue;
        }
        // "... <link to the whole>", after the beginning of the whole text ended at a word.
        ++truncated;
        EXPECT_FALSE(t->Has("extended_entities"));
        const JsonValue& link = (*t)["entities"]["urls"].items.back();
        EXPECT_EQ(link["expanded_url"].text, "https://twitter.com/i/web/status/" + (*t)["id_str"].text);
        EXPECT_EQ(Slice(text, link["indices"]), link["url"].text);
        const std::string tail = "\u2026 " + link["url"].text;
        ASSERT_EQ(text.substr(text.size() - tail.size()), tail);
        const std::string kept = text.substr(0, text.size() - tail.size());
        EXPECT_EQ(whole.compare(0, kept.size(), kept), 0) << whole;
        EXPECT_TRUE(whole[kept.size()] == ' ' || whole[kept.size()] == '\n') << text;
    }
    EXPECT_GT(truncated, 0);
}

TEST_F(TweetContentTest, PhotosAndQuotedTweetsAreLinkedAsTheServiceLinkedThem) {
    Fetch("&tweet_mode=extended");
    int photoTweets = 0, retweeted = 0, quotes = 0;
    for (const JsonValue* t : m_tweets) {
        if (t->Has("quoted_status")) {
            // The permalink is the text's last link; the latest tweet of a user has neither.
            ++quotes;
            const JsonValue& link = (*t)["quoted_status_permalink"];
            EXPECT_EQ(link["expanded"].text, "https://twitter.com/" +
                                                 (*t)["quoted_status"]["user"]["screen_name"].text +
                                                 "/status/" + (*t)["quoted_status_id_str"].text);
            EXPECT_EQ(link["url"].text, (*t)["entities"]["urls"].items.back()["url"].text);
        } else {
            EXPECT_FALSE(t->Has("quoted_status_permalink"));
        }
        if (!t->Has("extended_entities")) continue;
        const JsonValue& photos = (*t)["extended_entities"]["media"];
        ++photoTweets;
        EXPECT_LE(photos.size(), 4u);
        EXPECT_EQ((*t)["entities"]["media"].size(), 1u);  // the first photo only
        // A retweet's photos lead to the tweet they came with, and say so.
        const JsonValue& origin = t->Has("retweeted_status") ? (*t)["retweeted_status"] : *t;
        retweeted += t->Has("retweeted_status");
        const int author = C().FindTweet(std::stoull(origin["id_str"].text))->user;
        for (const JsonValue& p : photos.items) {
            EXPECT_EQ(Slice((*t)["full_text"].text, p["indices"]), p["url"].text);
            EXPECT_EQ(p["expanded_url"].text, "https://twitter.com/" + C().ScreenName(author) + "/status/" +
                                                  origin["id_str"].text + "/photo/1");
            EXPECT_LT(std::stoull(p["id_str"].text), std::stoull(origin["id_str"].text));  // uploaded first
            EXPECT_EQ(p.Has("source_status_id_str"), t->Has("retweeted_status"));
        }
    }
    for (int count : {photoTweets, retweeted, quotes}) EXPECT_GT(count, 0);
}

}  // namespace
}  // namespace marlin::emulator
