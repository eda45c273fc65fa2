#pragma once

#include <optional>
#include <string>

namespace marlin {

// The title of every message box that names no other.
inline constexpr const char* kApplicationTitle = "Marlin Skimmer Desktop Edition";

enum class MsgButtons { OK, OKCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Exclamation, Error, Question };
enum class MsgResult { OK, Cancel, Yes, No };
enum class CursorShape { Normal, Busy, ArrowAndBusy };

// What an open or save file dialog is asked to show. The filter is the classic
// "Label (*.ext)|*.ext|Other|*.*" list of label and pattern pairs joined by bars.
struct FileDialogRequest {
    std::string title;
    std::string filter;
    std::string defaultExtension;  // without the dot, e.g. "txt"
    std::string fileName;          // preset file name (may be a full path)
};

// Everything the windows ask of the desktop's windowing toolkit. The workspace
// never talks to a toolkit directly: the Qt build passes a Qt implementation,
// the tests a scripted one.
class Toolkit {
public:
    virtual ~Toolkit() = default;

    // Modal; returns the button pressed.
    virtual MsgResult MessageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                                 MsgIcon icon) = 0;
    MsgResult MessageBox(const std::string& text, MsgButtons buttons = MsgButtons::OK,
                         MsgIcon icon = MsgIcon::None) {
        return MessageBox(text, kApplicationTitle, buttons, icon);
    }

    // Modal; returns the answer, or the empty text when cancelled.
    virtual std::string InputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultAnswer) = 0;

    // Modal; the chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) = 0;

    virtual void ClipboardClear() = 0;
    virtual void ClipboardSetText(const std::string& text) = 0;
    virtual std::string ClipboardGetText() = 0;

    virtual void SetCursor(CursorShape shape) = 0;

    // Lets queued window events (paint, clicks, the status timer) run once and returns.
    // Long work calls it often; implementations keep it cheap.
    virtual void DoEvents() = 0;

    // Sleeps about this long without processing events. Waits for a quota window or an
    // outside program alternate this with DoEvents so the window stays responsive.
    virtual void Sleep(int milliseconds) = 0;

    // Opens a web address with the desktop's opener.
    virtual void OpenUrl(const std::string& url) = 0;
};

}  // namespace marlin
