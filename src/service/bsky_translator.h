#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/bsky_facets.h"
#include "core/bsky_page.h"

namespace marlin {

// Turns answers of the second service (Bluesky) into the pages the first service's v1.1 API gives, so
// that the record sets read them as they read every other page and a post fills a Tweets table row as a
// tweet does (the way V2Translator serves v2):
//   DateTime     the post's date (BskyPostId::SortAtMs) in the service's date form
//   ScreenName   the author's handle; RealName its display name
//   Text         the record's text, through the same exact-texts rule (v1.1 escapes are written)
//   TweetID      BskyPostId::Id of the date and the post's URI
//   Followers, Following, UserTweets   the author's counts where the answer has them (profiles), else 0
//   Retweeted    repostCount; LinkURL the post's web address (https://bsky.app/profile/…/post/…)
// A repost in an author feed is a row of the reposting account, dated when it reposted, whose text is
// "RT @author: " and the post's text: the form whose share and counts the user statistics read.
// Profiles become user records: the handle as screen name, the DID as id, the counts, the description.
//
// Beside each page, for the columns and analyses that need them: each row's at:// URI and the hashtags,
// mentions (handles, never DIDs) and links of its facets, read at their UTF-8 byte offsets.
class BskyTranslator {
  public:
    using Facets = BskyFacets;
    // What a page's row carries beside the table's columns.
    struct PostExtra {
        std::string uri;  // the post's, or for a repost the repost's
        std::string postUri;
        Facets facets;
    };

    explicit BskyTranslator(int64_t (*nowMs)() = nullptr);

    // searchPosts ({"statuses":[…],"search_metadata":{…}}) or getAuthorFeed ([…]); nothing when the body
    // is no JSON object. The page's cursor goes to `cursor` ("" after the last page).
    std::optional<std::string> PostPage(std::string_view body, bool searchLayout,
                                        std::string* cursor = nullptr);
    // getProfiles ([…]) or getFollowers/getFollows ({"users":[…],"next_cursor_str":…}, "0" after the last).
    std::optional<std::string> ProfilePage(std::string_view body, bool listLayout);
    // One entry per post of the last PostPage, in its order.
    const std::vector<PostExtra>& Extras() const { return m_extras; }

    // The facets of a post's record, each read at its byte range of the record's text.
    static Facets ReadFacets(BskyPage& page, std::string_view record) {
        return BskyFacets::Read(page, record);
    }
    // "https://bsky.app/profile/<handle>/post/<record key>".
    static std::string WebAddress(std::string_view handle, std::string_view uri);
    // A JSON string in the first service's v1.1 form: "/" as "\/" and every character beyond ASCII as
    // \u escapes, which the record sets' documented clean-up reads.
    static void AppendV11String(std::string& out, std::string_view utf8);

  private:
    void WritePost(std::string& out, std::string_view post, std::string_view reason);
    void WriteUser(std::string& out, std::string_view profile);

    BskyPage m_page;
    int64_t (*m_nowMs)();
    std::vector<PostExtra> m_extras;
};

}  // namespace marlin
