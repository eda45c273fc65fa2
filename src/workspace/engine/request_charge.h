#pragma once

#include <optional>
#include <string>

#include "spending/read_kind.h"

namespace marlin {

// What a request of the service's v2 API can cost, read from its address alone, so that
// the engine needs no word from whoever asked: the kind of read it is charged as and the
// most objects it can bring (its max_results, the ids or names it asks for, one profile by
// name), or a counts request. The service's own usage figure and v1.1 cost nothing.
struct RequestCharge {
    ReadKind kind = ReadKind::Post;
    int objects = 0;

    // Nothing for a request that costs nothing.
    static std::optional<RequestCharge> Of(const std::string& url);
};

}  // namespace marlin
