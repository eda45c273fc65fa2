#include "workspace/retrieval/retrieval_guard.h"

namespace marlin {

RetrievalGuard::RetrievalGuard(MainWindowState& window, Mark mark, std::optional<CursorShape> cursor)
    : m_window(window) {
    m_window.Run.BeginRunning();
    m_window.Run.StartOutcome();
    if (mark == Mark::Busy)
        MarkBusy(cursor);
    else if (cursor)
        m_window.Tk.SetCursor(*cursor);
}

RetrievalGuard::~RetrievalGuard() {
    if (!m_released) Release();
    m_window.Run.EndRunning();
    m_window.Events().Ended(m_window.Run.Outcome());
}

void RetrievalGuard::MarkBusy(std::optional<CursorShape> cursor) {
    m_window.Run.MarkBusy();
    m_released = false;
    if (cursor) m_window.Tk.SetCursor(*cursor);
}

void RetrievalGuard::Release() {
    m_released = true;
    m_window.Run.Release();
    m_window.RetrievalBar.End();
    m_window.Tk.SetCursor(CursorShape::Normal);
}

}  // namespace marlin
