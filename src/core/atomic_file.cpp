#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace marlin {
namespace {

bool Alphanumeric(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// ".<name>.XXXXXX", where the name is one of the program's kinds of file and mkstemp
// fills the six places with letters and digits. A user's ".notes.txt.backup" is not ours:
// mkstemp's six places hold a digit or a capital all but once in two hundred times (such
// a leftover then waits for a later sweep), a word written by hand seldom does.
bool TemporaryName(std::string_view name) {
    constexpr std::size_t kPlaces = 6;
    if (name.size() < kPlaces + 3 || name.front() != '.') return false;
    const std::size_t dot = name.size() - kPlaces - 1;
    if (name[dot] != '.' || dot < 2) return false;
    bool random = false;
    for (std::size_t at = dot + 1; at < name.size(); ++at) {
        if (!Alphanumeric(name[at])) return false;
        random = random || name[at] < 'a';
    }
    if (!random) return false;
    const std::string_view target = name.substr(1, dot - 1);
    for (const std::string_view extension :
         {".csv", ".xlsx", ".graphml", ".txt", ".mtwt", ".mut", ".muk", ".mprf"})
        if (target.size() > extension.size() && target.ends_with(extension)) return true;
    return false;
}

// True when the file was ours and no writer held it, so it is gone now.
bool RemoveIfAbandoned(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    bool removed = false;
    // mkstemp makes the file for its owner alone, and it keeps that mode until the commit.
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
        (info.st_mode & 07777) == 0600 && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
        removed = ::unlink(file.c_str()) == 0;
    ::close(fd);
    return removed;
}

}  // namespace

int AtomicFile::SweepLeftovers(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::directory_iterator entries(folder.empty() ? "." : folder, error);
    int removed = 0;
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::filesystem::path& file = entries->path();
        if (TemporaryName(file.filename().string()) && RemoveIfAbandoned(file)) ++removed;
    }
    return removed;
}

AtomicFile::AtomicFile(std::filesystem::path target, std::optional<mode_t> fixedMode)
    : m_target(std::move(target)), m_fixedMode(fixedMode) {
    std::filesystem::path folder = m_target.parent_path();
    if (folder.empty()) folder = ".";
    // Hidden, so a half-written table never shows in a file dialog. The target's name is
    // shortened as far as needed for the temporary name to stay within the folder's limit
    // on a name's length (a target named with 248 to 255 bytes would otherwise fail).
    std::string base = m_target.filename().string();
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    const std::size_t room = (limit > 0 ? static_cast<std::size_t>(limit) : 255) - 8;  // "." and ".XXXXXX"
    if (base.size() > room) {
        base.resize(room);
        // Never a UTF-8 character cut in two.
        while (!base.empty() && (static_cast<unsigned char>(base.back()) & 0xC0) == 0x80) base.pop_back();
        if (!base.empty() && static_cast<unsigned char>(base.back()) >= 0xC0) base.pop_back();
    }
    std::string name = ".";
    name += base;
    name += ".XXXXXX";
    m_temporary = (folder / name).string();
    m_fd = ::mkstemp(m_temporary.data());
    // Shared with no sweeper for as long as this writer lives (see SweepLeftovers).
    if (m_fd >= 0) ::flock(m_fd, LOCK_EX);
    m_good = m_fd >= 0;
    if (!m_good) m_temporary.clear();  // nothing was made, so nothing to remove
}

AtomicFile::~AtomicFile() {
    Discard();
}

bool AtomicFile::Append(std::string_view bytes) {
    while (Good() && !bytes.empty()) {
        const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            m_good = false;
            break;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return Good();
}

mode_t AtomicFile::FinalMode() const {
    if (m_fixedMode) return *m_fixedMode;
    struct stat info {};
    if (::stat(m_target.c_str(), &info) == 0) return info.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool AtomicFile::Commit() {
    if (!Good()) {
        Discard();
        return false;
    }
    bool ok = ::fchmod(m_fd, FinalMode()) == 0;
    ok = ok && ::fsync(m_fd) == 0;
    ok = ::close(m_fd) == 0 && ok;
    m_fd = -1;
    ok = ok && ::rename(m_temporary.c_str(), m_target.c_str()) == 0;
    if (!ok) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
        return false;
    }
    m_temporary.clear();
    return true;
}

void AtomicFile::Discard() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty()) ::unlink(m_temporary.c_str());
    m_temporary.clear();
    m_good = false;
}

bool AtomicFile::Write(const std::filesystem::path& target, std::string_view bytes,
                       std::optional<mode_t> fixedMode) {
    AtomicFile file(target, fixedMode);
    file.Append(bytes);
    return file.Commit();
}

}  // namespace marlin
