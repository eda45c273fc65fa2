#include "core/bounded_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace marlin {

std::string BoundedFile::SizeText(std::size_t bytes) {
    if (bytes >= (std::size_t{1} << 20) && bytes % (std::size_t{1} << 20) == 0)
        return std::to_string(bytes >> 20) + " MiB";
    if (bytes >= 1024 && bytes % 1024 == 0) return std::to_string(bytes >> 10) + " KiB";
    return std::to_string(bytes) + " bytes";
}

std::optional<std::string> BoundedFile::Read(const std::filesystem::path& file, std::size_t maxBytes,
                                             std::string* error) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = "cannot read " + file.string() + ": " + std::strerror(errno);
        return std::nullopt;
    }
    std::string bytes;
    char block[65536];
    for (;;) {
        const ssize_t got = ::read(fd, block, sizeof block);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            *error = "cannot read " + file.string() + ": " + std::strerror(errno);
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0) break;
        if (bytes.size() + static_cast<std::size_t>(got) > maxBytes) {
            *error = file.string() + " is larger than " + SizeText(maxBytes) + "; it is not read";
            ::close(fd);
            return std::nullopt;
        }
        bytes.append(block, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return bytes;
}

}  // namespace marlin
