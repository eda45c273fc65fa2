// The calls beyond search against the emulator: their requests, their answers read into the record
// sets, the ids a look-up did not give with the service's reason, and a hydrate that resumes.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "core/hydrate_queue.h"
#include "core/missing_posts_file.h"
#include "core/post_id_file.h"
#include "core/raw_archive.h"
#include "core/tweet_set.h"
#include "core/user_set.h"
#include "emulator/corpus_lists.h"
#include "emulator/emulator.h"
#include "emulator/post_graph.h"
#include "emulator/v2_params.h"
#include "service/curl_http_request.h"
#include "service/post_answers.h"
#include "service/post_requests.h"
#include "service/v2_request.h"
#include "test_support.h"

namespace marlin {
namespace {

using namespace std::chrono_literals;
using emulator::PostGraph;

class PostCallsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        emulator::EmulatorConfig config;
        config.seed = 7;
        config.tweetsPerDay = 3000;
        for (int& limit : config.limits) limit = 100000;
        s_service = new emulator::Emulator(config);
        s_service->Start();
        s_graph = new PostGraph(s_service->Data(), config.seed);
    }
    static void TearDownTestSuite() {
        delete s_graph;
        delete s_service;
    }
    static std::string Get(const std::string& path) {
        auto request =
            CurlHttpRequest::Factory({.connectTimeout = 2000ms, .totalTimeout = 20s, .caFile = ""})();
        request->Open("GET", s_service->BaseUrl() + path, false);
        request->SetRequestHeader("Authorization", "Bearer " + s_service->IssueToken());
        request->Send();
        request->WaitForResponse(20);
        EXPECT_EQ(request->Status(), 200) << path;
        return request->ResponseText();
    }
    // Some posts search finds, then two ids nobody posted.
    static std::vector<std::uint64_t> SharedIds(std::size_t count) {
        std::vector<std::uint64_t> ids;
        for (const std::string& id : s_service->Data().SearchIds("data"))
            if (ids.size() < count) ids.push_back(std::stoull(id));
        ids.insert(ids.end(), {123, 456});
        return ids;
    }
    static bool Visible(std::uint64_t id) {
        const auto ref = s_service->Data().FindTweet(id);
        return ref && s_graph->Of(*ref) == PostGraph::Visibility::Visible;
    }
    static std::vector<std::string> TweetIds(const TweetSet& set) {
        std::vector<std::string> ids;
        for (int i = 1; i <= set.Count(); ++i) ids.push_back(set.TweetID(i));
        return ids;
    }
    static emulator::Emulator* s_service;
    static PostGraph* s_graph;
};
emulator::Emulator* PostCallsTest::s_service = nullptr;
PostGraph* PostCallsTest::s_graph = nullptr;

TEST_F(PostCallsTest, LookUpsGiveThePostsAndNameEveryIdTheyDidNotGive) {
    const std::vector<std::uint64_t> ids = SharedIds(230);
    for (const bool v2 : {true, false}) {
        TweetSet posts{Yield()};
        posts.SetNoticeSink([](const std::string&) {});
        std::map<std::uint64_t, std::string> reasons;
        HydrateQueue queue(ids);
        PostAnswers answers;
        for (auto batch = queue.NextBatch(); !batch.empty(); batch = queue.NextBatch()) {
            ASSERT_LE(batch.size(), PostRequests::kMostIds);
            const std::string body =
                Get(v2 ? PostRequests::LookupV2(batch) : PostRequests::LookupV11(batch, true));
            const auto lookup = v2 ? answers.LookupV2(body, batch) : answers.LookupV11(body, batch);
            ASSERT_TRUE(lookup);
            posts.SetData(lookup->page, true, false);
            for (const PostAnswers::Missing& missing : lookup->missing) reasons[missing.id] = missing.reason;
        }
        std::vector<std::string> visible;
        for (const std::uint64_t id : ids) {
            if (Visible(id)) {
                visible.push_back(std::to_string(id));
                continue;
            }
            const auto ref = s_service->Data().FindTweet(id);
            const char* expected = !v2 ? PostAnswers::kNotReturned
                                   : ref && s_graph->Of(*ref) != PostGraph::Visibility::Deleted
                                       ? "Authorization Error"
                                       : "Not Found Error";
            EXPECT_EQ(reasons[id], expected) << id;
        }
        EXPECT_EQ(TweetIds(posts), visible);
        EXPECT_EQ(reasons.size() + visible.size(), ids.size());
        EXPECT_GT(reasons.size(), 2u);  // some posts searched are gone since
    }
}

TEST_F(PostCallsTest, PagedCallsFillTheRecordSetsToTheLastPage) {
    const emulator::Corpus& corpus = s_service->Data();
    auto most = [&](const std::function<std::size_t(const emulator::Tweet&)>& size) {
        emulator::Tweet best = corpus.MakeTweet({emulator::Corpus::kPopular, 0});
        for (int seq = 1; seq < corpus.TweetCount(emulator::Corpus::kPopular); ++seq)
            if (auto t = corpus.MakeTweet({emulator::Corpus::kPopular, seq}); size(t) > size(best)) best = t;
        return best;
    };
    const auto quoted = most([](const emulator::Tweet& t) { return s_graph->Quotes(t.id).size(); });
    const auto reposted = most([](const emulator::Tweet& t) { return s_graph->Reposters(t.id).size(); });
    const emulator::CorpusLists lists(corpus, s_service->Config().seed);
    const auto list = lists.OwnedBy(emulator::Corpus::kDemo).at(1);
    auto userIds = [&](const std::vector<int>& users) {
        std::vector<std::string> ids;
        for (int user : users) ids.push_back(std::to_string(corpus.UserId(user)));
        return ids;
    };
    struct UserCase {
        std::function<std::string(const std::string&)> request;
        std::vector<std::string> expected;
    };
    const UserCase userCases[] = {
        {[&](const std::string& token) { return PostRequests::RepostedBy(reposted.id, token); },
         userIds(s_graph->Reposters(reposted.id))},
        {[&](const std::string& token) { return PostRequests::LikingUsers(reposted.id, token); },
         userIds(s_graph->LikingUsers(reposted))},
        {[&](const std::string& token) { return PostRequests::ListMembers(list.id, token); },
         userIds(lists.Members(list))},
    };
    PostAnswers answers;
    for (const UserCase& c : userCases) {
        UserSet users{Yield()};
        std::string token;
        do {
            users.SetData(*answers.Users(Get(c.request(token))), true, true);
            token = users.NextCursor();
        } while (token != "0");
        std::vector<std::string> ids;
        for (int i = 1; i <= users.Count(); ++i) ids.push_back(users.Id(i));
        EXPECT_GT(c.expected.size(), 1u);
        EXPECT_EQ(ids, c.expected);
    }
    TweetSet quotes{Yield()};
    std::string token;
    do quotes.SetData(*answers.Posts(Get(PostRequests::Quotes(quoted.id, token)), token), true, true);
    while (!token.empty());
    std::vector<std::string> expected;
    for (std::uint64_t id : s_graph->Quotes(quoted.id)) expected.push_back(std::to_string(id));
    EXPECT_GT(expected.size(), 1u);
    EXPECT_EQ(TweetIds(quotes), expected);
}

TEST_F(PostCallsTest, AnInterruptedHydrateGoesOnWithoutAskingAgainForWhatItSettled) {
    testing::TempFolder folder;
    const std::vector<std::uint64_t> shared = SharedIds(450);
    ASSERT_TRUE(PostIdFile::Write(folder / "ids.txt", shared));
    const auto archive = folder / "h.jsonl";
    const auto missingFile = MissingPostsFile::For(folder / "h.txt");
    EXPECT_EQ(missingFile, folder / "h-missing.csv");
    s_service->ClearRequests();
    // Each run asks for at most `batches` batches, keeping what it got as the capture does.
    auto run = [&](int batches) {
        HydrateQueue queue(PostIdFile::Read(folder / "ids.txt").ids);
        MissingPostsFile missing(missingFile);
        missing.Load();
        const std::size_t settled = queue.SettleArchived(archive) + queue.SettleListed(missing);
        RawArchive kept(archive);
        PostAnswers answers;
        for (int asked = 0; asked < batches && queue.Remaining() > 0; ++asked) {
            const std::vector<std::uint64_t> batch = queue.NextBatch();
            const std::string body = Get(PostRequests::LookupV2(batch));
            kept.AppendPage(body);
            const auto lookup = answers.LookupV2(body, batch);
            for (const PostAnswers::Missing& m : lookup->missing) missing.Add(m.id, m.reason, m.detail);
        }
        EXPECT_TRUE(missing.Write());
        EXPECT_EQ(queue.Remaining(), batches == 2 ? shared.size() - 200 : 0u);
        return settled;
    };
    EXPECT_EQ(run(2), 0u);
    EXPECT_EQ(run(100), 200u);
    std::map<std::string, int> asked;
    for (const auto& request : s_service->Requests())
        for (const std::string& id : emulator::V2Params::List(request.Param("ids"))) ++asked[id];
    EXPECT_EQ(asked.size(), shared.size());
    for (const auto& [id, times] : asked) EXPECT_EQ(times, 1) << id;
    MissingPostsFile missing(missingFile);
    EXPECT_EQ(PostIdFile::Read(archive).ids.size() + missing.Load(), shared.size());
    EXPECT_EQ(testing::ReadFileBytes(missingFile).substr(0, 18), "id,reason,detail\r\n");
}

}  // namespace
}  // namespace marlin
