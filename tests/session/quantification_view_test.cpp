#include "session/quantification_view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vortlan {
namespace {

TEST(QuantNumberText, FourSignificantDigitsNeverInTheExponentForm) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {36000.4, "36000"},       {12345.6, "12346"},
        {5.22134, "5.221"},       {0.537123, "0.5371"},
        {-2.5, "-2.500"},         {0.0, "0"},
        {1.0e-12, "0.000000000"}, {std::numeric_limits<double>::quiet_NaN(), "not determined"},
    };
    for (const auto& c : cases) EXPECT_EQ(quantNumberText(c.value), c.text) << c.value;
}

QuantRow row(int region, int peak, const char* name, double area, double percent) {
    QuantRow r;
    r.region = region;
    r.peak = peak;
    r.name = name;
    r.level = "Ti 2p";
    r.area = area;
    r.factor = 7.9;
    r.correctedArea = area / 7.9;
    r.atomicPercent = percent;
    return r;
}

TEST(QuantificationView, CountedRegionsShowTheirNumbersAndPeaksTheOthersOnlyTheirReason) {
    Workspace ws;
    ws.regions[2].sensitivityOverride = 3.5;
    Quantification table;
    QuantRegion ti;
    ti.row = row(0, -1, "Ti 2p", 36000.0, 33.3333);
    ti.row.areaError = 120.0;
    ti.row.atomicPercentError = 0.456;
    ti.components = {row(0, 4, "Ti4+", 30000.0, 27.777), row(0, 5, "", 6000.0, 5.5555)};
    ti.components[0].areaError = 0.0123;
    QuantRegion background;
    background.row = row(1, -1, "O 1s", 9000.0, 66.6667);
    background.areaUsed = QuantArea::Background;
    QuantRegion excluded;
    excluded.row.region = 2;
    excluded.row.name = "";
    excluded.row.level = "N 1s";
    excluded.excluded = "Background not accepted";
    table.regions = {ti, background, excluded};

    const std::vector<QuantViewRegion> view = quantificationView(table, ws);
    ASSERT_EQ(view.size(), 3u);
    const QuantCells expectedTi = {"1  Ti 2p", "Ti 2p", "36000",     "\xB1 120",        "7.900",
                                   "4557",     "33.33", "\xB1 0.46", "Sum of the peaks"};
    EXPECT_EQ(view[0].cells, expectedTi);
    EXPECT_TRUE(view[0].counted);
    ASSERT_EQ(view[0].peaks.size(), 2u);
    // A peak's row leaves the level and factor to its region's row, and has no note.
    const QuantCells expectedPeak = {"Ti4+",           "", "30000", "\xB1 0.012", "", "3797", "27.78",
                                     "not determined", ""};
    EXPECT_EQ(view[0].peaks[0], expectedPeak);
    EXPECT_EQ(view[0].peaks[1][QuantNameColumn], "Peak 5");  // unlabelled: its button's number
    EXPECT_EQ(view[0].peaks[1][QuantPercentColumn], "5.56");

    EXPECT_EQ(view[1].cells[QuantAreaErrorColumn], "not determined");
    background.noise = AreaNoise::CountsFromRate;
    table.regions[1] = background;
    EXPECT_EQ(quantificationView(table, ws)[1].cells[QuantNoteColumn],
              "Background-subtracted area; \xB1 from counting statistics of count rate x dwell time x scans");
    EXPECT_FALSE(view[1].factorOverridden);

    const QuantCells expectedExcluded = {
        "Region 3", "N 1s", "", "", "", "", "", "", "Background not accepted"};
    EXPECT_EQ(view[2].cells, expectedExcluded);
    EXPECT_FALSE(view[2].counted);
    EXPECT_TRUE(view[2].peaks.empty());
    EXPECT_TRUE(view[2].factorOverridden);
}

// A region not detected shows its limit in place of an at.%, and so does its peak; a peak left out of
// its region says why; the CSV leaves their at.% empty and gives the limits in their own columns.
TEST(QuantificationView, RowsNotDetectedOrLeftOutShowNoAtomicPercent) {
    Workspace ws;
    Quantification table;
    QuantRegion sulphur;
    sulphur.row = row(2, -1, "S 2p", 120.0, 0.0);
    sulphur.row.level = "S 2p";
    sulphur.row.areaError = 45.0;
    sulphur.row.detected = false;
    sulphur.row.upperLimitArea = 255.0;
    sulphur.row.upperLimitPercent = 0.5212;
    sulphur.areaUsed = QuantArea::Background;
    sulphur.noise = AreaNoise::DataScatter;
    QuantRow spike = row(2, 7, "", 3.0, 0.0);
    spike.leftOut = true;
    spike.flags = {{7, FitFlagCause::OutsideRange, PeakParam::Position}};
    sulphur.components = {spike};
    table.regions = {sulphur};

    const QuantViewRegion view = quantificationView(table, ws)[0];
    EXPECT_EQ(view.cells[QuantPercentColumn], "not detected");
    EXPECT_EQ(view.cells[QuantPercentErrorColumn], "< 0.52");
    EXPECT_EQ(
        view.cells[QuantNoteColumn],
        "Background-subtracted area; \xB1 from the scatter of the data; not detected (< 0.52 at.%), left out "
        "of the sum");
    EXPECT_EQ(view.peaks[0][QuantPercentColumn], "left out");
    EXPECT_EQ(view.peaks[0][QuantNoteColumn], "left out, flagged by the fit: outside the fit range");

    const std::string csv = quantificationText(table, ',');
    EXPECT_NE(csv.find("\n3,S 2p,,,S 2p,120,45,7.9,15.18987,,,\"not detected (< 0.52 at.%), left out of the "
                       "sum\",255,0.5212,the scatter of the data,\n"),
              std::string::npos)
        << csv;
    const std::vector<std::string> notes = quantificationNotes(table);
    ASSERT_GE(notes.size(), 2u);
    EXPECT_EQ(notes[0], "Not detected, left out of the sum: region 3 (S 2p)");
    EXPECT_EQ(notes[1],
              "Left out of their regions' amounts, flagged by the fit: peak 7 (outside the fit range)");
}

// Exponents far beyond any analyser's raise a region's kinetic-energy ratio to C 1s's past the range of
// numbers; the settings are then refused, naming the region, and the workspace keeps its own.
TEST(QuantificationSettings, ExponentsThatMakeAFactorZeroOrInfiniteAreRefused) {
    Workspace ws;
    ws.regions[0].defined = kTrue;
    ws.regions[0].coreLevel = "C 1s";  // its factor is 1 whatever the exponents
    ws.regions[2].defined = kTrue;
    ws.regions[2].coreLevel = "O 1s";
    ws.regions[4].defined = kTrue;
    ws.regions[4].coreLevel = "Au 4f";
    ws.regions[4].sensitivityOverride = 2.0;  // the user's factor is not judged
    ws.regions[6].coreLevel = "Au 4f";        // no data: not in the table
    const QuantSettings kept = ws.quantSettings;
    const struct {
        double m, n;
        const char* refusal;
    } cases[] = {
        {0.6, 0.0, nullptr},
        {5.0, -5.0, nullptr},
        {400.0, 0.0, "m = 400 and n = 0 make the factor of region 3 (O 1s) 0"},
        {0.0, 400.0, "m = 0 and n = 400 make the factor of region 3 (O 1s) infinite"},
        {1e308, -1e308, "m = 1e+308 and n = -1e+308 make the factor of region 3 (O 1s) 0"},
    };
    for (const auto& c : cases) {
        QuantSettings settings = kept;
        settings.imfpExponent = c.m;
        settings.transmissionExponent = c.n;
        const auto refusal = changeQuantSettings(ws, settings);
        if (!c.refusal) {
            EXPECT_FALSE(refusal) << *refusal;
            EXPECT_EQ(ws.quantSettings, settings);
            ws.quantSettings = kept;
            continue;
        }
        ASSERT_TRUE(refusal) << c.m;
        EXPECT_EQ(refusal->substr(0, refusal->find(':')), c.refusal);
        EXPECT_EQ(ws.quantSettings, kept);
    }
}

}  // namespace
}  // namespace vortlan
