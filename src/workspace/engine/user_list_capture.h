#pragma once

#include <string>

#include "workspace/engine/capture_run.h"
#include "workspace/engine/counted_progress.h"

namespace marlin {

// The followers or friends of one account, page by page along the service's cursor, into
// the run's users, until the last page, a lasting failure or "Cancel ". A spent window is
// waited out on the run's clock before the page that would meet it.
class UserListCapture {
  public:
    // The quota wait checks the clock and lets events run this often.
    static constexpr int kWaitStepMilliseconds = 100;

    explicit UserListCapture(CaptureRun& run) : m_run(run), m_listed(run.Events()) {}

    // True when it reached the list's end. An error of the second attempt of a page is
    // thrown to the caller as HttpError (what arrived stays).
    bool Run();

  private:
    CaptureRun& m_run;
    CountedProgress m_listed;  // users listed of those the account's profile announces
};

}  // namespace marlin
