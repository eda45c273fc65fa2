#pragma once

#include <string>

#include "workspace/engine/capture_events.h"

namespace marlin {

// The one loop every paging retrieval runs: ask for a page, check that it moved the
// paging on, take it, and ask for the next until the retrieval's own rule says it has
// all it wants. Searches, timelines, samples, follower lists and look-up batches differ
// only in how they ask, check and take; a page that did not move the paging on ends
// every one of them the same way, with one line in the request log.
class PageLoop {
  public:
    // How one retrieval asks for, checks and takes its pages.
    class Pager {
      public:
        virtual ~Pager() = default;
        // Before each request; false ends the loop without it (a Cancel, a quota wait
        // cut short, nothing left to ask for).
        virtual bool Ready() { return true; }
        // Asks for the next page.
        virtual void Fetch() = 0;
        // False when the page did not move the paging on; stopLine then says why.
        virtual bool Check(std::string& stopLine) = 0;
        // Keeps the page and shows how far the retrieval has come.
        virtual void Take() = 0;
        // After a page was taken: whether another is asked for.
        virtual bool More() = 0;
    };

    explicit PageLoop(CaptureEvents& events) : m_events(events) {}

    // Runs pages until the pager ends the loop. False when a page failed its check; its
    // stop line is then in the log.
    bool Run(Pager& pager);

  private:
    CaptureEvents& m_events;
};

}  // namespace marlin
