#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "platform/console_toolkit.h"
#include "workspace/engine/capture_events.h"

namespace marlin {

// The command line as the watcher of a capture: every log line on the error stream, the
// running loop's progress line at most once a second (and its last state always), every
// question given the unattended answer (the one place the command line answers one), and
// the outcome kept for the exit code.
class HeadlessEvents : public CaptureEvents {
  public:
    explicit HeadlessEvents(ConsoleToolkit& toolkit) : m_tk(toolkit) {}

    void Log(const std::string& line) override;
    void Progress(const std::string& line) override;
    void Aside(const std::string& line) override;
    void RecordsAdded(int) override {}
    // Nobody is there to answer: go on through a quota window (OK), give a failed request up
    // after its automatic retries with the records so far (No), replace nothing (No).
    bool Ask(const Question& question) override;
    void Tell(const std::string& text, Notice notice, const std::string& title = {}) override;
    void Ended(CaptureOutcome outcome) override { m_outcome = outcome; }
    // Between the steps of a capture: the run checks whether it was asked to stop.
    void LetEventsRun() override {
        if (m_idle) m_idle();
    }
    void SetIdleAction(std::function<void()> idle) { m_idle = std::move(idle); }

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
    std::function<void()> m_idle;
};

}  // namespace marlin
