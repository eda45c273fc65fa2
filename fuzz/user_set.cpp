// The user set on arbitrary response pages: users/lookup arrays, cursored follower and
// friend lists, and the single user object the tweet set wraps.

#include <stdexcept>

#include "core/skd_funcs.h"
#include "core/user_set.h"
#include "fuzz_support.h"
#include "platform/testing/scripted_toolkit.h"

using marlin::UserSet;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    marlin::fuzz::PinTimeZone();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const marlin::fuzz::Input input(data, size);
    marlin::testing::ScriptedToolkit toolkit;
    UserSet users(toolkit);

    users.SetData(input.text, false, input.Flag(0));
    users.SetData(input.text, true, input.Flag(0));
    for (int i = -1; i <= users.Count() + 1; ++i) {
        const UserSet::Record& r = users.Item(i);
        FUZZ_CHECK(users.ScreenName(i) == r.ScreenName);
        users.CreatedAt(i);
        users.Description(i);
        users.Favourites(i);
        users.Followers(i);
        users.Friends(i);
        users.GeoEnabled(i);
        users.Id(i);
        users.Lang(i);
        users.ListedCount(i);
        users.Location(i);
        users.RealName(i);
        users.Protected(i);
        users.StatusCount(i);
        users.TimeZone(i);
        users.URL(i);
        users.Verified(i);
        users.UTC_Offset(i);
        users.ProfileImage(i);
        users.ProfileBackgroundImage(i);
        users.ProfileBanner(i);
    }
    users.NextCursor();
    users.ToClipboard();
    FUZZ_CHECK(toolkit.ClipboardGetText().rfind("UserId\t", 0) == 0);
    if (users.Count() > 0) {
        const int found = users.FindUserIndex(users.ScreenName(users.Count()), "");
        FUZZ_CHECK(found >= 1 && found <= users.Count());
    }

    const int before = users.Count();
    try {
        std::string latest = input.Flag(1) ? std::string() : std::string("31/12/2099 23:59:59");
        const bool removed = users.TrimToDateRange("01/01/1900 00:00:00", latest);
        FUZZ_CHECK(removed == (users.Count() != before));
    } catch (const marlin::SKDFuncs::ConversionError&) {
        FUZZ_CHECK(users.Count() == before);
    } catch (const std::logic_error&) {
        FUZZ_CHECK(before == 0);  // trimming an empty set is the caller's error
    }
    return 0;
}
