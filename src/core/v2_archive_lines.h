#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/v2_page.h"

namespace marlin {

// The archive lines of a v2 answer: each object of its `data` as the service sent it, a
// post with what it refers to joined in from `includes` so that its line stands alone:
// its author under "author", each referenced post under "tweet" in its entry of
// "referenced_tweets" (with that post's author), its place under "place" in its "geo".
// A user is its own line as sent. A referenced post or author the service left out
// (deleted, suspended) is simply not joined.
class V2ArchiveLines {
  public:
    struct Line {
        std::string id;
        std::string text;
    };

    // Nothing when the body is not a v2 answer with data.
    std::vector<Line> Lines(std::string_view body);

  private:
    // The post with its author, and with depth > 0 its references and place as well.
    std::string Joined(std::string_view post, bool withReferences);
    std::string JoinedReferences(std::string_view references);

    V2Page m_page;
};

}  // namespace marlin
