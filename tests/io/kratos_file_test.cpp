#include "io/kratos_file.h"

#include <gtest/gtest.h>

#include "support/spectrum_text_files.h"

namespace vortlan {
namespace {

using testing::KratosTestFile;

KratosTestFile fittedFile() {
    KratosTestFile f;
    f.components = {{"C-C", "Gaussian (Gau)", 284.8, 75.5, 1.3},
                    {"C-O", "Lorentzian", 286.3, 20.0, 1.5},
                    {"C=O", "GL(30)", 288.1, 5.25, 1.6}};
    f.dataLines = {"  1196.6 2500", "  1196.7 2600"};
    return f;
}

TEST(KratosFile, LandmarksRegionAndComponentsWithEitherLineEnd) {
    for (const char* eol : {"\n", "\r\n"}) {
        KratosTestFile f = fittedFile();
        f.lineEnd = eol;
        const KratosFile file = readKratosFile(f.text());
        ASSERT_EQ(file.fault, KratosFault::None);
        EXPECT_EQ(file.announcedPoints, 2);
        EXPECT_EQ(file.comment, " Sample A, as received");
        EXPECT_EQ(file.photonEnergy, 1486.6f);
        ASSERT_TRUE(file.region);
        const KratosRegion& r = *file.region;
        EXPECT_EQ(r.sourceNumber, 3);
        EXPECT_EQ(r.caption, " C 1s");
        EXPECT_EQ(file.spectrum.caption, " C 1s");
        EXPECT_EQ(r.rangeLow, 281.0f);
        EXPECT_EQ(r.rangeHigh, 291.0f);
        EXPECT_EQ(r.backgroundType, 0);
        ASSERT_EQ(r.components.size(), 3u);
        EXPECT_EQ(r.components[0].label, " C-C");
        EXPECT_EQ(r.components[0].gl, 0);
        EXPECT_EQ(r.components[1].gl, 100);
        EXPECT_EQ(r.components[2].gl, 30);
        EXPECT_EQ(r.components[2].position, 288.1f);
        EXPECT_EQ(r.components[2].height, 5.25f);
        EXPECT_EQ(r.components[2].fwhm, 1.6f);
        EXPECT_EQ(file.spectrum.energy, (std::vector<float>{290.0f, 1486.6f - 1196.7f}));
        EXPECT_EQ(file.spectrum.counts, (std::vector<float>{2500.0f, 2600.0f}));
    }
}

TEST(KratosFile, OptionalLandmarksAndBackgroundNames) {
    KratosTestFile plain;
    plain.comment = false;
    plain.fitted = false;
    const KratosFile file = readKratosFile(plain.text());
    ASSERT_EQ(file.fault, KratosFault::None);
    EXPECT_FALSE(file.comment);
    EXPECT_FALSE(file.region);
    EXPECT_EQ(file.photonEnergy, 1486.6f);  // found by a search from the start of the file
    EXPECT_EQ(file.spectrum.caption, "");
    EXPECT_EQ(file.spectrum.energy.size(), 121u);

    KratosTestFile linear;
    linear.background = "Shirley";  // only the capitals name Shirley's background
    const KratosFile none = readKratosFile(linear.text());
    ASSERT_TRUE(none.region);
    EXPECT_EQ(none.region->backgroundType, 1);
    EXPECT_TRUE(none.region->components.empty());
}

TEST(KratosFile, PointsHighBindingEnergyFirstAndAtMost5000) {
    KratosTestFile falling;
    falling.dataLines = {" 1196.8  10", " 1196.7  20", "1196.6 30"};
    const KratosFile turned = readKratosFile(falling.text());
    EXPECT_EQ(turned.spectrum.energy.front(), 1486.6f - 1196.6f);
    EXPECT_EQ(turned.spectrum.counts, (std::vector<float>{30.0f, 20.0f, 10.0f}));

    KratosTestFile many;
    many.points = 6000;
    const KratosFile capped = readKratosFile(many.text());
    EXPECT_EQ(capped.fault, KratosFault::None);
    EXPECT_EQ(capped.announcedPoints, 6000);
    EXPECT_EQ(capped.spectrum.energy.size(), 5000u);
}

TEST(KratosFile, DamagedFilesEndWithAFaultAndKeepWhatCameBefore) {
    const auto faultOf = [](const std::string& text) { return readKratosFile(text).fault; };
    const std::string good = fittedFile().text();
    const auto replaced = [&good](const std::string& from, const std::string& to) {
        std::string text = good;
        return text.replace(text.find(from), from.size(), to);
    };
    EXPECT_EQ(faultOf(replaced("(Counts)", "(counts)")), KratosFault::Malformed);
    EXPECT_EQ(faultOf(replaced("# ordinates = 2", "# ordinates = 3")), KratosFault::Malformed);
    EXPECT_EQ(faultOf(replaced("# ordinates = 2", "# ordinates = 40000")), KratosFault::Malformed);
    EXPECT_EQ(faultOf(replaced("# ordinates = 2", "# ordinates = -2")), KratosFault::Malformed);
    EXPECT_EQ(faultOf(replaced("  1196.7 2600", "1196.7")), KratosFault::Malformed);
    EXPECT_EQ(faultOf(replaced("GL(30)", "GL(130)")), KratosFault::Malformed);
    EXPECT_EQ(faultOf(replaced("Excitation energy = 1486.6", "Excitation energy = 1e39")),
              KratosFault::Malformed);
    EXPECT_EQ(faultOf(replaced("=3\n", "=70000\n")), KratosFault::Malformed);

    KratosTestFile eleven;
    eleven.components.assign(11, {"C", "Gau"});
    const KratosFile tooMany = readKratosFile(eleven.text());
    EXPECT_EQ(tooMany.fault, KratosFault::TooManyComponents);
    EXPECT_EQ(tooMany.announcedPoints, 121);
    EXPECT_TRUE(tooMany.comment);
    EXPECT_EQ(faultOf(good.substr(0, good.find("parameter 13"))), KratosFault::Malformed);
}

}  // namespace
}  // namespace vortlan
