#include "io/project_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "io/binary_io.h"
#include "support/byte_builder.h"
#include "support/fitted_session.h"
#include "workspace/invariants.h"
#include "workspace/reset.h"

namespace vortlan {
namespace {

using testing::Bytes;

ProjectReadResult decode(const std::string& bytes, Workspace& ws) {
    std::istringstream in(bytes);
    resetWorkspaceRecords(ws);
    return decodeProject(in, ws);
}

// Regions and peaks as the reader gives them back: defined entries compared whole.
void expectSameWorkspace(const Workspace& read, const Workspace& written) {
    for (int r = 0; r < kRegionCount; ++r) {
        EXPECT_EQ(isTrue(read.regions[r].defined), isTrue(written.regions[r].defined)) << "region " << r;
        if (isTrue(written.regions[r].defined)) {
            EXPECT_TRUE(read.regions[r] == written.regions[r]) << "region " << r;
        }
    }
    for (int p = 0; p < kPeakCount; ++p) {
        EXPECT_EQ(isTrue(read.peaks[p].defined), isTrue(written.peaks[p].defined)) << "peak " << p;
        if (!isTrue(written.peaks[p].defined)) continue;
        EXPECT_TRUE(read.peaks[p] == written.peaks[p]) << "peak " << p;
        EXPECT_TRUE(read.constraints[p] == written.constraints[p]) << "peak " << p;
    }
    EXPECT_TRUE(read.scratchPeak == written.scratchPeak);
    EXPECT_EQ(read.currentPeak, written.currentPeak);
    EXPECT_EQ(read.currentRegion, written.currentRegion);
    EXPECT_EQ(read.peakTotal, written.peakTotal);
    EXPECT_EQ(read.totalChiSquare, written.totalChiSquare);
    EXPECT_EQ(read.areaScrollUnit, written.areaScrollUnit);
}

class ProjectFileTest : public ::testing::Test, protected testing::FittedSession {
protected:
    ProjectFileTest() {
        Workspace& ws = session.workspace;
        ws.peakTotal = 4;
        ws.totalChiSquare = 12.5f;
        ws.areaScrollUnit = 2.2f;
        ws.currentRegion = 3;
        ws.scratchPeak = ws.peaks[2];
    }
    Workspace read;
};

TEST_F(ProjectFileTest, RoundTripGivesBackEveryField) {
    const std::string bytes = encodeProject(session.workspace);
    const ProjectReadResult result = decode(bytes, read);
    ASSERT_EQ(result.status, ProjectRead::Complete);
    EXPECT_EQ(result.description, "Sample A, sputtered 5 min");
    expectSameWorkspace(read, session.workspace);
}

TEST_F(ProjectFileTest, SizesFollowTheRecordRules) {
    const Workspace& ws = session.workspace;
    const auto regionEntry = [](int n) { return 2 + 2 + 120 + 8 * arrayBlockSize(n); };
    const auto peakEntry = [](int m) { return 2 + 2 + 64 + arrayBlockSize(m) + 96; };
    const std::size_t scratch = 64 + arrayBlockSize(ws.scratchPeak.curve.bound());
    const std::size_t description = 4 + ws.description.size();
    const std::size_t expected = 11 + regionEntry(121) + regionEntry(81) + 8 * 2 + 3 * peakEntry(ws.regions[0].rangeCount) +
                                 peakEntry(ws.regions[3].rangeCount) + 47 * 2 + 2 + scratch + 2 + 4 + 4 + 2 +
                                 description;
    EXPECT_EQ(encodeProject(ws).size(), expected);
}

TEST_F(ProjectFileTest, EmptyWorkspaceIsTheVersionAbsenceMarksAndTheTail) {
    Workspace empty;
    empty.totalChiSquare = 3.0f;
    empty.areaScrollUnit = 1.5f;
    empty.currentRegion = 2;
    const std::string bytes = encodeProject(empty);
    EXPECT_EQ(bytes.substr(0, 11), "VORTLAN 4.0");
    for (int entry = 0; entry < 61; ++entry) EXPECT_EQ(bytes.substr(11 + 2 * entry, 2), "DA");
    // A scratch peak that never had a curve is stored with a dimension count of 0.
    EXPECT_EQ(bytes.size(), 11u + 61 * 2 + 2 + 64 + 2 + 2 + 4 + 4 + 2 + 4);
    ASSERT_EQ(decode(bytes, read).status, ProjectRead::Complete);
    EXPECT_FALSE(read.scratchPeak.curve.hasStorage());
    EXPECT_EQ(read.totalChiSquare, 3.0f);
    EXPECT_EQ(read.areaScrollUnit, 1.5f);
    EXPECT_EQ(read.currentRegion, 2);
}

TEST_F(ProjectFileTest, DescriptionIsCutTo128Characters) {
    session.workspace.description = std::string(300, 'x');
    const ProjectReadResult result = decode(encodeProject(session.workspace), read);
    EXPECT_EQ(result.description, std::string(128, 'x'));
}

TEST_F(ProjectFileTest, MissingOrDamagedDescriptionStillOpens) {
    std::string bytes = encodeProject(session.workspace);
    const std::size_t tail = 4 + session.workspace.description.size();
    for (std::size_t cut : {tail, tail - 1, tail - 3, tail - 10}) {
        const ProjectReadResult result = decode(bytes.substr(0, bytes.size() - cut), read);
        EXPECT_EQ(result.status, ProjectRead::Complete) << cut;
        EXPECT_FALSE(result.description) << cut;
    }
}

TEST_F(ProjectFileTest, EveryCutBeforeTheDescriptionFailsAndKeepsTheRules) {
    const std::string bytes = encodeProject(session.workspace);
    const std::size_t end = bytes.size() - 4 - session.workspace.description.size();
    for (std::size_t length = 0; length < end; length += (length < 300 ? 1 : 97)) {
        const ProjectReadResult result = decode(bytes.substr(0, length), read);
        EXPECT_EQ(result.status, ProjectRead::Failed) << "length " << length;
        EXPECT_EQ(firstBrokenRule(read), "") << "length " << length;
    }
}

TEST_F(ProjectFileTest, CutInsideThePeaksKeepsTheRegionsReadBefore) {
    const std::string bytes = encodeProject(session.workspace);
    // Cut inside the second peak: region 0 stays, listing only the peak read before.
    const auto regionEntry = [](int n) { return 2 + 2 + 120 + 8 * arrayBlockSize(n); };
    const std::size_t peaksStart = 11 + regionEntry(121) + regionEntry(81) + 8 * 2;
    ASSERT_EQ(bytes.substr(peaksStart, 2), "DP");
    const std::size_t cut = peaksStart + (2 + 2 + 64 + 96 + arrayBlockSize(session.workspace.regions[0].rangeCount)) + 50;
    decode(bytes.substr(0, cut), read);
    EXPECT_EQ(firstBrokenRule(read), "");
    EXPECT_TRUE(isTrue(read.regions[0].defined));
    EXPECT_TRUE(isTrue(read.regions[3].defined));
    EXPECT_EQ(read.regions[0].peakCount, 1);
    EXPECT_EQ(read.regions[3].peakCount, 0);
    for (int s = 0; s < read.regions[0].peakCount; ++s) EXPECT_TRUE(isTrue(read.peaks[read.regions[0].peakSlots[s]].defined));
}

TEST_F(ProjectFileTest, WrongVersionIsNotAProject) {
    EXPECT_EQ(decode("VORTLAN 5.0" + std::string(100, 'D'), read).status, ProjectRead::WrongFormat);
    EXPECT_EQ(decode("Hello, world", read).status, ProjectRead::WrongFormat);
    EXPECT_EQ(decode("VORT", read).status, ProjectRead::Failed);
    EXPECT_EQ(decode("", read).status, ProjectRead::Failed);
}

// Writes the encoded workspace with one stored short replaced.
std::string withShortAt(std::string bytes, std::size_t offset, std::int16_t value) {
    bytes[offset] = static_cast<char>(value & 0xFF);
    bytes[offset + 1] = static_cast<char>((value >> 8) & 0xFF);
    return bytes;
}

TEST_F(ProjectFileTest, CountsAndIndexesOutOfRangeAreRefused) {
    const std::string bytes = encodeProject(session.workspace);
    constexpr std::size_t region0 = 11 + 2;                  // after the version and the "DP"
    constexpr std::size_t record = region0 + 2;              // the Region record
    const std::size_t afterArrays = record + 26 + 2 * arrayBlockSize(121);  // beHigh
    struct Case {
        const char* what;
        std::size_t offset;
        std::int16_t value;
    };
    const Case cases[] = {
        {"allocation count above the limit", region0, 20000},
        {"negative allocation count", region0, -3},
        {"point count beyond the arrays", record + 24, 5000},
        {"peak count above ten", afterArrays + 18, 11},
        {"slot outside the peak table", afterArrays + 20, 51},
        {"background type", afterArrays + 40, 7},
        {"range count beyond the points", afterArrays + 58, 122},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decode(withShortAt(bytes, c.offset, c.value), read).status, ProjectRead::Failed) << c.what;
        EXPECT_EQ(firstBrokenRule(read), "") << c.what;
    }
}

TEST_F(ProjectFileTest, StoredAveragePointsOfZeroReadsAsNone) {
    session.workspace.regions[0].averagePoints = 0;
    ASSERT_EQ(decode(encodeProject(session.workspace), read).status, ProjectRead::Complete);
    EXPECT_EQ(read.regions[0].averagePoints, 1);
    session.workspace.regions[0].averagePoints = 4;
    EXPECT_EQ(decode(encodeProject(session.workspace), read).status, ProjectRead::Failed);
}

TEST_F(ProjectFileTest, StaleRangeOfARegionWithoutBackgroundIsReset) {
    // A slot re-used by an import keeps the range fields of its earlier spectrum until a background
    // is accepted: a 41-point spectrum in a slot that once held a 121-point range.
    Workspace& ws = session.workspace;
    testing::makeRegion(ws, 6, 41, 540.0f, 0.1f, testing::gaussianOn(100.0, 538.0, 500.0, 1.0));
    Region& stale = ws.regions[6];
    stale.backgroundSet = kFalse;
    stale.rangeCount = 121;
    stale.indexAtHigh = 3;
    stale.indexAtLow = 118;
    stale.rangeLow = 531.0f;
    stale.rangeHigh = 539.0f;
    ASSERT_EQ(decode(encodeProject(ws), read).status, ProjectRead::Complete);
    const Region& region = read.regions[6];
    ASSERT_TRUE(isTrue(region.defined));
    EXPECT_EQ(region.pointCount, 41);
    EXPECT_EQ(region.rangeCount, 0);
    EXPECT_EQ(region.indexAtHigh, 0);
    EXPECT_EQ(region.indexAtLow, 0);
    // The limits are settings, not derived data: they are kept.
    EXPECT_EQ(region.rangeLow, 531.0f);
    EXPECT_EQ(region.rangeHigh, 539.0f);
    EXPECT_TRUE(read.regions[0] == ws.regions[0]);
    EXPECT_EQ(firstBrokenRule(read), "");
}

TEST_F(ProjectFileTest, StoredGlOutsideItsRangeIsClamped) {
    Workspace& ws = session.workspace;
    ws.peaks[1].gl = 101;
    ws.peaks[5].gl = -7;
    ASSERT_EQ(decode(encodeProject(ws), read).status, ProjectRead::Complete);
    EXPECT_EQ(read.peaks[1].gl, 100);
    EXPECT_EQ(read.peaks[5].gl, 0);
    EXPECT_EQ(read.peaks[0].gl, ws.peaks[0].gl);
}

TEST_F(ProjectFileTest, PeakFieldsOutOfRangeAreRefused) {
    Workspace& ws = session.workspace;
    ws.peaks[1].type = 5;
    EXPECT_EQ(decode(encodeProject(ws), read).status, ProjectRead::Failed);
    ws.peaks[1].type = 1;
    ws.constraints[2].area.refPeak = 60;
    EXPECT_EQ(decode(encodeProject(ws), read).status, ProjectRead::Failed);
    ws.constraints[2].area.refPeak = 0;
    ws.peaks[5].region = 4;  // a region that holds no data
    EXPECT_EQ(decode(encodeProject(ws), read).status, ProjectRead::Failed);
    EXPECT_EQ(firstBrokenRule(read), "");
}

// A version-3 peak entry: the version-4 record without ts and tl.
void version3Peak(Bytes& b, short region, short fixFwhm, short fixArea, int rangeCount) {
    b.text("DP").i16(rangeCount);
    b.i16(-1).text("comp", 20).i16(1);
    for (float v : {0.0f, 100.0f, 500.0f, 40.0f, 1.1f}) b.f32(v);
    b.i16(25).i16(0).i16(fixFwhm).i16(fixArea).i16(1).i16(region);
    b.block(std::vector<float>(rangeCount + 1, 7.0f));
    for (int group = 0; group < 4; ++group) b.i16(0).i16(0).i16(0).i16(0).i16(0).f32(0).i16(-1).f32(1).f32(9);
}

// A region entry of the current record layout with n points and no peaks.
void regionEntry(Bytes& b, int n, bool fixedBlocks) {
    const auto array = [&](float value) {
        if (fixedBlocks) {
            for (int i = 0; i < 2001; ++i) b.f32(i <= n ? value + i : -1.0f);
        } else {
            b.block(std::vector<float>(n + 1, value));
        }
    };
    b.text("DP");
    if (!fixedBlocks) b.i16(n);
    b.i16(-1).i16(7).text("old region", 20).i16(n);
    array(300.0f);
    array(50.0f);
    b.f32(300).f32(290).f32(60).f32(50).i16(-1).i16(1);
    b.i16(0);
    for (int s = 1; s < 10; ++s) b.i16(0);
    b.i16(0).f32(290).f32(300).f32(0).i16(1).i16(n).i16(n);
    b.f32(10).f32(0).f32(0.1f).f32(2.5f);
    for (int a = 0; a < 6; ++a) array(1.0f);
    b.f32(50).f32(60).i16(0).f32(0).f32(0);
}

TEST(ProjectFileLayouts, Version3PeaksAreUpgraded) {
    Bytes b;
    b.text("VORTLAN 3.0");
    regionEntry(b, 20, false);
    for (int r = 1; r < 10; ++r) b.text("DA");
    version3Peak(b, 0, 0, 1, 20);
    for (int p = 1; p < 51; ++p) b.text("DA");
    b.i16(0);
    b.i16(0).text("", 20).i16(0);
    for (int v = 0; v < 5; ++v) b.f32(0);
    for (int v = 0; v < 6; ++v) b.i16(0);
    b.i16(0);  // the scratch peak's curve without storage
    b.i16(1).f32(2.0f).f32(1.0f).i16(0).i16(8).i16(3).text("old");
    Workspace ws;
    std::istringstream in(b.str());
    const ProjectReadResult result = decodeProject(in, ws);
    ASSERT_EQ(result.status, ProjectRead::Complete) << firstBrokenRule(ws);
    const Peak& p = ws.peaks[0];
    EXPECT_EQ(p.ts, 0.0f);
    EXPECT_EQ(p.tl, 1.0f);
    EXPECT_EQ(p.fixFwhm, 1);  // the stored area flag
    EXPECT_EQ(p.fixArea, 1);
    EXPECT_EQ(p.gl, 25);
    EXPECT_EQ(p.label.str(), "comp                ");
    EXPECT_EQ(ws.regions[0].averagePoints, 1);
    EXPECT_EQ(ws.regions[0].caption.str(), "old region          ");
    EXPECT_EQ(ws.constraints[0].fwhm.high, 9.0f);
    EXPECT_EQ(result.description, "old");
}

TEST(ProjectFileLayouts, OldestLayoutKeepsTheDataOfItsFixedBlocks) {
    Bytes b;
    b.text("SF");
    regionEntry(b, 20, true);
    for (int r = 1; r < 10; ++r) b.text("DA");
    // Peak 0 of region 0, then twenty absent entries.
    b.text("DP").i16(-1).text("old peak", 20).i16(1);
    for (float v : {0.0f, 295.0f, 800.0f, 60.0f, 1.3f}) b.f32(v);
    b.i16(40).i16(0).i16(0).i16(0).i16(1).i16(0);
    for (int i = 0; i < 2001; ++i) b.f32(static_cast<float>(i));
    for (int group = 0; group < 4; ++group) b.i16(group == 0 ? 5 : 0).i16(0).i16(group == 1 ? 3 : 0).i16(0).i16(0).f32(0);
    for (int p = 1; p < 21; ++p) b.text("DA");
    b.i16(0);
    b.i16(0).text("", 20).i16(0);
    for (int v = 0; v < 5; ++v) b.f32(0);
    for (int v = 0; v < 6; ++v) b.i16(0);
    for (int i = 0; i < 2001; ++i) b.f32(0);
    b.block(std::vector<float>{1, 2, 3});
    b.i16(0).f32(0).f32(1).i16(0);  // no description
    Workspace ws;
    ws.peaks[30].defined = kFalse;
    ws.constraints[0].position.low = 42.0f;
    std::istringstream in(b.str());
    const ProjectReadResult result = decodeProject(in, ws);
    ASSERT_EQ(result.status, ProjectRead::Complete) << firstBrokenRule(ws);
    EXPECT_FALSE(result.description);
    const Region& r = ws.regions[0];
    EXPECT_EQ(r.energy.bound(), 20);
    EXPECT_EQ(r.energy[20], 320.0f);
    const Peak& p = ws.peaks[0];
    EXPECT_EQ(p.curve.bound(), 20);
    EXPECT_EQ(p.curve[20], 20.0f);
    EXPECT_EQ(p.ts, 0.0f);
    EXPECT_EQ(p.tl, 1.0f);
    const PeakConstraints& c = ws.constraints[0];
    EXPECT_EQ(c.position.linked, kTrue);  // a stored 5 is a true flag
    EXPECT_EQ(c.area.isReference, kTrue);
    EXPECT_EQ(c.position.limited, kFalse);
    EXPECT_EQ(c.position.low, 42.0f);  // not stored in this layout
    EXPECT_EQ(ws.scratchPeak.curve.bound(), 2);
    EXPECT_EQ(ws.scratchPeak.tl, 1.0f);
}

}  // namespace
}  // namespace vortlan
