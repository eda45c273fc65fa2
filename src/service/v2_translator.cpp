#include "service/v2_translator.h"

#include <cctype>
#include <cstdio>
#include <map>

namespace marlin {

namespace {

constexpr const char* kNull = "null";

std::string_view Or(std::string_view value, std::string_view fallback) {
    return value.empty() ? fallback : value;
}

bool Digits(std::string_view text, std::size_t from, std::size_t count) {
    if (text.size() < from + count) return false;
    for (std::size_t k = from; k < from + count; ++k)
        if (!std::isdigit(static_cast<unsigned char>(text[k]))) return false;
    return true;
}

int Number(std::string_view text, std::size_t from, std::size_t count) {
    int value = 0;
    for (std::size_t k = from; k < from + count; ++k) value = value * 10 + (text[k] - '0');
    return value;
}

// Days since 1970-01-01 of a civil date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::string Unescaped(std::string_view raw) {
    // Titles, details and tokens of the service are plain; only \" and \\ and \/ are undone.
    std::string text;
    raw = V2Page::Unquoted(raw);
    for (std::size_t k = 0; k < raw.size(); ++k) {
        if (raw[k] == '\\' && k + 1 < raw.size()) ++k;
        text += raw[k];
    }
    return text;
}

std::string TitleAndDetail(std::string_view title, std::string_view detail) {
    std::string text = Unescaped(title);
    if (!detail.empty()) text += (text.empty() ? "" : ": ") + Unescaped(detail);
    return text;
}

constexpr char kHex[] = "0123456789abcdef";

void AppendUnit(std::string& out, unsigned unit) {
    out += "\\u";
    out += kHex[(unit >> 12) & 0xF];
    out += kHex[(unit >> 8) & 0xF];
    out += kHex[(unit >> 4) & 0xF];
    out += kHex[unit & 0xF];
}

// A string token in the form v1.1 sends: "/" as "\/" and every character beyond ASCII as
// \u escapes (a pair of them beyond the first plane), the escapes v2 sent kept as they are.
// v2 sends UTF-8 with the least escaping; the record sets read v1.1's escapes (and the
// texts they clean say so), so the same text must reach them in v1.1's form.
void AppendV11(std::string& out, std::string_view value) {
    if (value.empty() || value.front() != '"') {
        out += value;
        return;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(value.data());
    std::size_t k = 0;
    const std::size_t end = value.size();
    while (k < end) {
        std::size_t run = k;
        while (run < end && bytes[run] < 0x80 && bytes[run] != '/' && bytes[run] != '\\') ++run;
        out.append(value.data() + k, run - k);
        k = run;
        if (k == end) break;
        const unsigned char c = bytes[k];
        if (c == '\\') {
            // An escape of v2 is one of v1.1 too; "\\" and "\/" included.
            out.append(value.data() + k, std::min<std::size_t>(2, end - k));
            k += 2;
        } else if (c == '/') {
            out += "\\/";
            ++k;
        } else {
            const int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
            unsigned cp = c & (0x3F >> extra);
            for (int n = 1; n <= extra && k + n < end; ++n) cp = (cp << 6) | (bytes[k + n] & 0x3F);
            k += extra + 1;
            if (cp >= 0x10000) {
                cp -= 0x10000;
                AppendUnit(out, 0xD800 + (cp >> 10));
                AppendUnit(out, 0xDC00 + (cp & 0x3FF));
            } else {
                AppendUnit(out, cp);
            }
        }
    }
}

// A day's count as the service writes it: plain decimal digits, no sign, fraction or
// exponent, and no more than any day can hold.
std::optional<int64_t> DayCount(std::string_view number) {
    if (number.empty() || number.size() > 11 || !Digits(number, 0, number.size())) return std::nullopt;
    int64_t value = 0;
    for (char c : number) value = value * 10 + (c - '0');
    if (value > V2Translator::kMaxDayPosts) return std::nullopt;
    return value;
}

}  // namespace

std::string V2Translator::ServiceTime(std::string_view iso) {
    static const char kDays[] = "ThuFriSatSunMonTueWed";  // 1 January 1970 was a Thursday
    static const char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    iso = V2Page::Unquoted(iso);
    if (!(Digits(iso, 0, 4) && iso[4] == '-' && Digits(iso, 5, 2) && iso[7] == '-' && Digits(iso, 8, 2) &&
          iso[10] == 'T' && Digits(iso, 11, 2) && iso[13] == ':' && Digits(iso, 14, 2) && iso[16] == ':' &&
          Digits(iso, 17, 2)))
        return std::string(iso);
    const int year = Number(iso, 0, 4);
    const int month = Number(iso, 5, 2);
    const int day = Number(iso, 8, 2);
    if (month < 1 || month > 12) return std::string(iso);
    const int64_t days = DaysFromCivil(year, month, day);
    const int weekday = static_cast<int>(((days % 7) + 7) % 7);
    char text[40];
    std::snprintf(text, sizeof text, "%.3s %.3s %02d %.8s +0000 %04d", kDays + weekday * 3,
                  kMonths + (month - 1) * 3, day, iso.data() + 11, year);
    return text;
}

std::string V2Translator::IsoTime(std::time_t utcSeconds) {
    std::tm utc{};
    gmtime_r(&utcSeconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string V2Translator::IdPlusOne(const std::string& id) {
    std::string next = id;
    std::size_t k = next.size();
    while (k > 0 && next[k - 1] == '9') next[--k] = '0';
    if (k == 0)
        next.insert(next.begin(), '1');
    else
        ++next[k - 1];
    const std::size_t first = next.find_first_not_of('0');
    return first == std::string::npos ? "0" : next.substr(first);
}

bool V2Translator::Read(std::string_view body) {
    m_authors.clear();
    m_errorKinds.clear();
    m_skipped.clear();
    m_tokenUnreadable = false;
    m_written = 0;
    if (!m_page.Read(body)) return false;
    CollectErrorKinds();
    return true;
}

void V2Translator::CollectErrorKinds() {
    std::map<std::string, int> kinds;
    for (std::string_view error : m_page.Errors()) {
        const std::vector<std::string_view> v = m_page.Pick(error, {"title", "resource_type", "message"});
        std::string kind = Unescaped(Or(v[0], v[2]));
        if (!v[1].empty()) kind += " (" + Unescaped(v[1]) + ")";
        ++kinds[kind];
    }
    for (const auto& [kind, count] : kinds) m_errorKinds.push_back(std::to_string(count) + " x " + kind);
}

std::vector<V2Translator::PartialError> V2Translator::PartialErrors() {
    std::vector<PartialError> errors;
    for (std::string_view error : m_page.Errors()) {
        const std::vector<std::string_view> v =
            m_page.Pick(error, {"value", "resource_id", "title", "detail"});
        errors.push_back({Unescaped(Or(v[0], v[1])), Unescaped(v[2]), Unescaped(v[3])});
    }
    return errors;
}

void V2Translator::Skip(std::string_view name, Type type, Type wanted) {
    auto article = [](Type t) { return t == Type::Object || t == Type::Array ? "an " : "a "; };
    std::string kind(name);
    kind += type == Type::Null ? std::string(" given as null")
                               : std::string(" given as ") + article(type) + V2Page::TypeName(type);
    kind += std::string(", not ") + article(wanted) + V2Page::TypeName(wanted);
    ++m_skipped[kind];
}

std::string_view V2Translator::Typed(std::string_view value, Type wanted, std::string_view name) {
    const Type type = V2Page::TypeOf(value);
    if (type == Type::Absent || type == wanted) return value;
    Skip(name, type, wanted);
    return {};
}

std::vector<std::string_view> V2Translator::Fields(std::string_view object,
                                                   std::initializer_list<std::string_view> names,
                                                   std::initializer_list<Type> types) {
    std::vector<std::string_view> values = m_page.Pick(object, names);
    auto type = types.begin();
    auto name = names.begin();
    for (std::string_view& value : values) value = Typed(value, *type++, *name++);
    return values;
}

std::vector<std::string> V2Translator::SkippedKinds() const {
    std::vector<std::string> lines;
    for (const auto& [kind, count] : m_skipped) lines.push_back(std::to_string(count) + " x " + kind);
    return lines;
}

std::string_view V2Translator::TokenValue() {
    if (m_page.Meta().empty() || m_page.Meta().front() != '{') return {};
    const std::string_view token = m_page.Pick(m_page.Meta(), {"next_token"})[0];
    if (token.empty() || V2Page::TypeOf(token) == Type::String) return token;
    if (!m_tokenUnreadable) Skip("next_token", V2Page::TypeOf(token), Type::String);
    m_tokenUnreadable = true;
    return {};
}

std::string V2Translator::NextToken() {
    return Unescaped(TokenValue());
}

std::optional<std::string> V2Translator::ListPageProblem(bool accountErrors) {
    const std::string_view data = m_page.DataValue();
    const Type type = V2Page::TypeOf(data);
    if (type != Type::Absent && type != Type::Array && type != Type::Object)
        return std::string("data given as a ") + V2Page::TypeName(type) + ", not a list";
    if (type == Type::Absent && m_page.Meta().empty() && !(accountErrors && !m_page.Errors().empty()))
        return std::string("neither data nor meta");
    const bool more = !V2Page::Absent(TokenValue()) || m_tokenUnreadable;
    if (m_written == 0 && more) return std::string("no readable record, yet a next_token");
    return std::nullopt;
}

std::string V2Translator::ErrorAnswer(std::string_view body) {
    if (!Read(body)) return {};
    std::string text = TitleAndDetail(m_page.Title(), m_page.Detail());
    for (std::string_view error : m_page.Errors()) {
        const std::vector<std::string_view> v = m_page.Pick(error, {"message", "title", "detail"});
        const std::string said = v[0].empty() ? TitleAndDetail(v[1], v[2]) : Unescaped(v[0]);
        if (!said.empty()) text += (text.empty() ? "" : "; ") + said;
    }
    return text;
}

std::optional<std::string> V2Translator::TweetPage(std::string_view body, bool searchLayout) {
    m_postIds.clear();
    if (!Read(body)) return std::nullopt;
    std::string out;
    out.reserve(body.size());
    out += searchLayout ? "{\"statuses\":[" : "[";
    for (std::string_view post : m_page.Data()) {
        if (Typed(post, Type::Object, "entry of data").empty()) continue;
        if (m_written++ > 0) out += ',';
        WritePost(out, post);
    }
    out += ']';
    if (searchLayout) out += ",\"search_metadata\":{\"count\":" + std::to_string(m_written) + "}}";
    return out;
}

std::optional<std::string> V2Translator::UserPage(std::string_view body, bool listLayout) {
    if (!Read(body)) return std::nullopt;
    std::string out;
    out.reserve(body.size() * 2);
    out += listLayout ? "{\"users\":[" : "[";
    for (std::string_view user : m_page.Data()) {
        if (Typed(user, Type::Object, "entry of data").empty()) continue;
        if (m_written++ > 0) out += ',';
        WriteUser(out, user);
    }
    out += ']';
    if (listLayout) {
        const std::string_view token = TokenValue();
        // A token that is not a text gives no cursor at all: the list does not move on, and
        // its paging stops short rather than at a last page it never saw.
        if (!m_tokenUnreadable) {
            out += ",\"next_cursor_str\":";
            out += token.empty() ? std::string_view("\"0\"") : token;
        }
        out += '}';
    }
    return out;
}

std::optional<std::vector<V2Translator::Count>> V2Translator::Counts(std::string_view body,
                                                                     std::string& nextToken,
                                                                     std::string* problem) {
    nextToken.clear();
    if (!Read(body)) return std::nullopt;
    std::vector<Count> days;
    for (std::string_view day : m_page.Data()) {
        const std::vector<std::string_view> v =
            Fields(day, {"start", "tweet_count"}, {Type::String, Type::Number});
        Count count;
        count.date = std::string(V2Page::Unquoted(v[0]).substr(0, 10));
        const std::optional<int64_t> posts = DayCount(v[1]);
        if (!posts) {
            if (problem)
                *problem = "the count of " + count.date + " is not a whole number from 0 to " +
                           std::to_string(kMaxDayPosts) + " (" + std::string(v[1]) + ")";
            return std::nullopt;
        }
        count.posts = *posts;
        days.push_back(std::move(count));
    }
    nextToken = NextToken();
    return days;
}

std::string V2Translator::UserId(std::string_view body) {
    if (!Read(body) || m_page.Data().empty()) return {};
    return std::string(V2Page::Unquoted(m_page.Pick(m_page.Data().front(), {"id"})[0]));
}

// The fields the tweet set reads, in the order v1.1 writes them: a key the reader looks for
// first must come before any deeper key of the same name, as it does in v1.1.
void V2Translator::WritePost(std::string& out, std::string_view post) {
    std::vector<std::string_view> v =
        m_page.Pick(post, {"id", "text", "created_at", "author_id", "entities", "geo", "public_metrics",
                           "note_tweet", "lang", "referenced_tweets"});
    // An id as a JSON number (digits only) is still the post's id; v1.1 gives it as a text.
    const bool numericId = V2Page::TypeOf(v[0]) == Type::Number && Digits(v[0], 0, v[0].size());
    std::string quotedId;
    if (numericId) {
        quotedId.reserve(v[0].size() + 2);
        quotedId.push_back('"');
        quotedId.append(v[0]);
        quotedId.push_back('"');
    }
    v[0] = numericId ? std::string_view(quotedId) : Typed(v[0], Type::String, "id");
    v[1] = Typed(v[1], Type::String, "text");
    v[2] = Typed(v[2], Type::String, "created_at");
    v[3] = Typed(v[3], Type::String, "author_id");
    v[4] = Typed(v[4], Type::Object, "entities");
    v[5] = Typed(v[5], Type::Object, "geo");
    v[6] = Typed(v[6], Type::Object, "public_metrics");
    v[7] = Typed(v[7], Type::Object, "note_tweet");
    v[8] = Typed(v[8], Type::String, "lang");
    v[9] = Typed(v[9], Type::Array, "referenced_tweets");
    m_postIds.push_back(numericId ? m_page.Pick(post, {"id"})[0] : V2Page::Unquoted(v[0]));
    out += "{\"created_at\":\"";
    out += ServiceTime(v[2]);
    out += "\",\"id_str\":";
    AppendV11(out, Or(v[0], "\"\""));
    out += ",\"text\":";
    AppendV11(out, Or(WholeText(v[1], v[7]), "\"\""));
    out += ",\"entities\":{\"urls\":";
    WriteUrls(out, v[4].empty() ? "" : Fields(v[4], {"urls"}, {Type::Array})[0], true);
    out += '}';
    if (!v[3].empty()) {
        const std::string& author = AuthorText(V2Page::Unquoted(v[3]));
        if (!author.empty()) {
            out += ",\"user\":";
            out += author;
        }
    }
    WriteGeo(out, v[5]);
    if (!v[9].empty()) WriteRetweeted(out, v[9]);
    out += ",\"retweet_count\":";
    AppendV11(out, Or(v[6].empty() ? "" : Fields(v[6], {"retweet_count"}, {Type::Number})[0], "0"));
    out += ",\"lang\":";
    AppendV11(out, Or(v[8], kNull));
    if (m_extraFields) WriteExtraFields(out, post, v[6], v[9]);
    out += '}';
}

// The fields of the extra columns after every other: no deeper object follows them, so the
// first of each name is the post's own.
void V2Translator::WriteExtraFields(std::string& out, std::string_view post, std::string_view metrics,
                                    std::string_view references) {
    const std::vector<std::string_view> own =
        Fields(post, {"conversation_id", "in_reply_to_user_id"}, {Type::String, Type::String});
    std::string_view replied, quoted, reposted;
    if (!references.empty()) {
        for (std::string_view reference : m_page.Elements(references)) {
            const std::vector<std::string_view> r =
                Fields(reference, {"type", "id"}, {Type::String, Type::String});
            const std::string_view type = V2Page::Unquoted(r[0]);
            if (type == "replied_to") replied = r[1];
            if (type == "quoted") quoted = r[1];
            if (type == "retweeted") reposted = r[1];
        }
    }
    const std::vector<std::string_view> counts =
        metrics.empty() ? std::vector<std::string_view>(3)
                        : Fields(metrics, {"reply_count", "quote_count", "like_count"},
                                 {Type::Number, Type::Number, Type::Number});
    const std::pair<const char*, std::string_view> fields[] = {
        {"conversation_id", own[0]},
        {"in_reply_to_status_id_str", replied},
        {"in_reply_to_user_id_str", own[1]},
        {"quoted_status_id_str", quoted},
        {"retweeted_status_id_str", reposted},
        {"reply_count", counts[0]},
        {"quote_count", counts[1]},
        {"favorite_count", counts[2]},
    };
    for (const auto& [name, value] : fields) {
        out += ",\"";
        out += name;
        out += "\":";
        AppendV11(out, Or(value, kNull));
    }
}

std::string_view V2Translator::WholeText(std::string_view text, std::string_view noteTweet) {
    const std::string_view note = noteTweet.empty() ? "" : Fields(noteTweet, {"text"}, {Type::String})[0];
    return Or(note, text);
}

// A retweet's own text is cut short; the original with its author's name comes as v1.1
// gives it, in "retweeted_status", so that an exact text can be made whole. Only what that
// needs is written, and the text as "text" as every post of the page has it: the searches
// of a page's first post run over the whole page, and would take a later "full_text" or
// any other key the posts lack for its own.
void V2Translator::WriteRetweeted(std::string& out, std::string_view references) {
    for (std::string_view reference : m_page.Elements(references)) {
        const std::vector<std::string_view> r = m_page.Pick(reference, {"type", "id"});
        if (V2Page::Unquoted(r[0]) != "retweeted") continue;
        const std::string_view original = m_page.IncludedTweet(V2Page::Unquoted(r[1]));
        if (original.empty()) return;
        const std::vector<std::string_view> o = m_page.Pick(original, {"text", "note_tweet", "author_id"});
        const std::string_view author = m_page.IncludedUser(V2Page::Unquoted(o[2]));
        const std::string_view name = author.empty() ? "" : m_page.Pick(author, {"username"})[0];
        const std::string_view text = WholeText(o[0], o[1]);
        if (!name.starts_with('"') || !text.starts_with('"')) return;
        out += ",\"retweeted_status\":{\"text\":";
        AppendV11(out, text);
        out += ",\"user\":{\"screen_name\":";
        AppendV11(out, name);
        out += "}}";
        return;
    }
}

const std::string& V2Translator::AuthorText(std::string_view authorId) {
    auto [slot, added] = m_authors.try_emplace(authorId);
    if (added) {
        const std::string_view user = m_page.IncludedUser(authorId);
        if (!user.empty()) WriteUser(slot->second, user);
    }
    return slot->second;
}

void V2Translator::WriteUrls(std::string& out, std::string_view urls, bool skipMedia) {
    out += '[';
    bool first = true;
    if (!urls.empty()) {
        for (std::string_view url : m_page.Elements(urls)) {
            if (Typed(url, Type::Object, "entry of urls").empty()) continue;
            const std::vector<std::string_view> v =
                Fields(url, {"url", "expanded_url", "display_url", "start", "end", "media_key"},
                       {Type::String, Type::String, Type::String, Type::Number, Type::Number, Type::String});
            // v1.1 gives a photo's link in the media entities, not among the links.
            if (skipMedia && !v[5].empty()) continue;
            if (!first) out += ',';
            first = false;
            out += "{\"url\":";
            AppendV11(out, Or(v[0], "\"\""));
            out += ",\"expanded_url\":";
            AppendV11(out, Or(v[1], kNull));
            out += ",\"display_url\":";
            AppendV11(out, Or(v[2], kNull));
            out += ",\"indices\":[";
            AppendV11(out, Or(v[3], "0"));
            out += ',';
            AppendV11(out, Or(v[4], "0"));
            out += "]}";
        }
    }
    out += ']';
}

void V2Translator::WriteGeo(std::string& out, std::string_view geo) {
    // v2 gives [longitude, latitude]; v1.1's geo object, which the reader finds first,
    // gives latitude first.
    std::vector<std::string_view> point;
    if (!geo.empty()) {
        const std::string_view coordinates = Fields(geo, {"coordinates"}, {Type::Object})[0];
        if (!coordinates.empty()) {
            const std::string_view pair = Fields(coordinates, {"coordinates"}, {Type::Array})[0];
            if (!pair.empty()) point = m_page.Elements(pair);
        }
    }
    if (point.size() == 2 && (Typed(point[0], Type::Number, "coordinate").empty() ||
                              Typed(point[1], Type::Number, "coordinate").empty()))
        point.clear();
    if (point.size() != 2) {
        out += ",\"geo\":null,\"coordinates\":null,\"place\":null";
        return;
    }
    out += ",\"geo\":{\"type\":\"Point\",\"coordinates\":[";
    out.append(point[1]).append(",").append(point[0]);
    out += "]},\"coordinates\":{\"type\":\"Point\",\"coordinates\":[";
    out.append(point[0]).append(",").append(point[1]);
    out += "]},\"place\":null";
}

void V2Translator::WriteUser(std::string& out, std::string_view user) {
    const std::vector<std::string_view> v =
        Fields(user,
               {"id", "name", "username", "location", "description", "url", "entities", "protected",
                "public_metrics", "created_at", "verified", "profile_image_url"},
               {Type::String, Type::String, Type::String, Type::String, Type::String, Type::String,
                Type::Object, Type::Boolean, Type::Object, Type::String, Type::Boolean, Type::String});
    std::vector<std::string_view> m(5);
    if (!v[8].empty())
        m = Fields(v[8], {"followers_count", "following_count", "tweet_count", "listed_count", "like_count"},
                   {Type::Number, Type::Number, Type::Number, Type::Number, Type::Number});
    std::string_view profileUrls;
    if (!v[6].empty()) {
        const std::string_view url = Fields(v[6], {"url"}, {Type::Object})[0];
        if (!url.empty()) profileUrls = Fields(url, {"urls"}, {Type::Array})[0];
    }
    out += "{\"id_str\":";
    AppendV11(out, Or(v[0], "\"\""));
    out += ",\"name\":";
    AppendV11(out, Or(v[1], "\"\""));
    out += ",\"screen_name\":";
    AppendV11(out, Or(v[2], "\"\""));
    out += ",\"location\":";
    AppendV11(out, Or(v[3], "\"\""));
    out += ",\"description\":";
    AppendV11(out, Or(v[4], "\"\""));
    out += ",\"url\":";
    AppendV11(out, V2Page::Absent(v[5]) ? kNull : v[5]);
    out += ",\"entities\":{";
    if (!profileUrls.empty()) {
        out += "\"url\":{\"urls\":";
        WriteUrls(out, profileUrls, false);
        out += "},";
    }
    out += "\"description\":{\"urls\":[]}},\"protected\":";
    AppendV11(out, Or(v[7], "false"));
    out += ",\"followers_count\":";
    AppendV11(out, Or(m[0], "0"));
    out += ",\"friends_count\":";
    AppendV11(out, Or(m[1], "0"));
    out += ",\"listed_count\":";
    AppendV11(out, Or(m[3], "0"));
    out += ",\"created_at\":\"";
    out += ServiceTime(v[9]);
    out += "\",\"favourites_count\":";
    AppendV11(out, Or(m[4], kNull));
    out += ",\"utc_offset\":null,\"time_zone\":null,\"geo_enabled\":null,\"verified\":";
    AppendV11(out, Or(v[10], "false"));
    out += ",\"statuses_count\":";
    AppendV11(out, Or(m[2], "0"));
    out += ",\"lang\":null,\"profile_background_image_url\":null,\"profile_image_url\":";
    // v1.1's profile_image_url is the http address (its https twin is another field).
    std::string_view image = Or(v[11], "\"\"");
    if (image.substr(0, 9) == "\"https://") {
        out += "\"http://";
        image.remove_prefix(9);
    }
    AppendV11(out, image);
    out += '}';
}

}  // namespace marlin
