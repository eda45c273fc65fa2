#pragma once

// Helpers the fuzz targets share: a property check that stops the run with a readable
// report, the input as text, and a scratch file for the readers that take a path.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace marlin::fuzz {

// A broken property is as much a find as a crash: report it and abort so libFuzzer
// keeps the input.
[[noreturn]] inline void Fail(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, condition);
    std::abort();
}

#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::marlin::fuzz::Fail(#condition, __FILE__, __LINE__))

inline std::string Text(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

// Takes the first byte of the input as option bits; the rest is the text.
struct Input {
    std::uint8_t flags = 0;
    std::string text;

    Input(const std::uint8_t* data, std::size_t size) {
        if (size > 0) {
            flags = data[0];
            text = Text(data + 1, size - 1);
        }
    }
    bool Flag(int bit) const { return (flags >> bit) & 1; }
};

// The scratch folder of this fuzzing process, in memory when the system offers it:
// the file readers are run on every input, so disk writes would set the pace.
inline const std::filesystem::path& ScratchFolder() {
    static const std::filesystem::path folder = [] {
        std::filesystem::path base = std::filesystem::exists("/dev/shm")
                                         ? std::filesystem::path("/dev/shm")
                                         : std::filesystem::temp_directory_path();
        std::filesystem::path made = base / ("marlin-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(made);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(ScratchFolder(), ignored);
        });
        return made;
    }();
    return folder;
}

// Writes the bytes to a file of that name in the scratch folder and returns its path.
inline std::filesystem::path WriteScratch(const std::string& name, std::string_view bytes) {
    const std::filesystem::path path = ScratchFolder() / name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

// The locale every reader of dates was written for, as the test suites pin it.
inline void PinTimeZone() {
    ::setenv("TZ", "Europe/London", 1);
    ::tzset();
}

}  // namespace marlin::fuzz
