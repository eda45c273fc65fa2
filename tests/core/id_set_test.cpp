// The compact id set under the archive: numbers and texts alike, through growth and erasure.

#include "core/id_set.h"

#include <gtest/gtest.h>

#include <string>

namespace marlin::testing {
namespace {

TEST(IdSetTest, KeepsEveryIdThroughGrowthAndErasure) {
    IdSet ids;
    const auto id = [](int i) { return std::to_string(1'600'000'000'000'000'000ULL + (i * 4'194'304ULL)); };
    for (int i = 0; i < 5000; ++i) ASSERT_TRUE(ids.Insert(id(i)));
    for (const char* text : {"0", "007", "18446744073709551616", "x1"}) EXPECT_TRUE(ids.Insert(text));
    EXPECT_FALSE(ids.Insert(id(42)));
    EXPECT_FALSE(ids.Insert("007"));
    for (int i = 0; i < 5000; i += 2) ids.Erase(id(i));  // every other one: clusters must close up
    for (int i = 0; i < 5000; ++i) ASSERT_EQ(ids.Contains(id(i)), i % 2 == 1) << i;
    EXPECT_TRUE(ids.Contains("18446744073709551616"));
    EXPECT_FALSE(ids.Contains("7"));
    EXPECT_EQ(ids.Size(), 2504u);
}

}  // namespace
}  // namespace marlin::testing
