#include "plot/region_plot.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/number_text.h"
#include "plot/palette.h"
#include "plot/plot_scale.h"
#include "plot/printed_page.h"
#include "plot/vertical_axis.h"
#include "support/fitted_session.h"
#include "support/recording_surface.h"

namespace vortlan {
namespace {

using testing::Drawn;
using testing::RecordingSurface;

TEST(PlotScale, TickStepIsTheFirstNonZeroTruncationOfAFifth) {
    const std::pair<double, double> cases[] = {{20, 4}, {100, 20}, {4.9, 1}, {4.4, 0.8}, {3, 0.6}, {0.4, 0.08}};
    for (auto [span, step] : cases) EXPECT_NEAR(*tickStep(span), step, 1e-12) << span;
    EXPECT_FALSE(tickStep(0));
    EXPECT_FALSE(tickStep(-3));
    EXPECT_TRUE(tickStep(1e-300));  // ends, however small
}

PlotExtents extents(double low, double high) {
    PlotExtents e;
    e.xLow = low;
    e.xHigh = high;
    e.width = high - low;
    e.ticksPossible = true;
    return e;
}

TEST(PlotScale, TicksRunFromTheLowEndToJustBeyondTheHighEnd) {
    EXPECT_EQ(tickPositions(extents(280, 300), 1.01), (std::vector<float>{280, 284, 288, 292, 296, 300}));
    const std::vector<float> narrow = tickPositions(extents(290, 293), 1.01);
    EXPECT_NEAR(narrow.front(), 290.4, 1e-3);
    EXPECT_LT(narrow.back() / 293.0, 1.01);
    EXPECT_GT(narrow.back(), 295.0);  // several beyond the left edge
    EXPECT_EQ(tickPositions(extents(-2, 3), 1.01).front(), -1.0f);  // counted down from 0
}

TEST(PlotScale, VerticalTicksAreRoundMultiplesWithLabelsToMatch) {
    const AxisTicks counts = verticalTicks(150, 1250);  // a fifth of the span is 220: step 200
    EXPECT_EQ(counts.values, (std::vector<double>{200, 400, 600, 800, 1000, 1200}));
    EXPECT_EQ(counts.labels, (std::vector<std::string>{"200", "400", "600", "800", "1000", "1200"}));
    EXPECT_EQ(verticalTicks(0, 20).values, (std::vector<double>{0, 5, 10, 15, 20}));  // both ends
    const AxisTicks residual = verticalTicks(-11, 11);
    EXPECT_EQ(residual.labels, (std::vector<std::string>{"-10", "-5", "0", "5", "10"}));
    EXPECT_EQ(residual.values[2], 0.0);  // exactly: the zero line's label is no -0
    EXPECT_EQ(verticalTicks(0.1, 0.4).labels.front(), "0.10");  // step 0.05
    EXPECT_EQ(verticalTicks(0, 9000).values[1], 2000.0);       // 1800 rounds to 2000
    EXPECT_EQ(verticalTicks(0, 6000).values[1], 1000.0);       // 1200 rounds to 1000
    EXPECT_TRUE(verticalTicks(5, 5).values.empty());
}

class RegionPlotTest : public ::testing::Test, protected testing::FittedSession {
protected:
    // The height of a text line and the width of "0000" in coordinate system k as it was set.
    double lineHeight(std::size_t k) const {
        const auto& c = surface.coordinateSystems.at(k);
        return RecordingSurface::kCharHeight * std::fabs(c.bottom - c.top) / 231;
    }
    double digitsWidth(std::size_t k) const {
        const auto& c = surface.coordinateSystems.at(k);
        return 4 * RecordingSurface::kCharWidth * std::fabs(c.right - c.left) / 474;
    }
    RecordingSurface surface;
    ReadoutPosition readout;
    Workspace& ws = session.workspace;
};

TEST_F(RegionPlotTest, FrameLaysOutThreeCoordinateSystemsAndDrawsTheSpectrumInBlue) {
    drawRegionFrame(surface, ws, readout);
    const Region& r = ws.regions[0];  // 292 .. 280 eV
    ASSERT_EQ(surface.coordinateSystems.size(), 3u);
    const auto& first = surface.coordinateSystems[0];
    EXPECT_DOUBLE_EQ(first.left, 292.0 + 12.0 / 20);
    EXPECT_DOUBLE_EQ(first.right, 280.0 - 12.0 / 20);
    const auto& final = surface.coordinateSystems[2];
    const double h = lineHeight(1);
    const double d = digitsWidth(1);
    EXPECT_NEAR(final.top, r.countsHigh + 3 * h, 1e-9);
    // Left of the intensity axis (12/40 eV beyond the data) the room for its ticks and widest label.
    const auto labels0 = verticalTicks(r.countsLow, r.countsHigh).labels;
    const std::size_t widest = std::max_element(labels0.begin(), labels0.end(), [](auto& a, auto& b) {
                                   return a.size() < b.size();
                               })->size();
    const double labelRoom = 12.0 / 100 + 12.0 / 200 + digitsWidth(1) * static_cast<double>(widest) / 4;
    EXPECT_NEAR(final.left, 292.0 + 12.0 / 40 + labelRoom + d / 2, 1e-9);
    EXPECT_NEAR(final.right, 280.0 - 12.0 / 40 - d / 2, 1e-9);

    const Drawn* caption = surface.textStartingWith("C 1s");
    ASSERT_TRUE(caption);
    EXPECT_TRUE(caption->bold);
    EXPECT_EQ(caption->text.size(), 20u);
    EXPECT_TRUE(surface.textStartingWith("Binding Energy (eV)"));
    std::vector<std::string> labels;
    for (const Drawn& t : surface.texts()) {
        if (t.text.find('.') != std::string::npos && t.text.size() <= 6) labels.push_back(t.text);
    }
    // The tick at 294 eV still counts (294/292 < 1.01) but lies beyond the left edge: no label.
    EXPECT_EQ(labels, (std::vector<std::string>{"280.0", "282.0", "284.0", "286.0", "288.0", "290.0", "292.0"}));
    int blue = 0;
    for (const Drawn& d : surface.drawn) blue += d.kind == Drawn::Line && d.colour == kBlue && d.width == 2;
    EXPECT_EQ(blue, r.pointCount - 1);
    EXPECT_NEAR(readout.y, r.countsHigh + 3 * h, 1e-3);
    EXPECT_NEAR(readout.x, 292.0 + 12.0 / 40 - 10 * d, 1e-3);
}

TEST_F(RegionPlotTest, FittedCurvesAndHighlight) {
    drawRegionFrame(surface, ws, readout);
    surface.drawn.clear();
    drawFittedCurves(surface, ws);
    const int n = ws.regions[0].rangeCount;
    EXPECT_EQ(static_cast<int>(surface.drawn.size()), 5 * n);  // background, three peaks, envelope
    EXPECT_EQ(surface.drawn.front().width, 2);
    EXPECT_EQ(surface.drawn[n].width, 1);
    EXPECT_EQ(surface.drawn.back().width, 2);
    surface.drawn.clear();
    ws.currentPeak = 1;
    highlightPeak(surface, ws);
    EXPECT_EQ(surface.drawn.back().colour, kRed);
    EXPECT_FLOAT_EQ(surface.drawn.back().to.y, ws.peaks[1].curve[n]);
    EXPECT_EQ(surface.width, 1);
}

TEST_F(RegionPlotTest, ReadoutClearsTheOldTextFirst) {
    drawRegionFrame(surface, ws, readout);
    surface.drawn.clear();
    showPointerReadout(surface, readout, 284.5f, 1523.0f);
    ASSERT_EQ(surface.drawn.size(), 2u);
    EXPECT_EQ(surface.drawn[0].text, std::string(25, ' '));
    EXPECT_EQ(surface.drawn[1].text, "X: 284.5 / Y: 1523 ");
    EXPECT_TRUE(surface.drawn[1].opaque);
    EXPECT_FLOAT_EQ(surface.drawn[1].from.x, readout.x);
}

TEST_F(RegionPlotTest, ReadoutClearsAllOfALongerOneBeforeIt) {
    drawRegionFrame(surface, ws, readout);
    showPointerReadout(surface, readout, -1234.567f, -123456.7f);
    const std::string longer = surface.drawn.back().text;
    ASSERT_EQ(longer, "X:-1234.567 / Y:-123456.7 ");  // 26 characters: more than 25 blanks cover
    surface.drawn.clear();
    showPointerReadout(surface, readout, 284.5f, 1523.0f);
    ASSERT_EQ(surface.drawn.size(), 2u);
    EXPECT_EQ(surface.drawn[0].text.find_first_not_of(' '), std::string::npos);
    EXPECT_GE(std::fabs(surface.textWidth(surface.drawn[0].text)), std::fabs(surface.textWidth(longer)));
    EXPECT_EQ(surface.drawn[1].text, "X: 284.5 / Y: 1523 ");

    // A new frame has no readout to clear: the 25 blanks again.
    drawRegionFrame(surface, ws, readout);
    showPointerReadout(surface, readout, -1234.567f, -123456.7f);
    drawRegionFrame(surface, ws, readout);
    surface.drawn.clear();
    showPointerReadout(surface, readout, 284.5f, 1523.0f);
    EXPECT_EQ(surface.drawn[0].text, std::string(25, ' '));
}

TEST_F(RegionPlotTest, DegenerateRegionsDrawWithoutTicksOrHanging) {
    Region& r = ws.regions[0];
    r.beLow = r.beHigh;  // every point at one energy
    drawRegionFrame(surface, ws, readout);
    EXPECT_FALSE(surface.textStartingWith("280.0"));
    EXPECT_TRUE(surface.textStartingWith("C 1s"));
    r.beLow = -5.0f;
    r.beHigh = 0.0f;
    drawRegionFrame(surface, ws, readout);
    ws.currentRegion = 6;  // never held data
    surface.drawn.clear();
    drawRegionFrame(surface, ws, readout);
    drawFittedCurves(surface, ws);
    ASSERT_EQ(surface.drawn.size(), 1u);
    EXPECT_EQ(surface.drawn[0].kind, Drawn::Clear);
}

TEST_F(RegionPlotTest, PrintedPageWithTableReservesItsLinesAndFramesThePlot) {
    ws.description = "Sample A";
    drawPrintedPage(surface, ws, PageLayout::WithPeakTable);
    const Region& r = ws.regions[0];
    const double h = lineHeight(2);
    const double d = digitsWidth(2);
    const double G = r.beHigh + 12.0 / 40;
    const double It = r.countsHigh + 7 * lineHeight(1);  // room for three peaks
    const Drawn* description = surface.textStartingWith("Sample A");
    ASSERT_TRUE(description);
    EXPECT_NEAR(description->from.y, It, 1e-6);
    EXPECT_NEAR(description->from.x, G, 1e-6);
    const Drawn* frameTop = nullptr;
    for (const Drawn& line : surface.drawn) {
        if (line.kind == Drawn::Line && line.width == 5) {
            frameTop = &line;
            break;
        }
    }
    ASSERT_TRUE(frameTop);
    EXPECT_NEAR(frameTop->from.y, It + h, 1e-6);
    EXPECT_NEAR(frameTop->to.x, G + d / 2, 1e-6);
    const Drawn* heading = surface.textStartingWith("Position");
    ASSERT_TRUE(heading);
    EXPECT_TRUE(heading->bold);
    EXPECT_NEAR(heading->from.y, It - 2 * h, 1e-6);
    const Drawn* row = surface.textStartingWith(" 2 ");
    ASSERT_TRUE(row);
    EXPECT_NEAR(row->from.y, It - 5 * h, 1e-6);
    EXPECT_FALSE(row->bold);
    EXPECT_TRUE(surface.textStartingWith(patternNumberText(ws.peaks[2].position, "#0.000") + "eV"));
}

TEST_F(RegionPlotTest, PlainPageHasNoTableAndBlackCurves) {
    drawPrintedPage(surface, ws, PageLayout::PlotOnly);
    EXPECT_FALSE(surface.textStartingWith("Position"));
    for (const Drawn& d : surface.drawn) EXPECT_FALSE(d.colour.has_value());
    const std::vector<Drawn> texts = surface.texts();
    ASSERT_FALSE(texts.empty());
    EXPECT_NEAR(texts[0].from.y, ws.regions[0].countsHigh + 3 * lineHeight(1), 1e-6);
}

// The texts printed left of x (towards higher energy) and above y: the vertical axes' labels and
// titles, and the caption.
std::vector<Drawn> textsLeftOf(const RecordingSurface& surface, double x, double y) {
    std::vector<Drawn> found;
    for (const Drawn& t : surface.texts()) {
        if (t.from.x > x && t.from.y > y && !t.bold) found.push_back(t);
    }
    return found;
}

TEST_F(RegionPlotTest, IntensityAxisLabelsItsTicksBesideTheData) {
    drawRegionFrame(surface, ws, readout);
    const Region& r = ws.regions[0];
    const double axisX = 292.0 + 12.0 / 40;
    const AxisTicks ticks = verticalTicks(r.countsLow, r.countsHigh);
    ASSERT_GE(ticks.values.size(), 3u);
    std::vector<std::string> labels;
    for (const Drawn& t : textsLeftOf(surface, axisX, r.countsLow)) {
        if (t.text == "Intensity") {
            EXPECT_GT(t.from.y, r.countsHigh);  // above the data, under the caption line
            continue;
        }
        labels.push_back(t.text);
        // Right-aligned against its tick and centred on it.
        const double right = t.from.x - std::fabs(surface.textWidth(t.text));
        EXPECT_NEAR(right, axisX + 12.0 / 100 + 12.0 / 200, 1e-9) << t.text;
        const double centre = t.from.y - lineHeight(1) / 2;
        EXPECT_TRUE(std::any_of(ticks.values.begin(), ticks.values.end(),
                                [&](double v) { return std::fabs(v - centre) < 1e-6; }))
            << t.text;
    }
    EXPECT_EQ(labels, ticks.labels);
}

TEST_F(RegionPlotTest, IntensityTitleNamesTheUnitOnlyWhenTheFileDid) {
    ws.regions[0].intensityUnit = "c/s";
    drawRegionFrame(surface, ws, readout);
    ASSERT_TRUE(surface.textStartingWith("Intensity"));
    EXPECT_EQ(surface.textStartingWith("Intensity")->text, "Intensity (c/s)");
}

TEST_F(RegionPlotTest, ZoomedViewLaysOutBothAxesOverTheViewAndClipsTheCurves) {
    const PlotView view{true, 288.0, 283.0, 1000.0, 400.0};
    const PlotStyle colour{true, false};
    drawRegionFrame(surface, ws, readout, view);
    EXPECT_NEAR(surface.coordinateSystems.back().top, 1000.0 + 3 * lineHeight(1), 1e-9);
    std::vector<std::string> energyLabels;
    std::vector<std::string> intensityLabels;
    for (const Drawn& t : surface.texts()) {
        if (t.text.find('.') != std::string::npos && t.text.size() <= 6) energyLabels.push_back(t.text);
        const bool besideTheData = t.from.y > 400.0 && t.from.y <= 1000.0 + lineHeight(2);
        if (t.from.x > 288.0 + 5.0 / 40 && besideTheData)
            intensityLabels.push_back(t.text);
    }
    // Only ticks inside the view: 283.0 .. 287.0 at the step of a 5 eV span.
    EXPECT_EQ(energyLabels, (std::vector<std::string>{"283.0", "284.0", "285.0", "286.0", "287.0", "288.0"}));
    EXPECT_EQ(intensityLabels, verticalTicks(400.0, 1000.0).labels);

    // Spectrum, curves and highlight are cut off at the view's edges by the surface, not trimmed.
    int spectrumLines = 0;
    for (const Drawn& d : surface.drawn) {
        if (d.kind != Drawn::Line || d.colour != kBlue) continue;
        ++spectrumLines;
        ASSERT_TRUE(d.clip);
        EXPECT_DOUBLE_EQ(d.clip->xMin, 283.0);
        EXPECT_DOUBLE_EQ(d.clip->xMax, 288.0);
        EXPECT_DOUBLE_EQ(d.clip->yMin, 400.0);
        EXPECT_DOUBLE_EQ(d.clip->yMax, 1000.0);
    }
    EXPECT_EQ(spectrumLines, ws.regions[0].pointCount - 1);
    surface.drawn.clear();
    drawFittedCurves(surface, ws, colour, view);
    highlightPeak(surface, ws, colour, view);
    for (const Drawn& d : surface.drawn) EXPECT_TRUE(d.clip.has_value());
    EXPECT_FALSE(surface.clip);  // and the clip ends with them
}

// The colour of each curve drawn by drawFittedCurves, in drawing order, one entry per curve.
std::vector<std::optional<Colour>> curveColours(const RecordingSurface& surface) {
    std::vector<std::optional<Colour>> colours;
    for (const Drawn& d : surface.drawn) {
        if (d.kind == Drawn::Point) colours.push_back(std::nullopt);
        if (d.kind == Drawn::Line && colours.size() > 0 && !colours.back()) colours.back() = d.colour;
    }
    return colours;
}

TEST_F(RegionPlotTest, ColourCurvesTakeThePaletteInSlotOrderAndTheHighlightItsOwn) {
    drawRegionFrame(surface, ws, readout);
    surface.drawn.clear();
    drawFittedCurves(surface, ws, PlotStyle{true, false});
    const std::vector<std::optional<Colour>> expected{kBackgroundColour, peakColour(0), peakColour(1),
                                                      peakColour(2), kEnvelopeColour};
    EXPECT_EQ(curveColours(surface), expected);

    // The palette follows the slots, not the peak numbers: peaks 2 and 0 swapped keep slot colours.
    std::swap(ws.regions[0].peakSlots[0], ws.regions[0].peakSlots[2]);
    surface.drawn.clear();
    drawFittedCurves(surface, ws, PlotStyle{true, false});
    EXPECT_EQ(curveColours(surface), expected);
    const int n = ws.regions[0].rangeCount;
    EXPECT_FLOAT_EQ(surface.drawn[n].from.y, ws.peaks[2].curve[1]);  // slot 0 now holds peak 2

    surface.drawn.clear();
    ws.currentPeak = 0;  // now in slot 2
    highlightPeak(surface, ws, PlotStyle{true, false});
    EXPECT_EQ(surface.drawn.back().colour, peakColour(2));
    EXPECT_EQ(surface.drawn.back().width, 3);
}

}  // namespace
}  // namespace vortlan
