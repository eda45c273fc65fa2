#include "core/skd_funcs.h"

#include <gtest/gtest.h>

#include <string>

#include "core/code_page.h"
#include "platform/testing/scripted_toolkit.h"
#include "test_support.h"

namespace marlin {
namespace {

using namespace SKDFuncs;

TEST(DateTimeTexts, ServiceTextToLocal) {
    EXPECT_EQ(ToLocalDateTime("Wed Aug 27 13:08:45 +0000 2008"), "27/08/2008 13:08:45");
    // The whole year is read: a tweet from 2030 on is not taken for one from 1930.
    EXPECT_EQ(ToLocalDateTime("Tue Jan 01 00:00:00 +0000 2030"), "01/01/2030 00:00:00");
    EXPECT_EQ(ToLocalDateTime("Wed Aug 27 13:08:45 0000 2108"), "27/08/2108 13:08:45");
    // Fields run over as a date built from them does.
    EXPECT_EQ(ToLocalDateTime("Sat Feb 30 23:59:59 +0000 2008"), "01/03/2008 23:59:59");
    EXPECT_EQ(ToLocalDateTime(""), "");
}

TEST(DateTimeTexts, OtherFormsToLocal) {
    EXPECT_EQ(ToLocalDateTime("27-Aug-2008 13:08:45"), "27/08/2008 13:08:45");
    EXPECT_EQ(ToLocalDateTime("27-08-2008"), "27/08/2008 00:00:00");
    EXPECT_EQ(ToLocalDateTime("27/08/2008 13:08:45"), "27/08/2008 13:08:45");
    EXPECT_EQ(ToLocalDateTime("27/08/08 13:08:45"), "27/08/08 13:08:45");  // left as it stands
}

TEST(DateTimeTexts, TextsThatAreNotDatesRaise) {
    EXPECT_THROW(ToLocalDateTime("Wed Foo 27 13:08:45 +0000 2008"), ConversionError);
    EXPECT_THROW(ToLocalDateTime("Wed Aug 2x 13:08:45 +0000 2008"), ConversionError);
    EXPECT_THROW(ToLocalDateTime("Wed Aug 27"), ConversionError);
    EXPECT_THROW(ToLocalDateTime("27-Foo-2008 13:08:45"), ConversionError);
    EXPECT_THROW(ToServiceDateTime("99/99/2008 13:08:45"), ConversionError);
}

TEST(DateTimeTexts, LocalToServiceAndSPSS) {
    EXPECT_EQ(ToServiceDateTime("27/08/2008 13:08:45"), "Wed Aug 27 13:08:45 0000 2008");
    EXPECT_EQ(ToServiceDateTime("Sun Jan 05 07:00:09 +0000 2031"), "Sun Jan 05 07:00:09 0000 2031");
    EXPECT_EQ(ToSPSSDateTime("Wed Aug 27 13:08:45 +0000 2008"), "27-Aug-2008 13:08:45");
    EXPECT_EQ(ToSPSSDateTime("05/12/2019 00:00:00"), "05-Dec-2019 00:00:00");
    EXPECT_EQ(ToServiceDateTime("27/08/2008"), "");
    EXPECT_EQ(ToSPSSDateTime("12/05/2019"), "");
}

TEST(DateTimeTexts, ReadDateInTheLocalConventions) {
    EXPECT_EQ(ToDate("01/02/2030"), (DateValue{2030, 2, 1, 0, 0, 0}));
    EXPECT_EQ(ToDate("1/2/29 7:05 pm"), (DateValue{2029, 2, 1, 19, 5, 0}));
    EXPECT_EQ(ToDate("1/2/30"), (DateValue{1930, 2, 1, 0, 0, 0}));
    EXPECT_EQ(ToDate("27-August-2008 13:08"), (DateValue{2008, 8, 27, 13, 8, 0}));
    EXPECT_FALSE(ReadDate("29/02/2007").has_value());
    EXPECT_FALSE(ReadDate("27/08/2008 25:00:00").has_value());
    EXPECT_FALSE(ReadDate("hello").has_value());
}

TEST(DateNames, DaysAndMonths) {
    EXPECT_EQ(DayName("27/08/2008", true), "Wed");
    EXPECT_EQ(DayName("31/08/2008 10:00:00", false), "Sunday");
    EXPECT_EQ(DayName("not a date", true), "");
    std::string month = "8";
    EXPECT_EQ(MonthName(month, true), "Aug");
    EXPECT_EQ(month, "08");
    EXPECT_EQ(MonthName("12", false), "December");
    EXPECT_EQ(MonthName("13", false), "");
    EXPECT_EQ(MonthNumber("Jan"), "01");
    EXPECT_EQ(MonthNumber("Dec"), "12");
    EXPECT_EQ(MonthNumber("dec"), "");
}

TEST(PadNumberTest, PadsOnlyPlainNumbers) {
    std::string text = " 42 ";
    EXPECT_EQ(PadNumber(text, 6), "    42");
    EXPECT_EQ(text, "42");
    EXPECT_EQ(PadNumber("0", 3), "  0");
    EXPECT_EQ(PadNumber("-5", 6), "-5");
    EXPECT_EQ(PadNumber("007", 6), "007");
    EXPECT_EQ(PadNumber("word", 6), "word");
    EXPECT_EQ(PadNumber("1234567", 6), "1234567");
}

TEST(UrlEncodeTest, EncodesAllButLettersAndDigits) {
    EXPECT_EQ(UrlEncode("a b#c"), "a%20b%23c");
    EXPECT_EQ(UrlEncode("-._~"), "%2D%2E%5F%7E");
    // Non-ASCII characters go as their UTF-8 bytes, which is what the service reads.
    EXPECT_EQ(UrlEncode("caf\xC3\xA9 \xE2\x82\xAC"), "caf%C3%A9%20%E2%82%AC");
}

TEST(Placeholders, TableRows) {
    EXPECT_EQ(UnicodePlaceholder("\\u0000"), "");
    EXPECT_EQ(UnicodePlaceholder("\\u00e9"), "\xC3\xA9");
    EXPECT_EQ(UnicodePlaceholder("\\u0080"), "\xE2\x82\xAC");  // the Western code page's euro sign
    EXPECT_EQ(UnicodePlaceholder("\\u2014"), "[-]");
    EXPECT_EQ(UnicodePlaceholder("\\u201C"), "\"");
    EXPECT_EQ(UnicodePlaceholder("\\u2665"), "[<3]");
    EXPECT_EQ(UnicodePlaceholder("\\u2764"), "[<3]");
    EXPECT_EQ(UnicodePlaceholder("\\u0410"), "[cyr]");
    EXPECT_EQ(UnicodePlaceholder("\\u0e01"), "[th]");
    EXPECT_EQ(UnicodePlaceholder("\\u27bf"), "[?]");
    EXPECT_EQ(UnicodePlaceholder("\\u27c0"), "");
    EXPECT_EQ(UnicodePlaceholder("\\u7fff"), "");
    // From 8000 up, surrogate halves among them, the character shows as unknown.
    EXPECT_EQ(UnicodePlaceholder("\\u8000"), "[?]");
    EXPECT_EQ(UnicodePlaceholder("\\ud83d"), "[?]");
    EXPECT_EQ(UnicodePlaceholder("\\uffff"), "[?]");
    EXPECT_EQ(UnicodePlaceholder("\\u12zz"), "");
}

TEST(ReplaceEscapesTest, CleansServiceTexts) {
    EXPECT_EQ(ReplaceEscapes("Caf\\u00e9 \\u2026 \\u2764 \\u0627"), "Caf\xC3\xA9 [...] [<3] [ar]");
    EXPECT_EQ(ReplaceEscapes("AT&amp;T"), "AT&T");
    EXPECT_EQ(ReplaceEscapes("https:\\/\\/t.co\\/x"), "https://t.co/x");
    EXPECT_EQ(ReplaceEscapes("hi \\ud83d\\ude00!"), "hi [?][?]!");
    EXPECT_EQ(ReplaceEscapes("\\u27c0gone\\u0000"), "gone");
    EXPECT_EQ(ReplaceEscapes("\\u2026a\\u2026b\\u00e9\\u2026"), "[...]a[...]b\xC3\xA9[...]");
    EXPECT_EQ(ReplaceEscapes("short \\u12"), "short u12");
}

// A TAB, CR or LF in a cell would shift the columns of a saved table or split its row.
TEST(ReplaceEscapesTest, EveryControlCharacterBecomesOneBlank) {
    const struct {
        const char* text;
        const char* cleaned;
    } cases[] = {
        {"a\\u0009b", "a b"},
        {"\\u000d\\u000a", "  "},
        {"x\\u0001\\u001Fy\\u007f", "x  y "},
        {"a\tb\r\nc\x01\x1f\x7f", "a b  c   "},      // sent raw
        {"a\\nb\\r\\tc", "a b  c"},                  // each escape one blank
        {"\\u0020\\u0000\\u0080", " \xE2\x82\xAC"},  // blank, nothing, the euro sign
        {"caf\xC3\xA9", "caf\xC3\xA9"},              // UTF-8 bytes are not control codes
    };
    for (const auto& c : cases) EXPECT_EQ(ReplaceEscapes(c.text), c.cleaned) << c.text;
    EXPECT_EQ(UnicodePlaceholder("\\u0009"), " ");
    EXPECT_EQ(BlankControlCharacters("\t1\n2\x7f"), " 1 2 ");
}

// What one escape yields is never read as part of another.
TEST(ReplaceEscapesTest, DecodesEachEscapeOnce) {
    const struct {
        const char* text;
        const char* cleaned;
    } cases[] = {
        {R"(that\ndata)", "that data"},
        {R"(C:\\temp\\)", R"(C:\temp\)"},
        {R"(\\u0041 \u005Cu0041)", R"(\u0041 \u0041)"},
        {R"(say \"hi\" \/ \hi\)", R"(say "hi" / hi)"},  // a lone backslash is the reader's
        {R"(\u0026amp; end\)", "& end"},
    };
    for (const auto& c : cases) EXPECT_EQ(ReplaceEscapes(c.text), c.cleaned) << c.text;
}

TEST(ReplaceEscapesTest, YieldsOncePerCode) {
    testing::ScriptedToolkit toolkit;
    ReplaceEscapes("\\u2026 \\u2026 \\u00e9", toolkit.Yielder());
    EXPECT_EQ(toolkit.doEventsCount, 2);
}

TEST(Numbers, LeadingNumberAndRounding) {
    EXPECT_EQ(LeadingNumber("123,\"x\""), 123);
    EXPECT_EQ(LeadingNumber(" -12.5e1x"), -125);
    EXPECT_EQ(LeadingNumber("null"), 0);
    EXPECT_EQ(RoundHalfEven(5.5), 6);
    EXPECT_EQ(RoundHalfEven(4.5), 4);
    EXPECT_EQ(RoundHalfEven(-3.5), -4);
    EXPECT_EQ(RoundHalfEven(1e12), 2147483647);
}

TEST(FileExistsTest, FilesOnly) {
    testing::TempFolder folder;
    testing::WriteFileBytes(folder / "prefs", "x");
    EXPECT_TRUE(FileExists((folder / "prefs").string()));
    EXPECT_FALSE(FileExists(folder.path().string()));
    EXPECT_FALSE(FileExists((folder / "missing").string()));
}

TEST(CodePageTest, Windows1252AtTheFileBoundary) {
    EXPECT_EQ(CodePage::ToWindows1252("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xE9 \x80");
    EXPECT_EQ(CodePage::ToWindows1252("\xE6\x97\xA5 \xF0\x9F\x98\x80"), "? ?");  // not in the code page
    EXPECT_EQ(CodePage::ToWindows1252("bad \xC3 byte"), "bad ? byte");
    EXPECT_EQ(CodePage::FromWindows1252("caf\xE9 \x80\x96"), "caf\xC3\xA9 \xE2\x82\xAC\xE2\x80\x93");
    std::string every;
    for (int b = 1; b < 256; ++b) every += static_cast<char>(b);
    EXPECT_EQ(CodePage::ToWindows1252(CodePage::FromWindows1252(every)), every);
    for (std::size_t at = 0; at <= 17; ++at)  // a character at each place of the words read at once
        EXPECT_EQ(CodePage::FromWindows1252(std::string(at, 'a') + "\xE9" + std::string(17 - at, 'b')),
                  std::string(at, 'a') + "\xC3\xA9" + std::string(17 - at, 'b'));
}

}  // namespace
}  // namespace marlin
