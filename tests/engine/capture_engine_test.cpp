// The capture engine through its own interface alone, against the emulator on loopback: no
// window, no toolkit, only a request, the records and what the events were told and asked.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <set>

#include "emulator/corpus_lists.h"
#include "emulator/emulator.h"
#include "emulator/post_graph.h"
#include "service/curl_http_request.h"
#include "test_support.h"
#include "workspace/engine/capture_engine.h"

namespace marlin::testing {
namespace {

using ::testing::Contains;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// A watcher that keeps the log as the window's does and answers questions from a queue
// (No when it is empty).
class RecordingEvents : public CaptureEvents {
  public:
    void Log(const std::string& line) override { lines.push_back(line); }
    void Progress(const std::string& line) override {
        if (lines.empty()) lines.emplace_back();
        lines.back() = line;
    }
    void Aside(const std::string& line) override {
        lines.insert(lines.empty() ? lines.end() : lines.end() - 1, line);
    }
    void RecordsAdded(int count) override { records += count; }
    bool Ask(const Question& question) override {
        questions.push_back(question);
        if (answers.empty()) return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Tell(const std::string& text, Notice notice, const std::string& = {}) override {
        told.push_back((notice == Notice::Warning ? "warning: " : "") + text);
    }
    void Status(Panel panel, const std::string& text) override { statuses[panel].push_back(text); }
    void LetEventsRun() override {
        if (onEvents) onEvents();
    }
    void Ended(CaptureOutcome outcome) override { ended.push_back(outcome); }

    std::vector<std::string> lines;
    std::vector<Question> questions;
    std::deque<bool> answers;
    std::vector<std::string> told;
    std::map<Panel, std::vector<std::string>> statuses;
    std::vector<CaptureOutcome> ended;
    std::function<void()> onEvents;
    int records = 0;
};

std::vector<std::string> Sorted(std::vector<std::string> ids) {
    std::sort(ids.begin(), ids.end());
    return ids;
}

class CaptureEngineTest : public ::testing::Test {
  protected:
    static emulator::EmulatorConfig SmallCorpus() {
        emulator::EmulatorConfig config;
        config.users = 600;
        config.tweetsPerDay = 300;
        return config;
    }

    void Start(emulator::EmulatorConfig config = SmallCorpus()) {
        service = std::make_unique<emulator::Emulator>(config);
        service->Start();
        engine = std::make_unique<CaptureEngine>(
            CaptureEngine::Setup{CurlHttpRequest::Factory(), service->BaseUrl(), folder.path()}, events);
        const auto& c = service->Config();
        ASSERT_FALSE(engine->Client().AuthAppAccess(c.appName, c.consumerKey, c.consumerSecret).empty());
    }

    CaptureRequest Request(CaptureKind kind, CaptureDialect dialect = CaptureDialect::V1_1) const {
        CaptureRequest request;
        request.kind = kind;
        request.dialect = dialect;
        request.backTo = CaptureRequest::DaysBack(30);
        request.limits.retryDelays = {20, 20, 20};
        return request;
    }

    std::vector<std::string> TweetIds() const {
        std::vector<std::string> ids;
        for (int i = 1; i <= engine->Tweets().Count(); ++i) ids.push_back(engine->Tweets().TweetID(i));
        return Sorted(ids);
    }
    std::vector<std::string> UserIds() const {
        std::vector<std::string> ids;
        for (int i = 1; i <= engine->Users().Count(); ++i) ids.push_back(engine->Users().Id(i));
        return Sorted(ids);
    }
    std::vector<std::string> SearchIds() const { return Sorted(service->Data().SearchIds("data", "en")); }

    TempFolder folder;
    RecordingEvents events;
    std::unique_ptr<emulator::Emulator> service;
    std::unique_ptr<CaptureEngine> engine;
};

TEST_F(CaptureEngineTest, EachKindInEachDialectHoldsWhatTheServiceHolds) {
    Start();
    const emulator::KnownUsers users = service->Users();
    const emulator::Corpus& data = service->Data();
    struct Case {
        CaptureKind kind;
        std::vector<std::string> accounts;
        std::vector<std::string> expected;
        bool tweets;
    };
    std::vector<std::string> timelines = data.TimelineIds(users.demo);
    for (const std::string& id : data.TimelineIds(users.midsize)) timelines.push_back(id);
    const std::vector<Case> cases = {
        {CaptureKind::Search, {}, SearchIds(), true},
        {CaptureKind::Timelines, {users.demo, users.midsize}, Sorted(timelines), true},
        {CaptureKind::Lookup,
         {users.demo, users.verified, users.midsize},
         Sorted(
             {data.UserIdText(users.demo), data.UserIdText(users.verified), data.UserIdText(users.midsize)}),
         false},
        {CaptureKind::Followers, {users.midsize}, Sorted(data.FollowerIds(users.midsize)), false},
        {CaptureKind::Friends, {users.demo}, Sorted(data.FriendIds(users.demo)), false},
    };
    for (const CaptureDialect dialect : {CaptureDialect::V1_1, CaptureDialect::V2}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(static_cast<int>(c.kind)) +
                         (dialect == CaptureDialect::V2 ? " v2" : " v1.1"));
            CaptureRequest request = Request(c.kind, dialect);
            request.query = "data";
            request.accounts = c.accounts;
            const CaptureResult result = engine->Capture(request);
            ASSERT_FALSE(c.expected.empty());
            EXPECT_EQ(c.tweets ? TweetIds() : UserIds(), c.expected);
            EXPECT_EQ(result.outcome, CaptureOutcome::Complete);
            EXPECT_EQ(events.ended.back(), CaptureOutcome::Complete);
            EXPECT_FALSE(engine->State().Running());
            EXPECT_TRUE(events.questions.empty());
        }
    }
}

TEST_F(CaptureEngineTest, ACancelledSearchIsFinishedBackToItsThresholdAndUpdatedWithoutADoubleAtTheSeams) {
    Start();
    events.onEvents = [this] {
        if (engine->Tweets().Count() >= 100) engine->State().Cancel();
    };
    CaptureRequest search = Request(CaptureKind::Search);
    search.query = "data";
    search.backTo = CaptureRequest::DaysBack(9);
    const CaptureResult cut = engine->Capture(search);
    events.onEvents = nullptr;
    EXPECT_EQ(cut.outcome, CaptureOutcome::StoppedEarly);
    EXPECT_THAT(events.lines.back(), EndsWith(", user cancelled the procedure"));
    const std::vector<std::string> held = TweetIds();
    ASSERT_FALSE(held.empty());
    ASSERT_LT(held.size(), SearchIds().size());
    EXPECT_EQ(events.records, static_cast<int>(held.size()));

    CaptureRequest back = search;
    back.kind = CaptureKind::ContinueBack;
    back.position.belowId = held.front();  // the oldest (all ids have one length)
    EXPECT_EQ(engine->Capture(back).outcome, CaptureOutcome::Complete);
    std::vector<std::string> all = held;
    for (const std::string& id : TweetIds()) all.push_back(id);
    EXPECT_EQ(Sorted(all), SearchIds());

    CaptureRequest update = search;
    update.kind = CaptureKind::Update;
    update.position.sinceId = SearchIds().back();
    EXPECT_EQ(engine->Capture(update).outcome, CaptureOutcome::Complete);
    EXPECT_EQ(engine->Tweets().Count(), 0);
    EXPECT_EQ(service->Requests().back().Param("since_id"), SearchIds().back());
    EXPECT_THAT(events.lines.back(), EndsWith(", no more statuses available: 200:OK"));
}

TEST_F(CaptureEngineTest, ALowQuotaIsWaitedOutUnattendedAndAskedAboutOtherwise) {
    emulator::EmulatorConfig config = SmallCorpus();
    config.windowSeconds = 3;
    Start(config);
    for (const bool unattended : {true, false}) {
        SCOPED_TRACE(unattended);
        service->SetRemaining(emulator::Family::Search, 11);  // two pages, then below the low mark
        events.questions.clear();
        CaptureRequest search = Request(CaptureKind::Search);
        search.query = "data";
        search.limits.waitForQuota = unattended;
        const CaptureResult result = engine->Capture(search);
        if (unattended) {
            EXPECT_TRUE(events.questions.empty());
            EXPECT_EQ(TweetIds(), SearchIds());
            EXPECT_EQ(result.outcome, CaptureOutcome::Complete);
            EXPECT_THAT(events.lines, Contains(StartsWith("Waiting until ")));
            EXPECT_THAT(events.statuses[CaptureEvents::Panel::Quota],
                        Contains(StartsWith("Waiting for the next search window: ")));
        } else {
            ASSERT_EQ(events.questions.size(), 1u);
            EXPECT_EQ(events.questions[0].kind, CaptureEvents::Question::Kind::QuotaLow);
            EXPECT_THAT(events.questions[0].text,
                        StartsWith("Quota for this window running low. Wait until "));
            EXPECT_EQ(engine->Tweets().Count(), 200);
            EXPECT_EQ(result.outcome, CaptureOutcome::StoppedEarly);
            EXPECT_THAT(events.lines.back(), EndsWith(", user cancelled the procedure"));
        }
    }
}

TEST_F(CaptureEngineTest, ARefusedOrLostRequestEndsTheRunWithTheReasonAndWhatArrived) {
    emulator::EmulatorConfig config = SmallCorpus();
    config.v11Refused = true;
    Start(config);
    const emulator::KnownUsers users = service->Users();

    CaptureRequest search = Request(CaptureKind::Search);
    search.query = "data";
    const CaptureResult refused = engine->Capture(search);
    EXPECT_TRUE(refused.last.V11AccessRefused());
    EXPECT_EQ(refused.last.httpStatus, 403);
    EXPECT_EQ(refused.outcome, CaptureOutcome::Failed);
    EXPECT_EQ(engine->Tweets().Count(), 0);
    // Its caller says it once, with the way to v2 its face offers.
    EXPECT_TRUE(events.told.empty());

    // A refusal every account would meet ends the walk after the first.
    events.told.clear();
    service->ClearRequests();
    CaptureRequest timelines = Request(CaptureKind::Timelines);
    timelines.accounts = {users.demo, users.midsize};
    engine->Capture(timelines);
    EXPECT_EQ(service->Requests().size(), 1u);
    EXPECT_THAT(events.told, Contains(StartsWith("warning: The retrieval stopped: 403:Forbidden")));

    // A request lost on the way is asked about; No gives it up with the pages so far.
    search.dialect = CaptureDialect::V2;
    service->InjectFault(emulator::Family::V2Search, emulator::Fault::CloseConnection, 1);
    const CaptureResult lost = engine->Capture(search);
    ASSERT_EQ(events.questions.size(), 1u);
    EXPECT_EQ(events.questions[0].kind, CaptureEvents::Question::Kind::Retry);
    EXPECT_EQ(events.questions[0].title, "Recoverable error within GetSearch");
    EXPECT_EQ(lost.last.status, RequestOutcome::Status::Failed);
    EXPECT_EQ(lost.last.responseCode, "Couldn't access the API server");
    EXPECT_EQ(lost.outcome, CaptureOutcome::StoppedEarly);
    EXPECT_THAT(events.lines, Contains(StartsWith("GetSearch: ")));
}

TEST_F(CaptureEngineTest, TheCallsAroundAPostOrAListHoldWhatTheCorpusImplies) {
    Start();
    const emulator::Corpus& data = service->Data();
    const emulator::PostGraph graph(data, service->Config().seed);
    std::optional<emulator::Tweet> quoted, reposted, liked;
    for (int user = 0; user < data.UserCount(); ++user) {
        for (int seq = 0; seq < data.TweetCount(user); ++seq) {
            const emulator::Tweet t = data.MakeTweet({user, seq});
            if (graph.Of(t.ref) != emulator::PostGraph::Visibility::Visible) continue;
            if (!quoted && graph.Quotes(t.id).size() >= 1) quoted = t;
            if (!reposted && graph.Reposters(t.id).size() >= 1) reposted = t;
            if (!liked && graph.LikingUsers(t).size() >= 2) liked = t;
        }
    }
    ASSERT_TRUE(quoted && reposted && liked);
    auto userIds = [&](const std::vector<int>& users) {
        std::vector<std::string> ids;
        for (const int user : users) ids.push_back(std::to_string(data.UserId(user)));
        return Sorted(ids);
    };
    std::vector<std::string> quotes;
    for (const std::uint64_t id : graph.Quotes(quoted->id)) quotes.push_back(std::to_string(id));
    const emulator::CorpusLists lists(data, service->Config().seed);
    const std::uint64_t listId = emulator::CorpusLists::kFirstListId;
    struct Case {
        CaptureKind kind;
        std::vector<std::string> accounts;
        std::vector<std::string> expected;
        bool tweets;
    };
    const std::vector<Case> cases = {
        // The same post asked for twice gives its quotes once.
        {CaptureKind::Quotes, {std::to_string(quoted->id), std::to_string(quoted->id)}, Sorted(quotes), true},
        {CaptureKind::RepostedBy,
         {std::to_string(reposted->id)},
         userIds(graph.Reposters(reposted->id)),
         false},
        {CaptureKind::LikingUsers, {std::to_string(liked->id)}, userIds(graph.LikingUsers(*liked)), false},
        {CaptureKind::ListMembers,
         {std::to_string(listId)},
         userIds(lists.Members(*lists.Find(listId))),
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        // v1.1 has none of these calls: they run as v2 whatever the dialect asked.
        CaptureRequest request = Request(c.kind, CaptureDialect::V1_1);
        request.accounts = c.accounts;
        request.archive.file = folder.path() / "archive.jsonl";
        const CaptureResult result = engine->Capture(request);
        EXPECT_EQ(c.tweets ? TweetIds() : UserIds(), c.expected);
        EXPECT_EQ(result.outcome, CaptureOutcome::Complete);
        EXPECT_FALSE(result.spending.empty());  // read and paid for as v2
        EXPECT_TRUE(events.questions.empty());
    }
    // Every object that came is in the raw archive.
    EXPECT_THAT(ReadFileBytes(folder.path() / "archive.jsonl"), HasSubstr(quotes.front()));

    // What is no post id is never asked for.
    const std::size_t lines = events.lines.size();
    CaptureRequest request = Request(CaptureKind::RepostedBy);
    request.accounts = {"#tag"};
    EXPECT_FALSE(engine->Capture(request).reached);
    EXPECT_EQ(engine->Users().Count(), 0);
    EXPECT_THAT(std::vector<std::string>(events.lines.begin() + static_cast<long>(lines), events.lines.end()),
                Contains(HasSubstr("#tag")));
}

TEST(QuotaWaitTest, TheWaitEndsAtOnceWhenTheResetHasPassed) {
    RecordingEvents events;
    int turns = 0;
    events.onEvents = [&] { ++turns; };
    RunState run;
    QuotaWait waits(run, events, {});
    EXPECT_TRUE(waits.UntilNextWindowOn(
        SKDFuncs::MakeDate(2000, 1, 1), "USER_LOOKUP", [] { return SKDFuncs::Now(); }, 100));
    EXPECT_EQ(turns, 0);
    EXPECT_FALSE(run.Busy());
}

}  // namespace
}  // namespace marlin::testing
