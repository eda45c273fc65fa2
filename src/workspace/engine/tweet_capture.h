#pragma once

#include <string>

#include "workspace/engine/capture_run.h"
#include "workspace/engine/counted_progress.h"

namespace marlin {

// The captures of tweets back to the threshold date: a search (new, an update since the
// newest tweet held, a continuation below the oldest) and the timelines of accounts, one
// after the other. Each runs the tweet page loop with the lines, panels and progress of
// its kind.
class TweetCapture {
  public:
    explicit TweetCapture(CaptureRun& run) : m_run(run), m_users(run.Events()) {}

    // Search, Update or ContinueBack of the request's query; true when the threshold date
    // was reached.
    bool Search();
    // The timelines of the request's accounts, one after the other, each from its own
    // position; a v1.1 refusal of the application's access ends the walk with one message.
    void Timelines();
    // The timeline of the request's first account alone.
    void Timeline();

  private:
    // Pages backwards through one account's timeline (always sent as a screen name) until
    // a page adds nothing, the threshold date is passed or the user cancels.
    void RetrieveTimeline(const std::string& user, const std::string& sinceId, const std::string& firstMaxId);

    CaptureRun& m_run;
    CountedProgress m_users;  // accounts done of those asked for
};

}  // namespace marlin
