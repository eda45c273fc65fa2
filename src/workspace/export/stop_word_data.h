#pragma once

#include <string>
#include <string_view>

namespace marlin {

// The text of data/stopwords/<language>.txt as the build found it; empty for a language
// without a file. (Defined in a source file the build generates.)
std::string_view StopWordData(const std::string& language);

}  // namespace marlin
