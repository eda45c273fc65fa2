#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace marlin::testing {

// The text of a recorded service response, e.g. Fixture("search_tweets_page.json").
std::string Fixture(const std::string& name);

// Reads and writes whole files byte for byte.
std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);
// The id_str of each line of a JSON-lines file, in file order. Every line is read as one
// complete JSON object; a line that is not one throws.
std::vector<std::string> JsonLineIds(const std::filesystem::path& path);

// One record of a tweet table file as the program writes it: every field followed by a
// tab, the record ended by CR LF. The defaults make a plain tweet with scores, so opening
// a table of them asks nothing.
struct TweetLine {
    std::string dateTime = "Wed Aug 27 13:08:45 0000 2008";
    std::string screenName = "someone";
    std::string text = "hello";
    std::string id = "1";
    std::string realName = "Some One";
    std::string followers = "12";
    std::string friends = "3";
    std::string location = "Leeds";
    std::string utcOffset = "0";
    std::string geo = "null";
    std::string tweets = "40";
    std::string retweets = "0";
    std::string link = {};
    std::string positive = "2";
    std::string negative = "-1";
    std::string description = "Reads";

    std::string Line() const;
};

// The header line a table saved with headers starts with.
std::string TweetTableHeader();

// A fresh folder under the system's temporary folder, removed with everything in it
// when the object goes.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

  private:
    std::filesystem::path m_path;
};

// Limits the size of the files this process may write (RLIMIT_FSIZE) for as long as it
// lives, with SIGXFSZ ignored so a write past the limit fails instead of ending the test:
// a full disk that even root cannot write past.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(unsigned long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    unsigned long m_soft;
    void (*m_handler)(int);
};

// The names of the entries of a folder, sorted.
std::vector<std::string> FolderEntries(const std::filesystem::path& folder);

// The folder the build puts the program and its support files in.
std::filesystem::path BuiltAppFolder();

// Copies the built scorer stand-in (bin/support.dll and its lexicon folder) into a
// program folder, so the scoring path of a test runs for real.
void InstallScorer(const std::filesystem::path& appFolder);

}  // namespace marlin::testing
