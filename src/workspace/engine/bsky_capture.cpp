#include "workspace/engine/bsky_capture.h"

#include <algorithm>
#include <charconv>

#include "core/bsky_post_id.h"
#include "service/v2_request.h"
#include "workspace/engine/capture_texts.h"
#include "workspace/engine/tweet_page_loop.h"

namespace marlin {

namespace {

uint64_t IdValue(const std::string& id) {
    uint64_t value = 0;
    const auto [end, code] = std::from_chars(id.data(), id.data() + id.size(), value);
    return code == std::errc() && end == id.data() + id.size() ? value : 0;
}

std::string ResponseCode(const BskyOutcome& outcome) {
    if (outcome.Ok()) return "200:OK";
    if (outcome.status == 0) return "Couldn't access the API server (" + outcome.Describe() + ")";
    std::string code =
        std::to_string(outcome.status) + ":" + (outcome.error.empty() ? "Error" : outcome.error);
    if (!outcome.message.empty()) code += ": " + outcome.message;
    return code;
}

}  // namespace

RequestOutcome BskyCapture::Outcome(const BskyOutcome& outcome, const BskyQuota& quota,
                                    const std::string& url) {
    RequestOutcome answer;
    answer.url = url;
    answer.httpStatus = outcome.status;
    answer.serviceError = outcome.error;
    answer.responseCode = ResponseCode(outcome);
    if (outcome.Ok()) {
        answer.status = RequestOutcome::Status::Answered;
        answer.body = outcome.body;
        return answer;
    }
    answer.reason = outcome.Describe();
    answer.status = outcome.status > 0 && outcome.failure != BskyFailure::Unreadable
                        ? RequestOutcome::Status::Refused
                        : RequestOutcome::Status::Failed;
    if (outcome.failure == BskyFailure::RateLimited && quota.reset > 0) answer.retryAt = quota.reset;
    return answer;
}

CaptureResult BskyCapture::Run() {
    CaptureResult result;
    const CaptureKind kind = m_run.Request().kind;
    if (kind == CaptureKind::Count || !HasCall(kind)) {
        m_run.Events().Tell(kind == CaptureKind::Count ? kNoCount : kNoCall,
                            CaptureEvents::Notice::Information);
        m_run.State().Record(CaptureOutcome::Failed);
        return result;
    }
    if (!m_client.Session().Valid()) {
        // No session yet: the log-in makes one (the stored one, or one with an app password).
        BskyOutcome opened;
        opened.failure = BskyFailure::AuthRequired;
        opened.message = "no session";
        if (m_renewal) opened = m_renewal();
        if (!opened.Ok()) {
            m_run.Events().Tell(opened.Describe(), CaptureEvents::Notice::Warning);
            m_run.State().Record(CaptureOutcome::Failed);
            return result;
        }
    }
    switch (m_run.Request().kind) {
        case CaptureKind::Search:
        case CaptureKind::Update:
        case CaptureKind::ContinueBack:
            result.reached = Search();
            break;
        case CaptureKind::Timelines:
        case CaptureKind::Timeline:
            Timelines();
            break;
        case CaptureKind::Lookup:
            result.reached = Lookup();
            break;
        case CaptureKind::Followers:
        case CaptureKind::Friends:
            result.reached = UserList();
            break;
        case CaptureKind::Sample:
            Samples();
            break;
        default:
            break;
    }
    return result;
}

bool BskyCapture::HasCall(CaptureKind kind) {
    switch (kind) {
        case CaptureKind::Search:
        case CaptureKind::Update:
        case CaptureKind::ContinueBack:
        case CaptureKind::Timelines:
        case CaptureKind::Timeline:
        case CaptureKind::Lookup:
        case CaptureKind::Followers:
        case CaptureKind::Friends:
        case CaptureKind::Sample:
            return true;
        default:
            return false;
    }
}

std::string BskyCapture::Url(const std::string& method, const std::string& name,
                             const std::string& value) const {
    return m_client.Base() + "/xrpc/" + method + "?" + name + "=" + V2Request::Encoded(value);
}

bool BskyCapture::WindowOpen(BskyClient::Call call, const std::string& windowName) {
    if (m_run.State().Cancelled()) return false;
    const BskyQuota& quota = m_client.Quota(call);
    if (quota.limit == 0 || quota.reset == 0 || quota.remaining >= kQuotaLow) return true;
    const SKDFuncs::DateValue reset = QuotaWait::LocalTime(static_cast<std::time_t>(quota.reset));
    if (!m_run.Request().limits.waitForQuota)
        m_run.AskQuota(reset, quota.remaining, windowName);
    else if (!m_run.Waits().UntilReset(reset, windowName))
        m_run.State().Stop();
    return !m_run.State().Cancelled();
}

bool BskyCapture::SendAgain(const BskyOutcome& outcome, const RequestOutcome& answer,
                            const std::string& windowName, int attempt, bool& renewed) {
    switch (outcome.failure) {
        case BskyFailure::RateLimited:
            return m_run.ResendAfterSpentWindow(answer, windowName);
        case BskyFailure::ExpiredToken:
        case BskyFailure::AuthRequired: {
            // The client refreshed the session already; a refresh token the service refused leaves
            // the app password, once.
            if (renewed || !m_renewal) return false;
            renewed = true;
            const BskyOutcome session = m_renewal();
            m_run.Events().Log(session.Ok() ? "A new Bluesky session was made" : session.Describe());
            return session.Ok();
        }
        case BskyFailure::NoAnswer:
        case BskyFailure::ServerError:
        case BskyFailure::Unreadable: {
            const ExchangeHost::AutoRetry retry = m_run.Waits().RetryPause(attempt);
            if (retry == ExchangeHost::AutoRetry::Retry) return true;
            if (retry == ExchangeHost::AutoRetry::GiveUp) return false;
            return m_run.Events().Ask({CaptureEvents::Question::Kind::Retry,
                                       outcome.Describe() + ". Try again?", "Recoverable error"});
        }
        default:
            return false;
    }
}

RequestOutcome BskyCapture::Ask(BskyClient::Call call, ResourceFamily family, const std::string& windowName,
                                const std::string& url, const std::function<BskyOutcome()>& send) {
    return m_run.Page(family, [&] {
        bool renewed = false;
        for (int attempt = 0;; ++attempt) {
            RequestOutcome cancelled;
            cancelled.status = RequestOutcome::Status::Cancelled;
            cancelled.responseCode = "Cancelled";
            cancelled.url = url;
            if (!WindowOpen(call, windowName)) return cancelled;
            BskyOutcome outcome;
            try {
                outcome = send();
            } catch (const RequestAborted&) {
                return cancelled;
            }
            RequestOutcome answer = Outcome(outcome, m_client.Quota(call), url);
            if (answer.Answered() || m_run.State().Cancelled()) return answer;
            m_run.Events().Log("Retrieval error: " + outcome.Describe());
            if (!SendAgain(outcome, answer, windowName, attempt, renewed)) return answer;
        }
    });
}

int BskyCapture::TakePosts(const std::string& body, bool search, std::string* cursor) {
    const std::optional<std::string> page = m_translator.PostPage(body, search, cursor);
    if (!page) return -1;
    TweetSet& tweets = m_run.Tweets();
    const int before = tweets.Count();
    tweets.SetData(*page, true, search);
    tweets.DropAfter(
        before, [this](const TweetSet::Record& record) { return !m_seen.insert(record.TweetID).second; });
    for (int i = before + 1; i <= tweets.Count(); ++i) {
        const uint64_t id = IdValue(tweets.TweetID(i));
        if (id > 0) m_oldest = std::min(m_oldest, id);
    }
    return tweets.Count() - before;
}

void BskyCapture::Unreadable() {
    m_run.Events().Log("Retrieval error: the answer is not a page of Bluesky posts");
    m_run.State().Record(CaptureOutcome::StoppedEarly);
}

bool BskyCapture::Search() {
    const CaptureRequest& request = m_run.Request();
    TweetSet& tweets = m_run.Tweets();
    CaptureEvents& events = m_run.Events();
    tweets.Clear();
    BskyClient::Search search;
    search.q = request.query;
    search.lang = request.language;
    if (request.ThresholdTime() > 0) search.since = BskyPostId::Iso(int64_t{request.ThresholdTime()} * 1000);
    // An update starts at the newest post held, a continuation at the oldest; their millisecond comes
    // again, and the post held is known by its id.
    if (request.kind == CaptureKind::Update && !request.position.sinceId.empty()) {
        search.since = BskyPostId::SinceFor(request.position.sinceId);
        m_seen.insert(request.position.sinceId);
    }
    if (request.kind == CaptureKind::ContinueBack && !request.position.belowId.empty()) {
        search.until = BskyPostId::UntilFor(request.position.belowId);
        m_seen.insert(request.position.belowId);
    }
    const std::string about = " statuses for [" + request.query + "] ";
    events.MeterBegin("tweets", true);
    events.Log("Search initiated @" + CaptureTexts::NowText());
    events.Log("Retrieved 0" + about);

    bool reached = false;
    int newThisQuery = 0;
    while (!m_run.State().Cancelled()) {
        const RequestOutcome answer = Ask(BskyClient::Call::Search, ResourceFamily::Search, "search",
                                          Url("app.bsky.feed.searchPosts", "q", request.query),
                                          [&] { return m_client.SearchPosts(search); });
        if (!answer.Answered()) break;
        std::string cursor;
        const int added = TakePosts(answer.body, true, &cursor);
        if (added < 0) {
            Unreadable();
            break;
        }
        newThisQuery += added;
        if (const int held = tweets.Count(); held > 0) {
            events.Progress("Retrieved " + std::to_string(held) + about + "back to " + tweets.DateTime(held));
            events.MeterAdvance(
                CaptureTexts::SpanShare(tweets.DateTime(1), tweets.DateTime(held), m_run.ThresholdDateText()),
                held);
        }
        if (!cursor.empty() && cursor != search.cursor) {
            search.cursor = cursor;
            continue;
        }
        // The query ended, at its cap or at the since bound: a query below the oldest post held tells
        // which. One that brings nothing new reached the bound.
        if (newThisQuery == 0 || m_oldest == UINT64_MAX) {
            reached = true;
            break;
        }
        search.until = BskyPostId::UntilFor(std::to_string(m_oldest));
        search.cursor.clear();
        newThisQuery = 0;
    }

    const RequestOutcome& last = m_run.Last();
    const bool cancelled = m_run.State().Cancelled();
    events.Log(CaptureTexts::EndLine("Search ended @" + CaptureTexts::NowText() + ", ", reached, cancelled,
                                     m_run.ThresholdDateText(), last.responseCode,
                                     m_run.State().StopReason()));
    if (last.Failed() && !reached && !cancelled)
        m_run.ReportIncomplete(last.responseCode, tweets.Count() > 0 ? tweets.DateTime(tweets.Count()) : "");
    m_run.State().Record(reached ? CaptureOutcome::Complete : CaptureOutcome::StoppedEarly);
    events.MeterEnd();
    return reached;
}

void BskyCapture::Timelines() {
    const CaptureRequest& request = m_run.Request();
    CaptureEvents& events = m_run.Events();
    m_run.Tweets().Clear();
    events.Log("User timeline retrieval started @" + CaptureTexts::NowText());
    events.MeterBegin("tweets", false);
    const std::size_t accounts = request.kind == CaptureKind::Timeline
                                     ? std::min<std::size_t>(1, request.accounts.size())
                                     : request.accounts.size();
    for (std::size_t i = 0; i < accounts; ++i) {
        const CapturePosition position =
            i < request.accountPositions.size() ? request.accountPositions[i] : CapturePosition{};
        m_run.AccountStarted(static_cast<int>(i));
        Timeline(request.accounts[i], position);
        m_run.AccountDone(static_cast<int>(i));
        events.MeterAdvance(static_cast<double>(i + 1) / static_cast<double>(accounts),
                            m_run.Tweets().Count());
        if (m_run.State().Cancelled()) break;
    }
    events.MeterEnd();
}

void BskyCapture::Samples() {
    const std::vector<std::string>& accounts = m_run.Request().accounts;
    for (std::size_t i = 0; i < accounts.size() && !m_run.State().Cancelled(); ++i) {
        // Each account's sample is the run's tweets while its figures are taken.
        m_run.Tweets().Clear();
        m_seen.clear();
        m_run.AccountStarted(static_cast<int>(i));
        Timeline(accounts[i], {});
        m_run.AccountDone(static_cast<int>(i));
    }
}

bool BskyCapture::Timeline(const std::string& actor, const CapturePosition& position) {
    TweetSet& tweets = m_run.Tweets();
    CaptureEvents& events = m_run.Events();
    const std::string about = " statuses for [" + actor + "] ";
    events.Log("Retrieved 0" + about);
    const int heldBefore = tweets.Count();
    const uint64_t since = IdValue(position.sinceId);
    const uint64_t below = IdValue(position.belowId);
    std::string cursor;
    bool reached = false;
    while (!m_run.State().Cancelled()) {
        const RequestOutcome answer = Ask(BskyClient::Call::Feed, ResourceFamily::UserTimeline,
                                          "user timeline", Url("app.bsky.feed.getAuthorFeed", "actor", actor),
                                          [&] { return m_client.AuthorFeed(actor, 100, cursor); });
        if (!answer.Answered()) break;
        std::string next;
        const int before = tweets.Count();
        if (TakePosts(answer.body, false, &next) < 0) {
            Unreadable();
            break;
        }
        // The feed is newest first: posts at or above a continuation's start are held already, and
        // an update ends at the newest post held.
        bool atHeld = false;
        tweets.DropAfter(before, [&](const TweetSet::Record& record) {
            const uint64_t id = IdValue(record.TweetID);
            const bool held = (below > 0 && id >= below) || (since > 0 && id <= since);
            atHeld = atHeld || (since > 0 && id <= since);
            return held;
        });
        if (m_run.Request().backTo &&
            tweets.TrimToDateRange(m_run.ThresholdDateText(), TweetPageLoop::LatestBound()))
            reached = true;
        events.Progress("Retrieved " + std::to_string(tweets.Count() - heldBefore) + about + "back to " +
                        tweets.DateTime(tweets.Count()));
        const int cap = m_run.Request().limits.maxRecords;
        if (cap > 0 && tweets.Count() >= cap) {
            tweets.KeepFirst(cap);
            reached = true;
        }
        if (reached || atHeld || next.empty() || next == cursor) {
            reached = reached || atHeld || next.empty();
            break;
        }
        cursor = next;
    }
    const RequestOutcome& last = m_run.Last();
    const bool cancelled = m_run.State().Cancelled();
    events.Log(CaptureTexts::EndLine("Retrieval of [" + actor + "] ended @" + CaptureTexts::NowText() + ", ",
                                     reached, cancelled, m_run.ThresholdDateText(), last.responseCode,
                                     m_run.State().StopReason()));
    if (last.Failed() && !reached && !cancelled && tweets.Count() > heldBefore)
        m_run.ReportIncomplete(last.responseCode, tweets.DateTime(tweets.Count()));
    // An account that is not there or not open is no gap; a feed cut short is.
    const bool lasting = last.httpStatus == 400 || last.httpStatus == 401 || last.httpStatus == 404;
    if (!reached && !(last.Failed() && lasting && tweets.Count() == heldBefore))
        m_run.State().Record(CaptureOutcome::StoppedEarly);
    return reached;
}

bool BskyCapture::Lookup() {
    const CaptureRequest& request = m_run.Request();
    UserSet& users = m_run.Users();
    if (!request.addToRecords) users.Clear();
    const std::vector<std::string>& accounts = request.accounts;
    const std::size_t total = accounts.size();
    for (std::size_t start = 0; start < total && !m_run.State().Cancelled();
         start += BskyClient::kMaxProfiles) {
        const std::vector<std::string> batch(
            accounts.begin() + static_cast<std::ptrdiff_t>(start),
            accounts.begin() +
                static_cast<std::ptrdiff_t>(std::min(total, start + BskyClient::kMaxProfiles)));
        const RequestOutcome answer = Ask(BskyClient::Call::Profiles, ResourceFamily::UsersLookup, "profiles",
                                          Url("app.bsky.actor.getProfiles", "actors", batch.front()),
                                          [&] { return m_client.Profiles(batch); });
        if (!answer.Answered()) {
            m_run.State().Record(CaptureOutcome::StoppedEarly);
            return false;
        }
        const std::optional<std::string> page = m_translator.ProfilePage(answer.body, false);
        if (!page) {
            Unreadable();
            return false;
        }
        users.SetData(*page, true, false);
        m_run.Events().Progress("Getting profile details for user list (" +
                                std::to_string(std::min(total, start + BskyClient::kMaxProfiles)) +
                                " out of " + std::to_string(total) + " retrieved)");
    }
    return !m_run.State().Cancelled();
}

bool BskyCapture::UserList() {
    const CaptureRequest& request = m_run.Request();
    const bool followers = request.kind == CaptureKind::Followers;
    const std::string actor = request.accounts.empty() ? std::string() : request.accounts.front();
    const std::string method = followers ? "app.bsky.graph.getFollowers" : "app.bsky.graph.getFollows";
    const ResourceFamily family = followers ? ResourceFamily::FollowersList : ResourceFamily::FriendsList;
    UserSet& users = m_run.Users();
    users.Clear();
    m_run.Events().Log(std::string(followers ? "Getting followers of " : "Getting follows of ") + actor);
    std::string cursor;
    for (bool first = true; !m_run.State().Cancelled(); first = false) {
        const RequestOutcome answer =
            Ask(BskyClient::Call::Follows, family, followers ? "followers" : "follows",
                Url(method, "actor", actor), [&] {
                    return followers ? m_client.Followers(actor, 100, cursor)
                                     : m_client.Follows(actor, 100, cursor);
                });
        if (!answer.Answered()) {
            m_run.State().Record(CaptureOutcome::StoppedEarly);
            return false;
        }
        const std::optional<std::string> page = m_translator.ProfilePage(answer.body, true);
        if (!page) {
            Unreadable();
            return false;
        }
        users.SetData(*page, !first, true);
        m_run.Events().Progress(std::to_string(users.Count()) + " accounts of " + actor);
        const std::string next = users.NextCursor();
        if (next.empty() || next == "0" || next == cursor) break;
        cursor = next;
    }
    return !m_run.State().Cancelled();
}

}  // namespace marlin
