// The tree that `cmake --install` makes of the build, in a temporary prefix, and the installed
// program run from it the way a package's user runs it: from a folder they cannot write.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

namespace marlin::testing {
namespace {

namespace fs = std::filesystem;

std::string Quote(const fs::path& path) {
    std::string quoted(1, '\'');
    quoted += path.string();
    quoted += '\'';
    return quoted;
}

// Runs a shell command line: its exit status, its standard output and error together.
std::pair<int, std::string> RunCommand(const std::string& commandLine) {
    std::string output;
    FILE* pipe = popen((commandLine + " 2>&1").c_str(), "r");
    if (!pipe) return {-1, output};
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

// The build installed into a fresh prefix, its binary folder read-only by its permission
// bits (which the program honours even for the superuser the tests may run as).
class InstallTreeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto [status, output] =
            RunCommand(Quote(MARLIN_CMAKE_COMMAND) + " --install " + Quote(MARLIN_BUILD_DIR) + " --prefix " +
                       Quote(m_prefix.path()));
        ASSERT_EQ(status, 0) << output;
        chmod(Bin().c_str(), 0555);
    }
    void TearDown() override { chmod(Bin().c_str(), 0755); }

    fs::path Bin() const { return m_prefix / "bin"; }
    // The installed program on no display: a QApplication on xcb would abort it.
    std::pair<int, std::string> Program(const std::string& options) const {
        return RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb XDG_DATA_HOME=" +
                          Quote(m_home / "data") + " " + Quote(Bin() / "marlin-skimmer") + " " + options);
    }

    const bool m_scorerBuilt = fs::exists(BuiltAppFolder() / "bin" / "support.dll");
    TempFolder m_prefix;
    TempFolder m_home;
};

TEST_F(InstallTreeTest, HoldsTheProgramItsMenuEntryIconScorerAndReadmeAndNothingElse) {
    std::vector<std::string> expected = {
        "bin/marlin-skimmer",
        "bin/marlin-skimmer-cli",  // the command line for servers and schedulers
        "share/applications/marlin-skimmer.desktop",
        "share/doc/marlin-skimmer/README.md",
        "share/doc/marlin-skimmer/docs/chart.png",
        "share/doc/marlin-skimmer/docs/main-window.png",
        "share/icons/hicolor/scalable/apps/marlin-skimmer.svg",
    };
    if (m_scorerBuilt)
        expected.insert(expected.end(), {"share/marlin-skimmer/SentiStrengthData/lexicon.txt",
                                         "share/marlin-skimmer/bin/support.dll"});
    std::vector<std::string> installed;
    for (const auto& entry : fs::recursive_directory_iterator(m_prefix.path()))
        if (!entry.is_directory()) installed.push_back(fs::relative(entry.path(), m_prefix.path()).string());
    std::sort(installed.begin(), installed.end());
    EXPECT_EQ(installed, expected);

    // The menu finds the program on the PATH and the icon by its name in the icon theme.
    const std::string entry = ReadFileBytes(m_prefix / "share" / "applications" / "marlin-skimmer.desktop");
    for (const char* line :
         {"\nExec=marlin-skimmer\n", "\nIcon=marlin-skimmer\n", "\nCategories=Science;Education;Network;\n",
          "\nName=Marlin Skimmer Desktop Edition\n"})
        EXPECT_NE(entry.find(line), std::string::npos) << line;
}

TEST_F(InstallTreeTest, TheProgramAnswersVersionAndHelpWithoutADisplayNamingTheFolderItWouldUse) {
    const std::string scorer = m_scorerBuilt
                                   ? (m_prefix / "share" / "marlin-skimmer" / "bin" / "support.dll").string()
                                   : "none (bin/support.dll and SentiStrengthData/ go in the program folder)";
    EXPECT_EQ(Program("--version"),
              std::make_pair(0, "Marlin Skimmer Desktop Edition " MARLIN_VERSION "\nProgram folder: " +
                                    (m_home / "data" / "marlin-skimmer").string() +
                                    "\nSentiment scorer: " + scorer + "\n"));
    EXPECT_FALSE(fs::exists(m_home / "data"));  // only a start of the window makes it

    const auto [status, help] = Program("-platform offscreen --help");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(help.rfind("Usage: marlin-skimmer", 0), 0u) << help;
}

}  // namespace
}  // namespace marlin::testing
