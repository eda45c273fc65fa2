#include "workspace/engine/tweet_capture.h"

#include "workspace/engine/capture_texts.h"
#include "workspace/engine/page_bound.h"
#include "workspace/engine/tweet_page_loop.h"

namespace marlin {

bool TweetCapture::Search() {
    const CaptureRequest& request = m_run.Request();
    TwitterAPI& twitter = m_run.Client();
    TweetSet& tweets = m_run.Tweets();
    CaptureEvents& events = m_run.Events();
    const std::string& query = request.query;
    const std::string sinceId = request.kind == CaptureKind::Update ? request.position.sinceId : "";
    // Below the oldest tweet held exactly: the page at the seam neither repeats a tweet nor skips one.
    const std::string firstMaxId =
        request.kind == CaptureKind::ContinueBack ? PageBound::IdBelow(request.position.belowId) : "";
    const std::string intro = "Retrieved ";
    const std::string about = " statuses for [" + query + "] ";

    tweets.Clear();
    // In v2 no post older than the threshold is asked for (and paid for); an update's since_id goes alone.
    twitter.SetSearchStartTime(sinceId.empty() ? request.ThresholdTime() : 0);
    events.MeterBegin("tweets", true);
    events.Log("Search initiated @" + CaptureTexts::NowText());
    events.Log(intro + std::to_string(tweets.Count()) + about);
    events.LetEventsRun();

    TweetPageLoop::Source source;
    source.family = ResourceFamily::Search;
    source.windowName = "search";
    source.fetch = [&](const std::string& maxId) {
        std::string count = "100";
        return twitter.GetSearch(query, request.language, sinceId, maxId, count, tweets, true, "Recent");
    };
    source.remaining = [&] { return twitter.SearchRateLimitRemaining(); };
    source.taken = [&](int) {
        events.Status(CaptureEvents::Panel::Quota,
                      std::to_string(twitter.SearchRateLimitRemaining()) + " SEARCH requests remaining");
        events.Status(CaptureEvents::Panel::Reset,
                      "Next reset: " + SKDFuncs::FormatLocalDateTime(twitter.SearchNextLimitReset()));
        const int held = tweets.Count();
        events.Progress(intro + std::to_string(held) + about + "back to " + tweets.DateTime(held));
        events.MeterAdvance(
            CaptureTexts::SpanShare(tweets.DateTime(1), tweets.DateTime(held), m_run.ThresholdDateText()),
            held);
    };
    const bool reached = TweetPageLoop(m_run).Run(source, firstMaxId);

    if (tweets.UndatedCount() > 0) events.Log(CaptureTexts::UndatedLine(tweets.UndatedCount()));
    const RequestOutcome& last = m_run.Last();
    const bool cancelled = m_run.State().Cancelled();
    // A search the application's access does not cover at all: its caller says so once,
    // with the way to v2 that its face offers, and nothing here repeats it.
    if (last.V11AccessRefused() && tweets.Count() == 0) {
        m_run.State().Record(CaptureOutcome::Failed);
        events.MeterEnd();
        return false;
    }
    events.Log(CaptureTexts::EndLine("Search ended @" + CaptureTexts::NowText() + ", ", reached, cancelled,
                                     m_run.ThresholdDateText(), last.responseCode,
                                     m_run.State().StopReason()));
    if (last.Count() < 0 && !reached && !cancelled)
        m_run.ReportIncomplete(last.responseCode, tweets.Count() > 0 ? tweets.DateTime(tweets.Count()) : "");
    events.MeterEnd();
    return reached;
}

void TweetCapture::Timelines() {
    const CaptureRequest& request = m_run.Request();
    CaptureEvents& events = m_run.Events();
    m_run.Tweets().Clear();
    events.Log("User timeline retrieval started @" + CaptureTexts::NowText());
    m_users.Begin("tweets", static_cast<long long>(request.accounts.size()));
    events.LetEventsRun();
    for (std::size_t i = 0; i < request.accounts.size(); ++i) {
        const CapturePosition position =
            i < request.accountPositions.size() ? request.accountPositions[i] : CapturePosition{};
        m_run.AccountStarted(static_cast<int>(i));
        RetrieveTimeline(request.accounts[i], position.sinceId,
                         position.belowId.empty() ? "" : PageBound::IdBelow(position.belowId));
        m_users.Next();
        m_run.AccountDone(static_cast<int>(i));
        if (m_run.Last().V11AccessRefused()) {
            // The other accounts would be refused the same way: one message, not one an account.
            const std::string code = m_run.Last().responseCode;
            events.Log("Retrieval stopped: " + code);
            events.Tell("The retrieval stopped: " + code, CaptureEvents::Notice::Warning);
            break;
        }
        if (m_run.State().Cancelled()) break;
    }
    m_users.End();
}

void TweetCapture::Timeline() {
    const CaptureRequest& request = m_run.Request();
    m_run.Tweets().Clear();
    m_users.Begin("tweets", 1);
    if (!request.accounts.empty()) {
        m_run.AccountStarted(0);
        RetrieveTimeline(request.accounts.front(), "", "");
        m_run.AccountDone(0);
    }
    m_users.End();
}

void TweetCapture::RetrieveTimeline(const std::string& user, const std::string& sinceId,
                                    const std::string& firstMaxId) {
    TwitterAPI& twitter = m_run.Client();
    TweetSet& tweets = m_run.Tweets();
    CaptureEvents& events = m_run.Events();
    const std::string about = " statuses for [" + user + "] ";
    if (!CaptureTexts::CanBeScreenNameOrId(user)) {
        events.Log(CaptureTexts::SkippedLine({user}));
        return;
    }

    events.Log("Retrieved 0" + about);
    events.LetEventsRun();

    int total = 0;
    const int heldBefore = tweets.Count();
    const int undatedBefore = tweets.UndatedCount();
    TweetPageLoop::Source source;
    source.family = ResourceFamily::UserTimeline;
    source.windowName = "user timeline";
    source.fetch = [&](const std::string& maxId) {
        return twitter.GetUserTimeLine(user, true, sinceId, maxId, "200", tweets, true);
    };
    source.remaining = [&] { return twitter.UTLRateLimitRemaining(); };
    source.refused = [&](const RequestOutcome& answer) {
        events.Log("Retrieval error: " + answer.responseCode);
    };
    source.taken = [&](int count) {
        // The CR LF at the end is the panel text as it has always been (kept on purpose).
        events.Status(CaptureEvents::Panel::Quota, std::to_string(twitter.UTLRateLimitRemaining()) +
                                                       " USER_TIMELINE requests remaining\r\n");
        events.Status(CaptureEvents::Panel::Reset,
                      "Next reset: " + SKDFuncs::FormatLocalDateTime(twitter.UTLNextLimitReset()));
        total += count;
        m_users.Page(count);
        events.Progress("Retrieved " + std::to_string(total) + about + "back to " +
                        tweets.DateTime(tweets.Count()));
    };
    const bool reached = TweetPageLoop(m_run).Run(source, firstMaxId);

    if (tweets.UndatedCount() > undatedBefore)
        events.Log(CaptureTexts::UndatedLine(tweets.UndatedCount() - undatedBefore));
    const RequestOutcome& last = m_run.Last();
    const bool cancelled = m_run.State().Cancelled();
    events.Log(CaptureTexts::EndLine("Retrieval of [" + user + "] ended @" + CaptureTexts::NowText() + ", ",
                                     reached, cancelled, m_run.ThresholdDateText(), last.responseCode,
                                     m_run.State().StopReason()));
    // A timeline cut short: pages came before the refusal, or the refusal may pass (a
    // spent window, a server error). An account that is not there or not open is no gap.
    const bool midway = tweets.Count() > heldBefore;
    const int status = static_cast<int>(SKDFuncs::LeadingNumber(last.responseCode));
    if (last.Count() < 0 && !reached && !cancelled && (midway || status == 429 || status >= 500))
        m_run.ReportIncomplete(last.responseCode, midway ? tweets.DateTime(tweets.Count()) : "");
}

}  // namespace marlin
