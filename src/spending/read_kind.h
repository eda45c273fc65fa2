#pragma once

#include <optional>
#include <string_view>

namespace marlin {

// What the service charges for: each post or user it returns, and each counts request.
enum class ReadKind { Post, User, CountsRecent, CountsAll };

// The kind's name in the ledger: "post", "user", "counts-recent", "counts-all".
constexpr std::string_view ReadKindName(ReadKind kind) {
    switch (kind) {
        case ReadKind::Post:
            return "post";
        case ReadKind::User:
            return "user";
        case ReadKind::CountsRecent:
            return "counts-recent";
        case ReadKind::CountsAll:
            return "counts-all";
    }
    return "post";
}

// Counts are charged per request; posts and users per object, once a UTC day.
constexpr bool ChargedPerRequest(ReadKind kind) {
    return kind == ReadKind::CountsRecent || kind == ReadKind::CountsAll;
}

}  // namespace marlin
