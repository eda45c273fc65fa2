#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/control_model.h"

namespace marlin {

// The request log: text lines, newest last. Views keep the newest line in sight.
class LogList : public ControlModel {
  public:
    int Count() const { return static_cast<int>(m_lines.size()); }
    const std::string& Line(int index) const;
    const std::vector<std::string>& Lines() const { return m_lines; }
    // The newest line, or the empty text.
    std::string Last() const { return m_lines.empty() ? std::string() : m_lines.back(); }

    void Append(std::string line);
    // Rewrites the newest line; on an empty log it appends instead.
    void ReplaceLast(std::string line);
    // Adds a line just above the newest one, which a running loop keeps rewriting with its
    // progress; on an empty log it appends.
    void AppendAboveLast(std::string line);
    void Clear();
    void ScrollToLast();

    int SelectedIndex() const { return m_selected; }
    void SetSelectedIndex(int index);
    // Selects the newest line.
    void SelectLast() { SetSelectedIndex(Count() - 1); }

    // Every line followed by the line end, as Copy Log puts it on the clipboard.
    std::string AllText(std::string_view lineEnd = "\r\n") const;

  private:
    // Text from the service reaches the log; no control character is kept (see VisibleText).
    static std::string Visible(std::string line);

    std::vector<std::string> m_lines;
    int m_selected = -1;
};

}  // namespace marlin
