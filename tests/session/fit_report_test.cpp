// The fit report: one CSV row per peak with values and standard errors, the region's figures on each.

#include "session/fit_report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "base/number_text.h"
#include "fit/drivers.h"
#include "fit/uncertainty.h"
#include "fit/verdict.h"
#include "io/option_file.h"
#include "support/fitted_session.h"

namespace vortlan {
namespace {

using Rows = std::vector<std::vector<std::string>>;

// The peaks' table: the lines up to the first empty one, which begins the correlations.
Rows cellsOf(const std::string& text) {
    Rows rows;
    const std::size_t empty = text.find("\n\n");
    std::istringstream lines(empty == std::string::npos ? text : text.substr(0, empty + 1));
    for (std::string line; std::getline(lines, line);) {
        // A quoted cell ("converged, with flags") holds its commas.
        std::vector<std::string> cells(1);
        bool quoted = false;
        for (char c : line) {
            if (c == '"') {
                quoted = !quoted;
            } else if (c == ',' && !quoted) {
                cells.emplace_back();
            } else {
                cells.back() += c;
            }
        }
        rows.push_back(cells);
    }
    return rows;
}

std::string full(double error) {
    return exactNumberText(static_cast<float>(error));
}

// The table after the empty line.
Rows correlationsOf(const std::string& text) {
    const std::size_t empty = text.find("\n\n");
    return empty == std::string::npos ? Rows{} : cellsOf(text.substr(empty + 2));
}

// A cell as the report writes an error: its digits, or why there are none.
std::string cell(const StandardError& e) {
    if (e.known()) return full(e.value);
    if (e.kind == StandardError::Kind::Tied) return "tied";
    return e.kind == StandardError::Kind::Fixed ? "fixed" : "not determined";
}

class FitReportTest : public ::testing::Test, protected testing::FittedSession {
  protected:
    FitReportTest() { fitWithShippedOptions(); }
    Workspace& ws = session.workspace;
};

TEST_F(FitReportTest, OneRowPerPeakInSlotOrderWithTheRegionsFiguresOnEach) {
    const std::string text = fitReportText(ws, 0, 0);
    EXPECT_EQ(text.substr(0, text.find('\n')),
              "region,peak,position,position_err,area,area_err,fwhm,fwhm_err,gl,gl_err,height,height_err,"
              "chi_square,points,free_parameters,reduced_chi_square,verdict,flags,residual_rms");
    const Rows rows = cellsOf(text);
    ASSERT_EQ(rows.size(), 4u);
    const RegionErrors errors = standardErrors(ws, 0);
    // Four a peak, less peak 1's tied position, and less what the fit left on a bound (the small
    // doublet at 289 eV, with nothing to fit, runs down to its area and width floors).
    EXPECT_LE(errors.freeParameters, 11);
    EXPECT_GE(errors.freeParameters, 6);
    for (std::size_t k = 0; k < 3; ++k) {
        const std::vector<std::string>& row = rows[k + 1];
        ASSERT_EQ(row.size(), 19u);
        const PeakErrors& e = errors.peaks[k];
        const Peak& p = ws.peaks[k];
        EXPECT_EQ(row[0], "1");
        EXPECT_EQ(row[1], std::to_string(k));
        EXPECT_EQ(row[2], exactNumberText(p.position));
        EXPECT_EQ(row[3], cell(e.position));
        EXPECT_EQ(row[4], exactNumberText(p.area));
        EXPECT_EQ(row[5], cell(e.area));
        EXPECT_EQ(row[6], exactNumberText(p.fwhm));
        EXPECT_EQ(row[7], cell(e.fwhm));
        EXPECT_EQ(row[8], std::to_string(p.gl));
        EXPECT_EQ(row[9], cell(e.gl));
        EXPECT_EQ(row[10], exactNumberText(p.height));
        EXPECT_EQ(row[11], cell(e.height));
        EXPECT_EQ(row[12], exactNumberText(ws.regions[0].chiSquare));
        EXPECT_EQ(row[13], "121");
        EXPECT_EQ(row[14], std::to_string(errors.freeParameters));
        EXPECT_EQ(row[15], full(errors.reducedStatistic));
        // The doublet with nothing to fit is flagged, on its own row.
        EXPECT_EQ(row[16], "converged, with flags");
        EXPECT_EQ(row[17], peakFlagsText(heldVerdictOf(ws, 0), static_cast<int>(k)));
        EXPECT_EQ(row[17].empty(), k != 2) << row[17];
        EXPECT_EQ(row[18], full(errors.residualRms));
    }
    EXPECT_EQ(rows[2][3], rows[1][3]);  // the tied position has its reference's error
    EXPECT_EQ(cellsOf(fitReportText(ws, 3, 0))[1][0], "4");

    // Then the free parameters' correlations: named by peak and parameter, 1 on the diagonal, the
    // same both ways; a parameter the data do not determine has none.
    const Rows matrix = correlationsOf(text);
    const std::size_t p = errors.parameters.size();
    ASSERT_EQ(matrix.size(), p + 1);
    EXPECT_EQ(matrix[0][0], "correlation");
    EXPECT_EQ(matrix[0][1], "peak0_position");
    EXPECT_EQ(matrix[0][2], "peak0_area");
    for (std::size_t a = 1; a <= p; ++a) {
        ASSERT_EQ(matrix[a].size(), p + 1);
        EXPECT_EQ(matrix[a][0], matrix[0][a]);
        const bool determined = matrix[a][a] != "not determined";
        EXPECT_TRUE(!determined || matrix[a][a] == "1") << matrix[a][a];
        for (std::size_t b = 1; b <= p; ++b) {
            EXPECT_EQ(matrix[a][b], matrix[b][a]);
            const bool number = matrix[a][b] != "not determined";
            EXPECT_TRUE(determined || !number) << a << "," << b;
            EXPECT_LE(number ? std::fabs(std::stod(matrix[a][b])) : 0.0, 1.0);
        }
    }
    EXPECT_EQ(matrix[1][1], "1");
}

TEST_F(FitReportTest, WhatHasNoErrorSaysWhyInsteadOfANumber) {
    ws.peaks[0].fixPosition = 1;  // and peak 1's position, tied to it, with it
    ws.peaks[2].fixArea = 1;
    Rows rows = cellsOf(fitReportText(ws, 0, 0));
    EXPECT_EQ(rows[1][3], "fixed");
    EXPECT_EQ(rows[2][3], "tied");
    EXPECT_EQ(rows[3][5], "fixed");
    EXPECT_NE(rows[3][11], "fixed");  // the height still moves with the FWHM
    EXPECT_EQ(rows[1][14], std::to_string(standardErrors(ws, 0).freeParameters));

    // Nothing free: no error, and no statistic to scale one by.
    for (int p : {0, 1, 2})
        ws.peaks[p].fixPosition = ws.peaks[p].fixArea = ws.peaks[p].fixFwhm = ws.peaks[p].fixGl = 1;
    rows = cellsOf(fitReportText(ws, 0, 0));
    for (std::size_t column : {3u, 5u, 7u, 9u, 11u}) EXPECT_EQ(rows[1][column], "fixed") << column;
    EXPECT_EQ(rows[1][14], "0");
    EXPECT_EQ(rows[1][15], "not determined");
    EXPECT_TRUE(correlationsOf(fitReportText(ws, 0, 0)).empty());  // no free parameter, no matrix

    // Two peaks alike in every way share their area however it is divided.
    testing::makeRegion(ws, 7, 41, 292.0f, 0.1f, testing::gaussianOn(100.0, 289.5, 500.0, 1.0));
    testing::acceptBackground(session, 7);
    for (int p : {10, 11}) {
        Peak& twin = testing::addPeak(ws, 7, p, 289.5f, 250.0f, 1.0f);
        twin.fixPosition = twin.fixFwhm = twin.fixGl = 1;
    }
    rows = cellsOf(fitReportText(ws, 7, 0));
    EXPECT_EQ(rows[1][5], "not determined");
    EXPECT_EQ(rows[2][5], "not determined");
    EXPECT_EQ(fitReportText(ws, 7, 0).find("nan"), std::string::npos);
}

TEST_F(FitReportTest, MonteCarloErrorsStandBesideTheJacobiansTheSameForTheSameReplicas) {
    const std::string text = fitReportText(ws, 0, 12);
    EXPECT_EQ(text, fitReportText(ws, 0, 12));
    const Rows rows = cellsOf(text);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0][2] + rows[0][3] + rows[0][4], "positionposition_errposition_mc_err");
    // The columns that were there before the replicas keep their places; what the replicas add beyond
    // their standard deviations comes after them, and the residual RMS last.
    EXPECT_EQ(rows[0][23] + " " + rows[0][24] + " " + rows[0][25] + " " + rows[0][29] + " " + rows[0][30],
              "mc_replicas mc_noise position_mc_robust_err height_mc_robust_err residual_rms");
    for (std::size_t k = 1; k < 4; ++k) {
        ASSERT_EQ(rows[k].size(), 31u);
        EXPECT_EQ(rows[k][23], "12");
        EXPECT_EQ(rows[k][24], "noise scaled to the fit's residuals (the unit does not say counts)");
        for (std::size_t column : {4u, 7u, 10u, 16u, 25u, 26u, 27u, 29u})
            EXPECT_GT(std::stod(rows[k][column]), 0.0) << column;
        EXPECT_EQ(rows[k][28] == "fixed", rows[k][13] == "fixed");  // %GL
    }
    ws.regions[0].intensityUnit = "counts";
    EXPECT_EQ(cellsOf(fitReportText(ws, 0, 12))[1][24], "Poisson noise on the counts");
    // With nothing to fit no replica runs, and the report says why.
    Peak& alone = ws.peaks[5];
    alone.fixPosition = alone.fixArea = alone.fixFwhm = alone.fixGl = 1;
    const Rows held = cellsOf(fitReportText(ws, 3, 12));
    EXPECT_EQ(held[1][23] + " " + held[1][24], "0 no replicas: nothing in the region is free to fit");
    EXPECT_EQ(held[1][25], "fixed");
}

TEST_F(FitReportTest, ARegionWithoutPeaksIsItsHeaderAlone) {
    testing::makeRegion(ws, 6, 41, 292.0f, 0.1f, testing::gaussianOn(100.0, 289.5, 500.0, 1.0));
    testing::acceptBackground(session, 6);
    EXPECT_EQ(cellsOf(fitReportText(ws, 6, 0)).size(), 1u);
}

}  // namespace
}  // namespace vortlan
