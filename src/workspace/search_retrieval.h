#pragma once

#include <string>

#include "workspace/main_window_state.h"
#include "workspace/tweet_files.h"
#include "workspace/tweet_table_view.h"

namespace marlin {

// The search retrieval: "New " and "Update" run the page loop RetrieveSearch back to the
// threshold date and show the result; "Cancel " stops any running retrieval.
class SearchRetrieval {
  public:
    static constexpr int kQuotaLow = 10;  // the quota dialog appears below this many requests

    SearchRetrieval(MainWindowState& window, TweetTableView& view, TweetFiles& files);

    void GetSrch_Click();       // New search
    void UpdateSearch_Click();  // Update search
    void QuitGet_Click();       // Cancel (also stops a timeline retrieval)

    // The page loop: appends every page to the tweet set of `Twitter` until a page adds
    // nothing, the threshold date is passed or the user cancels.
    void RetrieveSearch(const std::string& query, const std::string& sinceId);

    // ---- Shared with the timeline retrieval
    // The quota dialog; Cancel sets `Cancelled`.
    void AskQuota(const SKDFuncs::DateValue& nextReset);
    // The line that ends a retrieval: prefix ("Search ended @" + now + ", " and the like)
    // followed by why it ended.
    std::string EndLine(const std::string& prefix, bool reached) const;
    // The local date and time now, as the log writes it.
    static std::string NowText();
    // The upper bound of the threshold trim. Tweet times are the service's UTC clock
    // times; trimming at the local "now" would drop the newest tweets wherever local
    // time is behind UTC (or the clock is a little slow) and end the retrieval as if the
    // threshold had been reached. No tweet the service sends is from the future.
    static std::string LatestBound();

  private:
    MainWindowState& m_window;
    TweetTableView& m_view;
    TweetFiles& m_files;
};

}  // namespace marlin
