#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/archive_ids.h"
#include "core/bsky_archive_lines.h"
#include "core/page_check.h"
#include "core/page_lines.h"
#include "core/v2_archive_lines.h"

namespace marlin {

// One archive file of service objects: each tweet or user object of a response body,
// exactly as the service sent it, on a line of its own ("JSON lines"). An object whose
// id_str is already in the file is not written again.
//
// The objects are cut out of the body by a JSON parser made for the job (simdjson), so
// every byte of an object stays as it came: escapes, field order, numbers, every field.
class RawArchive {
  public:
    // A failure to read or write the file; the page that met it left nothing in the file.
    struct Error : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    // One object of a body: its id_str and its text on one line (no line break).
    struct Object {
        std::string id;
        std::string line;
    };

    explicit RawArchive(std::filesystem::path file);
    ~RawArchive();
    RawArchive(const RawArchive&) = delete;
    RawArchive& operator=(const RawArchive&) = delete;

    const std::filesystem::path& File() const { return m_file; }

    // Appends the objects of one response body that the file does not hold yet, all in one
    // write; the number appended. A body that is not JSON, or holds no tweet or user
    // objects, appends nothing. Throws Error.
    //
    // Two runs may append to one file at once: each page is appended under an exclusive
    // lock (flock), after the ids that others appended since this run's last look have
    // been read. The file is never followed through a symbolic link planted in its place.
    //
    // `room`: the bytes that may be read past the body's end (the spare capacity of the
    // string that holds it). With 64 or more the body is read where it lies, not copied.
    // `records`: where the page check found the body's records, so that it is not read again.
    int AppendPage(std::string_view body, std::size_t room = 0, const PageRecords* records = nullptr);

    // The tweet or user objects of a body: the elements of a top-level array (timelines,
    // look-ups), or of the "statuses" (search) or "users" (follower and friend lists) array
    // of a top-level object. Objects without an id_str are left out. For a v2 answer, the
    // objects of its "data" by their "id", a post joined with what it refers to (V2ArchiveLines).
    std::vector<Object> Objects(std::string_view body);

    // The object text on one line. The service sends objects compact; one that spans lines
    // loses the whitespace between its tokens, and nothing else. A raw line break cannot
    // stand inside a JSON string, so no string content is touched.
    static std::string OneLine(std::string_view raw);

    // A query or list name made fit to be part of a file name (see the definition for why).
    static std::string SafeName(std::string_view name);

  private:
    struct Parser;

    // Calls take(id, raw text) for each object of the body, in order.
    template <typename Take>
    void ForEachObject(std::string_view body, std::size_t room, const PageRecords* records, Take&& take);
    template <typename Take>
    void TakeV2Lines(std::string_view body, Take&& take);
    void Open();
    // Under the lock: learns the ids the file gained since the last look.
    void CatchUp();
    void WriteAll(std::vector<iovec>& parts);
    void Reserve(std::uint64_t end);
    void ReleaseReserve();

    std::filesystem::path m_file;
    std::unique_ptr<Parser> m_parser;
    std::unique_ptr<V2ArchiveLines> m_v2;         // made for the first v2 answer
    std::vector<V2ArchiveLines::Line> m_v2Lines;  // the lines of the last v2 answer
    std::unique_ptr<BskyArchiveLines> m_bsky;     // made for the first answer of the second service
    std::vector<BskyArchiveLines::Line> m_bskyLines;
    ArchiveIds m_known;                // the ids the file holds
    std::uint64_t m_knownEnd = 0;      // the file's bytes whose ids m_known holds
    PageLines m_lines;                 // the lines of the page being written
    std::vector<std::string> m_added;  // their ids, taken back if the write fails
    std::uint64_t m_reservedEnd = 0;   // blocks are reserved up to here
    bool m_reserving = true;           // until the file system refuses
    int m_fd = -1;
    bool m_needsLineEnd = false;  // the file ends in a line cut short (a crash of the machine)
};

}  // namespace marlin
