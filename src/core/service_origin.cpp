#include "core/service_origin.h"

#include <fstream>
#include <string>

#include "core/tweet_column.h"

namespace marlin {

namespace {

// Enough of a file to find its first records: the service is asked before a capture, and a file of
// gigabytes is not read for it.
constexpr std::size_t kHeadBytes = std::size_t{1} << 20;

std::string_view Field(std::string_view line, int index) {
    std::size_t start = 0;
    for (int k = 0; k < index; ++k) {
        start = line.find('\t', start);
        if (start == std::string_view::npos) return {};
        ++start;
    }
    const std::size_t end = line.find('\t', start);
    return line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '"')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '"'))
        text.remove_suffix(1);
    return text;
}

}  // namespace

ServiceOrigin::Service ServiceOrigin::OfTableLine(std::string_view line) {
    const std::string_view link = Trimmed(Field(line, TweetColumn::LinkURL));
    if (link.empty() || link == "LinkURL") return Service::Unknown;
    return link.starts_with("https://bsky.app/") ? Service::Bluesky : Service::X;
}

ServiceOrigin::Service ServiceOrigin::OfArchiveLine(std::string_view line) {
    if (line.find("\"uri\":\"at://") != std::string_view::npos ||
        line.find("\"did\":\"did:") != std::string_view::npos)
        return Service::Bluesky;
    if (line.find("\"id_str\"") != std::string_view::npos || line.find("\"id\"") != std::string_view::npos)
        return Service::X;
    return Service::Unknown;
}

ServiceOrigin::Service ServiceOrigin::OfUserListLine(std::string_view line) {
    const std::string_view id = Trimmed(Field(line, 0));
    if (id.empty()) return Service::Unknown;
    if (id.starts_with("did:")) return Service::Bluesky;
    for (const char c : id)
        if (c < '0' || c > '9') return Service::Unknown;  // a plain list of names: no service
    return Field(line, 1).empty() ? Service::Unknown : Service::X;
}

ServiceOrigin::Service ServiceOrigin::OfFile(const std::filesystem::path& file, FileKind kind) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return Service::Unknown;
    std::string head(kHeadBytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    std::string_view rest(head);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        // A line cut off by the head's end is not judged: its fields may be missing.
        if (end == std::string_view::npos && head.size() == kHeadBytes) break;
        const std::string_view line = rest.substr(0, end);
        const Service service = kind == FileKind::TweetTable ? OfTableLine(line)
                                : kind == FileKind::Archive  ? OfArchiveLine(line)
                                                             : OfUserListLine(line);
        if (service != Service::Unknown) return service;
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    return Service::Unknown;
}

const char* ServiceOrigin::Name(Service service) {
    switch (service) {
        case Service::X:
            return "X";
        case Service::Bluesky:
            return "Bluesky";
        case Service::Unknown:
            break;
    }
    return "";
}

}  // namespace marlin
