#include "core/raw_archive.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include <simdjson.h>

#include "core/bsky_archive_lines.h"
#include "core/object_cutter.h"
#include "core/v2_archive_lines.h"

namespace marlin {

namespace ondemand = simdjson::ondemand;

// The parsers keep their buffers from page to page. They read up to SIMDJSON_PADDING bytes
// past a body's end: a body with that much room behind it (the spare capacity of the
// string it came in) is read where it lies, any other is copied once into a padded buffer.
struct RawArchive::Parser {
    ondemand::parser parser;
    ObjectCutter cutter;
    std::vector<ObjectCutter::Cut> cuts;
    std::string buffer;
    std::size_t capacity = 0;  // the readable bytes of the body last handed out

    std::string_view Padded(std::string_view body, std::size_t room) {
        if (room >= simdjson::SIMDJSON_PADDING) {
            capacity = body.size() + room;
            return body;
        }
        buffer.assign(body);
        buffer.resize(body.size() + simdjson::SIMDJSON_PADDING, ' ');
        capacity = buffer.size();
        return std::string_view(buffer.data(), body.size());
    }
    simdjson::error_code Iterate(std::string_view padded, ondemand::document& document) {
        return parser.iterate(simdjson::padded_string_view(padded.data(), padded.size(), capacity))
            .get(document);
    }
};

namespace {

// Each object of the array with its id_str and its exact text, handed to `take`.
template <typename Take>
void ReadArray(ondemand::array array, Take&& take) {
    for (auto element : array) {
        ondemand::object object;
        if (element.get_object().get(object) != simdjson::SUCCESS) {
            if (element.error() != simdjson::SUCCESS) return;  // the body breaks off here
            continue;                                          // not an object
        }
        std::string_view id;
        std::string_view raw;
        if (object.find_field_unordered("id_str").get_string().get(id) != simdjson::SUCCESS) continue;
        const std::string idText(id);  // the parser reuses the buffer that id points into
        if (object.reset().error() != simdjson::SUCCESS || object.raw_json().get(raw) != simdjson::SUCCESS)
            return;
        take(std::string_view(idText), raw);
    }
}

std::string SystemError(const std::string& what, const std::filesystem::path& file) {
    return what + " " + file.string() + ": " + std::strerror(errno);
}

}  // namespace

RawArchive::RawArchive(std::filesystem::path file)
    : m_file(std::move(file)), m_parser(std::make_unique<Parser>()) {}

RawArchive::~RawArchive() {
    if (m_fd < 0) return;
    ReleaseReserve();
    ::close(m_fd);
}

template <typename Take>
void RawArchive::ForEachObject(std::string_view body, std::size_t room, const PageRecords* records,
                               Take&& take) {
    if (records && records->found) {
        for (const PageRecords::Span& span : records->spans)
            take(body.substr(span.idAt, span.idSize), body.substr(span.rawAt, span.rawSize));
        return;
    }
    const std::string_view padded = m_parser->Padded(body, room);
    // The pages the service sends are cut by the quick walk; any other the full parser reads.
    switch (m_parser->cutter.Read(padded, m_parser->cuts)) {
        case ObjectCutter::Shape::Records:
            for (const ObjectCutter::Cut& cut : m_parser->cuts) take(cut.id, cut.raw);
            return;
        case ObjectCutter::Shape::Other:
            TakeV2Lines(body, take);
            return;
        case ObjectCutter::Shape::Unsure:
            break;
    }
    ondemand::document document;
    if (m_parser->Iterate(padded, document) != simdjson::SUCCESS) return;
    ondemand::json_type type;
    if (document.type().get(type) != simdjson::SUCCESS) return;
    ondemand::array array;
    if (type == ondemand::json_type::array) {
        if (document.get_array().get(array) == simdjson::SUCCESS) ReadArray(array, take);
        return;
    }
    ondemand::object top;
    if (type != ondemand::json_type::object || document.get_object().get(top) != simdjson::SUCCESS) return;
    for (const char* name : {"statuses", "users"}) {
        ondemand::value records;
        const simdjson::error_code found = top.find_field_unordered(name).get(records);
        if (found == simdjson::NO_SUCH_FIELD) continue;
        // The parser gives up on a body that breaks off or breaks the rules, and a further
        // search of it would read through a parser it has let go of.
        if (found != simdjson::SUCCESS) return;
        if (records.get_array().get(array) == simdjson::SUCCESS) {
            ReadArray(array, take);
            return;
        }
    }
    TakeV2Lines(body, take);
}

// A v2 answer: its objects with what they refer to joined in; or an answer of the second service: its
// posts, reposts and profiles as they came.
template <typename Take>
void RawArchive::TakeV2Lines(std::string_view body, Take&& take) {
    const std::size_t first = body.find_first_not_of(" \t\r\n");
    // Every v2 answer with records starts with its data; no answer of the second service has any.
    if (first == std::string_view::npos || body.substr(first, 7) != "{\"data\"") {
        if (!m_bsky) m_bsky = std::make_unique<BskyArchiveLines>();
        m_bskyLines = m_bsky->Lines(body);
        for (const BskyArchiveLines::Line& line : m_bskyLines) take(std::string_view(line.key), line.text);
        if (!m_bskyLines.empty()) return;
    }
    if (!m_v2) m_v2 = std::make_unique<V2ArchiveLines>();
    // Kept until the next page: the lines are written from where they lie.
    m_v2Lines = m_v2->Lines(body);
    for (const V2ArchiveLines::Line& line : m_v2Lines)
        take(std::string_view(line.id), std::string_view(line.text));
}

std::vector<RawArchive::Object> RawArchive::Objects(std::string_view body) {
    std::vector<Object> objects;
    ForEachObject(body, 0, nullptr, [&objects](std::string_view id, std::string_view raw) {
        Object object{std::string(id), {}};
        PageLines::AppendOneLine(object.line, raw);
        objects.push_back(std::move(object));
    });
    return objects;
}

std::string RawArchive::OneLine(std::string_view raw) {
    std::string line;
    PageLines::AppendOneLine(line, raw);
    return line;
}

// The name becomes part of a path: a "/" would open a folder (and "../" leave the archive
// folder), a control character or line break spoils listings and the scripts that read
// them, and the characters that other systems refuse in file names would stop the folder
// from being copied there. Each such byte becomes "_"; letters of every script stay.
std::string RawArchive::SafeName(std::string_view name) {
    constexpr std::size_t kMaxBytes = 120;  // well inside the 255 bytes of a file name
    std::string safe;
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        const bool refused = byte < 0x20 || byte == 0x7f || std::strchr("/\\:*?\"<>|", c) != nullptr;
        safe += refused ? '_' : c;
    }
    if (!safe.empty() && safe.front() == '.') safe.front() = '_';  // no hidden file, no ".."
    if (safe.size() > kMaxBytes) {
        std::size_t cut = kMaxBytes;
        // Never cut a UTF-8 character in two.
        while (cut > 0 && (static_cast<unsigned char>(safe[cut]) & 0xC0) == 0x80) --cut;
        safe.resize(cut);
    }
    return safe.empty() ? "unnamed" : safe;
}

void RawArchive::Open() {
    std::error_code error;
    std::filesystem::create_directories(m_file.parent_path(), error);
    // Appended, not rewritten through AtomicFile: the archive grows page by page over a
    // capture that can last days, and a rewrite of the whole file per page would cost
    // ever more. A page goes out in one write, and a failed write is cut off again, so
    // the file never holds part of a line. Nothing is buffered on our side: each page is
    // with the system as soon as it is written, so a crash loses at most the page in flight.
    // A symbolic link where the file should be is refused, not followed: it could send the
    // captured data anywhere the user may write.
    m_fd = ::open(m_file.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (m_fd < 0 && errno == ELOOP) throw Error("refused to follow the symbolic link " + m_file.string());
    if (m_fd < 0) throw Error(SystemError("cannot open", m_file));
}

void RawArchive::CatchUp() {
    struct stat now {};
    if (::fstat(m_fd, &now) != 0) throw Error(SystemError("cannot read", m_file));
    const auto size = static_cast<std::uint64_t>(now.st_size);
    if (size == m_knownEnd) return;
    // A file that shrank was rewritten by someone else: learn it afresh (ids only gained).
    const std::uint64_t from = size < m_knownEnd ? 0 : m_knownEnd;
    if (!m_known.Learn(m_fd, from, m_knownEnd)) throw Error(SystemError("cannot read", m_file));
    m_needsLineEnd = m_known.CutLine();
}

void RawArchive::WriteAll(std::vector<iovec>& parts) {
    struct stat before {};
    if (::fstat(m_fd, &before) != 0) throw Error(SystemError("cannot write", m_file));
    std::size_t next = 0;
    while (next < parts.size()) {
        const auto count = static_cast<int>(std::min<std::size_t>(parts.size() - next, IOV_MAX));
        const ssize_t written = ::writev(m_fd, parts.data() + next, count);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            const std::string message = SystemError("cannot write", m_file);
            // A full disk can take part of a page; what it took is cut off again (and
            // with it the blocks reserved ahead).
            if (::ftruncate(m_fd, before.st_size) != 0) {
                // Nothing more can be done; the error thrown names the first failure.
            }
            m_reservedEnd = 0;
            throw Error(message);
        }
        // A write can stop inside a part: the rest of it goes with the next write.
        for (auto left = static_cast<std::size_t>(written); left > 0;) {
            iovec& part = parts[next];
            const std::size_t taken = std::min(left, part.iov_len);
            part.iov_base = static_cast<char*>(part.iov_base) + taken;
            part.iov_len -= taken;
            left -= taken;
            if (part.iov_len == 0) ++next;
        }
    }
}

namespace {

// Holds the exclusive lock of an open file for one page's append.
class FileLock {
  public:
    explicit FileLock(int fd) : m_fd(fd) {
        while (::flock(m_fd, LOCK_EX) != 0)
            if (errno != EINTR) throw std::runtime_error(std::strerror(errno));
    }
    ~FileLock() { ::flock(m_fd, LOCK_UN); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

  private:
    int m_fd;
};

}  // namespace

// The file system reserves blocks for every page appended to the end of the file, which
// costs about a quarter of the write; blocks reserved ahead, in steps that grow with the
// file (up to 32 MiB), cost far less. They lie past the file's end, so no reader sees them,
// and they are given back when the archive closes. A file system that cannot reserve
// ahead is simply written page by page.
void RawArchive::Reserve(std::uint64_t end) {
    constexpr std::uint64_t kLeast = 1 << 20;
    constexpr std::uint64_t kMost = 32 << 20;
    if (!m_reserving || end <= m_reservedEnd) return;
    const std::uint64_t ahead = std::clamp<std::uint64_t>(end, kLeast, kMost);
    if (::fallocate(m_fd, FALLOC_FL_KEEP_SIZE, static_cast<off_t>(m_knownEnd),
                    static_cast<off_t>(end - m_knownEnd + ahead)) != 0) {
        m_reserving = false;
        return;
    }
    m_reservedEnd = end + ahead;
}

// Cutting the file at its own length gives back the blocks reserved past it; under the
// lock, as another run may be appending.
void RawArchive::ReleaseReserve() {
    if (m_reservedEnd == 0) return;
    try {
        FileLock lock(m_fd);
        struct stat now {};
        if (::fstat(m_fd, &now) == 0 && ::ftruncate(m_fd, now.st_size) != 0) {
            // The blocks stay reserved until the file is next closed by a run; nothing is lost.
        }
    } catch (const std::runtime_error&) {
        // As above: only the reserve stays.
    }
}

int RawArchive::AppendPage(std::string_view body, std::size_t room, const PageRecords* records) {
    if (m_fd < 0) Open();
    std::optional<FileLock> lock;
    try {
        lock.emplace(m_fd);
    } catch (const std::runtime_error& error) {
        throw Error("cannot lock " + m_file.string() + ": " + error.what());
    }
    CatchUp();
    m_lines.Clear();
    m_added.clear();
    if (m_needsLineEnd) m_lines.Add("\n");  // mends the line a crash cut short
    ForEachObject(body, room, records, [&](std::string_view id, std::string_view raw) {
        if (!m_known.Ids().Insert(id)) return;
        m_lines.AddObject(raw);
        m_added.emplace_back(id);
    });
    if (m_added.empty()) return 0;
    std::vector<iovec>& parts = m_lines.Parts();
    Reserve(m_knownEnd + m_lines.Bytes());
    try {
        WriteAll(parts);
    } catch (const Error&) {
        for (const std::string& id : m_added) m_known.Ids().Erase(id);
        throw;
    }
    m_knownEnd += m_lines.Bytes();
    m_needsLineEnd = false;
    return static_cast<int>(m_added.size());
}

}  // namespace marlin
