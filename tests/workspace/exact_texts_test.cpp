// Settings › "Keep Texts Exactly" against the emulator: the Tweets table holds each text
// as the service sent it, whole and with every character, and the table file is UTF-8
// with its mark; with the item off, requests, texts and files are what they always were.
#include <simdjson.h>

#include <map>
#include <sstream>

#include "main_window_fixture.h"

namespace marlin::testing {
namespace {

constexpr std::string_view kMark = "\xEF\xBB\xBF";

// English words, a Russian greeting, birthdays (emoji) and the path with backslashes.
constexpr const char* kBroadQuery = "the OR a OR to OR birthday OR path OR Привет OR Спасибо";

class ExactTextsTest : public MainWindowTest {
  protected:
    // Searches every language; the run's objects go to the archive file.
    void Capture(bool exact) {
        StartWindow();
        if (exact) frm->mExactTexts_Click();
        W().Settings.SearchLang.clear();
        W().Settings.ArchiveFile = File("run.jsonl");
        BackDays(9);
        NewSearch(kBroadQuery);
        ASSERT_GT(W().OutTable.RowCount(), 300);
    }
    // Each archived tweet's text by id, as the table shows a text: control codes as
    // blanks and "&amp;" as "&".
    std::map<std::string, std::string> ArchivedTexts() {
        simdjson::dom::parser parser;
        std::map<std::string, std::string> texts;
        std::istringstream lines(ReadFileBytes(File("run.jsonl")));
        for (std::string line; std::getline(lines, line);) {
            const simdjson::dom::element tweet = parser.parse(line);
            std::string_view text;
            if (tweet["full_text"].get(text) != simdjson::SUCCESS) text = tweet["text"].get_string().value();
            std::string shown(text);
            for (char& c : shown)
                if (static_cast<unsigned char>(c) < 0x20) c = ' ';
            for (std::size_t at; (at = shown.find("&amp;")) != std::string::npos;) shown.replace(at, 5, "&");
            texts[std::string(tweet["id_str"].get_string().value())] = shown;
        }
        return texts;
    }
    std::map<std::string, std::string> TableTexts() {
        std::map<std::string, std::string> texts;
        for (int row = 0; row < W().OutTable.RowCount(); ++row)
            texts[Trimmed(W().OutTable.Cell(row, TweetColumn::TweetID))] =
                std::string(W().OutTable.Cell(row, TweetColumn::Tweet));
        return texts;
    }
};

TEST_F(ExactTextsTest, OnTheTableHoldsTheArchivedTextsAndTheFileIsUtf8WithItsMark) {
    Capture(true);
    const std::map<std::string, std::string> archived = ArchivedTexts();
    const std::map<std::string, std::string> shown = TableTexts();
    EXPECT_EQ(shown, archived);
    // The corpus the capture drew on holds what the clean-up used to lose.
    const std::string corpus = ReadFileBytes(File("run.jsonl"));
    for (const char* escaped : {"\\n", "\\\\", "\\ud83c", "\\u041f", "\\\""})
        EXPECT_THAT(corpus, HasSubstr(escaped));
    std::size_t longest = 0;
    for (const auto& [id, text] : shown) longest = std::max(longest, text.size());
    EXPECT_GT(longest, 200u);
    for (const auto& request : RequestsTo("/1.1/search/tweets.json"))
        EXPECT_THAT(request.target, HasSubstr("&tweet_mode=extended"));

    const std::string file = File("exact.txt").string();
    tk.fileDialogAnswers = {file};
    frm->mSaveTweets_Click();
    const std::string bytes = ReadFileBytes(file);
    ASSERT_TRUE(bytes.starts_with(kMark));
    for (const auto& [id, text] : shown) EXPECT_THAT(bytes, HasSubstr("\t" + text + "\t" + id + "\t"));
}

TEST_F(ExactTextsTest, OffTheRequestsTextsAndFileAreAsBefore) {
    Capture(false);
    for (const auto& request : RequestsTo("/1.1/search/tweets.json"))
        EXPECT_THAT(request.target, Not(HasSubstr("tweet_mode")));
    const std::string bytes = [&] {
        tk.fileDialogAnswers = {File("plain.txt").string()};
        frm->mSaveTweets_Click();
        return ReadFileBytes(File("plain.txt"));
    }();
    EXPECT_FALSE(bytes.starts_with(kMark));
    EXPECT_THAT(bytes, HasSubstr("[cyr]"));
    EXPECT_THAT(bytes, HasSubstr("[?][?]"));
    // Preferences keep the item under a tag of its own, and only when it is on.
    frm->mExactTexts_Click();
    ASSERT_TRUE(frm->SavePrefs());
    EXPECT_THAT(ReadFileBytes(File("prefs")), HasSubstr("\r\nET-1\r\n"));
    ReopenWindow();
    frm->LoadPrefs();
    EXPECT_TRUE(W().Settings.ExactTexts);
    EXPECT_TRUE(W().Tweets.mExactTexts.Checked());
    EXPECT_TRUE(W().Twitter.ExactTexts());
}

}  // namespace
}  // namespace marlin::testing
