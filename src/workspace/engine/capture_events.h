#pragma once

#include <string>

#include "workspace/engine/run_state.h"

namespace marlin {

// What a capture tells whoever watches it, and what it asks them: the window shows it in
// its request log, progress line and message boxes, the command line writes it to the
// error stream and answers for itself. A capture never learns which of them it has.
class CaptureEvents {
  public:
    enum class Notice { Information, Warning };

    virtual ~CaptureEvents() = default;

    // A new line of the request log.
    virtual void Log(const std::string& line) = 0;
    // The running loop's own line (the newest) rewritten with how far it has come.
    virtual void Progress(const std::string& line) = 0;
    // A line set just above the running loop's line: a wait, a retry.
    virtual void Aside(const std::string& line) = 0;
    // A page was added and trimmed; `count` of its records were kept.
    virtual void RecordsAdded(int count) = 0;
    // A question answered with OK or Cancel; true for OK.
    virtual bool Ask(const std::string& question) = 0;
    // A message that is only acknowledged.
    virtual void Tell(const std::string& text, Notice notice) = 0;
    // The capture is over, and how it ended.
    virtual void Ended(CaptureOutcome outcome) = 0;
};

}  // namespace marlin
