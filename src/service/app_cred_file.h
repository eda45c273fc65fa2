#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace marlin {

// The stored credentials file "appcred" in the program's folder. It is written as one
// line of Base64 holding application name, consumer key and consumer secret separated by
// CR LF; older files hold the three texts as plain lines, and both forms are read. Only
// the line count tells them apart, so a one-line file is always taken as Base64.
// Base64 is no protection, so the file is kept readable by its owner only (0600).
class AppCredFile {
  public:
    static constexpr const char* kFileName = "appcred";

    struct Credentials {
        std::string appName;
        std::string consumerKey;
        std::string consumerSecret;

        bool Complete() const { return !appName.empty() && !consumerKey.empty() && !consumerSecret.empty(); }
        bool operator==(const Credentials&) const = default;
    };

    explicit AppCredFile(std::filesystem::path path) : m_path(std::move(path)) {}
    // The file "appcred" in the given folder.
    static AppCredFile InFolder(const std::filesystem::path& folder) {
        return AppCredFile(folder / kFileName);
    }

    const std::filesystem::path& Path() const { return m_path; }
    bool Exists() const;

    // The stored credentials. A missing, empty or unreadable file, a line that is not
    // Base64, or a file with fewer than three texts leaves the missing fields empty. A
    // file larger than any credentials file (kMaxBytes: /dev/zero, a log written there by
    // mistake) is not read: nothing is returned and *problem, when given, says why.
    static constexpr std::size_t kMaxBytes = std::size_t{64} << 10;
    Credentials Read(std::string* problem = nullptr) const;
    // The file is in the older plain form: three lines (or more) of text as they are.
    bool PlainForm() const;

    // Replaces the file with the single-line form, owner read and write only. Throws
    // std::runtime_error when the file cannot be written; an earlier file is then kept.
    void Write(const Credentials& credentials) const;

  private:
    std::filesystem::path m_path;
};

}  // namespace marlin
