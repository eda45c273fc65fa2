#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

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

// One line of a form the user fills in at once (a log-in): its label, the answer it starts
// with and, for a password, that what is typed stays hidden.
struct FormField {
    std::string label;
    std::string answer;
    bool hidden = false;
};

// Everything the windows ask of the desktop's windowing toolkit. The workspace
// never talks to a toolkit directly: the Qt build passes a Qt implementation,
// the tests a scripted one.
class Toolkit {
  public:
    virtual ~Toolkit() = default;

    // Modal; returns the button pressed.
    MsgResult MessageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                         MsgIcon icon) {
        return ShowMessageBox(text, title, buttons, icon);
    }
    MsgResult MessageBox(const std::string& text, MsgButtons buttons = MsgButtons::OK,
                         MsgIcon icon = MsgIcon::None) {
        return ShowMessageBox(text, kApplicationTitle, buttons, icon);
    }

    // Modal: a message that offers one action besides closing it, on a button of its own
    // ("Use v2 and search again"); true when the user took the action.
    bool Offer(const std::string& text, const std::string& title, const std::string& action) {
        return ShowOffer(text, title, action);
    }

    // Modal; returns the answer, or the empty text when cancelled.
    virtual std::string InputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultAnswer) = 0;

    // Modal: the lines of a form under a note, each answer written back into its field;
    // false when the user cancelled or left a line empty.
    bool AskForm(const std::string& title, const std::string& note, std::vector<FormField>& fields) {
        return ShowForm(title, note, fields);
    }

    // Modal; the chosen path, or nothing when the user cancelled.
    std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) {
        return ShowFileDialog(request, false);
    }
    std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) {
        return ShowFileDialog(request, true);
    }

    // A toolkit without a desktop keeps the clipboard's text to itself.
    virtual void ClipboardClear() { m_clipboard.clear(); }
    virtual void ClipboardSetText(const std::string& text) { m_clipboard = text; }
    virtual std::string ClipboardGetText() { return m_clipboard; }

    virtual void SetCursor(CursorShape shape) = 0;

    // Lets queued window events (paint, clicks, the status timer) run once and returns.
    // Long work calls it often; implementations keep it cheap.
    virtual void DoEvents() = 0;
    // DoEvents as a callback, for work in the floors above that yields without knowing
    // which toolkit runs it.
    std::function<void()> Yielder() {
        return [this] { DoEvents(); };
    }

    // Sleeps about this long without processing events. Waits for a quota window or an
    // outside program alternate this with DoEvents so the window stays responsive.
    virtual void Sleep(int milliseconds) = 0;

    // Opens a web address with the desktop's opener.
    virtual void OpenUrl(const std::string& url) = 0;

  protected:
    virtual MsgResult ShowMessageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                                     MsgIcon icon) = 0;
    virtual std::optional<std::string> ShowFileDialog(const FileDialogRequest& request, bool save) = 0;
    // A toolkit without buttons of its own asks the action as a Yes/No question.
    virtual bool ShowOffer(const std::string& text, const std::string& title, const std::string& action) {
        return ShowMessageBox(text + "\n\n" + action + "?", title, MsgButtons::YesNo, MsgIcon::Exclamation) ==
               MsgResult::Yes;
    }

    // A toolkit without forms asks the lines one after another, the note with the first.
    virtual bool ShowForm(const std::string& title, const std::string& note, std::vector<FormField>& fields);

  private:
    std::string m_clipboard;
};

}  // namespace marlin
