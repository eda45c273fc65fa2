#include "test_support.h"

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "../emulator/mini_json.h"

namespace marlin::testing {

std::string TweetLine::Line() const {
    std::string line;
    for (const std::string* field :
         {&dateTime, &screenName, &text, &id, &realName, &followers, &friends, &location, &utcOffset, &geo,
          &tweets, &retweets, &link, &positive, &negative, &description})
        line += *field + '\t';
    return line + "\r\n";
}

std::string TweetTableHeader() {
    return "DateTime\tUserScreenName\tTweet\tTweetID\tUserRealName\tUserFollowers\tUserFriends\tUserLocation"
           "\t"
           "UserUTC_Offset\tGeoCoords\tUserTweets\tRetweets\tLinkURL\tSent+\tSent-\tUserDescription\r\n";
}

FileSizeLimit::FileSizeLimit(unsigned long bytes) {
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    m_soft = limit.rlim_cur;
    m_handler = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = m_soft;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, m_handler);
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

std::vector<std::string> JsonLineIds(const std::filesystem::path& path) {
    std::vector<std::string> ids;
    std::istringstream lines(ReadFileBytes(path));
    for (std::string line; std::getline(lines, line);)
        ids.push_back(emulator::testing::JsonParser::Parse(line)["id_str"].text);
    return ids;
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path.string());
    out << bytes;
}

std::string Fixture(const std::string& name) {
    return ReadFileBytes(std::filesystem::path(MARLIN_FIXTURES_DIR) / name);
}

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "marlin-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    m_path = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::filesystem::path BuiltAppFolder() {
    return MARLIN_APP_FOLDER;
}

void InstallScorer(const std::filesystem::path& appFolder) {
    namespace fs = std::filesystem;
    const fs::path built = BuiltAppFolder();
    fs::create_directories(appFolder / "bin");
    fs::copy_file(built / "bin" / "support.dll", appFolder / "bin" / "support.dll");
    fs::copy(built / "SentiStrengthData", appFolder / "SentiStrengthData", fs::copy_options::recursive);
}

}  // namespace marlin::testing
