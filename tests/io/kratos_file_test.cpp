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
        EXPECT_EQ(file.comment, " Sample A, as received");
        ASSERT_TRUE(file.region);
        const KratosRegion& r = *file.region;
        EXPECT_EQ(r.sourceNumber, 3);
        EXPECT_EQ(file.spectrum.caption, " C 1s");
        EXPECT_EQ(r.rangeLow, 281.0f);
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
        EXPECT_EQ(file.spectrum.intensityUnit, "counts");
    }
}

TEST(KratosFile, OptionalLandmarksAndDamage) {
    KratosTestFile plain;
    plain.comment = false;
    plain.fitted = false;
    plain.dataLines = {" 1196.8  10", "1196.6\t30"};  // falling kinetic energies are turned round
    const KratosFile file = readKratosFile(plain.text());
    EXPECT_EQ(file.fault, KratosFault::None);
    EXPECT_FALSE(file.comment || file.region);
    EXPECT_EQ(file.spectrum.energy.front(), 290.0f);  // the energy found by a search from the start
    EXPECT_EQ(file.spectrum.counts, (std::vector<float>{30.0f, 10.0f}));
    KratosTestFile mixedCase;
    mixedCase.background = "Shirley";  // only the capitals name Shirley's background
    EXPECT_EQ(readKratosFile(mixedCase.text()).region->backgroundType, 1);

    const std::string good = fittedFile().text();
    for (const auto& [from, to] :
         std::vector<std::pair<std::string, std::string>>{{"(Counts)", "(counts)"},
                                                          {"ordinates = 2", "ordinates = 3"},
                                                          {"ordinates = 2", "ordinates = 40000"},
                                                          {"ordinates = 2", "ordinates = -2"},
                                                          {"  1196.7 2600", "1196.7"},
                                                          {"GL(30)", "GL(130)"},
                                                          {"energy = 1486.6", "energy = 1e39"},
                                                          {"=3\n", "=70000\n"}}) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        EXPECT_EQ(readKratosFile(text).fault, KratosFault::Malformed) << to;
    }
    EXPECT_EQ(readKratosFile(good.substr(0, good.find("parameter 13"))).fault, KratosFault::Malformed);
    KratosTestFile eleven;
    eleven.components.assign(11, {"C", "Gau"});
    const KratosFile tooMany = readKratosFile(eleven.text());
    EXPECT_EQ(tooMany.fault, KratosFault::TooManyComponents);
    EXPECT_TRUE(tooMany.comment);  // what came before the fault is kept
}

}  // namespace
}  // namespace vortlan
