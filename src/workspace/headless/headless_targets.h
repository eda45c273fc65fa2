#pragma once

#include <filesystem>
#include <string>

#include "workspace/headless/headless_command.h"

namespace marlin {

// The files a command line run writes, checked before the first request: a capture of
// hours whose --out or --archive folder is missing or not writable would otherwise be
// lost at its end, or never archived.
class HeadlessTargets {
  public:
    // Why a file the command writes cannot be written, or the empty text.
    static std::string Problem(const HeadlessCommand& command);

    // The archive file a run appends to. A symbolic link the user names as --archive is
    // followed once, here, to the file it names then; the archive itself refuses to follow
    // a link (one planted in the file's place later is refused, not written through).
    static std::filesystem::path Archive(const std::string& named);

  private:
    static std::string FolderProblem(const std::string& file, const char* option);
};

}  // namespace marlin
