#pragma once

namespace marlin {

// The columns of the Tweets table, in the order its files store them. A table position
// is the value itself; the records of a tweet table file number their fields from 1.
struct TweetColumn {
    enum : int {
        DateTime,
        UserScreenName,
        Tweet,
        TweetID,
        UserRealName,
        UserFollowers,
        UserFriends,
        UserLocation,
        UserUTC_Offset,
        GeoCoords,
        UserTweets,
        Retweets,
        LinkURL,
        SentPositive,
        SentNegative,
        UserDescription,
        Count
    };
    // The 1-based field number of a column in a record of a table file.
    static constexpr int Field(int column) { return column + 1; }
};

}  // namespace marlin
