#pragma once

#include "platform/toolkit.h"
#include "sentiment/process_host.h"

namespace marlin {

// The window's side of a wait for an outside program: events run between the checks, and a
// scorer run that failed is told in a message box.
class WindowProcessHost : public ProcessHost {
  public:
    explicit WindowProcessHost(Toolkit& toolkit) : m_tk(toolkit) {}

    void LetEventsRun() override { m_tk.DoEvents(); }
    void Pause(int milliseconds) override { m_tk.Sleep(milliseconds); }
    void ScorerFailed(const std::string& message, const std::string& title) override {
        m_tk.MessageBox(message, title, MsgButtons::OK, MsgIcon::Error);
    }

  private:
    Toolkit& m_tk;
};

}  // namespace marlin
