#include "core/table_file_lines.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "core/code_page.h"
#include "core/exact_text.h"

namespace marlin {
namespace {

// Large enough that the reads cost nothing beside the work on the text, small enough that
// the memory stays flat.
constexpr std::size_t kPieceBytes = 1 << 20;

}  // namespace

TableFileLines::TableFileLines(const std::string& fileName, LineEnds ends) : m_ends(ends) {
    m_fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    m_good = m_fd >= 0;
    if (ends == LineEnds::LineFeed) m_endsKnown = true;
}

TableFileLines::~TableFileLines() {
    if (m_fd >= 0) ::close(m_fd);
}

void TableFileLines::AppendPiece(std::string_view bytes) {
    if (m_utf8)
        m_text.append(bytes);
    else
        m_text += CodePage::FromWindows1252(bytes);
}

bool TableFileLines::Fill() {
    if (!m_good || m_atEnd) return false;
    // The text already handed out goes; what is left is one unfinished line.
    m_text.erase(0, m_at);
    m_searched -= m_at;
    m_at = 0;
    m_piece.resize(kPieceBytes);
    std::size_t got = 0;
    // The mark is three bytes: the first piece is read until it holds them or the file ends.
    do {
        const ssize_t read = ::read(m_fd, m_piece.data() + got, m_piece.size() - got);
        if (read < 0 && errno == EINTR) continue;
        if (read < 0) return m_good = false;
        if (read == 0) m_atEnd = true;
        got += static_cast<std::size_t>(read);
    } while (!m_started && !m_atEnd && got < ExactText::kUtf8Mark.size());
    std::string_view bytes(m_piece.data(), got);
    if (!m_started) {
        m_started = true;
        m_utf8 = bytes.starts_with(ExactText::kUtf8Mark);
        if (m_utf8) bytes.remove_prefix(ExactText::kUtf8Mark.size());
    }
    AppendPiece(bytes);
    return got > 0 || !bytes.empty();
}

std::size_t TableFileLines::LineEnd() {
    if (!m_endsKnown) {
        const std::size_t first = m_text.find_first_of("\r\n", m_searched);
        if (first == std::string::npos) {
            m_searched = m_text.size();
            return std::string::npos;
        }
        m_terminator = m_text[first];
        m_endsKnown = true;
    }
    const std::size_t end = m_text.find(m_terminator, m_searched);
    if (end == std::string::npos) {
        m_searched = m_text.size();
        return end;
    }
    // A CR at the end of the text read so far may have its line feed in the next piece.
    if (m_terminator == '\r' && end + 1 == m_text.size() && !m_atEnd) {
        m_searched = end;
        return std::string::npos;
    }
    return end;
}

bool TableFileLines::Next(std::string_view& line) {
    for (;;) {
        if (!m_good) return false;
        if (m_searched < m_at) m_searched = m_at;
        std::size_t end = LineEnd();
        if (end == std::string::npos) {
            if (Fill()) continue;
            if (!m_good) return false;
            end = LineEnd();  // once more, knowing that no text follows
            if (end == std::string::npos) {
                if (m_at >= m_text.size()) return false;
                end = m_text.size();  // the last line has no end
            }
        }
        line = std::string_view(m_text).substr(m_at, end - m_at);
        m_at = end + 1;
        if (m_terminator == '\n' && line.ends_with('\r')) line.remove_suffix(1);
        if (m_terminator == '\r' && m_at < m_text.size() && m_text[m_at] == '\n') ++m_at;
        m_searched = m_at;
        if (!line.empty()) return true;
    }
}

}  // namespace marlin
