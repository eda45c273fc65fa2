#pragma once

#include <string>
#include <vector>

#include "core/skd_funcs.h"
#include "core/tweet_column.h"
#include "main_window_fixture.h"
#include "service/app_cred_file.h"

namespace marlin::testing {

// The main window against the emulator, with what the user-side tests share: a corpus
// with enough accounts for several follower pages, the requests of one path, rows put
// straight into the Tweets table, and profiles made up for exact column checks.
class UserSideTest : public MainWindowTest {
  protected:
    // Enough accounts for 250 distinct names and for the 450 followers of the library.
    static emulator::EmulatorConfig UserCorpus() {
        emulator::EmulatorConfig config = SmallCorpus();
        config.users = 600;
        return config;
    }

    void Start(bool withScorer = false) { StartWindow(UserCorpus(), withScorer); }

    // The stored credentials, which the secondary client authenticates itself with.
    void StoreCredentials() {
        const emulator::EmulatorConfig& c = Emu().Config();
        AppCredFile::InFolder(AppFolder()).Write({c.appName, c.consumerKey, c.consumerSecret});
    }

    // A Tweets table row as ShowTweets would show it: sub-items padded to 7.
    void AddTweetRow(const std::string& author, const std::string& text, int retweets, int positive,
                     int negative, const std::string& id = "1") {
        std::vector<std::string> cells(TweetColumn::Count);
        cells[TweetColumn::DateTime] = "01/01/2024 10:00:00";
        cells[TweetColumn::UserScreenName] = author;
        cells[TweetColumn::Tweet] = text;
        cells[TweetColumn::TweetID] = id;
        cells[TweetColumn::Retweets] = std::to_string(retweets);
        cells[TweetColumn::SentPositive] = std::to_string(positive);
        cells[TweetColumn::SentNegative] = std::to_string(negative);
        for (int k = 1; k < TweetColumn::Count; ++k) cells[k] = SKDFuncs::PadNumber(cells[k], 7);
        W().TweetsTable.Rows().AddRow(cells);
    }

    // One made-up profile in the service's layout.
    struct Profile {
        std::string id = "100";
        std::string screenName = "someone";
        std::string name = "Some One";
        std::string createdAt = "Wed Aug 27 13:08:45 +0000 2008";
        int followers = 123;
        int friends = 45;
        int statuses = 6789;
        int favourites = 12;
        int utcOffsetSeconds = 3600;
        bool geo = true;
        bool verified = false;
    };
    static std::string ProfileJson(const Profile& p) {
        return "{\"id\":" + p.id + ",\"id_str\":\"" + p.id + "\",\"name\":\"" + p.name +
               "\",\"screen_name\":\"" + p.screenName +
               "\",\"location\":\"Leeds\",\"description\":\"Reads a lot\",\"url\":\"https:\\/\\/t.co\\/x\","
               "\"entities\":{\"description\":{\"urls\":[]}},\"protected\":false,\"followers_count\":" +
               std::to_string(p.followers) + ",\"friends_count\":" + std::to_string(p.friends) +
               ",\"listed_count\":1,\"created_at\":\"" + p.createdAt +
               "\",\"favourites_count\":" + std::to_string(p.favourites) +
               ",\"utc_offset\":" + std::to_string(p.utcOffsetSeconds) +
               ",\"time_zone\":\"London\",\"geo_enabled\":" + (p.geo ? "true" : "false") +
               ",\"verified\":" + (p.verified ? "true" : "false") +
               ",\"statuses_count\":" + std::to_string(p.statuses) +
               ",\"lang\":\"en\",\"profile_background_image_url\":\"http:\\/\\/bg\\/1.png\","
               "\"profile_image_url\":\"http:\\/\\/img\\/a_normal.jpg\",\"profile_banner_url\":\"https:\\/\\/"
               "b\\/1\"}";
    }
    // Puts the profiles into a user set as one look-up page would.
    static void SetProfiles(UserSet& users, const std::vector<Profile>& profiles) {
        std::string json = "[";
        for (const Profile& p : profiles) {
            if (json.size() > 1) json += ',';
            json += ProfileJson(p);
        }
        users.SetData(json + "]", false, false);
    }

    ReportList& Table0() { return UserCtl().UserTables.front()->Rows(); }
};

}  // namespace marlin::testing
