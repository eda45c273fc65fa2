#include "platform/program_folder.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace marlin {

namespace fs = std::filesystem;

namespace {

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool InEffectiveGroups(gid_t group) {
    if (group == getegid()) return true;
    const int count = getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int filled = getgroups(count, groups.data());
    for (int i = 0; i < filled; ++i)
        if (groups[static_cast<std::size_t>(i)] == group) return true;
    return false;
}

bool PermissionBitsGrantWrite(const struct stat& status) {
    mode_t needed = S_IWOTH | S_IXOTH;
    if (status.st_uid == geteuid())
        needed = S_IWUSR | S_IXUSR;
    else if (InEffectiveGroups(status.st_gid))
        needed = S_IWGRP | S_IXGRP;
    return (status.st_mode & needed) == needed;
}

// $XDG_DATA_HOME, or ~/.local/share when it is unset, empty or (against the rule that it be
// absolute) relative; empty when not even a home folder is known.
fs::path DataHome(const ProgramFolder::Environment& environment) {
    if (!environment.xdgDataHome.empty() && fs::path(environment.xdgDataHome).is_absolute())
        return environment.xdgDataHome;
    if (environment.home.empty()) return {};
    return fs::path(environment.home) / ".local" / "share";
}

}  // namespace

ProgramFolder::ProgramFolder(fs::path binaryFolder, const Environment& environment,
                             const WritableTest& writable)
    : m_binaryFolder(std::move(binaryFolder)), m_path(m_binaryFolder) {
    if (writable(m_binaryFolder)) return;
    const fs::path dataHome = DataHome(environment);
    // Without a home there is nowhere better; saving then fails with the usual messages.
    if (!dataHome.empty()) m_path = (dataHome / kName).lexically_normal();
}

ProgramFolder ProgramFolder::OfThisProgram() {
    std::error_code error;
    fs::path program = fs::read_symlink("/proc/self/exe", error);
    const fs::path folder = error ? fs::current_path(error) : program.parent_path();
    return ProgramFolder(folder, ProcessEnvironment());
}

ProgramFolder::Environment ProgramFolder::ProcessEnvironment() {
    Environment environment{EnvironmentValue("XDG_DATA_HOME"), EnvironmentValue("HOME")};
    if (environment.home.empty()) {
        if (const passwd* account = getpwuid(geteuid()); account && account->pw_dir)
            environment.home = account->pw_dir;
    }
    return environment;
}

bool ProgramFolder::IsWritableFolder(const fs::path& folder) {
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return false;
    // access(2) still has the last word: read-only mounts, access control lists.
    return PermissionBitsGrantWrite(status) &&
           faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

fs::path ProgramFolder::InstalledDataFolder() const {
    return (m_binaryFolder / ".." / "share" / kName).lexically_normal();
}

std::error_code ProgramFolder::Create() const {
    if (BesideBinary()) return {};
    fs::path partial;
    for (const fs::path& part : m_path) {
        partial /= part;
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return {errno, std::generic_category()};
    }
    std::error_code error;
    if (!fs::is_directory(m_path, error) && !error) error = std::make_error_code(std::errc::not_a_directory);
    return error;
}

bool ProgramFolder::HoldsScorer(const fs::path& folder) {
    std::error_code error;
    return !folder.empty() && fs::is_regular_file(folder / "bin" / "support.dll", error) &&
           fs::is_directory(folder / "SentiStrengthData", error);
}

fs::path ProgramFolder::FindScorer(const fs::path& programFolder, const fs::path& installedFolder) {
    if (!HoldsScorer(programFolder) && HoldsScorer(installedFolder)) return installedFolder;
    return programFolder;
}

}  // namespace marlin
