#include "session/import_vamas.h"

#include <gtest/gtest.h>

#include "session/history/history.h"
#include "session/history/history_commands.h"
#include "session/project.h"
#include "support/fitted_session.h"
#include "support/temp_dir.h"
#include "support/vamas_writer.h"
#include "workspace/invariants.h"

namespace vortlan {
namespace {

using testing::fileWith;
using testing::rampBlock;
using testing::VamasTestBlock;
using testing::VamasTestFile;
using testing::vamasText;

using Messages = std::vector<std::string>;

// Each import begins with region 0, current, holding a fitted C 1s spectrum with three peaks.
class ImportVamasTest : public ::testing::Test, protected testing::FittedSession {
  protected:
    void write(const std::string& text) {
        ws.fileName = dir.file("spectra.vms");
        testing::writeWholeFile(ws.fileName, text);
    }
    void importFile(const VamasTestFile& file) {
        port.messages.clear();
        write(vamasText(file));
        importVamas(session);
    }

    Workspace& ws = session.workspace;
    testing::TempDir dir;
};

TEST_F(ImportVamasTest, XpsBlockReplacesTheFittedRegionAndIsShown) {
    VamasTestBlock c1s = rampBlock(11);
    c1s.transition = "1s in a long transition label";
    importFile(VamasTestFile({rampBlock(11, "AES diff"), c1s, rampBlock(5)}));
    const Region& r = ws.regions[0];
    EXPECT_TRUE(port.messages.empty());
    EXPECT_TRUE(isTrue(r.defined) && !isTrue(r.backgroundSet));
    EXPECT_FALSE(isTrue(ws.peaks[1].defined));
    EXPECT_EQ(r.caption.str(), "1s in a long transit");
    ASSERT_EQ(r.pointCount, 11);
    EXPECT_EQ(r.energy[1], 300.0f);
    EXPECT_EQ(r.energy[11], 299.0f);
    EXPECT_EQ(r.counts[11], 1100.0f);
    EXPECT_EQ(r.beLow, 299.0f);
    EXPECT_EQ(port.window(Window::Spectrum).caption, "Region 1");
    EXPECT_EQ(port.drawings.back(), SpectrumDrawing::RegionFrame);
    EXPECT_EQ(firstBrokenRule(ws), "");
}

TEST_F(ImportVamasTest, UnitAndAcquisitionFollowTheRegionThroughProjectsAndUndo) {
    const std::string plain = dir.file("plain.xps");
    const std::string withUnit = dir.file("unit.xps");
    ws.fileName = plain;
    ASSERT_TRUE(saveProject(session));
    History history;
    history.reset(ws);
    VamasTestBlock cps = rampBlock(0);
    cps.units = {"c/s"};
    cps.collectionTime = "0.4";
    cps.scans = "5";
    cps.variables = {"Intensity", "Transmission"};
    for (int i = 0; i < 11; ++i) cps.values.insert(cps.values.end(), {1000.0 + i, 0.25 + i / 64.0});
    importFile(VamasTestFile({cps}));
    EXPECT_EQ(ws.regions[0].intensityUnit, "c/s");
    const Acquisition acquisition = ws.regions[0].acquisition;
    EXPECT_EQ(acquisition.dwellTime, 0.4);
    EXPECT_EQ(acquisition.scans, 5);
    EXPECT_EQ(acquisition.transmission.size(), 11u);
    history.record("Import (VAMAS)", ws);
    ws.fileName = withUnit;
    ASSERT_TRUE(saveProject(session));

    importFile(VamasTestFile({rampBlock(11)}));
    EXPECT_EQ(ws.regions[0].intensityUnit, "");
    EXPECT_EQ(ws.regions[0].acquisition.transmission.size(), 0u);
    history.record("Import (VAMAS)", ws);
    ASSERT_TRUE(undoCommand(session, history));
    EXPECT_EQ(ws.regions[0].intensityUnit, "c/s");
    EXPECT_EQ(ws.regions[0].acquisition, acquisition);

    // Opening a project forgets the units and acquisitions of the workspace it replaces.
    ws.fileName = plain;
    ASSERT_TRUE(openProject(session));
    EXPECT_EQ(ws.regions[0].intensityUnit, "");
    EXPECT_EQ(ws.regions[0].acquisition, Acquisition{});
    ws.fileName = withUnit;
    ASSERT_TRUE(openProject(session));
    EXPECT_EQ(ws.regions[0].intensityUnit, "c/s");
    EXPECT_EQ(ws.regions[0].acquisition, acquisition);
}

TEST_F(ImportVamasTest, OnlyAFileThatIsNotVamasLeavesTheRegionAlone) {
    write("Kratos export\nVAMAS\n");
    importVamas(session);
    EXPECT_EQ(port.messages, Messages{"Not a VAMAS file"});
    EXPECT_EQ(ws.regions[0].peakCount, 3);

    importFile(VamasTestFile({rampBlock(11, "AES diff"), rampBlock(11, "UPS")}));
    EXPECT_EQ(port.messages, Messages{"Not an XPS file"});
    EXPECT_FALSE(isTrue(ws.regions[0].defined));
    EXPECT_EQ(firstBrokenRule(ws), "");
}

TEST_F(ImportVamasTest, ChosenBlockUsesItsOwnSourceEnergy) {
    VamasTestBlock magnesium = rampBlock(21);
    magnesium.sourceEnergy = 1253.6;
    magnesium.start = 953.6;
    write(vamasText(VamasTestFile({rampBlock(11, "AES diff"), magnesium})));
    const auto choice = vamasBlockChoice(ws.fileName);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->items, (Messages{"Block 1: C 1s (AES diff): 11 points, 300.00 to 299.00 eV",
                                       "Block 2: C 1s (XPS): 21 points, 300.00 to 298.00 eV"}));
    EXPECT_EQ(choice->preselected, 1);
    EXPECT_TRUE(choice->leftOut.empty());
    EXPECT_FALSE(vamasBlockChoice(dir.file("nowhere.vms")));

    EXPECT_FALSE(importVamasBlock(session, 2));
    EXPECT_EQ(port.messages, Messages{"No such block in the file"});
    EXPECT_EQ(ws.regions[0].peakCount, 3);
    EXPECT_TRUE(importVamasBlock(session, 1));
    EXPECT_EQ(ws.regions[0].energy[21], 298.0f);
}

// The level comes from the block's species and transition; a spectrum without one leaves none of the
// level, source or override of the spectrum before.
TEST_F(ImportVamasTest, BlockLabelsNameTheLevelAndItsSource) {
    VamasTestBlock titanium = rampBlock(11);
    titanium.species = "Ti";
    titanium.transition = "2p3/2";
    titanium.sourceEnergy = 1253.6;
    titanium.start = 953.6;
    importFile(VamasTestFile({titanium}));
    EXPECT_EQ(ws.regions[0].coreLevel, "Ti 2p3/2");
    EXPECT_EQ(ws.regions[0].sourceEnergy, 1253.6);

    ws.regions[0].sensitivityOverride = 4.0;
    VamasTestBlock unknown = rampBlock(11);
    unknown.species = "Sample";
    unknown.transition = "wide";
    importFile(VamasTestFile({unknown}));
    EXPECT_EQ(ws.regions[0].coreLevel, "");
    EXPECT_EQ(ws.regions[0].sourceEnergy, 1486.6);
    EXPECT_FALSE(ws.regions[0].sensitivityOverride);
}

// The file cut short inside its last block.
std::string lastBlockCut(const VamasTestFile& file) {
    const std::string text = vamasText(file);
    return text.substr(0, text.rfind("Block\n") + 40);
}

TEST_F(ImportVamasTest, SoundBlocksBeforeADamagedOneAreListedAndImported) {
    VamasTestBlock oxygen = rampBlock(5);
    oxygen.species = "O";
    write(lastBlockCut(VamasTestFile({rampBlock(11), oxygen, rampBlock(7)})));
    EXPECT_TRUE(importVamas(session));
    EXPECT_TRUE(port.messages.empty());
    EXPECT_EQ(ws.regions[0].pointCount, 11);
    EXPECT_FALSE(isTrue(ws.peaks[1].defined));
    const auto choice = vamasBlockChoice(ws.fileName);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->blocks, (std::vector<int>{0, 1}));
    EXPECT_EQ(choice->leftOut, Messages{"Block 3: cannot be read (the file is damaged or cut short there)"});
    EXPECT_FALSE(choice->nothingToAsk());
    EXPECT_TRUE(importVamasBlock(session, 1));
    EXPECT_EQ(ws.regions[0].pointCount, 5);
    EXPECT_FALSE(importVamasBlock(session, 2));
    EXPECT_EQ(port.messages, Messages{"No such block in the file"});
    EXPECT_EQ(ws.regions[0].pointCount, 5);

    // With only a block of another technique sound, the XPS block may be the one lost.
    port.messages.clear();
    write(lastBlockCut(VamasTestFile({rampBlock(11, "AES diff"), rampBlock(7)})));
    EXPECT_FALSE(importVamas(session));
    EXPECT_EQ(port.messages, Messages{"Error in reading file"});
    EXPECT_FALSE(isTrue(ws.regions[0].defined));
    EXPECT_EQ(firstBrokenRule(ws), "");
}

TEST_F(ImportVamasTest, MoreThan5000PointsKeepsTheFirst5000OfTheFile) {
    for (double increment : {0.01, -0.01}) {  // the second lists low binding energies first
        // With a transmission of its own at each point, which must stay with that point.
        VamasTestBlock wide;
        wide.increment = increment;
        wide.variables = {"Intensity", "Transmission"};
        const auto transmissionOf = [](double counts) {
            return static_cast<float>(0.5 + (counts - 1000.0) * 1e-6);
        };
        for (int i = 0; i < 6000; ++i)
            wide.values.insert(wide.values.end(), {1000.0 + 10.0 * i, transmissionOf(1000.0 + 10.0 * i)});
        importFile(VamasTestFile({wide}));
        const Region& r = ws.regions[0];
        EXPECT_EQ(port.messages, Messages{"Too many points.  Only 5000 points have been read."});
        ASSERT_EQ(r.pointCount, 5000);
        EXPECT_GT(r.energy[1], r.energy[5000]);
        const float lastKept = 1000.0f + 10.0f * 4999;
        EXPECT_EQ(std::minmax(r.counts[1], r.counts[5000]), std::minmax(1000.0f, lastKept));
        ASSERT_EQ(r.acquisition.transmission.size(), 5000u);
        for (int i : {1, 2500, 5000})
            EXPECT_EQ(r.acquisition.transmission[i - 1], transmissionOf(r.counts[i])) << i;
    }
}

TEST_F(ImportVamasTest, FileCutAnywhereOrMiscountedGivesAMessageOrASoundRegion) {
    VamasTestBlock xps = rampBlock(40);
    xps.comments = {"XPS"};
    xps.variables = {"Intensity", "Transmission"};
    const std::string text =
        vamasText(fileWith({rampBlock(11, "AES diff"), xps}, [](auto& f) { f.lineEnd = "\r\n"; }));
    std::vector<std::string> files;
    for (std::size_t cut = 0; cut < text.size(); cut += 97) files.push_back(text.substr(0, cut));
    for (int announced : {40000, -5, 14}) {
        files.push_back(vamasText(VamasTestFile({rampBlock(11)})));
        files.back().replace(files.back().rfind("\n11\n"), 4, "\n" + std::to_string(announced) + "\n");
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        testing::FittedSession fresh;
        write(files[i]);
        fresh.session.workspace.fileName = ws.fileName;
        importVamas(fresh.session);
        const Region& r = fresh.session.workspace.regions[0];
        const bool filled = isTrue(r.defined) && !isTrue(r.backgroundSet);
        EXPECT_NE(fresh.port.messages.empty(), !filled) << i;
        if (i + 3 >= files.size()) {
            EXPECT_EQ(fresh.port.messages, Messages{"Error in reading file"});
        }
        EXPECT_EQ(firstBrokenRule(fresh.session.workspace), "") << i;
    }
}

// A block whose points all lie at one energy is no spectrum: it keeps its number but is not offered,
// the chooser says why, and importing it is refused with the same reason.
TEST_F(ImportVamasTest, BlocksThatAreNoSpectrumAreLeftOutWithTheirReason) {
    VamasTestBlock flat = rampBlock(9);
    flat.species = "O";
    flat.increment = 0.0;
    VamasTestBlock empty = rampBlock(0, "AES diff");
    write(vamasText(VamasTestFile({flat, rampBlock(11, "UPS"), empty, rampBlock(5), rampBlock(3)})));
    auto choice = vamasBlockChoice(ws.fileName);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->blocks, (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(choice->preselected, 1);  // the first XPS block offered
    EXPECT_EQ(choice->leftOut,
              (Messages{"Block 1 (O 1s, XPS): its energy step is 0 (every point at 300.00 eV)",
                        "Block 3 (C 1s, AES diff): it has no points"}));

    EXPECT_FALSE(importVamasBlock(session, 0));
    EXPECT_EQ(port.messages,
              Messages{"No spectrum in this block: its energy step is 0 (every point at 300.00 eV)"});
    EXPECT_FALSE(isTrue(ws.regions[0].defined));
    EXPECT_EQ(firstBrokenRule(ws), "");

    // Blocks that the damage hides are counted from the header.
    const std::string text =
        vamasText(VamasTestFile({rampBlock(11), rampBlock(7), rampBlock(7), rampBlock(5)}));
    const auto secondBlock = text.find("Block\n", text.find("Block\n") + 1);
    write(text.substr(0, secondBlock + 40));
    choice = vamasBlockChoice(ws.fileName);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->blocks, std::vector<int>{0});
    EXPECT_EQ(choice->leftOut,
              Messages{"Blocks 2 to 4: block 2 cannot be read (the file is damaged or cut short there), and "
                       "the blocks after it cannot be found"});
    EXPECT_FALSE(choice->nothingToAsk());
}

}  // namespace
}  // namespace vortlan
