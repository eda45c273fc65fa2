#pragma once

#include <cstdint>
#include <string>

#include "spending/money.h"
#include "spending/read_kind.h"

namespace marlin {

// The reads of a page, a run, a day or a month, and what they cost.
struct Tally {
    std::string period;  // "2026-12-08", "2026-12", or empty for a page or a run
    std::int64_t posts = 0;
    std::int64_t users = 0;
    std::int64_t counts = 0;   // counts requests
    std::int64_t repeats = 0;  // reads of an object already read that UTC day: not charged
    Money spent;

    void Add(ReadKind kind, std::int64_t reads, std::int64_t repeated, Money cost) {
        (kind == ReadKind::Post ? posts : kind == ReadKind::User ? users : counts) += reads;
        repeats += repeated;
        spent += cost;
    }
    Tally& operator+=(const Tally& other) {
        posts += other.posts;
        users += other.users;
        counts += other.counts;
        repeats += other.repeats;
        spent += other.spent;
        return *this;
    }
    bool operator==(const Tally&) const = default;
};

}  // namespace marlin
