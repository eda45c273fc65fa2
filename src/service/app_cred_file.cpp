#include "service/app_cred_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <vector>

#include "core/atomic_file.h"
#include "core/bounded_file.h"
#include "core/code_page.h"
#include "service/enc64.h"

namespace marlin {

namespace {

// Lines as the file holds them; a final line break ends the last line rather
// than starting an empty one. CR LF, LF and a lone CR all end a line.
std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string line;
    bool open = false;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            lines.push_back(line);
            line.clear();
            open = false;
        } else {
            line += c;
            open = true;
        }
    }
    if (open) lines.push_back(line);
    return lines;
}

std::vector<std::string> SplitAtCrLf(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t found; (found = text.find("\r\n", start)) != std::string::npos; start = found + 2)
        parts.push_back(text.substr(start, found - start));
    parts.push_back(text.substr(start));
    return parts;
}

AppCredFile::Credentials FromParts(const std::vector<std::string>& parts) {
    AppCredFile::Credentials credentials;
    if (parts.size() > 0) credentials.appName = parts[0];
    if (parts.size() > 1) credentials.consumerKey = parts[1];
    if (parts.size() > 2) credentials.consumerSecret = parts[2];
    return credentials;
}

}  // namespace

bool AppCredFile::Exists() const {
    std::error_code error;
    return std::filesystem::exists(m_path, error) && !std::filesystem::is_directory(m_path, error);
}

AppCredFile::Credentials AppCredFile::Read(std::string* problem) const {
    if (!Exists()) return {};
    std::string error;
    const std::optional<std::string> bytes = BoundedFile::Read(m_path, kMaxBytes, &error);
    if (!bytes) {
        if (problem) *problem = error;
        return {};
    }
    const std::vector<std::string> lines = SplitLines(*bytes);
    if (lines.empty()) return {};

    if (lines.size() == 1) {
        try {
            return FromParts(SplitAtCrLf(Base64Decode(lines[0])));
        } catch (const Base64Error&) {
            return {};
        }
    }
    std::vector<std::string> texts;
    for (size_t i = 0; i < lines.size() && i < 3; ++i) texts.push_back(CodePage::FromWindows1252(lines[i]));
    return FromParts(texts);
}

bool AppCredFile::PlainForm() const {
    if (!Exists()) return false;
    std::string error;
    const std::optional<std::string> bytes = BoundedFile::Read(m_path, kMaxBytes, &error);
    return bytes && SplitLines(*bytes).size() >= 3;
}

void AppCredFile::Write(const Credentials& credentials) const {
    const std::string line = Base64EncodeSingleLine(credentials.appName + "\r\n" + credentials.consumerKey +
                                                    "\r\n" + credentials.consumerSecret) +
                             "\r\n";

    // The secret never sits in a file with wider permissions, and a failed write leaves
    // the previous file whole.
    if (!AtomicFile::Write(m_path, line, S_IRUSR | S_IWUSR))
        throw std::runtime_error(std::string("Cannot write the credentials file: ") + std::strerror(errno));
}

}  // namespace marlin
