// The command line's captures of shared posts against the emulator: hydrate (the posts of a file
// of ids, the missing list with the service's reasons, a resume after an interruption that asks
// for no id twice), dehydrate, the conversations of posts, and many searches from a file that
// resume at the first query not finished.
#include <algorithm>
#include <atomic>
#include <map>
#include <set>

#include "core/missing_posts_file.h"
#include "core/post_id_file.h"
#include "emulator/v2_params.h"
#include "forwarding_request.h"
#include "service/curl_http_request.h"
#include "window_harness.h"

namespace marlin::testing {
namespace {

using emulator::PostGraph;

class HeadlessPostsTest : public WindowHarness {
  protected:
    void SetUp() override {
        emulator::EmulatorConfig config = SmallCorpus();
        for (int& limit : config.limits) limit = 30000;
        StartService(config, false);
    }

    // Runs the command line; `stopWhen` (a path and a count) raises the stop a signal raises
    // once that many answers to requests on that path were read.
    int Run(std::vector<std::string> arguments, const std::string& api = "v2",
            const std::pair<std::string, int>& stopWhen = {}) {
        arguments.insert(arguments.end(), {"--api", api});
        stop = false;
        auto answers = std::make_shared<int>(0);
        return RunCommandLine(arguments, &said, [&, answers](HeadlessRun::Setup& setup) {
            setup.getEnv = EmulatorCredentials();
            setup.retryDelays = {20, 20, 20};
            setup.stopRequested = &stop;
            if (stopWhen.first.empty()) return;
            setup.requestFactory = [this, answers, stopWhen] {
                return std::make_unique<StopAfterAnswers>(CurlHttpRequest::Factory()(), stop, *answers,
                                                          stopWhen);
            };
        });
    }

    // The posts search finds, then two ids nobody posted.
    std::vector<std::uint64_t> SharedIds(std::size_t count) {
        std::vector<std::uint64_t> ids;
        for (const std::string& id : Emu().Data().SearchIds("data"))
            if (ids.size() < count) ids.push_back(std::stoull(id));
        ids.insert(ids.end(), {123, 456});
        return ids;
    }
    std::set<std::uint64_t> TableIds(const std::string& name) const {
        const PostIds ids = PostIdFile::Read(File(name));
        return {ids.ids.begin(), ids.ids.end()};
    }
    // How often each id was asked for by id.
    std::map<std::string, int> AskedById() const {
        std::map<std::string, int> asked;
        for (const auto& request : RequestsTo("/2/tweets"))
            for (const std::string& id : emulator::V2Params::List(request.Param("ids"))) ++asked[id];
        return asked;
    }

    // A request whose answer, once read, counts towards the stop.
    class StopAfterAnswers : public ForwardingRequest {
      public:
        StopAfterAnswers(std::unique_ptr<HttpRequest> inner, std::atomic<bool>& stop, int& answers,
                         std::pair<std::string, int> when)
            : ForwardingRequest(std::move(inner)),
              m_stop(stop),
              m_answers(answers),
              m_when(std::move(when)) {}
        void Open(const std::string& verb, const std::string& url, bool asynchronous) override {
            m_counts = url.find(m_when.first) != std::string::npos;
            ForwardingRequest::Open(verb, url, asynchronous);
        }
        std::string ResponseText() override {
            if (m_counts && ++m_answers >= m_when.second) m_stop = true;
            m_counts = false;
            return ForwardingRequest::ResponseText();
        }

      private:
        std::atomic<bool>& m_stop;
        int& m_answers;
        std::pair<std::string, int> m_when;
        bool m_counts = false;
    };

    std::atomic<bool> stop{false};
    std::string said;
};

TEST_F(HeadlessPostsTest, HydrateGivesThePostsAndListsEveryIdNotGivenWithTheServicesReason) {
    const std::vector<std::uint64_t> ids = SharedIds(230);
    std::string text = "# shared ids\r\n";
    for (const std::uint64_t id : ids) text += std::to_string(id) + "\r\n";
    text += std::to_string(ids[5]) + "\r\nhttps://x.com/a/status/" + std::to_string(ids[6]) + "\r\n";
    WriteFileBytes(File("ids.txt"), text);
    for (const std::string api : {"v2", "v1.1"}) {
        SCOPED_TRACE(api);
        std::filesystem::remove(File("h-missing.csv"));
        std::filesystem::remove(File("h.jsonl"));
        Emu().ClearRequests();
        ASSERT_EQ(Run({"hydrate", File("ids.txt").string(), "--out", File("h.txt").string()}, api), 0)
            << said;
        std::set<std::uint64_t> visible;
        std::map<std::uint64_t, std::string> reasons;
        MissingPostsFile missing(File("h-missing.csv"));
        missing.Load();
        for (const MissingPostsFile::Row& row : missing.Rows()) reasons[row.id] = row.reason;
        for (const std::uint64_t id : ids) {
            if (PostVisible(id)) {
                visible.insert(id);
                continue;
            }
            const bool gone = Graph().OfId(id) == PostGraph::Visibility::Deleted;
            EXPECT_EQ(reasons[id], api == "v1.1" ? "Not returned"
                                   : gone        ? "Not Found Error"
                                                 : "Authorization Error")
                << id;
        }
        EXPECT_EQ(TableIds("h.txt"), visible);
        EXPECT_EQ(reasons.size() + visible.size(), ids.size());
        EXPECT_GT(reasons.size(), 2u);
        EXPECT_THAT(said, HasSubstr("Hydrated " + std::to_string(visible.size()) + " posts of " +
                                    std::to_string(ids.size()) + " ids, " + std::to_string(reasons.size()) +
                                    " missing"));
        EXPECT_THAT(said, HasSubstr("2 duplicated and 1 malformed ids dropped"));
        EXPECT_EQ(RequestsTo(api == "v2" ? "/2/tweets" : "/1.1/statuses/lookup.json").size(), 3u);
    }
}

TEST_F(HeadlessPostsTest, AnInterruptedHydrateGoesOnWithoutAskingForAnyIdTwice) {
    const std::vector<std::uint64_t> ids = SharedIds(450);
    ASSERT_TRUE(PostIdFile::Write(File("ids.txt"), ids));
    std::set<std::uint64_t> visible;
    for (const std::uint64_t id : ids)
        if (PostVisible(id)) visible.insert(id);
    struct Interruption {
        const char* what;
        std::vector<std::string> options;
        std::pair<std::string, int> stopWhen;
        int code;
    };
    // Each stops the first run after two batches: a signal, or a run limit that a third
    // batch's 100 posts would pass.
    const Interruption interruptions[] = {
        {"a signal", {}, {"/2/tweets?ids=", 2}, HeadlessRun::kStopped},
        {"a spending limit", {"--max-cost", "1.00"}, {}, HeadlessRun::kStoppedEarly},
    };
    for (const Interruption& c : interruptions) {
        SCOPED_TRACE(c.what);
        // A post the ledger holds is not charged again: each case starts with none.
        for (const char* file :
             {"h.txt", "h.jsonl", "h-missing.csv", "ledger.sqlite", "ledger.sqlite-wal", "ledger.sqlite-shm"})
            std::filesystem::remove(File(file));
        Emu().ClearRequests();
        std::vector<std::string> hydrate = {"hydrate", File("ids.txt").string(), "--out",
                                            File("h.txt").string()};
        std::vector<std::string> first = hydrate;
        first.insert(first.end(), c.options.begin(), c.options.end());
        EXPECT_EQ(Run(first, "v2", c.stopWhen), c.code) << said;
        EXPECT_EQ(AskedById().size(), 200u);
        EXPECT_THAT(said, HasSubstr("ids not settled; the same hydrate again goes on"));
        ASSERT_EQ(Run(hydrate), 0) << said;
        EXPECT_THAT(said, HasSubstr("settled by an earlier run"));
        const std::map<std::string, int> asked = AskedById();
        EXPECT_EQ(asked.size(), ids.size());
        for (const auto& [id, times] : asked) EXPECT_EQ(times, 1) << id;
        EXPECT_EQ(TableIds("h.txt"), visible);
        MissingPostsFile missing(File("h-missing.csv"));
        EXPECT_EQ(missing.Load() + visible.size(), ids.size());
    }
}

TEST_F(HeadlessPostsTest, DehydrateGivesTheIdsOfATableOrArchiveNewestFirstEachOnce) {
    ASSERT_EQ(Run({"search", "data", "--back", "3", "--out", File("s.txt").string(), "--archive",
                   File("s.jsonl").string()}),
              0)
        << said;
    const std::set<std::uint64_t> held = TableIds("s.txt");
    ASSERT_GT(held.size(), 100u);
    const std::vector<std::uint64_t> newestFirst(held.rbegin(), held.rend());
    for (const std::string from : {"s.txt", "s.jsonl"}) {
        ASSERT_EQ(Run({"dehydrate", File(from).string(), "--out", File("ids.txt").string()}), 0) << said;
        EXPECT_EQ(PostIdFile::Read(File("ids.txt")).ids, newestFirst) << from;
    }
}

TEST_F(HeadlessPostsTest, AConversationHoldsEveryReplyAndThePostThatStartedIt) {
    const auto [root, replies] = BusiestConversation();
    ASSERT_GT(replies.size(), 1u);
    ASSERT_EQ(
        Run({"conversation", std::to_string(root), "--out", File("c.txt").string(), "--archive-search"}), 0)
        << said;
    std::set<std::uint64_t> expected = replies;
    expected.insert(root);
    EXPECT_EQ(TableIds("c.txt"), expected);
    EXPECT_EQ(Run({"conversation", std::to_string(root), "--out", File("c.txt").string()}, "v1.1"),
              HeadlessRun::kBadUsage);
}

TEST_F(HeadlessPostsTest, SearchesFromAFileRunInOrderAndResumeAtTheFirstNotFinished) {
    const std::vector<std::string> queries = {"data", "climate", "music"};
    WriteFileBytes(File("queries.txt"), "data\r\n\r\n  climate \r\nmusic\r\n");
    const std::vector<std::string> searches = {"searches", File("queries.txt").string(), "--back", "2",
                                               "--out",    File("runs").string()};
    // Stopped in the second search: the first is finished, the second not.
    EXPECT_EQ(Run(searches, "v2", {"search/recent?query=climate", 1}), HeadlessRun::kStopped) << said;
    EXPECT_THAT(said, HasSubstr("Estimate of all 3 searches: "));
    EXPECT_THAT(said, HasSubstr("Search 1/3 [data]: "));
    EXPECT_THAT(said, Not(HasSubstr("Search 3/3")));
    EXPECT_THAT(said, HasSubstr("Search 2/3 [climate]: not finished"));
    Emu().ClearRequests();
    ASSERT_EQ(Run(searches), 0) << said;
    EXPECT_THAT(said, HasSubstr("Resumed: 1 of 3 searches finished before"));
    EXPECT_THAT(said, HasSubstr("Estimate of all 2 searches: "));
    for (const auto& request : RequestsTo("/2/tweets/search/recent"))
        EXPECT_THAT(request.Param("query"), Not(StartsWith("data"))) << request.target;
    const std::string tables[] = {"runs/01-data", "runs/02-climate", "runs/03-music"};
    for (std::size_t k = 0; k < queries.size(); ++k) {
        if (k > 0) {
            EXPECT_THAT(said, HasSubstr("Search " + std::to_string(k + 1) + "/3 [" + queries[k] + "]: "));
        }
        const std::set<std::uint64_t> ids = TableIds(tables[k] + ".txt");
        EXPECT_FALSE(ids.empty()) << tables[k];
        const PostIds archived = PostIdFile::Read(File(tables[k] + ".jsonl"));
        EXPECT_EQ(std::set<std::uint64_t>(archived.ids.begin(), archived.ids.end()), ids) << tables[k];
    }
}

}  // namespace
}  // namespace marlin::testing
