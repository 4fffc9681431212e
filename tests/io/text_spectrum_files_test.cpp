#include "io/text_spectrum_files.h"

#include <gtest/gtest.h>

#include "support/spectrum_text_files.h"

namespace vortlan {
namespace {

using testing::c1sPairs;
using testing::leyboldFile;
using testing::leyboldRegion;
using testing::phiRegion;

TEST(LeyboldText, RegionsWithCaptionsInEitherOrderAndAtMost5000Points) {
    const MultiRegionText file = readLeyboldText(
        leyboldFile({leyboldRegion("C 1s", 3), leyboldRegion("O 1s", 6000, true), leyboldRegion("N 1s", 2)}));
    EXPECT_FALSE(file.failed);
    EXPECT_EQ(file.description, "Sample A, as received");
    ASSERT_EQ(file.regions.size(), 3u);
    EXPECT_EQ(file.regions[0].spectrum.caption, "C 1s");
    EXPECT_EQ(file.regions[0].spectrum.energy, (std::vector<float>{292.0f, 291.9f, 291.8f}));
    // The rising region keeps its first 5000 points as listed, turned round: 5000 points from -307.9 eV.
    const TextRegion& rising = file.regions[1];
    EXPECT_EQ(rising.announcedPoints, 6000);
    ASSERT_EQ(rising.spectrum.energy.size(), 5000u);
    EXPECT_EQ(rising.spectrum.energy.front(), 192.0f);
    EXPECT_EQ(rising.spectrum.energy.back(), -307.9f);
    EXPECT_EQ(file.regions[2].spectrum.caption, "N 1s");
    EXPECT_EQ(file.regions[2].spectrum.counts.size(), 2u);
}

TEST(LeyboldText, ErrorsKeepTheRegionsBeforeThemAndNeverReadAnEleventh) {
    const MultiRegionText cut = readLeyboldText(
        leyboldFile({leyboldRegion("C 1s", 3), leyboldRegion("O 1s", 7000) + "oops 12\n"}).substr(0, 200));
    EXPECT_TRUE(cut.failed);
    EXPECT_EQ(cut.regions.size(), 1u);
    ASSERT_TRUE(cut.unfinished);
    EXPECT_EQ(cut.unfinished->announcedPoints, 7000);

    for (const std::string count : {"Regions=-1", "Regions=40000", "Regions=two"}) {
        const MultiRegionText bad = readLeyboldText("Sample\n" + count + "\n" + leyboldRegion("C 1s", 3));
        EXPECT_TRUE(bad.failed) << count;
        EXPECT_EQ(bad.description, "Sample");
        EXPECT_FALSE(bad.unfinished);
    }
    EXPECT_TRUE(readLeyboldText(leyboldFile({leyboldRegion("C 1s", 0)})).failed);
    EXPECT_TRUE(readLeyboldText(leyboldFile({"x,\"C 1s\"\nPoints=1\nnear 12\n"})).failed);

    const std::vector<std::string> eleven(11, leyboldRegion("C 1s", 2));
    std::string file = leyboldFile(eleven);
    file += "broken";
    const MultiRegionText ten = readLeyboldText(file);
    EXPECT_FALSE(ten.failed);
    EXPECT_EQ(ten.regions.size(), 10u);
}

TEST(PhiText, RecordsUpToTheEndWithEnergiesFromStartAndStep) {
    const MultiRegionText file = readPhiText(phiRegion("C 1s", 280.0, 0.1, 201) + phiRegion("O 1s", 540.0, -0.5, 3) +
                                             "\r\n\r\n");
    EXPECT_FALSE(file.failed);
    ASSERT_EQ(file.regions.size(), 2u);
    const TextRegion& c1s = file.regions[0];
    EXPECT_EQ(c1s.description, "Sample A sputtered");
    EXPECT_EQ(c1s.spectrum.caption, "C 1s");
    ASSERT_EQ(c1s.spectrum.energy.size(), 201u);
    EXPECT_EQ(c1s.spectrum.energy.front(), 300.0f);
    EXPECT_EQ(c1s.spectrum.energy.back(), 280.0f);
    EXPECT_EQ(c1s.spectrum.counts.front(), std::round(testing::c1sCounts(300.0)));
    EXPECT_EQ(file.regions[1].spectrum.energy, (std::vector<float>{540.0f, 539.5f, 539.0f}));

    const MultiRegionText many = readPhiText(phiRegion("C 1s", 200.0, 0.01, 5001) + phiRegion("O 1s", 540.0, -0.5, 3));
    ASSERT_EQ(many.regions.size(), 2u);
    EXPECT_EQ(many.regions[0].announcedPoints, 5001);
    EXPECT_EQ(many.regions[0].spectrum.energy.size(), 5000u);
    EXPECT_EQ(many.regions[1].spectrum.caption, "O 1s");
}

TEST(PhiText, ANumberInFrontOfTheDescriptionOrACutRecordFails) {
    const MultiRegionText numeric = readPhiText("2024,sputtered\n" + phiRegion("C 1s", 280.0, 0.1, 3).substr(19));
    EXPECT_TRUE(numeric.failed);
    EXPECT_TRUE(numeric.unfinished);
    const std::string one = phiRegion("C 1s", 280.0, 0.1, 3);
    const MultiRegionText cut = readPhiText(one + one.substr(0, one.size() - 3));
    EXPECT_TRUE(cut.failed);
    EXPECT_EQ(cut.regions.size(), 1u);
    EXPECT_EQ(cut.unfinished->description, "Sample A sputtered");
}

TEST(AsciiText, HeadingsSeparatorsAndOrder) {
    const AsciiText file = readAsciiText(
        "Binding Energy (eV); Intensity\n\n\"C 1s\"\n280.0;100\n280.5 ,  110\n281.0\t120\n281.5,130\n 282.0 140 282.5 "
        "150\n\n\n");
    EXPECT_FALSE(file.failed);
    EXPECT_FALSE(file.reachedLimit);
    EXPECT_EQ(file.spectrum.energy, (std::vector<float>{282.5f, 282.0f, 281.5f, 281.0f, 280.5f, 280.0f}));
    EXPECT_EQ(file.spectrum.counts, (std::vector<float>{150, 140, 130, 120, 110, 100}));

    EXPECT_TRUE(readAsciiText("280.0 100\nEnd of data\n").failed);
    EXPECT_TRUE(readAsciiText("280.0 100\n279.5\n").failed);
    EXPECT_TRUE(readAsciiText("Energy Counts\n").spectrum.energy.empty());
}

TEST(AsciiText, ReadingStopsAfter5000Pairs) {
    const AsciiText exact = readAsciiText(c1sPairs(5000));
    EXPECT_TRUE(exact.reachedLimit);
    EXPECT_EQ(exact.spectrum.energy.size(), 5000u);
    const AsciiText more = readAsciiText(c1sPairs(5000) + "not read\n");
    EXPECT_TRUE(more.reachedLimit);
    EXPECT_FALSE(more.failed);
    EXPECT_FALSE(readAsciiText(c1sPairs(4999)).reachedLimit);
}

}  // namespace
}  // namespace vortlan
