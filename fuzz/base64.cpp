// Base64 on arbitrary text: decoding either succeeds or reports the one documented
// error, and every text the code page can hold comes back from its encoding unchanged.

#include "core/code_page.h"
#include "fuzz_support.h"
#include "service/enc64.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = marlin::fuzz::Text(data, size);

    std::size_t kept = 0;
    for (char c : text) kept += c != '\r' && c != '\n';
    try {
        marlin::Base64Decode(text);
        FUZZ_CHECK(kept % 4 == 0);
    } catch (const marlin::Base64Error& error) {
        FUZZ_CHECK(kept % 4 != 0);
        FUZZ_CHECK(error.Number() == marlin::Base64Error::kNumber);
    }

    // The bytes read as Windows-1252 give a text every character of which the encoder
    // can store.
    const std::string plain = marlin::CodePage::FromWindows1252(text);
    const std::string line = marlin::Base64EncodeSingleLine(plain);
    FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
    FUZZ_CHECK(line.size() % 4 == 0);
    FUZZ_CHECK(marlin::Base64Decode(line) == plain);

    std::string padded = plain;
    const std::string broken = marlin::Base64Encode(padded);
    FUZZ_CHECK(marlin::Base64Decode(broken) == plain);
    return 0;
}
