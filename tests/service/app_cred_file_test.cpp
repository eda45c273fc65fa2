#include "service/app_cred_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "service/enc64.h"
#include "test_support.h"

namespace marlin {
namespace {

using testing::ReadFileBytes;
using testing::TempFolder;
using testing::WriteFileBytes;

mode_t Permissions(const std::filesystem::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mode & 07777;
}

const AppCredFile::Credentials kDemo{"Marlin Demo", "mDemoConsumerKey0000000000",
                                     "mDemoConsumerSecret000000000000000000000000000000"};

TEST(AppCredFileTest, WritesOneBase64LineOwnerOnlyAndReadsItBack) {
    TempFolder folder;
    const AppCredFile file = AppCredFile::InFolder(folder.path());
    EXPECT_EQ(file.Path(), folder / "appcred");
    EXPECT_FALSE(file.Exists());

    file.Write(kDemo);
    EXPECT_TRUE(file.Exists());
    EXPECT_EQ(Permissions(file.Path()), 0600u);
    const std::string bytes = ReadFileBytes(file.Path());
    // Long enough that the encoder breaks its lines; the file still holds one.
    EXPECT_EQ(bytes,
              Base64EncodeSingleLine("Marlin Demo\r\n" + kDemo.consumerKey + "\r\n" + kDemo.consumerSecret) +
                  "\r\n");
    EXPECT_EQ(bytes.find('\r'), bytes.size() - 2);
    EXPECT_EQ(file.Read(), kDemo);
}

TEST(AppCredFileTest, RewritingAWiderFileLeavesItOwnerOnly) {
    TempFolder folder;
    const AppCredFile file = AppCredFile::InFolder(folder.path());
    WriteFileBytes(file.Path(), "Old App\r\nold key\r\nold secret\r\n");
    ::chmod(file.Path().c_str(), 0644);

    file.Write(kDemo);
    EXPECT_EQ(Permissions(file.Path()), 0600u);
    EXPECT_EQ(file.Read(), kDemo);
    EXPECT_FALSE(std::filesystem::exists(folder / "appcred.new"));
}

TEST(AppCredFileTest, ReadsThePlainThreeLineFormInTheSingleByteCodePage) {
    TempFolder folder;
    const AppCredFile file = AppCredFile::InFolder(folder.path());
    WriteFileBytes(file.Path(), "Caf\xE9 App\r\nkey\r\nsecret\r\n");
    const AppCredFile::Credentials read = file.Read();
    EXPECT_EQ(read.appName, "Caf\xC3\xA9 App");
    EXPECT_EQ(read.consumerKey, "key");
    EXPECT_EQ(read.consumerSecret, "secret");
    EXPECT_TRUE(read.Complete());

    // Non-ASCII survives the single-line form too.
    file.Write(read);
    EXPECT_EQ(file.Read(), read);
}

TEST(AppCredFileTest, IncompleteOrUnreadableFilesLeaveFieldsEmpty) {
    TempFolder folder;
    const AppCredFile file = AppCredFile::InFolder(folder.path());
    EXPECT_EQ(file.Read(), AppCredFile::Credentials{});  // no file

    WriteFileBytes(file.Path(), "");
    EXPECT_EQ(file.Read(), AppCredFile::Credentials{});

    // One line is always taken as Base64, even a hand-written name.
    WriteFileBytes(file.Path(), "my app\r\n");
    EXPECT_EQ(file.Read(), AppCredFile::Credentials{});

    WriteFileBytes(file.Path(), Base64EncodeSingleLine("App\r\nkey") + "\r\n");
    EXPECT_EQ(file.Read(), (AppCredFile::Credentials{"App", "key", ""}));
    EXPECT_FALSE(file.Read().Complete());

    WriteFileBytes(file.Path(), "App\nkey\n");
    EXPECT_EQ(file.Read(), (AppCredFile::Credentials{"App", "key", ""}));

    std::filesystem::remove(file.Path());
    std::filesystem::create_directory(file.Path());
    EXPECT_FALSE(file.Exists());
    EXPECT_EQ(file.Read(), AppCredFile::Credentials{});
    EXPECT_THROW(file.Write(kDemo), std::runtime_error);
}

}  // namespace
}  // namespace marlin
