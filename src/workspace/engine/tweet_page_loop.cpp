#include "workspace/engine/tweet_page_loop.h"

#include <new>

#include "workspace/engine/page_bound.h"
#include "workspace/engine/page_loop.h"
#include "workspace/engine/page_progress.h"

namespace marlin {

namespace {

// The pages of a search or a timeline, walked back from the newest below the oldest
// tweet held.
class TweetPager : public PageLoop::Pager {
  public:
    TweetPager(CaptureRun& run, const TweetPageLoop::Source& source, const std::string& firstMaxId)
        : m_run(run), m_source(source), m_bound(firstMaxId), m_progress("max_id", firstMaxId) {}

    void Fetch() override {
        m_before = m_run.Tweets().Count();
        do {
            m_answer = m_run.Page(m_source.family, [&] { return m_source.fetch(m_bound.MaxId()); });
        } while (m_run.ResendAfterSpentWindow(m_answer, m_source.windowName));
    }

    bool Check(std::string& stopLine) override {
        if (m_answer.Count() < 1) return true;
        TweetSet& tweets = m_run.Tweets();
        if (!m_bound.Keep(tweets, m_before)) {
            stopLine = m_bound.StopLine();
            return false;
        }
        if (!m_progress.TweetPageMoved(tweets, m_before)) {
            stopLine = m_progress.StopLine();
            return false;
        }
        return true;
    }

    void Take() override {
        const int count = m_answer.Count();
        if (count == -1 && !m_run.State().Cancelled() && m_source.refused) {
            m_source.refused(m_answer);
        } else if (count > 0) {
            TweetSet& tweets = m_run.Tweets();
            const int kept = tweets.Count() - m_before;
            m_reached = tweets.TrimToDateRange(m_run.ThresholdDateText(), TweetPageLoop::LatestBound());
            m_source.taken(kept);
            m_run.Events().RecordsAdded(kept);
            m_run.Events().LetEventsRun();
        }
        m_run.Events().LetEventsRun();
        if (m_source.remaining() < TweetPageLoop::kQuotaLow)
            m_run.QuotaLow(m_source.family, m_source.windowName);
    }

    bool More() override { return !(m_answer.Count() < 1 || m_reached || m_run.State().Cancelled()); }

    bool Reached() const { return m_reached; }
    int Before() const { return m_before; }
    int Repeated() const { return m_progress.Repeated(); }
    const RequestOutcome& Answer() const { return m_answer; }

  private:
    CaptureRun& m_run;
    const TweetPageLoop::Source& m_source;
    PageBound m_bound;
    PageProgress m_progress;
    RequestOutcome m_answer;
    bool m_reached = false;
    int m_before = 0;
};

}  // namespace

bool TweetPageLoop::Run(const Source& source, const std::string& firstMaxId) {
    TweetPager pages(m_run, source, firstMaxId);
    bool everyPageTaken = false;
    try {
        everyPageTaken = PageLoop(m_run.Events()).Run(pages);
    } catch (const std::bad_alloc&) {
        m_run.Events().Log(OutOfMemory(m_run.Tweets(), pages.Before()));
    }
    if (pages.Repeated() > 0)
        m_run.Events().Log(std::to_string(pages.Repeated()) +
                           " statuses the service sent again were not added a second time");
    // The service's last page (an empty one) ends a capture as completely as the threshold.
    const bool lastPage = everyPageTaken && !m_run.State().Cancelled() && pages.Answer().Count() == 0;
    m_run.State().Record(pages.Reached() || lastPage ? CaptureOutcome::Complete
                                                     : CaptureOutcome::StoppedEarly);
    return pages.Reached();
}

std::string TweetPageLoop::OutOfMemory(TweetSet& tweets, int before) {
    tweets.KeepFirst(before);
    return "Retrieval stopped: a page was too large for the memory available";
}

}  // namespace marlin
