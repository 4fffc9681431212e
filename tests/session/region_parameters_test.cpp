#include "session/region_parameters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "support/byte_builder.h"
#include "support/fitted_session.h"
#include "support/temp_dir.h"
#include "workspace/invariants.h"

namespace vortlan {
namespace {

using testing::acceptBackground;
using testing::addPeak;
using testing::makeRegion;
using Strings = std::vector<std::string>;
using Drawings = std::vector<SpectrumDrawing>;

// Beeps and messages in the order they came.
class EventPort : public RecordingPort {
  public:
    void message(std::string_view text) override {
        events.emplace_back(text);
        RecordingPort::message(text);
    }
    void beep() override {
        events.emplace_back("(beep)");
        RecordingPort::beep();
    }
    Strings events;
};

std::function<double(double)> spectrum(double scale) {
    return [scale](double e) {
        return scale *
               (testing::gaussianOn(0.0, 285.0, 800.0, 1.2)(e) +
                testing::gaussianOn(0.0, 287.5, 300.0, 1.0)(e) + testing::step(285.0, 200.0, 300.0)(e));
    };
}

// Sizes of a file saved from region 0: three entries whose curves have indexes 0..101.
constexpr std::size_t kHeaderSize = 45;
constexpr std::size_t kEntrySize = 64 + 10 + 4 * 102 + 96;

// Region 0, the source: peaks 4, 7, 9 on an accepted Shirley background over 280..290 eV, 7's position
// tied to 4's, 9's FWHM limited.  Region 1, the target: the same energies with twice the counts, no
// background yet.  Region 2 holds peaks 0 and 1, so that the lowest free entries are 2, 3 and 5.
class RegionParametersTest : public ::testing::Test {
  protected:
    RegionParametersTest() {
        ws.options.glSum = kTrue;
        makeRegion(ws, 0, 151, 292.0f, 0.1f, spectrum(1.0));
        ws.regions[0].rangeLow = 280.0f;
        ws.regions[0].rangeHigh = 290.0f;
        acceptBackground(session, 0);
        addPeak(ws, 0, 9, 287.5f, 300.0f, 1.0f, 20);
        addPeak(ws, 0, 4, 285.0f, 1000.0f, 1.2f, 30);
        Peak& doublet = addPeak(ws, 0, 7, 286.0f, 50.0f, 0.9f, 40, 2);
        doublet.splitting = 0.6f;
        doublet.ts = 0.3f;
        doublet.fixArea = 1;
        doublet.label.assign("doublet");
        acceptBackground(session, 0);  // heights from the areas
        ws.constraints[7].position = {kTrue, 4, kFalse, 0, 0, 1.5f, kFalse, 0.0f, 0.0f};
        ws.constraints[4].position.isReference = kTrue;
        ws.constraints[4].position.tiedPeak = 7;
        ws.constraints[9].fwhm = {kFalse, 0, kFalse, 0, 0, 0.0f, kTrue, 0.8f, 1.4f};

        Region& target = makeRegion(ws, 1, 151, 292.0f, 0.1f, spectrum(2.0));
        target.averagePoints = 3;
        target.backgroundParam = 0.002f;
        target.caption.assign("target");
        target.shift = 0.4f;

        makeRegion(ws, 2, 20, 300.0f, 0.5f, spectrum(1.0));
        acceptBackground(session, 2);
        addPeak(ws, 2, 0, 295.0f, 10.0f, 1.0f);
        addPeak(ws, 2, 1, 296.0f, 10.0f, 1.0f);
        EXPECT_EQ(firstBrokenRule(ws), "");
    }

    std::string save(int region) {
        ws.currentRegion = static_cast<short>(region);
        ws.fileName = file;
        port.messages.clear();
        saveRegionParameters(session);
        EXPECT_EQ(port.messages, Strings{});
        return testing::readWholeFile(file);
    }
    // Every load, whatever its outcome, leaves a workspace that keeps the rules.
    void load(int region) {
        ws.currentRegion = static_cast<short>(region);
        ws.fileName = file;
        port.messages.clear();
        port.events.clear();
        port.drawings.clear();
        loadRegionParameters(session);
        EXPECT_EQ(firstBrokenRule(ws), "");
    }
    std::vector<short> slotsOf(int region) const {
        const Region& r = ws.regions[region];
        return {r.peakSlots.begin(), r.peakSlots.begin() + r.peakCount};
    }

    EventPort port;
    Session session{port};
    Workspace& ws = session.workspace;
    testing::TempDir directory;
    std::string file = directory.file("model.rpa");
};

TEST_F(RegionParametersTest, RoundTripPlacesThePeaksInTheLowestFreeEntriesWithoutLinks) {
    save(0);
    load(1);
    EXPECT_EQ(port.messages, Strings{});
    const Region& source = ws.regions[0];
    const Region& target = ws.regions[1];

    // In peak order, 4, 7 and 9 become 2, 3 and 5.
    ASSERT_EQ(slotsOf(1), (std::vector<short>{2, 3, 5}));
    EXPECT_EQ(ws.currentPeak, 5);
    for (int slot = 0; slot < 3; ++slot) {
        EXPECT_EQ(port.peakButtonCaptions[10 + slot], std::to_string(slotsOf(1)[slot]));
        EXPECT_TRUE(port.peakButtonsEnabled[10 + slot]);
    }
    const int from[] = {4, 7, 9};
    for (int k = 0; k < 3; ++k) {
        const Peak& loaded = ws.peaks[slotsOf(1)[k]];
        Peak expected = ws.peaks[from[k]];
        EXPECT_EQ(expected.region, 0);  // the source keeps its own
        expected.region = 1;
        expected.area = loaded.area;
        expected.curve = loaded.curve;
        EXPECT_FLOAT_EQ(loaded.height, expected.height);  // derived again from the area: to rounding
        expected.height = loaded.height;
        EXPECT_EQ(loaded, expected);
        // The height stays a share of the new intensity range; the area follows it.
        EXPECT_NEAR(loaded.area / ws.peaks[from[k]].area, target.heightUnit / source.heightUnit, 1e-5);
    }
    ParamConstraint unlinked = ws.constraints[7].position;
    unlinked.linked = kFalse;
    EXPECT_EQ(ws.constraints[3].position, unlinked);  // refPeak and operand as stored
    EXPECT_EQ(ws.constraints[2].position.isReference, kFalse);
    EXPECT_EQ(ws.constraints[5].fwhm, ws.constraints[9].fwhm);
    EXPECT_EQ(ws.constraints[4].position.isReference, kTrue);

    EXPECT_EQ(target.rangeLow, source.rangeLow);
    EXPECT_EQ(target.rangeHigh, source.rangeHigh);
    EXPECT_EQ(target.rangeCount, source.rangeCount);
    EXPECT_EQ(target.backgroundType, source.backgroundType);
    EXPECT_EQ(target.backgroundSet, kTrue);
    EXPECT_EQ(target.averagePoints, 3);
    EXPECT_EQ(target.backgroundParam, 0.002f);
    EXPECT_EQ(target.caption.str(), std::string(20, ' '));
    EXPECT_EQ(target.shift, 0.0f);
    EXPECT_GT(target.chiSquare, 0.0f);
    ASSERT_GE(port.drawings.size(), 2u);
    EXPECT_EQ(Drawings(port.drawings.end() - 2, port.drawings.end()),
              (Drawings{SpectrumDrawing::RegionFrame, SpectrumDrawing::FittedCurves}));
}

TEST_F(RegionParametersTest, AModelOutsideTheRegionsDataIsRefusedBeforeAnythingChanges) {
    makeRegion(ws, 3, 80, 292.0f, 0.19f, spectrum(1.0));  // a wider scan with fewer points than the range
    const Region& target = ws.regions[1];
    struct Case {
        const char* what;
        float rangeHigh, rangeLow;
        int region;
        const char* message;
    };
    const Case cases[] = {
        {"high end above the data", std::nextafter(target.beHigh, 1000.0f), 280.0f, 1,
         "Binding energy out-of-range"},
        {"low end below the data", 290.0f, std::nextafter(target.beLow, 0.0f), 1,
         "Binding energy out-of-range"},
        {"a limit that is no number", std::numeric_limits<float>::quiet_NaN(), 280.0f, 1,
         "Binding energy out-of-range"},
        {"more range points than data points", 290.0f, 280.0f, 3, "Incompatible region"},
        {"both at once", 400.0f, 280.0f, 3, "Incompatible region"},
        {"an empty region slot", 290.0f, 280.0f, 8, "Incompatible region"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ws.regions[0].rangeHigh = c.rangeHigh;
        ws.regions[0].rangeLow = c.rangeLow;
        save(0);
        const Workspace before = ws;
        load(c.region);
        EXPECT_EQ(port.messages, Strings{c.message});
        EXPECT_EQ(ws.regions[c.region], before.regions[c.region]);
        EXPECT_EQ(ws.peaks, before.peaks);
        EXPECT_EQ(ws.constraints, before.constraints);
        EXPECT_EQ(port.drawings, Drawings{});
    }

    // Both comparisons are strict: a range equal to the data extremes loads.
    ws.regions[0].rangeHigh = target.beHigh;
    ws.regions[0].rangeLow = target.beLow;
    ws.regions[0].rangeCount = target.pointCount;
    save(0);
    load(1);
    EXPECT_EQ(port.messages, Strings{});
    EXPECT_EQ(target.rangeCount, 151);
}

TEST_F(RegionParametersTest, LoadingFirstDeletesTheRegionsPeaksAndTheLinksOnThem) {
    acceptBackground(session, 1);
    addPeak(ws, 1, 8, 285.0f, 100.0f, 1.0f);
    addPeak(ws, 1, 3, 287.0f, 100.0f, 1.0f);
    // Region 2's peak 1 follows 8 in position; region 1's peak 3 follows region 2's peak 0 in area.
    ws.constraints[1].position = {kTrue, 8, kFalse, 0, 0, 0.5f, kFalse, 0.0f, 0.0f};
    ws.constraints[8].position.isReference = kTrue;
    ws.constraints[8].position.tiedPeak = 1;
    ws.constraints[3].area = {kTrue, 0, kFalse, 0, 2, 2.0f, kFalse, 0.0f, 0.0f};
    ws.constraints[0].area.isReference = kTrue;
    ws.constraints[0].area.tiedPeak = 3;
    ASSERT_EQ(firstBrokenRule(ws), "");

    save(0);
    load(1);
    EXPECT_EQ(port.messages, Strings{});
    EXPECT_EQ(slotsOf(1), (std::vector<short>{2, 3, 5}));
    EXPECT_EQ(ws.peaks[8].defined, kFalse);
    EXPECT_EQ(ws.constraints[1].position.linked, kFalse);
    EXPECT_EQ(ws.constraints[0].area.isReference, kFalse);
}

TEST_F(RegionParametersTest, OlderLayoutWithTaggedNumbersAndVersion3Records) {
    testing::Bytes b;
    b.i16(4).f32(2.5f);   // peakCount as a single: halves go to even, so 2 (a third entry is missing)
    b.i16(3).i32(101);    // rangeCount as a 32-bit integer
    b.i16(-1).i16(1);     // backgroundSet, backgroundType linear
    b.f32(290.0f);        // rangeHigh
    b.i16(5).f64(280.0);  // rangeLow as a double
    const std::tuple<const char*, float, int, int> peaks[] = {{"old one", 285.0f, 0, 1},
                                                              {"old two", 287.0f, 1, 0}};
    for (auto [label, position, fixFwhm, fixArea] : peaks) {
        b.i16(-1).text(label, 20).i16(1);
        for (float v : {0.0f, position, 400.0f, 30.0f, 1.1f}) b.f32(v);
        for (int v : {25, 0, fixFwhm, fixArea, 1, 7}) b.i16(v);
        b.block(std::vector<float>(102, 0.0f));
        for (int group = 0; group < 4; ++group) {
            b.i16(-1).i16(12).i16(-1).i16(12).i16(1).f32(0.25f).i16(group == 2 ? -1 : 0).f32(0.5f).f32(2.0f);
        }
    }
    testing::writeWholeFile(file, b.str());

    load(1);
    EXPECT_EQ(port.messages, Strings{});
    ASSERT_EQ(slotsOf(1), (std::vector<short>{2, 3}));
    EXPECT_EQ(ws.regions[1].backgroundType, 1);
    EXPECT_EQ(ws.regions[1].rangeLow, 280.0f);
    EXPECT_EQ(ws.regions[1].rangeCount, 101);
    EXPECT_EQ(ws.peaks[2].label.str(), "old one             ");
    EXPECT_EQ(ws.peaks[3].position, 287.0f);
    for (int p : {2, 3}) {
        const Peak& loaded = ws.peaks[p];
        EXPECT_EQ(loaded.ts, 0.0f);
        EXPECT_EQ(loaded.tl, 1.0f);
        EXPECT_EQ(loaded.fixFwhm, p == 2 ? 1 : 0);  // the stored fixArea
        EXPECT_EQ(loaded.fixArea, loaded.fixFwhm);
        EXPECT_EQ(loaded.height, 30.0f);
        for (PeakParam param : kPeakParams) {
            const ParamConstraint& c = ws.constraints[p].of(param);
            const ParamConstraint expected{
                kFalse, 12, kFalse, 12, 1, 0.25f, param == PeakParam::Fwhm ? kTrue : kFalse, 0.5f, 2.0f};
            EXPECT_EQ(c, expected);
        }
    }
}

TEST_F(RegionParametersTest, TooManyPeaksKeepsThePeaksPlacedSoFar) {
    // 45 more peaks in regions 3 to 7: once region 1 is cleared only entry 50 is free.
    for (int region = 3; region <= 7; ++region) {
        makeRegion(ws, region, 10, 300.0f, 1.0f, spectrum(1.0));
        acceptBackground(session, region);
    }
    int added = 0;
    for (int p = 0; p < 50; ++p) {
        if (!isTrue(ws.peaks[p].defined)) addPeak(ws, 3 + added++ / 10, p, 295.0f, 10.0f, 1.0f);
    }
    ASSERT_EQ(added, 45);
    save(0);
    load(1);

    EXPECT_EQ(port.events, (Strings{"(beep)", "Too many peaks"}));
    EXPECT_EQ(slotsOf(1), std::vector<short>{50});
    EXPECT_EQ(ws.peaks[50].position, 285.0f);
    EXPECT_EQ(port.peakButtonCaptions[10], "50");
    EXPECT_TRUE(port.peakButtonsEnabled[10]);
    EXPECT_FALSE(port.peakButtonsEnabled[11]);
    // Cleared, then neither recomputed nor redrawn.
    EXPECT_EQ(port.drawings, Drawings{SpectrumDrawing::RegionFrame});
    EXPECT_EQ(ws.regions[1].chiSquare, 0.0f);
}

TEST_F(RegionParametersTest, AFileCutAnywhereKeepsTheEntriesReadWhole) {
    const std::string whole = save(0);
    ASSERT_EQ(whole.size(), kHeaderSize + 3 * kEntrySize);
    const short lowestFree[] = {2, 3, 5};

    // One session for all cuts: every load starts from what the failed one before it left.
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        testing::writeWholeFile(file, whole.substr(0, cut));
        const Region before = ws.regions[1];
        load(1);
        ASSERT_EQ(port.messages, Strings{"Error in reading file"}) << cut;
        if (cut < kHeaderSize) {
            ASSERT_EQ(ws.regions[1], before) << cut;
            continue;
        }
        const int placed = static_cast<int>((cut - kHeaderSize) / kEntrySize);
        ASSERT_EQ(slotsOf(1), std::vector<short>(lowestFree, lowestFree + placed)) << cut;
        // The entry cut short is not placed: its peak stays free and its button blank.
        ASSERT_EQ(ws.peaks[lowestFree[placed]].defined, kFalse) << cut;
        ASSERT_FALSE(port.peakButtonsEnabled[10 + placed]) << cut;
        ASSERT_EQ(port.peakButtonCaptions[10 + placed], "") << cut;
        ASSERT_EQ(port.drawings.back(), SpectrumDrawing::RegionFrame)
            << cut;  // nothing drawn after the clear
    }

    // A value out of range ends the load the same way: type 9 in the second entry.
    std::string damaged = whole;
    damaged[kHeaderSize + kEntrySize + 22] = 9;
    testing::writeWholeFile(file, damaged);
    load(1);
    EXPECT_EQ(port.messages, Strings{"Error in reading file"});
    EXPECT_EQ(slotsOf(1), std::vector<short>{2});
}

TEST_F(RegionParametersTest, AFaultInTheRecomputationIsShownAndEndsTheLoad) {
    // One data point: no energy span to spread a fit range over.
    makeRegion(ws, 3, 1, 285.0f, 0.1f, spectrum(1.0));
    ws.regions[0].rangeHigh = 285.0f;
    ws.regions[0].rangeLow = 285.0f;
    ws.regions[0].rangeCount = 1;
    save(0);
    load(3);
    EXPECT_EQ(port.messages, Strings{"Division by zero"});
    EXPECT_EQ(slotsOf(3).size(), 3u);
    EXPECT_EQ(port.drawings, Drawings{SpectrumDrawing::RegionFrame});
}

TEST_F(RegionParametersTest, SavingReplacesTheWholeFileOrLeavesItAlone) {
    testing::writeWholeFile(file, std::string(10000, 'x'));
    EXPECT_EQ(save(0).size(), kHeaderSize + 3 * kEntrySize);

    const std::string kept = directory.file("kept.rpa");
    testing::writeWholeFile(kept, "previous content");
    ws.fileName = kept + "/inside-a-file.rpa";
    saveRegionParameters(session);
    EXPECT_EQ(port.messages, Strings{"Error in writing file"});
    EXPECT_EQ(testing::readWholeFile(kept), "previous content");
}

}  // namespace
}  // namespace vortlan
