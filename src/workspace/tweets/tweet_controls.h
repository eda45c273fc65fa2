#pragma once

#include <string>

#include "platform/button.h"
#include "platform/date_picker.h"
#include "platform/drop_down_list.h"
#include "platform/menu_item.h"
#include "platform/text_box.h"

namespace marlin {

// The tweet side's controls: the search frame with its two histories, the main menus and
// the popup over a Tweets table row. TweetSide owns them and sets their captions and
// actions; the parts that show or read one of them are handed this set.
struct TweetControls {
    // The threshold date of EarlyDate as a short date text ("dd/mm/yyyy").
    std::string ThresholdDateText() const;

    TextBox SearchQuery;
    DatePicker EarlyDate;  // "Retrieve back to"
    Button GetSrch{"New "};
    Button UpdateSearch{"Update"};
    Button QuitGet{"Cancel "};
    DropDownList QPHistory;   // query history: query, two blanks, file name
    DropDownList UTLHistory;  // timeline history: file names

    MenuItem mFile, mOpen, mOpenTweets, mSave, mSaveTweets, mSaveSend;
    MenuItem mOpenArchive;  // File › "Open Archive…": a Tweets table made again from a raw archive
    MenuItem mExportNetwork, mExportTweetsCsv;  // File › "Export Network…", "Export Tweets as CSV…"
    MenuItem mExportXlsx;                       // File › "Export as Excel Workbook…"
    // File › "Export Co-hashtag Network…", "Export Hashtag–User Network…"
    MenuItem mExportCoHashtag, mExportHashtagUser;
    MenuItem mFrequencies;  // Tools › "Frequencies…" (the window shows the table)
    MenuItem mTools, mConvertDT, mVBDateTime, mSPSSDateTime, mTwitterDateTime, mLine0, mRemRT, mFilterTweets,
        mLine1, mCopyLog, mContinueBack;
    MenuItem mSettings, mSortDT, mHeaders, mWaitQuota, mKeepRaw, mExactTexts;
    MenuItem mExtraColumns;  // Settings › "Extra Columns"
    // Settings › "Service" with its radio items "X (v1.1)", "X (v2)", "Bluesky"; "Bluesky Log-in…",
    // "Full-Archive Search (v2)"; Tools › "Estimate Search Volume…".
    MenuItem mServiceApi, mApiV11, mApiV2, mFullArchive, mEstimateVolume;
    MenuItem mServiceBluesky, mBlueskyLogIn;
    // Popup over a Tweets table row.
    MenuItem mTweet, mNavLinkURL, mNavUserTwitter, mTLine1, mAddU2UL, mDelUFUL, mTLine2, mDelTweet,
        mDelUsersTweets;
};

}  // namespace marlin
