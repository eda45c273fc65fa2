#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace marlin {

// A small local file read whole, up to a bound. A path that names /dev/zero, a FIFO or
// a file far larger than its kind ever is would otherwise be read until memory ran out
// (std::bad_alloc ends the program); here it is refused with a reason.
class BoundedFile {
  public:
    // The file's bytes, or nothing with the reason in *error ("… is larger than 64 KiB").
    static std::optional<std::string> Read(const std::filesystem::path& file, std::size_t maxBytes,
                                           std::string* error);
    // "64 KiB", "64 MiB".
    static std::string SizeText(std::size_t bytes);
};

}  // namespace marlin
