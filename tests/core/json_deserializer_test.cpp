#include "core/json_deserializer.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <stdexcept>
#include <string>

#include "platform/testing/scripted_toolkit.h"

namespace marlin {
namespace {

using testing::ScriptedToolkit;

class JSONDeserializerTest : public ::testing::Test {
  protected:
    ScriptedToolkit toolkit;
    JSONDeserializer reader{toolkit.Yielder()};
};

constexpr const char* kNested = R"({"a":{"b":1},"c":[{"d":2},{"e":3}]})";

TEST_F(JSONDeserializerTest, ShortTextsAreNotRead) {
    EXPECT_FALSE(reader.Read("[]", false));
    EXPECT_FALSE(reader.Read(R"({"a":1})", false));  // 7 characters
    EXPECT_EQ(reader.ObjectCount(), 0);
}

TEST_F(JSONDeserializerTest, ListsObjectsWithNamesLevelsAndParents) {
    ASSERT_TRUE(reader.Read(kNested, false));
    ASSERT_EQ(reader.ObjectCount(), 4);
    const char* names[] = {"", "", "a", "c", "c"};
    const int levels[] = {0, 1, 2, 2, 2};
    const int parents[] = {0, 0, 1, 1, 1};
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(reader.ObjectName(k), names[k]) << k;
        EXPECT_EQ(reader.ObjectLevel(k), levels[k]) << k;
        EXPECT_EQ(reader.ObjectParent(k), parents[k]) << k;
    }
    EXPECT_EQ(reader.ObjectText(3), R"("d":2)");
    EXPECT_EQ(reader.ObjectCount("c"), 2);
    // Entry count + 1 is an empty entry; beyond it is an error.
    EXPECT_EQ(reader.ObjectName(5), "");
    EXPECT_EQ(reader.ObjectLevel(5), 0);
    EXPECT_THROW(reader.ObjectName(6), std::out_of_range);
    EXPECT_THROW(reader.GetElementInObject(-1, "a"), std::out_of_range);
}

TEST_F(JSONDeserializerTest, IgnoringTheTopLevelStretchesEntryOneToTheEnd) {
    ASSERT_TRUE(reader.Read(kNested, true));
    ASSERT_EQ(reader.ObjectCount(), 3);
    EXPECT_EQ(reader.ObjectName(1), "a");
    EXPECT_EQ(reader.ObjectName(3), "c");
    for (int k = 1; k <= 3; ++k) EXPECT_EQ(reader.ObjectLevel(k), 1);
    EXPECT_EQ(reader.ObjectParent(1), 0);
    EXPECT_EQ(reader.ObjectParent(3), 1);
    // The outermost closing brace is given to entry 1.
    EXPECT_EQ(reader.ObjectText(1), R"("b":1},"c":[{"d":2},{"e":3}])");
    // ... while the searches within its own braces stop at its real end.
    EXPECT_EQ(reader.GetElementInObject(1, "c"), "{},{}");
    EXPECT_EQ(reader.GetElementWithinObject(1, "c"), "");
    EXPECT_EQ(reader.GetElementWithinObject(1, "b"), "1");
}

TEST_F(JSONDeserializerTest, TextWithoutBraces) {
    EXPECT_TRUE(reader.Read("no objects here at all", true));
    EXPECT_EQ(reader.ObjectCount(), 0);
    JSONDeserializer other(toolkit.Yielder());
    EXPECT_FALSE(other.Read("no objects here at all", false));
}

TEST_F(JSONDeserializerTest, OwnTextLeavesOutDirectChildrenOnly) {
    // Children after a grandchild stay in the parent's own text.
    ASSERT_TRUE(reader.Read(R"({"x":1,"p":{"q":{"r":2}},"s":{"t":3},"u":4})", false));
    EXPECT_EQ(reader.OwnText(1), R"("x":1,"p":{},"s":{"t":3},"u":4)");
    EXPECT_EQ(reader.GetElementInObject(1, "t"), "3}");
}

TEST_F(JSONDeserializerTest, EmptyChildObjectLeavesTheParentAlone) {
    ASSERT_TRUE(reader.Read(R"({"a":{},"b":{},"id":7,"c":{"d":1}})", false));
    EXPECT_EQ(reader.ObjectCount(), 4);
    EXPECT_EQ(reader.OwnText(1), R"("a":{},"b":{},"id":7,"c":{})");
    EXPECT_EQ(reader.GetElementInObject(1, "id"), "7");
}

TEST_F(JSONDeserializerTest, BracesInsideStringsAreText) {
    const std::string text =
        R"([{"text":"smile :-} or {:-( \"{\" and \\","id_str":"1","user":{"screen_name":"a"}},)"
        R"({"text":"plain","id_str":"2","user":{"screen_name":"b"}}])";
    ASSERT_TRUE(reader.Read(text, false));
    ASSERT_EQ(reader.ObjectCount(), 4);
    EXPECT_EQ(reader.ObjectName(2), "user");
    EXPECT_EQ(reader.ObjectLevel(3), 1);
    EXPECT_EQ(reader.ObjectParent(4), 3);
    EXPECT_EQ(reader.GetElementInObject(1, "id_str"), "1");
    EXPECT_EQ(reader.GetElementInObject(3, "id_str"), "2");
    EXPECT_EQ(reader.GetElementInObject(4, "screen_name"), "b");
}

TEST_F(JSONDeserializerTest, ListGrowsPastTenThousandObjects) {
    std::string text = "[";
    for (int i = 0; i < 12000; ++i) {
        if (i > 0) text += ',';
        text += R"({"id":)";
        text += std::to_string(i);
        text += '}';
    }
    text += "]";
    ASSERT_TRUE(reader.Read(text, false));
    EXPECT_EQ(reader.ObjectCount(), 12000);
    EXPECT_EQ(reader.GetElementInObject(11999, "id"), "11998");
}

TEST_F(JSONDeserializerTest, NestingDeeperThan255IsUnreadable) {
    auto nested = [](int depth) {
        std::string text;
        for (int i = 0; i < depth; ++i) text += R"({"a":)";
        text += "1";
        for (int i = 0; i < depth; ++i) text += "}";
        return text;
    };
    EXPECT_TRUE(reader.Read(nested(255), false));
    JSONDeserializer deeper(toolkit.Yielder());
    EXPECT_FALSE(deeper.Read(nested(256), false));
    EXPECT_EQ(deeper.ObjectCount(), 255);  // what was built is kept
}

TEST_F(JSONDeserializerTest, ElementValuesComeBackRaw) {
    ASSERT_TRUE(reader.Read(
        R"({"created_at":"x","text":"say \"hi\"","id":5,"indices":[3,10],"url":"http:\/\/a.b","n":42})",
        false));
    EXPECT_EQ(reader.GetElementInObject(1, "text"), R"(say \hi\)");
    EXPECT_EQ(reader.GetElementInObject(1, "indices"), "3,10");
    EXPECT_EQ(reader.GetElementInObject(1, "id"), "5");
    EXPECT_EQ(reader.GetElementInObject(1, "url"), R"(http:\/\/a.b)");
    EXPECT_EQ(reader.GetElementInObject(1, "n"), "42");  // no terminator: the rest of the text
    EXPECT_EQ(reader.GetElementInObject(1, "missing"), "");
    EXPECT_GT(toolkit.doEventsCount, 0);  // yields between terminator searches and in the scan
}

TEST_F(JSONDeserializerTest, ElementSearchIsNotAnchoredAtTheKey) {
    ASSERT_TRUE(reader.Read(R"({"user_id":"9","id":"5","xyz":1})", false));
    EXPECT_EQ(reader.GetElementInObject(1, "id"), "9");
}

TEST_F(JSONDeserializerTest, AllElementsHaveAnEmptySlotZero) {
    ASSERT_TRUE(reader.Read(R"({"a":"x","b":1,"a":"y","c":2})", false));
    const auto all = reader.GetAllElementsInObject(1, "a");
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0], "");
    EXPECT_EQ(all[1], "x");
    EXPECT_EQ(all[2], "y");
    EXPECT_TRUE(reader.GetAllElementsInObject(1, "zz").empty());
    EXPECT_EQ(reader.GetLastElementInObject(1, "a"), "y");
    EXPECT_EQ(reader.GetLastElementInObject(1, "zz"), "");
}

TEST_F(JSONDeserializerTest, ObjectIndexAndLastChild) {
    ASSERT_TRUE(reader.Read(kNested, false));
    EXPECT_EQ(reader.ObjectIndex("c", 1), 3);
    EXPECT_EQ(reader.ObjectIndex("c", 2), 0);  // the match is the last entry
    EXPECT_EQ(reader.ObjectIndex("a", 2), 0);
    EXPECT_EQ(reader.LastChild(1), 4);
    EXPECT_EQ(reader.LastChild(2), 2);  // no deeper followers: its own index
    EXPECT_EQ(reader.LastChild(0), 0);
}

// Heap bytes in use (glibc's count, large blocks included).
std::size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Besides the text, the reader keeps about 24 bytes an object, however many objects a
// page holds and however many of them are searched: a page of small objects must not
// take many times its own size.
TEST_F(JSONDeserializerTest, KeepsFewBytesPerObjectBesidesTheText) {
    constexpr int kObjects = 200'000;
    std::string text = R"({"list":[)";
    for (int i = 0; i < kObjects; ++i) text += i == 0 ? R"({"a":1})" : R"(,{"a":1})";
    text += "]}";
    const std::size_t before = HeapInUse();
    {
        JSONDeserializer paged(toolkit.Yielder());
        ASSERT_TRUE(paged.ReadBorrowed(text, false));
        ASSERT_EQ(paged.ObjectCount(), kObjects + 1);
        for (int k = 2; k <= kObjects + 1; ++k) ASSERT_EQ(paged.GetElementInObject(k, "a"), "1");
        const double perObject = static_cast<double>(HeapInUse() - before) / kObjects;
        EXPECT_LE(perObject, 40) << "bytes per object";
    }
}

}  // namespace
}  // namespace marlin
