#include "workspace/engine/capture_engine.h"

#include <ctime>
#include <exception>
#include <memory>

#include "workspace/engine/conversation_capture.h"
#include "workspace/engine/hydrate_capture.h"
#include "workspace/engine/lookup_capture.h"
#include "workspace/engine/quotes_capture.h"
#include "workspace/engine/sample_capture.h"
#include "workspace/engine/tweet_capture.h"
#include "workspace/engine/user_list_capture.h"

namespace marlin {

namespace {

// Marks a run the engine owns as running and busy for as long as it lives, on every way out.
class OwnedRun {
  public:
    OwnedRun(RunState& run, CaptureEvents*& events) : m_run(run), m_events(events), m_owned(!run.Running()) {
        if (!m_owned) return;
        m_run.BeginRunning();
        m_run.StartOutcome();
        m_run.MarkBusy();
    }
    ~OwnedRun() {
        if (!m_owned) return;
        m_run.Release();
        m_run.EndRunning();
        m_events->MeterEnd();
        m_events->Ended(m_run.Outcome());
    }
    OwnedRun(const OwnedRun&) = delete;
    OwnedRun& operator=(const OwnedRun&) = delete;

  private:
    RunState& m_run;
    CaptureEvents*& m_events;
    bool m_owned;
};

// The run under way (and its spending), for the questions the client asks while it lasts.
template <typename T>
class Current {
  public:
    Current(T*& slot, T* run) : m_slot(slot), m_was(slot) { m_slot = run; }
    ~Current() { m_slot = m_was; }
    Current(const Current&) = delete;
    Current& operator=(const Current&) = delete;

  private:
    T*& m_slot;
    T* m_was;
};

bool OnlyInV2(CaptureKind kind) {
    return kind == CaptureKind::Quotes || kind == CaptureKind::RepostedBy ||
           kind == CaptureKind::LikingUsers || kind == CaptureKind::ListMembers;
}

}  // namespace

CaptureEngine::CaptureEngine(Setup setup, CaptureEvents& events)
    : m_events(&events),
      m_ownRun(std::make_unique<RunState>()),
      m_run(m_ownRun.get()),
      m_client(*this, setup.requestFactory, std::move(setup.apiBase)),
      m_bsky(std::move(setup.requestFactory),
             setup.bskyBase.empty() ? BskyClient::BaseAddress() : std::move(setup.bskyBase)),
      m_tweets(Yield([this] { m_events->LetEventsRun(); })),
      m_users(Yield([this] { m_events->LetEventsRun(); })),
      m_archive(setup.appFolder),
      m_localNow([] { return SKDFuncs::Now(); }),
      m_ledgerFile(setup.appFolder / Ledger::kFileName),
      m_keepsSpending(setup.keepsSpending) {
    m_tweets.SetNoticeSink([this](const std::string& text) { NoRecords(m_tweets.Count() > 0, text); });
    m_users.SetNoticeSink([this](const std::string& text) { NoRecords(m_users.Count() > 0, text); });
    m_bsky.SetWaitHook([this] {
        m_events->LetEventsRun();
        return !CancelRequested();
    });
}

CaptureEngine::CaptureEngine(Setup setup, CaptureEvents& events, RunState& sharedRun)
    : CaptureEngine(std::move(setup), events) {
    m_ownRun.reset();
    m_run = &sharedRun;
}

void CaptureEngine::SetExactTexts(bool on) {
    m_client.SetExactTexts(on);
    m_tweets.SetExactTexts(on);
    m_users.SetExactTexts(on);
}

ExchangeHost::AutoRetry CaptureEngine::RetryOnItsOwn(int attempt) {
    return m_current ? m_current->Waits().RetryPause(attempt) : AutoRetry::Ask;
}

bool CaptureEngine::AskToRetry(const std::string& question, const std::string& title) {
    return m_events->Ask({CaptureEvents::Question::Kind::Retry, question, title});
}

void CaptureEngine::Note(const std::string& text, const std::string& title) {
    m_events->Tell(text, CaptureEvents::Notice::Information, title);
}

void CaptureEngine::NoRecords(bool heldRecords, const std::string& text) {
    // The empty last page ends every retrieval that found something: a note for the log.
    // Only a retrieval that found nothing is worth a message.
    if (m_unattended || heldRecords)
        m_events->Log(text);
    else
        m_events->Tell(text, CaptureEvents::Notice::Information);
}

void CaptureEngine::Apply(const CaptureRequest& request) {
    m_client.SetApiVersion(request.dialect == CaptureDialect::V2 ? ApiVersion::V2 : ApiVersion::V1_1);
    m_client.SetFullArchiveSearch(request.fullArchive);
    SetExactTexts(request.exactTexts);
    m_tweets.SetExtraFields(request.extraColumns);
    m_unattended = request.limits.waitForQuota;
}

void CaptureEngine::BoundPostDates() {
    // A post of the service is dated from its first post (21 March 2006) to now; a day's
    // margin on the far side spares a clock that runs a little behind.
    constexpr std::time_t kDay = 86400;
    const std::time_t tomorrow = std::time(nullptr) + kDay;
    std::tm local{};
    localtime_r(&tomorrow, &local);
    m_tweets.SetReadableDates({2006, 3, 21, 0, 0, 0}, {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                                       local.tm_hour, local.tm_min, local.tm_sec});
}

CaptureResult CaptureEngine::Capture(const CaptureRequest& asked, const AccountSteps& steps) {
    // The calls around one post or list exist in v2 alone: they run, and are paid for, as v2.
    CaptureRequest request = asked;
    if (OnlyInV2(request.kind)) request.dialect = CaptureDialect::V2;
    Apply(request);
    BoundPostDates();
    CaptureRun run({request, m_client, m_tweets, m_users, *m_run, *m_events, m_archive, m_localNow, steps});
    Current<CaptureRun> current(m_current, &run);
    std::unique_ptr<CaptureSpending> spending;
    if (request.dialect == CaptureDialect::V2 && request.service == CaptureService::Twitter)
        spending = std::make_unique<CaptureSpending>(m_ledgerFile, request);
    Current<CaptureSpending> currentSpending(m_spending, spending.get());
    OwnedRun owned(*m_run, m_events);
    CaptureResult result = RunKind(run);
    result.last = run.Last();
    EndSpending(result);
    result.outcome = m_run->Outcome();
    return result;
}

std::optional<std::string> CaptureEngine::MaySend(const std::string& url) {
    if (!m_spending) return std::nullopt;
    std::optional<std::string> stop = m_spending->BeforeRequest(url);
    if (stop) m_run->StopFor(*stop);
    return stop;
}

void CaptureEngine::Answered(const std::string& url, int status, const std::string& body) {
    if (!m_spending) return;
    if (std::optional<std::string> stop = m_spending->AfterAnswer(url, status, body)) m_run->StopFor(*stop);
    m_events->Spent(m_spending->Totals().spent);
}

void CaptureEngine::EndSpending(CaptureResult& result) {
    result.stopReason = m_run->StopReason();
    if (!result.stopReason.empty()) {
        m_run->Record(CaptureOutcome::StoppedEarly);
        m_events->Tell(result.stopReason, CaptureEvents::Notice::Warning);
    }
    if (!m_spending) return;
    result.spending = m_spending->Finish();
    m_events->Log(result.spending);
    // A Cancel of the user's own stops here; nothing more is asked of the service.
    if (m_run->Cancelled() && result.stopReason.empty()) return;
    CompareUsage();
}

void CaptureEngine::CompareUsage() {
    try {
        const RequestOutcome usage = m_client.GetUsage();
        if (!usage.Answered()) {
            m_events->Log("The service's own count of the posts read did not come: " + usage.responseCode);
            return;
        }
        if (std::optional<std::string> apart = m_spending->UsageDifference(usage.body)) m_events->Log(*apart);
    } catch (const std::exception& error) {
        m_events->Log(std::string("The service's own count of the posts read did not come: ") + error.what());
    }
}

CaptureResult CaptureEngine::RunKind(CaptureRun& run) {
    if (run.Request().service == CaptureService::Bluesky)
        return BskyCapture(run, m_bsky, m_bskyRenewal).Run();
    CaptureResult result;
    switch (run.Request().kind) {
        case CaptureKind::Search:
        case CaptureKind::Update:
        case CaptureKind::ContinueBack:
            result.reached = TweetCapture(run).Search();
            break;
        case CaptureKind::Timelines:
            TweetCapture(run).Timelines();
            break;
        case CaptureKind::Timeline:
            TweetCapture(run).Timeline();
            break;
        case CaptureKind::Lookup:
            result.reached = LookupCapture(run).Run();
            break;
        case CaptureKind::Quotes:
            result.reached = QuotesCapture(run).Run();
            break;
        case CaptureKind::Followers:
        case CaptureKind::Friends:
        case CaptureKind::RepostedBy:
        case CaptureKind::LikingUsers:
        case CaptureKind::ListMembers:
            try {
                result.reached = UserListCapture(run).Run();
            } catch (const std::exception&) {
                // An error of the exchange ends the list; what arrived so far is kept.
                m_run->Record(CaptureOutcome::StoppedEarly);
            }
            break;
        case CaptureKind::Count:
            result.estimate = VolumeEstimate::Capture(run);
            if (!result.estimate) m_run->Record(CaptureOutcome::Failed);
            break;
        case CaptureKind::Sample:
            SampleCapture(run).Run();
            break;
        case CaptureKind::Hydrate: {
            HydrateCapture hydrate(run);
            result.reached = hydrate.Run();
            result.idsSettledBefore = hydrate.SettledBefore();
            result.idsMissing = hydrate.Missing();
            break;
        }
        case CaptureKind::Conversation:
            result.reached = ConversationCapture(run).Run();
            break;
    }
    return result;
}

}  // namespace marlin
