#pragma once

#include <filesystem>
#include <string>

#include "core/tweet_set.h"
#include "sentiment/marlin_data.h"
#include "workspace/tables/tweet_table.h"

namespace marlin {

// The tweets of a capture into a Tweets table, scored by the sentiment scorer on the way.
class ScoredTweets {
  public:
    // The log line of a scorer run that failed: zeros in Sent+/Sent- look like scores.
    static std::string FailureLine(const MarlinData& data);

    // Puts the set into `data` (made for the caller's process host) and scores it with the
    // scorer of `scorerFolder`. Returns the failure line of a scorer that did not run, else
    // empty. The scorer's wait lets events run, so the table is not touched here.
    static std::string Score(const TweetSet& tweets, MarlinData& data,
                             const std::filesystem::path& scorerFolder);
    // Adds every scored record to the table, after its rows (append) or instead of them.
    static void Add(const MarlinData& data, TweetTable& table, bool append);
};

}  // namespace marlin
