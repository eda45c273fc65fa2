#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "core/yield.h"

namespace marlin {

// What the caller of a long export gives it: a flag that stops it (set from a signal
// handler or the window's Cancel; the export then writes nothing, removes its temporary
// file and leaves an earlier file as it was) and an ear for what the user should know of
// the file.
struct ExportOptions {
    // The most rows of a workbook's sheet, the header included (Excel's limit); tests
    // make it small to reach it quickly.
    static constexpr int kSheetRows = 1048576;
    // How many rows are written between two looks at the stop flag.
    static constexpr int kRowsPerCheck = 4096;

    const std::atomic<bool>* stop = nullptr;
    std::function<void(const std::string&)> tell;
    int sheetRows = kSheetRows;
    // The window's events run at every look at the flag: that is where its Cancel is pressed.
    Yield letEventsRun;

    bool Stopped() const {
        letEventsRun();
        return stop && stop->load(std::memory_order_relaxed);
    }
    void Tell(const std::string& text) const {
        if (tell) tell(text);
    }
};

}  // namespace marlin
