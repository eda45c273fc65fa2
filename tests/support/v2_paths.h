#pragma once

// The two ways a v2 page of posts reaches a tweet set, side by side: the reference (the
// answer read object by object, written as the v1.1 page and read by the documented reader)
// and the one the client takes (the answer walked once, the records made straight from it,
// the long way only for a page the translator declines). Each gives everything the set and
// the translator tell of the page as one text, so that a difference shows where it lies.
#include <optional>
#include <string>
#include <string_view>

#include "core/tweet_set.h"
#include "service/v2_translator.h"

namespace marlin::testing {

inline std::string TweetSetText(const TweetSet& tweets) {
    std::string text = "size " + std::to_string(tweets.LastSetDataSize()) + ", count " +
                       std::to_string(tweets.Count()) + "\n";
    for (int i = 1; i <= tweets.Count(); ++i) {
        const TweetSet::Record& r = tweets.Item(i);
        for (const std::string* field :
             {&r.DateTime, &r.ScreenName, &r.Text, &r.TweetID, &r.RealName, &r.Location, &r.GeoCoords,
              &r.UserTweets, &r.LinkURL, &r.Description})
            text += *field + "\t";
        text += std::to_string(r.Followers) + "\t" + std::to_string(r.Following) + "\t" +
                std::to_string(r.UTC_Offset) + "\t" + std::to_string(r.Retweeted) + "\n";
    }
    return text;
}

inline std::string TranslatorText(V2Translator& translator, bool search) {
    std::string text;
    for (const std::string& line : translator.ErrorKinds()) text += "error " + line + "\n";
    for (const std::string& line : translator.SkippedKinds()) text += "skipped " + line + "\n";
    for (std::string_view id : translator.PostIds()) text += "id " + std::string(id) + "\n";
    text += "problem " + translator.ListPageProblem(!search).value_or("-") + "\n";
    text += "next " + translator.NextToken() + (translator.NextTokenUnreadable() ? " unreadable" : "") + "\n";
    return text;
}

struct V2PagePaths {
    bool search = true;
    bool exactTexts = false;
    bool direct = false;  // the last Direct made the records itself

    // The page as the documented reader reads the translation, the set holding one earlier
    // record so that appending shows.
    std::string Reference(std::string_view body) {
        V2Translator translator(V2Page::Reading::PerObject);
        TweetSet tweets{Yield()};
        Prepare(tweets);
        const std::optional<std::string> page = translator.TweetPage(body, search);
        tweets.SetData(page ? *page : std::string(body), true, search);
        return TweetSetText(tweets) + TranslatorText(translator, search);
    }

    std::string Direct(std::string_view body) {
        V2Translator translator;
        TweetSet tweets{Yield()};
        Prepare(tweets);
        std::optional<TweetSet::Page> records = translator.TweetRecords(body, search, exactTexts);
        direct = records.has_value();
        if (records) {
            tweets.SetPage(std::move(*records), true);
        } else {
            const std::optional<std::string> page = translator.TweetPage(body, search);
            tweets.SetData(page ? *page : std::string(body), true, search);
        }
        return TweetSetText(tweets) + TranslatorText(translator, search);
    }

    // The translation itself, read whole and object by object.
    static std::optional<std::string> Translation(std::string_view body, bool search,
                                                  V2Page::Reading reading) {
        V2Translator translator(reading);
        return translator.TweetPage(body, search);
    }

  private:
    void Prepare(TweetSet& tweets) const {
        tweets.SetExactTexts(exactTexts);
        tweets.SetNoticeSink([](const std::string&) {});
        tweets.SetData(
            "[{\"created_at\":\"Mon Jan 01 00:00:00 +0000 2024\",\"id_str\":\"1\",\"text\":\"x\"}]", false,
            false);
    }
};

}  // namespace marlin::testing
