#pragma once

#include <filesystem>
#include <string_view>

namespace marlin {

// Which service the records of a file came from. The files need no mark of their own for it: every
// record already names its service in a field the readers of the format take as ordinary data, so
// neither the table readers nor the spreadsheets, pandas or R see anything new.
//   Tweets table   the LinkURL cell: a Bluesky post's web address is https://bsky.app/profile/…
//   raw archive    a Bluesky line is a post view (or feed item, or profile) whose keys are at:// URIs
//                  and DIDs; a line of the first service is a tweet or user object with an id_str or id
//   user list      the id field: a Bluesky account's id is its DID ("did:plc:…"), the first service's
//                  a number
// A file whose records name no service (empty, unreadable, blank cells) is Unknown: it mixes nothing.
class ServiceOrigin {
  public:
    enum class Service { Unknown, X, Bluesky };
    enum class FileKind { TweetTable, Archive, UserList };

    static Service OfTableLine(std::string_view line);
    static Service OfArchiveLine(std::string_view line);
    static Service OfUserListLine(std::string_view line);
    // The service of the file's first record that names one; Unknown for a file that cannot be read.
    static Service OfFile(const std::filesystem::path& file, FileKind kind);
    // "X", "Bluesky"; empty for Unknown.
    static const char* Name(Service service);
};

}  // namespace marlin
