#include "service/translated_records.h"

#include <initializer_list>

#include "core/exact_text.h"
#include "core/json_deserializer.h"
#include "core/skd_funcs.h"
#include "service/v2_translator.h"

namespace marlin {

namespace {

using Names = std::initializer_list<std::string_view>;

// The names the reader looks for in a post's own text, and in its author's, in the order
// they stand there.
constexpr std::string_view kPostNames[] = {"created_at", "id_str", "text", "coordinates"};
constexpr std::string_view kUserNames[] = {"name",        "screen_name",     "location",
                                           "description", "followers_count", "friends_count",
                                           "utc_offset",  "statuses_count"};

bool IsString(std::string_view written) {
    return written.size() >= 2 && written.front() == '"';
}

std::string_view Content(std::string_view written) {
    return written.substr(1, written.size() - 2);
}

// Whether a written value could be taken for one of the names by the reader's search (a
// string ending in a name is followed by its closing quote).
template <class List>
bool EndsInName(std::string_view written, const List& names) {
    if (!IsString(written)) return false;
    const std::string_view content = Content(written);
    for (std::string_view name : names)
        if (content.ends_with(name)) return true;
    return false;
}

bool EndsIn(std::string_view written, std::string_view name) {
    return EndsInName(written, Names{name});
}

// Whether a user's value could be taken for a name the reader looks for after it: those
// from `first` on in the user's order, and the post's "coordinates" further on.
bool EndsInLaterName(std::string_view written, std::size_t first) {
    if (EndsIn(written, "coordinates")) return true;
    for (std::size_t k = first; k < std::size(kUserNames); ++k)
        if (EndsIn(written, kUserNames[k])) return true;
    return false;
}

// A string whose closing quote a backslash precedes: the reader's value runs on past it.
bool RunsOn(std::string_view written) {
    return IsString(written) && Content(written).ends_with('\\');
}

// What the reader gives for a value written right after the name it looked for: a string up
// to its closing quote, anything else up to the comma after it.
std::string Element(std::string_view written) {
    if (IsString(written)) return JSONDeserializer::ValueText(written.substr(0, written.size() - 1));
    return JSONDeserializer::ValueText(written);
}

std::string Cleaned(std::string_view written) {
    return SKDFuncs::BlankControlCharacters(Element(written));
}

// A string value as the text reader and the clean-up give it.
std::string Text(std::string_view written) {
    return SKDFuncs::ReplaceEscapes(JSONDeserializer::ValueText(written.substr(0, written.size() - 1), true));
}

std::string Exact(std::string_view written) {
    return ExactText::Decode(Content(written));
}

std::int32_t Number(std::string_view written) {
    return SKDFuncs::RoundHalfEven(SKDFuncs::LeadingNumber(Cleaned(written)));
}

}  // namespace

std::string_view TranslatedRecords::V11(std::string_view raw) {
    bool plain = true;
    for (const char c : raw) plain = plain && static_cast<unsigned char>(c) < 0x80 && c != '/';
    if (plain) return raw;
    std::string& text = m_texts.emplace_back();
    V2Translator::AppendV11(text, raw);
    return text;
}

bool TranslatedRecords::FillAuthor(TweetSet::Record& r, const User& user) {
    const std::string_view id = V11(user.id);
    const std::string_view name = V11(user.name);
    const std::string_view screenName = V11(user.screenName);
    const std::string_view location = V11(user.location);
    const std::string_view description = V11(user.description);
    const std::string_view url = V11(user.url);
    // In the order they are written, with the first name each could be taken for.
    const std::pair<std::string_view, std::size_t> ordered[] = {
        {id, 0}, {name, 1}, {screenName, 2}, {location, 3}, {description, 4}, {url, 4}};
    for (const auto& [value, first] : ordered)
        if (EndsInLaterName(value, first)) return false;
    for (std::string_view value : {name, screenName, location, description})
        if (RunsOn(value)) return false;
    // The address as written: after "http://" its text stands as the service sent it.
    const std::string image =
        user.imageWasHttps ? "\"http://" + std::string(user.image) : std::string(V11(user.image));
    if (EndsInLaterName("\"" + user.createdAt + "\"", 6) || EndsIn(image, "coordinates")) return false;
    for (const Url& link : user.profileUrls)
        for (std::string_view value : {link.url, link.expanded, link.display})
            if (EndsIn(V11(value), "coordinates")) return false;

    r.ScreenName = Cleaned(screenName);
    if (m_exactTexts) {
        r.RealName = Exact(name);
        r.Location = Exact(location);
        r.Description = Exact(description);
    } else {
        r.RealName = Text(name);
        r.Location = Text(location);
        r.Description = Text(description);
    }
    r.Followers = Number(user.followers);
    r.Following = Number(user.friends);
    r.UTC_Offset = SKDFuncs::RoundHalfEven(SKDFuncs::LeadingNumber(Cleaned("null")) / 3600.0);
    r.UserTweets = std::to_string(Number(user.statuses));
    return true;
}

std::optional<TweetSet::Record> TranslatedRecords::Tweet(const Post& post) {
    m_texts.clear();
    const std::string createdAt = "\"" + post.createdAt + "\"";
    const std::string_view id = V11(post.id);
    const std::string_view text = V11(post.text);
    const std::string_view lang = V11(post.lang);
    if (RunsOn(createdAt) || RunsOn(id) || RunsOn(text) || EndsInName(createdAt, kPostNames) ||
        EndsInName(id, Names{"text", "coordinates"}) || EndsIn(text, "coordinates") ||
        EndsIn(lang, "retweet_count"))
        return std::nullopt;

    TweetSet::Record r;
    if (post.author && !FillAuthor(r, *post.author)) return std::nullopt;
    r.DateTime = SKDFuncs::BlankControlCharacters(Element(createdAt));
    r.TweetID = Cleaned(id);
    if (!m_exactTexts) {
        r.Text = Text(text);
    } else if (post.retweeted) {
        r.Text = "RT @" + Exact(V11(post.retweetName)) + ": " + Exact(V11(post.retweetText));
    } else {
        r.Text = Exact(text);
    }
    // The first "coordinates" is the geo object's (latitude first), unless the geo object was
    // cut from the post's own text with the other children that follow it directly, which
    // happens when no link and no author come between.
    if (!post.geo)
        r.GeoCoords = "null";
    else if (!post.author && post.urls.empty())
        r.GeoCoords = "{}";
    else
        r.GeoCoords =
            SKDFuncs::BlankControlCharacters(std::string(post.latitude) + "," + std::string(post.longitude));
    r.Retweeted = SKDFuncs::RoundHalfEven(SKDFuncs::LeadingNumber(Element(post.retweetCount)));
    if (!post.urls.empty()) {
        const Url& last = post.urls.back();
        const std::string_view expanded = V11(last.expanded);
        if (EndsIn(V11(last.url), "expanded_url") || RunsOn(expanded)) return std::nullopt;
        r.LinkURL = SKDFuncs::ReplaceEscapes(Element(expanded));
    }
    return r;
}

}  // namespace marlin
