#pragma once

#include "workspace/engine/capture_run.h"
#include "workspace/engine/counted_progress.h"

namespace marlin {

// The timeline samples of the request's accounts, one after the other, for their
// behavioural figures: each back from the newest tweet to the threshold date (a year back)
// or until the run's tweets reach the request's cap, into the run's tweets, which hold that
// account's sample when the caller's step is told the account is done.
class SampleCapture {
  public:
    explicit SampleCapture(CaptureRun& run) : m_run(run), m_sampled(run.Events()) {}

    void Run();

  private:
    void SampleOne(const std::string& screenName);

    CaptureRun& m_run;
    CountedProgress m_sampled;  // accounts sampled of those asked for
};

}  // namespace marlin
