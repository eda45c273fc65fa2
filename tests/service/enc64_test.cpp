#include "service/enc64.h"

#include <gtest/gtest.h>

#include <string>

namespace marlin {
namespace {

std::string Repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

TEST(Enc64Test, EncodesWholeGroupsAndPadsTheCallersText) {
    std::string abc = "abc";
    EXPECT_EQ(Base64Encode(abc), "YWJj");
    EXPECT_EQ(abc, "abc");

    std::string ab = "ab";
    EXPECT_EQ(Base64Encode(ab), "YWI=");
    EXPECT_EQ(ab, std::string("ab\0", 3));

    std::string a = "a";
    EXPECT_EQ(Base64Encode(a), "YQ==");
    EXPECT_EQ(a, std::string("a\0\0", 3));

    std::string empty;
    EXPECT_EQ(Base64Encode(empty), "");
}

TEST(Enc64Test, BreaksTheOutputAfterEvery54InputBytes) {
    // 54 bytes make exactly one 72-character line, which is closed with CR LF.
    std::string full = Repeat("aaa", 18);
    EXPECT_EQ(Base64Encode(full), Repeat("YWFh", 18) + "\r\n");

    // 53 bytes are padded to 54: the "=" goes on the data, not on the line break.
    std::string padded = Repeat("a", 53);
    EXPECT_EQ(Base64Encode(padded), Repeat("YWFh", 17) + "YWE=\r\n");

    std::string twoPads = Repeat("a", 52);
    EXPECT_EQ(Base64Encode(twoPads), Repeat("YWFh", 17) + "YQ==\r\n");

    std::string longer = Repeat("aaa", 19);
    EXPECT_EQ(Base64Encode(longer), Repeat("YWFh", 18) + "\r\nYWFh");

    EXPECT_EQ(Base64EncodeSingleLine(Repeat("a", 53)), Repeat("YWFh", 17) + "YWE=");
}

TEST(Enc64Test, DecodesIgnoringLineBreaksAndRejectsBadLengths) {
    EXPECT_EQ(Base64Decode("YWI="), "ab");
    EXPECT_EQ(Base64Decode("YQ=="), "a");
    EXPECT_EQ(Base64Decode("YW\r\nJj"), "abc");
    EXPECT_EQ(Base64Decode(""), "");

    try {
        Base64Decode("YWJ");
        FAIL() << "a length that is not a multiple of 4 must be reported";
    } catch (const Base64Error& error) {
        EXPECT_STREQ(error.what(), "Input string is not valid Base64.");
        EXPECT_EQ(error.Number(), -2147221504);
        EXPECT_STREQ(error.Source(), "MyDecode");
    }
}

TEST(Enc64Test, RoundTripsMultiLineOutputAndUsesTheSingleByteCodePage) {
    const std::string text =
        "Marlin Demo\r\nconsumer-key-0123456789\r\nconsumer-secret-abcdefghijklmnopqrstuvwxyz";
    std::string copy = text;
    EXPECT_EQ(Base64Decode(Base64Encode(copy)), text);

    // One byte per character on the wire: "é" is E9 in Windows-1252, not C3 A9.
    std::string accented = "\xC3\xA9";
    EXPECT_EQ(Base64Encode(accented), "6Q==");
    EXPECT_EQ(Base64Decode("6Q=="), "\xC3\xA9");
}

}  // namespace
}  // namespace marlin
