#include "service/v2_translator.h"

#include <cctype>
#include <cstdio>
#include <map>

#include "core/json_deserializer.h"
#include "service/v11_letter.h"

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

// A string token in the form v1.1 sends: "/" as "\/" and every character beyond ASCII as
// \u escapes (a pair of them beyond the first plane), the escapes v2 sent kept as they are.
// v2 sends UTF-8 with the least escaping; the record sets read v1.1's escapes (and the
// texts they clean say so), so the same text must reach them in v1.1's form.
void AppendV11Text(std::string& out, std::string_view value) {
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
        if (c == '\\' && k + 1 < end && bytes[k + 1] >= 0x80) {
            // A backslash before a letter beyond ASCII escapes nothing JSON knows: it goes,
            // and the letter is written as any other.
            ++k;
        } else if (c == '\\') {
            // An escape of v2 is one of v1.1 too; "\\" and "\/" included.
            out.append(value.data() + k, std::min<std::size_t>(2, end - k));
            k += 2;
        } else if (c == '/') {
            out += "\\/";
            ++k;
        } else {
            // The closing quote is never part of a letter.
            k += V11Letter::Append(out, value.substr(0, end - 1), k);
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

void V2Translator::AppendV11(std::string& out, std::string_view value) {
    AppendV11Text(out, value);
}

bool V2Translator::Read(std::string_view body) {
    m_authors.clear();
    m_quotedIds.clear();
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

std::optional<TweetSet::Page> V2Translator::TweetRecords(std::string_view body, bool searchLayout,
                                                         bool exactTexts) {
    m_postIds.clear();
    if (!Read(body)) return std::nullopt;
    TranslatedRecords records(exactTexts);
    TweetSet::Page page;
    for (std::string_view post : m_page.Data()) {
        if (Typed(post, Type::Object, "entry of data").empty()) continue;
        if (++m_written > JSONDeserializer::kMaxPageRecords) return std::nullopt;
        std::optional<TweetSet::Record> record = records.Tweet(GatherPost(post));
        if (!record) return std::nullopt;
        page.records.push_back(std::move(*record));
    }
    // An empty timeline page is "[]", too short for the reader to take as a page.
    page.readable = searchLayout || m_written > 0;
    return page;
}

// The fields the tweet set reads, in the order v1.1 writes them: a key the reader looks for
// first must come before any deeper key of the same name, as it does in v1.1.
TranslatedRecords::Post V2Translator::GatherPost(std::string_view post) {
    std::vector<std::string_view> v =
        m_page.Pick(post, {"id", "text", "created_at", "author_id", "entities", "geo", "public_metrics",
                           "note_tweet", "lang", "referenced_tweets"});
    TranslatedRecords::Post p;
    // An id as a JSON number (digits only) is still the post's id; v1.1 gives it as a text.
    const bool numericId = V2Page::TypeOf(v[0]) == Type::Number && Digits(v[0], 0, v[0].size());
    if (numericId) {
        std::string& quoted = m_quotedIds.emplace_back();
        quoted.reserve(v[0].size() + 2);
        quoted.push_back('"');
        quoted.append(v[0]);
        quoted.push_back('"');
        m_postIds.push_back(v[0]);
        v[0] = quoted;
    } else {
        v[0] = Typed(v[0], Type::String, "id");
        m_postIds.push_back(V2Page::Unquoted(v[0]));
    }
    v[1] = Typed(v[1], Type::String, "text");
    v[2] = Typed(v[2], Type::String, "created_at");
    v[3] = Typed(v[3], Type::String, "author_id");
    v[4] = Typed(v[4], Type::Object, "entities");
    v[5] = Typed(v[5], Type::Object, "geo");
    v[6] = Typed(v[6], Type::Object, "public_metrics");
    v[7] = Typed(v[7], Type::Object, "note_tweet");
    v[8] = Typed(v[8], Type::String, "lang");
    v[9] = Typed(v[9], Type::Array, "referenced_tweets");
    p.createdAt = ServiceTime(v[2]);
    p.id = Or(v[0], "\"\"");
    p.text = Or(WholeText(v[1], v[7]), "\"\"");
    p.urls = GatherUrls(v[4].empty() ? "" : Fields(v[4], {"urls"}, {Type::Array})[0], true);
    if (!v[3].empty()) p.author = Author(V2Page::Unquoted(v[3]));
    GatherGeo(p, v[5]);
    if (!v[9].empty()) GatherRetweeted(p, v[9]);
    p.retweetCount = Or(v[6].empty() ? "" : Fields(v[6], {"retweet_count"}, {Type::Number})[0], "0");
    p.lang = Or(v[8], kNull);
    return p;
}

void V2Translator::WritePost(std::string& out, std::string_view post) {
    const TranslatedRecords::Post p = GatherPost(post);
    out += "{\"created_at\":\"";
    out += p.createdAt;
    out += "\",\"id_str\":";
    AppendV11(out, p.id);
    out += ",\"text\":";
    AppendV11(out, p.text);
    out += ",\"entities\":{\"urls\":";
    WriteUrls(out, p.urls);
    out += '}';
    if (p.author) {
        out += ",\"user\":";
        WriteUser(out, *p.author);
    }
    if (!p.geo) {
        out += ",\"geo\":null,\"coordinates\":null,\"place\":null";
    } else {
        out += ",\"geo\":{\"type\":\"Point\",\"coordinates\":[";
        out.append(p.latitude).append(",").append(p.longitude);
        out += "]},\"coordinates\":{\"type\":\"Point\",\"coordinates\":[";
        out.append(p.longitude).append(",").append(p.latitude);
        out += "]},\"place\":null";
    }
    if (p.retweeted) {
        out += ",\"retweeted_status\":{\"text\":";
        AppendV11(out, p.retweetText);
        out += ",\"user\":{\"screen_name\":";
        AppendV11(out, p.retweetName);
        out += "}}";
    }
    out += ",\"retweet_count\":";
    AppendV11(out, p.retweetCount);
    out += ",\"lang\":";
    AppendV11(out, p.lang);
    if (m_extraFields) WriteExtraFields(out, post);
    out += '}';
}

// The fields of the extra columns after every other: no deeper object follows them, so the
// first of each name is the post's own.
void V2Translator::WriteExtraFields(std::string& out, std::string_view post) {
    const std::vector<std::string_view> own =
        Fields(post, {"conversation_id", "in_reply_to_user_id"}, {Type::String, Type::String});
    // Read once more here, past the post's other fields: a value of the wrong type was
    // counted as left out then, and is left out silently now.
    const std::vector<std::string_view> nested = m_page.Pick(post, {"public_metrics", "referenced_tweets"});
    const std::string_view metrics = V2Page::TypeOf(nested[0]) == Type::Object ? nested[0] : "";
    const std::string_view references = V2Page::TypeOf(nested[1]) == Type::Array ? nested[1] : "";
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
void V2Translator::GatherRetweeted(TranslatedRecords::Post& p, std::string_view references) {
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
        p.retweeted = true;
        p.retweetText = text;
        p.retweetName = name;
        return;
    }
}

const TranslatedRecords::User* V2Translator::Author(std::string_view authorId) {
    auto [slot, added] = m_authors.try_emplace(authorId);
    if (added) {
        const std::string_view user = m_page.IncludedUser(authorId);
        if (!user.empty()) slot->second = GatherUser(user);
    }
    return slot->second ? &*slot->second : nullptr;
}

std::vector<TranslatedRecords::Url> V2Translator::GatherUrls(std::string_view urls, bool skipMedia) {
    std::vector<TranslatedRecords::Url> links;
    if (urls.empty()) return links;
    for (std::string_view url : m_page.Elements(urls)) {
        if (Typed(url, Type::Object, "entry of urls").empty()) continue;
        const std::vector<std::string_view> v =
            Fields(url, {"url", "expanded_url", "display_url", "start", "end", "media_key"},
                   {Type::String, Type::String, Type::String, Type::Number, Type::Number, Type::String});
        // v1.1 gives a photo's link in the media entities, not among the links.
        if (skipMedia && !v[5].empty()) continue;
        links.push_back({Or(v[0], "\"\""), Or(v[1], kNull), Or(v[2], kNull), Or(v[3], "0"), Or(v[4], "0")});
    }
    return links;
}

void V2Translator::WriteUrls(std::string& out, const std::vector<TranslatedRecords::Url>& urls) {
    out += '[';
    bool first = true;
    for (const TranslatedRecords::Url& url : urls) {
        if (!first) out += ',';
        first = false;
        out += "{\"url\":";
        AppendV11(out, url.url);
        out += ",\"expanded_url\":";
        AppendV11(out, url.expanded);
        out += ",\"display_url\":";
        AppendV11(out, url.display);
        out += ",\"indices\":[";
        AppendV11(out, url.start);
        out += ',';
        AppendV11(out, url.end);
        out += "]}";
    }
    out += ']';
}

void V2Translator::GatherGeo(TranslatedRecords::Post& p, std::string_view geo) {
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
    if (point.size() != 2) return;
    p.geo = true;
    p.latitude = point[1];
    p.longitude = point[0];
}

TranslatedRecords::User V2Translator::GatherUser(std::string_view user) {
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
    TranslatedRecords::User u;
    std::string_view profileUrls;
    if (!v[6].empty()) {
        const std::string_view url = Fields(v[6], {"url"}, {Type::Object})[0];
        if (!url.empty()) profileUrls = Fields(url, {"urls"}, {Type::Array})[0];
    }
    u.hasProfileUrls = !profileUrls.empty();
    if (u.hasProfileUrls) u.profileUrls = GatherUrls(profileUrls, false);
    u.id = Or(v[0], "\"\"");
    u.name = Or(v[1], "\"\"");
    u.screenName = Or(v[2], "\"\"");
    u.location = Or(v[3], "\"\"");
    u.description = Or(v[4], "\"\"");
    u.url = V2Page::Absent(v[5]) ? kNull : v[5];
    u.isProtected = Or(v[7], "false");
    u.followers = Or(m[0], "0");
    u.friends = Or(m[1], "0");
    u.listed = Or(m[3], "0");
    u.createdAt = ServiceTime(v[9]);
    u.favourites = Or(m[4], kNull);
    u.verified = Or(v[10], "false");
    u.statuses = Or(m[2], "0");
    // v1.1's profile_image_url is the http address (its https twin is another field).
    u.image = Or(v[11], "\"\"");
    if (u.image.substr(0, 9) == "\"https://") {
        u.imageWasHttps = true;
        u.image.remove_prefix(9);
    }
    return u;
}

void V2Translator::WriteUser(std::string& out, std::string_view user) {
    WriteUser(out, GatherUser(user));
}

void V2Translator::WriteUser(std::string& out, const TranslatedRecords::User& u) {
    out += "{\"id_str\":";
    AppendV11(out, u.id);
    out += ",\"name\":";
    AppendV11(out, u.name);
    out += ",\"screen_name\":";
    AppendV11(out, u.screenName);
    out += ",\"location\":";
    AppendV11(out, u.location);
    out += ",\"description\":";
    AppendV11(out, u.description);
    out += ",\"url\":";
    AppendV11(out, u.url);
    out += ",\"entities\":{";
    if (u.hasProfileUrls) {
        out += "\"url\":{\"urls\":";
        WriteUrls(out, u.profileUrls);
        out += "},";
    }
    out += "\"description\":{\"urls\":[]}},\"protected\":";
    AppendV11(out, u.isProtected);
    out += ",\"followers_count\":";
    AppendV11(out, u.followers);
    out += ",\"friends_count\":";
    AppendV11(out, u.friends);
    out += ",\"listed_count\":";
    AppendV11(out, u.listed);
    out += ",\"created_at\":\"";
    out += u.createdAt;
    out += "\",\"favourites_count\":";
    AppendV11(out, u.favourites);
    out += ",\"utc_offset\":null,\"time_zone\":null,\"geo_enabled\":null,\"verified\":";
    AppendV11(out, u.verified);
    out += ",\"statuses_count\":";
    AppendV11(out, u.statuses);
    out += ",\"lang\":null,\"profile_background_image_url\":null,\"profile_image_url\":";
    if (u.imageWasHttps) out += "\"http://";
    AppendV11(out, u.image);
    out += '}';
}

}  // namespace marlin
