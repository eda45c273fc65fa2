#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

#include "platform/toolkit.h"

namespace marlin {

// The toolkit of a run without a window: every message is one line on the error stream,
// and every question takes the answer that keeps the data safe and the run going
// without anyone at the keyboard (SafeAnswer). Nothing here needs a display.
class ConsoleToolkit : public Toolkit {
  public:
    // err: where messages go (standard error in the program); prefix starts every line.
    explicit ConsoleToolkit(std::ostream& err, std::string prefix = "marlin-skimmer: ");

    // OK for OK and OK/Cancel (the run goes on), No for Yes/No and Yes/No/Cancel (a
    // failed request is given up with the records so far, nothing is replaced).
    static MsgResult SafeAnswer(MsgButtons buttons);

    // The answer of the next input prompt, in place of its default (a headless command
    // that runs a window command which asks for a name).
    void SetNextPromptAnswer(std::string answer) { m_promptAnswer = std::move(answer); }

    // Runs at every DoEvents: the headless run checks for a stop request and reports
    // progress there.
    void SetIdleAction(std::function<void()> action) { m_idle = std::move(action); }

    // One line on the error stream; line breaks inside the text become blanks, other control
    // characters \xNN (VisibleText).
    void Line(const std::string& text);
    // Text as it stands (the usage text).
    void Text(const std::string& text);

    std::string InputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultAnswer) override;
    void SetCursor(CursorShape) override {}
    void DoEvents() override;
    void Sleep(int milliseconds) override;
    void OpenUrl(const std::string& url) override;

  protected:
    MsgResult ShowMessageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                             MsgIcon icon) override;
    // There is nobody to choose a file: every dialog is cancelled.
    std::optional<std::string> ShowFileDialog(const FileDialogRequest&, bool) override {
        return std::nullopt;
    }

  private:
    std::ostream& m_err;
    std::string m_prefix;
    std::optional<std::string> m_promptAnswer;
    std::function<void()> m_idle;
    bool m_inIdle = false;
};

}  // namespace marlin
