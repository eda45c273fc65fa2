#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace marlin {

// The words of a post, as the word frequencies and the co-word graph count them: case
// folded ("Data" and "data" are one word), split at blanks, punctuation and apostrophes
// ("don't" is "don" and "t"), with links, @names, #hashtags and the "RT @name:" of a repost
// kept apart (they are counted as domains, mentions and hashtags), and without numbers,
// one-letter words and the stop words of the post's language (StopWords).
class PostWords {
  public:
    // Each word once, in the order of first use. `language`: the post's language code where
    // known ("en"…), else the stop word list is guessed from the words.
    static std::vector<std::string> Of(std::string_view text, std::string_view language = {});
    // Every word in order, before numbers, short words and stop words are taken out.
    static std::vector<std::string> Tokens(std::string_view text);
};

}  // namespace marlin
