#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/id_set.h"

namespace marlin {

// The ids an archive file holds, learnt by streaming the file in blocks: a file of a
// million lines (some 600 MB) is never held, only its ids (IdSet). Learning can go on
// from where it stopped, so the ids that another run appended since the last look are
// read and nothing else.
class ArchiveIds {
  public:
    // Learns the ids of the lines of fd from byte `from` to the end of the file; the end
    // reached. False when the file could not be read (errno tells why).
    bool Learn(int fd, std::uint64_t from, std::uint64_t& end);
    // True when the file's last byte read was not a line end (a line cut short).
    bool CutLine() const { return m_cutLine; }

    IdSet& Ids() { return m_ids; }

    // The top-level "id_str" of one JSON line, or the string "id" of a line of the other
    // dialect; nothing when it has neither.
    static std::optional<std::string> LineId(std::string_view line);

  private:
    void LearnLine(std::string_view line);

    IdSet m_ids;
    bool m_cutLine = false;
};

}  // namespace marlin
