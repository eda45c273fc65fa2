#include "test_support.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace marlin::testing {

std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path.string());
    out << bytes;
}

std::string Fixture(const std::string& name) {
    return ReadFileBytes(std::filesystem::path(MARLIN_FIXTURES_DIR) / name);
}

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "marlin-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    m_path = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::filesystem::path BuiltAppFolder() { return MARLIN_APP_FOLDER; }

void InstallScorer(const std::filesystem::path& appFolder) {
    namespace fs = std::filesystem;
    const fs::path built = BuiltAppFolder();
    fs::create_directories(appFolder / "bin");
    fs::copy_file(built / "bin" / "support.dll", appFolder / "bin" / "support.dll");
    fs::copy(built / "SentiStrengthData", appFolder / "SentiStrengthData", fs::copy_options::recursive);
}

}  // namespace marlin::testing
