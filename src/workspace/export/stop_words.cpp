#include "workspace/export/stop_words.h"

#include <algorithm>

#include "workspace/export/stop_word_data.h"

namespace marlin {

const std::vector<std::string>& StopWords::Languages() {
    static const std::vector<std::string> languages = {"en", "de", "fr", "es", "pt", "it", "nl"};
    return languages;
}

const StopWords& StopWords::Instance() {
    static const StopWords words;
    return words;
}

StopWords::StopWords() {
    for (const std::string& language : Languages()) {
        std::unordered_set<std::string>& list = m_lists.emplace_back();
        const std::string_view text = StopWordData(language);
        for (std::size_t at = 0; at < text.size();) {
            std::size_t end = text.find('\n', at);
            if (end == std::string_view::npos) end = text.size();
            std::string_view word = text.substr(at, end - at);
            while (!word.empty() && (word.back() == '\r' || word.back() == ' ')) word.remove_suffix(1);
            if (!word.empty()) list.emplace(word);
            at = end + 1;
        }
    }
}

const std::unordered_set<std::string>* StopWords::ListOf(std::string_view language) const {
    const std::vector<std::string>& languages = Languages();
    const auto found = std::find(languages.begin(), languages.end(), language.substr(0, 2));
    if (language.size() < 2 || found == languages.end()) return nullptr;
    return &m_lists[static_cast<std::size_t>(found - languages.begin())];
}

const std::unordered_set<std::string>* StopWords::Guess(const std::vector<std::string>& words) const {
    const std::unordered_set<std::string>* best = nullptr;
    std::size_t bestHits = 0;
    for (const std::unordered_set<std::string>& list : m_lists) {
        const auto hits = static_cast<std::size_t>(std::count_if(
            words.begin(), words.end(), [&list](const std::string& w) { return list.count(w) > 0; }));
        if (hits > bestHits) {
            best = &list;
            bestHits = hits;
        }
    }
    return best;
}

}  // namespace marlin
