#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "emulator/bluesky_names.h"
#include "emulator/tweet.h"

namespace marlin::emulator {

class Corpus;
class JsonWriter;
struct EmulatorConfig;

// Writes the corpus's posts and people as the second service's views: a tweet becomes a post view whose
// record holds the text as its writer typed it (no HTML escapes, no short links), with facets that point
// at UTF-8 byte ranges of it; a retweet is no post but a repost, shown in its author's feed beside the
// original post. Every address comes from BlueskyNames, so a post is the same in every answer.
class BlueskyRenderer {
  public:
    // A feature of a facet: a mention (did), a link (uri) or a tag (tag, without "#").
    struct Facet {
        int byteStart = 0;
        int byteEnd = 0;
        enum class Kind { Mention, Link, Tag } kind = Kind::Tag;
        std::string value;
    };
    struct PostText {
        std::string text;
        std::vector<Facet> facets;
    };

    BlueskyRenderer(const Corpus& corpus, const BlueskyNames& names, const EmulatorConfig& config);

    // The record text of an original tweet and its facets; at most 300 characters.
    PostText Text(const Tweet& tweet) const;
    std::string PostUri(TweetRef ref) const;
    // The time the service saw the post, milliseconds since 1970 (its search and feeds sort on this).
    int64_t IndexedAtMs(TweetRef ref) const;

    // app.bsky.feed.defs#postView of an original tweet.
    void WritePostView(JsonWriter& json, const Tweet& tweet) const;
    // app.bsky.feed.defs#feedViewPost: a post, or for a retweet the original with a #reasonRepost.
    void WriteFeedItem(JsonWriter& json, const Tweet& tweet) const;
    // app.bsky.actor.defs#profileViewBasic, #profileView, #profileViewDetailed.
    void WriteProfileBasic(JsonWriter& json, int user) const;
    void WriteProfile(JsonWriter& json, int user) const;
    void WriteProfileDetailed(JsonWriter& json, int user) const;

    // "2026-12-09T08:28:09.123Z".
    static std::string IsoMs(int64_t ms);

  private:
    // The record's createdAt as the writing client set it: mostly the moment written, now and then wrong.
    std::string CreatedAt(const Tweet& tweet) const;
    bool OddDate(TweetRef ref) const;
    std::string ProfileCreatedAt(int user) const;
    void WriteProfileFields(JsonWriter& json, int user, bool withDescription) const;

    const Corpus& m_corpus;
    const BlueskyNames& m_names;
    const EmulatorConfig& m_config;
};

}  // namespace marlin::emulator
