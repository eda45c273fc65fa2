#pragma once

#include <functional>

#include "platform/log_list.h"
#include "platform/toolkit.h"
#include "workspace/engine/capture_events.h"

namespace marlin {

// The window as the watcher of a capture: lines in the request log, questions and
// messages in the toolkit's message boxes.
class WindowCaptureEvents : public CaptureEvents {
  public:
    WindowCaptureEvents(LogList& log, Toolkit& toolkit) : m_log(log), m_tk(toolkit) {}

    void Log(const std::string& line) override { m_log.Append(line); }
    void Progress(const std::string& line) override { m_log.ReplaceLast(line); }
    void Aside(const std::string& line) override { m_log.AppendAboveLast(line); }
    // The Tweets table shows the records of each page as they come (TweetTableTarget).
    void RecordsAdded(int) override {
        if (m_showRecords) m_showRecords();
    }
    void SetShowRecords(std::function<void()> show) { m_showRecords = std::move(show); }
    bool Ask(const std::string& question) override;
    void Tell(const std::string& text, Notice notice) override;
    // The log's last line already says how the capture ended.
    void Ended(CaptureOutcome) override {}

  private:
    LogList& m_log;
    Toolkit& m_tk;
    std::function<void()> m_showRecords;
};

}  // namespace marlin
