#include "workspace/retrieval/tweet_page_loop.h"

#include <new>

#include "workspace/retrieval/page_bound.h"
#include "workspace/retrieval/page_progress.h"

namespace marlin {

bool TweetPageLoop::Run(const Source& source, const std::string& firstMaxId) {
    MainWindowState& w = m_window;
    TwitterAPI& twitter = w.Twitter;
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
                w.LastGET.SetText(source.fetch(bound.MaxId()));
            } while (m_steps.ResendAfterSpentWindow(twitter, source.family, source.windowName));
            const int count = twitter.LastResponseCount();
            if (count == -1 && !w.Run.Cancelled() && source.refused) {
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
                reached = tweets.TrimToDateRange(w.ThresholdDateText(), RetrievalSteps::LatestBound());
                source.taken(kept);
                w.Events().RecordsAdded(kept);
                w.Tk.DoEvents();
            }
            w.Progress.ScrollToLast();
            w.Tk.DoEvents();
            if (source.remaining() < kQuotaLow) m_steps.QuotaLow(twitter, source.family, source.windowName);
        } while (!(twitter.LastResponseCount() < 1 || reached || w.Run.Cancelled()));
    } catch (const std::bad_alloc&) {
        stopLine = RetrievalSteps::OutOfMemory(tweets, before);
    }
    if (!stopLine.empty()) w.Events().Log(stopLine);
    // The service's last page (an empty one) ends a capture as completely as the threshold.
    const bool lastPage = stopLine.empty() && !w.Run.Cancelled() && twitter.LastResponseCount() == 0;
    w.Run.Record(reached || lastPage ? CaptureOutcome::Complete : CaptureOutcome::StoppedEarly);
    return reached;
}

}  // namespace marlin
