#include "emulator/text_cutter.h"

#include <algorithm>

#include "emulator/hashing.h"
#include "emulator/text_builder.h"

namespace marlin::emulator {

namespace {

constexpr const char* kEllipsis = "\u2026";
constexpr int kLinkLength = 23;  // every t.co link counted this many characters

bool IsBlank(char c) {
    return c == ' ' || c == '\n';
}

template <typename Entities>
void KeepWithin(Entities& entities, int keep) {
    std::erase_if(entities, [keep](const auto& e) { return e.end > keep; });
}

// Where a text cut at `limit` code points at the latest ends: before the last blank that leaves a word
// whole, or, in a text without one, at the limit or the start of an entity it would split.
int WordEnd(const Tweet& tweet, int limit) {
    std::vector<size_t> offsets = TextBuilder::ShownOffsets(tweet.text);
    int keep = limit;
    while (keep > 0 && !IsBlank(tweet.text[offsets[keep]])) --keep;
    while (keep > 0 && IsBlank(tweet.text[offsets[keep - 1]])) --keep;
    if (keep > 0) return keep;
    keep = limit;
    auto before = [&keep](const auto& e) {
        if (e.start < keep && keep < e.end) keep = e.start;
    };
    std::for_each(tweet.mentions.begin(), tweet.mentions.end(), before);
    std::for_each(tweet.hashtags.begin(), tweet.hashtags.end(), before);
    std::for_each(tweet.urls.begin(), tweet.urls.end(), before);
    return keep;
}

}  // namespace

void TextCutter::Cut(Tweet& tweet, int keep) {
    if (keep >= tweet.length) return;
    tweet.text.resize(TextBuilder::ShownOffset(tweet.text, keep));
    KeepWithin(tweet.mentions, keep);
    KeepWithin(tweet.hashtags, keep);
    KeepWithin(tweet.urls, keep);
    if (tweet.photoLink.end > keep) {
        tweet.photoCount = 0;
        tweet.photoSource = {};
    }
    tweet.length = keep;
    tweet.displayStart = std::min(tweet.displayStart, keep);
    tweet.displayEnd = std::min(tweet.displayEnd, keep);
}

void TextCutter::CutRetweet(Tweet& tweet) {
    if (tweet.length <= kClassicLength) return;
    Cut(tweet, kClassicLength - 1);
    tweet.text += kEllipsis;
    tweet.length = tweet.displayEnd = kClassicLength;
}

Tweet TextCutter::Compatible(const Tweet& tweet) {
    return Shortened(tweet, kClassicLength);
}

Tweet TextCutter::Shortened(const Tweet& tweet, int limit) {
    Tweet shown = tweet;
    if (tweet.length <= limit) return shown;
    Cut(shown, WordEnd(tweet, limit - kLinkLength - 2));
    shown.text += kEllipsis;
    shown.text += ' ';
    UrlEntity whole;
    whole.url = "https://t.co/" + TextBuilder::ShortCode(Hash(tweet.id, 0x3eb), 10);
    whole.expanded = "https://twitter.com/i/web/status/" + std::to_string(tweet.id);
    whole.display = TextBuilder::DisplayUrl(whole.expanded);
    whole.start = shown.length + 2;
    whole.end = whole.start + TextBuilder::CodePoints(whole.url);
    shown.text += whole.url;
    shown.urls.push_back(std::move(whole));
    shown.length = shown.displayEnd = shown.urls.back().end;
    shown.truncated = true;
    return shown;
}

}  // namespace marlin::emulator
