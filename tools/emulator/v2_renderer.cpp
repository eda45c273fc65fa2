#include "emulator/v2_renderer.h"

#include <algorithm>
#include <vector>

#include "emulator/corpus.h"
#include "emulator/hashing.h"
#include "emulator/json_writer.h"
#include "emulator/post_graph.h"
#include "emulator/renderer.h"
#include "emulator/text_builder.h"
#include "emulator/text_cutter.h"
#include "emulator/v2_fields.h"
#include "emulator/vocabulary.h"

namespace marlin::emulator {

namespace {

std::string Https(const std::string& httpUrl) {
    return httpUrl.rfind("http://", 0) == 0 ? "https://" + httpUrl.substr(7) : httpUrl;
}

// A link of an entities list; photos carry the key of their media object.
struct Link {
    UrlEntity url;
    std::string mediaKey;
};

void WriteLinks(JsonWriter& json, const std::vector<Link>& links) {
    json.BeginArray();
    for (const Link& link : links) {
        const UrlEntity& u = link.url;
        json.BeginObject().Field("start", u.start).Field("end", u.end).Field("url", u.url);
        json.Field("expanded_url", u.expanded).Field("display_url", u.display);
        if (!link.mediaKey.empty()) json.Field("media_key", link.mediaKey);
        json.EndObject();
    }
    json.EndArray();
}

bool PossiblySensitiveKnown(const Tweet& t) {
    return (!t.urls.empty() && !t.IsRetweet()) || t.HasPhotos();
}

}  // namespace

std::string V2Renderer::IsoTime(int64_t secondsUtc) {
    // From the service form "Wed Aug 27 13:08:45 +0000 2008", which the v1.1 writer already makes.
    static const char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    std::string s = Renderer::ServiceTime(secondsUtc);
    int month = static_cast<int>(std::string_view(kMonths).find(s.substr(4, 3)) / 3 + 1);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%s-%02d-%sT%s.000Z", s.substr(26, 4).c_str(), month,
                  s.substr(8, 2).c_str(), s.substr(11, 8).c_str());
    return buffer;
}

void V2Renderer::WritePost(JsonWriter& json, const Tweet& whole, const V2Fields& fields) const {
    const bool note = whole.length > TextCutter::kPostLength;
    const Tweet tweet = note ? TextCutter::Shortened(whole, TextCutter::kPostLength) : whole;
    const std::string id = std::to_string(tweet.id);
    json.BeginObject();
    json.Key("edit_history_tweet_ids").BeginArray().String(id).EndArray();
    json.Field("id", id).Field("text", tweet.text);
    if (fields.Post("author_id")) json.Field("author_id", std::to_string(m_corpus.UserId(tweet.ref.user)));
    if (fields.Post("created_at")) json.Field("created_at", IsoTime(tweet.timeMs / 1000));
    if (fields.Post("conversation_id"))
        json.Field("conversation_id", std::to_string(PostGraph::ConversationId(m_corpus, tweet)));
    if (fields.Post("lang")) json.Field("lang", tweet.lang);
    if (fields.Post("possibly_sensitive") && PossiblySensitiveKnown(tweet))
        json.Field("possibly_sensitive", false);
    if (fields.Post("reply_settings")) json.Field("reply_settings", "everyone");
    if (fields.Post("public_metrics")) WriteMetrics(json, tweet);
    if (fields.Post("entities")) WriteEntities(json, tweet);
    if (fields.Post("attachments") && tweet.HasPhotos()) {
        json.Key("attachments").BeginObject().Key("media_keys").BeginArray();
        for (const Photo& p : m_corpus.Photos(tweet)) json.String("3_" + std::to_string(p.id));
        json.EndArray().EndObject();
    }
    if (fields.Post("geo")) WriteGeo(json, tweet);
    if (fields.Post("in_reply_to_user_id") && tweet.replyToUser >= 0)
        json.Field("in_reply_to_user_id", std::to_string(m_corpus.UserId(tweet.replyToUser)));
    if (fields.Post("referenced_tweets")) WriteReferences(json, tweet);
    if (fields.Post("note_tweet") && note) {
        json.Key("note_tweet").BeginObject().Field("text", whole.text);
        WriteEntities(json, whole);
        json.EndObject();
    }
    if (fields.Post("edit_controls")) {
        json.Key("edit_controls").BeginObject().Field("edits_remaining", 5).Field("is_edit_eligible", false);
        json.Field("editable_until", IsoTime(tweet.timeMs / 1000 + 3600)).EndObject();
    }
    json.EndObject();
}

void V2Renderer::WriteMetrics(JsonWriter& json, const Tweet& t) const {
    const int likes = t.IsRetweet() ? 0 : t.favoriteCount;
    const uint64_t h = Hash(t.id, 0x2b);
    json.Key("public_metrics").BeginObject();
    json.Field("retweet_count", t.retweetCount)
        .Field("reply_count", static_cast<int>(Pick(h, 2 + t.retweetCount / 3)));
    json.Field("like_count", likes).Field("quote_count", t.retweetCount / 7);
    json.Field("bookmark_count", likes / 20);
    json.Field("impression_count",
               static_cast<int64_t>(likes) * 40 + t.retweetCount * 90 + static_cast<int>(Pick(h >> 20, 400)));
    json.EndObject();
}

void V2Renderer::WriteEntities(JsonWriter& json, const Tweet& t) const {
    std::vector<Link> links;
    for (const UrlEntity& u : t.urls) links.push_back({u, ""});
    if (t.HasPhotos()) {
        // Every photo of a post shares one link; each gets an entry of its own, as the service sends them.
        const uint64_t source = m_corpus.TweetId(t.photoSource);
        UrlEntity u = t.photoLink;
        u.expanded = "https://twitter.com/" + m_corpus.ScreenName(t.photoSource.user) + "/status/" +
                     std::to_string(source) + "/photo/1";
        u.display = "pic.twitter.com/" + u.url.substr(u.url.rfind('/') + 1);
        for (const Photo& p : m_corpus.Photos(t)) links.push_back({u, "3_" + std::to_string(p.id)});
    }
    std::stable_sort(links.begin(), links.end(),
                     [](const Link& a, const Link& b) { return a.url.start < b.url.start; });
    if (links.empty() && t.hashtags.empty() && t.mentions.empty()) return;
    json.Key("entities").BeginObject();
    if (!t.hashtags.empty()) {
        json.Key("hashtags").BeginArray();
        for (const HashtagEntity& h : t.hashtags)
            json.BeginObject().Field("start", h.start).Field("end", h.end).Field("tag", h.text).EndObject();
        json.EndArray();
    }
    if (!t.mentions.empty()) {
        json.Key("mentions").BeginArray();
        for (const MentionEntity& m : t.mentions) {
            json.BeginObject().Field("start", m.start).Field("end", m.end);
            json.Field("username", m_corpus.ScreenName(m.user))
                .Field("id", std::to_string(m_corpus.UserId(m.user)));
            json.EndObject();
        }
        json.EndArray();
    }
    if (!links.empty()) WriteLinks(json.Key("urls"), links);
    json.EndObject();
}

void V2Renderer::WriteGeo(JsonWriter& json, const Tweet& t) const {
    if (t.place < 0) return;
    json.Key("geo").BeginObject().Key("coordinates").BeginObject().Field("type", "Point");
    json.Key("coordinates").BeginArray().Double(t.longitude).Double(t.latitude).EndArray().EndObject();
    json.Field("place_id", Vocabulary::Places()[t.place].id).EndObject();
}

void V2Renderer::WriteReferences(JsonWriter& json, const Tweet& t) const {
    if (!t.IsRetweet() && !t.IsQuote() && !t.replyTo.Valid()) return;
    json.Key("referenced_tweets").BeginArray();
    auto reference = [&](const char* type, TweetRef ref) {
        json.BeginObject().Field("type", type).Field("id", std::to_string(m_corpus.TweetId(ref))).EndObject();
    };
    if (t.IsRetweet()) reference("retweeted", t.retweetOf);
    if (t.IsQuote()) reference("quoted", t.quoteOf);
    if (t.replyTo.Valid()) reference("replied_to", t.replyTo);
    json.EndArray();
}

void V2Renderer::WriteUser(JsonWriter& json, const Account& a, const V2Fields& fields) const {
    json.BeginObject();
    json.Field("id", std::to_string(a.id)).Field("name", a.name).Field("username", a.screenName);
    if (fields.User("created_at")) json.Field("created_at", IsoTime(a.createdAt));
    if (fields.User("description")) json.Field("description", a.description);
    if (fields.User("entities")) WriteUserEntities(json, a);
    if (fields.User("location") && !a.location.empty()) json.Field("location", a.location);
    if (fields.User("profile_image_url")) json.Field("profile_image_url", Https(a.imageUrl));
    if (fields.User("protected")) json.Field("protected", a.isProtected);
    if (fields.User("public_metrics")) {
        json.Key("public_metrics").BeginObject().Field("followers_count", a.followers);
        json.Field("following_count", a.friends)
            .Field("tweet_count", a.statuses)
            .Field("listed_count", a.listed);
        json.Field("like_count", a.favourites).EndObject();
    }
    if (fields.User("url")) json.Field("url", a.url ? a.url->url : std::string());
    if (fields.User("verified")) json.Field("verified", a.verified);
    if (fields.User("verified_type")) json.Field("verified_type", a.verified ? "blue" : "none");
    json.EndObject();
}

void V2Renderer::WriteUserEntities(JsonWriter& json, const Account& a) const {
    if (!a.url && a.descriptionUrls.empty()) return;
    json.Key("entities").BeginObject();
    if (a.url) {
        UrlEntity link = *a.url;
        link.start = 0;
        link.end = TextBuilder::CodePoints(link.url);
        json.Key("url").BeginObject().Key("urls");
        WriteLinks(json, {{link, ""}});
        json.EndObject();
    }
    if (!a.descriptionUrls.empty()) {
        std::vector<Link> links;
        for (const UrlEntity& u : a.descriptionUrls) links.push_back({u, ""});
        json.Key("description").BeginObject().Key("urls");
        WriteLinks(json, links);
        json.EndObject();
    }
    json.EndObject();
}

void V2Renderer::WritePlace(JsonWriter& json, int place, const V2Fields& fields) const {
    const Place& p = Vocabulary::Places()[place];
    json.BeginObject().Field("full_name", p.fullName).Field("id", p.id);
    if (fields.Place("name")) json.Field("name", p.name);
    if (fields.Place("country")) json.Field("country", p.country);
    if (fields.Place("country_code")) json.Field("country_code", p.countryCode);
    if (fields.Place("place_type")) json.Field("place_type", "city");
    if (fields.Place("geo")) {
        json.Key("geo").BeginObject().Field("type", "Feature").Key("bbox").BeginArray();
        json.Double(p.west).Double(p.south).Double(p.east).Double(p.north).EndArray();
        json.Key("properties").BeginObject().EndObject().EndObject();
    }
    json.EndObject();
}

}  // namespace marlin::emulator
