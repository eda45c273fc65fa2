#include "platform/console_toolkit.h"

#include <chrono>
#include <ostream>
#include <thread>

#include "platform/visible_text.h"

namespace marlin {

ConsoleToolkit::ConsoleToolkit(std::ostream& err, std::string prefix)
    : m_err(err), m_prefix(std::move(prefix)) {}

MsgResult ConsoleToolkit::SafeAnswer(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::OK:
        case MsgButtons::OKCancel:
            return MsgResult::OK;
        case MsgButtons::YesNo:
        case MsgButtons::YesNoCancel:
            break;
    }
    return MsgResult::No;
}

void ConsoleToolkit::Line(const std::string& text) {
    m_err << m_prefix << VisibleText::Of(text) << '\n' << std::flush;
}

void ConsoleToolkit::Text(const std::string& text) {
    m_err << text << std::flush;
}

MsgResult ConsoleToolkit::ShowMessageBox(const std::string& text, const std::string& title,
                                         MsgButtons buttons, MsgIcon) {
    const MsgResult answer = SafeAnswer(buttons);
    std::string line = title == kApplicationTitle ? text : title + ": " + text;
    if (buttons != MsgButtons::OK) line += answer == MsgResult::OK ? " [OK]" : " [No]";
    Line(line);
    return answer;
}

std::string ConsoleToolkit::InputBox(const std::string& prompt, const std::string&,
                                     const std::string& defaultAnswer) {
    std::string answer = m_promptAnswer.value_or(defaultAnswer);
    m_promptAnswer.reset();
    Line(prompt + " [" + answer + "]");
    return answer;
}

void ConsoleToolkit::DoEvents() {
    // The idle action may itself run work that lets events run; one level is enough.
    if (!m_idle || m_inIdle) return;
    m_inIdle = true;
    m_idle();
    m_inIdle = false;
}

void ConsoleToolkit::Sleep(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void ConsoleToolkit::OpenUrl(const std::string& url) {
    Line("Open in a browser: " + url);
}

}  // namespace marlin
