#pragma once

#include <string>
#include <string_view>

namespace marlin {

// The lines of a table file, read a piece at a time so that a file of any size costs no
// more memory than a piece and its longest line. The text comes out as UTF-8: a file that
// starts with the UTF-8 byte-order mark is UTF-8 already, every other one is Windows-1252
// (whose ASCII bytes read the same, so the pieces are converted one by one).
//
// Empty lines are skipped. How lines end follows the readers that hold a whole file:
// - LineEnds::FirstEnd (tweet table files): files are written with CR LF, but files made
//   by other tools end their lines in a line feed alone. The first line end decides: in a
//   CR file one line feed after the CR belongs to the line end, and any other line feed is
//   part of its field, as our own writer leaves it.
// - LineEnds::LineFeed (user table files): a line feed ends a line, and one CR before it
//   belongs to the line end.
class TableFileLines {
  public:
    enum class LineEnds { FirstEnd, LineFeed };

    TableFileLines(const std::string& fileName, LineEnds ends);
    ~TableFileLines();
    TableFileLines(const TableFileLines&) = delete;
    TableFileLines& operator=(const TableFileLines&) = delete;

    // The next line, without its end; the view holds until the next call. False at the end
    // of the file, and when the file could not be opened or read (Good tells which).
    bool Next(std::string_view& line);
    // False when the file could not be opened or a read failed.
    bool Good() const { return m_good; }

  private:
    // Reads the next piece onto the unread text; false at the end of the file or on a failure.
    bool Fill();
    void AppendPiece(std::string_view bytes);
    // The end of the next line in m_text from m_at (the position of its terminator, or
    // npos when more text is needed first).
    std::size_t LineEnd();

    int m_fd = -1;
    bool m_good = true;
    bool m_atEnd = false;
    bool m_started = false;  // the byte-order mark has been looked for
    bool m_utf8 = false;
    LineEnds m_ends;
    bool m_endsKnown = false;
    char m_terminator = '\n';
    std::string m_text;  // converted text, unread from m_at
    std::size_t m_at = 0;
    std::size_t m_searched = 0;  // m_text up to here holds no terminator after m_at
    std::string m_piece;
};

}  // namespace marlin
