#include "workspace/export/export_target.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "core/atomic_file.h"

namespace marlin {

std::string ExportTarget::Problem(const std::string& fileName) {
    AtomicFile::SweepLeftovers(std::filesystem::path(fileName).parent_path());
    struct stat info {};
    if (::stat(fileName.c_str(), &info) != 0) return {};
    // Root may write any file, so the mode bits tell what the user meant as well.
    if (::access(fileName.c_str(), W_OK) != 0 || (info.st_mode & 0222) == 0) return kReadOnly;
    return {};
}

}  // namespace marlin
