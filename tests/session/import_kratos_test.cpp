#include "session/import_kratos.h"

#include <gtest/gtest.h>

#include "model/peak_shapes.h"
#include "support/spectrum_text_files.h"
#include "workspace/invariants.h"

namespace vortlan {
namespace {

using testing::KratosTestFile;
using Messages = std::vector<std::string>;

KratosTestFile fitted(int components) {
    KratosTestFile f;
    const std::vector<testing::KratosTestComponent> all = {{"C-C", "Gau", 285.0, 75.5, 1.4},
                                                           {"C-O", "Lo", 286.5, 20.0, 1.5},
                                                           {"C=O", "GL (30)", 288.0, 5.25, 1.6}};
    f.components.assign(all.begin(), all.begin() + components);
    return f;
}

class ImportKratosTest : public testing::ImportTest {
  protected:
    void importText(const std::string& text, int region = 0) {
        ImportTest::importText(text, importKratos, region);
    }
    std::vector<short> slotsOf(int region) const {
        const Region& r = ws.regions[region];
        return std::vector<short>(r.peakSlots.begin(), r.peakSlots.begin() + r.peakCount);
    }
};

TEST_F(ImportKratosTest, FittedRegionKeepsTheFileHeightsInTheLowestFreeEntries) {
    importText(fitted(3).text(), 1);
    const Region& r = ws.regions[1];
    EXPECT_TRUE(port.messages.empty());
    EXPECT_TRUE(isTrue(r.defined) && isTrue(r.backgroundSet));
    EXPECT_EQ(slotsOf(1), (std::vector<short>{3, 4, 6}));
    EXPECT_EQ(port.peakButtonCaptions[12], "6");
    EXPECT_TRUE(port.peakButtonsEnabled[12]);
    EXPECT_EQ(r.caption.str(), " C 1s" + std::string(15, ' '));
    EXPECT_EQ(r.heightUnit,
              static_cast<float>((static_cast<double>(r.rangeCountsHigh) - r.rangeCountsLow) / 100));
    const std::vector<float> heights = {75.5f, 20.0f, 5.25f};
    for (int s = 0; s < 3; ++s) {
        const Peak& p = ws.peaks[r.peakSlots[s]];
        EXPECT_EQ(p.height, heights[s]);
        EXPECT_EQ(p.area, areaFromHeight(lineFormOf(ws.options), p.height, p.fwhm, p.gl, 1, 0.0f, 1.0f,
                                         r.heightUnit));
    }
    EXPECT_EQ(ws.peakTotal, 3);
    EXPECT_NE(port.chiTexts[1], "");
    EXPECT_EQ(ws.description, "Sample A, sputtered 5 min");  // a description is never overwritten
    EXPECT_EQ(port.drawings.back(), SpectrumDrawing::FittedCurves);
    EXPECT_EQ(firstBrokenRule(ws), "");

    ws.description.clear();  // over a fitted region, whose entries are freed first
    importText(fitted(2).text(), 0);
    EXPECT_EQ(slotsOf(0), (std::vector<short>{0, 1}));
    EXPECT_FALSE(isTrue(ws.peaks[2].defined) || port.peakButtonsEnabled[2]);
    EXPECT_EQ(port.descriptionText, " Sample A, as received");
    EXPECT_EQ(firstBrokenRule(ws), "");
}

TEST_F(ImportKratosTest, PlainSpectrumAndRegionWithoutComponents) {
    KratosTestFile plain;
    plain.fitted = false;
    importText(plain.text());
    const Region& r = ws.regions[0];
    EXPECT_TRUE(isTrue(r.defined));
    EXPECT_FALSE(isTrue(r.backgroundSet) || isTrue(ws.peaks[0].defined));
    EXPECT_EQ(r.caption.str(), std::string(20, ' '));
    EXPECT_EQ(r.pointCount, 121);

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
    EXPECT_FALSE(isTrue(ws.regions[0].defined) || isTrue(ws.peaks[0].defined));

    KratosTestFile flat = fitted(1);  // every point at one energy: no fit range
    flat.dataLines.assign(5, "  1196.6 100");
    importText(flat.text(), 2);
    EXPECT_EQ(port.messages.size(), 1u);
    EXPECT_FALSE(isTrue(ws.regions[2].defined) || isTrue(ws.peaks[0].defined));

    KratosTestFile wide;
    wide.points = 6000;
    importText(wide.text());
    EXPECT_EQ(port.messages, Messages{"Too many points.  Only 5000 points have been read."});
    EXPECT_EQ(ws.regions[0].pointCount, 5000);

    // Regions 4-8 take all the free entries but 40 and 41.
    for (int p = 0, region = 4; p < kPeakCount; ++p) {
        if (isTrue(ws.peaks[p].defined) || p == 40 || p == 41) continue;
        if (ws.regions[region].peakCount == kPeaksPerRegion) ++region;
        if (!isTrue(ws.regions[region].defined))
            testing::makeRegion(ws, region, 11, 290.0f, 0.1f, testing::step(285, 1, 2));
        testing::addPeak(ws, region, p, 285.0f, 10.0f, 1.0f);
    }
    importText(fitted(3).text(), 1);
    EXPECT_EQ(port.messages, Messages{"Too many peaks"});
    EXPECT_FALSE(isTrue(ws.regions[1].defined) || isTrue(ws.peaks[40].defined));
    EXPECT_EQ(firstBrokenRule(ws), "");
}

}  // namespace
}  // namespace vortlan
