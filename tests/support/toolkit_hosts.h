#pragma once

// The scripted toolkit answering for a service client or for a wait for an outside program,
// as the window answers for them: questions from its queue, every message recorded.

#include "platform/testing/scripted_toolkit.h"
#include "sentiment/process_host.h"
#include "service/exchange_host.h"

namespace marlin::testing {

class ToolkitExchangeHost : public ExchangeHost {
  public:
    explicit ToolkitExchangeHost(ScriptedToolkit& toolkit) : m_tk(toolkit) {}

    void LetEventsRun() override { m_tk.DoEvents(); }
    bool AskToRetry(const std::string& question, const std::string& title) override {
        return m_tk.MessageBox(question, title, MsgButtons::YesNo, MsgIcon::Question) == MsgResult::Yes;
    }
    void Note(const std::string& text, const std::string& title) override {
        m_tk.MessageBox(text, title, MsgButtons::OK, MsgIcon::Information);
    }

  private:
    ScriptedToolkit& m_tk;
};

class ToolkitProcessHost : public ProcessHost {
  public:
    explicit ToolkitProcessHost(ScriptedToolkit& toolkit) : m_tk(toolkit) {}

    void LetEventsRun() override { m_tk.DoEvents(); }
    void Pause(int milliseconds) override { m_tk.Sleep(milliseconds); }
    void ScorerFailed(const std::string& message, const std::string& title) override {
        m_tk.MessageBox(message, title, MsgButtons::OK, MsgIcon::Error);
    }

  private:
    ScriptedToolkit& m_tk;
};

}  // namespace marlin::testing
