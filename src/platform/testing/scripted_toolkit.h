#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/toolkit.h"

namespace marlin::testing {

// A toolkit for headless tests: answers come from queues the test fills before the
// action, and everything shown is recorded so a test can assert the exact texts.
class ScriptedToolkit : public Toolkit {
  public:
    struct ShownMessage {
        std::string text;
        std::string title;
        MsgButtons buttons;
        MsgIcon icon;
        MsgResult answer;
    };
    struct ShownPrompt {
        std::string prompt;
        std::string title;
        std::string defaultAnswer;
        std::string answer;
    };
    struct ShownFileDialog {
        bool save;
        FileDialogRequest request;
        std::optional<std::string> answer;
    };

    // Answers, used in order. An empty queue gives the default: the first button of the
    // set (OK or Yes), the empty text for a prompt (as if cancelled), cancel for a dialog.
    std::deque<MsgResult> messageAnswers;
    std::deque<std::string> promptAnswers;
    std::deque<std::optional<std::string>> fileDialogAnswers;

    // Runs at every DoEvents, so a test can "press a button" in the middle of long work.
    std::function<void()> onDoEvents;
    // Runs when a message box is shown, before its answer is taken from the queue.
    std::function<void(const ShownMessage&)> onMessage;

    // When false (the default) Sleep returns at once and only adds to sleptMilliseconds.
    bool realSleep = false;

    // A workflow that asks the same question for ever (a retry answered Yes by default)
    // would hang the suite; past this many messages MessageBox throws instead.
    std::size_t maxMessages = 10000;

    std::vector<ShownMessage> messages;
    std::vector<ShownPrompt> prompts;
    std::vector<ShownFileDialog> fileDialogs;
    std::vector<std::string> openedUrls;
    std::vector<CursorShape> cursors;
    long long doEventsCount = 0;
    long long sleptMilliseconds = 0;

    std::string InputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultAnswer) override;
    void SetCursor(CursorShape shape) override { cursors.push_back(shape); }
    void DoEvents() override;
    void Sleep(int milliseconds) override;
    void OpenUrl(const std::string& url) override { openedUrls.push_back(url); }

    // The texts of every message shown so far, in order.
    std::vector<std::string> MessageTexts() const;
    const ShownMessage* LastMessage() const { return messages.empty() ? nullptr : &messages.back(); }

  protected:
    MsgResult ShowMessageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                             MsgIcon icon) override;
    std::optional<std::string> ShowFileDialog(const FileDialogRequest& request, bool save) override;
};

}  // namespace marlin::testing
