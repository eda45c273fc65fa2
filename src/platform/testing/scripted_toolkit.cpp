#include "platform/testing/scripted_toolkit.h"

#include <chrono>
#include <stdexcept>
#include <thread>

namespace marlin::testing {

namespace {
MsgResult FirstButton(MsgButtons buttons) {
    return (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel) ? MsgResult::Yes
                                                                                : MsgResult::OK;
}
}  // namespace

MsgResult ScriptedToolkit::ShowMessageBox(const std::string& text, const std::string& title,
                                          MsgButtons buttons, MsgIcon icon) {
    if (messages.size() >= maxMessages)
        throw std::runtime_error("scripted toolkit: too many messages, last: " + text);
    ShownMessage shown{text, title, buttons, icon, FirstButton(buttons)};
    if (onMessage) onMessage(shown);
    if (!messageAnswers.empty()) {
        shown.answer = messageAnswers.front();
        messageAnswers.pop_front();
    }
    messages.push_back(shown);
    return shown.answer;
}

std::string ScriptedToolkit::InputBox(const std::string& prompt, const std::string& title,
                                      const std::string& defaultAnswer) {
    std::string answer;
    if (!promptAnswers.empty()) {
        answer = promptAnswers.front();
        promptAnswers.pop_front();
    }
    prompts.push_back({prompt, title, defaultAnswer, answer});
    return answer;
}

std::optional<std::string> ScriptedToolkit::ShowFileDialog(const FileDialogRequest& request, bool save) {
    std::optional<std::string> answer;
    if (!fileDialogAnswers.empty()) {
        answer = fileDialogAnswers.front();
        fileDialogAnswers.pop_front();
    }
    fileDialogs.push_back({save, request, answer});
    return answer;
}

void ScriptedToolkit::DoEvents() {
    ++doEventsCount;
    if (onDoEvents) onDoEvents();
}

void ScriptedToolkit::Sleep(int milliseconds) {
    sleptMilliseconds += milliseconds;
    if (realSleep) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::vector<std::string> ScriptedToolkit::MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : messages) texts.push_back(m.text);
    return texts;
}

}  // namespace marlin::testing
