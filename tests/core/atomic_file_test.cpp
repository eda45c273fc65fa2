#include "core/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "test_support.h"

namespace marlin {
namespace {

using testing::FolderEntries;
using testing::ReadFileBytes;
using testing::TempFolder;
using testing::WriteFileBytes;

mode_t ModeOf(const std::filesystem::path& file) {
    struct stat info {};
    ::stat(file.c_str(), &info);
    return info.st_mode & 07777;
}

mode_t UsualMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

TEST(AtomicFile, WritesWholeFilesWithTheModeTheTargetCallsFor) {
    struct Case {
        const char* what;
        std::optional<mode_t> existingMode;  // nothing: no file before
        std::optional<mode_t> fixedMode;
        mode_t expected;
    };
    const Case cases[] = {
        {"a new file as a plain create makes it", std::nullopt, std::nullopt, UsualMode()},
        {"an existing file keeps its bits", 0600, std::nullopt, 0600},
        {"an existing file keeps wider bits too", 0664, std::nullopt, 0664},
        {"a fixed mode for a new file", std::nullopt, 0600, 0600},
        {"a fixed mode narrows an existing file", 0644, 0600, 0600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const auto target = folder / "table.txt";
        if (c.existingMode) {
            WriteFileBytes(target, "old");
            ::chmod(target.c_str(), *c.existingMode);
        }
        ASSERT_TRUE(AtomicFile::Write(target, "new bytes", c.fixedMode));
        EXPECT_EQ(ReadFileBytes(target), "new bytes");
        EXPECT_EQ(ModeOf(target), c.expected);
        EXPECT_EQ(FolderEntries(folder.path()), std::vector<std::string>{"table.txt"});
    }
}

TEST(AtomicFile, AFailureLeavesTheEarlierFileAndNoTemporaryFile) {
    TempFolder folder;
    const auto target = folder / "users.mut";
    WriteFileBytes(target, "earlier");
    {
        testing::FileSizeLimit fullDisk(8);
        AtomicFile file(target);
        EXPECT_TRUE(file.Append("12345"));
        EXPECT_FALSE(file.Append("6789012345"));
        EXPECT_FALSE(file.Commit());
    }
    EXPECT_EQ(ReadFileBytes(target), "earlier");
    EXPECT_EQ(FolderEntries(folder.path()), std::vector<std::string>{"users.mut"});

    // A writer dropped before its commit leaves nothing behind either.
    { AtomicFile(target).Append("abandoned"); }
    EXPECT_EQ(ReadFileBytes(target), "earlier");
    EXPECT_EQ(FolderEntries(folder.path()), std::vector<std::string>{"users.mut"});
}

TEST(AtomicFile, NeverWritesThroughALinkPlantedBesideTheTarget) {
    TempFolder folder;
    const auto victim = folder / "victim";
    WriteFileBytes(victim, "precious");
    // The fixed names earlier writers used for their temporary files.
    for (const char* planted : {"users.mut.partial", "users.mut.new", ".users.mut.XXXXXX"})
        std::filesystem::create_symlink(victim, folder / planted);

    ASSERT_TRUE(AtomicFile::Write(folder / "users.mut", "rows"));
    EXPECT_EQ(ReadFileBytes(victim), "precious");
    EXPECT_EQ(ReadFileBytes(folder / "users.mut"), "rows");
    EXPECT_FALSE(std::filesystem::is_symlink(folder / "users.mut"));
}

TEST(AtomicFile, AFolderThatCannotTakeFilesFailsCleanly) {
    TempFolder folder;
    EXPECT_FALSE(AtomicFile::Write(folder / "missing" / "prefs", "text"));
}

}  // namespace
}  // namespace marlin

namespace marlin {
namespace {

TEST(AtomicFile, TheSweepRemovesOnlyTheAbandonedTemporaryFilesOfOurOwnKinds) {
    struct Case {
        const char* name;
        mode_t mode;
        bool swept;
    };
    const Case cases[] = {
        {".t.xlsx.Ab12cd", 0600, true},       // left by an export killed part-way
        {".climate.txt.x9Y8z7", 0600, true},  // a table save, likewise
        {".notes.txt.backup", 0600, false},   // a user's own file: no mkstemp name
        {".t.xlsx.Ab12cd.old", 0600, false},
        {".t.pdf.Ab12cd", 0600, false},  // not a kind of file the program writes
        {".t.csv.Ab12cd", 0644, false},  // committed modes are never a temporary's
        {"t.csv.Ab12cd", 0600, false},
    };
    TempFolder folder;
    std::vector<std::string> kept{"busy.csv"};
    for (const Case& c : cases) {
        WriteFileBytes(folder / c.name, "");
        ::chmod((folder / c.name).c_str(), c.mode);
        if (!c.swept) kept.push_back(c.name);
    }
    // A writer still at work holds its temporary file: the sweep leaves it alone.
    AtomicFile busy(folder / "busy.csv");
    ASSERT_TRUE(busy.Append("half"));
    EXPECT_EQ(AtomicFile::SweepLeftovers(folder.path()), 2);
    ASSERT_TRUE(busy.Commit());
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(FolderEntries(folder.path()), kept);
}

}  // namespace
}  // namespace marlin
