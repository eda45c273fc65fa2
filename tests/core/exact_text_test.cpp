// Texts kept exactly: each JSON escape decoded once, every character kept; and back to the
// placeholders the documented clean-up gives, for the scorer.
#include <gtest/gtest.h>

#include "core/exact_text.h"
#include "core/skd_funcs.h"

namespace marlin {
namespace {

TEST(ExactTextTest, EachEscapeIsDecodedOnceAndOnlyControlCodesBecomeBlanks) {
    struct Case {
        const char* body;
        const char* text;
    };
    const Case cases[] = {
        {R"(that\ndata\r\tend)", "that data  end"},
        {R"(C:\\temp\\new)", "C:\\temp\\new"},
        {R"(she said \"no\" \/ [x])", "she said \"no\" / [x]"},
        {R"(\u041f\u0440\u0438 Caf\u00e9)", "При Café"},
        {R"(\ud83d\ude00 \u2764\ufe0f)", "\U0001F600 \u2764\uFE0F"},
        {R"(lone \ud83d end \u0000.)", "lone \uFFFD end ."},
        {R"(AT&amp;T &lt;3)", "AT&T &lt;3"},
        {"raw\ttab", "raw tab"},
    };
    for (const Case& c : cases) EXPECT_EQ(ExactText::Decode(c.body), c.text) << c.body;
}

TEST(ExactTextTest, TheStringElementIsReadByItsOwnQuotesAndPlaceholdersMatchTheCleanUp) {
    const std::string object = R"("id_str":"1","full_text":"a \"quoted\" \\ end","text":"x")";
    EXPECT_EQ(ExactText::StringElement(object, "full_text"), "a \"quoted\" \\ end");
    EXPECT_EQ(ExactText::StringElement(R"("full_text":null)", "full_text"), std::nullopt);
    EXPECT_EQ(ExactText::StringElement(object, "name"), std::nullopt);

    const std::string escaped = R"(\u041f \ud83d\ude00 \u2026 Caf\u00e9 \u201cq\u201d)";
    EXPECT_EQ(ExactText::WithPlaceholders(ExactText::Decode(escaped)), SKDFuncs::ReplaceEscapes(escaped));
}

}  // namespace
}  // namespace marlin
