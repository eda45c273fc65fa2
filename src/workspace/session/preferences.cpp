#include "workspace/session/preferences.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/atomic_file.h"
#include "core/code_page.h"

namespace marlin {

namespace {

constexpr const char* kQueryTag = "QP-";
constexpr const char* kTimelineTag = "UP-";
constexpr const char* kLanguageTag = "LA-";
constexpr const char* kWidthsTag = "HW-";
constexpr const char* kWaitTag = "AW-";
constexpr const char* kRawTag = "RA-";
constexpr const char* kExactTextsTag = "ET-";
constexpr const char* kExtraColumnsTag = "EC-";
constexpr const char* kPaneTag = "SP-";
constexpr const char* kApiTag = "AV-";
constexpr const char* kArchiveTag = "FA-";
constexpr const char* kPriceTag = "PP-";
constexpr const char* kCrLf = "\r\n";
// Entries the plain lines cannot carry (see Preferences::Format).
constexpr const char* kEscapedQueryTag = "QX-";
constexpr const char* kEscapedTimelineTag = "UX-";

// Every byte outside printable ASCII, and "%" itself, as "%" and two hex digits, so the
// line is plain ASCII: one line, and the same in every code page.
std::string PercentEncode(const std::string& text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F || c == '%') {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0xF];
        } else {
            encoded += c;
        }
    }
    return encoded;
}

std::string PercentDecode(const std::string& text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            decoded += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

// True when the text is one line whose every character the single-byte code page holds.
bool PlainLineKeeps(const std::string& text) {
    return text.find_first_of("\r\n") == std::string::npos &&
           CodePage::FromWindows1252(CodePage::ToWindows1252(text)) == text;
}

std::vector<std::string> SplitAll(const std::string& text, const std::string& separator) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t at = text.find(separator); at != std::string::npos; at = text.find(separator, start)) {
        pieces.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

// Decimal numbers joined by "," with no comma at the end.
std::string JoinNumbers(const std::vector<int>& numbers) {
    std::string joined;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0) joined += ',';
        joined += std::to_string(numbers[i]);
    }
    return joined;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

std::optional<double> ParseNumber(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    double value = std::strtod(begin, &end);
    while (end && (*end == ' ' || *end == '\t')) ++end;
    if (end == begin || *end != '\0' || errno == ERANGE || !std::isfinite(value)) return std::nullopt;
    return value;
}

bool IsSpendingLine(const std::string& line) {
    for (const char* tag : {"LD-", "LM-", "PP-", "PU-", "PC-", "PF-"})
        if (StartsWith(line, tag)) return line.find_first_of("\r\n") == std::string::npos;
    return false;
}

}  // namespace

std::vector<Preferences::Line> Preferences::Parse(const std::string& text) {
    std::vector<Line> parsed;
    for (const std::string& line : SplitLines(text)) {
        std::string rest = line.size() >= 3 ? line.substr(3) : std::string();
        if (StartsWith(line, kQueryTag)) {
            parsed.push_back({Tag::Query, QueryLineToEntry(rest)});
        } else if (StartsWith(line, kTimelineTag)) {
            parsed.push_back({Tag::Timeline, rest});
        } else if (StartsWith(line, kLanguageTag)) {
            parsed.push_back({Tag::Language, rest});
        } else if (StartsWith(line, kWidthsTag)) {
            parsed.push_back({Tag::Widths, rest});
        } else if (StartsWith(line, kEscapedQueryTag)) {
            parsed.push_back({Tag::Query, PercentDecode(rest)});
        } else if (StartsWith(line, kEscapedTimelineTag)) {
            parsed.push_back({Tag::Timeline, PercentDecode(rest)});
        } else if (StartsWith(line, kWaitTag)) {
            parsed.push_back({Tag::WaitForQuota, rest});
        } else if (StartsWith(line, kRawTag)) {
            parsed.push_back({Tag::KeepRaw, rest});
        } else if (StartsWith(line, kExactTextsTag)) {
            parsed.push_back({Tag::ExactTexts, rest});
        } else if (StartsWith(line, kExtraColumnsTag)) {
            parsed.push_back({Tag::ExtraColumns, rest});
        } else if (StartsWith(line, kPaneTag)) {
            parsed.push_back({Tag::PaneSizes, rest});
        } else if (StartsWith(line, kApiTag)) {
            parsed.push_back({Tag::ServiceApi, rest});
        } else if (StartsWith(line, kArchiveTag)) {
            parsed.push_back({Tag::FullArchive, rest});
        } else if (StartsWith(line, kPriceTag)) {
            parsed.push_back({Tag::PricePerPost, rest});
        } else if (IsSpendingLine(line)) {
            parsed.push_back({Tag::Spending, line});
        }
    }
    return parsed;
}

std::string Preferences::Format(const std::vector<std::string>& queryHistory,
                                const std::vector<std::string>& timelineHistory,
                                const std::string& searchLang, const std::vector<int>& columnWidths) {
    return Format(queryHistory, timelineHistory, searchLang, columnWidths, Switches{});
}

std::string Preferences::Format(const std::vector<std::string>& queryHistory,
                                const std::vector<std::string>& timelineHistory,
                                const std::string& searchLang, const std::vector<int>& columnWidths,
                                const Switches& switches, const std::vector<PaneSizes>& panes) {
    std::string text;
    for (const auto& entry : queryHistory) {
        const std::string line = QueryEntryToLine(entry);
        if (PlainLineKeeps(entry) && QueryLineToEntry(line) == entry) {
            text += kQueryTag + line + kCrLf;
        } else {
            text += kEscapedQueryTag + PercentEncode(entry) + kCrLf;
        }
    }
    for (const auto& file : timelineHistory) {
        if (PlainLineKeeps(file)) {
            text += kTimelineTag + file + kCrLf;
        } else {
            text += kEscapedTimelineTag + PercentEncode(file) + kCrLf;
        }
    }
    text += kLanguageTag + searchLang + kCrLf;
    text += kWidthsTag + JoinNumbers(columnWidths) + kCrLf;
    if (switches.waitForQuota) text += std::string(kWaitTag) + "1" + kCrLf;
    if (switches.keepRaw) text += std::string(kRawTag) + "1" + kCrLf;
    if (switches.exactTexts) text += std::string(kExactTextsTag) + "1" + kCrLf;
    if (switches.extraColumns) text += std::string(kExtraColumnsTag) + "1" + kCrLf;
    if (switches.apiV2) text += std::string(kApiTag) + "2" + kCrLf;
    if (switches.bluesky) text += std::string(kApiTag) + "bluesky" + kCrLf;
    if (switches.fullArchive) text += std::string(kArchiveTag) + "1" + kCrLf;
    if (switches.pricePerPost) {
        char price[32];
        const auto written = std::to_chars(price, price + sizeof price, *switches.pricePerPost);
        text += kPriceTag + std::string(price, written.ptr) + kCrLf;
    }
    for (const std::string& line : switches.spendingLines)
        if (IsSpendingLine(line)) text += line + kCrLf;
    for (const PaneSizes& pane : panes) {
        text += kPaneTag + pane.name + ":" + JoinNumbers(pane.sizes) + kCrLf;
    }
    return text;
}

std::string Preferences::QueryEntryToLine(const std::string& entry) {
    std::string line;
    for (std::size_t i = 0; i < entry.size(); ++i) {
        if (entry[i] == ' ' && i + 1 < entry.size() && entry[i + 1] == ' ') {
            line += ',';
            ++i;
        } else {
            line += entry[i];
        }
    }
    return line;
}

std::string Preferences::QueryLineToEntry(const std::string& body) {
    std::vector<std::string> pieces = SplitAll(body, ",");
    return pieces[0] + "  " + (pieces.size() > 1 ? pieces[1] : std::string());
}

std::pair<std::string, std::string> Preferences::SplitQueryEntry(const std::string& entry) {
    if (const auto at = entry.find("  /"); at != std::string::npos)
        return {entry.substr(0, at), entry.substr(at + 2)};
    std::vector<std::string> pieces = SplitAll(entry, "  ");
    return {pieces[0], pieces.size() > 1 ? pieces[1] : std::string()};
}

std::optional<std::vector<int>> Preferences::ParseWidths(const std::string& body, int columns) {
    std::vector<std::string> pieces = SplitAll(body, ",");
    if (static_cast<int>(pieces.size()) < columns) return std::nullopt;
    std::vector<int> widths;
    for (int i = 0; i < columns; ++i) {
        std::optional<double> value = ParseNumber(pieces[i]);
        if (!value || *value < 0 || *value > 1e9) return std::nullopt;
        widths.push_back(static_cast<int>(std::nearbyint(*value)));
    }
    return widths;
}

std::optional<Preferences::PaneSizes> Preferences::ParsePaneSizes(const std::string& body) {
    const std::size_t colon = body.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == body.size()) return std::nullopt;
    const std::string numbers = body.substr(colon + 1);
    const auto count = std::count(numbers.begin(), numbers.end(), ',') + 1;
    std::optional<std::vector<int>> sizes = ParseWidths(numbers, static_cast<int>(count));
    if (!sizes) return std::nullopt;
    return PaneSizes{body.substr(0, colon), std::move(*sizes)};
}

std::optional<std::vector<Preferences::Line>> Preferences::Read(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return Parse(CodePage::FromWindows1252(bytes.str()));
}

bool Preferences::Write(const std::filesystem::path& file, const std::string& text) {
    return AtomicFile::Write(file, CodePage::ToWindows1252(text));
}

}  // namespace marlin
