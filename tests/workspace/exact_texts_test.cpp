// Settings › "Keep Texts Exactly" against the emulator: on, the Tweets table holds each text
// as the service sent it and the file is UTF-8 with its mark; off, all is as it was.
#include <simdjson.h>

#include <map>
#include <sstream>

#include "core/tweet_column.h"
#include "main_window_fixture.h"
#include "platform/blank_trim.h"

namespace marlin::testing {
namespace {

std::string Str(simdjson::dom::element value) {
    return std::string(value.get_string().value());
}

std::size_t CodePoints(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// A post's whole text in either dialect: v1.1's full_text, v2's note where it has one.
std::string WholeText(simdjson::dom::element post) {
    if (auto full = post["full_text"]; !full.error()) return Str(full.value());
    if (auto note = post["note_tweet"]["text"]; !note.error()) return Str(note.value());
    return Str(post["text"]);
}

// What a table keeps of an archived post exactly: a retweet as "RT @name: " and the whole
// original, control codes blank, the service's "&amp;" "&lt;" "&gt;" as their characters.
std::string ExactText(simdjson::dom::element post) {
    std::string text = WholeText(post);
    if (auto original = post["retweeted_status"]; !original.error())
        text = "RT @" + Str(original["user"]["screen_name"]) + ": " + WholeText(original.value());
    if (auto references = post["referenced_tweets"].get_array(); !references.error())
        for (const simdjson::dom::element reference : references.value())
            if (Str(reference["type"]) == "retweeted")
                text = "RT @" + Str(reference["tweet"]["author"]["username"]) + ": " +
                       WholeText(reference["tweet"]);
    for (char& c : text) c = c >= 0 && c < 0x20 ? ' ' : c;
    std::string decoded;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const std::string_view rest = std::string_view(text).substr(at);
        if (rest.starts_with("&amp;"))
            decoded += '&', at += 4;
        else if (rest.starts_with("&lt;"))
            decoded += '<', at += 3;
        else if (rest.starts_with("&gt;"))
            decoded += '>', at += 3;
        else
            decoded += text[at];
    }
    return decoded;
}

class ExactTextsTest : public MainWindowTest {
  protected:
    // Every language: English words, Russian, birthdays (emoji) and the path with backslashes.
    std::string CaptureAndSave(const std::string& name) {
        W().Settings.ArchiveFile = File(name + ".jsonl");
        tk.messageAnswers = {MsgResult::No};
        NewSearch("the OR a OR to OR birthday OR path OR Привет OR Спасибо");
        tk.fileDialogAnswers = {File(name + ".txt").string()};
        frm->Files().SaveTweetsTable();
        return ReadFileBytes(File(name + ".txt"));
    }
    // Each archived post's exact text by id.
    std::map<std::string, std::string> Archived(const std::string& name) {
        simdjson::dom::parser parser;
        std::map<std::string, std::string> texts;
        std::istringstream lines(ReadFileBytes(File(name + ".jsonl")));
        for (std::string line; std::getline(lines, line);) {
            const simdjson::dom::element post = parser.parse(line);
            auto v11Id = post["id_str"];
            texts[v11Id.error() ? Str(post["id"]) : Str(v11Id.value())] = ExactText(post);
        }
        return texts;
    }
    // Each row's text by id.
    std::map<std::string, std::string> Shown() {
        std::map<std::string, std::string> texts;
        for (int row = 0; row < W().TweetsTable.Rows().RowCount(); ++row)
            texts[std::string(TrimBlanks(W().TweetsTable.Rows().Cell(row, TweetColumn::TweetID)))] =
                W().TweetsTable.Rows().Cell(row, TweetColumn::Tweet);
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

    frm->TweetCtl().mExactTexts.Click();
    const std::string exact = CaptureAndSave("exact");
    EXPECT_EQ(LastTweetMode(), "extended");
    ASSERT_TRUE(exact.starts_with("\xEF\xBB\xBF"));
    const std::map<std::string, std::string> archived = Archived("exact");
    ASSERT_EQ(archived.size(), static_cast<std::size_t>(W().TweetsTable.Rows().RowCount()));
    for (const auto& [id, text] : archived) EXPECT_THAT(exact, HasSubstr("\t" + text + "\t" + id + "\t"));
    // The capture held line breaks, backslashes, emoji, Cyrillic, quotes and texts over 140 characters.
    for (const char* escaped : {"\\n", "\\\\", "\\ud83c", "\\u041f", "\\\""})
        EXPECT_THAT(ReadFileBytes(File("exact.jsonl")), HasSubstr(escaped));
    EXPECT_TRUE(std::any_of(archived.begin(), archived.end(),
                            [](const auto& t) { return CodePoints(t.second) > 140; }));
    EXPECT_TRUE(frm->Session().SavePrefs() &&
                ReadFileBytes(File("prefs")).find("\r\nET-1\r\n") != std::string::npos);
}

TEST_F(ExactTextsTest, RetweetsAreWholeAndEntitiesDecodedInBothDialects) {
    StartWindow();
    W().Settings.SearchLang.clear();
    BackDays(9);
    frm->TweetCtl().mExactTexts.Click();
    for (const bool v2 : {false, true}) {
        SCOPED_TRACE(v2 ? "v2" : "v1.1");
        frm->Service().SetApiV2(v2);
        const std::string name = v2 ? "v2" : "v11";
        CaptureAndSave(name);
        const std::map<std::string, std::string> archived = Archived(name);
        // The capture held retweets longer than the service's cut and every entity.
        EXPECT_TRUE(std::any_of(archived.begin(), archived.end(), [](const auto& t) {
            return t.second.starts_with("RT @") && CodePoints(t.second) > 140;
        }));
        for (const char c : {'<', '>', '&'})
            EXPECT_TRUE(std::any_of(archived.begin(), archived.end(),
                                    [c](const auto& t) { return t.second.find(c) != std::string::npos; }));
        const std::map<std::string, std::string> shown = Shown();
        ASSERT_EQ(shown.size(), archived.size());
        std::vector<std::string> differences;
        for (const auto& [id, text] : archived)
            if (shown.at(id) != text)
                differences.push_back(id + "\n  shown:    " + shown.at(id) + "\n  archived: " + text);
        EXPECT_THAT(differences, IsEmpty());
    }
}

}  // namespace
}  // namespace marlin::testing
