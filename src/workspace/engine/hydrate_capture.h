#pragma once

#include <cstdint>
#include <vector>

#include "core/hydrate_queue.h"
#include "core/missing_posts_file.h"
#include "workspace/engine/capture_run.h"
#include "workspace/engine/counted_progress.h"

namespace marlin {

// Post ids turned back into posts: the request's ids asked for 100 a request, in the order
// they were read, the posts into the run's tweets and the ids the service did not give, with
// its reason, into the missing list. A run whose archive and missing list an earlier run of
// the same ids left behind asks only for what that run did not settle, and takes the posts
// it archived into the tweets first, so the table is whole either way.
class HydrateCapture {
  public:
    explicit HydrateCapture(CaptureRun& run);

    // True when every id was settled: given, or listed as missing.
    bool Run();
    // The ids an earlier run had settled.
    long long SettledBefore() const { return m_settledBefore; }
    // The ids the missing list names at the end.
    long long Missing() const { return static_cast<long long>(m_missing.Rows().size()); }

  private:
    class Batches;

    // Takes in what an earlier run settled; false when its archive cannot be read.
    bool Resume();
    void SaveMissing();

    CaptureRun& m_run;
    HydrateQueue m_queue;
    MissingPostsFile m_missing;
    CountedProgress m_progress;
    long long m_settledBefore = 0;
};

}  // namespace marlin
