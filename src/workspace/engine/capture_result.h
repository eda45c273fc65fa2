#pragma once

#include <optional>
#include <string>

#include "service/request_outcome.h"
#include "workspace/engine/run_state.h"
#include "workspace/engine/volume_estimate.h"

namespace marlin {

// How a capture ended, as its caller decides on it: complete, stopped early or failed
// (the worst part of the run decides), whether it reached what it was after, how its last
// request ended, and what a count found.
struct CaptureResult {
    CaptureOutcome outcome = CaptureOutcome::Complete;
    // The threshold date (searches, timelines), the list's last page (lists), every batch
    // (look-ups).
    bool reached = false;
    // The run's last request, without its body: its response code says why a run ended.
    RequestOutcome last;
    std::optional<VolumeEstimate> estimate;  // counts
    // Why the engine stopped the run (a spending limit, the ledger, the service's cap); empty
    // when it did not.
    std::string stopReason;
    // v2: what the run read and spent, as the ledger took it ("200 posts and 0 users read, …").
    std::string spending;
    // Hydrates: the ids an earlier run had settled (not asked again), and the ids the missing
    // list names once the run is over (an earlier run's among them).
    long long idsSettledBefore = 0;
    long long idsMissing = 0;
};

}  // namespace marlin
