#include "workspace/engine/quotes_capture.h"

#include "workspace/engine/capture_texts.h"
#include "workspace/engine/page_loop.h"
#include "workspace/engine/user_list_capture.h"

namespace marlin {

namespace {

constexpr const char* kResource = "GET QUOTE_TWEETS";

// The token pages of the quotes of one post.
class QuotePager : public PageLoop::Pager {
  public:
    QuotePager(CaptureRun& run, std::uint64_t postId, PageProgress& progress, CountedProgress& posts)
        : m_run(run), m_postId(postId), m_progress(progress), m_posts(posts) {}

    bool Ready() override {
        if (m_run.State().Cancelled() || m_reachedEnd) return false;
        const QuotaWindow& window = m_run.Client().Window(ResourceFamily::Quotes);
        if (window.remaining != 0 || window.reset == 0) return true;
        const SKDFuncs::DateValue reset = m_run.Client().NextLimitReset(ResourceFamily::Quotes);
        return reset <= m_run.LocalNow() || m_run.Waits().UntilNextWindowOn(
                                                reset, kResource, [this] { return m_run.LocalNow(); },
                                                UserListCapture::kWaitStepMilliseconds);
    }

    void Fetch() override {
        TweetSet& tweets = m_run.Tweets();
        m_before = tweets.Count();
        do {
            m_answer = m_run.Page(ResourceFamily::Quotes, [&] {
                return m_run.Client().GetQuotes(m_postId, m_token, tweets, true, &m_next);
            });
        } while (m_run.ResendAfterSpentWindow(m_answer, kResource));
    }

    bool Check(std::string& stopLine) override {
        if (!m_answer.Answered()) return true;
        TweetSet& tweets = m_run.Tweets();
        // A quote already held (of another post asked for) is not taken twice. The last page
        // names no next token, so only a page that points on has to move the paging on.
        if (m_next.empty()) {
            m_progress.DropRepeated(tweets, m_before);
            m_reachedEnd = true;
            return true;
        }
        if (!m_progress.TweetPageMoved(tweets, m_before, std::to_string(m_postId) + ":" + m_next)) {
            stopLine = m_progress.StopLine();
            return false;
        }
        return true;
    }

    void Take() override {
        CaptureEvents& events = m_run.Events();
        TwitterAPI& client = m_run.Client();
        const int held = m_run.Tweets().Count();
        if (m_answer.Answered()) {
            m_posts.Page(held - m_before);
            m_token = m_next;
        }
        events.Progress("Retrieved " + std::to_string(held) + " quotes of post " + std::to_string(m_postId));
        events.Status(CaptureEvents::Panel::Quota,
                      std::to_string(client.Window(ResourceFamily::Quotes).remaining) +
                          " GET QUOTE_TWEETS requests remaining");
        events.Status(
            CaptureEvents::Panel::Reset,
            "Next reset: " + SKDFuncs::FormatLocalDateTime(client.NextLimitReset(ResourceFamily::Quotes)));
        events.LetEventsRun();
    }

    bool More() override {
        if (m_reachedEnd) return false;
        const bool unattended = m_run.Request().limits.waitForQuota;
        if (unattended && m_answer.WindowSpent()) return false;
        if (!m_answer.Failed()) return true;
        // A refusal that asking again cannot change (no such post); unattended, the client
        // has already sent a failed page again itself.
        const int status = static_cast<int>(SKDFuncs::LeadingNumber(m_answer.responseCode));
        return status == 429 || (!unattended && status >= 500);
    }

    bool ReachedEnd() const { return m_reachedEnd; }

  private:
    CaptureRun& m_run;
    std::uint64_t m_postId;
    PageProgress& m_progress;
    CountedProgress& m_posts;
    RequestOutcome m_answer;
    std::string m_token;  // the page asked for
    std::string m_next;   // the page after it, as the answer named it
    int m_before = 0;
    bool m_reachedEnd = false;
};

}  // namespace

bool QuotesCapture::Run() {
    const CaptureRequest& request = m_run.Request();
    CaptureEvents& events = m_run.Events();
    m_run.Tweets().Clear();
    m_run.State().ClearCancel();
    events.Log("Quotes retrieval started @" + CaptureTexts::NowText());
    m_posts.Begin("tweets", static_cast<long long>(request.accounts.size()));
    PageProgress progress("pagination_token", "");
    bool all = true;
    std::vector<std::string> skipped;
    for (const std::string& post : request.accounts) {
        if (m_run.State().Cancelled()) break;
        if (!CaptureTexts::IsPostId(post)) {
            skipped.push_back(post);
            m_posts.Next();
            continue;
        }
        all = QuotesOf(std::stoull(post), progress) && all;
        m_posts.Next();
    }
    m_posts.End();
    if (!skipped.empty()) events.Log(CaptureTexts::SkippedLine(skipped));
    const bool complete = all && !m_run.State().Cancelled() && skipped.size() < request.accounts.size();
    events.Log("Quotes retrieval ended @" + CaptureTexts::NowText() + ", " +
               std::to_string(m_run.Tweets().Count()) + " quotes" +
               (complete ? "" : " (stopped early: " + m_run.Last().responseCode + ")"));
    m_run.State().Record(complete ? CaptureOutcome::Complete : CaptureOutcome::StoppedEarly);
    return complete;
}

bool QuotesCapture::QuotesOf(std::uint64_t postId, PageProgress& progress) {
    m_run.Events().Log("Retrieved 0 quotes of post " + std::to_string(postId));
    QuotePager pages(m_run, postId, progress, m_posts);
    PageLoop(m_run.Events()).Run(pages);
    return pages.ReachedEnd();
}

}  // namespace marlin
