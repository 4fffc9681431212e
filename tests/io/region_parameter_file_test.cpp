#include "io/region_parameter_file.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <tuple>

#include "support/byte_builder.h"
#include "workspace/resize.h"

namespace vortlan {
namespace {

using testing::Bytes;

int shortAt(const std::string& b, std::size_t at) {
    return static_cast<std::int16_t>(static_cast<unsigned char>(b.at(at)) |
                                     static_cast<unsigned char>(b.at(at + 1)) << 8);
}
float singleAt(const std::string& b, std::size_t at) {
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= static_cast<std::uint32_t>(static_cast<unsigned char>(b.at(at + i))) << 8 * i;
    return std::bit_cast<float>(bits);
}

RegionParameterHeader readHeader(const std::string& bytes) {
    std::istringstream in(bytes);
    return readRegionParameterHeader(in);
}

Bytes tagged(TaggedType type) {
    return Bytes().i16(static_cast<int>(type));
}
Bytes taggedShort(int v) {
    return tagged(TaggedType::Short).i16(v);
}

// The older header around its three tagged numbers: backgroundSet -1, linear, rangeHigh 290.
std::string olderHeader(const Bytes& peakCount, const Bytes& rangeCount, const Bytes& rangeLow) {
    return peakCount.str() + rangeCount.str() + Bytes().i16(-1).i16(1).f32(290.0f).str() + rangeLow.str();
}

std::string currentHeader(int peakCount, int rangeCount, int backgroundType) {
    return Bytes()
        .text("VORTLAN 4.0 Region Parameters")
        .i16(peakCount)
        .i16(rangeCount)
        .i16(0)
        .i16(backgroundType)
        .f32(290.0f)
        .f32(280.0f)
        .str();
}

// Offsets in the current layout, for entries whose curve has indexes 0..6.
constexpr std::size_t kHeaderSize = 29 + 4 * 2 + 2 * 4;
constexpr std::size_t kPeakSize = 64 + 10 + 4 * 7;
constexpr std::size_t kEntrySize = kPeakSize + 96;
constexpr std::size_t kPosition = 2 + 20 + 2 + 4;
constexpr std::size_t kCurveBlock = kPosition + 4 * 4 + 6 * 2;
constexpr std::size_t kTs = kCurveBlock + 10 + 4 * 7;

// Region 2 lists peaks 6 and 1 (in that slot order); peak 3 belongs to region 0 and entry 5 is free
// although it still names region 2.  Peak 1's area is tied to peak 6's, with limits.
class RegionParameterFileTest : public ::testing::Test {
  protected:
    RegionParameterFileTest() {
        Region& r = ws.regions[2];
        r.defined = kTrue;
        r.rangeCount = 6;
        r.backgroundSet = kTrue;
        r.backgroundType = 2;
        r.rangeHigh = 291.5f;
        r.rangeLow = 282.25f;
        r.peakCount = 2;
        r.peakSlots = {6, 1};
        const std::tuple<int, int, float> peaks[] = {{6, 2, 285.5f}, {1, 2, 288.0f}, {3, 0, 280.0f}};
        for (auto [p, region, position] : peaks) {
            Peak& peak = ws.peaks[p];
            peak.defined = kTrue;
            peak.region = static_cast<short>(region);
            peak.position = position;
            peak.gl = 45;
            peak.tl = 1.0f;
            resizePeakCurve(ws, p, 6);
            for (int i = 0; i <= 6; ++i) peak.curve[i] = 100.0f * p + i;
        }
        ws.peaks[5].region = 2;
        ws.peaks[1].label.assign("C-H");
        ws.peaks[1].ts = 0.25f;
        ws.constraints[1].area = {kTrue, 6, kFalse, 0, 2, 0.5f, kTrue, 10.0f, 90.0f};
        ws.constraints[6].area.isReference = kTrue;
        ws.constraints[6].area.tiedPeak = 1;
    }
    std::string encode() const { return encodeRegionParameters(ws, 2); }
    RegionParameterEntry firstEntry() const {
        std::istringstream in(encode());
        readRegionParameterHeader(in);
        BinaryReader reader(in);
        return readRegionParameterEntry(reader, PeakLayout::Version4);
    }

    Workspace ws;
};

TEST_F(RegionParameterFileTest, WritesTheHeaderThenTheRegionsPeaksInPeakOrder) {
    const std::string bytes = encode();
    ASSERT_EQ(bytes.size(), kHeaderSize + 2 * kEntrySize);
    EXPECT_EQ(bytes.substr(0, 29), "VORTLAN 4.0 Region Parameters");
    EXPECT_EQ(shortAt(bytes, 29), 2);
    EXPECT_EQ(shortAt(bytes, 31), 6);
    EXPECT_EQ(shortAt(bytes, 33), -1);
    EXPECT_EQ(shortAt(bytes, 35), 2);
    EXPECT_EQ(singleAt(bytes, 37), 291.5f);  // the high end first
    EXPECT_EQ(singleAt(bytes, 41), 282.25f);

    const std::size_t first = kHeaderSize;
    EXPECT_EQ(bytes.substr(first + 2, 20), "C-H                 ");
    EXPECT_EQ(singleAt(bytes, first + kPosition), 288.0f);
    EXPECT_EQ(shortAt(bytes, first + kCurveBlock), 1);
    EXPECT_EQ(singleAt(bytes, first + kCurveBlock + 10 + 4 * 6), 106.0f);
    EXPECT_EQ(singleAt(bytes, first + kTs), 0.25f);
    const std::size_t area = first + kPeakSize + 24;  // the second of the four constraint groups
    EXPECT_EQ(shortAt(bytes, area), -1);
    EXPECT_EQ(shortAt(bytes, area + 2), 6);
    EXPECT_EQ(singleAt(bytes, area + 20), 90.0f);
    EXPECT_EQ(singleAt(bytes, first + kEntrySize + kPosition), 285.5f);

    // Read back: the same header and records, and nothing after them.
    std::istringstream in(bytes);
    EXPECT_EQ(readRegionParameterHeader(in),
              (RegionParameterHeader{PeakLayout::Version4, 2, 6, -1, 2, 291.5f, 282.25f}));
    BinaryReader reader(in);
    for (int p : {1, 6}) {
        const RegionParameterEntry entry = readRegionParameterEntry(reader, PeakLayout::Version4);
        EXPECT_EQ(entry.peak, ws.peaks[p]);
        EXPECT_EQ(entry.constraints, ws.constraints[p]);
    }
    EXPECT_EQ(in.peek(), std::char_traits<char>::eof());
}

TEST(RegionParameterHeader, OlderLayoutConvertsTaggedNumbersToTheirFields) {
    struct Case {
        Bytes peakCount, rangeCount, rangeLow;
        short expectedPeakCount, expectedRangeCount;
        float expectedRangeLow;
    };
    const Case cases[] = {
        {taggedShort(3), tagged(TaggedType::Long).i32(120), taggedShort(280), 3, 120, 280.0f},
        {tagged(TaggedType::Single).f32(2.5f), tagged(TaggedType::Double).f64(40.5),
         tagged(TaggedType::Long).i32(281), 2, 40, 281.0f},
        {tagged(TaggedType::Double).f64(3.5), tagged(TaggedType::Single).f32(41.5f),
         tagged(TaggedType::Single).f32(280.25f), 4, 42, 280.25f},
        {tagged(TaggedType::Long).i32(10), tagged(TaggedType::Double).f64(32766.5),
         tagged(TaggedType::Double).f64(280.1), 10, 32766, static_cast<float>(280.1)},
    };
    for (const Case& c : cases) {
        const RegionParameterHeader header = readHeader(olderHeader(c.peakCount, c.rangeCount, c.rangeLow));
        const RegionParameterHeader expected{
            PeakLayout::Version3, c.expectedPeakCount, c.expectedRangeCount, -1, 1, 290.0f,
            c.expectedRangeLow};
        EXPECT_EQ(header, expected);
    }

    // Without peaks the older file is shorter than the version text; the stream stops at the entries.
    std::istringstream in(olderHeader(taggedShort(0), taggedShort(5), taggedShort(280)) + "NEXT");
    EXPECT_EQ(readRegionParameterHeader(in).peakCount, 0);
    std::string rest;
    in >> rest;
    EXPECT_EQ(rest, "NEXT");
}

TEST(RegionParameterHeader, ValuesThatDoNotFitAndShortHeadersAreReadFailures) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::string headers[] = {
        olderHeader(Bytes().i16(0).i16(3), taggedShort(5), taggedShort(280)),  // unknown type codes
        olderHeader(Bytes().i16(8).i16(3), taggedShort(5), taggedShort(280)),
        olderHeader(taggedShort(3), taggedShort(5), Bytes().i16(6).f64(280.0)),
        olderHeader(taggedShort(3), tagged(TaggedType::Long).i32(40000), taggedShort(280)),
        olderHeader(taggedShort(3), tagged(TaggedType::Double).f64(32767.5), taggedShort(280)),
        olderHeader(taggedShort(3), tagged(TaggedType::Single).f32(-32768.6f), taggedShort(280)),
        olderHeader(tagged(TaggedType::Double).f64(nan), taggedShort(5), taggedShort(280)),
        olderHeader(taggedShort(3), taggedShort(5), tagged(TaggedType::Double).f64(1e300)),
        olderHeader(taggedShort(11), taggedShort(5), taggedShort(280)),
        currentHeader(11, 5, 0),
        currentHeader(-1, 5, 0),
        currentHeader(2, -1, 0),
        currentHeader(2, 5, 3),
        currentHeader(2, 5, -1),
    };
    for (const std::string& header : headers) EXPECT_THROW(readHeader(header), ReadFailure);

    const RegionParameterHeader widest = readHeader(currentHeader(10, 0, 2));
    EXPECT_EQ(widest.peakCount, 10);
    EXPECT_EQ(widest.backgroundType, 2);

    const std::string whole[] = {currentHeader(2, 5, 1), olderHeader(tagged(TaggedType::Double).f64(2.0),
                                                                     tagged(TaggedType::Long).i32(5),
                                                                     tagged(TaggedType::Single).f32(280.0f))};
    for (const std::string& file : whole) {
        for (std::size_t cut = 0; cut < file.size(); ++cut) {
            EXPECT_THROW(readHeader(file.substr(0, cut)), ReadFailure) << cut;
        }
    }
}

TEST_F(RegionParameterFileTest, EntriesWithValuesOutOfRangeAreReadFailures) {
    const Workspace original = ws;
    const auto damaged = [&](auto change) {
        ws = original;
        change(ws.peaks[1], ws.constraints[1]);
        EXPECT_THROW(firstEntry(), ReadFailure);
    };
    damaged([](Peak& p, PeakConstraints&) { p.type = 5; });
    damaged([](Peak& p, PeakConstraints&) { p.type = -1; });
    damaged([](Peak& p, PeakConstraints&) { p.curve.allocate(5001); });
    damaged([](Peak&, PeakConstraints& c) { c.position.refPeak = 51; });
    damaged([](Peak&, PeakConstraints& c) { c.area.tiedPeak = -1; });
    damaged([](Peak&, PeakConstraints& c) { c.fwhm.op = 4; });

    // A %GL computed through a relation may lie outside 0-100: it is read as the nearest bound.
    for (const auto& [stored, read] : {std::pair<short, short>{101, 100}, {-1, 0}, {400, 100}}) {
        ws = original;
        ws.peaks[1].gl = stored;
        EXPECT_EQ(firstEntry().peak.gl, read) << stored;
    }

    ws = original;
    ws.peaks[1].type = 4;
    ws.peaks[1].gl = 100;
    ws.peaks[1].curve.allocate(5000);
    ws.constraints[1].gl = {kFalse, 50, kFalse, 50, 3, 0.0f, kFalse, 0.0f, 0.0f};
    const RegionParameterEntry widest = firstEntry();
    EXPECT_EQ(widest.peak, ws.peaks[1]);
    EXPECT_EQ(widest.constraints, ws.constraints[1]);
}

}  // namespace
}  // namespace vortlan
