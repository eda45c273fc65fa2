#include "emulator/bluesky_renderer.h"

#include <algorithm>
#include <ctime>

#include "emulator/corpus.h"
#include "emulator/emulator_config.h"
#include "emulator/hashing.h"
#include "emulator/json_writer.h"
#include "emulator/text_builder.h"

namespace marlin::emulator {

namespace {

constexpr int kMaxCharacters = 300;
constexpr int64_t kNetworkStart = 1676592000;  // 2023-02-17, before which no account of it exists
constexpr int64_t kYearMs = 365LL * 86400000;

enum Purpose : uint64_t { kMicros = 0xB5001, kOdd, kIndexDelay, kCid, kReplies, kQuotes, kAvatar };

// "&amp;" "&lt;" "&gt;" of a v1.1 text back to the characters the writer typed.
std::string Unescaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text[k] == '&') {
            bool replaced = false;
            for (auto [escape, character] : {std::pair{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}}) {
                const std::string_view e(escape);
                if (text.substr(k, e.size()) == e) {
                    out += character;
                    k += e.size() - 1;
                    replaced = true;
                    break;
                }
            }
            if (replaced) continue;
        }
        out += text[k];
    }
    return out;
}

// The byte where the text's 300th character ends (its size when it has fewer).
std::size_t CharacterLimit(const std::string& text) {
    int characters = 0;
    for (std::size_t k = 0; k < text.size(); ++k) {
        if ((static_cast<unsigned char>(text[k]) & 0xC0) == 0x80) continue;
        if (++characters > kMaxCharacters) return k;
    }
    return text.size();
}

}  // namespace

BlueskyRenderer::BlueskyRenderer(const Corpus& corpus, const BlueskyNames& names,
                                 const EmulatorConfig& config)
    : m_corpus(corpus), m_names(names), m_config(config) {}

std::string BlueskyRenderer::IsoMs(int64_t ms) {
    const std::time_t seconds = static_cast<std::time_t>(ms >= 0 ? ms / 1000 : (ms - 999) / 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>(ms - seconds * 1000LL));
    return text;
}

BlueskyRenderer::PostText BlueskyRenderer::Text(const Tweet& t) const {
    struct Piece {
        int start, end;
        Facet::Kind kind;
        std::string shown, value;
    };
    // Each shown text is built in steps: GCC 12 warns of a false overlap in the one-expression form.
    auto marked = [](char mark, const std::string& name) {
        std::string shown(1, mark);
        shown += name;
        return shown;
    };
    std::vector<Piece> pieces;
    for (const MentionEntity& m : t.mentions)
        pieces.push_back(
            {m.start, m.end, Facet::Kind::Mention, marked('@', m_names.Handle(m.user)), m_names.Did(m.user)});
    for (const HashtagEntity& h : t.hashtags)
        pieces.push_back({h.start, h.end, Facet::Kind::Tag, marked('#', h.text), h.text});
    for (const UrlEntity& u : t.urls)
        if (u.url != t.quoteLink.url || t.quoteLink.url.empty())
            pieces.push_back({u.start, u.end, Facet::Kind::Link, u.display, u.expanded});
    std::sort(pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) { return a.start < b.start; });

    // Links to a quoted post and to photos lie past the shown part: the service shows those as embeds.
    const std::vector<std::size_t> offsets = TextBuilder::ShownOffsets(t.text);
    const int shownEnd = std::min<int>(t.displayEnd, static_cast<int>(offsets.size()) - 1);
    auto plain = [&](int from, int to) {
        return Unescaped(std::string_view(t.text).substr(offsets[from], offsets[to] - offsets[from]));
    };
    PostText out;
    int at = 0;
    for (const Piece& piece : pieces) {
        if (piece.start < at || piece.end > shownEnd) continue;
        out.text += plain(at, piece.start);
        const int start = static_cast<int>(out.text.size());
        out.text += piece.shown;
        out.facets.push_back({start, static_cast<int>(out.text.size()), piece.kind, piece.value});
        at = piece.end;
    }
    out.text += plain(at, shownEnd);
    while (!out.text.empty() && out.text.back() == ' ') out.text.pop_back();
    const std::size_t limit = CharacterLimit(out.text);
    if (limit < out.text.size()) {
        out.text.resize(limit);
        std::erase_if(out.facets, [&](const Facet& f) { return f.byteEnd > static_cast<int>(limit); });
    }
    return out;
}

std::string BlueskyRenderer::PostUri(TweetRef ref) const {
    const int64_t micros = m_corpus.TweetTimeMs(ref) * 1000 +
                           static_cast<int64_t>(Pick(Hash(m_config.seed, ref.user, ref.seq, kMicros), 1000));
    return "at://" + m_names.Did(ref.user) + "/app.bsky.feed.post/" + m_names.Tid(ref.user, micros);
}

bool BlueskyRenderer::OddDate(TweetRef ref) const {
    return Unit(Hash(m_config.seed, ref.user, ref.seq, kOdd)) < m_config.bskyOddDateShare;
}

int64_t BlueskyRenderer::IndexedAtMs(TweetRef ref) const {
    const int64_t written = m_corpus.TweetTimeMs(ref);
    // A post whose createdAt is wrong sorts at the moment the service saw it, which is then its time.
    if (OddDate(ref)) return written;
    return written + static_cast<int64_t>(Pick(Hash(m_config.seed, ref.user, ref.seq, kIndexDelay), 2000));
}

std::string BlueskyRenderer::CreatedAt(const Tweet& t) const {
    if (!OddDate(t.ref)) return IsoMs(t.timeMs);
    switch (Pick(Hash(m_config.seed, t.ref.user, t.ref.seq, kOdd + 100), 3)) {
        case 0:
            return IsoMs(t.timeMs + kYearMs);  // a clock a year ahead
        case 1:
            return IsoMs(t.timeMs - 16 * kYearMs);  // an imported old post
        default:
            return "sometime";
    }
}

std::string BlueskyRenderer::ProfileCreatedAt(int user) const {
    const int64_t created = m_corpus.User(user).createdAt;
    return IsoMs((kNetworkStart + created % (300LL * 86400)) * 1000);
}

void BlueskyRenderer::WritePostView(JsonWriter& json, const Tweet& t) const {
    const PostText text = Text(t);
    json.BeginObject().Field("uri", PostUri(t.ref));
    json.Field("cid", BlueskyNames::Cid(Hash(m_config.seed, t.ref.user, t.ref.seq, kCid)));
    json.Key("author");
    WriteProfileBasic(json, t.ref.user);
    json.Key("record").BeginObject().Field("$type", "app.bsky.feed.post").Field("createdAt", CreatedAt(t));
    if (!text.facets.empty()) {
        json.Key("facets").BeginArray();
        for (const Facet& f : text.facets) {
            json.BeginObject()
                .Field("$type", "app.bsky.richtext.facet")
                .Key("features")
                .BeginArray()
                .BeginObject();
            switch (f.kind) {
                case Facet::Kind::Mention:
                    json.Field("$type", "app.bsky.richtext.facet#mention").Field("did", f.value);
                    break;
                case Facet::Kind::Link:
                    json.Field("$type", "app.bsky.richtext.facet#link").Field("uri", f.value);
                    break;
                case Facet::Kind::Tag:
                    json.Field("$type", "app.bsky.richtext.facet#tag").Field("tag", f.value);
                    break;
            }
            json.EndObject().EndArray().Key("index").BeginObject();
            json.Field("byteEnd", f.byteEnd).Field("byteStart", f.byteStart).EndObject().EndObject();
        }
        json.EndArray();
    }
    if (t.lang != "und") json.Key("langs").BeginArray().String(t.lang).EndArray();
    if (t.replyTo.Valid()) {
        const std::string parent = PostUri(t.replyTo);
        const std::string cid = BlueskyNames::Cid(Hash(m_config.seed, t.replyTo.user, t.replyTo.seq, kCid));
        json.Key("reply").BeginObject();
        for (const char* end : {"parent", "root"})
            json.Key(end).BeginObject().Field("cid", cid).Field("uri", parent).EndObject();
        json.EndObject();
    }
    json.Field("text", text.text).EndObject();
    const uint64_t h = Hash(m_config.seed, t.ref.user, t.ref.seq, kReplies);
    json.Field("replyCount", static_cast<int>(Pick(h, 4))).Field("repostCount", t.retweetCount);
    json.Field("likeCount", t.favoriteCount).Field("quoteCount", static_cast<int>(Pick(h >> 20, 3)));
    json.Field("indexedAt", IsoMs(IndexedAtMs(t.ref)));
    json.Key("labels").BeginArray().EndArray().EndObject();
}

void BlueskyRenderer::WriteFeedItem(JsonWriter& json, const Tweet& t) const {
    json.BeginObject().Key("post");
    if (!t.IsRetweet()) {
        WritePostView(json, t);
        json.EndObject();
        return;
    }
    WritePostView(json, m_corpus.MakeTweet(t.retweetOf));
    const int64_t micros = t.timeMs * 1000 + static_cast<int64_t>(Pick(
                                                 Hash(m_config.seed, t.ref.user, t.ref.seq, kMicros), 1000));
    json.Key("reason").BeginObject().Field("$type", "app.bsky.feed.defs#reasonRepost").Key("by");
    WriteProfileBasic(json, t.ref.user);
    json.Field("uri", "at://" + m_names.Did(t.ref.user) + "/app.bsky.feed.repost/" +
                          m_names.Tid(t.ref.user, micros));
    json.Field("cid", BlueskyNames::Cid(Hash(m_config.seed, t.ref.user, t.ref.seq, kCid)));
    json.Field("indexedAt", IsoMs(IndexedAtMs(t.ref))).EndObject().EndObject();
}

void BlueskyRenderer::WriteProfileFields(JsonWriter& json, int user, bool withDescription) const {
    const std::string did = m_names.Did(user);
    json.Field("did", did).Field("handle", m_names.Handle(user));
    json.Field("displayName", m_corpus.DisplayName(user));
    if (withDescription) {
        const Account account = m_corpus.User(user);
        std::string description = account.description;
        for (const UrlEntity& u : account.descriptionUrls)
            if (const std::size_t at = description.find(u.url); at != std::string::npos)
                description.replace(at, u.url.size(), u.expanded);
        if (!description.empty()) json.Field("description", Unescaped(description));
    }
    json.Field("avatar", "https://cdn.bsky.app/img/avatar/plain/" + did + "/" +
                             BlueskyNames::Cid(Hash(m_config.seed, user, kAvatar)) + "@jpeg");
    json.Key("labels").BeginArray().EndArray();
    json.Field("createdAt", ProfileCreatedAt(user));
}

void BlueskyRenderer::WriteProfileBasic(JsonWriter& json, int user) const {
    json.BeginObject();
    WriteProfileFields(json, user, false);
    json.EndObject();
}

void BlueskyRenderer::WriteProfile(JsonWriter& json, int user) const {
    json.BeginObject();
    WriteProfileFields(json, user, true);
    json.Field("indexedAt", ProfileCreatedAt(user)).EndObject();
}

void BlueskyRenderer::WriteProfileDetailed(JsonWriter& json, int user) const {
    json.BeginObject();
    WriteProfileFields(json, user, true);
    json.Field("followersCount", m_corpus.FollowerCount(user))
        .Field("followsCount", m_corpus.FriendCount(user));
    json.Field("postsCount", m_corpus.TweetCount(user)).Field("indexedAt", ProfileCreatedAt(user));
    json.EndObject();
}

}  // namespace marlin::emulator
