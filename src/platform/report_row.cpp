#include "platform/report_row.h"

#include <stdexcept>

namespace marlin {

ReportRow::ReportRow(const std::vector<std::string>& cells) {
    std::size_t total = 0;
    for (const auto& cell : cells) total += cell.size();
    m_buffer.reserve(total);
    m_ends.reserve(cells.size());
    for (const auto& cell : cells) {
        m_buffer += cell;
        m_ends.push_back(static_cast<std::uint32_t>(m_buffer.size()));
    }
}

void ReportRow::AppendCell(std::string_view text, std::size_t leadingBlanks) {
    m_buffer.append(leadingBlanks, ' ');
    m_buffer += text;
    m_ends.push_back(static_cast<std::uint32_t>(m_buffer.size()));
}

void ReportRow::Reserve(std::size_t bytes, int cells) {
    m_buffer.reserve(bytes);
    m_ends.reserve(static_cast<std::size_t>(cells));
}

std::string_view ReportRow::Cell(int position) const {
    if (position < 0 || position >= CellCount()) return {};
    const std::size_t begin = position == 0 ? 0 : m_ends[position - 1];
    return std::string_view(m_buffer).substr(begin, m_ends[position] - begin);
}

void ReportRow::SetCell(int position, std::string_view text) {
    if (position < 0) throw std::out_of_range("ReportRow::SetCell: negative position");
    while (CellCount() <= position) m_ends.push_back(static_cast<std::uint32_t>(m_buffer.size()));
    const std::size_t begin = position == 0 ? 0 : m_ends[position - 1];
    const std::size_t oldLength = m_ends[position] - begin;
    m_buffer.replace(begin, oldLength, text);
    const auto shift = static_cast<std::int64_t>(text.size()) - static_cast<std::int64_t>(oldLength);
    for (std::size_t i = position; i < m_ends.size(); ++i) {
        m_ends[i] = static_cast<std::uint32_t>(static_cast<std::int64_t>(m_ends[i]) + shift);
    }
}

std::vector<std::string> ReportRow::Cells() const {
    std::vector<std::string> cells;
    cells.reserve(m_ends.size());
    for (int i = 0; i < CellCount(); ++i) cells.emplace_back(Cell(i));
    return cells;
}

std::size_t ReportRow::MemoryBytes() const {
    // A short buffer lives inside the string object itself and costs nothing extra.
    const std::size_t text = m_buffer.capacity() > 15 ? m_buffer.capacity() + 1 : 0;
    return sizeof(ReportRow) + text + m_ends.capacity() * sizeof(std::uint32_t);
}

}  // namespace marlin
