#pragma once

#include <string>

#include "workspace/engine/capture_events.h"

namespace marlin {

// The progress of a run through a number of users or look-up batches: the bar shows the
// part of them done, the rate counts what the pages brought (tweets, users). A run whose
// total is not known up front shows a busy bar with the count.
class CountedProgress {
  public:
    explicit CountedProgress(CaptureEvents& events) : m_events(events) {}

    // total: how many users or batches the run goes through; 0 when not known.
    void Begin(const std::string& unit, long long total);
    // That many more of them are done.
    void Next(long long done = 1) { m_done += done; }
    // A page arrived with that many new items.
    void Page(long long newItems);
    void End() { m_events.MeterEnd(); }

  private:
    CaptureEvents& m_events;
    long long m_total = 0;
    long long m_done = 0;
    long long m_items = 0;
};

}  // namespace marlin
