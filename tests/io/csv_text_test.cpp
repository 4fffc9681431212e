#include "io/csv_text.h"

#include <gtest/gtest.h>

namespace vortlan {
namespace {

TEST(CsvText, OnlyAFieldThatNeedsItIsQuotedWithItsQuotesDoubled) {
    EXPECT_EQ(csvField("c1s.vms"), "c1s.vms");
    EXPECT_EQ(csvField("not determined"), "not determined");
    EXPECT_EQ(csvField("a,b"), "\"a,b\"");
    EXPECT_EQ(csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(csvField("two\nlines"), "\"two\nlines\"");
    EXPECT_EQ(csvField("end\r"), "\"end\r\"");
}

TEST(CsvText, ALineEndsWithALineFeedAndKeepsEmptyFields) {
    EXPECT_EQ(csvLine({"region", "peak", "x,y"}), "region,peak,\"x,y\"\n");
    EXPECT_EQ(csvLine({"1", "", ""}), "1,,\n");
    EXPECT_EQ(csvLine({}), "\n");
}

}  // namespace
}  // namespace vortlan
