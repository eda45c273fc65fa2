#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/tweet_set.h"
#include "core/user_set.h"

namespace marlin {

// The records the tweet set reads from the v1.1 page the v2 translator writes, made straight
// from the values the translator would write, without writing that page and reading it
// again. The values are given as the translator picks them (raw JSON of the v2 answer, its
// defaults filled in); each is put in v1.1's form here as the page would carry it, and read
// by the reader's own rules.
//
// The reader finds a field by its name followed by a quote, and a string value ends at the
// first quote no backslash precedes. So a text that ends in a backslash, or in the name of a
// field searched after it, makes it read something else than the value. A post that would
// meet such a corner gives no record here (nothing), and its page has to go the long way:
// the same odd result then comes from the reader itself.
class TranslatedRecords {
  public:
    struct Url {
        std::string_view url, expanded, display, start, end;
    };
    struct User {
        std::string_view id, name, screenName, location, description, url;
        std::vector<Url> profileUrls;  // entities.url.urls, written when there is such a list
        bool hasProfileUrls = false;
        std::string_view isProtected, followers, friends, listed, favourites, verified, statuses;
        std::string_view image;  // after "http://" when the service's address was https
        bool imageWasHttps = false;
        std::string createdAt;  // the service time, written between quotes as it stands
    };
    struct Post {
        std::string createdAt;  // the service time, written between quotes as it stands
        std::string_view id, text;
        std::vector<Url> urls;
        const User* author = nullptr;
        bool geo = false;
        std::string_view latitude, longitude;  // raw numbers
        bool retweeted = false;
        std::string_view retweetText, retweetName;
        std::string_view retweetCount, lang;
    };

    explicit TranslatedRecords(bool exactTexts) : m_exactTexts(exactTexts) {}

    // The record of one post; nothing when the reader would meet one of its odd corners.
    std::optional<TweetSet::Record> Tweet(const Post& post);

  private:
    // A raw value as the v1.1 page carries it (escapes as the translator writes them); valid
    // until the next post.
    std::string_view V11(std::string_view raw);
    // The author's fields as the tweet set copies them; false at a corner.
    bool FillAuthor(TweetSet::Record& record, const User& user);

    bool m_exactTexts;
    std::deque<std::string> m_texts;
};

}  // namespace marlin
