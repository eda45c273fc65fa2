// Settings › "Keep Raw Responses" against the emulator: each retrieval's objects in the
// archive file of its kind and name, as the service sent them, once each.
#include <algorithm>
#include <cstdio>
#include <tuple>

#include "forwarding_request.h"
#include "service/curl_http_request.h"
#include "user_side_fixture.h"
#include "workspace/engine/response_archive.h"

namespace marlin::testing {
namespace {

// Keeps every response body the service sent, for byte comparisons.
class RecordingRequest : public ForwardingRequest {
  public:
    explicit RecordingRequest(std::vector<std::string>& bodies)
        : ForwardingRequest(CurlHttpRequest::Factory()()), m_bodies(bodies) {}
    std::string ResponseText() override { return m_bodies.emplace_back(Inner().ResponseText()); }

  private:
    std::vector<std::string>& m_bodies;
};

std::vector<std::string> Sorted(std::vector<std::string> ids) {
    std::sort(ids.begin(), ids.end());
    return ids;
}

class ResponseArchiveTest : public UserSideTest {
  protected:
    void Start(bool keep) {
        StartWindow(UserCorpus(), false, [this] { return std::make_unique<RecordingRequest>(bodies); });
        if (keep) frm->TweetCtl().mKeepRaw.Click();
        BackDays(10);  // beyond the service's index: no tweet is trimmed off the table
    }
    std::filesystem::path Archive(const std::string& kind, const std::string& name) const {
        const std::chrono::year_month_day today = DaysAgo(0);
        char date[16];
        std::snprintf(date, sizeof date, "%04d-%02u-%02u", static_cast<int>(today.year()),
                      static_cast<unsigned>(today.month()), static_cast<unsigned>(today.day()));
        return File("archive") / (std::string(date) + "-" + kind + "-" + name + ".jsonl");
    }
    // Every line is the text of one object of a body the service sent.
    bool AsSent(const std::filesystem::path& file) const {
        std::istringstream lines(ReadFileBytes(file));
        for (std::string line; std::getline(lines, line);) {
            if (std::none_of(bodies.begin(), bodies.end(),
                             [&](const std::string& body) { return body.find(line) != std::string::npos; }))
                return false;
        }
        return true;
    }
    // A search, its authors' profiles, a timeline and a follower list.
    void RunEveryKind() {
        NewSearch("data");
        tk.messageAnswers = {MsgResult::No};
        frm->Users().Samples().BuildTweetsUT_Click();
        UserCtl().UserList.AddItem(Emu().Users().demo, true);
        tk.messageAnswers = {MsgResult::No, MsgResult::No};
        frm->Users().Timelines().GetAllUTL_Click();
        StoreCredentials();
        UserCtl().GUFOp.SetSelectedIndex(1);
        UserCtl().GUF_Id.SetText(Emu().Users().midsize);
        UserCtl().GetFF[0].Click();
    }

    std::vector<std::string> bodies;
};

TEST_F(ResponseArchiveTest, ASearchKeepsEachTweetOfTheTableOnceAsTheServiceSentIt) {
    Start(true);
    NewSearch("data");
    const std::filesystem::path file = Archive("search", "data");
    const std::vector<std::string> table = Sorted(TableIds());
    ASSERT_FALSE(table.empty());
    EXPECT_EQ(Sorted(JsonLineIds(file)), table);
    EXPECT_TRUE(AsSent(file));
    EXPECT_THAT(ReadFileBytes(file), HasSubstr("\\u"));  // escapes kept, not decoded

    frm->Search().UpdateSearch_Click();
    tk.messageAnswers = {MsgResult::No};
    NewSearch("data");
    EXPECT_EQ(Sorted(JsonLineIds(file)), table);
}

TEST_F(ResponseArchiveTest, EachRetrievalKeepsItsObjectsUnderItsKindAndName) {
    Start(true);
    RunEveryKind();
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(File("archive")))
        files.push_back(entry.path());
    const std::vector<std::filesystem::path> expected = {
        Archive("search", "data"), Archive("users", "Tweets"), Archive("timelines", "user-list"),
        Archive("followers", Emu().Users().midsize)};
    EXPECT_THAT(files, ::testing::UnorderedElementsAreArray(expected));
    for (const auto& file : expected) {
        SCOPED_TRACE(file.string());
        const std::vector<std::string> ids = JsonLineIds(file);
        EXPECT_FALSE(ids.empty());
        EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), ids.size());
        EXPECT_TRUE(AsSent(file));
    }
}

TEST_F(ResponseArchiveTest, UncheckedNothingIsKept) {
    Start(false);
    RunEveryKind();
    EXPECT_FALSE(std::filesystem::exists(File("archive")));
}

TEST_F(ResponseArchiveTest, AnArchiveThatCannotBeWrittenIsReportedOnceAndTheSearchGoesOn) {
    Start(true);
    WriteFileBytes(File("archive"), "a file where the folder would be");
    NewSearch("data");
    EXPECT_FALSE(TableIds().empty());
    const auto lines = LogLines();
    EXPECT_EQ(std::count_if(
                  lines.begin(), lines.end(),
                  [](const std::string& line) { return line.rfind("Raw responses not archived: ", 0) == 0; }),
              1);
}

TEST(ResponseArchiveNameTest, TheNameIsTheDecodedParameterOfTheRequest) {
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"/1.1/search/tweets.json?q=climate%20AND%20%23policy%2F%C3%A9&count=100", "q",
         "climate AND #policy/\xC3\xA9"},
        {"/1.1/followers/list.json?screen_name=&user_id=12&count=200", "screen_name", ""},
        {"/1.1/followers/list.json?screen_name=&user_id=12&count=200", "user_id", "12"},
        {"/1.1/search/tweets.json?qq=a&q=b%2", "q", "b%2"},
        {"/1.1/users/lookup.json", "q", ""},
    };
    for (const auto& [url, name, value] : cases)
        EXPECT_EQ(ResponseArchive::Parameter(url, name), value) << url;
}

}  // namespace
}  // namespace marlin::testing
