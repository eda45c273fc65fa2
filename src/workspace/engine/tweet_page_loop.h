#pragma once

#include <functional>
#include <string>

#include "service/twitter_api.h"
#include "workspace/engine/capture_run.h"

namespace marlin {

// The page loop the search and the timelines share. Pages are asked for from the newest
// down, each below the oldest tweet held, and trimmed to the threshold date; the loop
// stops at the threshold, at an empty or refused page, at a Cancel, at a page that did
// not move the oldest tweet, or when memory runs out (the stop line says which of the
// last two). A spent window is waited out and the page asked for again; a low quota
// brings the quota dialog or the automatic wait.
class TweetPageLoop {
  public:
    static constexpr int kQuotaLow = 10;  // the quota dialog appears below this many requests

    struct Source {
        ResourceFamily family;
        std::string windowName;  // as the quota dialog names the window: "search", "user timeline"
        // Sends the request for the page below maxId (none: the newest) into the run's tweets.
        std::function<RequestOutcome(const std::string& maxId)> fetch;
        // The requests left in the family's window.
        std::function<int()> remaining;
        // After a page was added and trimmed, with the records it brought: panels and log.
        std::function<void(int count)> taken;
        // After an error answer that no Cancel caused; may be empty.
        std::function<void(const RequestOutcome& answer)> refused;
    };

    explicit TweetPageLoop(CaptureRun& run) : m_run(run) {}

    // Runs the loop from firstMaxId ("" for the newest page); true when the threshold
    // date was reached.
    bool Run(const Source& source, const std::string& firstMaxId);

    // The upper bound of the threshold trim. Tweet times are the service's UTC clock
    // times; trimming at the local "now" would drop the newest tweets wherever local
    // time is behind UTC (or the clock is a little slow) and end the retrieval as if the
    // threshold had been reached. No tweet the service sends is from the future.
    static std::string LatestBound() { return "31/12/9999 23:59:59"; }
    // After a page too large for the memory left: drops what the page added after record
    // `before` and gives the line that says why the retrieval stopped.
    static std::string OutOfMemory(TweetSet& tweets, int before);

  private:
    CaptureRun& m_run;
};

}  // namespace marlin
