#include "platform/log_list.h"

#include <stdexcept>

#include "platform/visible_text.h"

namespace marlin {

const std::string& LogList::Line(int index) const {
    if (index < 0 || index >= Count()) throw std::out_of_range("LogList: no such line");
    return m_lines[index];
}

void LogList::Append(std::string line) {
    m_lines.push_back(Visible(std::move(line)));
    Notify(ChangeKind::RowsInserted, Count() - 1, Count() - 1);
}

void LogList::ReplaceLast(std::string line) {
    if (m_lines.empty()) {
        Append(std::move(line));
        return;
    }
    m_lines.back() = Visible(std::move(line));
    Notify(ChangeKind::RowsChanged, Count() - 1, Count() - 1);
}

std::string LogList::Visible(std::string line) {
    return VisibleText::Clean(line) ? line : VisibleText::Of(line);
}

void LogList::AppendAboveLast(std::string line) {
    if (m_lines.empty()) {
        Append(std::move(line));
        return;
    }
    std::string last = std::move(m_lines.back());
    ReplaceLast(std::move(line));
    Append(std::move(last));
}

void LogList::Clear() {
    m_lines.clear();
    m_selected = -1;
    Notify(ChangeKind::Reset);
}

void LogList::ScrollToLast() {
    Notify(ChangeKind::Scroll);
}

void LogList::SetSelectedIndex(int index) {
    if (index < -1 || index >= Count()) throw std::out_of_range("LogList: no such line");
    if (m_selected == index) return;
    m_selected = index;
    Notify(ChangeKind::Selection, index, index);
}

std::string LogList::AllText(std::string_view lineEnd) const {
    std::string text;
    for (const auto& line : m_lines) {
        text += line;
        text += lineEnd;
    }
    return text;
}

}  // namespace marlin
