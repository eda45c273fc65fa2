#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/bsky_page.h"

namespace marlin {

// The hashtags, mentions and links of a Bluesky post's record, from its facets: byte ranges of the
// record's UTF-8 text (never character counts) with a tag, a mentioned DID or a link. A mention is
// named by the handle its range of the text shows, the DID only where the range holds no handle.
struct BskyFacets {
    std::vector<std::string> hashtags;  // "#tag"
    std::vector<std::string> mentions;  // "@handle"
    std::vector<std::string> links;     // the whole address

    static BskyFacets Read(BskyPage& page, std::string_view record);
};

}  // namespace marlin
