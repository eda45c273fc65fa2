#pragma once

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
    // The table shows the records of a page through TweetTableTarget.
    void RecordsAdded(int) override {}
    bool Ask(const std::string& question) override;
    void Tell(const std::string& text, Notice notice) override;
    // The log's last line already says how the capture ended.
    void Ended(CaptureOutcome) override {}

  private:
    LogList& m_log;
    Toolkit& m_tk;
};

}  // namespace marlin
