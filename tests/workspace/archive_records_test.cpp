// A table made again from a raw archive: the same records as the capture that wrote it, in
// both dialects, with texts kept exactly or not, and a last line cut short passed over.
#include <filesystem>
#include <map>

#include "core/tweet_set.h"
#include "main_window_fixture.h"
#include "service/archive_records.h"

namespace marlin::testing {
namespace {

// A record's fields on one line, by its id.
std::map<std::string, std::string> ById(const TweetSet& tweets) {
    std::map<std::string, std::string> records;
    for (int k = 1; k <= tweets.Count(); ++k) {
        const TweetSet::Record& r = tweets.Item(k);
        records[r.TweetID] = r.DateTime + "\t" + r.ScreenName + "\t" + r.Text + "\t" + r.RealName + "\t" +
                             std::to_string(r.Followers) + "\t" + std::to_string(r.Following) + "\t" +
                             r.Location + "\t" + std::to_string(r.UTC_Offset) + "\t" + r.GeoCoords + "\t" +
                             r.UserTweets + "\t" + std::to_string(r.Retweeted) + "\t" + r.LinkURL + "\t" +
                             r.Description;
    }
    return records;
}

class ArchiveRecordsTest : public MainWindowTest {};

TEST_F(ArchiveRecordsTest, TheArchiveGivesTheRecordsOfTheCaptureThatWroteIt) {
    StartWindow();
    W().Settings.SearchLang.clear();
    BackDays(9);  // past the service's index: no post is trimmed off the table
    for (const bool v2 : {false, true}) {
        for (const bool exact : {false, true}) {
            SCOPED_TRACE(std::string(v2 ? "v2" : "v1.1") + (exact ? ", exact texts" : ""));
            const std::filesystem::path archive =
                File(std::string(v2 ? "v2" : "v11") + (exact ? "-exact" : "") + ".jsonl");
            W().Settings.ArchiveFile = archive;
            frm->Service().SetApiV2(v2);
            W().SetExactTexts(exact);
            tk.messageAnswers = {MsgResult::No};
            NewSearch("the OR a OR birthday OR path OR Привет");
            const std::map<std::string, std::string> captured = ById(W().Engine.Tweets());
            ASSERT_GT(captured.size(), 100u);

            TweetSet rebuilt(Yield{});
            rebuilt.SetExactTexts(exact);
            const ArchiveRecords::Result result = ArchiveRecords::Load(archive, rebuilt);
            EXPECT_EQ(result.problem, "");
            EXPECT_EQ(result.skipped, 0);
            EXPECT_EQ(ById(rebuilt), captured);
        }
    }
}

TEST_F(ArchiveRecordsTest, ALineCutShortAndUserLinesArePassedOver) {
    StartWindow();
    BackDays(9);
    W().Settings.ArchiveFile = File("cut.jsonl");
    frm->Service().SetApiV2(true);
    NewSearch("data");
    const std::size_t captured = ById(W().Engine.Tweets()).size();
    // The machine stopped in the middle of a page; a look-up of users shared the file.
    std::string lines = ReadFileBytes(File("cut.jsonl"));
    lines += R"({"id":"7","name":"A","username":"a"})"
             "\n";
    lines += lines.substr(0, lines.find('\n') + 1);  // an id written twice
    lines += R"({"id":"9","text":"half a po)";
    WriteFileBytes(File("cut.jsonl"), lines);
    TweetSet rebuilt(Yield{});
    const ArchiveRecords::Result result = ArchiveRecords::Load(File("cut.jsonl"), rebuilt);
    EXPECT_EQ(rebuilt.Count(), static_cast<int>(captured));
    EXPECT_EQ(result.posts, static_cast<int>(captured));
    EXPECT_EQ(result.skipped, 3);
    EXPECT_EQ(ArchiveRecords::Load(File("missing.jsonl"), rebuilt).problem,
              "cannot read " + File("missing.jsonl").string() + ": No such file or directory");
}

TEST_F(ArchiveRecordsTest, OpenArchiveMakesTheCapturesTableAgainByteForByte) {
    StartWindow();
    W().Settings.SearchLang.clear();
    BackDays(9);
    for (const bool v2 : {false, true}) {
        for (const bool exact : {false, true}) {
            SCOPED_TRACE(std::string(v2 ? "v2" : "v1.1") + (exact ? ", exact texts" : ""));
            const std::string name = std::string(v2 ? "v2" : "v11") + (exact ? "-exact" : "");
            W().Settings.ArchiveFile = File(name + ".jsonl");
            frm->Service().SetApiV2(v2);
            W().SetExactTexts(exact);
            tk.messageAnswers = {MsgResult::No};
            NewSearch("the OR a OR birthday OR path OR Привет");
            ASSERT_TRUE(frm->Files().WriteTweetTable(File(name + "-captured.txt").string()));
            W().Settings.ArchiveFile.clear();

            // The captured rows are unsaved: Open Archive asks first, as Open does.
            tk.messages.clear();
            tk.messageAnswers = {MsgResult::No};
            tk.fileDialogAnswers = {File(name + ".jsonl").string()};
            ASSERT_TRUE(frm->Files().OpenArchive());
            EXPECT_THAT(tk.MessageTexts(), ElementsAre(HasSubstr("Save contents now?")));
            EXPECT_TRUE(W().TweetsDirty());
            EXPECT_EQ(W().TweetsTable.File(), "");
            ASSERT_TRUE(frm->Files().WriteTweetTable(File(name + "-rebuilt.txt").string()));
            EXPECT_EQ(ReadFileBytes(File(name + "-rebuilt.txt")),
                      ReadFileBytes(File(name + "-captured.txt")));
        }
    }
    // A file that holds no post opens nothing and says so.
    WriteFileBytes(File("users.jsonl"), R"({"id":"7","name":"A","username":"a"})"
                                        "\n");
    W().SetTweetsDirty(false);
    const int rows = W().TweetsTable.Rows().RowCount();
    tk.fileDialogAnswers = {File("users.jsonl").string()};
    EXPECT_FALSE(frm->Files().OpenArchive());
    EXPECT_EQ(tk.messages.back().text, "There are no posts in " + File("users.jsonl").string());
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), rows);
}

}  // namespace
}  // namespace marlin::testing
