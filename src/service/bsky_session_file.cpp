#include "service/bsky_session_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "core/atomic_file.h"
#include "core/bounded_file.h"
#include "service/enc64.h"

namespace marlin {

namespace {

constexpr std::size_t kMaxBytes = std::size_t{64} << 10;
constexpr int kParts = 5;

}  // namespace

std::optional<BskySessionFile::Stored> BskySessionFile::Read() const {
    std::string error;
    const std::optional<std::string> bytes = BoundedFile::Read(m_path, kMaxBytes, &error);
    if (!bytes) return std::nullopt;
    std::string line = *bytes;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    std::string text;
    try {
        text = Base64Decode(line);
    } catch (const Base64Error&) {
        return std::nullopt;
    }
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t found; (found = text.find("\r\n", start)) != std::string::npos; start = found + 2)
        parts.push_back(text.substr(start, found - start));
    parts.push_back(text.substr(start));
    if (parts.size() != kParts) return std::nullopt;
    Stored stored{parts[0], {parts[2], parts[1], parts[3], parts[4]}};
    if (stored.base.empty() || !stored.session.Valid()) return std::nullopt;
    return stored;
}

void BskySessionFile::Write(const Stored& stored) const {
    const BskySession& s = stored.session;
    const std::string line = Base64EncodeSingleLine(stored.base + "\r\n" + s.handle + "\r\n" + s.did +
                                                    "\r\n" + s.accessJwt + "\r\n" + s.refreshJwt) +
                             "\r\n";
    if (!AtomicFile::Write(m_path, line, S_IRUSR | S_IWUSR))
        throw std::runtime_error(std::string("Cannot write the session file: ") + std::strerror(errno));
}

}  // namespace marlin
