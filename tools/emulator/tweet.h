#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace marlin::emulator {

// A tweet's address in the corpus: the author and the position in the author's stream (0 = newest).
struct TweetRef {
    int user = -1;
    int seq = -1;
    bool Valid() const { return user >= 0 && seq >= 0; }
    bool operator==(const TweetRef&) const = default;
};

struct HashtagEntity {
    std::string text;  // without "#"
    int start = 0;     // code point offsets into the text
    int end = 0;
};

struct MentionEntity {
    int user = -1;
    int start = 0;
    int end = 0;
};

struct UrlEntity {
    std::string url;       // the short t.co link that the text holds
    std::string expanded;  // where it leads
    std::string display;   // shortened form for display
    int start = 0;
    int end = 0;
};

// One photo of a tweet. All photos of a tweet share one link in its text, and so its indices.
struct Photo {
    uint64_t id = 0;
    int width = 0;  // of the largest size
    int height = 0;
};

// One generated tweet, with everything the JSON of it needs.
struct Tweet {
    TweetRef ref;
    uint64_t id = 0;
    int64_t timeMs = 0;  // milliseconds since 1970 UTC
    std::string text;    // as the service sends it: HTML-escaped (&amp; &lt; &gt;), UTF-8
    std::string lang;
    std::vector<HashtagEntity> hashtags;
    std::vector<MentionEntity> mentions;
    std::vector<UrlEntity> urls;
    // Photos: how many, and the tweet they were posted with (a retweet shows its original's). Their details
    // come from Corpus::Photos when a tweet is written: most tweets made are only searched.
    int photoCount = 0;
    TweetRef photoSource;
    UrlEntity photoLink;     // the text's link to the photos: only the short link and where it sits
    UrlEntity quoteLink;     // a quote tweet's link to the quoted tweet
    int length = 0;          // code points of the text as the reader sees it
    int displayStart = 0;    // the text's shown part: after a reply's leading mention...
    int displayEnd = 0;      // ...and before trailing links to a quoted tweet or photos
    bool truncated = false;  // cut for a client that did not ask for the extended text mode
    int source = 0;          // index into the client list
    TweetRef replyTo;
    int replyToUser = -1;
    TweetRef retweetOf;
    TweetRef quoteOf;
    int place = -1;  // index into the place list; -1 = not geo-tagged
    double latitude = 0;
    double longitude = 0;
    int retweetCount = 0;
    int favoriteCount = 0;
    bool IsRetweet() const { return retweetOf.Valid(); }
    bool IsQuote() const { return quoteOf.Valid(); }
    bool HasPhotos() const { return photoCount > 0; }
};

}  // namespace marlin::emulator
