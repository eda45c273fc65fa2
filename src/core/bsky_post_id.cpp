#include "core/bsky_post_id.h"

#include <cstdio>
#include <ctime>

namespace marlin {

namespace {

constexpr int64_t kDayMs = 86400000;
constexpr int64_t kClockSlackMs = 5 * 60000;

bool Digits(std::string_view text, std::size_t from, std::size_t count, int& value) {
    if (text.size() < from + count) return false;
    value = 0;
    for (std::size_t k = from; k < from + count; ++k) {
        if (text[k] < '0' || text[k] > '9') return false;
        value = value * 10 + (text[k] - '0');
    }
    return true;
}

struct Civil {
    int year, month, day, hour, minute, second, milli, weekday;
};

Civil CivilFromMs(int64_t ms) {
    int64_t days = ms / kDayMs;
    int64_t rest = ms % kDayMs;
    if (rest < 0) rest += kDayMs, --days;
    Civil c{};
    c.weekday = static_cast<int>(((days % 7) + 7 + 4) % 7);  // 1 January 1970 was a Thursday
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    c.day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    c.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    c.year = static_cast<int>(yearOfEra + era * 400 + (c.month <= 2 ? 1 : 0));
    c.hour = static_cast<int>(rest / 3600000);
    c.minute = static_cast<int>(rest / 60000 % 60);
    c.second = static_cast<int>(rest / 1000 % 60);
    c.milli = static_cast<int>(rest % 1000);
    return c;
}

}  // namespace

std::optional<int64_t> BskyPostId::ParseIso(std::string_view t) {
    int year, month, day, hour, minute, second;
    if (!Digits(t, 0, 4, year) || t.size() < 19 || t[4] != '-' || !Digits(t, 5, 2, month) || t[7] != '-' ||
        !Digits(t, 8, 2, day) || (t[10] != 'T' && t[10] != 't' && t[10] != ' ') || !Digits(t, 11, 2, hour) ||
        t[13] != ':' || !Digits(t, 14, 2, minute) || t[16] != ':' || !Digits(t, 17, 2, second))
        return std::nullopt;
    static constexpr int kMonthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || day > kMonthDays[month - 1] || hour > 23 || minute > 59 ||
        second > 60)
        return std::nullopt;
    std::size_t at = 19;
    int64_t ms = 0;
    if (at < t.size() && t[at] == '.') {
        int64_t scale = 100;
        std::size_t digits = 0;
        for (++at; at < t.size() && t[at] >= '0' && t[at] <= '9'; ++at, ++digits, scale /= 10)
            ms += (t[at] - '0') * scale;
        if (digits == 0) return std::nullopt;
    }
    int64_t offsetMs = 0;
    const std::string_view zone = t.substr(at);
    int zoneHours, zoneMinutes;
    if (zone == "Z" || zone == "z") {
    } else if (zone.size() == 6 && (zone[0] == '+' || zone[0] == '-') && Digits(zone, 1, 2, zoneHours) &&
               zone[3] == ':' && Digits(zone, 4, 2, zoneMinutes)) {
        offsetMs = (zoneHours * 60 + zoneMinutes) * 60000LL * (zone[0] == '+' ? 1 : -1);
    } else {
        return std::nullopt;
    }
    std::tm civil{};
    civil.tm_year = year - 1900;
    civil.tm_mon = month - 1;
    civil.tm_mday = day;
    civil.tm_hour = hour;
    civil.tm_min = minute;
    civil.tm_sec = second;
    return static_cast<int64_t>(timegm(&civil)) * 1000 + ms - offsetMs;
}

std::optional<int64_t> BskyPostId::SortAtMs(std::string_view createdAt, std::string_view indexedAt,
                                            int64_t nowMs) {
    std::optional<int64_t> created = ParseIso(createdAt);
    if (created && (*created < kEpochMs || *created > nowMs + kClockSlackMs)) created.reset();
    std::optional<int64_t> indexed = ParseIso(indexedAt);
    if (indexed && *indexed < kEpochMs) indexed.reset();
    if (created && indexed) return std::min(*created, *indexed);
    return created ? created : indexed;
}

std::string BskyPostId::Id(int64_t sortAtMs, std::string_view uri) {
    // FNV-1a: the same in every build, so an id read back from a file is the id made today.
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : uri) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    const uint64_t time = static_cast<uint64_t>(std::max<int64_t>(0, sortAtMs - kEpochMs));
    return std::to_string(time << kKeyBits | (hash & ((uint64_t{1} << kKeyBits) - 1)));
}

std::optional<int64_t> BskyPostId::TimeOfId(std::string_view id) {
    if (id.empty() || id.size() > 19) return std::nullopt;
    uint64_t value = 0;
    for (const char c : id) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return static_cast<int64_t>(value >> kKeyBits) + kEpochMs;
}

std::string BskyPostId::UntilFor(std::string_view oldestId) {
    const std::optional<int64_t> ms = TimeOfId(oldestId);
    return ms ? Iso(*ms + 1) : std::string();
}

std::string BskyPostId::SinceFor(std::string_view newestId) {
    const std::optional<int64_t> ms = TimeOfId(newestId);
    return ms ? Iso(*ms) : std::string();
}

std::string BskyPostId::Iso(int64_t ms) {
    const Civil c = CivilFromMs(ms);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", c.year, c.month, c.day, c.hour,
                  c.minute, c.second, c.milli);
    return text;
}

std::string BskyPostId::ServiceTime(int64_t ms) {
    static const char kDays[] = "SunMonTueWedThuFriSat";
    static const char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    const Civil c = CivilFromMs(ms);
    char text[64];
    std::snprintf(text, sizeof text, "%.3s %.3s %02d %02d:%02d:%02d +0000 %04d", kDays + c.weekday * 3,
                  kMonths + (c.month - 1) * 3, c.day, c.hour, c.minute, c.second, c.year);
    return text;
}

}  // namespace marlin
