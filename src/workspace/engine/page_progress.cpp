#include "workspace/engine/page_progress.h"

#include <utility>

namespace marlin {

PageProgress::PageProgress(std::string keyName, std::string firstKey)
    : m_keyName(std::move(keyName)), m_lastKey(std::move(firstKey)), m_keys{m_lastKey} {}

bool PageProgress::Add(const std::string& id) {
    const bool added = m_seen.Insert(id);
    m_newOnPage += added ? 1 : 0;
    return added;
}

bool PageProgress::PageMoved(const std::string& nextKey) {
    const int newRecords = m_newOnPage;
    m_newOnPage = 0;
    if (newRecords == 0) {
        m_stopLine = "Paging stopped: the service sent no record that had not already been retrieved";
        return false;
    }
    if (nextKey == m_lastKey) {
        m_stopLine = "Paging stopped: the service repeated the previous " + m_keyName + " (" + nextKey + ")";
        return false;
    }
    if (!m_keys.insert(nextKey).second) {
        m_stopLine = "Paging stopped: the service sent an earlier " + m_keyName + " again (" + nextKey + ")";
        return false;
    }
    m_lastKey = nextKey;
    return true;
}

void PageProgress::DropRepeated(TweetSet& tweets, int before) {
    Drop(tweets, before);
    m_newOnPage = 0;  // a paging that ends here counts nothing on into the next one
}

void PageProgress::Drop(TweetSet& tweets, int before) {
    // A post the run already holds (on an earlier page, or earlier on this one) is not
    // taken again: the table never holds an id twice.
    const int count = tweets.Count();
    tweets.DropAfter(before, [this](const TweetSet::Record& r) { return !Add(r.TweetID); });
    m_repeated += count - tweets.Count();
}

bool PageProgress::TweetPageMoved(TweetSet& tweets, int before) {
    Drop(tweets, before);
    return Settle(tweets, before, tweets.OldestTweetId(true));
}

bool PageProgress::TweetPageMoved(TweetSet& tweets, int before, const std::string& nextKey) {
    Drop(tweets, before);
    return Settle(tweets, before, nextKey);
}

bool PageProgress::Settle(TweetSet& tweets, int before, const std::string& nextKey) {
    const bool nothingNew = m_newOnPage == 0;
    const bool moved = PageMoved(nextKey);
    if (nothingNew) tweets.KeepFirst(before);
    return moved;
}

bool PageProgress::UserPageMoved(UserSet& users, int before) {
    for (int i = before + 1; i <= users.Count(); ++i) Add(users.Id(i));
    const bool nothingNew = m_newOnPage == 0;
    const bool moved = PageMoved(users.NextCursor());
    if (nothingNew) users.KeepFirst(before);
    return moved;
}

}  // namespace marlin
