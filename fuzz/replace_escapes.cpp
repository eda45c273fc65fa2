// The clean-up of service texts on arbitrary text: every escape code goes, with or
// without a toolkit to yield to, and a backslash survives only where the text held one.

#include "core/skd_funcs.h"
#include "fuzz_support.h"
#include "platform/testing/scripted_toolkit.h"

namespace SKD = marlin::SKDFuncs;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = marlin::fuzz::Text(data, size);
    marlin::testing::ScriptedToolkit toolkit;

    const std::string cleaned = SKD::ReplaceEscapes(text);
    FUZZ_CHECK(cleaned.size() <= text.size() * 2);  // no placeholder is longer than 7 bytes
    FUZZ_CHECK(SKD::ReplaceEscapes(text, toolkit) == cleaned);
    // A clean text stays as it is, but for the "&amp;" the service writes for "&" and the
    // backslashes that decoded escapes leave.
    if (cleaned.find("&amp;") == std::string::npos && cleaned.find('\\') == std::string::npos) {
        FUZZ_CHECK(SKD::ReplaceEscapes(cleaned) == cleaned);
    }
    if (text.find('\\') == std::string::npos) FUZZ_CHECK(cleaned.find('\\') == std::string::npos);

    SKD::UnicodePlaceholder(text.substr(0, 6));
    return 0;
}
