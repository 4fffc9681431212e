#include "io/exports.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "workspace/resize.h"

namespace vortlan {
namespace {

// One CR LF line with each text starting at its column: the layout the files promise, placed directly.
std::string line(std::initializer_list<std::pair<int, std::string>> items) {
    std::string text;
    for (const auto& [column, item] : items) {
        text.resize(static_cast<std::size_t>(column - 1), ' ');
        text += item;
    }
    return text + "\r\n";
}

// Region 2: five points; the fitted range starts at point 2 and holds three points, although
// indexAtLow reaches point 5.
struct SmallRegion {
    SmallRegion() {
        resizeRegionArrays(ws, 2, 5);
        Region& r = ws.regions[2];
        r.defined = kTrue;
        r.pointCount = 5;
        const float energy[] = {290.0f, 289.5f, 289.0f, 288.5f, 288.0f};
        const float counts[] = {100.0f, 0.5f, 250.0f, 1200.0f, 80.0f};
        for (int i = 1; i <= 5; ++i) {
            r.energy[i] = energy[i - 1];
            r.counts[i] = counts[i - 1];
        }
        r.indexAtHigh = 2;
        r.indexAtLow = 5;
        r.rangeCount = 3;
        const float envelope[] = {300.0f, 310.5f, 1250.0f};
        const float background[] = {100.0f, 100.25f, 100.5f};
        const float residual[] = {-299.5f, -60.5f, -50.0f};
        for (int j = 1; j <= 3; ++j) {
            r.envelope[j] = envelope[j - 1];
            r.background[j] = background[j - 1];
            r.residual[j] = residual[j - 1];
        }
    }
    // Puts global peak `p` into the region's next slot with the given curve.
    Peak& addPeak(int p, std::initializer_list<float> curve) {
        Region& r = ws.regions[2];
        r.peakSlots[r.peakCount++] = static_cast<short>(p);
        resizePeakCurve(ws, p, r.rangeCount);
        Peak& peak = ws.peaks[p];
        peak.defined = kTrue;
        peak.region = 2;
        int j = 1;
        for (float v : curve) peak.curve[j++] = v;
        return peak;
    }
    Workspace ws;
};

TEST(ColumnText, StopsAndZones) {
    ColumnText out;
    out.toColumn(5).write("abcdefgh").toColumn(10).write("x");  // already past column 10: a new line
    out.endLine().nextZone().write("14 characters.").nextZone().write("y");
    EXPECT_EQ(out.text(), "    abcdefgh\r\n         x\r\n              14 characters.              y");
    EXPECT_EQ(out.column(), 44);
}

TEST(SpectrumExport, WithoutPeaksTwoColumns) {
    SmallRegion small;
    const std::string expected = line({{1, "B.E.(eV)"}, {20, "Raw Intensity"}}) +
                                 " 290                100 \r\n" + " 289.5              .5 \r\n" +
                                 line({{1, " 289 "}, {20, " 250 "}}) +
                                 line({{1, " 288.5 "}, {20, " 1200 "}}) + line({{1, " 288 "}, {20, " 80 "}});
    EXPECT_EQ(spectrumExportText(small.ws, 2), expected);
}

TEST(SpectrumExport, PeaksInSlotOrderInsideTheFittedRangeOnly) {
    SmallRegion small;
    small.addPeak(7, {150.0f, 160.0f, 1000.0f});
    small.addPeak(2, {250.0f, 250.5f, -1.5f});
    const std::string expected =
        line({{1, "B.E.(eV)"},
              {20, "Raw Intensity"},
              {40, "Peak Sum"},
              {60, "Background"},
              {80, "Peak 1 "},
              {100, "Peak 2 "},
              {120, "difference"}}) +
        line({{1, " 290 "}, {20, " 100 "}}) +  // before the range
        line({{1, " 289.5 "},
              {20, " .5 "},
              {40, " 300 "},
              {60, " 100 "},
              {80, " 150 "},
              {100, " 250 "},
              {120, "-299.5 "}}) +
        line({{1, " 289 "},
              {20, " 250 "},
              {40, " 310.5 "},
              {60, " 100.25 "},
              {80, " 160 "},
              {100, " 250.5 "},
              {120, "-60.5 "}}) +
        line({{1, " 288.5 "},
              {20, " 1200 "},
              {40, " 1250 "},
              {60, " 100.5 "},
              {80, " 1000 "},
              {100, "-1.5 "},
              {120, "-50 "}}) +
        line({{1, " 288 "}, {20, " 80 "}});  // up to indexAtLow, but beyond the range's three points
    EXPECT_EQ(spectrumExportText(small.ws, 2), expected);
}

TEST(PeakParameterExport, GlobalNumbersAndStoredValuesInPrintZones) {
    SmallRegion small;
    const std::string header =
        line({{15, "Peak"}, {29, "Position (eV)"}, {43, "Area"}, {57, "FWHM (eV)"}, {71, "%GL (%)"}});
    EXPECT_EQ(peakParameterText(small.ws, 2), header);

    small.ws.regions[2].shift = 0.4f;  // not part of the written position
    Peak& three = small.addPeak(3, {0, 0, 0});
    three.position = 284.5f;
    three.area = 12345.6f;
    three.fwhm = 1.2f;
    three.gl = 30;
    Peak& one = small.addPeak(1, {0, 0, 0});
    one.position = 9.0f;
    one.area = 0.25f;
    one.fwhm = 0.5f;
    one.gl = 100;
    EXPECT_EQ(peakParameterText(small.ws, 2),
              header + "               3            284.500       12345.600     1.200         30\r\n" +
                  line({{15, " 1 "}, {29, "9.000"}, {43, "0.250"}, {57, "0.500"}, {71, "100"}}));
}

}  // namespace
}  // namespace vortlan
