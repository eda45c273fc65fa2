#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace marlin {

// A set of decimal id texts in about 16 bytes an id. A million ids as strings in a node
// set would take some 70 MB; the ids the service gives fit in 64 bits, so they are kept
// as numbers in one open-addressed table. An id that does not fit (over 2^64, leading
// zeros, not decimal) goes to a small set of texts beside it, so that nothing is lost.
class IdSet {
  public:
    // True when the id was not in the set yet.
    bool Insert(std::string_view id);
    void Erase(std::string_view id);
    bool Contains(std::string_view id) const;
    std::size_t Size() const { return m_count + m_texts.size(); }

  private:
    // The id as a number, or 0 when it has no exact number form (0 marks a free slot).
    static std::uint64_t Number(std::string_view id);
    std::size_t SlotOf(std::uint64_t number) const;
    void Grow();

    std::vector<std::uint64_t> m_slots;
    std::size_t m_count = 0;
    std::unordered_set<std::string> m_texts;
};

}  // namespace marlin
