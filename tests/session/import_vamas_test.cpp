#include "session/import_vamas.h"

#include <gtest/gtest.h>

#include "support/fitted_session.h"
#include "support/temp_dir.h"
#include "support/vamas_writer.h"
#include "workspace/invariants.h"

namespace vortlan {
namespace {

using testing::fileWith;
using testing::rampValues;
using testing::VamasTestBlock;
using testing::VamasTestFile;
using testing::vamasText;

using Messages = std::vector<std::string>;

VamasTestBlock block(int points, const std::string& technique = "XPS") {
    VamasTestBlock b;
    b.technique = technique;
    b.values = rampValues(points);
    return b;
}

// Region 0, current, holds a fitted C 1s spectrum with three peaks when each import begins.
class ImportVamasTest : public ::testing::Test, protected testing::FittedSession {
  protected:
    void write(const std::string& text) {
        ws.fileName = dir.file("spectra.vms");
        testing::writeWholeFile(ws.fileName, text);
    }
    void importFile(const VamasTestFile& file) {
        write(vamasText(file));
        importVamas(session);
    }
    void expectEmptiedWith(const std::string& message) {
        EXPECT_EQ(port.messages, Messages{message});
        EXPECT_FALSE(isTrue(ws.regions[0].defined));
        EXPECT_FALSE(isTrue(ws.peaks[0].defined));
        EXPECT_EQ(firstBrokenRule(ws), "");
    }

    Workspace& ws = session.workspace;
    testing::TempDir dir;
};

TEST_F(ImportVamasTest, XpsBlockReplacesTheFittedRegionAndIsShown) {
    VamasTestBlock c1s = block(11);
    c1s.transition = "1s in a long transition label";
    importFile(VamasTestFile({c1s}));
    const Region& r = ws.regions[0];
    EXPECT_TRUE(port.messages.empty());
    EXPECT_TRUE(isTrue(r.defined));
    EXPECT_FALSE(isTrue(r.backgroundSet));
    EXPECT_EQ(r.peakCount, 0);
    EXPECT_FALSE(isTrue(ws.peaks[1].defined));
    EXPECT_EQ(r.caption.str(), "1s in a long transit");
    ASSERT_EQ(r.pointCount, 11);
    EXPECT_EQ(r.energy[1], 300.0f);
    EXPECT_EQ(r.energy[11], 299.0f);
    EXPECT_EQ(r.counts[11], 1100.0f);
    EXPECT_EQ(r.beLow, 299.0f);
    EXPECT_EQ(r.countsHigh, 1100.0f);
    EXPECT_EQ(port.window(Window::Spectrum).caption, "Region 1");
    EXPECT_EQ(port.drawings.back(), SpectrumDrawing::RegionFrame);
    EXPECT_EQ(firstBrokenRule(ws), "");
}

TEST_F(ImportVamasTest, OnlyAFileThatIsNotVamasLeavesTheRegionAlone) {
    write("Kratos export\nVAMAS\n");
    importVamas(session);
    EXPECT_EQ(port.messages, Messages{"Not a VAMAS file"});
    EXPECT_TRUE(isTrue(ws.regions[0].backgroundSet));
    EXPECT_EQ(ws.regions[0].peakCount, 3);

    port.messages.clear();
    importFile(VamasTestFile({block(11, "AES diff"), block(11, "UPS")}));
    expectEmptiedWith("Not an XPS file");
}

TEST_F(ImportVamasTest, FirstXpsBlockAfterOthersIsTaken) {
    VamasTestBlock aluminium = block(5);
    aluminium.transition = "2p";
    importFile(VamasTestFile({block(11, "AES diff"), aluminium, block(11)}));
    EXPECT_TRUE(port.messages.empty());
    EXPECT_EQ(ws.regions[0].pointCount, 5);
    EXPECT_EQ(ws.regions[0].caption.str().substr(0, 3), "2p ");
}

TEST_F(ImportVamasTest, ChosenBlockUsesItsOwnSourceEnergy) {
    VamasTestBlock magnesium = block(21);
    magnesium.sourceEnergy = 1253.6;
    magnesium.start = 953.6;
    magnesium.species = "O";
    write(vamasText(VamasTestFile({block(11, "AES diff"), magnesium})));
    const auto listed = listVamasBlocks(ws.fileName);
    ASSERT_TRUE(listed);
    ASSERT_EQ(listed->size(), 2u);
    EXPECT_EQ((*listed)[1].species, "O");
    EXPECT_EQ((*listed)[1].points, 21);
    EXPECT_EQ((*listed)[1].energyLow, 298.0f);

    EXPECT_FALSE(importVamasBlock(session, 2));
    EXPECT_EQ(port.messages, Messages{"No such block in the file"});
    EXPECT_EQ(ws.regions[0].peakCount, 3);

    port.messages.clear();
    EXPECT_TRUE(importVamasBlock(session, 1));
    EXPECT_TRUE(port.messages.empty());
    EXPECT_EQ(ws.regions[0].energy[1], 300.0f);
    EXPECT_EQ(ws.regions[0].energy[21], 298.0f);
    EXPECT_FALSE(listVamasBlocks(dir.file("nowhere.vms")));
}

TEST_F(ImportVamasTest, MoreThan5000PointsKeepsTheFirst5000OfTheFile) {
    for (double increment : {0.01, -0.01}) {  // the second is listed from low to high binding energy
        VamasTestBlock wide = block(6000);
        wide.increment = increment;
        port.messages.clear();
        importFile(VamasTestFile({wide}));
        const Region& r = ws.regions[0];
        EXPECT_EQ(port.messages, Messages{"Too many points.  Only 5000 points have been read."});
        ASSERT_EQ(r.pointCount, 5000);
        EXPECT_GT(r.energy[1], r.energy[5000]);
        const float last = 1000.0f + 10.0f * 4999;
        EXPECT_EQ(increment > 0 ? r.counts[5000] : r.counts[1], last);
        EXPECT_EQ(increment > 0 ? r.counts[1] : r.counts[5000], 1000.0f);
    }
}

TEST_F(ImportVamasTest, MalformedFileEmptiesTheRegionWithAMessage) {
    for (int announced : {40000, -5, 14}) {
        VamasTestBlock b = block(11);
        b.announcedValues = announced;
        testing::FittedSession fresh;
        write(vamasText(VamasTestFile({b})));
        fresh.session.workspace.fileName = ws.fileName;
        importVamas(fresh.session);
        EXPECT_EQ(fresh.port.messages, Messages{"Error in reading file"});
        EXPECT_FALSE(isTrue(fresh.session.workspace.regions[0].defined));
        EXPECT_EQ(firstBrokenRule(fresh.session.workspace), "");
    }
}

TEST_F(ImportVamasTest, FileCutAnywhereGivesAMessageOrASoundRegion) {
    VamasTestBlock xps = block(40);
    xps.comments = {"XPS"};
    xps.variables = {"Intensity", "Transmission"};
    xps.values.resize(80, 0.5);
    const std::string text =
        vamasText(fileWith({block(11, "AES diff"), xps}, [](auto& f) { f.lineEnd = "\r\n"; }));
    for (std::size_t cut = 0; cut < text.size(); cut += 97) {
        testing::FittedSession fresh;
        write(text.substr(0, cut));
        fresh.session.workspace.fileName = ws.fileName;
        importVamas(fresh.session);
        const bool filled = isTrue(fresh.session.workspace.regions[0].defined) &&
                            !isTrue(fresh.session.workspace.regions[0].backgroundSet);
        EXPECT_NE(fresh.port.messages.empty(), !filled) << "cut at " << cut;
        EXPECT_EQ(firstBrokenRule(fresh.session.workspace), "") << "cut at " << cut;
    }
}

}  // namespace
}  // namespace vortlan
