#pragma once

#include "platform/status_bar.h"
#include "platform/toolkit.h"
#include "workspace/engine/quota_wait.h"

namespace marlin {

// The window's side of a quota wait: events run between the checks, and status panel 3
// counts down.
class WindowWaitHost : public QuotaWait::Host {
  public:
    static constexpr int kWaitPanel = 3;

    WindowWaitHost(Toolkit& toolkit, StatusBar& infoBar) : m_tk(toolkit), m_infoBar(infoBar) {}

    void LetEventsRun() override { m_tk.DoEvents(); }
    void Pause(int milliseconds) override { m_tk.Sleep(milliseconds); }
    std::string WaitPanel() const override { return m_infoBar.Panel(kWaitPanel); }
    void ShowWaitPanel(const std::string& text) override { m_infoBar.SetPanel(kWaitPanel, text); }

  private:
    Toolkit& m_tk;
    StatusBar& m_infoBar;
};

}  // namespace marlin
