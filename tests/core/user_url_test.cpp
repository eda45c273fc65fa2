// A user's URL is the profile's own website, never a link from the description.
#include <gtest/gtest.h>

#include "core/user_set.h"
#include "platform/testing/scripted_toolkit.h"
#include "test_support.h"

namespace marlin {
namespace {

TEST(UserUrlTest, TheWebsiteWinsOverLinksInTheDescription) {
    testing::ScriptedToolkit toolkit;
    UserSet users(toolkit.Yielder());
    users.SetData(testing::Fixture("followers_list_page.json"), false, true);
    int found = 0;
    for (int i = 1; i <= users.Count(); ++i)
        if (users.ScreenName(i) == "jshirley") found = i;
    ASSERT_GE(found, 1);
    EXPECT_EQ(users.URL(found), "http://jayshirley.com/");

    // Only description links: the profile's url field stays.
    users.SetData(R"([{"id_str":"7","screen_name":"only_desc","url":"http:\/\/t.co\/a",)"
                  R"("entities":{"description":{"urls":[{"expanded_url":"http:\/\/elsewhere.example"}]}}}])",
                  false, false);
    EXPECT_EQ(users.URL(1), "http://t.co/a");
}

}  // namespace
}  // namespace marlin
