#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "service/bsky_client.h"

namespace marlin {

// The stored session of the second service, "bskysession" in the program's folder: one line of Base64
// holding the server's address, the handle, the DID and the access and refresh tokens, separated by
// CR LF. A session is kept rather than made anew at every start because the service allows few new
// sessions (30 in 5 minutes, 300 a day). The tokens open the account, so the file is its owner's alone
// (0600), as the credentials file is; delete it to forget the session. The app password is not kept.
class BskySessionFile {
  public:
    static constexpr const char* kFileName = "bskysession";

    struct Stored {
        std::string base;  // the server the session belongs to
        BskySession session;
        bool operator==(const Stored& other) const {
            return base == other.base && session.did == other.session.did &&
                   session.handle == other.session.handle && session.accessJwt == other.session.accessJwt &&
                   session.refreshJwt == other.session.refreshJwt;
        }
    };

    explicit BskySessionFile(std::filesystem::path path) : m_path(std::move(path)) {}
    static BskySessionFile InFolder(const std::filesystem::path& folder) {
        return BskySessionFile(folder / kFileName);
    }
    const std::filesystem::path& Path() const { return m_path; }

    // The stored session; nothing when the file is missing, too large, not Base64 or not a whole session.
    std::optional<Stored> Read() const;
    // Replaces the file (owner read and write only); throws std::runtime_error when it cannot be written,
    // and an earlier file is then kept.
    void Write(const Stored& stored) const;

  private:
    std::filesystem::path m_path;
};

}  // namespace marlin
