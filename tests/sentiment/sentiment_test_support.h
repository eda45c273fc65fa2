#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "test_support.h"

namespace marlin::testing {

// Writes a shell script and makes it executable.
inline void WriteScript(const std::filesystem::path& path, const std::string& body) {
    WriteFileBytes(path, "#!/bin/sh\n" + body);
    chmod(path.c_str(), 0755);
}

// Puts a folder in front of PATH for the life of the object, so a fake "java" is found first.
class PathOverride {
  public:
    explicit PathOverride(const std::string& path) {
        const char* old = std::getenv("PATH");
        m_hadPath = old != nullptr;
        if (old) m_oldPath = old;
        setenv("PATH", path.c_str(), 1);
    }
    ~PathOverride() {
        if (m_hadPath)
            setenv("PATH", m_oldPath.c_str(), 1);
        else
            unsetenv("PATH");
    }
    PathOverride(const PathOverride&) = delete;
    PathOverride& operator=(const PathOverride&) = delete;

  private:
    bool m_hadPath = false;
    std::string m_oldPath;
};

// True while a process with this id exists and has not been collected.
bool ProcessAlive(int pid);

}  // namespace marlin::testing
