#include "core/user_set.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "core/json_deserializer.h"
#include "core/skd_funcs.h"
#include "platform/testing/scripted_toolkit.h"
#include "test_support.h"

namespace marlin {
namespace {

using testing::Fixture;
using testing::ScriptedToolkit;

// One user object with the fields a test cares about; the rest as the service sends them.
std::string User(const std::string& screenName, const std::string& extra = "") {
    return R"({"id":1,"id_str":"1)" + screenName + R"(","name":"N","screen_name":")" + screenName +
           R"(","location":"","description":"d","url":null,"protected":false,"followers_count":5,)"
           R"("created_at":"Wed Aug 27 13:08:45 +0000 2008","utc_offset":null,"statuses_count":9)" +
           extra + "}";
}

class UserSetTest : public ::testing::Test {
  protected:
    ScriptedToolkit toolkit;
    UserSet users{toolkit};
};

TEST_F(UserSetTest, LookupArrayGivesTheProfilesTheServiceSent) {
    users.SetData(Fixture("users_lookup.json"), false, false);
    ASSERT_EQ(users.Count(), 2);
    EXPECT_EQ(users.LastSetDataSize(), 2);
    EXPECT_EQ(users.NextCursor(), "-1");

    EXPECT_EQ(users.Id(1), "6844292");
    EXPECT_EQ(users.ScreenName(1), "TwitterEng");
    EXPECT_EQ(users.RealName(1), "Twitter Engineering");
    EXPECT_EQ(users.CreatedAt(1), "Sat Jun 16 00:14:36 +0000 2007");
    EXPECT_EQ(users.Description(1),
              "The official account for updates on what's happening within Twitter the app and service.");
    EXPECT_EQ(users.Followers(1), 1302441);
    EXPECT_EQ(users.Friends(1), 14);
    EXPECT_EQ(users.Favourites(1), 57);
    EXPECT_EQ(users.StatusCount(1), 499);
    EXPECT_EQ(users.ListedCount(1), 4314);
    EXPECT_EQ(users.UTC_Offset(1), 0);
    EXPECT_EQ(users.TimeZone(1), "null");
    EXPECT_EQ(users.Lang(1), "null");
    EXPECT_TRUE(users.GeoEnabled(1));
    EXPECT_TRUE(users.Verified(1));
    EXPECT_FALSE(users.Protected(1));
    EXPECT_EQ(users.Location(1), "");
    EXPECT_EQ(users.ProfileImage(1), "http://pbs.twimg.com/profile_images/875168599299637248/84CkAq6s.jpg");
    EXPECT_EQ(users.ProfileBanner(1), "https://pbs.twimg.com/profile_banners/6844292/1497491421/web");
    EXPECT_EQ(users.ProfileBackgroundImage(1), "http://abs.twimg.com/images/themes/theme2/bg.gif");
    // No profile link; the objects of the user's latest status do not give it one.
    EXPECT_EQ(users.URL(1), "null");

    EXPECT_EQ(users.ScreenName(2), "TwitterAPI");
    EXPECT_EQ(users.Location(2), "San Francisco, CA");
    EXPECT_FALSE(users.GeoEnabled(2));
    EXPECT_EQ(users.URL(2), "https://developer.twitter.com");  // expanded from https://t.co/8IkCzCDr19
}

TEST_F(UserSetTest, FollowersPageGivesUsersAndCursor) {
    users.SetData(Fixture("followers_list_page.json"), false, true);
    ASSERT_EQ(users.Count(), 20);
    EXPECT_EQ(users.NextCursor(), "1515941322214059482");

    EXPECT_EQ(users.Id(1), "10048312");
    EXPECT_EQ(users.ScreenName(1), "dduugg");
    EXPECT_EQ(users.RealName(1), "dug");
    EXPECT_EQ(users.Location(1), "[?]");
    EXPECT_EQ(users.UTC_Offset(1), -8);
    EXPECT_EQ(users.TimeZone(1), "Pacific Time (US & Canada)");
    EXPECT_EQ(users.Lang(1), "en");
    EXPECT_EQ(users.StatusCount(1), 256);
    // The first user has no banner; the next user's must not be taken for it.
    EXPECT_EQ(users.ProfileBanner(1), "/web");
    EXPECT_EQ(users.URL(1), "null");

    EXPECT_EQ(users.ScreenName(2), "latterlymag");
    EXPECT_EQ(users.UTC_Offset(2), -4);
    EXPECT_EQ(users.URL(2), "http://latterlymagazine.com");  // not the link in its latest tweet
    EXPECT_EQ(users.ProfileBanner(2), "https://pbs.twimg.com/profile_banners/1572877453/1446054958/web");
    EXPECT_EQ(users.ScreenName(20), "TechCollabNYC");
    EXPECT_EQ(users.Id(20), "3882721107");
}

TEST_F(UserSetTest, CursorOfOtherListPages) {
    users.SetData(Fixture("friends_list_last_page.json"), false, true);
    EXPECT_EQ(users.Count(), 7);
    EXPECT_EQ(users.NextCursor(), "0");
    EXPECT_EQ(users.ScreenName(7), "TwitterDev");

    users.SetData(Fixture("followers_list_page_small.json"), true, true);
    EXPECT_EQ(users.Count(), 8);
    EXPECT_EQ(users.LastSetDataSize(), 1);
    EXPECT_EQ(users.NextCursor(), "1462204215453245842");
    EXPECT_EQ(users.ScreenName(8), "MissLeveridge");
    EXPECT_EQ(users.Followers(8), 62);

    users.ResetCursor();
    EXPECT_EQ(users.NextCursor(), "");
    users.Clear();
    EXPECT_EQ(users.Count(), 0);
    EXPECT_EQ(users.NextCursor(), "-1");
}

TEST_F(UserSetTest, FieldConversions) {
    const std::string page =
        "[" + User("a", R"(,"utc_offset":19800,"protected":null,"verified":true)") + "," +
        User("b", R"(,"utc_offset":-12600,"profile_image_url":"http:\/\/x\/p_normal.jpg",)"
                  R"("profile_banner_url":"https:\/\/y\/b","entities":{"url":{"urls":[)"
                  R"({"expanded_url":"http:\/\/one"},{"expanded_url":"http:\/\/two"}]}}})") +
        "]";
    users.SetData(page, false, false);
    ASSERT_EQ(users.Count(), 2);
    // The first utc_offset wins (the test user carries two), 5.5 hours rounds to even.
    EXPECT_EQ(users.UTC_Offset(1), 0);
    EXPECT_FALSE(users.Protected(1));
    EXPECT_TRUE(users.Verified(1));
    EXPECT_EQ(users.ProfileImage(2), "http://x/p.jpg");
    EXPECT_EQ(users.ProfileBanner(2), "https://y/b/web");
    EXPECT_EQ(users.URL(2), "http://two");

    users.SetData(
        R"([{"id_str":"5","utc_offset":19800,"protected":null},{"id_str":"6","utc_offset":-12600}])", false,
        false);
    EXPECT_EQ(users.UTC_Offset(1), 6);
    EXPECT_EQ(users.UTC_Offset(2), -4);
    EXPECT_FALSE(users.Protected(1));
    EXPECT_EQ(users.ProfileBanner(1), "/web");
}

TEST_F(UserSetTest, IndexesOutsideTheRecordsGiveEmptyValues) {
    users.SetData("[" + User("a") + "]", false, false);
    for (int index : {0, 2, -1}) {
        EXPECT_EQ(users.ScreenName(index), "");
        EXPECT_EQ(users.Followers(index), 0);
        EXPECT_FALSE(users.Verified(index));
    }
}

TEST_F(UserSetTest, PageWithoutUsers) {
    users.SetData("[" + User("a") + "]", false, false);
    users.SetData(R"({"users":[],"next_cursor":0,"next_cursor_str":"0","previous_cursor":0})", false, true);
    EXPECT_EQ(users.Count(), 0);
    ASSERT_EQ(toolkit.messages.size(), 1u);
    EXPECT_EQ(toolkit.messages[0].text, "JSON response contained no records");
    EXPECT_EQ(toolkit.messages[0].icon, MsgIcon::Information);

    users.SetData("[" + User("a") + "]", false, false);
    users.SetData("{}", false, false);  // unreadable: untouched, no message
    EXPECT_EQ(users.Count(), 1);
    EXPECT_EQ(users.LastSetDataSize(), 0);
    EXPECT_EQ(toolkit.messages.size(), 1u);
}

// A list loop asks for pages until the cursor is "0": the cursor of every readable page
// counts, users or none, or an account without followers would be asked for for ever.
TEST_F(UserSetTest, CursorOfAReadablePageCountsWithOrWithoutUsers) {
    const std::string emptyLast = R"({"users":[],"next_cursor":0,"next_cursor_str":"0","previous_cursor":0})";
    const std::string emptyMore = R"({"users":[],"next_cursor_str":"77","previous_cursor_str":"0"})";
    const std::string oneUser = R"({"users":[)" + User("a") + R"(],"next_cursor_str":"55"})";
    struct Case {
        std::string page;
        bool append;
        int count;
        std::string cursor;
    } cases[] = {
        {emptyLast, false, 0, "0"},  {emptyLast, true, 1, "0"},
        {emptyMore, false, 0, "77"}, {emptyMore, true, 1, "77"},
        {oneUser, true, 2, "55"},    {R"({"users":[],"other":1})", true, 1, "9"},  // no cursor: kept
        {"{}", false, 1, "9"},                                                     // unreadable: kept
    };
    for (const Case& c : cases) {
        UserSet set(toolkit);
        set.SetData(R"({"users":[)" + User("first") + R"(],"next_cursor_str":"9"})", false, true);
        set.SetData(c.page, c.append, true);
        EXPECT_EQ(set.Count(), c.count) << c.page;
        EXPECT_EQ(set.NextCursor(), c.cursor) << c.page;
    }
}

// A page of more records than any service page holds is refused as unreadable: as
// records, a few million empty objects would take gigabytes.
TEST_F(UserSetTest, PageOfMoreRecordsThanAnyServicePageIsUnreadable) {
    auto page = [](int objects) {
        std::string text = R"({"users":[)";
        for (int i = 0; i < objects; ++i) text += i == 0 ? "{}" : ",{}";
        return text + R"(],"next_cursor_str":"3"})";
    };
    users.SetData("[" + User("a") + "]", false, false);
    users.SetData(page(JSONDeserializer::kMaxPageRecords + 1), false, true);
    EXPECT_EQ(users.Count(), 1);
    EXPECT_EQ(users.LastSetDataSize(), 0);
    EXPECT_EQ(users.NextCursor(), "-1");
    users.SetData(page(JSONDeserializer::kMaxPageRecords), true, true);
    EXPECT_EQ(users.Count(), 1 + JSONDeserializer::kMaxPageRecords);
    EXPECT_EQ(users.NextCursor(), "3");
}

// Escaped or raw, a TAB, CR or LF in any field would shift or split the user table's row.
TEST_F(UserSetTest, NoTextHoldsAControlCharacter) {
    const std::string page =
        "{\"users\":[{\"created_at\":\"Wed\tAug\",\"id_str\":\"1\n\",\"name\":\"a\\u0009b\",\"screen_name\":"
        "\"s\tn\","
        "\"location\":\"\\u000d\\u000a\",\"description\":\"d\x7f\\nx\",\"url\":\"u\t\",\"time_zone\":"
        "\"t\x1f\","
        "\"lang\":\"e\tn\",\"profile_image_url\":\"p\r\",\"profile_background_image_url\":\"b\n\","
        "\"profile_banner_url\":\"x\t\"}],\"next_cursor_str\":\"5\t\"}";
    users.SetData(page, false, true);
    ASSERT_EQ(users.Count(), 1);
    const UserSet::Record& r = users.Item(1);
    EXPECT_EQ(r.RealName, "a b");
    EXPECT_EQ(r.Description, "d  x");
    EXPECT_EQ(users.NextCursor(), "5 ");
    for (const std::string* field :
         {&r.CreatedAt, &r.Description, &r.Id, &r.Lang, &r.Location, &r.RealName, &r.ScreenName, &r.TimeZone,
          &r.URL, &r.ProfileImage, &r.ProfileBanner, &r.ProfileBackgroundImage}) {
        EXPECT_EQ(field->find_first_of("\t\r\n\x1f\x7f"), std::string::npos) << *field;
    }
}

TEST_F(UserSetTest, ToClipboardWritesATable) {
    const std::string header =
        "UserId\tScreenName\tRealName\tDescription\tCreatedAt\tFollowers\tFriends\tFavourites\tStatusCount\t"
        "Location\tUTC_Offset\tGeoEnabled\tLanguage\tProfileImage\tVerified\r\n";
    toolkit.ClipboardSetText("old");
    users.ToClipboard();
    EXPECT_EQ(toolkit.ClipboardGetText(), header);

    users.SetData("[" + User("a", R"(,"geo_enabled":true,"lang":"en")") + "]", false, false);
    users.ToClipboard();
    EXPECT_EQ(toolkit.ClipboardGetText(),
              header + "1a\ta\tN\td\tWed Aug 27 13:08:45 +0000 2008\t5\t0\t0\t9\t\t0\tTrue\ten\t\tFalse\r\n");
}

TEST_F(UserSetTest, FindUserIndex) {
    users.SetData("[" + User("a") + "," + User("b") + "]", false, false);
    EXPECT_EQ(users.FindUserIndex("b", ""), 2);
    EXPECT_EQ(users.FindUserIndex("someone else", "1b"), 2);
    EXPECT_EQ(users.FindUserIndex("B", "x"), 0);
}

TEST_F(UserSetTest, TrimToDateRangeOnCreation) {
    EXPECT_THROW(users.TrimToDateRange("01/01/2000", ""), std::logic_error);
    users.SetData("[" + User("a") + "," + User("b") + "]", false, false);
    std::string latest = "27/08/2008 13:08:44";
    EXPECT_TRUE(users.TrimToDateRange("01/01/2000", latest));
    EXPECT_EQ(users.Count(), 0);
    users.SetData("[" + User("a") + "]", false, false);
    latest.clear();
    EXPECT_FALSE(users.TrimToDateRange("27/08/2008 13:08:45", latest));
    EXPECT_FALSE(latest.empty());
}

}  // namespace
}  // namespace marlin
