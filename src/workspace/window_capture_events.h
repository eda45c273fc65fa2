#pragma once

#include <functional>
#include <optional>

#include "platform/log_list.h"
#include "platform/progress_bar.h"
#include "platform/status_bar.h"
#include "platform/text_box.h"
#include "platform/toolkit.h"
#include "workspace/engine/capture_events.h"

namespace marlin {

// The window as the watcher of a capture: lines in the request log, the raw answer in its
// box, panels in the status bar, the progress bar, and every question and message in the
// toolkit's message boxes (the one place the window answers a capture).
class WindowCaptureEvents : public CaptureEvents {
  public:
    struct Controls {
        LogList& log;
        TextBox& rawResponse;
        StatusBar& status;
        ProgressBar& meter;
    };

    WindowCaptureEvents(Controls controls, Toolkit& toolkit) : m_c(controls), m_tk(toolkit) {}

    void Log(const std::string& line) override;
    void Progress(const std::string& line) override { m_c.log.ReplaceLast(line); }
    void Aside(const std::string& line) override { m_c.log.AppendAboveLast(line); }
    // The Tweets table shows the records of each page as they come (TweetTableTarget).
    void RecordsAdded(int) override {
        if (m_showRecords) m_showRecords();
    }
    void SetShowRecords(std::function<void()> show) { m_showRecords = std::move(show); }
    void RawResponse(const std::string& text) override { m_c.rawResponse.SetText(text); }

    bool Ask(const Question& question) override;
    void Tell(const std::string& text, Notice notice, const std::string& title = {}) override;

    void Status(Panel panel, const std::string& text) override;
    std::string StatusShown(Panel panel) const override;
    void MeterBegin(const std::string& unit, bool endKnown) override { m_c.meter.Begin(unit, endKnown); }
    void MeterAdvance(double share, long long items) override;
    void MeterEnd() override;
    void Waiting(bool waiting) override;
    void Spent(Money run) override { m_spent = run; }

    void LetEventsRun() override { m_tk.DoEvents(); }
    void Pause(int milliseconds) override { m_tk.Sleep(milliseconds); }

    // The log's last line already says how the capture ended.
    void Ended(CaptureOutcome) override {}

  private:
    Controls m_c;
    Toolkit& m_tk;
    std::function<void()> m_showRecords;
    std::optional<Money> m_spent;  // a v2 run under way: what it has spent so far
};

}  // namespace marlin
