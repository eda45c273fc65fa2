#pragma once

#include <string>

#include "workspace/main_window_state.h"

namespace marlin {

// The commands that change the Tweets table in place, the row popup and Copy Log.
class TweetEditing {
  public:
    explicit TweetEditing(MainWindowState& window, TweetControls& tweetCtl);

    void mFilterTweets_Click();
    void mRemRT_Click();
    // Removes the rows whose tweet contains the filter (removeIfFound) or lacks it, after
    // confirmation. Letter case is ignored for every letter the code page has in both cases.
    void FilterTweetsByText(const std::string& filter, bool removeIfFound);

    void mDelTweet_Click();
    void mDelUsersTweets_Click();

    void mVBDateTime_Click();       // to Numeric format
    void mSPSSDateTime_Click();     // to SPSS compatible format
    void mTwitterDateTime_Click();  // back to Twitter format
    // Mode 0 local, 1 SPSS, 2 service date-time text. A cell the conversion rejects keeps
    // its text; the others are converted. Gives the number of cells changed.
    static int ConvertTweetDateTimes(int mode, ReportList& table);

    // The right mouse button released over the Tweets table: captions the row popup for
    // the selected row and shows it.
    void OutTable_MouseUp(int button);
    void mNavLinkURL_Click();
    void mNavUserTwitter_Click();

    void mCopyLog_Click();
    // The right mouse button pressed over the request log: the Tools menu with "Copy Log" alone.
    void Progress_MouseDown(int button);

  private:
    // Converts the Tweets table's dates; a table with changed cells is marked unsaved.
    void ConvertDates(int mode);
    // The selected row's cell, without its padding; empty with no row selected.
    std::string SelectedCell(int position) const;

    MainWindowState& m_window;
    TweetControls& m_tweetCtl;
};

}  // namespace marlin
