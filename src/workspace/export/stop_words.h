#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace marlin {

// The words left out of word counts, for English, German, French, Spanish, Portuguese,
// Italian and Dutch: the data files of data/stopwords, compiled into the program.
//
// A post's list is the one of its language where that is known (the service's `lang` of the
// post in its raw archive); otherwise the list that holds most of the post's words, since a
// Tweets table has no language column: a post in German is mostly German stop words.
class StopWords {
  public:
    // "en", "de", "fr", "es", "pt", "it", "nl".
    static const std::vector<std::string>& Languages();
    static const StopWords& Instance();

    // The list of a language; null for a language without one.
    const std::unordered_set<std::string>* ListOf(std::string_view language) const;
    // The list that holds most of the words (ties go to the earlier language); null when
    // none holds any.
    const std::unordered_set<std::string>* Guess(const std::vector<std::string>& words) const;

  private:
    StopWords();
    std::vector<std::unordered_set<std::string>> m_lists;  // by Languages()
};

}  // namespace marlin
