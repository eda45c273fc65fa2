#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "emulator/account.h"
#include "emulator/tweet.h"

namespace marlin::emulator {

class Corpus;
class JsonWriter;

// Writes tweets and users as the service did, key for key. The service used slightly different
// shapes in different places, which the styles select.
class Renderer {
  public:
    enum class TweetStyle {
        Timeline,    // a timeline entry: with "user"
        Search,      // a search result: with "user" and "metadata" after "entities"
        UserStatus,  // the latest tweet inside a user object: no "user", quoted tweet by id only
    };
    // How a client asked for texts: tweet_mode=extended, or the 140-character mode that was the default.
    enum class TextMode { Compatible, Extended };
    enum class UserStyle {
        InTweet,  // the author inside a tweet
        Lookup,   // users/lookup: with "status"
        List,     // followers/friends lists: with "status" and the relationship flags
    };

    explicit Renderer(const Corpus& corpus);

    void WriteTweet(JsonWriter& json, const Tweet& tweet, TweetStyle style,
                    TextMode mode = TextMode::Compatible) const;
    // withStatus: whether Lookup and List users carry their latest tweet (skip_status asks them not to).
    void WriteUser(JsonWriter& json, const Account& account, UserStyle style, bool withStatus = true,
                   TextMode mode = TextMode::Compatible) const;

    // "Wed Aug 27 13:08:45 +0000 2008"
    static std::string ServiceTime(int64_t secondsUtc);

  private:
    void WriteShown(JsonWriter& json, const Tweet& tweet, TweetStyle style, TextMode mode) const;
    void WriteText(JsonWriter& json, const Tweet& tweet, TextMode mode) const;
    void WriteEntities(JsonWriter& json, const Tweet& tweet) const;
    void WritePhotos(JsonWriter& json, const Tweet& tweet, const std::vector<Photo>& photos,
                     size_t count) const;
    void WriteQuote(JsonWriter& json, const Tweet& tweet, TweetStyle style, TextMode mode) const;
    void WritePlace(JsonWriter& json, const Tweet& tweet) const;
    void WriteUrlList(JsonWriter& json, const UrlEntity* links, size_t count) const;

    void WriteAuthor(JsonWriter& json, int user) const;

    const Corpus& m_corpus;
    // The author object of each user, written once: every tweet carries one, and it never changes.
    // Kept only for corpora of a size where that costs little memory.
    std::unique_ptr<std::once_flag[]> m_authorOnce;
    std::unique_ptr<std::string[]> m_authorJson;
};

}  // namespace marlin::emulator
