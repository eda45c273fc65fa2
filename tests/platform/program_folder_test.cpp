#include "platform/program_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "test_support.h"

namespace marlin {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;
using testing::WriteFileBytes;

// A binary folder made read-only by its permission bits, as a package's folder is to its
// user; the rule must honour them even when the tests run as root.
class ProgramFolderTest : public ::testing::Test {
  protected:
    ProgramFolderTest() {
        fs::create_directories(m_bin);
        chmod(m_bin.c_str(), 0555);
    }
    ~ProgramFolderTest() override { chmod(m_bin.c_str(), 0755); }

    ProgramFolder Rule(const std::string& xdgDataHome) const {
        return ProgramFolder(m_bin, {xdgDataHome, (m_temp / "home").string()});
    }

    TempFolder m_temp;
    fs::path m_bin = m_temp / "usr" / "bin";
    fs::path m_xdg = m_temp / "data";
};

TEST_F(ProgramFolderTest, AReadOnlyBinaryFolderSendsTheFilesToTheDataHomeMadeOnFirstStart) {
    const ProgramFolder folder = Rule(m_xdg.string());
    EXPECT_EQ(folder.Path(), m_xdg / "marlin-skimmer");
    EXPECT_EQ(folder.InstalledDataFolder(), m_temp / "usr" / "share" / "marlin-skimmer");
    EXPECT_FALSE(fs::exists(m_xdg));  // deciding writes nothing
    ASSERT_FALSE(folder.Create());
    // It holds the credentials; the next start finds it.
    EXPECT_EQ(fs::status(folder.Path()).permissions(), fs::perms::owner_all);
    EXPECT_FALSE(folder.Create());

    for (const std::string unusable : {"", "relative/data"})
        EXPECT_EQ(Rule(unusable).Path(), m_temp / "home" / ".local" / "share" / "marlin-skimmer") << unusable;

    WriteFileBytes(m_temp / "file", "");
    EXPECT_TRUE(Rule((m_temp / "file").string()).Create());

    chmod(m_bin.c_str(), 0755);
    EXPECT_EQ(Rule(m_xdg.string()).Path(), m_bin);
}

}  // namespace
}  // namespace marlin
