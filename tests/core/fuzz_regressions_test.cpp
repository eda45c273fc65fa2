// Inputs the fuzz targets found, kept so the faults they exposed stay mended.

#include <gtest/gtest.h>

#include <string>

#include "core/skd_funcs.h"

namespace marlin {
namespace {

using namespace SKDFuncs;

// A sign in a numeric field made a non-date pass for one: "-3:08" read as a time three
// hours before midnight and came back from the service form as "-3:08:00".
TEST(FuzzRegressions, SignedFieldsAreNoDate) {
    EXPECT_FALSE(ReadDate("-3:08").has_value());
    EXPECT_FALSE(ReadDate("12:-5").has_value());
    EXPECT_FALSE(ReadDate("01/01/-1").has_value());
    EXPECT_FALSE(ReadDate("+1/01/2008").has_value());
    EXPECT_THROW(ToServiceDateTime("-3:08"), ConversionError);
    EXPECT_THROW(ToSPSSDateTime("01/01/-1 10:00:00"), ConversionError);
    // Unsigned fields still read as before.
    EXPECT_EQ(ToServiceDateTime("3:08"), "Sat Dec 30 03:08:00 0000 1899");
}

}  // namespace
}  // namespace marlin
