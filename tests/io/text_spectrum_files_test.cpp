#include "io/text_spectrum_files.h"

#include <gtest/gtest.h>

#include "support/spectrum_text_files.h"

namespace vortlan {
namespace {

using testing::c1sPairs;
using testing::leyboldFile;
using testing::leyboldRegion;
using testing::phiRegion;

TEST(TextSpectrumFiles, CountsAndFieldsThatCannotBeReadFail) {
    for (const std::string count : {"Regions=-1", "Regions=40000", "Regions=two"}) {
        const MultiRegionText bad = readLeyboldText("Sample\n" + count + "\n" + leyboldRegion("C 1s", 3));
        EXPECT_TRUE(bad.failed && !bad.unfinished) << count;
        EXPECT_EQ(bad.description, "Sample");
    }
    EXPECT_TRUE(readLeyboldText(leyboldFile({leyboldRegion("C 1s", 0)})).failed);
    EXPECT_TRUE(readLeyboldText(leyboldFile({"x,\"C 1s\"\nPoints=1\nnear 12\n"})).failed);
    const MultiRegionText numeric =
        readPhiText("2024,sputtered\n" + phiRegion("C 1s", 280.0, 0.1, 3).substr(19));
    EXPECT_TRUE(numeric.failed && numeric.unfinished);
    EXPECT_TRUE(readAsciiText("280.0 100\nEnd of data\n").failed);
    EXPECT_TRUE(readAsciiText("280.0 100\n279.5\n").failed);
}

TEST(TextSpectrumFiles, AsciiHeadingsSeparatorsAndLimit) {
    const AsciiText file = readAsciiText(
        "Binding Energy (eV); Intensity\n\n\"C 1s\"\n280.0;100\n280.5 ,  110\n281.0\t120\n 281.5 130 282.0 "
        "140\n\n\n");
    EXPECT_FALSE(file.failed || file.reachedLimit);
    EXPECT_EQ(file.spectrum.energy, (std::vector<float>{282.0f, 281.5f, 281.0f, 280.5f, 280.0f}));
    EXPECT_EQ(file.spectrum.counts, (std::vector<float>{140, 130, 120, 110, 100}));
    EXPECT_TRUE(readAsciiText("Energy Counts\n").spectrum.energy.empty());
    EXPECT_TRUE(readAsciiText(c1sPairs(5000) + "not read\n").reachedLimit);
    EXPECT_FALSE(readAsciiText(c1sPairs(4999)).reachedLimit);
}

TEST(TextSpectrumFiles, AsciiSeparatorLineOfAMillionDashes) {
    const std::string separator(1 << 20, '-');
    const AsciiText headed = readAsciiText("Energy Counts\n" + separator + "\n" + c1sPairs(3));
    EXPECT_FALSE(headed.failed);
    EXPECT_EQ(headed.spectrum.energy.size(), 3u);
    EXPECT_TRUE(readAsciiText(c1sPairs(3) + separator + "\n" + c1sPairs(3)).failed);
}

}  // namespace
}  // namespace vortlan
