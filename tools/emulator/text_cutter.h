#pragma once

#include "emulator/tweet.h"

namespace marlin::emulator {

// The shortened texts of a service built for 140 characters. A retweet's "RT @name: " and the original
// text were cut at 140 characters with an ellipsis in either text mode. A longer tweet sent to a client
// that did not ask for tweet_mode=extended came cut at a word, with an ellipsis and a link to the whole
// tweet in the last 23 of its 140 characters, and marked truncated.
class TextCutter {
  public:
    static constexpr int kClassicLength = 140;
    // The longest text sent whole; a longer post is a note, whose whole text only v2 sends (note_tweet).
    static constexpr int kPostLength = 280;

    // Keeps the first `keep` code points of the text and the entities and photos that lie wholly within.
    static void Cut(Tweet& tweet, int keep);
    // A retweet's text of more than 140 characters: the first 139 and an ellipsis.
    static void CutRetweet(Tweet& tweet);
    // The tweet as a client in the 140-character mode saw it; shorter tweets come back unchanged.
    static Tweet Compatible(const Tweet& tweet);
    // The same cut at any length: the text of a note post in the extended mode and in v2 is cut at 280.
    static Tweet Shortened(const Tweet& tweet, int limit);
};

}  // namespace marlin::emulator
