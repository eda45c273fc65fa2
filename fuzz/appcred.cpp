// The credentials file reader on arbitrary file contents, and the writer's file read
// back: whatever the file holds, Read gives three texts and never fails.

#include "core/code_page.h"
#include "fuzz_support.h"
#include "service/app_cred_file.h"

using marlin::AppCredFile;

namespace {

// Three texts cut from the input at NUL bytes, as Windows-1252 so the file can hold
// them. A CR LF inside one would split it, so they carry none.
AppCredFile::Credentials CredentialsFrom(const std::string& text) {
    std::string parts[3];
    int k = 0;
    for (char c : text) {
        if (c == '\0' && k < 2) {
            ++k;
        } else if (c != '\r' && c != '\n') {
            parts[k] += c;
        }
    }
    using marlin::CodePage::FromWindows1252;
    return {FromWindows1252(parts[0]), FromWindows1252(parts[1]), FromWindows1252(parts[2])};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = marlin::fuzz::Text(data, size);
    const AppCredFile file(marlin::fuzz::WriteScratch("appcred", bytes));
    file.Read();

    const AppCredFile::Credentials credentials = CredentialsFrom(bytes);
    const AppCredFile written(marlin::fuzz::ScratchFolder() / "written" / AppCredFile::kFileName);
    static const bool made = std::filesystem::create_directories(written.Path().parent_path());
    (void)made;
    written.Write(credentials);
    FUZZ_CHECK(written.Read() == credentials);
    return 0;
}
