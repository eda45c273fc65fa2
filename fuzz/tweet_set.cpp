// The tweet set on arbitrary response pages: what a search or timeline page turns into,
// and every read the workflows and the tables make of the records afterwards.

#include <stdexcept>

#include "core/skd_funcs.h"
#include "core/tweet_set.h"
#include "fuzz_support.h"
#include "platform/testing/scripted_toolkit.h"

using marlin::TweetSet;

namespace {

void ReadEveryRecord(const TweetSet& tweets) {
    for (int i = 0; i <= tweets.Count(); ++i) {
        tweets.DateTime(i);
        tweets.ScreenName(i);
        tweets.Text(i);
        tweets.TweetID(i);
        tweets.RealName(i);
        tweets.Followers(i);
        tweets.Following(i);
        tweets.Location(i);
        tweets.UTC_Offset(i);
        tweets.GeoCoords(i);
        tweets.UserTweets(i);
        tweets.Retweeted(i);
        tweets.LinkURL(i);
        tweets.Description(i);
        tweets.GetVBDateTime(i);
    }
    bool thrown = false;
    try {
        tweets.Text(tweets.Count() + 1);
    } catch (const std::out_of_range&) {
        thrown = true;
    }
    FUZZ_CHECK(thrown);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    marlin::fuzz::PinTimeZone();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const marlin::fuzz::Input input(data, size);
    marlin::testing::ScriptedToolkit toolkit;
    TweetSet tweets(toolkit.Yielder());

    tweets.SetData(input.text, false, input.Flag(0));
    const int first = tweets.Count();
    FUZZ_CHECK(first <= tweets.LastSetDataSize());
    // The next page of a retrieval is appended behind the records already held.
    tweets.SetData(input.text, true, input.Flag(0));
    FUZZ_CHECK(tweets.Count() >= first);
    ReadEveryRecord(tweets);

    const std::string oldest = tweets.OldestTweetId(false);
    const std::string next = tweets.OldestTweetId(true);
    FUZZ_CHECK(next.size() == oldest.size());

    if (tweets.Count() > 0) {
        const auto names = tweets.GetUserArr();
        FUZZ_CHECK(names.size() >= 2 && names[0].empty());
    }
    const int before = tweets.Count();
    try {
        std::string latest = input.Flag(1) ? std::string() : std::string("31/12/2099 23:59:59");
        const bool removed = tweets.TrimToDateRange("01/01/1900 00:00:00", latest);
        FUZZ_CHECK(removed == (tweets.Count() != before));
    } catch (const marlin::SKDFuncs::ConversionError&) {
        // A date that is no date leaves every record where it was.
        FUZZ_CHECK(tweets.Count() == before);
    }
    tweets.SetVBDateTimes();
    ReadEveryRecord(tweets);
    return 0;
}
