#include "io/text_fields.h"

#include <gtest/gtest.h>

namespace vortlan {
namespace {

TEST(FieldReader, FieldsEndAtTheirDelimitersWithEitherLineEnd) {
    for (const char* eol : {"\n", "\r\n"}) {
        FieldReader in(std::string("\"Sample, cleaned\",Regions=2") + eol + "  C 1s , 12" + eol + "285.5\t1200 -3e2" + eol);
        EXPECT_EQ(in.readText(), "Sample, cleaned");
        EXPECT_EQ(in.readText(), "Regions=2");
        EXPECT_EQ(std::get<std::string>(in.readFree()), "C 1s");
        EXPECT_EQ(in.readShort(), 12);
        EXPECT_EQ(std::get<double>(in.readFree()), 285.5);
        EXPECT_EQ(in.readNumber(), 1200.0);
        EXPECT_EQ(in.readNumber(), -300.0);
        EXPECT_TRUE(in.atEnd());
        EXPECT_THROW(in.readNumber(), FieldError);
    }
}

TEST(FieldReader, NumbersMustBeWholeAndFitTheirType) {
    FieldReader text("12abc 40000 7");
    EXPECT_THROW(text.readNumber(), FieldError);
    FieldReader big("40000 7");
    EXPECT_THROW(big.readShort(), FieldError);
    FieldReader last("7");  // no line end after the last field
    EXPECT_EQ(last.readShort(), 7);
    EXPECT_TRUE(last.atEnd());
}

TEST(FieldReader, LinesAndUnclosedQuotes) {
    FieldReader lines("VAMAS Surface Chemical Analysis Standard\r\nline, with comma\nlast");
    EXPECT_EQ(lines.readLine(), "VAMAS Surface Chemical Analysis Standard");
    EXPECT_EQ(lines.readLine(), "line, with comma");
    EXPECT_EQ(lines.readLine(), "last");
    EXPECT_THROW(lines.readLine(), FieldError);
    FieldReader quote("\"never closed");
    EXPECT_THROW(quote.readText(), FieldError);
}

// A separator line of a million signs is text, and deciding so takes no stack for each sign.
TEST(FieldReader, LongRunOfSignsIsText) {
    const std::string dashes(1 << 20, '-');
    FieldReader in(dashes + "\n-+-7\n");
    EXPECT_EQ(std::get<std::string>(in.readFree()), dashes);
    EXPECT_THROW(in.readFree(), FieldError);  // signs before a digit begin like a number, and are not one
}

}  // namespace
}  // namespace vortlan
