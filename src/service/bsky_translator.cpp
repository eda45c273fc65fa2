#include "service/bsky_translator.h"

#include <chrono>

#include "core/bsky_archive_lines.h"
#include "core/bsky_post_id.h"
#include "service/v11_letter.h"

namespace marlin {

namespace {

int64_t SystemNowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

void AppendNumber(std::string& out, std::string_view raw) {
    out += std::to_string(BskyPage::Number(raw));
}

// The record key: the last part of an at:// URI.
std::string_view RecordKey(std::string_view uri) {
    const std::size_t slash = uri.rfind('/');
    return slash == std::string_view::npos ? uri : uri.substr(slash + 1);
}

}  // namespace

BskyTranslator::BskyTranslator(int64_t (*nowMs)()) : m_nowMs(nowMs ? nowMs : SystemNowMs) {}

void BskyTranslator::AppendV11String(std::string& out, std::string_view utf8) {
    out += '"';
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    for (std::size_t k = 0; k < utf8.size();) {
        const unsigned char c = bytes[k];
        if (c < 0x80) {
            if (c == '"' || c == '\\' || c == '/') {
                out += '\\';
                out += static_cast<char>(c);
            } else if (c < 0x20) {
                V11Letter::AppendUnit(out, c);
            } else {
                out += static_cast<char>(c);
            }
            ++k;
            continue;
        }
        k += V11Letter::Append(out, utf8, k);
    }
    out += '"';
}

std::string BskyTranslator::WebAddress(std::string_view handle, std::string_view uri) {
    return "https://bsky.app/profile/" + std::string(handle) + "/post/" + std::string(RecordKey(uri));
}

std::optional<std::string> BskyTranslator::PostPage(std::string_view body, bool searchLayout,
                                                    std::string* cursor) {
    m_extras.clear();
    if (!m_page.Read(body)) return std::nullopt;
    const std::vector<std::string_view> v = m_page.Pick(m_page.Top(), {"posts", "feed", "cursor"});
    if (cursor) *cursor = BskyPage::Text(v[2]);
    std::string out;
    out.reserve(body.size());
    out += searchLayout ? "{\"statuses\":[" : "[";
    for (std::string_view post : m_page.Elements(v[0])) {
        if (!m_extras.empty()) out += ',';
        WritePost(out, post, {});
    }
    for (std::string_view item : m_page.Elements(v[1])) {
        const std::vector<std::string_view> parts = m_page.Pick(item, {"post", "reason"});
        if (parts[0].empty()) continue;
        if (!m_extras.empty()) out += ',';
        WritePost(out, parts[0], parts[1].empty() || parts[1].front() != '{' ? std::string_view() : parts[1]);
    }
    out += ']';
    if (searchLayout) out += ",\"search_metadata\":{\"count\":" + std::to_string(m_extras.size()) + "}}";
    return out;
}

void BskyTranslator::WritePost(std::string& out, std::string_view post, std::string_view reason) {
    const std::vector<std::string_view> v =
        m_page.Pick(post, {"uri", "author", "record", "repostCount", "indexedAt"});
    const std::vector<std::string_view> r = m_page.Pick(v[2], {"text", "createdAt", "langs"});
    const std::string uri = BskyPage::Text(v[0]);
    const std::string authorHandle = BskyPage::Text(m_page.Member(v[1], "handle"));
    BskyArchiveLines::RowKey row = BskyArchiveLines::KeyOfRow(m_page, post, reason, m_nowMs());
    PostExtra extra{std::move(row.key), uri, ReadFacets(m_page, v[2])};
    const std::optional<int64_t> date = row.dateMs;
    std::string text = BskyPage::Text(r[0]);
    std::string_view user = v[1];
    if (!reason.empty()) {
        user = m_page.Member(reason, "by");
        text = "RT @" + authorHandle + ": " + text;
    }
    out += "{\"created_at\":";
    AppendV11String(out, date ? BskyPostId::ServiceTime(*date) : "");
    out += ",\"id_str\":\"" + BskyPostId::Id(date.value_or(0), extra.uri) + "\",\"text\":";
    AppendV11String(out, text);
    out += ",\"entities\":{\"urls\":[{\"expanded_url\":";
    AppendV11String(out, WebAddress(authorHandle, uri));
    out += "}]},\"user\":";
    WriteUser(out, user);
    out += ",\"geo\":null,\"coordinates\":null,\"place\":null,\"retweet_count\":";
    AppendNumber(out, v[3]);
    const std::vector<std::string_view> langs = m_page.Elements(r[2]);
    out += ",\"lang\":";
    if (langs.empty())
        out += "null";
    else
        AppendV11String(out, BskyPage::Text(langs.front()));
    out += '}';
    m_extras.push_back(std::move(extra));
}

std::optional<std::string> BskyTranslator::ProfilePage(std::string_view body, bool listLayout) {
    if (!m_page.Read(body)) return std::nullopt;
    const std::vector<std::string_view> v =
        m_page.Pick(m_page.Top(), {"profiles", "followers", "follows", "cursor"});
    std::string out;
    out.reserve(body.size() * 2);
    out += listLayout ? "{\"users\":[" : "[";
    bool first = true;
    for (int list = 0; list < 3; ++list) {
        for (std::string_view profile : m_page.Elements(v[list])) {
            if (!first) out += ',';
            first = false;
            WriteUser(out, profile);
        }
    }
    out += ']';
    if (listLayout) {
        const std::string cursor = BskyPage::Text(v[3]);
        out += ",\"next_cursor_str\":";
        AppendV11String(out, cursor.empty() ? "0" : cursor);
        out += '}';
    }
    return out;
}

// The fields the user set reads, in the order v1.1 writes them; the service has no location, time zone,
// geo setting, banner of the old kind or count of likes given.
void BskyTranslator::WriteUser(std::string& out, std::string_view profile) {
    const std::vector<std::string_view> v =
        m_page.Pick(profile, {"did", "handle", "displayName", "description", "avatar", "followersCount",
                              "followsCount", "postsCount", "createdAt", "indexedAt", "verification"});
    out += "{\"id_str\":";
    AppendV11String(out, BskyPage::Text(v[0]));
    out += ",\"name\":";
    AppendV11String(out, BskyPage::Text(v[2]));
    out += ",\"screen_name\":";
    AppendV11String(out, BskyPage::Text(v[1]));
    out += ",\"location\":\"\",\"description\":";
    AppendV11String(out, BskyPage::Text(v[3]));
    out +=
        ",\"url\":null,\"entities\":{\"description\":{\"urls\":[]}},\"protected\":false,\"followers_count\":";
    AppendNumber(out, v[5]);
    out += ",\"friends_count\":";
    AppendNumber(out, v[6]);
    out += ",\"listed_count\":0,\"created_at\":";
    const std::optional<int64_t> created = BskyPostId::ParseIso(BskyPage::Text(v[8].empty() ? v[9] : v[8]));
    AppendV11String(out, created ? BskyPostId::ServiceTime(*created) : "");
    out +=
        ",\"favourites_count\":null,\"utc_offset\":null,\"time_zone\":null,\"geo_enabled\":null,"
        "\"verified\":";
    const std::string verified = BskyPage::Text(m_page.Member(v[10], "verifiedStatus"));
    out += verified == "valid" ? "true" : "false";
    out += ",\"statuses_count\":";
    AppendNumber(out, v[7]);
    out += ",\"lang\":null,\"profile_background_image_url\":null,\"profile_image_url\":";
    AppendV11String(out, BskyPage::Text(v[4]));
    out += '}';
}

}  // namespace marlin
