// One emulator, the same captures in v1.1 and in v2: the files agree row for row except in what
// v2 does not carry (UTC offsets, time zones, banners and backgrounds) and in the texts that v1.1
// without the extended mode cuts at 140 characters (with the link it adds in their place).
#include <set>
#include <sstream>

#include "core/tweet_column.h"
#include "platform/console_toolkit.h"
#include "service/curl_http_request.h"
#include "user_side_fixture.h"
#include "workspace/headless/headless_run.h"
#include "workspace/users/user_profile_table.h"
#include "workspace/users/user_table_files.h"

namespace marlin::testing {
namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows Fields(const std::string& bytes) {
    Rows rows;
    std::istringstream lines(bytes);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> cells;
        std::istringstream split(line);
        for (std::string cell; std::getline(split, cell, '\t');) cells.push_back(cell);
        rows.push_back(std::move(cells));
    }
    return rows;
}

// Fields (0-based) of a user table file that v2 does not carry: geo-enabled, time zone, UTC offset,
// banner, background.
const std::set<size_t> kUserFieldsV2Lacks = {7, 8, UserTable::kUtcOffset, 18, UserTable::kBackground};
const std::set<size_t> kTweetFieldsV2Lacks = {TweetColumn::UserUTC_Offset};
const std::set<size_t> kCutTextFields = {TweetColumn::Tweet, TweetColumn::LinkURL};

void ExpectSameRows(const std::string& v11File, const std::string& v2File, const std::set<size_t>& lacking,
                    bool tweets) {
    const Rows v11 = Fields(v11File), v2 = Fields(v2File);
    ASSERT_EQ(v11.size(), v2.size());
    ASSERT_GT(v11.size(), 1u);
    int cut = 0;
    for (size_t row = 0; row < v11.size(); ++row) {
        ASSERT_EQ(v11[row].size(), v2[row].size()) << row;
        const bool longText = tweets && v11[row][TweetColumn::Tweet] != v2[row][TweetColumn::Tweet];
        cut += longText;
        if (longText) {
            EXPECT_GT(v2[row][TweetColumn::Tweet].size(), 140u) << v2[row][TweetColumn::Tweet];
        }
        for (size_t k = 0; k < v11[row].size(); ++k) {
            if (!lacking.count(k) && !(longText && kCutTextFields.count(k))) {
                EXPECT_EQ(v11[row][k], v2[row][k]) << "row " << row << " field " << k;
            }
        }
    }
    if (tweets) {
        EXPECT_GT(cut, 0) << "no long post took part";
    }
}

class DialectComparisonTest : public UserSideTest {
  protected:
    void SetUp() override {
        StartService(UserCorpus(), false);
        StoreCredentials();
        names = {Emu().Users().demo, Emu().Users().verified, Emu().Users().international};
        std::string text;
        for (const std::string& name : names) text += name + "\r\n";
        WriteFileBytes(File("names.txt"), text);
    }
    std::string Read(const std::string& name) const { return ReadFileBytes(File(name)); }
    int RunHeadless(std::vector<std::string> arguments, const std::string& api) {
        arguments.insert(arguments.end(), {"--api", api});
        return RunCommandLine(arguments);
    }
    std::vector<std::string> names;
};

TEST_F(DialectComparisonTest, TheWindowsCapturesInBothDialectsGiveTheSameTables) {
    OpenForm();
    ASSERT_FALSE(W().Engine.Client()
                     .AuthAppAccess("Marlin Demo", Emu().Config().consumerKey, Emu().Config().consumerSecret)
                     .empty());
    for (const std::string api : {"v1.1", "v2"}) {
        frm->Service().SetApiV2(api == "v2");
        BackDays(3);
        NewSearch(Emu().Queries().common);
        ASSERT_TRUE(frm->Files().WriteTweetTable(File("tweets-" + api + ".txt").string()));
        frm->Users().Profiles().GetUsers(W().Engine, names, false, false);
        frm->Users().Profiles().FillUserTable(W().Engine.Users(), false);
        UserTableFile::Write(UserCtl().CurrentUserTable(), File("lookup-" + api + ".mut").string(),
                             UserTableFile::Layout::All);
        tk.promptAnswers.push_back(Emu().Users().midsize);
        frm->Users().List().mGetUserFollowers_Click();
        frm->Users().Profiles().FillUserTable(W().Engine.Users(), false);
        UserTableFile::Write(UserCtl().CurrentUserTable(), File("followers-" + api + ".mut").string(),
                             UserTableFile::Layout::All);
    }
    ExpectSameRows(Read("tweets-v1.1.txt"), Read("tweets-v2.txt"), kTweetFieldsV2Lacks, true);
    ExpectSameRows(Read("lookup-v1.1.mut"), Read("lookup-v2.mut"), kUserFieldsV2Lacks, false);
    ExpectSameRows(Read("followers-v1.1.mut"), Read("followers-v2.mut"), kUserFieldsV2Lacks, false);
    EXPECT_GT(CountRequests("/2/tweets/search/recent"), 1);
}

TEST_F(DialectComparisonTest, TheCommandLinesCapturesInBothDialectsGiveTheSameFiles) {
    for (const std::string api : {"v1.1", "v2"}) {
        ASSERT_EQ(
            RunHeadless(
                {"search", Emu().Queries().common, "--back", "3", "--out", File(api + ".txt").string()}, api),
            0);
        ASSERT_EQ(
            RunHeadless(
                {"lookup", "--users", File("names.txt").string(), "--out", File(api + ".mut").string()}, api),
            0);
        ASSERT_EQ(
            RunHeadless({"followers", Emu().Users().midsize, "--out", File(api + ".muk").string()}, api), 0);
    }
    ExpectSameRows(Read("v1.1.txt"), Read("v2.txt"), kTweetFieldsV2Lacks, true);
    ExpectSameRows(Read("v1.1.mut"), Read("v2.mut"), kUserFieldsV2Lacks, false);
    EXPECT_EQ(Read("v1.1.muk"), Read("v2.muk"));
    EXPECT_GT(CountRequests("/2/users/by"), 0);
}

}  // namespace
}  // namespace marlin::testing
