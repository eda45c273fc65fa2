#include "emulator/json_writer.h"

#include <gtest/gtest.h>

namespace marlin::emulator {
namespace {

std::string Quoted(std::string_view text) {
    std::string out;
    JsonWriter::AppendQuoted(out, text);
    return out;
}

TEST(JsonWriterTest, EscapesLikeTheServiceDid) {
    EXPECT_EQ(Quoted("https://t.co/x"), R"("https:\/\/t.co\/x")");
    EXPECT_EQ(Quoted("say \"hi\" \\ {x}"), R"("say \"hi\" \\ {x}")");
    EXPECT_EQ(Quoted("a\nb\tc\x01"), R"("a\nb\tc\u0001")");
    // Everything outside ASCII as lower-case escapes; astral characters as surrogate pairs.
    EXPECT_EQ(Quoted("caf\u00e9 \u0391\u0416"), R"("caf\u00e9 \u0391\u0416")");
    EXPECT_EQ(Quoted("\U0001F600"), R"("\ud83d\ude00")");
    EXPECT_EQ(Quoted("&amp; <b>"), R"("&amp; <b>")");
}

TEST(JsonWriterTest, MalformedUtf8NeitherStopsNorOverrunsTheWriter) {
    EXPECT_EQ(Quoted("a\xC3"), R"("a\ufffd")");                 // cut short at the end
    EXPECT_EQ(Quoted("\xE2\x28\xA1z"), R"("\ufffd(\ufffdz")");  // a bad continuation byte
}

TEST(JsonWriterTest, WritesCompactNestedValuesInTheGivenOrder) {
    std::string out;
    JsonWriter json(out);
    json.BeginObject().Field("b", 1).Key("a").BeginArray().Int(-2).Double(51.5).Bool(true).Null().EndArray();
    json.Key("o").BeginObject().EndObject().Field("s", "x").EscapedKey("/search/tweets").Int(0).EndObject();
    EXPECT_EQ(out, R"({"b":1,"a":[-2,51.5,true,null],"o":{},"s":"x","\/search\/tweets":0})");
}

}  // namespace
}  // namespace marlin::emulator
