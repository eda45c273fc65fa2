#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/bsky_page.h"

namespace marlin {

// The archive lines of a second-service (Bluesky) answer, each an object as the service sent it, with
// its key: a post view (its author inside) keyed by its at:// URI; a repost from an author feed as the
// feed item ({"post":…,"reason":…}) keyed by the repost's own URI, so that the post and each repost of
// it are lines of their own; a profile keyed by its DID.
class BskyArchiveLines {
  public:
    struct Line {
        std::string key;
        std::string_view text;  // valid until the next Lines
    };

    // Nothing when the body is no answer of the second service.
    std::vector<Line> Lines(std::string_view body);

    // The key of a feed item's repost: the repost's URI, or (from a service that sends none) the
    // reposting account's DID and the post's URI.
    static std::string RepostKey(BskyPage& page, std::string_view reason, std::string_view post);

    // What a table row of a post view (or, with its reason, of a repost) is known by: the post's URI or
    // the repost's key, and the row's date (the post's sort time, or when it was reposted); the row's
    // TweetID is BskyPostId::Id of the two. nowMs bounds the createdAt that can be believed.
    struct RowKey {
        std::string key;
        std::optional<int64_t> dateMs;
    };
    static RowKey KeyOfRow(BskyPage& page, std::string_view post, std::string_view reason, int64_t nowMs);

  private:
    BskyPage m_page;
};

}  // namespace marlin
