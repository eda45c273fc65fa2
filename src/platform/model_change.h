#pragma once

namespace marlin {

// What kind of change a control model announces to its views. Kinds are coarse on
// purpose: a table of 200,000 rows filled one row at a time must not pay for a
// detailed event per cell, so views re-read whatever a kind covers.
enum class ChangeKind {
    Reset,         // item count, order or everything else about the items may have changed
    RowsInserted,  // items first..last were appended at the end; nothing else moved
    RowsChanged,   // text, check or style of items first..last changed; count and order kept
    Columns,       // columns added, removed, renamed or resized (report list)
    Selection,     // the selected item changed
    Properties,    // enabled, visible, tooltip, caption, text or any other scalar property
    Scroll,        // the program asked to bring the last item into view (log list)
    Popup,         // the program asked to show this menu as a popup at the mouse
    Focus,         // the program asked to give this control the input focus
};

struct ModelChange {
    ChangeKind kind = ChangeKind::Reset;
    int first = -1;
    int last = -1;
};

}  // namespace marlin
