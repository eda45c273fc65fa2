#include "core/raw_archive.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include <simdjson.h>

#include "core/object_cutter.h"
#include "core/v2_archive_lines.h"

namespace marlin {

namespace ondemand = simdjson::ondemand;

// The parsers keep their buffers from page to page; the body is copied once into a buffer
// with the padding the parsers read past the end.
struct RawArchive::Parser {
    ondemand::parser parser;
    ObjectCutter cutter;
    std::vector<ObjectCutter::Cut> cuts;
    std::string buffer;

    std::string_view Padded(std::string_view body) {
        buffer.assign(body);
        buffer.resize(body.size() + simdjson::SIMDJSON_PADDING, ' ');
        return std::string_view(buffer.data(), body.size());
    }
    simdjson::error_code Iterate(std::string_view padded, ondemand::document& document) {
        return parser.iterate(simdjson::padded_string_view(padded.data(), padded.size(), buffer.size()))
            .get(document);
    }
};

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

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
        take(idText, raw);
    }
}

std::string SystemError(const std::string& what, const std::filesystem::path& file) {
    return what + " " + file.string() + ": " + std::strerror(errno);
}

}  // namespace

RawArchive::RawArchive(std::filesystem::path file)
    : m_file(std::move(file)), m_parser(std::make_unique<Parser>()) {}

RawArchive::~RawArchive() {
    if (m_fd >= 0) ::close(m_fd);
}

template <typename Take>
void RawArchive::ForEachObject(std::string_view body, Take&& take) {
    const std::string_view padded = m_parser->Padded(body);
    // The pages the service sends are cut by the quick walk; any other the full parser reads.
    switch (m_parser->cutter.Read(padded, m_parser->cuts)) {
        case ObjectCutter::Shape::Records:
            for (const ObjectCutter::Cut& cut : m_parser->cuts) take(std::string(cut.id), cut.raw);
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

// A v2 answer: its objects with what they refer to joined in.
template <typename Take>
void RawArchive::TakeV2Lines(std::string_view body, Take&& take) {
    if (!m_v2) m_v2 = std::make_unique<V2ArchiveLines>();
    for (const V2ArchiveLines::Line& line : m_v2->Lines(body)) take(line.id, line.text);
}

std::vector<RawArchive::Object> RawArchive::Objects(std::string_view body) {
    std::vector<Object> objects;
    ForEachObject(body, [&objects](const std::string& id, std::string_view raw) {
        Object object{id, {}};
        AppendOneLine(object.line, raw);
        objects.push_back(std::move(object));
    });
    return objects;
}

std::string RawArchive::OneLine(std::string_view raw) {
    std::string line;
    AppendOneLine(line, raw);
    return line;
}

void RawArchive::AppendOneLine(std::string& out, std::string_view raw) {
    while (!raw.empty() && IsBlank(raw.back())) raw.remove_suffix(1);
    // memchr rather than find_first_of: this runs over every byte of every page.
    if (std::memchr(raw.data(), '\n', raw.size()) == nullptr &&
        std::memchr(raw.data(), '\r', raw.size()) == nullptr) {
        out.append(raw);
        return;
    }
    bool inString = false;
    bool escaped = false;
    for (char c : raw) {
        if (inString) {
            out += c;
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (!IsBlank(c)) {
            out += c;
            inString = c == '"';
        }
    }
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

void RawArchive::WriteAll(const std::string& bytes) {
    struct stat before {};
    if (::fstat(m_fd, &before) != 0) throw Error(SystemError("cannot write", m_file));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            const std::string message = SystemError("cannot write", m_file);
            // A full disk can take part of a page; what it took is cut off again.
            if (::ftruncate(m_fd, before.st_size) != 0) {
                // Nothing more can be done; the error thrown names the first failure.
            }
            throw Error(message);
        }
        done += static_cast<std::size_t>(written);
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

int RawArchive::AppendPage(std::string_view body) {
    if (m_fd < 0) Open();
    std::optional<FileLock> lock;
    try {
        lock.emplace(m_fd);
    } catch (const std::runtime_error& error) {
        throw Error("cannot lock " + m_file.string() + ": " + error.what());
    }
    CatchUp();
    // The page's lines are gathered in a buffer kept from page to page: a page is about as
    // large as its body, and a fresh buffer of that size each time costs its memory anew.
    std::string& bytes = m_page;
    bytes.clear();
    if (m_needsLineEnd) bytes += '\n';
    std::vector<std::string> added;
    ForEachObject(body, [&](const std::string& id, std::string_view raw) {
        if (!m_known.Ids().Insert(id)) return;
        AppendOneLine(bytes, raw);
        bytes += '\n';
        added.push_back(id);
    });
    if (added.empty()) return 0;
    try {
        WriteAll(bytes);
    } catch (const Error&) {
        for (const std::string& id : added) m_known.Ids().Erase(id);
        throw;
    }
    m_knownEnd += bytes.size();
    m_needsLineEnd = false;
    return static_cast<int>(added.size());
}

}  // namespace marlin
