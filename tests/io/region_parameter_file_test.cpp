#include "io/region_parameter_file.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <sstream>
#include <string>

#include "workspace/resize.h"

namespace vortlan {
namespace {

// Little-endian bytes put together by hand, independently of the writer under test.
class Bytes {
  public:
    Bytes& i16(int value) { return put(static_cast<std::uint16_t>(value), 2); }
    Bytes& i32(std::int32_t value) { return put(static_cast<std::uint32_t>(value), 4); }
    Bytes& f32(float value) { return put(std::bit_cast<std::uint32_t>(value), 4); }
    Bytes& f64(double value) { return put(std::bit_cast<std::uint64_t>(value), 8); }
    Bytes& text(std::string_view text) {
        data_.append(text);
        return *this;
    }
    const std::string& str() const { return data_; }

  private:
    Bytes& put(std::uint64_t value, int width) {
        for (int i = 0; i < width; ++i) data_.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
        return *this;
    }
    std::string data_;
};

std::uint64_t unsignedAt(const std::string& bytes, std::size_t offset, int width) {
    std::uint64_t value = 0;
    for (int i = 0; i < width; ++i) {
        value |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes.at(offset + i))) << (8 * i);
    }
    return value;
}
int shortAt(const std::string& b, std::size_t offset) {
    return static_cast<std::int16_t>(unsignedAt(b, offset, 2));
}
int longAt(const std::string& b, std::size_t offset) {
    return static_cast<std::int32_t>(unsignedAt(b, offset, 4));
}
float singleAt(const std::string& b, std::size_t offset) {
    return std::bit_cast<float>(static_cast<std::uint32_t>(unsignedAt(b, offset, 4)));
}

RegionParameterHeader readHeader(const std::string& bytes) {
    std::istringstream in(bytes);
    return readRegionParameterHeader(in);
}

// The older header around the three tagged numbers, whatever their types.
std::string olderHeader(const Bytes& peakCount, const Bytes& rangeCount, const Bytes& rangeLow) {
    return peakCount.str() + rangeCount.str() + Bytes().i16(-1).i16(1).f32(290.0f).str() + rangeLow.str();
}
Bytes tagged(TaggedType type) { return Bytes().i16(static_cast<int>(type)); }
Bytes taggedShort(int v) { return tagged(TaggedType::Short).i16(v); }

// Offsets in the current layout: the header, and within one entry with a curve of 0..6.
constexpr std::size_t kHeaderSize = 29 + 2 + 2 + 2 + 2 + 4 + 4;
constexpr std::size_t kCurveBound = 6;
constexpr std::size_t kPeakSize = 64 + 10 + 4 * (kCurveBound + 1);
constexpr std::size_t kEntrySize = kPeakSize + 96;
constexpr std::size_t kPosition = 2 + 20 + 2 + 4;
constexpr std::size_t kGl = 2 + 20 + 2 + 5 * 4;
constexpr std::size_t kRegionField = kGl + 5 * 2;
constexpr std::size_t kCurveBlock = kRegionField + 2;
constexpr std::size_t kTs = kCurveBlock + 10 + 4 * (kCurveBound + 1);
constexpr std::size_t kGroupSize = 24;

class RegionParameterFileTest : public ::testing::Test {
  protected:
    RegionParameterFileTest() {
        Region& r = ws.regions[2];
        allocateRegionArrays(r, 8);
        r.defined = kTrue;
        r.pointCount = 8;
        r.rangeCount = static_cast<short>(kCurveBound);
        r.backgroundSet = kTrue;
        r.backgroundType = 2;
        r.rangeHigh = 291.5f;
        r.rangeLow = 282.25f;
        r.peakCount = 2;
        r.peakSlots = {6, 1};  // slot order differs from peak order on purpose
        ws.regions[0].defined = kTrue;

        definePeak(6, 2, 285.5f);
        definePeak(1, 2, 288.0f);
        definePeak(3, 0, 280.0f);                   // another region's peak
        ws.peaks[5].region = 2;                     // a free entry that still names the region
        ws.peaks[1].label.assign("C-H");
        ws.peaks[1].ts = 0.25f;
        ws.peaks[1].tl = 3.0f;
        ws.peaks[1].gl = 45;
        ws.peaks[1].fixArea = 1;
        ParamConstraint& area = ws.constraints[1].area;
        area.linked = kTrue;
        area.refPeak = 6;
        area.op = 2;
        area.operand = 0.5f;
        area.limited = kTrue;
        area.low = 10.0f;
        area.high = 90.0f;
        ws.constraints[6].area.isReference = kTrue;
        ws.constraints[6].area.tiedPeak = 1;
    }
    void definePeak(int index, int region, float position) {
        Peak& p = ws.peaks[index];
        p.defined = kTrue;
        p.region = static_cast<short>(region);
        p.type = 1;
        p.position = position;
        p.area = 1000.0f + index;
        p.height = 40.0f;
        p.fwhm = 1.25f;
        p.tl = 1.0f;
        resizePeakCurve(ws, index, static_cast<int>(kCurveBound));
        for (std::size_t i = 0; i <= kCurveBound; ++i) p.curve[static_cast<int>(i)] = 100.0f * index + i;
    }
    std::string encode() const { return encodeRegionParameters(ws, 2); }

    Workspace ws;
};

TEST_F(RegionParameterFileTest, WritesTheHeaderAndTheRegionsPeaksInPeakOrder) {
    const std::string bytes = encode();
    ASSERT_EQ(bytes.size(), kHeaderSize + 2 * kEntrySize);
    EXPECT_EQ(bytes.substr(0, 29), "VORTLAN 4.0 Region Parameters");
    EXPECT_EQ(shortAt(bytes, 29), 2);
    EXPECT_EQ(shortAt(bytes, 31), 6);
    EXPECT_EQ(shortAt(bytes, 33), -1);
    EXPECT_EQ(shortAt(bytes, 35), 2);
    EXPECT_EQ(singleAt(bytes, 37), 291.5f);  // the high end first
    EXPECT_EQ(singleAt(bytes, 41), 282.25f);

    // Peak 1 before peak 6, though slot 0 holds 6; peak 3 of region 0 and the free peak 5 are left out.
    const std::size_t first = kHeaderSize;
    const std::size_t second = kHeaderSize + kEntrySize;
    EXPECT_EQ(shortAt(bytes, first), -1);
    EXPECT_EQ(bytes.substr(first + 2, 20), "C-H                 ");
    EXPECT_EQ(singleAt(bytes, first + kPosition), 288.0f);
    EXPECT_EQ(shortAt(bytes, first + kGl), 45);
    EXPECT_EQ(shortAt(bytes, first + kRegionField), 2);
    EXPECT_EQ(shortAt(bytes, first + kCurveBlock), 1);
    EXPECT_EQ(longAt(bytes, first + kCurveBlock + 2), 7);
    EXPECT_EQ(longAt(bytes, first + kCurveBlock + 6), 0);
    EXPECT_EQ(singleAt(bytes, first + kCurveBlock + 10), 100.0f);
    EXPECT_EQ(singleAt(bytes, first + kCurveBlock + 10 + 4 * 6), 106.0f);
    EXPECT_EQ(singleAt(bytes, first + kTs), 0.25f);
    EXPECT_EQ(singleAt(bytes, first + kTs + 4), 3.0f);

    // The area group, the second of four: links and limits as they are in the workspace.
    const std::size_t area = first + kPeakSize + kGroupSize;
    EXPECT_EQ(shortAt(bytes, area), -1);
    EXPECT_EQ(shortAt(bytes, area + 2), 6);
    EXPECT_EQ(shortAt(bytes, area + 8), 2);
    EXPECT_EQ(singleAt(bytes, area + 10), 0.5f);
    EXPECT_EQ(shortAt(bytes, area + 14), -1);
    EXPECT_EQ(singleAt(bytes, area + 16), 10.0f);
    EXPECT_EQ(singleAt(bytes, area + 20), 90.0f);

    EXPECT_EQ(singleAt(bytes, second + kPosition), 285.5f);
    EXPECT_EQ(shortAt(bytes, second + kPeakSize + kGroupSize + 4), -1);  // peak 6 is the area reference
}

TEST_F(RegionParameterFileTest, ARegionWithoutPeaksIsTheHeaderAlone) {
    ws.regions[2].peakCount = 0;
    ws.peaks[1].defined = kFalse;
    ws.peaks[6].defined = kFalse;
    const std::string bytes = encode();
    EXPECT_EQ(bytes.size(), kHeaderSize);
    EXPECT_EQ(shortAt(bytes, 29), 0);
}

TEST_F(RegionParameterFileTest, DecodesWhatItEncodes) {
    std::istringstream in(encode());
    const RegionParameterHeader header = readRegionParameterHeader(in);
    const RegionParameterHeader expected{PeakLayout::Version4, 2, 6, -1, 2, 291.5f, 282.25f};
    EXPECT_EQ(header, expected);
    BinaryReader reader(in);
    for (int p : {1, 6}) {
        const RegionParameterEntry entry = readRegionParameterEntry(reader, PeakLayout::Version4);
        EXPECT_EQ(entry.peak, ws.peaks[p]) << p;
        EXPECT_EQ(entry.constraints, ws.constraints[p]) << p;
    }
    EXPECT_EQ(in.peek(), std::char_traits<char>::eof());
}

TEST(RegionParameterHeader, OlderLayoutConvertsTaggedNumbersToTheirFields) {
    struct Case {
        Bytes peakCount;
        short expectedPeakCount;
        Bytes rangeCount;
        short expectedRangeCount;
        Bytes rangeLow;
        float expectedRangeLow;
    };
    const Case cases[] = {
        {taggedShort(3), 3, tagged(TaggedType::Long).i32(120), 120, taggedShort(280), 280.0f},
        {tagged(TaggedType::Single).f32(2.5f), 2, tagged(TaggedType::Double).f64(40.5), 40,
         tagged(TaggedType::Long).i32(281), 281.0f},
        {tagged(TaggedType::Double).f64(3.5), 4, tagged(TaggedType::Single).f32(41.5f), 42,
         tagged(TaggedType::Single).f32(280.25f), 280.25f},
        {tagged(TaggedType::Long).i32(10), 10, tagged(TaggedType::Double).f64(-0.4), 0,
         tagged(TaggedType::Double).f64(280.1), static_cast<float>(280.1)},
    };
    for (const Case& c : cases) {
        const RegionParameterHeader header = readHeader(olderHeader(c.peakCount, c.rangeCount, c.rangeLow));
        EXPECT_EQ(header.layout, PeakLayout::Version3);
        EXPECT_EQ(header.peakCount, c.expectedPeakCount);
        EXPECT_EQ(header.rangeCount, c.expectedRangeCount);
        EXPECT_EQ(header.backgroundSet, -1);
        EXPECT_EQ(header.backgroundType, 1);
        EXPECT_EQ(header.rangeHigh, 290.0f);
        EXPECT_EQ(header.rangeLow, c.expectedRangeLow);
    }
}

TEST(RegionParameterHeader, OlderLayoutLeavesTheStreamAtTheFirstEntry) {
    // Without peaks the older header is shorter than the version text of the current layout.
    const std::string header = olderHeader(taggedShort(1), taggedShort(5), taggedShort(280));
    ASSERT_LT(header.size(), kRegionParametersVersion.size());
    std::istringstream in(header + "ENTRY");
    EXPECT_EQ(readRegionParameterHeader(in).peakCount, 1);
    std::string rest;
    in >> rest;
    EXPECT_EQ(rest, "ENTRY");

    EXPECT_EQ(readHeader(olderHeader(taggedShort(0), taggedShort(5), taggedShort(280))).peakCount, 0);
}

TEST(RegionParameterHeader, TaggedNumbersThatDoNotFitTheirFieldAreReadFailures) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::string headers[] = {
        olderHeader(Bytes().i16(0).i16(3), taggedShort(5), taggedShort(280)),   // no such type
        olderHeader(Bytes().i16(6).i16(3), taggedShort(5), taggedShort(280)),
        olderHeader(Bytes().i16(8).i16(3), taggedShort(5), taggedShort(280)),   // a text
        olderHeader(Bytes().i16(-1).i16(3), taggedShort(5), taggedShort(280)),
        olderHeader(taggedShort(3), tagged(TaggedType::Long).i32(40000), taggedShort(280)),
        olderHeader(taggedShort(3), tagged(TaggedType::Double).f64(32767.5), taggedShort(280)),
        olderHeader(taggedShort(3), tagged(TaggedType::Single).f32(-32768.6f), taggedShort(280)),
        olderHeader(tagged(TaggedType::Double).f64(nan), taggedShort(5), taggedShort(280)),
        olderHeader(taggedShort(3), taggedShort(5), tagged(TaggedType::Double).f64(1e300)),
        olderHeader(taggedShort(3), taggedShort(5), tagged(TaggedType::Double).f64(nan)),
        olderHeader(taggedShort(3), taggedShort(5), Bytes().i16(7).f64(280.0)),
    };
    for (const std::string& header : headers) EXPECT_THROW(readHeader(header), ReadFailure);

    // The largest values that do fit.
    EXPECT_EQ(readHeader(olderHeader(taggedShort(3), tagged(TaggedType::Double).f64(32766.5), taggedShort(280)))
                  .rangeCount,
              32766);
}

std::string currentHeader(int peakCount, int rangeCount, int backgroundType) {
    return Bytes()
        .text(kRegionParametersVersion)
        .i16(peakCount)
        .i16(rangeCount)
        .i16(0)
        .i16(backgroundType)
        .f32(290.0f)
        .f32(280.0f)
        .str();
}

TEST(RegionParameterHeader, CountsAndTypesOutOfRangeAreReadFailures) {
    EXPECT_THROW(readHeader(currentHeader(11, 5, 0)), ReadFailure);
    EXPECT_THROW(readHeader(currentHeader(-1, 5, 0)), ReadFailure);
    EXPECT_THROW(readHeader(currentHeader(2, -1, 0)), ReadFailure);
    EXPECT_THROW(readHeader(currentHeader(2, 5, 3)), ReadFailure);
    EXPECT_THROW(readHeader(currentHeader(2, 5, -1)), ReadFailure);
    EXPECT_THROW(readHeader(olderHeader(taggedShort(11), taggedShort(5), taggedShort(280))), ReadFailure);

    const RegionParameterHeader widest = readHeader(currentHeader(10, 0, 2));
    EXPECT_EQ(widest.peakCount, 10);
    EXPECT_EQ(widest.rangeCount, 0);
    EXPECT_EQ(widest.backgroundType, 2);
    EXPECT_EQ(readHeader(currentHeader(0, 32767, 0)).rangeCount, 32767);  // the region judges this one
}

TEST(RegionParameterHeader, EveryTruncatedHeaderIsAReadFailure) {
    const std::string files[] = {
        currentHeader(2, 5, 1),
        olderHeader(tagged(TaggedType::Double).f64(2.0), tagged(TaggedType::Long).i32(5),
                    tagged(TaggedType::Single).f32(280.0f)),
    };
    for (const std::string& file : files) {
        ASSERT_NO_THROW(readHeader(file));
        for (std::size_t cut = 0; cut < file.size(); ++cut) {
            EXPECT_THROW(readHeader(file.substr(0, cut)), ReadFailure) << cut;
        }
    }
}

TEST_F(RegionParameterFileTest, EntriesWithValuesOutOfRangeAreReadFailures) {
    const auto entryFails = [this] {
        std::istringstream in(encode());
        readRegionParameterHeader(in);
        BinaryReader reader(in);
        EXPECT_THROW(readRegionParameterEntry(reader, PeakLayout::Version4), ReadFailure);
    };
    const Workspace original = ws;
    const auto damage = [&](auto change) {
        ws = original;
        change(ws.peaks[1], ws.constraints[1]);
        entryFails();
    };
    damage([](Peak& p, PeakConstraints&) { p.type = 5; });
    damage([](Peak& p, PeakConstraints&) { p.type = -1; });
    damage([](Peak& p, PeakConstraints&) { p.gl = 101; });
    damage([](Peak& p, PeakConstraints&) { p.gl = -1; });
    damage([](Peak& p, PeakConstraints&) { p.curve.allocate(5001); });
    damage([](Peak&, PeakConstraints& c) { c.position.refPeak = 51; });
    damage([](Peak&, PeakConstraints& c) { c.area.tiedPeak = -1; });
    damage([](Peak&, PeakConstraints& c) { c.fwhm.op = 4; });
    damage([](Peak&, PeakConstraints& c) { c.gl.refPeak = -32768; });

    // The limits of every field are themselves allowed.
    ws = original;
    ws.peaks[1].type = 4;
    ws.peaks[1].gl = 100;
    ws.peaks[1].curve.allocate(5000);
    ws.constraints[1].gl.refPeak = 50;
    ws.constraints[1].gl.tiedPeak = 50;
    ws.constraints[1].gl.op = 3;
    std::istringstream in(encode());
    readRegionParameterHeader(in);
    BinaryReader reader(in);
    const RegionParameterEntry entry = readRegionParameterEntry(reader, PeakLayout::Version4);
    EXPECT_EQ(entry.peak, ws.peaks[1]);
    EXPECT_EQ(entry.constraints, ws.constraints[1]);
}

}  // namespace
}  // namespace vortlan
