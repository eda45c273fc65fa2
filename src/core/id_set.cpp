#include "core/id_set.h"

namespace marlin {

std::uint64_t IdSet::Number(std::string_view id) {
    if (id.empty() || id.size() > 20 || id[0] == '0') return 0;
    std::uint64_t number = 0;
    for (const char c : id) {
        if (c < '0' || c > '9') return 0;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (number > (UINT64_MAX - digit) / 10) return 0;
        number = number * 10 + digit;
    }
    return number;
}

std::size_t IdSet::SlotOf(std::uint64_t number) const {
    // Snowflake ids share their low bits; a multiplicative hash spreads them.
    const std::size_t mask = m_slots.size() - 1;
    std::size_t slot = static_cast<std::size_t>((number * 0x9E3779B97F4A7C15ULL) >> 20) & mask;
    while (m_slots[slot] != 0 && m_slots[slot] != number) slot = (slot + 1) & mask;
    return slot;
}

void IdSet::Grow() {
    std::vector<std::uint64_t> old = std::move(m_slots);
    m_slots.assign(old.empty() ? 1024 : old.size() * 2, 0);
    for (const std::uint64_t number : old)
        if (number != 0) m_slots[SlotOf(number)] = number;
}

bool IdSet::Insert(std::string_view id) {
    const std::uint64_t number = Number(id);
    if (number == 0) return m_texts.emplace(id).second;
    if ((m_count + 1) * 2 > m_slots.size()) Grow();
    const std::size_t slot = SlotOf(number);
    if (m_slots[slot] == number) return false;
    m_slots[slot] = number;
    ++m_count;
    return true;
}

bool IdSet::Contains(std::string_view id) const {
    const std::uint64_t number = Number(id);
    if (number == 0) return m_texts.count(std::string(id)) > 0;
    return !m_slots.empty() && m_slots[SlotOf(number)] == number;
}

void IdSet::Erase(std::string_view id) {
    const std::uint64_t number = Number(id);
    if (number == 0) {
        m_texts.erase(std::string(id));
        return;
    }
    if (m_slots.empty()) return;
    std::size_t hole = SlotOf(number);
    if (m_slots[hole] != number) return;
    // Linear probing: the entries after the hole that probed past it move back into it.
    const std::size_t mask = m_slots.size() - 1;
    m_slots[hole] = 0;
    --m_count;
    for (std::size_t next = (hole + 1) & mask; m_slots[next] != 0; next = (next + 1) & mask) {
        const std::uint64_t moved = m_slots[next];
        m_slots[next] = 0;
        m_slots[SlotOf(moved)] = moved;
    }
}

}  // namespace marlin
