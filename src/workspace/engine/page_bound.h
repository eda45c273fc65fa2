#pragma once

#include <string>

#include "core/tweet_set.h"

namespace marlin {

// The upper bound of a paging loop that walks back through tweets: every page is asked
// for below the oldest tweet held, and that position only ever goes down. A service that
// ignores the position (max_id, or until_id in the other dialect) answers with the newest
// tweets again, or with tweets newer than those held; they are not part of the page below
// the position and are dropped, and a page with nothing below it ends the paging. Without
// this a live stream that gains one tweet a request keeps the loop running for ever.
class PageBound {
  public:
    // firstMaxId: the position of the first request ("" for the newest page).
    explicit PageBound(std::string firstMaxId) : m_maxId(std::move(firstMaxId)) {}

    // The position the next request sends.
    const std::string& MaxId() const { return m_maxId; }

    // Drops the tweets after record `before` that lie above the position sent (the
    // position itself is part of the page: the service answers up to and including it).
    // False when none is left; then StopLine() says why. Otherwise the position moves to
    // just below the lowest tweet kept.
    bool Keep(TweetSet& tweets, int before);
    const std::string& StopLine() const { return m_stopLine; }

    // Compares two decimal ids of any length; an id that is not decimal is above every
    // bound, since it cannot be shown to lie below one.
    static bool Above(const std::string& id, const std::string& bound);
    static bool Decimal(const std::string& id);
    // The id below a tweet id ("" stays ""), for paging on from the oldest tweet held.
    static std::string IdBelow(std::string id);

  private:
    std::string m_maxId;
    std::string m_stopLine;
};

}  // namespace marlin
