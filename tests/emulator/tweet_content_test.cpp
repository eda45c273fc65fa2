// Tweets as clients in either text mode saw them: whole texts of up to 280 characters with their shown range
// when a client asked for tweet_mode=extended, texts cut to 140 characters when it did not; photos; links
// to quoted tweets.
#include <gtest/gtest.h>

#include <set>

#include "emulator/emulator.h"
#include "emulator/text_builder.h"
#include "emulator_client.h"
#include "mini_json.h"

namespace marlin::emulator {
namespace {

using testing::EmulatorClient;
using testing::JsonParser;
using testing::JsonValue;

// Every tweet object of an answer, nested ones included; `isTweet` says whether the root holds tweets.
void CollectTweets(const JsonValue& v, bool isTweet, std::vector<const JsonValue*>& out) {
    if (v.type == JsonValue::Type::Array) {
        for (const JsonValue& item : v.items) CollectTweets(item, isTweet, out);
        return;
    }
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

int Number(const JsonValue& v) {
    return std::stoi(v.text);
}

class TweetContentTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        EmulatorConfig config = testing::SmallConfig();
        for (int& limit : config.limits) limit = 100000;
        s_emulator = new Emulator(config);
        s_emulator->Start();
    }
    static void TearDownTestSuite() { delete s_emulator; }
    static const Corpus& C() { return s_emulator->Data(); }

    // Answers that hold tweets in every place the service put them.
    struct Source {
        std::string target;
        bool rootIsTweet;
    };
    static std::vector<Source> Sources() {
        std::string names;
        for (int u = 0; u < 100; ++u) names += C().ScreenName(u) + ",";
        return {
            {"/1.1/search/tweets.json?q=data&count=100", false},
            {"/1.1/search/tweets.json?q=the&count=100", false},
            {"/1.1/statuses/user_timeline.json?screen_name=demo_researcher&count=200", true},
            {"/1.1/statuses/user_timeline.json?screen_name=polyglot_voices&count=200", true},
            {"/1.1/statuses/user_timeline.json?screen_name=bignews_daily&count=200", true},
            {"/1.1/users/lookup.json?screen_name=" + names, false},
            {"/1.1/followers/list.json?screen_name=city_library&count=200", false},
        };
    }

    // The answers of every source, parsed; `extra` goes after each target.
    static std::vector<JsonValue> Fetch(const std::string& extra) {
        std::vector<JsonValue> answers;
        for (const Source& s : Sources()) {
            testing::Reply reply = EmulatorClient(*s_emulator).Get(s.target + extra);
            EXPECT_EQ(reply.status, 200) << s.target;
            answers.push_back(JsonParser::Parse(reply.body));
        }
        return answers;
    }
    static std::vector<const JsonValue*> Tweets(const std::vector<JsonValue>& answers) {
        std::vector<const JsonValue*> tweets;
        std::vector<Source> sources = Sources();
        for (size_t k = 0; k < answers.size(); ++k) CollectTweets(answers[k], sources[k].rootIsTweet, tweets);
        return tweets;
    }

    // The whole text of a tweet as the corpus holds it.
    static std::string WholeText(const JsonValue& tweet) {
        return C().MakeTweet(*C().FindTweet(std::stoull(tweet["id_str"].text))).text;
    }

    static Emulator* s_emulator;
};
Emulator* TweetContentTest::s_emulator = nullptr;

TEST_F(TweetContentTest, TheExtendedModeSendsWholeTextsWithTheirShownRange) {
    std::vector<JsonValue> answers = Fetch("&tweet_mode=extended");
    int longTexts = 0, narrowed = 0;
    for (const JsonValue* t : Tweets(answers)) {
        ASSERT_FALSE(t->Has("text"));
        const std::string& text = (*t)["full_text"].text;
        EXPECT_EQ(text, WholeText(*t));
        EXPECT_EQ((*t)["truncated"].text, "false");
        const int length = TextBuilder::ShownLength(text);
        EXPECT_LE(length, 280);
        longTexts += length > 140;
        const JsonValue& range = (*t)["display_text_range"];
        ASSERT_EQ(range.size(), 2u);
        EXPECT_LE(0, Number(range[0]));
        EXPECT_LE(Number(range[0]), Number(range[1]));
        EXPECT_LE(Number(range[1]), length);
        narrowed += Number(range[1]) < length;
        // Links to photos and to a quoted tweet lie beyond the shown part.
        if (t->Has("extended_entities") && !t->Has("retweeted_status")) {
            EXPECT_LT(Number(range[1]), Number((*t)["entities"]["media"][0]["indices"][0])) << text;
        }
        if (t->Has("quoted_status_permalink")) {
            EXPECT_LT(Number(range[1]), Number((*t)["entities"]["urls"].items.back()["indices"][0])) << text;
        }
    }
    EXPECT_GT(longTexts, 0);
    EXPECT_GT(narrowed, 0);
}

TEST_F(TweetContentTest, WithoutTheExtendedModeLongTextsComeCutAtAWordWithALinkToTheWhole) {
    std::vector<JsonValue> answers = Fetch("");
    int truncated = 0;
    for (const JsonValue* t : Tweets(answers)) {
        ASSERT_FALSE(t->Has("full_text"));
        EXPECT_FALSE(t->Has("display_text_range"));
        const std::string& text = (*t)["text"].text;
        const std::string whole = WholeText(*t);
        EXPECT_LE(TextBuilder::ShownLength(text), 140) << text;
        if ((*t)["truncated"].text == "false") {
            EXPECT_EQ(text, whole);
            continue;
        }
        ++truncated;
        EXPECT_GT(TextBuilder::ShownLength(whole), 140);
        EXPECT_FALSE(t->Has("extended_entities"));
        EXPECT_FALSE((*t)["entities"].Has("media"));
        const JsonValue& link = (*t)["entities"]["urls"].items.back();
        EXPECT_EQ(link["expanded_url"].text, "https://twitter.com/i/web/status/" + (*t)["id_str"].text);
        EXPECT_EQ(link["display_url"].text,
                  "twitter.com/i/web/status/" + (*t)["id_str"].text.substr(0, 1) + "\u2026");
        EXPECT_EQ(Number(link["indices"][1]), TextBuilder::ShownLength(text));
        EXPECT_EQ(Slice(text, link["indices"]), link["url"].text);
        // What comes before "... <link>" is the beginning of the whole text, ended at a word.
        const std::string tail = "\u2026 " + link["url"].text;
        ASSERT_EQ(text.substr(text.size() - tail.size()), tail);
        const std::string kept = text.substr(0, text.size() - tail.size());
        EXPECT_EQ(whole.compare(0, kept.size(), kept), 0) << whole;
        EXPECT_TRUE(whole[kept.size()] == ' ' || whole[kept.size()] == '\n') << text;
        // The entities that survive lie within what is kept, where they say.
        for (const JsonValue& tag : (*t)["entities"]["hashtags"].items)
            EXPECT_EQ(Slice(text, tag["indices"]), "#" + tag["text"].text);
        for (const JsonValue& mention : (*t)["entities"]["user_mentions"].items)
            EXPECT_EQ(Slice(text, mention["indices"]), "@" + mention["screen_name"].text);
    }
    EXPECT_GT(truncated, 0);
}

TEST_F(TweetContentTest, PhotosComeOneToFourWithTheirLinkInTheText) {
    std::vector<JsonValue> answers = Fetch("&tweet_mode=extended");
    int withPhotos = 0, several = 0, retweeted = 0;
    for (const JsonValue* t : Tweets(answers)) {
        if (!t->Has("extended_entities")) {
            EXPECT_FALSE((*t)["entities"].Has("media"));
            continue;
        }
        ++withPhotos;
        const JsonValue& photos = (*t)["extended_entities"]["media"];
        ASSERT_GE(photos.size(), 1u);
        EXPECT_LE(photos.size(), 4u);
        several += photos.size() > 1;
        // entities holds the first photo only.
        ASSERT_EQ((*t)["entities"]["media"].size(), 1u);
        EXPECT_EQ((*t)["entities"]["media"][0]["id_str"].text, photos[0]["id_str"].text);
        // A retweet's photos name the tweet and the user they came with.
        const JsonValue& origin = t->Has("retweeted_status") ? (*t)["retweeted_status"] : *t;
        retweeted += t->Has("retweeted_status");
        const int author = C().FindTweet(std::stoull(origin["id_str"].text))->user;
        for (const JsonValue& p : photos.items) {
            EXPECT_EQ(p["type"].text, "photo");
            EXPECT_EQ(Slice((*t)["full_text"].text, p["indices"]), p["url"].text);
            EXPECT_EQ(p["display_url"].text, "pic.twitter.com/" + p["url"].text.substr(13));
            EXPECT_EQ(p["expanded_url"].text, "https://twitter.com/" + C().ScreenName(author) + "/status/" +
                                                  origin["id_str"].text + "/photo/1");
            EXPECT_EQ(p["media_url_https"].text, "https" + p["media_url"].text.substr(4));
            EXPECT_LT(std::stoull(p["id_str"].text), std::stoull(origin["id_str"].text));  // uploaded first
            EXPECT_EQ(p.Has("source_status_id_str"), t->Has("retweeted_status"));
            if (p.Has("source_status_id_str")) {
                EXPECT_EQ(p["source_status_id_str"].text, origin["id_str"].text);
                EXPECT_EQ(p["source_user_id_str"].text, std::to_string(C().UserId(author)));
            }
            const JsonValue& sizes = p["sizes"];
            EXPECT_EQ(Number(sizes["thumb"]["w"]), 150);
            EXPECT_EQ(sizes["thumb"]["resize"].text, "crop");
            for (auto [name, side] : {std::pair{"small", 680}, {"medium", 1200}, {"large", 2048}}) {
                EXPECT_LE(std::max(Number(sizes[name]["w"]), Number(sizes[name]["h"])), side) << name;
                EXPECT_EQ(sizes[name]["resize"].text, "fit");
            }
        }
    }
    EXPECT_GT(withPhotos, 0);
    EXPECT_GT(several, 0);
    EXPECT_GT(retweeted, 0);
}

TEST_F(TweetContentTest, QuoteTweetsCarryAPermalinkToTheQuotedTweet) {
    int quotes = 0;
    for (const char* extra : {"", "&tweet_mode=extended"}) {
        std::vector<JsonValue> answers = Fetch(extra);
        for (const JsonValue* t : Tweets(answers)) {
            if ((*t)["is_quote_status"].text == "false") {
                EXPECT_FALSE(t->Has("quoted_status_permalink"));
                continue;
            }
            // The latest tweet of a user names the quoted tweet by id only.
            if (!t->Has("quoted_status")) {
                EXPECT_FALSE(t->Has("quoted_status_permalink"));
                continue;
            }
            ++quotes;
            const JsonValue& link = (*t)["quoted_status_permalink"];
            const JsonValue& quoted = (*t)["quoted_status"];
            EXPECT_EQ(link["expanded"].text, "https://twitter.com/" + quoted["user"]["screen_name"].text +
                                                 "/status/" + (*t)["quoted_status_id_str"].text);
            EXPECT_EQ(quoted["id_str"].text, (*t)["quoted_status_id_str"].text);
            EXPECT_EQ(link["display"].text, TextBuilder::DisplayUrl(link["expanded"].text));
            if ((*t)["truncated"].text == "true") continue;  // the link was cut away with the text
            const JsonValue& last = (*t)["entities"]["urls"].items.back();
            EXPECT_EQ(last["url"].text, link["url"].text);
            EXPECT_EQ(last["expanded_url"].text, link["expanded"].text);
        }
    }
    EXPECT_GT(quotes, 0);
}

}  // namespace
}  // namespace marlin::emulator
