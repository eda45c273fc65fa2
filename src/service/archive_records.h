#pragma once

#include <filesystem>
#include <string>

namespace marlin {

class TweetSet;

// The tweets of a raw archive file made into records again, the same records the capture
// that wrote the file made of the service's pages: a v1.1 line is read as a v1.1 page reads
// it, a v2 line (a post with its author joined in) goes through the v2 translation first.
// A file may hold lines of both dialects. What is not a post is passed over: user objects
// (an archive of look-ups or lists), a line cut short when a run was killed, a line whose id
// came before.
class ArchiveRecords {
  public:
    struct Result {
        int posts = 0;        // lines taken
        int skipped = 0;      // lines passed over
        std::string problem;  // why the file could not be read; empty when it was
    };

    // Appends the posts of the file to `tweets` in file order; the set's own settings
    // (exact texts) apply as they did in the capture.
    static Result Load(const std::filesystem::path& file, TweetSet& tweets);
};

}  // namespace marlin
