#pragma once

#include <ctime>
#include <string>

namespace marlin {

// The paths and queries of the v2 requests that stand in for the v1.1 ones, each asking for
// the fields and expansions that fill every column of the tables.
class V2Request {
  public:
    static constexpr const char* kTweetFields =
        "created_at,author_id,lang,public_metrics,entities,geo,referenced_tweets,in_reply_to_user_id,"
        "conversation_id,note_"
        "tweet";
    static constexpr const char* kExpansions =
        "author_id,referenced_tweets.id,referenced_tweets.id.author_id,geo.place_id";
    static constexpr const char* kUserFields =
        "created_at,description,entities,location,profile_image_url,protected,public_metrics,url,verified";
    static constexpr const char* kPlaceFields = "full_name,geo,country_code";
    // The day of the first post: a full-archive search with no start goes back to it (the
    // service would otherwise search the last 30 days only).
    static constexpr std::time_t kFirstPostTime = 1142899200;  // 2006-03-21T00:00:00Z

    // untilId excludes that id (v1.1's max_id included it); startTime 0 sends none.
    static std::string Search(bool fullArchive, const std::string& query, const std::string& lang,
                              const std::string& sinceId, const std::string& untilId,
                              const std::string& count, std::time_t startTime);
    static std::string UserPosts(const std::string& userId, const std::string& sinceId,
                                 const std::string& untilId, const std::string& count);
    static std::string UserByName(const std::string& screenName);
    // ids wins when both are given.
    static std::string Lookup(const std::string& ids, const std::string& screenNames);
    // token: the pagination token of the page, empty for the first.
    static std::string Follows(const std::string& userId, bool followers, const std::string& count,
                               const std::string& token);
    static std::string Counts(bool fullArchive, const std::string& query, const std::string& lang,
                              std::time_t startTime, std::time_t endTime, const std::string& token);

    // Every byte but the unreserved ones percent-encoded; with keepCommas a list stays a list.
    static std::string Encoded(const std::string& value, bool keepCommas = false);
    // The fields and expansions every request for posts asks for (no leading "&").
    static std::string TweetExpansions();

  private:
    static std::string Query(const std::string& query, const std::string& lang);
    static std::string Clamped(const std::string& count, int low, int high);
};

}  // namespace marlin
