#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <chrono>

#include "platform/toolkit.h"

namespace marlin {

// The toolkit for the desktop program, on Qt Widgets. Dialogs are modal to the window
// given (the main window once it exists; none before).
class QtToolkit : public Toolkit {
  public:
    explicit QtToolkit(QWidget* window = nullptr) : m_window(window) {}

    void SetWindow(QWidget* window) { m_window = window; }

    std::string InputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultAnswer) override;
    void ClipboardClear() override;
    void ClipboardSetText(const std::string& text) override;
    std::string ClipboardGetText() override;
    void SetCursor(CursorShape shape) override;
    // Runs one real event pass at most every ~10 ms, so long work may call it per
    // character without slowing down.
    void DoEvents() override;
    void Sleep(int milliseconds) override;
    void OpenUrl(const std::string& url) override;

    // "Text (*.txt)|*.txt|All|*.*" as Qt name filters: "Text (*.txt)", "All (*.*)".
    static QStringList NameFilters(const std::string& filter);
    // The path with ".ext" added when its file name has no extension of its own.
    static QString WithDefaultExtension(const QString& path, const std::string& extension);

    static constexpr std::chrono::milliseconds kEventPassInterval{10};

  protected:
    bool ShowOffer(const std::string& text, const std::string& title, const std::string& action) override;
    MsgResult ShowMessageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                             MsgIcon icon) override;
    std::optional<std::string> ShowFileDialog(const FileDialogRequest& request, bool save) override;
    // One dialog: the note, a labelled line a field (hidden ones as password lines), OK and
    // Cancel; OK stays off until every line holds something.
    bool ShowForm(const std::string& title, const std::string& note, std::vector<FormField>& fields) override;

  private:
    QPointer<QWidget> m_window;
    bool m_cursorOverridden = false;
    std::chrono::steady_clock::time_point m_lastEventPass{};
};

}  // namespace marlin
