#pragma once

#include <cstdint>
#include <string>

#include "workspace/engine/capture_run.h"
#include "workspace/engine/counted_progress.h"
#include "workspace/engine/page_progress.h"

namespace marlin {

// The posts that quote each of the request's posts (accounts: their ids), page by page
// along the service's pagination token, into the run's tweets: one table for them all, no
// post twice. A post ends at its last page, a lasting failure or "Cancel "; a spent window
// is waited out before the page that would meet it.
class QuotesCapture {
  public:
    explicit QuotesCapture(CaptureRun& run) : m_run(run), m_posts(run.Events()) {}

    // True when every post's quotes were read to their last page.
    bool Run();

  private:
    // The quotes of one post; true when its last page came.
    bool QuotesOf(std::uint64_t postId, PageProgress& progress);

    CaptureRun& m_run;
    CountedProgress m_posts;  // posts done of those asked for
};

}  // namespace marlin
