#include "io/vamas_file.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>

#include "support/vamas_writer.h"

namespace vortlan {
namespace {

using testing::fileWith;
using testing::rampBlock;
using testing::VamasTestBlock;
using testing::VamasTestFile;
using testing::vamasText;

VamasBlock onlyBlock(const VamasTestFile& file) {
    return parseVamas(vamasText(file)).blocks.at(0);
}

VamasError::Kind failure(const std::string& text) {
    try {
        parseVamas(text);
    } catch (const VamasError& e) {
        return e.kind();
    }
    ADD_FAILURE() << "parsed";
    return {};
}

TEST(VamasFile, RegularXpsBlockInBindingEnergyWhateverTheLineEnds) {
    for (const char* eol : {"\n", "\r\n"}) {
        VamasTestBlock b = rampBlock(11);
        b.transition = std::string("1\0s", 3);
        const auto text = vamasText(fileWith({b}, [&](auto& f) { f.lineEnd = eol; }));
        const VamasFile file = parseVamas(eol + std::string(" \t") + eol + text);
        const VamasBlock& read = file.blocks.at(0);
        EXPECT_EQ(read.transition, "1s");
        EXPECT_TRUE(read.isXps());
        ASSERT_EQ(read.energy.size(), 11u);
        EXPECT_EQ(read.energy[0], 300.0f);
        EXPECT_EQ(read.energy[10], 299.0f);
        EXPECT_EQ(read.counts[10], 1100.0f);
        const VamasBlockSummary s = summarizeBlocks(file).at(0);
        EXPECT_EQ(std::tie(s.species, s.points, s.energyHigh, s.energyLow),
                  std::tuple("C", 11, 300.0f, 299.0f));
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
    EXPECT_EQ(read.energy.at(10), 299.0f);
    EXPECT_EQ(read.counts.at(10), 1010.0f);
}

TEST(VamasFile, EnergyAxesOfEveryShapeEndHighBindingEnergyFirst) {
    VamasTestBlock falling = rampBlock(11);  // kinetic energy scanned downwards
    falling.start = 1196.6;
    falling.increment = -0.1;
    const VamasBlock down = onlyBlock(VamasTestFile({falling}));
    EXPECT_EQ(down.energy.front(), 291.0f);
    EXPECT_EQ(down.counts.front(), 1100.0f);
    EXPECT_TRUE(down.reversed);

    VamasTestBlock binding = rampBlock(11);
    binding.abscissaLabel = "Binding Energy";
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
            const VamasBlock read = onlyBlock(fileWith({rampBlock(11, technique)}, [&](auto& f) {
                f.experimentMode = mode;
                f.experimentalVariables = {"T"};
            }));
            EXPECT_EQ(read.energy.at(10), 299.0f) << mode << " " << technique;
        }
    }
}

TEST(VamasFile, BlocksKeepTheirOwnSourceEnergyAndInheritWhatTheyLeaveOut) {
    VamasTestBlock magnesium = rampBlock(3);
    magnesium.sourceEnergy = 1253.6;
    magnesium.start = 953.6;
    magnesium.species = "O";
    const std::vector<float> energies{300.0f, 299.9f, 299.8f};
    EXPECT_EQ(parseVamas(vamasText(VamasTestFile({rampBlock(1), magnesium}))).blocks.at(1).energy, energies);
    // Source energy, species and abscissa left out: the first block's stand.
    const auto sparse = fileWith({rampBlock(1), magnesium}, [](auto& f) { f.excluded = {16, 31, 33}; });
    const VamasBlock inherited = parseVamas(vamasText(sparse)).blocks.at(1);
    EXPECT_EQ(inherited.species, "C");
    EXPECT_EQ(inherited.energy, energies);
}

TEST(VamasFile, IntensityUnitComesFromTheIntensityVariable) {
    const auto unitOf = [](std::vector<std::string> labels, std::vector<std::string> units,
                           const char* scan = "REGULAR") {
        VamasTestBlock b = rampBlock(0);
        b.variables = std::move(labels);
        b.units = std::move(units);
        for (int i = 0; i < 3; ++i) b.values.insert(b.values.end(), b.variables.size(), 1186.6 + i);
        return onlyBlock(fileWith({b}, [&](auto& f) { f.scanMode = scan; })).intensityUnit;
    };
    EXPECT_EQ(unitOf({"counts"}, {"d"}), "counts");
    EXPECT_EQ(unitOf({"Intensity"}, {"c/s"}), "c/s");
    EXPECT_EQ(unitOf({"Intensity"}, {"c"}), "counts");
    // A dimensionless variable whose label does not name counts says nothing of the unit.
    EXPECT_EQ(unitOf({"Intensity"}, {"d"}), "");
    EXPECT_EQ(unitOf({"Intensity", "Transmission"}, {"d", "c/s"}), "");
    EXPECT_EQ(unitOf({"Kinetic Energy", "Intensity"}, {"eV", "c/s"}, "IRREGULAR"), "c/s");
    // Whatever a file writes there stays short and printable.
    const std::string hostile = std::string("\x1b[31mc/s\x07 \xb5") + "A of the detector head";
    EXPECT_EQ(unitOf({"Intensity"}, {hostile}), "[31mc/s A of the det");
}

TEST(VamasFile, DwellTimeScansAndTransmissionAreTakenWhenTheyAreUsable) {
    struct Case {
        const char* dwell;
        const char* scans;
        std::vector<double> transmission;
        std::optional<double> dwellRead;
        std::optional<int> scansRead;
        std::vector<float> transmissionRead;
    };
    const std::vector<double> ramp{0.5, 0.6, 0.7};
    const std::vector<float> read{0.5f, 0.6f, 0.7f};
    const Case cases[] = {
        {"0.4", "5", ramp, 0.4, 5, read},
        // Values no instrument records leave the spectrum as it is and say nothing.
        {"0", "2.5", ramp, std::nullopt, std::nullopt, read},
        {"-1", "0", {0.5, 0.0, 0.7}, std::nullopt, std::nullopt, {}},
        {"n/a", "several", {0.5, -0.6, 0.7}, std::nullopt, std::nullopt, {}},
        {"1e400", "1e12", {}, std::nullopt, std::nullopt, {}},
    };
    for (const Case& c : cases) {
        VamasTestBlock b = rampBlock(0);
        b.collectionTime = c.dwell;
        b.scans = c.scans;
        b.variables = {"Intensity"};
        if (!c.transmission.empty()) b.variables.push_back("Transmission");
        for (std::size_t i = 0; i < 3; ++i) {
            b.values.push_back(1000.0 + 10.0 * i);
            if (!c.transmission.empty()) b.values.push_back(c.transmission[i]);
        }
        const VamasBlock block = onlyBlock(VamasTestFile({b}));
        EXPECT_EQ(block.counts, (std::vector<float>{1000.0f, 1010.0f, 1020.0f})) << c.dwell;
        EXPECT_EQ(block.acquisition.dwellTime, c.dwellRead) << c.dwell;
        EXPECT_EQ(block.acquisition.scans, c.scansRead) << c.scans;
        EXPECT_EQ(block.acquisition.transmission, c.transmissionRead) << c.dwell;
    }
}

TEST(VamasFile, TransmissionFollowsThePointsAndBlocksInheritTheirTimesNotTheirValues) {
    // Irregular, with the transmission before the intensity's neighbour and a scan from high kinetic
    // energy down: the values turn round with the points.
    VamasTestBlock irregular;
    irregular.variables = {"Kinetic Energy", "Intensity", "Analyser transmission function"};
    irregular.values = {1187.3, 7.0, 0.3, 1186.8, 6.0, 0.2, 1186.6, 5.0, 0.1};
    const VamasBlock turned = onlyBlock(fileWith({irregular}, [](auto& f) { f.scanMode = "IRREGULAR"; }));
    EXPECT_EQ(turned.energy, (std::vector<float>{300.0f, 299.8f, 299.3f}));
    EXPECT_EQ(turned.acquisition.transmission, (std::vector<float>{0.1f, 0.2f, 0.3f}));

    VamasTestBlock first = rampBlock(0);
    first.collectionTime = "0.2";
    first.scans = "8";
    first.variables = {"Intensity", "Transmission"};
    first.values = {1000.0, 0.5, 1010.0, 0.6};
    VamasTestBlock second = first;
    second.values = {2000.0, 0.7, 2010.0, 0.8};
    const auto text = vamasText(fileWith({first, second}, [](auto& f) { f.excluded = {34, 36, 37}; }));
    const VamasBlock later = parseVamas(text).blocks.at(1);
    EXPECT_EQ(later.acquisition, (Acquisition{0.2, 8, {0.7f, 0.8f}}));
}

TEST(VamasFile, LaterBlocksLeavingOutTheVariablesKeepTheFirstBlocksUnit) {
    VamasTestBlock first = rampBlock(3);
    first.units = {"c/s"};
    const auto text = vamasText(fileWith({first, rampBlock(3)}, [](auto& f) { f.excluded = {34}; }));
    EXPECT_EQ(parseVamas(text).blocks.at(1).intensityUnit, "c/s");
}

// The header's block count, which follows the experiment's upgrade entry, changed to `count`.
std::string withBlockCount(std::string text, int count) {
    const std::size_t at = text.find("\n1486.6\n") + 8;
    return text.replace(at, text.find('\n', at) - at, std::to_string(count));
}

TEST(VamasFile, BlockThatCannotBeReadEndsTheListAfterTheSoundOnes) {
    VamasTestBlock oxygen = rampBlock(5);
    oxygen.species = "O";
    const std::string text = vamasText(VamasTestFile({rampBlock(11), oxygen, rampBlock(7)}));
    const std::size_t third = text.rfind("Block\n");
    const std::string two = vamasText(VamasTestFile({rampBlock(11), oxygen}));
    for (const std::string& damaged :
         {text.substr(0, third + 40), text.substr(0, third), withBlockCount(two, 3)}) {
        const VamasFile file = parseVamas(damaged);
        EXPECT_TRUE(file.damaged);
        ASSERT_EQ(file.blocks.size(), 2u);
        EXPECT_EQ(file.blocks[1].species, "O");
        EXPECT_EQ(file.blocks[1].counts.size(), 5u);
    }
    EXPECT_FALSE(parseVamas(text).damaged);
    const VamasTestFile none(std::vector<VamasTestBlock>{});
    EXPECT_EQ(failure(withBlockCount(vamasText(none), 1)), VamasError::Kind::Malformed);
}

TEST(VamasFile, AnythingButAWellFormedFileIsRefused) {
    for (const char* text : {"", "\r\n  \n", "Kratos export\nVAMAS\n"}) {
        EXPECT_EQ(failure(text), VamasError::Kind::NotVamas);
    }
    std::vector<VamasTestFile> bad;
    for (int announced : {40000, -5, 12}) {
        bad.push_back(VamasTestFile({rampBlock(11)}));
        bad.back().blocks[0].announcedValues = announced;
    }
    bad.push_back(fileWith({rampBlock(11)}, [](auto& f) { f.experimentMode = "NORMAL"; }));
    bad.push_back(
        fileWith({rampBlock(11)}, [](auto& f) { f.scanMode = "IRREGULAR"; }));  // no energy variable
    for (const VamasTestFile& file : bad) EXPECT_EQ(failure(vamasText(file)), VamasError::Kind::Malformed);
    EXPECT_STREQ(VamasError(VamasError::Kind::Malformed).what(), "Error in reading file");
}

// The index lists what the whole reading lists, and each block read alone, in any order, is the block
// the whole reading gives.
void expectIndexAgrees(const std::string& text) {
    const VamasFile whole = parseVamas(text);
    std::istringstream in(text);
    const VamasIndex index = indexVamas(in);
    EXPECT_EQ(index.blocks, summarizeBlocks(whole));
    EXPECT_EQ(index.damaged, whole.damaged);
    for (std::size_t b = whole.blocks.size(); b-- > 0;) {
        EXPECT_TRUE(readVamasBlock(in, index, b) == whole.blocks[b]) << "block " << b;
    }
}

TEST(VamasIndex, EveryBlockReadAloneIsTheBlockOfTheWholeFile) {
    VamasTestBlock magnesium = rampBlock(3);
    magnesium.sourceEnergy = 1253.6;
    magnesium.species = "O";
    magnesium.units = {"c/s"};
    const std::vector<VamasTestBlock> blocks{rampBlock(11, "AES diff"), magnesium, rampBlock(7, "SIMS")};
    for (const char* mode : {"MAP", "MAPDP", "MAPSVDP", "NORM", "SDP", "SEM"}) {
        for (const char* eol : {"\n", "\r\n"}) {
            expectIndexAgrees(vamasText(fileWith(blocks, [&](auto& f) {
                f.experimentMode = mode;
                f.experimentalVariables = {"T"};
                f.lineEnd = eol;
                f.excluded = {16, 31, 34};
            })));
        }
    }
    VamasTestBlock irregular;
    irregular.variables = {"Kinetic Energy", "Intensity"};
    irregular.values = {1186.6, 5.0, 1186.8, 6.0, 1187.3, 7.0};
    const std::string scattered =
        vamasText(fileWith({irregular, irregular}, [](auto& f) { f.scanMode = "IRREGULAR"; }));
    expectIndexAgrees(scattered);
    // NUL bytes count where the block starts, though the reading drops them.
    std::string nuls = vamasText(VamasTestFile({rampBlock(4), rampBlock(5)}));
    nuls.insert(nuls.find("Block\n") + 2, std::string(3, '\0'));
    nuls.insert(nuls.rfind("Block\n") + 2, std::string(2, '\0'));
    expectIndexAgrees(nuls);
}

TEST(VamasIndex, DamagedFilesListTheSoundBlocksAsTheWholeReadingDoes) {
    const std::string text = vamasText(VamasTestFile({rampBlock(11), rampBlock(5), rampBlock(7)}));
    expectIndexAgrees(text.substr(0, text.rfind("Block\n") + 40));
    expectIndexAgrees(withBlockCount(vamasText(VamasTestFile({rampBlock(3)})), 4));
    std::istringstream broken(text.substr(0, text.find("Block\n") + 40));
    EXPECT_THROW(indexVamas(broken), VamasError);
    std::istringstream in(text);
    const VamasIndex index = indexVamas(in);
    EXPECT_THROW(readVamasBlock(in, index, 3), std::out_of_range);
    // The file changed after it was listed.
    std::istringstream shorter(text.substr(0, text.rfind("Block\n") + 40));
    EXPECT_THROW(readVamasBlock(shorter, index, 2), VamasError);
}

}  // namespace
}  // namespace vortlan
