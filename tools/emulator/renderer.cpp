#include "emulator/renderer.h"

#include <algorithm>
#include <cstdio>

#include "emulator/corpus.h"
#include "emulator/hashing.h"
#include "emulator/json_writer.h"
#include "emulator/text_builder.h"
#include "emulator/text_cutter.h"
#include "emulator/vocabulary.h"

namespace marlin::emulator {

namespace {

std::string Https(const std::string& httpUrl) {
    return httpUrl.rfind("http://", 0) == 0 ? "https://" + httpUrl.substr(7) : httpUrl;
}

void WriteIndices(JsonWriter& json, int start, int end) {
    json.Key("indices").BeginArray().Int(start).Int(end).EndArray();
}

void WriteIdPair(JsonWriter& json, const char* key, const char* keyStr, uint64_t id) {
    json.Key(key).UInt(id);
    json.Key(keyStr).UIntText(id);
}

void WriteNullIdPair(JsonWriter& json, const char* key, const char* keyStr) {
    json.NullField(key).NullField(keyStr);
}

std::string SourceHtml(int client) {
    const Client& c = Vocabulary::Clients()[client];
    return "<a href=\"" + std::string(c.url) + "\" rel=\"nofollow\">" + TextBuilder::EscapeHtml(c.name) +
           "</a>";
}

}  // namespace

std::string Renderer::ServiceTime(int64_t secondsUtc) {
    // Formatted by hand: this runs for every tweet and user of a page, and strftime was a visible cost.
    static const char kDays[] = "ThuFriSatSunMonTueWed";  // 1 January 1970 was a Thursday
    static const char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    int64_t days = secondsUtc >= 0 ? secondsUtc / 86400 : (secondsUtc - 86399) / 86400;
    int64_t secondOfDay = secondsUtc - days * 86400;
    // Civil date from a day count (H. Hinnant's algorithm).
    int64_t z = days + 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    int64_t day = doy - (153 * mp + 2) / 5 + 1;
    int64_t month = mp < 10 ? mp + 3 : mp - 9;
    int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    int weekday = static_cast<int>(((days % 7) + 7) % 7);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.3s %.3s %02d %02d:%02d:%02d +0000 %04d", kDays + weekday * 3,
                  kMonths + (month - 1) * 3, static_cast<int>(day), static_cast<int>(secondOfDay / 3600),
                  static_cast<int>(secondOfDay / 60 % 60), static_cast<int>(secondOfDay % 60),
                  static_cast<int>(year));
    return buffer;
}

Renderer::Renderer(const Corpus& corpus) : m_corpus(corpus) {
    if (corpus.UserCount() <= 200000) {
        m_authorOnce = std::make_unique<std::once_flag[]>(corpus.UserCount());
        m_authorJson = std::make_unique<std::string[]>(corpus.UserCount());
    }
}

void Renderer::WriteAuthor(JsonWriter& json, int user) const {
    if (!m_authorJson) {
        WriteUser(json, m_corpus.User(user), UserStyle::InTweet);
        return;
    }
    std::call_once(m_authorOnce[user], [&] {
        JsonWriter one(m_authorJson[user]);
        WriteUser(one, m_corpus.User(user), UserStyle::InTweet);
    });
    json.Raw(m_authorJson[user]);
}

void Renderer::WriteUrlList(JsonWriter& json, const UrlEntity* links, size_t count) const {
    json.BeginArray();
    for (size_t k = 0; k < count; ++k) {
        const UrlEntity& u = links[k];
        json.BeginObject();
        json.Field("url", u.url).Field("expanded_url", u.expanded).Field("display_url", u.display);
        WriteIndices(json, u.start, u.end);
        json.EndObject();
    }
    json.EndArray();
}

void Renderer::WriteEntities(JsonWriter& json, const Tweet& tweet) const {
    json.Key("entities").BeginObject();
    json.Key("hashtags").BeginArray();
    for (const HashtagEntity& h : tweet.hashtags) {
        json.BeginObject().Field("text", h.text);
        WriteIndices(json, h.start, h.end);
        json.EndObject();
    }
    json.EndArray();
    json.Key("symbols").BeginArray().EndArray();
    json.Key("user_mentions").BeginArray();
    for (const MentionEntity& m : tweet.mentions) {
        json.BeginObject();
        json.Field("screen_name", m_corpus.ScreenName(m.user)).Field("name", m_corpus.DisplayName(m.user));
        WriteIdPair(json, "id", "id_str", m_corpus.UserId(m.user));
        WriteIndices(json, m.start, m.end);
        json.EndObject();
    }
    json.EndArray();
    json.Key("urls");
    WriteUrlList(json, tweet.urls.data(), tweet.urls.size());
    if (!tweet.HasPhotos()) {
        json.EndObject();
        return;
    }
    // The first photo only; all of them are in extended_entities.
    const std::vector<Photo> photos = m_corpus.Photos(tweet);
    WritePhotos(json.Key("media"), tweet, photos, 1);
    json.EndObject();
    json.Key("extended_entities").BeginObject().Key("media");
    WritePhotos(json, tweet, photos, photos.size());
    json.EndObject();
}

void Renderer::WritePhotos(JsonWriter& json, const Tweet& tweet, const std::vector<Photo>& photos,
                           size_t count) const {
    const TweetRef source = tweet.photoSource;
    const uint64_t sourceId = m_corpus.TweetId(source);
    const UrlEntity& link = tweet.photoLink;
    const std::string page = "https://twitter.com/" + m_corpus.ScreenName(source.user) + "/status/" +
                             std::to_string(sourceId) + "/photo/1";
    const std::string shown = "pic.twitter.com/" + link.url.substr(link.url.rfind('/') + 1);
    json.BeginArray();
    for (size_t k = 0; k < count; ++k) {
        const Photo& p = photos[k];
        // The image's name on the media host, made only here: most tweets made are never shown.
        const std::string file = TextBuilder::ShortCode(Hash(p.id, 0x9f), 15) + ".jpg";
        json.BeginObject();
        WriteIdPair(json, "id", "id_str", p.id);
        WriteIndices(json, link.start, link.end);
        json.Field("media_url", "http://pbs.twimg.com/media/" + file);
        json.Field("media_url_https", "https://pbs.twimg.com/media/" + file);
        json.Field("url", link.url).Field("display_url", shown).Field("expanded_url", page);
        json.Field("type", "photo");
        json.Key("sizes").BeginObject();
        json.Key("thumb").BeginObject().Field("w", 150).Field("h", 150).Field("resize", "crop").EndObject();
        // Each smaller size fits the photo into a square of that side.
        for (auto [name, side] : {std::pair{"small", 680}, {"medium", 1200}, {"large", 2048}}) {
            double scale = std::min(1.0, static_cast<double>(side) / std::max(p.width, p.height));
            json.Key(name).BeginObject();
            json.Field("w", static_cast<int>(p.width * scale + 0.5))
                .Field("h", static_cast<int>(p.height * scale + 0.5));
            json.Field("resize", "fit").EndObject();
        }
        json.EndObject();
        // A retweet's photos say which tweet they came with.
        if (tweet.IsRetweet()) {
            WriteIdPair(json, "source_status_id", "source_status_id_str", sourceId);
            WriteIdPair(json, "source_user_id", "source_user_id_str", m_corpus.UserId(source.user));
        }
        json.EndObject();
    }
    json.EndArray();
}

void Renderer::WritePlace(JsonWriter& json, const Tweet& tweet) const {
    if (tweet.place < 0) {
        json.NullField("geo").NullField("coordinates").NullField("place");
        return;
    }
    const Place& p = Vocabulary::Places()[tweet.place];
    json.Key("geo").BeginObject().Field("type", "Point");
    json.Key("coordinates")
        .BeginArray()
        .Double(tweet.latitude)
        .Double(tweet.longitude)
        .EndArray()
        .EndObject();
    json.Key("coordinates").BeginObject().Field("type", "Point");
    json.Key("coordinates")
        .BeginArray()
        .Double(tweet.longitude)
        .Double(tweet.latitude)
        .EndArray()
        .EndObject();
    json.Key("place").BeginObject();
    json.Field("id", p.id).Field("url", "https://api.twitter.com/1.1/geo/id/" + std::string(p.id) + ".json");
    json.Field("place_type", "city").Field("name", p.name).Field("full_name", p.fullName);
    json.Field("country_code", p.countryCode).Field("country", p.country);
    json.Key("contained_within").BeginArray().EndArray();
    json.Key("bounding_box")
        .BeginObject()
        .Field("type", "Polygon")
        .Key("coordinates")
        .BeginArray()
        .BeginArray();
    const double corners[4][2] = {{p.west, p.south}, {p.east, p.south}, {p.east, p.north}, {p.west, p.north}};
    for (const auto& c : corners) json.BeginArray().Double(c[0]).Double(c[1]).EndArray();
    json.EndArray().EndArray().EndObject();
    json.Key("attributes").BeginObject().EndObject();
    json.EndObject();
}

void Renderer::WriteTweet(JsonWriter& json, const Tweet& tweet, TweetStyle style, TextMode mode) const {
    if (mode == TextMode::Compatible && tweet.length > TextCutter::kClassicLength)
        WriteShown(json, TextCutter::Compatible(tweet), style, mode);
    else if (tweet.length > TextCutter::kPostLength)
        WriteShown(json, TextCutter::Shortened(tweet, TextCutter::kPostLength), style, mode);
    else
        WriteShown(json, tweet, style, mode);
}

void Renderer::WriteText(JsonWriter& json, const Tweet& tweet, TextMode mode) const {
    if (mode == TextMode::Compatible) {
        json.Field("text", tweet.text).Field("truncated", tweet.truncated);
        return;
    }
    json.Field("full_text", tweet.text).Field("truncated", false);
    json.Key("display_text_range").BeginArray().Int(tweet.displayStart).Int(tweet.displayEnd).EndArray();
}

void Renderer::WriteQuote(JsonWriter& json, const Tweet& tweet, TweetStyle style, TextMode mode) const {
    WriteIdPair(json, "quoted_status_id", "quoted_status_id_str", m_corpus.TweetId(tweet.quoteOf));
    // The latest tweet inside a user object names the quoted tweet by id only.
    if (style == TweetStyle::UserStatus) return;
    const UrlEntity& link = tweet.quoteLink;
    json.Key("quoted_status_permalink").BeginObject();
    json.Field("url", link.url).Field("expanded", link.expanded).Field("display", link.display).EndObject();
    json.Key("quoted_status");
    WriteTweet(json, m_corpus.MakeTweet(tweet.quoteOf), style, mode);
}

void Renderer::WriteShown(JsonWriter& json, const Tweet& tweet, TweetStyle style, TextMode mode) const {
    json.BeginObject();
    json.Field("created_at", ServiceTime(tweet.timeMs / 1000));
    WriteIdPair(json, "id", "id_str", tweet.id);
    WriteText(json, tweet, mode);
    WriteEntities(json, tweet);
    if (style == TweetStyle::Search) {
        json.Key("metadata").BeginObject().Field("iso_language_code", tweet.lang);
        json.Field("result_type", !tweet.IsRetweet() && tweet.favoriteCount >= 500 ? "popular" : "recent");
        json.EndObject();
    }
    json.Field("source", SourceHtml(tweet.source));
    if (tweet.replyToUser >= 0) {
        if (tweet.replyTo.Valid())
            WriteIdPair(json, "in_reply_to_status_id", "in_reply_to_status_id_str",
                        m_corpus.TweetId(tweet.replyTo));
        else
            WriteNullIdPair(json, "in_reply_to_status_id", "in_reply_to_status_id_str");
        WriteIdPair(json, "in_reply_to_user_id", "in_reply_to_user_id_str",
                    m_corpus.UserId(tweet.replyToUser));
        json.Field("in_reply_to_screen_name", m_corpus.ScreenName(tweet.replyToUser));
    } else {
        WriteNullIdPair(json, "in_reply_to_status_id", "in_reply_to_status_id_str");
        WriteNullIdPair(json, "in_reply_to_user_id", "in_reply_to_user_id_str");
        json.NullField("in_reply_to_screen_name");
    }
    if (style != TweetStyle::UserStatus) {
        json.Key("user");
        WriteAuthor(json, tweet.ref.user);
    }
    WritePlace(json, tweet);
    json.NullField("contributors");
    if (tweet.IsRetweet()) {
        json.Key("retweeted_status");
        WriteTweet(json, m_corpus.MakeTweet(tweet.retweetOf), style, mode);
    }
    json.Field("is_quote_status", tweet.IsQuote());
    if (tweet.IsQuote()) WriteQuote(json, tweet, style, mode);
    json.Field("retweet_count", tweet.retweetCount)
        .Field("favorite_count", tweet.IsRetweet() ? 0 : tweet.favoriteCount);
    json.Field("favorited", false).Field("retweeted", false);
    // The service only says whether a tweet may be sensitive when the tweet carries a link or a photo.
    if ((!tweet.urls.empty() && !tweet.IsRetweet()) || tweet.HasPhotos())
        json.Field("possibly_sensitive", false);
    json.Field("lang", tweet.lang);
    json.EndObject();
}

void Renderer::WriteUser(JsonWriter& json, const Account& a, UserStyle style, bool withStatus,
                         TextMode mode) const {
    json.BeginObject();
    WriteIdPair(json, "id", "id_str", a.id);
    json.Field("name", a.name).Field("screen_name", a.screenName).Field("location", a.location);
    json.Field("description", a.description);
    if (a.url)
        json.Field("url", a.url->url);
    else
        json.NullField("url");
    json.Key("entities").BeginObject();
    if (a.url) {
        UrlEntity link = *a.url;
        link.start = 0;
        link.end = TextBuilder::CodePoints(link.url);
        json.Key("url").BeginObject().Key("urls");
        WriteUrlList(json, &link, 1);
        json.EndObject();
    }
    json.Key("description").BeginObject().Key("urls");
    WriteUrlList(json, a.descriptionUrls.data(), a.descriptionUrls.size());
    json.EndObject().EndObject();
    json.Field("protected", a.isProtected)
        .Field("followers_count", a.followers)
        .Field("friends_count", a.friends);
    json.Field("listed_count", a.listed).Field("created_at", ServiceTime(a.createdAt));
    json.Field("favourites_count", a.favourites);
    if (a.utcOffset)
        json.Field("utc_offset", *a.utcOffset).Field("time_zone", a.timeZone);
    else
        json.NullField("utc_offset").NullField("time_zone");
    json.Field("geo_enabled", a.geoEnabled).Field("verified", a.verified).Field("statuses_count", a.statuses);
    json.NullField("lang");
    // Profiles that come on their own carry the latest tweet, unless the account hides its tweets.
    if (withStatus && style != UserStyle::InTweet && !a.isProtected && m_corpus.TweetCount(a.index) > 0) {
        json.Key("status");
        WriteTweet(json, m_corpus.MakeTweet({a.index, 0}), TweetStyle::UserStatus, mode);
    }
    json.Field("contributors_enabled", false)
        .Field("is_translator", false)
        .Field("is_translation_enabled", false);
    json.Field("profile_background_color", a.backgroundColor);
    if (a.backgroundImageUrl.empty()) {
        json.NullField("profile_background_image_url").NullField("profile_background_image_url_https");
    } else {
        json.Field("profile_background_image_url", a.backgroundImageUrl);
        json.Field("profile_background_image_url_https", Https(a.backgroundImageUrl));
    }
    json.Field("profile_background_tile", a.backgroundTile);
    json.Field("profile_image_url", a.imageUrl).Field("profile_image_url_https", Https(a.imageUrl));
    if (a.hasBanner) json.Field("profile_banner_url", a.bannerUrl);
    json.Field("profile_link_color", a.linkColor).Field("profile_sidebar_border_color", a.sidebarBorderColor);
    json.Field("profile_sidebar_fill_color", a.sidebarFillColor).Field("profile_text_color", a.textColor);
    json.Field("profile_use_background_image", a.useBackgroundImage);
    json.Field("has_extended_profile", a.hasExtendedProfile).Field("default_profile", a.defaultProfile);
    json.Field("default_profile_image", a.defaultProfileImage).Field("following", false);
    if (style == UserStyle::List) json.Field("live_following", false);
    json.Field("follow_request_sent", false).Field("notifications", false);
    if (style == UserStyle::List)
        json.Field("muting", false).Field("blocking", false).Field("blocked_by", false);
    json.Field("translator_type", a.translatorType);
    if (style != UserStyle::List) json.Key("withheld_in_countries").BeginArray().EndArray();
    json.EndObject();
}

}  // namespace marlin::emulator
