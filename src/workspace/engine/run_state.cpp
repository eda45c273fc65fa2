#include "workspace/engine/run_state.h"

namespace marlin {

bool RunState::Cancel() {
    if (!m_busy) return false;
    m_cancelled = true;
    m_busy = false;
    m_quotaWaiting = false;
    return true;
}

void RunState::Release() {
    m_busy = false;
    m_cancelled = false;
    m_stopReason.clear();
}

bool RunState::BeginQuotaWait() {
    m_quotaWaiting = true;
    const bool markedBusy = !m_busy;
    m_busy = true;
    return markedBusy;
}

void RunState::EndQuotaWait(bool markedBusy) {
    m_quotaWaiting = false;
    if (markedBusy) m_busy = false;
}

void RunState::Record(CaptureOutcome outcome) {
    if (static_cast<int>(outcome) > static_cast<int>(m_outcome)) m_outcome = outcome;
}

}  // namespace marlin
