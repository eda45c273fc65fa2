#include <gtest/gtest.h>
#include <unistd.h>

#include "core/tweet_set.h"
#include "platform/testing/scripted_toolkit.h"
#include "sentiment/marlin_data.h"
#include "sentiment_test_support.h"
#include "toolkit_hosts.h"

namespace marlin::testing {
namespace {

namespace fs = std::filesystem;
constexpr const char* kFailed = "Couldn't complete Sentistrength analysis";

// A program folder with a blank in its name, as under "Program Files".
class RunSentiStrengthTest : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directories(m_app); }

    // A loaded table whose column 3 holds the texts.
    void LoadTexts(const std::vector<std::string>& texts) { LoadTexts(texts, m_data); }
    void LoadTexts(const std::vector<std::string>& texts, MarlinData& data) {
        std::string file;
        for (std::size_t i = 0; i < texts.size(); ++i) {
            file += "d" + std::to_string(i + 1) + "\tuser\t" + texts[i];
            for (int c = 4; c <= 16; ++c) file += c == 14 || c == 15 ? "\t0" : "\tf";
            file += "\t\r\n";
        }
        WriteFileBytes(m_temp / "table.txt", file);
        ASSERT_TRUE(data.Load((m_temp / "table.txt").string()));
    }

    bool Run(bool recalc = true) { return m_data.RunSentiStrength(m_app.string(), m_app.string(), recalc); }
    std::string Scores(int record) { return m_data.Value(record, 14) + " " + m_data.Value(record, 15); }

    ScriptedToolkit m_toolkit;
    ToolkitProcessHost m_host{m_toolkit};
    TempFolder m_temp;
    fs::path m_app = m_temp / "Program Files" / "Marlin Skimmer";
    MarlinData m_data{m_host, m_app};
};

// Runs the stand-in scorer that the build put in the program folder.
class WithStandIn : public RunSentiStrengthTest {
  protected:
    void SetUp() override {
        RunSentiStrengthTest::SetUp();
        const fs::path built = BuiltAppFolder();
        if (!fs::exists(built / "bin" / "support.dll"))
            GTEST_SKIP() << "the scorer stand-in is not built (no JDK)";
        fs::create_directories(m_app / "bin");
        fs::copy_file(built / "bin" / "support.dll", m_app / "bin" / "support.dll");
        fs::copy(built / "SentiStrengthData", m_app / "SentiStrengthData");
        m_toolkit.realSleep = true;
    }
};

TEST_F(WithStandIn, ScoresLandInTheirOwnRecordsAndTheExchangeFilesGo) {
    LoadTexts({"I love this, what a great day", "awful, I hate it", "plain words only",
               "first line\nsecond line terrible", "so happy :)"});
    ASSERT_TRUE(Run()) << m_data.LastScorerError();
    EXPECT_EQ(Scores(1), "3 -1");
    EXPECT_EQ(Scores(2), "1 -4");
    EXPECT_EQ(Scores(3), "1 -1");
    EXPECT_EQ(Scores(4), "1 -4");  // the line break inside the text shifts nothing
    EXPECT_EQ(Scores(5), "4 -1");
    EXPECT_TRUE(m_toolkit.messages.empty());
    EXPECT_EQ(m_data.LastScorerError(), "");
    EXPECT_FALSE(fs::exists(m_data.ScorerInputPath()));
    EXPECT_FALSE(fs::exists(m_data.ScorerOutputPath()));
}

TEST_F(WithStandIn, ScoresTheTextsOfTheTweetSet) {
    TweetSet tweets(m_toolkit.Yielder());
    tweets.SetData(Fixture("search_tweets_page.json"), false, true);
    m_data.SetData(tweets);
    ASSERT_TRUE(Run(false)) << m_data.LastScorerError();
    for (int i = 1; i <= m_data.RecordCount(); ++i) {
        const int positive = std::stoi(m_data.Value(i, 14));
        const int negative = std::stoi(m_data.Value(i, 15));
        EXPECT_TRUE(positive >= 1 && positive <= 5) << i;
        EXPECT_TRUE(negative >= -5 && negative <= -1) << i;
    }
}

// Fake scorers: a "java" script found first on the PATH.
class WithFakeScorer : public RunSentiStrengthTest {
  protected:
    void SetUp() override {
        RunSentiStrengthTest::SetUp();
        m_toolkit.realSleep = true;
    }
    void InstallFake(const std::string& body) {
        fs::create_directories(m_fakeBin);
        WriteScript(m_fakeBin / "java", "out=\"${6%.txt}0_out.txt\"\n" + body);
    }
    fs::path m_fakeBin = m_temp / "fake bin";
    PathOverride m_path{(m_temp / "fake bin").string() + ":/usr/bin:/bin"};
};

TEST_F(WithFakeScorer, GetsQuotedPathsAndWindows1252Lines) {
    InstallFake("for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" + (m_temp / "args").string() +
                "\"\ncp \"$6\" \"" + (m_temp / "input copy").string() +
                "\"\nprintf 'Positive\\tNegative\\tText\\n2\\t-3\\ta\\n4\\t-1\\n' > \"$out\"\n");
    LoadTexts({"caf\xE9 \x80", "second"});
    ASSERT_TRUE(Run()) << m_data.LastScorerError();
    const fs::path input = m_data.ScorerInputPath();
    EXPECT_EQ(input.parent_path(), m_app);
    EXPECT_TRUE(input.filename().string().starts_with("tmp-")) << input;
    EXPECT_EQ(input.extension(), ".txt");
    EXPECT_EQ(m_data.ScorerOutputPath(), m_app / (input.stem().string() + "0_out.txt"));
    EXPECT_EQ(ReadFileBytes(m_temp / "args"), "-jar\n" + (m_app / "bin" / "support.dll").string() +
                                                  "\nsentidata\n" + (m_app / "SentiStrengthData").string() +
                                                  "/\ninput\n" + input.string() + "\n");
    EXPECT_EQ(ReadFileBytes(m_temp / "input copy"), "caf\xE9 \x80\r\nsecond\r\n");
    EXPECT_EQ(Scores(1), "2 -3");
    EXPECT_EQ(Scores(2), "4 -1");
}

TEST_F(WithFakeScorer, MissingOrStaleOutputFailsWithTheMessage) {
    InstallFake("exit 1\n");
    LoadTexts({"one"});
    // Left behind by an earlier version's run; it must not pass for this run's scores.
    WriteFileBytes(m_app / "tmp0_out.txt", "Positive\tNegative\tText\n5\t-5\tone\n");
    EXPECT_FALSE(Run());
    ASSERT_EQ(m_toolkit.messages.size(), 1u);
    EXPECT_EQ(m_toolkit.messages[0].text, kFailed);
    EXPECT_EQ(m_toolkit.messages[0].title, "Error");
    EXPECT_EQ(m_toolkit.messages[0].icon, MsgIcon::Error);
    EXPECT_NE(m_data.LastScorerError().find("no output"), std::string::npos) << m_data.LastScorerError();
    EXPECT_NE(m_data.LastScorerError().find("exit code 1"), std::string::npos) << m_data.LastScorerError();
    EXPECT_EQ(Scores(1), "0 0");
}

// Scores are taken only from an output with one line per record and two whole numbers on
// each; anything else leaves every score at 0 and says why.
TEST_F(WithFakeScorer, OutputIsTakenWholeOrNotAtAll) {
    const struct {
        const char* results;  // the lines after the header
        const char* reason;   // empty: taken
    } cases[] = {
        {"3\\t-2\\tone\\n1\\t-4\\ttwo\\n", ""},
        {"3\\t-2\\tone\\n1\\t-4\\ttwo\\n\\n", ""},  // a blank line at the end counts for nothing
        {"3\\t-2\\tone\\n", "1 result lines for 2"},
        {"3\\t-2\\tone\\n1\\t-4\\ttwo\\n2\\t-1\\tthree\\n", "3 result lines for 2"},
        {"3\\t-2\\tone\\ngood\\tbad\\ttwo\\n", "result line 2 does not start with two whole numbers"},
        {"3\\t-2.5\\tone\\n1\\t-4\\ttwo\\n", "result line 1 does not start with two whole numbers"},
        {"3\\t\\tone\\n1\\t-4\\ttwo\\n", "result line 1 does not start with two whole numbers"},
        {"3 -2 one\\n1\\t-4\\ttwo\\n", "result line 1 has no tab"},
    };
    for (const auto& c : cases) {
        InstallFake(std::string("printf 'Positive\\tNegative\\tText\\n") + c.results + "' > \"$out\"\n");
        m_toolkit.messages.clear();
        LoadTexts({"one", "two"});
        const bool taken = *c.reason == '\0';
        EXPECT_EQ(Run(), taken) << c.results;
        if (taken) {
            EXPECT_EQ(Scores(1) + ", " + Scores(2), "3 -2, 1 -4");
            continue;
        }
        EXPECT_EQ(Scores(1) + ", " + Scores(2), "0 0, 0 0") << c.results;
        EXPECT_EQ(m_toolkit.MessageTexts(), std::vector<std::string>{kFailed});
        EXPECT_NE(m_data.LastScorerError().find(c.reason), std::string::npos) << m_data.LastScorerError();
    }
}

// Two copies of the program in one folder score at the same time: each reads its own
// scores. The second copy's run happens while the first one's scorer is still working.
TEST_F(WithFakeScorer, TwoCopiesInOneFolderKeepTheirOwnScores) {
    // Scores a line by its length, after a pause long enough for the runs to overlap.
    InstallFake(
        "sleep 1\n{ printf 'Positive\\tNegative\\tText\\n'; tr -d '\\r' < \"$6\" | "
        "awk '{ print length($0) \"\\t-1\\t\" $0 }'; } > \"$out\"\n");
    LoadTexts({"aa", "bbbb"});
    MarlinData second(m_host, m_app);
    LoadTexts({"cccccc", "d", "eee"}, second);

    // The first run lets events run once before it starts its scorer, then while waiting.
    int calls = 0;
    bool secondRan = false;
    bool secondScored = false;
    m_toolkit.onDoEvents = [&] {
        if (++calls != 2) return;
        secondRan = true;
        secondScored = second.RunSentiStrength(m_app.string(), m_app.string(), true);
    };
    EXPECT_TRUE(Run()) << m_data.LastScorerError();
    ASSERT_TRUE(secondRan);
    EXPECT_TRUE(secondScored) << second.LastScorerError();
    EXPECT_EQ(Scores(1) + ", " + Scores(2), "2 -1, 4 -1");
    EXPECT_EQ(second.Value(1, 14) + " " + second.Value(2, 14) + " " + second.Value(3, 14), "6 1 3");
    EXPECT_NE(second.ScorerInputPath(), m_data.ScorerInputPath());
    EXPECT_EQ(std::distance(fs::directory_iterator(m_app), fs::directory_iterator()), 0);
}

TEST_F(WithFakeScorer, ScorerThatOutlivesItsLimitIsStoppedAndReported) {
    const fs::path pidFile = m_temp / "scorer.pid";
    InstallFake("echo $$ > \"" + pidFile.string() + ".part\"\nmv \"" + pidFile.string() + ".part\" \"" +
                pidFile.string() + "\"\nexec sleep 60\n");
    LoadTexts(std::vector<std::string>(2500, "text"));
    m_toolkit.realSleep = false;
    // The steps are not really slept; hold the first one until the scorer is surely running.
    int calls = 0;
    m_toolkit.onDoEvents = [&] {
        if (++calls < 2) return;  // the first comes before the scorer is started
        for (int i = 0; i < 500 && !fs::exists(pidFile); ++i) usleep(10000);
    };
    EXPECT_FALSE(Run());
    EXPECT_TRUE(m_toolkit.messages.empty());
    EXPECT_EQ(MarlinData::ScorerTimeLimit(2500), 22500);
    EXPECT_EQ(m_toolkit.sleptMilliseconds, 23000);
    EXPECT_NE(m_data.LastScorerError().find("out of time"), std::string::npos) << m_data.LastScorerError();
    ASSERT_TRUE(fs::exists(pidFile));
    EXPECT_FALSE(ProcessAlive(std::stoi(ReadFileBytes(pidFile))));
    // Stopped, it can no longer write: its files go like those of every run.
    EXPECT_FALSE(m_data.ScorerInputPath().empty());
    EXPECT_FALSE(fs::exists(m_data.ScorerInputPath()));
    EXPECT_EQ(Scores(2500), "0 0");
}

TEST_F(RunSentiStrengthTest, JavaThatCannotStartFailsWithoutAMessageButSaysWhy) {
    fs::create_directories(m_temp / "empty");
    PathOverride path((m_temp / "empty").string());
    LoadTexts({"one"});
    EXPECT_FALSE(Run());
    EXPECT_TRUE(m_toolkit.messages.empty());
    EXPECT_NE(m_data.LastScorerError().find("could not start \"java\""), std::string::npos)
        << m_data.LastScorerError();
}

}  // namespace
}  // namespace marlin::testing
