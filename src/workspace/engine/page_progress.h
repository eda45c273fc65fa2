#pragma once

#include <string>
#include <unordered_set>

#include "core/id_set.h"
#include "core/tweet_set.h"
#include "core/user_set.h"

namespace marlin {

// Watches a paging loop for a service that stops moving it on. A service that ignores
// max_id or a cursor answers the same page again and again; without this watch the loop
// would pile up the same records until memory ran out. The loop stops at the first page
// that names a position the loop was at before (a cursor cycle 5, 6, 5 would bring new
// records on every page and never end), or that brings no record the loop did not
// already have; what came before that page stays.
class PageProgress {
  public:
    // `keyName` names the position in the stop line ("max_id", "cursor"); `firstKey` is
    // the position the first request sends.
    PageProgress(std::string keyName, std::string firstKey);

    // Counts a record of the page just read; true when the loop had not seen its id.
    bool Add(const std::string& id);
    // Ends the page: `nextKey` is the position the next request would send. True when
    // the page moved the loop on; otherwise StopLine() says why it did not.
    bool PageMoved(const std::string& nextKey);
    // The tweets a page added after record `before`, the next max_id being the oldest of
    // them less one. A tweet the loop already had is dropped from the set (Repeated counts
    // them), and so is a page that brought nothing new.
    bool TweetPageMoved(TweetSet& tweets, int before);
    // The same along a pagination token: nextKey is the position the next request sends.
    bool TweetPageMoved(TweetSet& tweets, int before, const std::string& nextKey);
    // Drops the tweets after record `before` that the loop already had (the last page of
    // a token paging, which names no next position).
    void DropRepeated(TweetSet& tweets, int before);
    int Repeated() const { return m_repeated; }
    // The users a page added after record `before`, the next cursor the set's own. A page
    // that brought nothing new is dropped from the set.
    bool UserPageMoved(UserSet& users, int before);
    // The one request-log line that says why the loop stopped.
    const std::string& StopLine() const { return m_stopLine; }

  private:
    void Drop(TweetSet& tweets, int before);
    // The end of a tweet page: PageMoved, and a page that brought nothing new dropped.
    bool Settle(TweetSet& tweets, int before, const std::string& nextKey);

    std::string m_keyName;
    std::string m_lastKey;
    std::unordered_set<std::string> m_keys;  // every position asked for in this run
    IdSet m_seen;                            // ids as numbers: a set of texts hashed every id of a long run
    int m_newOnPage = 0;
    int m_repeated = 0;
    std::string m_stopLine;
};

}  // namespace marlin
