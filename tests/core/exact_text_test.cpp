// The scorer reads exact texts in the form the documented clean-up gives the same escapes.
#include <gtest/gtest.h>

#include "core/exact_text.h"
#include "core/skd_funcs.h"

namespace marlin {
namespace {

TEST(ExactTextTest, PlaceholdersOfADecodedTextAreThoseOfTheCleanUp) {
    const std::string escaped = R"(\u041f \ud83d\ude00 \u2665 Caf\u00e9 AT&amp;T)";
    EXPECT_EQ(ExactText::WithPlaceholders(ExactText::Decode(escaped)), SKDFuncs::ReplaceEscapes(escaped));
}

}  // namespace
}  // namespace marlin
