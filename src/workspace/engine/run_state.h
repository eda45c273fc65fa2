#pragma once

#include <string>

namespace marlin {

// How a capture ended: every record asked for came (the threshold date, the service's last
// page, the end of a list); it stopped early with what it had (an error answer, a page
// that did not move the paging on, an unreadable page, a Cancel or a quota wait cut short);
// or it got nothing it could keep.
enum class CaptureOutcome { Complete, StoppedEarly, Failed };

// The state of the one capture the program runs at a time, each flag behind the rule that
// keeps it: a run counts as running from its start command to its very end, busy while
// Cancel may act on it, cancelled from a Cancel until its end, quota waiting while a spent
// window is waited out. Cancel clears busy at once while the run still unwinds (and lets
// window events run); a start command in that gap must find the run still there.
class RunState {
  public:
    bool Busy() const { return m_busy; }
    bool Cancelled() const { return m_cancelled; }
    bool QuotaWaiting() const { return m_quotaWaiting; }
    bool Running() const { return m_running; }
    // No capture runs and none is still unwinding.
    bool CanStart() const { return !m_busy && !m_running; }
    // Anything at all going on, a wait of a command that is no capture included.
    bool Active() const { return m_running || m_busy || m_quotaWaiting; }

    // The user's Cancel (or a signal): true when a busy run was there to stop. The run
    // unwinds; a quota wait stops waiting.
    bool Cancel();
    // A run stops itself as a Cancel would (the quota dialog's Cancel, a list's last page).
    void Stop() { m_cancelled = true; }
    // The engine stops the run for a reason of its own (a spending limit, the service's cap):
    // the loops end as on a Cancel, and the reason is the run's end.
    void StopFor(std::string reason) {
        m_cancelled = true;
        m_stopReason = std::move(reason);
    }
    // Why the engine stopped the run; empty when it did not.
    const std::string& StopReason() const { return m_stopReason; }
    // A command that starts its own loop forgets a Cancel of an earlier one.
    void ClearCancel() {
        m_cancelled = false;
        m_stopReason.clear();
    }

    void BeginRunning() { m_running = true; }
    void EndRunning() { m_running = false; }
    void MarkBusy() { m_busy = true; }
    // The end of the busy part: Busy and Cancelled cleared. The loops use Cancelled as
    // their end marker; left set it would stop the next run after its first page.
    void Release();

    // A quota wait marks the run busy for its length, so Cancel acts even for a command
    // that did not; true when it did (EndQuotaWait takes it back).
    bool BeginQuotaWait();
    void EndQuotaWait(bool markedBusy);
    // The wait is over early: a Cancel came.
    bool QuotaWaitStopped() const { return m_cancelled || !m_quotaWaiting; }

    // How the last capture ended; Complete until one says otherwise.
    CaptureOutcome Outcome() const { return m_outcome; }
    void StartOutcome() { m_outcome = CaptureOutcome::Complete; }
    // A part of the run ended so; the worst part decides the run's outcome.
    void Record(CaptureOutcome outcome);

  private:
    bool m_busy = false;
    bool m_cancelled = false;
    bool m_quotaWaiting = false;
    bool m_running = false;
    std::string m_stopReason;
    CaptureOutcome m_outcome = CaptureOutcome::Complete;
};

}  // namespace marlin
