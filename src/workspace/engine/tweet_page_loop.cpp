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
    TweetPager(TwitterAPI& client, RunState& run, CaptureEvents& events, TweetPageLoop::Host& host,
               const TweetPageLoop::Source& source, const std::string& firstMaxId)
        : m_client(client),
          m_run(run),
          m_events(events),
          m_host(host),
          m_source(source),
          m_bound(firstMaxId),
          m_progress("max_id", firstMaxId) {}

    void Fetch() override {
        m_before = m_client.Tweets.Count();
        do {
            m_host.ShowRequest(m_source.fetch(m_bound.MaxId()));
        } while (m_host.ResendAfterSpentWindow(m_client, m_source.family, m_source.windowName));
    }

    bool Check(std::string& stopLine) override {
        if (m_client.LastResponseCount() < 1) return true;
        TweetSet& tweets = m_client.Tweets;
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
        const int count = m_client.LastResponseCount();
        if (count == -1 && !m_run.Cancelled() && m_source.refused) {
            m_source.refused();
        } else if (count > 0) {
            TweetSet& tweets = m_client.Tweets;
            const int kept = tweets.Count() - m_before;
            m_reached = tweets.TrimToDateRange(m_host.ThresholdDateText(), TweetPageLoop::LatestBound());
            m_source.taken(kept);
            m_events.RecordsAdded(kept);
            m_host.LetEventsRun();
        }
        m_host.PageDone();
        if (m_source.remaining() < TweetPageLoop::kQuotaLow)
            m_host.QuotaLow(m_client, m_source.family, m_source.windowName);
    }

    bool More() override { return !(m_client.LastResponseCount() < 1 || m_reached || m_run.Cancelled()); }

    bool Reached() const { return m_reached; }
    int Before() const { return m_before; }

  private:
    TwitterAPI& m_client;
    RunState& m_run;
    CaptureEvents& m_events;
    TweetPageLoop::Host& m_host;
    const TweetPageLoop::Source& m_source;
    PageBound m_bound;
    PageProgress m_progress;
    bool m_reached = false;
    int m_before = 0;
};

}  // namespace

bool TweetPageLoop::Run(const Source& source, const std::string& firstMaxId) {
    TweetPager pages(m_client, m_run, m_events, m_host, source, firstMaxId);
    bool everyPageTaken = false;
    try {
        everyPageTaken = PageLoop(m_events).Run(pages);
    } catch (const std::bad_alloc&) {
        m_events.Log(OutOfMemory(m_client.Tweets, pages.Before()));
    }
    // The service's last page (an empty one) ends a capture as completely as the threshold.
    const bool lastPage = everyPageTaken && !m_run.Cancelled() && m_client.LastResponseCount() == 0;
    m_run.Record(pages.Reached() || lastPage ? CaptureOutcome::Complete : CaptureOutcome::StoppedEarly);
    return pages.Reached();
}

std::string TweetPageLoop::OutOfMemory(TweetSet& tweets, int before) {
    tweets.KeepFirst(before);
    return "Retrieval stopped: a page was too large for the memory available";
}

}  // namespace marlin
