#include "core/byte_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>

namespace marlin::testing {
namespace {

// The search must find exactly what std::string_view::find finds, wherever the needle
// lies against the sixteen-byte steps: at the very end, across a step, repeated in part.
TEST(ByteSearchTest, FindsWhatAPlainSearchFinds) {
    std::mt19937 random(11);
    const std::string letters = "\"ab\\";  // few letters: many near misses
    for (int round = 0; round < 20000; ++round) {
        std::string text(random() % 70, ' ');
        for (char& c : text) c = letters[random() % letters.size()];
        std::string needle(random() % 6, ' ');
        for (char& c : needle) c = letters[random() % letters.size()];
        const std::size_t from = text.empty() ? 0 : random() % (text.size() + 1);
        const std::size_t expected = std::string_view(text).find(needle, from);
        const std::size_t found =
            ByteSearch::Find(text.data(), text.size(), from, needle.data(), needle.size());
        ASSERT_EQ(found, expected == std::string_view::npos ? text.size() : expected)
            << "text '" << text << "' needle '" << needle << "' from " << from;
    }
}

}  // namespace
}  // namespace marlin::testing
