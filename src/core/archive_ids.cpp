#include "core/archive_ids.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include <simdjson.h>

#include "core/bsky_archive_lines.h"

namespace marlin {

namespace {

constexpr std::size_t kBlockBytes = std::size_t{4} << 20;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The top-level id read straight off the text: "id_str", or in a line of the other
// dialect (which has none) the string "id". The service puts the id near the start of
// every object, so a line costs a few dozen bytes of scanning; anything unusual (an
// escape in the value, a key nested oddly) is left to the full parser.
enum class Scan { Found, Absent, Unsure };

// The string value after a key that ends at `k`; Unsure when it is not a plain string.
Scan StringAfter(std::string_view line, std::size_t k, std::string& value) {
    while (k < line.size() && IsBlank(line[k])) ++k;
    if (k >= line.size() || line[k] != ':') return Scan::Unsure;
    ++k;
    while (k < line.size() && IsBlank(line[k])) ++k;
    if (k >= line.size() || line[k] != '"') return Scan::Absent;  // a number: not the string id
    const std::size_t end = line.find_first_of("\"\\", k + 1);
    if (end == std::string_view::npos || line[end] != '"') return Scan::Unsure;
    value.assign(line.substr(k + 1, end - k - 1));
    return Scan::Found;
}

// After "id_str", the keys of the other services' lines in the order they are tried: a v2 object's
// "id", a Bluesky post's "uri", a Bluesky profile's "did".
constexpr std::string_view kOtherKeys[] = {"\"id\"", "\"uri\"", "\"did\""};

Scan ScanId(std::string_view line, std::string& id) {
    constexpr std::string_view kIdStr = "\"id_str\"";
    constexpr std::string_view kReason = "\"reason\"";
    Scan other[3] = {Scan::Absent, Scan::Absent, Scan::Absent};
    std::string values[3];
    bool repost = false;
    int depth = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '{' || c == '[') {
            ++depth;
        } else if (c == '}' || c == ']') {
            --depth;
        } else if (c == '"') {
            if (depth == 1 && line.substr(i, kIdStr.size()) == kIdStr) {
                const Scan found = StringAfter(line, i + kIdStr.size(), id);
                return found == Scan::Absent ? Scan::Unsure : found;
            }
            for (int k = 0; k < 3; ++k)
                if (depth == 1 && other[k] == Scan::Absent &&
                    line.substr(i, kOtherKeys[k].size()) == kOtherKeys[k])
                    other[k] = StringAfter(line, i + kOtherKeys[k].size(), values[k]);
            repost = repost || (depth == 1 && line.substr(i, kReason.size()) == kReason);
            // Past the string, escapes included.
            for (++i; i < line.size() && line[i] != '"'; ++i)
                if (line[i] == '\\') ++i;
        }
    }
    // A feed item with a repost is known by the repost's key, which lies deeper.
    if (repost) return Scan::Unsure;
    for (int k = 0; k < 3; ++k) {
        if (other[k] == Scan::Absent) continue;
        if (other[k] == Scan::Found) id = values[k];
        return other[k];
    }
    return Scan::Absent;
}

}  // namespace

std::optional<std::string> ArchiveIds::LineId(std::string_view line) {
    std::string id;
    switch (ScanId(line, id)) {
        case Scan::Found:
            return id;
        case Scan::Absent:
            return std::nullopt;
        case Scan::Unsure:
            break;
    }
    simdjson::ondemand::parser parser;
    const simdjson::padded_string padded(line);
    simdjson::ondemand::document document;
    simdjson::ondemand::object object;
    std::string_view value;
    if (parser.iterate(padded).get(document) != simdjson::SUCCESS ||
        document.get_object().get(object) != simdjson::SUCCESS)
        return std::nullopt;
    if (object.find_field_unordered("reason").error() == simdjson::SUCCESS) {
        BskyPage page;
        if (!page.Read(line)) return std::nullopt;
        const std::vector<std::string_view> parts = page.Pick(page.Top(), {"post", "reason"});
        return BskyArchiveLines::RepostKey(page, parts[1], parts[0]);
    }
    for (const char* key : {"id_str", "id", "uri", "did"})
        if (object.reset().error() == simdjson::SUCCESS &&
            object.find_field_unordered(key).get_string().get(value) == simdjson::SUCCESS)
            return std::string(value);
    return std::nullopt;
}

void ArchiveIds::LearnLine(std::string_view line) {
    if (line.empty()) return;
    if (std::optional<std::string> id = LineId(line)) m_ids.Insert(*id);
}

bool ArchiveIds::Learn(int fd, std::uint64_t from, std::uint64_t& end) {
    std::vector<char> block(kBlockBytes);
    std::string carry;  // the start of a line that runs on into the next block
    std::uint64_t at = from;
    for (;;) {
        const ssize_t got = ::pread(fd, block.data(), block.size(), static_cast<off_t>(at));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) break;
        at += static_cast<std::uint64_t>(got);
        std::string_view rest(block.data(), static_cast<std::size_t>(got));
        for (const char* newline;
             (newline = static_cast<const char*>(std::memchr(rest.data(), '\n', rest.size())));) {
            const std::size_t length = static_cast<std::size_t>(newline - rest.data());
            if (carry.empty()) {
                LearnLine(rest.substr(0, length));
            } else {
                carry.append(rest.substr(0, length));
                LearnLine(carry);
                carry.clear();
            }
            rest.remove_prefix(length + 1);
        }
        carry.append(rest);
    }
    // A last line without its line end is a page cut short by a crash: its objects are
    // whole JSON or nothing, and the next page starts on a line of its own.
    LearnLine(carry);
    if (at > from) m_cutLine = !carry.empty();
    end = at;
    return true;
}

}  // namespace marlin
