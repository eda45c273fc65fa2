// Settings › "Keep Texts Exactly" against the emulator: on, the Tweets table holds each text
// as the service sent it and the file is UTF-8 with its mark; off, all is as it was.
#include <simdjson.h>

#include <map>
#include <sstream>

#include "main_window_fixture.h"

namespace marlin::testing {
namespace {

class ExactTextsTest : public MainWindowTest {
  protected:
    // Every language: English words, Russian, birthdays (emoji) and the path with backslashes.
    std::string CaptureAndSave(const std::string& name) {
        W().Settings.ArchiveFile = File(name + ".jsonl");
        tk.messageAnswers = {MsgResult::No};
        NewSearch("the OR a OR to OR birthday OR path OR Привет OR Спасибо");
        tk.fileDialogAnswers = {File(name + ".txt").string()};
        frm->mSaveTweets_Click();
        return ReadFileBytes(File(name + ".txt"));
    }
    // Each archived text by id, as a table shows it: control codes blank, "&amp;" as "&".
    std::map<std::string, std::string> Archived(const std::string& name) {
        simdjson::dom::parser parser;
        std::map<std::string, std::string> texts;
        std::istringstream lines(ReadFileBytes(File(name + ".jsonl")));
        for (std::string line; std::getline(lines, line);) {
            const simdjson::dom::element tweet = parser.parse(line);
            std::string text(tweet["full_text"].get_string().value());
            for (char& c : text) c = c >= 0 && c < 0x20 ? ' ' : c;
            for (std::size_t at = 0; (at = text.find("&amp;", at)) != std::string::npos; ++at)
                text.erase(at + 1, 4);
            texts[std::string(tweet["id_str"].get_string().value())] = text;
        }
        return texts;
    }
    std::string LastTweetMode() { return RequestsTo("/1.1/search/tweets.json").back().Param("tweet_mode"); }
};

TEST_F(ExactTextsTest, OnTheCellsAreTheArchivedTextsInAUtf8FileAndOffAllIsAsBefore) {
    StartWindow();
    W().Settings.SearchLang.clear();
    BackDays(9);
    const std::string plain = CaptureAndSave("plain");
    EXPECT_THAT(plain,
                ::testing::AllOf(Not(StartsWith("\xEF\xBB\xBF")), HasSubstr("[cyr]"), HasSubstr("[?][?]")));
    EXPECT_EQ(LastTweetMode(), "");

    frm->mExactTexts_Click();
    const std::string exact = CaptureAndSave("exact");
    EXPECT_EQ(LastTweetMode(), "extended");
    ASSERT_TRUE(exact.starts_with("\xEF\xBB\xBF"));
    const std::map<std::string, std::string> archived = Archived("exact");
    ASSERT_EQ(archived.size(), static_cast<std::size_t>(W().TweetsTable.Rows().RowCount()));
    for (const auto& [id, text] : archived) EXPECT_THAT(exact, HasSubstr("\t" + text + "\t" + id + "\t"));
    // The capture held line breaks, backslashes, emoji, Cyrillic, quotes and texts over 140 characters.
    for (const char* escaped : {"\\n", "\\\\", "\\ud83c", "\\u041f", "\\\""})
        EXPECT_THAT(ReadFileBytes(File("exact.jsonl")), HasSubstr(escaped));
    EXPECT_TRUE(std::any_of(archived.begin(), archived.end(), [](const auto& t) {
        return std::count_if(t.second.begin(), t.second.end(), [](char c) { return (c & 0xC0) != 0x80; }) >
               140;
    }));
    EXPECT_TRUE(frm->SavePrefs() && ReadFileBytes(File("prefs")).find("\r\nET-1\r\n") != std::string::npos);
}

}  // namespace
}  // namespace marlin::testing
