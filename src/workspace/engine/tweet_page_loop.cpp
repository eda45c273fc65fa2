#include "workspace/engine/tweet_page_loop.h"

#include <new>

#include "workspace/engine/page_bound.h"
#include "workspace/engine/page_progress.h"

namespace marlin {

bool TweetPageLoop::Run(const Source& source, const std::string& firstMaxId) {
    TwitterAPI& twitter = m_client;
    TweetSet& tweets = twitter.Tweets;
    PageBound bound(firstMaxId);
    bool reached = false;
    PageProgress progress("max_id", firstMaxId);
    std::string stopLine;
    int before = 0;
    try {
        do {
            before = tweets.Count();
            do {
                m_host.ShowRequest(source.fetch(bound.MaxId()));
            } while (m_host.ResendAfterSpentWindow(twitter, source.family, source.windowName));
            const int count = twitter.LastResponseCount();
            if (count == -1 && !m_run.Cancelled() && source.refused) {
                source.refused();
            } else if (count > 0) {
                if (!bound.Keep(tweets, before)) {
                    stopLine = bound.StopLine();
                    break;
                }
                if (!progress.TweetPageMoved(tweets, before)) {
                    stopLine = progress.StopLine();
                    break;
                }
                const int kept = tweets.Count() - before;
                reached = tweets.TrimToDateRange(m_host.ThresholdDateText(), LatestBound());
                source.taken(kept);
                m_events.RecordsAdded(kept);
                m_host.LetEventsRun();
            }
            m_host.PageDone();
            if (source.remaining() < kQuotaLow) m_host.QuotaLow(twitter, source.family, source.windowName);
        } while (!(twitter.LastResponseCount() < 1 || reached || m_run.Cancelled()));
    } catch (const std::bad_alloc&) {
        stopLine = OutOfMemory(tweets, before);
    }
    if (!stopLine.empty()) m_events.Log(stopLine);
    // The service's last page (an empty one) ends a capture as completely as the threshold.
    const bool lastPage = stopLine.empty() && !m_run.Cancelled() && twitter.LastResponseCount() == 0;
    m_run.Record(reached || lastPage ? CaptureOutcome::Complete : CaptureOutcome::StoppedEarly);
    return reached;
}

std::string TweetPageLoop::OutOfMemory(TweetSet& tweets, int before) {
    tweets.KeepFirst(before);
    return "Retrieval stopped: a page was too large for the memory available";
}

}  // namespace marlin
