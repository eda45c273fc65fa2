#pragma once

#include <chrono>
#include <string>

#include "platform/console_toolkit.h"
#include "workspace/engine/capture_events.h"

namespace marlin {

// The command line as the watcher of a capture: every log line on the error stream, the
// running loop's progress line at most once a second (and its last state always), every
// question answered OK since nobody is there to answer, and the outcome kept for the exit
// code.
class HeadlessEvents : public CaptureEvents {
  public:
    explicit HeadlessEvents(ConsoleToolkit& toolkit) : m_tk(toolkit) {}

    void Log(const std::string& line) override;
    void Progress(const std::string& line) override;
    void Aside(const std::string& line) override;
    void RecordsAdded(int) override {}
    bool Ask(const std::string& question) override;
    void Tell(const std::string& text, Notice notice) override;
    void Ended(CaptureOutcome outcome) override { m_outcome = outcome; }

    // Writes the progress line's last state when it was held back.
    void Flush();
    // How the last capture ended; Complete before any.
    CaptureOutcome Outcome() const { return m_outcome; }

  private:
    void Write(const std::string& line);

    ConsoleToolkit& m_tk;
    std::string m_pending;  // the progress line's newest state, not written yet
    std::chrono::steady_clock::time_point m_lastWritten{};
    CaptureOutcome m_outcome = CaptureOutcome::Complete;
};

}  // namespace marlin
