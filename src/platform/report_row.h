#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace marlin {

// One row of a report list: all its cells packed in one text buffer with their end
// offsets, so that a 200,000-row table costs two allocations a row instead of one
// object per cell. Position 0 is the row's own text, sub-items follow from 1.
class ReportRow {
  public:
    ReportRow() = default;
    explicit ReportRow(const std::vector<std::string>& cells);

    int CellCount() const { return static_cast<int>(m_ends.size()); }
    // The empty text for a position the row never had.
    std::string_view Cell(int position) const;
    void SetCell(int position, std::string_view text);
    // Adds a cell after the last: the text after so many blanks.
    void AppendCell(std::string_view text, std::size_t leadingBlanks = 0);
    void Reserve(std::size_t bytes, int cells);
    std::vector<std::string> Cells() const;

    bool checked = false;
    bool dimmed = false;
    bool selected = false;

    // Bytes held by this row, buffers included (for the memory figures).
    std::size_t MemoryBytes() const;

  private:
    std::string m_buffer;
    std::vector<std::uint32_t> m_ends;
};

}  // namespace marlin
