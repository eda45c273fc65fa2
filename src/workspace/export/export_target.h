#pragma once

#include <string>

namespace marlin {

// The file an export is about to write. The atomic writer renames a new file over the old
// one, which the old file's own permissions do not stop; a file the user made read-only
// is meant to stay as it is, so the export is refused instead. Before each export the
// folder is rid of the temporary files of exports that were killed part-way.
class ExportTarget {
  public:
    static constexpr const char* kReadOnly = "the file is read-only";

    // Why fileName must not be written (kReadOnly), or empty when it may be.
    static std::string Problem(const std::string& fileName);
};

}  // namespace marlin
