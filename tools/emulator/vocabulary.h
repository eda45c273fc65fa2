#pragma once

#include <span>
#include <string_view>

namespace marlin::emulator {

// The fixed word lists, phrases, places and the like that the corpus draws from.
struct Place {
    std::string_view id;
    std::string_view name;
    std::string_view fullName;
    std::string_view countryCode;
    std::string_view country;
    double south, west, north, east;
};

struct TimeZone {
    int offset;  // seconds east of UTC
    std::string_view name;
};

struct Client {
    std::string_view url;
    std::string_view name;
};

struct LanguagePhrases {
    std::string_view code;  // the tweet's lang
    std::span<const std::string_view> phrases;
};

class Vocabulary {
  public:
    static std::span<const std::string_view> EnglishWords();
    static std::span<const std::string_view> Hashtags();
    static std::span<const std::string_view> Emoji();
    // Fragments that hold characters a client must escape or decode: &amp;, quotes, braces, backslashes.
    static std::span<const std::string_view> AwkwardFragments();
    static std::span<const LanguagePhrases> OtherLanguages();
    static const LanguagePhrases& Language(std::string_view code);
    static std::span<const Place> Places();
    static std::span<const TimeZone> TimeZones();
    static std::span<const Client> Clients();
    static std::span<const std::string_view> FirstNames();
    static std::span<const std::string_view> LastNames();
    static std::span<const std::string_view> Syllables();
    static std::span<const std::string_view> Locations();
    static std::span<const std::string_view> DescriptionPhrases();
    static std::span<const std::string_view> LinkSites();
    static std::span<const std::string_view> Colors();

    // Words with a known frequency, which tests use as queries.
    static constexpr std::string_view kCommonWord = "data";
    static constexpr std::string_view kRareWord = "quokka";
    static constexpr std::string_view kAbsentWord = "zyxwvutsrq";
    static constexpr std::string_view kKnownHashtag = "OpenData";
};

}  // namespace marlin::emulator
