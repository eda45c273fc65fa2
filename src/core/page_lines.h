#pragma once

#include <sys/uio.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace marlin {

// The lines one page adds to an archive file, gathered for one write. Most lines are the
// body's own bytes, pointed at where they lie; only an object that spans lines is written
// out anew, into a buffer kept from page to page. The body must outlive the write.
class PageLines {
  public:
    void Clear();
    // Bytes that stay where they are until the write (the body, a constant).
    void Add(std::string_view text);
    // One object of the body as one line, with its line end.
    void AddObject(std::string_view raw);

    // The parts for writev, in order; the writer may advance them.
    std::vector<iovec>& Parts();
    std::size_t Bytes() const { return m_bytes; }

    // The object text on one line: the whitespace between its tokens goes, nothing else.
    static void AppendOneLine(std::string& out, std::string_view raw);

  private:
    static constexpr std::size_t kInPlace = static_cast<std::size_t>(-1);
    struct Piece {
        const char* data;  // the text, when it stays in place
        std::size_t size;
        std::size_t offset;  // where it starts in m_rewritten, or kInPlace
    };

    std::vector<Piece> m_pieces;
    std::string m_rewritten;  // grows while pieces are added, so pieces keep offsets
    std::vector<iovec> m_parts;
    std::size_t m_bytes = 0;
};

}  // namespace marlin
