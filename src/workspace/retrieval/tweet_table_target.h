#pragma once

#include <string>

namespace marlin {

// What a tweet retrieval asks of the Tweets table it fills: to offer a save before the
// table is replaced, and to show the pages that arrived (the rows an update or a continuation
// starts from are the workspace's TweetTable). The tweet side answers it, so the retrievals
// need not know the tweet side's classes.
class TweetTableTarget {
  public:
    virtual ~TweetTableTarget() = default;

    // Offers to save the Tweets table and the current user table; false when a retrieval
    // started meanwhile, so the command must not go on.
    virtual bool ReadyToReplaceTables() = 0;
    // Offers to save the Tweets table when it holds unsaved rows.
    virtual void OfferToSave() = 0;
    // The tweets of the main client's set into the table, after its rows or instead of them.
    virtual void ShowTweets(bool append) = 0;
    // While the retrieval runs, after each page: the tweets that arrived, shown as they come.
    virtual void ShowArrivedTweets() {}
};

}  // namespace marlin
