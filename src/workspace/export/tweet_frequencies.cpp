#include "workspace/export/tweet_frequencies.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "core/archive_references.h"
#include "core/code_page.h"
#include "core/skd_funcs.h"
#include "core/tweet_column.h"
#include "platform/blank_trim.h"
#include "workspace/export/network_export.h"
#include "workspace/export/post_words.h"
#include "workspace/tables/tweet_time.h"

namespace marlin {
namespace {

constexpr long long kHour = 3600;
constexpr long long kDay = 86400;
constexpr std::size_t kKinds = TweetFrequencies::kKinds;

long long Floor(long long value, long long width) {
    const long long q = value / width;
    return (value % width < 0 ? q - 1 : q) * width;
}

// 0 for Monday; 1 January 1970 was a Thursday.
long long WeekdayOf(long long day) {
    return ((day + 3) % 7 + 7) % 7;
}

// The start of the interval that holds a moment: the interval's key.
long long IntervalStart(long long seconds, TweetFrequencies::Interval by) {
    switch (by) {
        case TweetFrequencies::Interval::Whole:
            return 0;
        case TweetFrequencies::Interval::Hour:
            return Floor(seconds, kHour);
        case TweetFrequencies::Interval::Day:
            return Floor(seconds, kDay);
        case TweetFrequencies::Interval::Week: {
            const long long day = Floor(seconds, kDay) / kDay;
            return (day - WeekdayOf(day)) * kDay;
        }
    }
    return 0;
}

bool Score(std::string_view cell, double& value) {
    const std::string_view text = TrimBlanks(cell);
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

bool AsciiWordCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Letters of other scripts continue a hashtag; punctuation, symbols and emoji end it (a
// truncated text ends "#data…").
bool HashtagCodePoint(char32_t c) {
    if (c < 0x80) return AsciiWordCharacter(static_cast<char>(c));
    if (c == 0xFFFD || (c >= 0x2000 && c <= 0x2BFF) || (c >= 0x3000 && c <= 0x303F)) return false;
    if ((c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF0F) || (c >= 0xFF1A && c <= 0xFF20))
        return false;
    if (c >= 0x1F000 || c == 0xA0 || (c >= 0xA1 && c <= 0xBF) || c == 0xD7 || c == 0xF7) return false;
    return true;
}

// The small letter of a capital of the Latin, Greek and Cyrillic alphabets (other
// characters as they are), so that "#Données", "#ΕΛΛΑΔΑ" and "#Данные" fold as "#data" does.
char32_t SmallLetter(char32_t code) {
    // Latin-1 (À to Þ but ×), Greek (Α to Ϋ but the gap at U+03A2) and Cyrillic А to Я: 32 below.
    if ((code >= 0xC0 && code <= 0xDE && code != 0xD7) || (code >= 0x391 && code <= 0x3AB && code != 0x3A2) ||
        (code >= 0x410 && code <= 0x42F))
        return code + 32;
    if (code >= 0x400 && code <= 0x40F) return code + 80;  // Ѐ to Џ
    // Latin Extended-A pairs capital and small letter, capital first (Ā ā … Ž ž), with the
    // dotted İ, ı, ĸ and ŉ, which have no pair of that kind, standing in the way.
    if ((code >= 0x100 && code <= 0x12F) || (code >= 0x132 && code <= 0x137) ||
        (code >= 0x14A && code <= 0x177))
        return code % 2 == 0 ? code + 1 : code;
    if ((code >= 0x139 && code <= 0x148) || (code >= 0x179 && code <= 0x17E))
        return code % 2 == 1 ? code + 1 : code;
    if (code == 0x178) return 0xFF;  // Ÿ
    return code;
}

// One (interval, item, author) use: a tweet uses an item once. The post's scores go with it.
struct Use {
    int interval, item, author;
    float positive = 0, negative = 0;
    bool scored = false;
    bool operator<(const Use& other) const {
        return std::tie(interval, item, author) < std::tie(other.interval, other.item, other.author);
    }
    bool operator==(const Use& other) const {
        return interval == other.interval && item == other.item && author == other.author;
    }
};

class Counter {
  public:
    int IndexOf(std::string_view text, std::unordered_map<std::string, int>& index,
                std::vector<std::string>& names) {
        m_key.assign(text);
        const auto [found, added] = index.try_emplace(m_key, static_cast<int>(names.size()));
        if (added) names.push_back(m_key);
        return found->second;
    }

  private:
    std::string m_key;
};

struct Tally {
    std::unordered_map<std::string, int> index;
    std::vector<std::string> names;
    std::vector<Use> uses;
};

struct IntervalSums {
    TweetFrequencies::Summary summary;
    double positive = 0, negative = 0;
    int scored = 0;
};

}  // namespace

std::string TweetFrequencies::Lower(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        if (c < 0x80) {
            out += c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : static_cast<char>(c);
            ++at;
            continue;
        }
        CodePage::AppendUtf8(out, SmallLetter(CodePage::NextCodePoint(text, at)));
    }
    return out;
}

std::string TweetFrequencies::Handle(std::string_view name) {
    // Built in steps: GCC 12 warns of a false overlap in the one-expression form.
    std::string handle = "@";
    handle += Lower(TrimBlanks(name));
    return handle;
}

std::vector<std::string_view> TweetFrequencies::Hashtags(std::string_view text) {
    std::vector<std::string_view> found;
    for (std::size_t at = text.find('#'); at != std::string_view::npos; at = text.find('#', at + 1)) {
        // "&#39;" and "a#b" are not hashtags.
        if (at > 0 && (AsciiWordCharacter(text[at - 1]) || text[at - 1] == '&')) continue;
        std::size_t end = at + 1;
        bool letter = false;
        while (end < text.size()) {
            std::size_t next = end;
            const char32_t code = CodePage::NextCodePoint(text, next);
            if (!HashtagCodePoint(code)) break;
            letter = letter || code < '0' || code > '9';
            end = next;
        }
        // A hashtag holds more than digits ("#1" is a number).
        if (end > at + 1 && letter) found.push_back(text.substr(at, end - at));
    }
    return found;
}

std::string TweetFrequencies::Domain(std::string_view link) {
    link = TrimBlanks(link);
    if (const std::size_t scheme = link.find("://"); scheme != std::string_view::npos)
        link.remove_prefix(scheme + 3);
    link = link.substr(0, link.find_first_of("/?#"));
    if (const std::size_t user = link.rfind('@'); user != std::string_view::npos)
        link.remove_prefix(user + 1);
    link = link.substr(0, link.find(':'));
    std::string host = Lower(link);
    if (host.starts_with("www.")) host.erase(0, 4);
    while (host.ends_with('.')) host.pop_back();
    return host;
}

std::string TweetFrequencies::IntervalName(long long seconds, Interval by) {
    const std::string iso = TweetTime::Iso(seconds);
    switch (by) {
        case Interval::Whole:
            return "all";
        case Interval::Hour:
            return iso.substr(0, 13);
        case Interval::Day:
            return iso.substr(0, 10);
        case Interval::Week: {
            // The ISO week belongs to the year of its Thursday.
            const long long day = Floor(seconds, kDay) / kDay;
            const long long thursday = day - WeekdayOf(day) + 3;
            const int year = std::stoi(TweetTime::Iso(thursday * kDay).substr(0, 4));
            const long long januaryFirst =
                SKDFuncs::SecondsNumber(SKDFuncs::DateValue{year, 1, 1, 0, 0, 0}) / kDay;
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "%04d-W%02d", year,
                          static_cast<int>((thursday - januaryFirst) / 7 + 1));
            return buffer;
        }
    }
    return iso;
}

TweetFrequencies TweetFrequencies::FromTable(const ReportList& tweets, Interval by) {
    return FromTable(tweets, by, Options{});
}

TweetFrequencies TweetFrequencies::FromTable(const ReportList& tweets, Interval by, const Options& options) {
    return *FromRows(RowSource::OfTable(tweets), by, options);
}

std::optional<TweetFrequencies> TweetFrequencies::FromRows(const RowSource::EachRow& eachRow, Interval by,
                                                           const Options& options) {
    TweetFrequencies result;
    result.m_words = options.words;
    std::unordered_map<long long, int> intervalIndex;
    std::vector<long long> intervalStarts;
    std::unordered_map<std::string, int> authorIndex;
    std::vector<std::string> authorNames;
    Tally tallies[kKinds];
    std::vector<IntervalSums> sums;
    std::vector<Use> intervalAuthors;
    Counter counter;
    std::vector<std::string> found;
    const auto LanguageOf = [&](const RowSource::CellOf& cell) -> std::string_view {
        if (!options.archive) return {};
        const ArchiveReferences::Post* post = options.archive->Find(TrimBlanks(cell(TweetColumn::TweetID)));
        return post ? std::string_view(post->lang) : std::string_view();
    };

    Use scores;  // the row's
    const auto record = [&](Kind kind, int interval, int author, const std::vector<std::string>& items) {
        Tally& tally = tallies[static_cast<std::size_t>(kind)];
        for (const std::string& item : items)
            tally.uses.push_back({interval, counter.IndexOf(item, tally.index, tally.names), author,
                                  scores.positive, scores.negative, scores.scored});
    };
    const auto unique = [&found] {
        std::sort(found.begin(), found.end());
        found.erase(std::unique(found.begin(), found.end()), found.end());
    };

    const bool whole = eachRow([&](const RowSource::CellOf& cell) {
        const std::optional<long long> time = TweetTime::Seconds(cell(TweetColumn::DateTime));
        if (!time) {
            ++result.m_undated;
            return;
        }
        const long long start = IntervalStart(*time, by);
        const auto [slot, added] = intervalIndex.try_emplace(start, static_cast<int>(intervalStarts.size()));
        if (added) {
            intervalStarts.push_back(start);
            sums.emplace_back();
        }
        const int interval = slot->second;
        const std::string authorName = Handle(cell(TweetColumn::UserScreenName));
        const int author = counter.IndexOf(authorName, authorIndex, authorNames);
        const std::string_view text = cell(TweetColumn::Tweet);
        IntervalSums& sum = sums[static_cast<std::size_t>(interval)];
        ++sum.summary.tweets;
        intervalAuthors.push_back({interval, 0, author});
        double positive = 0, negative = 0;
        scores.scored = Score(cell(TweetColumn::SentPositive), positive) &&
                        Score(cell(TweetColumn::SentNegative), negative);
        scores.positive = static_cast<float>(positive);
        scores.negative = static_cast<float>(negative);
        if (scores.scored) {
            sum.positive += positive;
            sum.negative += negative;
            ++sum.scored;
        }

        found.clear();
        for (const std::string_view tag : Hashtags(text)) found.push_back(Lower(tag));
        unique();
        sum.summary.withHashtags += found.empty() ? 0 : 1;
        record(Kind::Hashtags, interval, author, found);

        found.clear();
        for (const NetworkExport::Mention& mention : NetworkExport::Mentions(text))
            found.push_back(Handle(mention.name));
        unique();
        sum.summary.withMentions += found.empty() ? 0 : 1;
        record(Kind::Mentions, interval, author, found);

        record(Kind::Authors, interval, author, {authorName});

        found.clear();
        const std::string domain = Domain(cell(TweetColumn::LinkURL));
        if (!domain.empty()) found.push_back(domain);
        sum.summary.withLinks += found.empty() ? 0 : 1;
        record(Kind::Domains, interval, author, found);

        sum.summary.retweets += TrimBlanks(text).starts_with("RT @") ? 1 : 0;
        if (options.words) record(Kind::Words, interval, author, PostWords::Of(text, LanguageOf(cell)));
    });
    if (!whole) return std::nullopt;

    // Intervals in time order: rank[i] is the place of interval i.
    std::vector<int> order(intervalStarts.size());
    for (std::size_t k = 0; k < order.size(); ++k) order[k] = static_cast<int>(k);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return intervalStarts[static_cast<std::size_t>(a)] < intervalStarts[static_cast<std::size_t>(b)];
    });
    std::vector<int> rank(order.size());
    std::vector<std::string> names(order.size());
    for (std::size_t place = 0; place < order.size(); ++place) {
        const auto interval = static_cast<std::size_t>(order[place]);
        rank[interval] = static_cast<int>(place);
        names[interval] = IntervalName(intervalStarts[interval], by);
    }

    std::sort(intervalAuthors.begin(), intervalAuthors.end());
    intervalAuthors.erase(std::unique(intervalAuthors.begin(), intervalAuthors.end()), intervalAuthors.end());
    for (const Use& use : intervalAuthors) ++sums[static_cast<std::size_t>(use.interval)].summary.authors;
    for (const int interval : order) {
        IntervalSums& sum = sums[static_cast<std::size_t>(interval)];
        sum.summary.interval = names[static_cast<std::size_t>(interval)];
        if (sum.scored > 0) {
            sum.summary.meanPositive = sum.positive / sum.scored;
            sum.summary.meanNegative = sum.negative / sum.scored;
        }
        result.m_summaries.push_back(sum.summary);
    }

    for (std::size_t kind = 0; kind < kKinds; ++kind) {
        Tally& tally = tallies[kind];
        std::sort(tally.uses.begin(), tally.uses.end());
        std::vector<std::pair<int, Item>> items;  // the interval's place, the item
        for (std::size_t at = 0; at < tally.uses.size();) {
            const Use& first = tally.uses[at];
            Item item{names[static_cast<std::size_t>(first.interval)],
                      tally.names[static_cast<std::size_t>(first.item)]};
            int lastAuthor = -1;
            int scored = 0;
            for (; at < tally.uses.size() && tally.uses[at].interval == first.interval &&
                   tally.uses[at].item == first.item;
                 ++at) {
                const Use& use = tally.uses[at];
                ++item.count;
                if (use.author != lastAuthor) ++item.users;
                lastAuthor = use.author;
                if (!use.scored) continue;
                ++scored;
                item.meanPositive += use.positive;
                item.meanNegative += use.negative;
            }
            if (scored > 0) {
                item.meanPositive /= scored;
                item.meanNegative /= scored;
            }
            items.emplace_back(rank[static_cast<std::size_t>(first.interval)], std::move(item));
        }
        std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
            if (a.first != b.first) return a.first < b.first;
            if (a.second.count != b.second.count) return a.second.count > b.second.count;
            return a.second.item < b.second.item;
        });
        result.m_items[kind].reserve(items.size());
        for (auto& [place, item] : items) result.m_items[kind].push_back(std::move(item));
    }
    return result;
}

std::vector<TweetFrequencies::Item> TweetFrequencies::Top(Kind kind, int top) const {
    std::vector<Item> out;
    int taken = 0;
    const std::string* interval = nullptr;
    for (const Item& item : Items(kind)) {
        if (!interval || *interval != item.interval) {
            interval = &item.interval;
            taken = 0;
        }
        if (taken++ < top) out.push_back(item);
    }
    return out;
}

const char* TweetFrequencies::KindName(Kind kind) {
    static constexpr std::pair<Kind, const char*> kNames[] = {{Kind::Hashtags, "hashtags"},
                                                              {Kind::Mentions, "mentions"},
                                                              {Kind::Authors, "authors"},
                                                              {Kind::Domains, "domains"},
                                                              {Kind::Words, "words"}};
    for (const auto& [known, name] : kNames)
        if (known == kind) return name;
    return "";
}

}  // namespace marlin
