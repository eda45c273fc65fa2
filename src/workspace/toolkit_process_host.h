#pragma once

#include "platform/toolkit.h"
#include "sentiment/process_host.h"

namespace marlin {

// A face's side of a wait for an outside program, through its toolkit: its events run
// between the checks (the window repaints, the command line checks for a stop), and a scorer
// run that failed is told as the toolkit tells a message (a box, a line on the error stream).
// Header-only, so that the command line uses it without linking anything of the window.
class ToolkitProcessHost : public ProcessHost {
  public:
    explicit ToolkitProcessHost(Toolkit& toolkit) : m_tk(toolkit) {}

    void LetEventsRun() override { m_tk.DoEvents(); }
    void Pause(int milliseconds) override { m_tk.Sleep(milliseconds); }
    void ScorerFailed(const std::string& message, const std::string& title) override {
        m_tk.MessageBox(message, title, MsgButtons::OK, MsgIcon::Error);
    }

  private:
    Toolkit& m_tk;
};

}  // namespace marlin
