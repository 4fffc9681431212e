#include "io/vamas_file.h"

#include <gtest/gtest.h>

#include "support/vamas_writer.h"

namespace vortlan {
namespace {

using testing::fileWith;
using testing::rampValues;
using testing::VamasTestBlock;
using testing::VamasTestFile;
using testing::vamasText;

VamasTestBlock block11() {
    VamasTestBlock b;
    b.values = rampValues(11);
    return b;
}

VamasBlock onlyBlock(const VamasTestFile& file) {
    const VamasFile parsed = parseVamas(vamasText(file));
    EXPECT_EQ(parsed.blocks.size(), 1u);
    return parsed.blocks.at(0);
}

VamasError::Kind failure(const std::string& text) {
    try {
        parseVamas(text);
    } catch (const VamasError& e) {
        return e.kind();
    }
    ADD_FAILURE() << "parsed";
    return VamasError::Kind::NotVamas;
}

TEST(VamasFile, RegularXpsBlockInBindingEnergyWhateverTheLineEnds) {
    for (const char* eol : {"\n", "\r\n"}) {
        VamasTestBlock b = block11();
        b.transition = std::string("1\0s", 3);
        const VamasFile file = parseVamas(eol + std::string(" \t") + eol +
                                          vamasText(fileWith({b}, [&](auto& f) { f.lineEnd = eol; })));
        const VamasBlock& read = file.blocks.at(0);
        EXPECT_EQ(read.transition, "1s");
        EXPECT_EQ(read.species, "C");
        EXPECT_TRUE(read.isXps());
        ASSERT_EQ(read.energy.size(), 11u);
        EXPECT_EQ(read.energy[0], 300.0f);
        EXPECT_EQ(read.energy[10], 299.0f);
        EXPECT_EQ(read.counts[10], 1100.0f);
        EXPECT_FALSE(read.reversed);
        const VamasBlockSummary s = summarizeBlocks(file).at(0);
        EXPECT_EQ(s.points, 11);
        EXPECT_EQ(s.energyHigh, 300.0f);
        EXPECT_EQ(s.energyLow, 299.0f);
    }
}

TEST(VamasFile, CommentsVariablesAndExtraParametersAreNotTakenForTheSpectrum) {
    VamasTestBlock b;
    b.comments = {"XPS", "1253.6"};
    b.variables = {"Intensity", "Transmission"};
    b.additionalParameters = 2;
    for (int i = 0; i < 11; ++i) b.values.insert(b.values.end(), {1000.0 + i, 0.5});
    const VamasBlock read = onlyBlock(fileWith({b}, [](auto& f) {
        f.comments = {"XPS", "Al"};
        f.experimentalVariables = {"XPS"};
    }));
    EXPECT_EQ(read.sourceEnergy, 1486.6);
    EXPECT_EQ(read.energy.at(10), 299.0f);
    EXPECT_EQ(read.counts.at(10), 1010.0f);
}

TEST(VamasFile, EnergyAxesOfEveryShapeEndHighBindingEnergyFirst) {
    VamasTestBlock falling = block11();  // kinetic energy scanned downwards
    falling.start = 1196.6;
    falling.increment = -0.1;
    const VamasBlock down = onlyBlock(VamasTestFile({falling}));
    EXPECT_EQ(down.energy.front(), 291.0f);
    EXPECT_EQ(down.counts.front(), 1100.0f);
    EXPECT_TRUE(down.reversed);

    VamasTestBlock binding = block11();
    binding.abscissaLabel = "Binding Energy";
    binding.sourceEnergy = 1253.6;
    binding.start = 300.0;
    binding.increment = -0.1;
    EXPECT_EQ(onlyBlock(VamasTestFile({binding})).energy.at(10), 299.0f);

    VamasTestBlock irregular;
    irregular.variables = {"Kinetic Energy", "Intensity"};
    irregular.values = {1186.6, 5.0, 1186.8, 6.0, 1187.3, 7.0};
    const VamasBlock scattered = onlyBlock(fileWith({irregular}, [](auto& f) { f.scanMode = "IRREGULAR"; }));
    EXPECT_EQ(scattered.energy, (std::vector<float>{300.0f, 299.8f, 299.3f}));
    EXPECT_EQ(scattered.counts, (std::vector<float>{5.0f, 6.0f, 7.0f}));
}

TEST(VamasFile, FieldsOfEachExperimentModeAndTechniqueAreSkipped) {
    for (const char* mode : {"MAP", "MAPDP", "MAPSV", "MAPSVDP", "NORM", "SDP", "SDPSV", "SEM"}) {
        for (const char* technique : {"XPS", "AES diff", "SIMS"}) {
            VamasTestBlock b = block11();
            b.technique = technique;
            const VamasBlock read = onlyBlock(fileWith({b}, [&](auto& f) {
                f.experimentMode = mode;
                f.experimentalVariables = {"T"};
            }));
            EXPECT_EQ(read.technique, technique);
            EXPECT_EQ(read.energy.at(10), 299.0f) << mode << " " << technique;
        }
    }
}

TEST(VamasFile, BlocksKeepTheirOwnSourceEnergyAndInheritWhatTheyLeaveOut) {
    VamasTestBlock magnesium = block11();
    magnesium.sourceEnergy = 1253.6;
    magnesium.start = 953.6;
    magnesium.species = "O";
    const VamasFile two = parseVamas(vamasText(VamasTestFile({block11(), magnesium})));
    EXPECT_EQ(two.blocks.at(1).species, "O");
    EXPECT_EQ(two.blocks.at(1).energy.at(10), 299.0f);

    VamasTestBlock sparse = magnesium;  // source energy, species and abscissa left out
    sparse.values = rampValues(3);
    const VamasFile inherited = parseVamas(vamasText(fileWith({block11(), sparse}, [](auto& f) {
        f.excluded = {16, 31, 33};
    })));
    EXPECT_EQ(inherited.blocks.at(1).species, "C");
    EXPECT_EQ(inherited.blocks.at(1).energy, (std::vector<float>{300.0f, 299.9f, 299.8f}));
}

TEST(VamasFile, AnythingButAWellFormedFileIsRefused) {
    for (const char* text : {"", "\r\n  \n", "Kratos export\nVAMAS\n"}) {
        EXPECT_EQ(failure(text), VamasError::Kind::NotVamas);
    }
    std::vector<VamasTestFile> bad;
    for (int announced : {40000, -5, 12}) {
        VamasTestBlock b = block11();
        b.announcedValues = announced;
        bad.push_back(VamasTestFile({b}));
    }
    bad.push_back(fileWith({block11()}, [](auto& f) { f.experimentMode = "NORMAL"; }));
    bad.push_back(fileWith({block11()}, [](auto& f) { f.scanMode = "IRREGULAR"; }));  // no abscissa variable
    for (const VamasTestFile& file : bad) EXPECT_EQ(failure(vamasText(file)), VamasError::Kind::Malformed);
    EXPECT_STREQ(VamasError(VamasError::Kind::Malformed).what(), "Error in reading file");
}

}  // namespace
}  // namespace vortlan
