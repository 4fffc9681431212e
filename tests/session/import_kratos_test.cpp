#include "session/import_kratos.h"

#include <gtest/gtest.h>

#include "model/peak_shapes.h"
#include "support/fitted_session.h"
#include "support/spectrum_text_files.h"
#include "support/temp_dir.h"
#include "workspace/invariants.h"

namespace vortlan {
namespace {

using testing::KratosTestFile;
using Messages = std::vector<std::string>;

KratosTestFile fitted(int components) {
    KratosTestFile f;
    const std::vector<testing::KratosTestComponent> all = {
        {"C-C", "Gau", 285.0, 75.5, 1.4}, {"C-O", "Lo", 286.5, 20.0, 1.5}, {"C=O", "GL (30)", 288.0, 5.25, 1.6}};
    f.components.assign(all.begin(), all.begin() + components);
    return f;
}

// Region 0, current, holds a fitted C 1s spectrum with peaks 0-2, region 3 one with peak 5.
class ImportKratosTest : public ::testing::Test, protected testing::FittedSession {
  protected:
    void importText(const std::string& text, int region = 0) {
        ws.fileName = dir.file("region.des");
        testing::writeWholeFile(ws.fileName, text);
        ws.currentRegion = static_cast<short>(region);
        port.messages.clear();
        importKratos(session);
    }
    std::vector<short> slotsOf(int region) const {
        const Region& r = ws.regions[region];
        return std::vector<short>(r.peakSlots.begin(), r.peakSlots.begin() + r.peakCount);
    }

    Workspace& ws = session.workspace;
    testing::TempDir dir;
};

TEST_F(ImportKratosTest, FittedRegionKeepsTheFileHeightsInTheLowestFreeEntries) {
    importText(fitted(3).text(), 1);
    const Region& r = ws.regions[1];
    EXPECT_TRUE(port.messages.empty());
    EXPECT_TRUE(isTrue(r.defined));
    EXPECT_TRUE(isTrue(r.backgroundSet));
    EXPECT_EQ(slotsOf(1), (std::vector<short>{3, 4, 6}));
    EXPECT_EQ(port.peakButtonCaptions[12], "6");
    EXPECT_TRUE(port.peakButtonsEnabled[12]);
    EXPECT_EQ(r.caption.str(), " C 1s" + std::string(15, ' '));
    EXPECT_EQ(r.sourceNumber, 3);
    EXPECT_EQ(r.rangeHigh, 291.0f);
    EXPECT_GT(r.rangeCount, 90);
    EXPECT_EQ(r.heightUnit, static_cast<float>((static_cast<double>(r.rangeCountsHigh) - r.rangeCountsLow) / 100));
    const std::vector<float> heights = {75.5f, 20.0f, 5.25f};
    for (int s = 0; s < 3; ++s) {
        const Peak& p = ws.peaks[r.peakSlots[s]];
        EXPECT_EQ(p.height, heights[s]);
        EXPECT_EQ(p.area, areaFromHeight(lineFormOf(ws.options), p.height, p.fwhm, p.gl, 1, 0.0f, 1.0f, r.heightUnit));
        EXPECT_EQ(p.region, 1);
        EXPECT_EQ(p.fixGl, 1);
    }
    EXPECT_EQ(ws.peaks[6].gl, 30);
    EXPECT_EQ(ws.peaks[6].label.str().substr(0, 5), " C=O ");
    EXPECT_EQ(ws.peakTotal, 3);
    EXPECT_NE(port.chiTexts[1], "");
    EXPECT_EQ(ws.description, "Sample A, sputtered 5 min");  // a description is never overwritten
    EXPECT_EQ(port.window(Window::Spectrum).caption, "Region 2");
    EXPECT_EQ(port.drawings.back(), SpectrumDrawing::FittedCurves);
    EXPECT_EQ(firstBrokenRule(ws), "");
}

TEST_F(ImportKratosTest, ImportOverAFittedRegionReusesItsEntries) {
    ws.description.clear();
    importText(fitted(2).text());
    EXPECT_EQ(slotsOf(0), (std::vector<short>{0, 1}));
    EXPECT_FALSE(isTrue(ws.peaks[2].defined));
    EXPECT_FALSE(port.peakButtonsEnabled[2]);
    EXPECT_EQ(port.peakButtonCaptions[2], "");
    EXPECT_EQ(ws.peaks[1].gl, 100);
    EXPECT_EQ(ws.description, " Sample A, as received");
    EXPECT_EQ(port.descriptionText, ws.description);
    EXPECT_EQ(firstBrokenRule(ws), "");
}

TEST_F(ImportKratosTest, PlainSpectrumAndRegionWithoutComponents) {
    KratosTestFile plain;
    plain.fitted = false;
    plain.dataLines = {"  1196.6 2500", "  1196.7 2600", "  1196.8 2700"};
    importText(plain.text());
    const Region& r = ws.regions[0];
    EXPECT_TRUE(isTrue(r.defined));
    EXPECT_FALSE(isTrue(r.backgroundSet));
    EXPECT_EQ(r.peakCount, 0);
    EXPECT_FALSE(isTrue(ws.peaks[0].defined));
    EXPECT_EQ(r.caption.str(), std::string(20, ' '));
    EXPECT_EQ(r.energy[1], 290.0f);
    EXPECT_EQ(r.counts[1], 2500.0f);
    EXPECT_EQ(firstBrokenRule(ws), "");

    KratosTestFile none = fitted(0);
    none.background = "LINEAR";
    importText(none.text(), 1);
    EXPECT_FALSE(isTrue(ws.regions[1].backgroundSet));
    EXPECT_EQ(ws.regions[1].rangeLow, 281.0f);
    EXPECT_EQ(ws.regions[1].backgroundType, 1);
    EXPECT_EQ(port.drawings.back(), SpectrumDrawing::RegionFrame);
    EXPECT_EQ(firstBrokenRule(ws), "");
}

TEST_F(ImportKratosTest, FailuresTellWhyAndLeaveTheRegionEmpty) {
    ws.fileName = dir.file("missing.des");
    importKratos(session);
    EXPECT_EQ(port.messages, Messages{"Error in reading file"});
    EXPECT_EQ(ws.regions[0].peakCount, 3);  // an unreadable file changes nothing

    KratosTestFile eleven;
    eleven.components.assign(11, {"C", "Gau"});
    importText(eleven.text());
    EXPECT_EQ(port.messages, Messages{"Too many peaks"});
    EXPECT_FALSE(isTrue(ws.regions[0].defined));
    EXPECT_FALSE(isTrue(ws.peaks[0].defined));

    KratosTestFile flat = fitted(1);  // every point at one energy: no fit range
    flat.dataLines.assign(5, "  1196.6 100");
    importText(flat.text(), 2);
    EXPECT_EQ(port.messages.size(), 1u);
    EXPECT_FALSE(isTrue(ws.regions[2].defined));
    EXPECT_FALSE(isTrue(ws.peaks[0].defined));

    KratosTestFile wide;
    wide.points = 6000;
    importText(wide.text());
    EXPECT_EQ(port.messages, Messages{"Too many points.  Only 5000 points have been read."});
    EXPECT_EQ(ws.regions[0].pointCount, 5000);
    EXPECT_EQ(firstBrokenRule(ws), "");

    // Regions 4-8 take all but two of the free entries.
    int region = 4;
    for (int p = 0; p < kPeakCount; ++p) {
        if (isTrue(ws.peaks[p].defined) || p == 40 || p == 41) continue;
        if (ws.regions[region].peakCount == kPeaksPerRegion) ++region;
        if (!isTrue(ws.regions[region].defined)) testing::makeRegion(ws, region, 11, 290.0f, 0.1f, [](double) { return 1.0; });
        testing::addPeak(ws, region, p, 285.0f, 10.0f, 1.0f);
    }
    importText(fitted(3).text(), 1);
    EXPECT_EQ(port.messages, Messages{"Too many peaks"});
    EXPECT_FALSE(isTrue(ws.regions[1].defined));
    EXPECT_FALSE(isTrue(ws.peaks[40].defined));
    EXPECT_EQ(firstBrokenRule(ws), "");
}

TEST_F(ImportKratosTest, FileCutAnywhereGivesAMessageOrASoundRegion) {
    KratosTestFile f = fitted(3);
    f.lineEnd = "\r\n";
    const std::string text = f.text();
    for (std::size_t cut = 0; cut < text.size(); cut += 97) {
        importText(text.substr(0, cut), static_cast<int>(cut / 97 % 2));
        EXPECT_NE(port.messages.empty(), !isTrue(ws.regions[ws.currentRegion].defined)) << "cut at " << cut;
        EXPECT_EQ(firstBrokenRule(ws), "") << "cut at " << cut;
    }
}

}  // namespace
}  // namespace vortlan
