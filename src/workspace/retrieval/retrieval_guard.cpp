#include "workspace/retrieval/retrieval_guard.h"

namespace marlin {

RetrievalGuard::RetrievalGuard(MainWindowState& window, Mark mark, std::optional<CursorShape> cursor)
    : m_window(window) {
    m_window.RetrievalRunning = true;
    if (mark == Mark::Busy)
        MarkBusy(cursor);
    else if (cursor)
        m_window.Tk.SetCursor(*cursor);
}

RetrievalGuard::~RetrievalGuard() {
    if (!m_released) Release();
    m_window.RetrievalRunning = false;
}

void RetrievalGuard::MarkBusy(std::optional<CursorShape> cursor) {
    m_window.Busy = true;
    m_released = false;
    if (cursor) m_window.Tk.SetCursor(*cursor);
}

void RetrievalGuard::Release() {
    m_released = true;
    m_window.Busy = false;
    // The loops use the flag as their end marker; left set it would stop the next
    // retrieval after its first page.
    m_window.Cancelled = false;
    m_window.RetrievalBar.End();
    m_window.Tk.SetCursor(CursorShape::Normal);
}

}  // namespace marlin
