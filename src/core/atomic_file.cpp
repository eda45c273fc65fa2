#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace marlin {

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
