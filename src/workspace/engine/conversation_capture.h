#pragma once

#include "workspace/engine/capture_run.h"
#include "workspace/engine/counted_progress.h"

namespace marlin {

// The whole conversations of posts: for each post the request names, every reply a search on
// its conversation_id finds back to the threshold date (the recent search, or the full
// archive where the request says so), then the posts themselves, looked up by id. The posts
// come last: each search trims the tweets to the threshold date, and a post that started a
// conversation is often older than its replies.
class ConversationCapture {
  public:
    explicit ConversationCapture(CaptureRun& run) : m_run(run), m_progress(run.Events()) {}

    // True when every conversation was read to its last page or to the threshold date.
    bool Run();

  private:
    // The replies of one conversation, added to the tweets; true when it was read to its end.
    bool Replies(std::uint64_t root);
    // The posts that started the conversations, 100 a request.
    void Roots();

    CaptureRun& m_run;
    CountedProgress m_progress;  // conversations done of those asked for
};

}  // namespace marlin
