#pragma once

#include <optional>

#include "platform/toolkit.h"
#include "workspace/main_window_state.h"

namespace marlin {

// The start and end of a retrieval or another long command, in one place. While the guard
// lives the command counts as running (RunState::Running), so no other retrieval starts
// even while Cancel lets it unwind. A command that marks the window Busy (the state Cancel
// acts on) shows its cursor too. Release, or the guard's end on any path (normal end,
// Cancel, an exception), clears busy and cancelled and brings the normal cursor back.
class RetrievalGuard {
  public:
    enum class Mark { Busy, RunningOnly };

    explicit RetrievalGuard(MainWindowState& window, Mark mark = Mark::Busy,
                            std::optional<CursorShape> cursor = std::nullopt);
    ~RetrievalGuard();
    RetrievalGuard(const RetrievalGuard&) = delete;
    RetrievalGuard& operator=(const RetrievalGuard&) = delete;

    // Marks the window Busy from here on, for a command that learns late that it has work.
    void MarkBusy(std::optional<CursorShape> cursor = std::nullopt);
    // The end of the busy part: Busy and Cancelled cleared, the normal cursor back. The
    // command still counts as running until the guard goes.
    void Release();

  private:
    MainWindowState& m_window;
    bool m_released = false;
};

}  // namespace marlin
