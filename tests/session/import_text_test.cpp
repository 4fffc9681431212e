#include "session/import_text.h"

#include <gtest/gtest.h>

#include "session/import_kratos.h"
#include "support/spectrum_text_files.h"
#include "workspace/invariants.h"

namespace vortlan {
namespace {

using testing::c1sPairs;
using testing::leyboldFile;
using testing::leyboldRegion;
using testing::phiRegion;
using Import = bool (*)(Session&);
using Messages = std::vector<std::string>;

const std::string kTooManyPoints = "Too many points.  Only 5000 points have been read.";

class ImportTextTest : public testing::ImportTest {
  protected:
    std::string captionOf(int region) const {
        const std::string caption = ws.regions[region].caption.str();
        return caption.substr(0, caption.find_last_not_of(' ') + 1);
    }
};

TEST_F(ImportTextTest, LeyboldFillsSlotsFromTheCurrentOneAndShowsIt) {
    importText(leyboldFile({leyboldRegion("C 1s", 121), leyboldRegion("O 1s", 51, true)}), importLeybold, 3);
    EXPECT_TRUE(port.messages.empty());
    EXPECT_EQ(ws.currentRegion, 3);
    EXPECT_EQ(port.window(Window::Spectrum).caption, "Region 4");
    EXPECT_EQ(port.regionColours[4], RegionColour::Defined);
    EXPECT_EQ(captionOf(3), "C 1s");
    EXPECT_EQ(captionOf(4), "O 1s");
    // Captions that read as a level name the region's level.
    EXPECT_EQ(ws.regions[3].coreLevel, "C 1s");
    EXPECT_EQ(ws.regions[4].coreLevel, "O 1s");
    EXPECT_FALSE(isTrue(ws.peaks[5].defined) || isTrue(ws.regions[3].backgroundSet));
    EXPECT_EQ(ws.regions[4].energy[1], 292.0f);  // listed rising, stored falling
    EXPECT_EQ(ws.regions[4].beLow, 287.0f);
    EXPECT_EQ(port.descriptionText, "Sample A, as received");
    EXPECT_EQ(firstBrokenRule(ws), "");
}

// Ten regions fill every slot and eleven more than that: either way the ten read are the result.
TEST_F(ImportTextTest, TenOrElevenRegionsFillTheTenSlotsAndAreKept) {
    for (int count : {10, 11}) {
        std::vector<std::string> leybold;
        std::string phi;
        for (int k = 0; k < count; ++k) {
            leybold.push_back(leyboldRegion("R" + std::to_string(k), 3));
            phi += phiRegion("R" + std::to_string(k), 280.0, 0.5, 3);
        }
        for (const auto& [text, import] :
             {std::pair<std::string, Import>{leyboldFile(leybold), importLeybold},
              std::pair<std::string, Import>{phi, importPhi}}) {
            EXPECT_TRUE(importText(text, import, 4)) << count;
            EXPECT_EQ(port.messages, Messages{"Too many regions"});
            EXPECT_EQ(ws.currentRegion, 4);
            EXPECT_EQ(port.window(Window::Spectrum).caption, "Region 5");
            EXPECT_EQ(captionOf(4), "R0");
            EXPECT_EQ(captionOf(3), "R9");
            for (const Region& r : ws.regions) EXPECT_TRUE(isTrue(r.defined));
            EXPECT_EQ(firstBrokenRule(ws), "");
        }
    }
}

TEST_F(ImportTextTest, PointLimitAndReadErrorsKeepTheRegionsBefore) {
    const std::string cut = leyboldRegion("O 1s", 40);
    importText(leyboldFile({leyboldRegion("C 1s", 6000), cut.substr(0, cut.size() / 2)}), importLeybold);
    EXPECT_EQ(port.messages, (Messages{kTooManyPoints, "Error Reading File"}));
    EXPECT_EQ(ws.regions[0].pointCount, 5000);
    EXPECT_EQ(ws.currentRegion, 1);
    EXPECT_FALSE(isTrue(ws.regions[1].defined));
    EXPECT_EQ(firstBrokenRule(ws), "");

    importText(phiRegion("C 1s", 280.0, 0.1, 201) + phiRegion("O 1s", 200.0, 0.01, 5001), importPhi, 3);
    EXPECT_EQ(port.messages, Messages{kTooManyPoints});
    EXPECT_EQ(ws.regions[3].energy[1], 300.0f);
    EXPECT_EQ(ws.regions[3].energy[201], 280.0f);
    EXPECT_EQ(ws.regions[4].pointCount, 5000);
    EXPECT_EQ(port.descriptionText, "Sample A sputtered");

    importText("", importPhi, 5);
    EXPECT_EQ(port.messages, Messages{"Error Reading File"});
}

TEST_F(ImportTextTest, AsciiReplacesTheCurrentRegion) {
    importText(c1sPairs(5000, 4999, -1, "; "), importAscii);
    EXPECT_EQ(port.messages, Messages{"Only 5000 points have been read"});
    const Region& r = ws.regions[0];
    ASSERT_EQ(r.pointCount, 5000);
    EXPECT_EQ(r.energy[1], 292.0f);
    EXPECT_FALSE(isTrue(r.backgroundSet) || isTrue(ws.peaks[1].defined));
    EXPECT_EQ(captionOf(0), "");
    EXPECT_EQ(port.drawings.back(), SpectrumDrawing::RegionFrame);

    importText("Energy\tCounts\n", importAscii, 3);
    EXPECT_EQ(port.messages, Messages{"Error Reading File"});
    EXPECT_FALSE(isTrue(ws.regions[3].defined) || isTrue(ws.peaks[5].defined));
    EXPECT_EQ(firstBrokenRule(ws), "");
}

TEST_F(ImportTextTest, ShippedExamplesGiveTheSameSpectrum) {
    for (const auto& [name, import] : {std::pair<std::string, Import>{"c1s.des", importKratos},
                                       {"c1s.dat", importLeybold},
                                       {"c1s.asc", importPhi},
                                       {"c1s.txt", importAscii}}) {
        importText(testing::readWholeFile(std::string(VORTLAN_SOURCE_DIR) + "/examples/" + name), import, 1);
        const Region& r = ws.regions[1];
        EXPECT_TRUE(port.messages.empty()) << name;
        ASSERT_EQ(r.pointCount, 361) << name;
        EXPECT_NEAR(r.energy[1], 296.0f, 1e-4) << name;
        EXPECT_EQ(r.counts[1], 4235.0f) << name;
        EXPECT_EQ(r.counts[361], 2704.0f) << name;
    }
}

TEST_F(ImportTextTest, FilesCutAnywhereGiveAMessageOrSoundRegions) {
    const std::pair<std::string, Import> files[] = {
        {leyboldFile({leyboldRegion("C 1s", 30), leyboldRegion("O 1s", 30, true)}), importLeybold},
        {phiRegion("C 1s", 280.0, 0.1, 30) + phiRegion("O 1s", 540.0, -0.5, 30), importPhi},
        {"Energy, Counts\r\n" + c1sPairs(60, 0, 1, ","), importAscii},
        {[] {
             testing::KratosTestFile f;
             f.components = {{"C-C", "Gau"}, {"C-O", "(30)", 286.5, 20.0}};
             f.lineEnd = "\r\n";
             return f.text();
         }(),
         importKratos}};
    for (const auto& [text, import] : files) {
        for (std::size_t cut = 0; cut < text.size(); cut += 97) {
            importText(text.substr(0, cut), import, static_cast<int>(cut / 97 % 10));
            EXPECT_TRUE(!port.messages.empty() || isTrue(ws.regions[ws.currentRegion].defined))
                << "cut at " << cut;
            EXPECT_EQ(firstBrokenRule(ws), "") << "cut at " << cut;
        }
    }
}

}  // namespace
}  // namespace vortlan
