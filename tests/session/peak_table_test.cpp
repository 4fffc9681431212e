#include "session/peak_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "base/number_reading.h"
#include "base/number_text.h"
#include "fit/drivers.h"
#include "fit/uncertainty.h"
#include "fit/verdict.h"
#include "io/option_file.h"
#include "session/error_text.h"
#include "support/fitted_session.h"

namespace vortlan {
namespace {

using Fields = std::vector<std::string>;

std::vector<Fields> linesOf(const std::string& text) {
    std::vector<Fields> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        Fields fields;
        std::istringstream cells(line + "\t");
        for (std::string cell; std::getline(cells, cell, '\t');) fields.push_back(cell);
        lines.push_back(fields);
    }
    return lines;
}

// Region 0 fitted by Levenberg-Marquardt: peak 1's position tied to peak 0's, the doublet's %GL fixed.
class PeakTableTest : public ::testing::Test, protected testing::FittedSession {
  protected:
    PeakTableTest() {
        ws.peaks[2].fixGl = kTrue;
        fitWithShippedOptions();
    }
    const std::string& cell(const PeakTable& t, int row, int column) {
        return t.rows.at(static_cast<std::size_t>(row)).cells.at(static_cast<std::size_t>(column));
    }
    Workspace& ws = session.workspace;
};

TEST_F(PeakTableTest, RowsGiveEveryPeaksValuesShareErrorsAndHolds) {
    const PeakTable t = peakTableOf(ws, TableErrors::Computed);
    ASSERT_EQ(t.rows.size(), 3u);
    const RegionErrors errors = standardErrors(ws, 0);
    double sum = 0;
    for (int k : {0, 1, 2}) sum += ws.peaks[k].area;
    double shares = 0;
    for (int k : {0, 1, 2}) {
        const Peak& p = ws.peaks[k];
        EXPECT_EQ(t.rows[k].peak, k);
        EXPECT_EQ(t.rows[k].slot, k);
        EXPECT_EQ(cell(t, k, NumberColumn), std::to_string(k));
        EXPECT_EQ(cell(t, k, PositionColumn), exactNumberText(p.position));
        EXPECT_EQ(cell(t, k, FwhmColumn), exactNumberText(p.fwhm));
        EXPECT_EQ(cell(t, k, AreaColumn), exactNumberText(p.area));
        EXPECT_EQ(cell(t, k, HeightColumn), exactNumberText(p.height));
        EXPECT_EQ(cell(t, k, GlColumn), std::to_string(p.gl));
        EXPECT_EQ(cell(t, k, ShareColumn), patternNumberText(100.0 * p.area / sum, "#0.0"));
        shares += leadingNumber(cell(t, k, ShareColumn));
        for (PeakParam param : kPeakParams) {
            EXPECT_EQ(cell(t, k, peakTableColumnOf(param) + 1), standardErrorText(errors.peaks[k].of(param)))
                << k;
        }
        EXPECT_EQ(cell(t, k, HeightErrorColumn), standardErrorText(errors.peaks[k].height));
    }
    EXPECT_NEAR(shares, 100.0, 0.15);
    EXPECT_EQ(cell(t, 0, TypeColumn) + cell(t, 2, TypeColumn), "sd");
    EXPECT_EQ(cell(t, 0, SplittingColumn), "");  // a singlet has no splitting
    EXPECT_EQ(cell(t, 2, SplittingColumn), "1.2");
    EXPECT_EQ(cell(t, 0, PositionErrorColumn).substr(0, 2), "\xB1 ");
    EXPECT_EQ(cell(t, 2, GlErrorColumn), "fixed");

    EXPECT_EQ(t.rows[1].holds[0], ParamHold::Tied);
    EXPECT_EQ(t.rows[2].holds[static_cast<int>(PeakParam::Gl)], ParamHold::Fixed);
    EXPECT_EQ(t.rows[0].holds, (std::array<ParamHold, 4>{}));
    EXPECT_EQ(cell(t, 0, HeldColumn), "");
    EXPECT_EQ(cell(t, 1, HeldColumn), "Position = 0 + 1.5");
    EXPECT_EQ(cell(t, 2, HeldColumn), "%GL fixed");

    EXPECT_TRUE(t.fitted);
    EXPECT_EQ(t.chiSquare, ws.regions[0].chiSquare);
    EXPECT_NE(t.verdict.verdict, FitVerdict::Unknown);
    EXPECT_EQ(t.verdict, heldVerdictOf(ws, 0));
}

TEST_F(PeakTableTest, TableFollowsTheCurrentRegionAndOmitsErrorsWhenAsked) {
    const PeakTable during = peakTableOf(ws, TableErrors::Omitted);
    const PeakTable after = peakTableOf(ws, TableErrors::Computed);
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(during.rows[k].cells[PositionColumn], after.rows[k].cells[PositionColumn]);
        for (int column :
             {PositionErrorColumn, FwhmErrorColumn, AreaErrorColumn, HeightErrorColumn, GlErrorColumn})
            EXPECT_EQ(during.rows[k].cells[column], "");
    }

    ws.peaks[0].position += 0.25f;  // a changed model is no longer the one the fit judged
    EXPECT_EQ(peakTableOf(ws, TableErrors::Omitted).verdict.verdict, FitVerdict::Unknown);

    ws.currentRegion = 3;
    const PeakTable o1s = peakTableOf(ws, TableErrors::Omitted);
    ASSERT_EQ(o1s.rows.size(), 1u);
    EXPECT_EQ(o1s.region, 3);
    EXPECT_EQ(o1s.rows[0].peak, 5);
    EXPECT_EQ(o1s.rows[0].cells[ShareColumn], "100.0");

    ws.regions[3].backgroundSet = kFalse;
    const PeakTable unfitted = peakTableOf(ws, TableErrors::Computed);
    EXPECT_FALSE(unfitted.fitted);
    EXPECT_TRUE(unfitted.rows.empty());
}

TEST_F(PeakTableTest, CopiedTextIsOneTabSeparatedTableWithPlainNumbers) {
    ws.peaks[0].label.assign("C-C\tsp3");
    const PeakTable t = peakTableOf(ws, TableErrors::Computed);
    const std::vector<Fields> lines = linesOf(peakTableText(t));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], (Fields{"Peak",
                                "Label",
                                "Type",
                                "Position",
                                "Position error",
                                "FWHM",
                                "FWHM error",
                                "Area",
                                "Area error",
                                "Height (% of range)",
                                "Height error (% of range)",
                                "%GL",
                                "%GL error",
                                "S.O.S.",
                                "Area %",
                                "Fixed / tied",
                                "Flags",
                                "Chi-square",
                                "Verdict",
                                "Reduced chi-square",
                                "Points",
                                "Free parameters",
                                "Residual RMS"}));
    const RegionErrors errors = standardErrors(ws, 0);
    for (std::size_t k = 0; k < 3; ++k) {
        const Fields& row = lines[k + 1];
        ASSERT_EQ(row.size(), 23u);
        EXPECT_EQ(row[PositionColumn], t.rows[k].cells[PositionColumn]);
        EXPECT_EQ(row[ShareColumn], t.rows[k].cells[ShareColumn]);
        EXPECT_EQ(row[FlagsColumn], peakFlagsText(heldVerdictOf(ws, 0), t.rows[k].peak));
        EXPECT_EQ(row[17], exactNumberText(ws.regions[0].chiSquare));
        EXPECT_EQ(row[18], fitVerdictWord(heldVerdictOf(ws, 0)));
        EXPECT_EQ(row[19], exactNumberText(static_cast<float>(errors.reducedStatistic)));
        EXPECT_EQ(row[20], std::to_string(errors.points));
        EXPECT_EQ(row[21], std::to_string(errors.freeParameters));
        EXPECT_EQ(row[22], exactNumberText(static_cast<float>(errors.residualRms)));
    }
    // Without the errors (during a fit) the figures they rest on are left empty too.
    const Fields during = linesOf(peakTableText(peakTableOf(ws, TableErrors::Omitted)))[1];
    EXPECT_EQ(during.size(), 23u);
    EXPECT_EQ(during[19] + during[20] + during[21] + during[22], "");
    // An error is its number alone, so a spreadsheet reads it as one.
    ASSERT_TRUE(errors.peaks[0].position.known());
    EXPECT_EQ(lines[1][PositionErrorColumn], twoDigitNumberText(errors.peaks[0].position.value));
    EXPECT_EQ(lines[3][GlErrorColumn], "fixed");
    EXPECT_EQ(lines[1][LabelColumn], "C-C sp3");
    EXPECT_EQ(lines[3][SplittingColumn], "1.2");
    EXPECT_EQ(lines[1][SplittingColumn], "");
}

TEST_F(PeakTableTest, FooterGivesWhatTheErrorsRestOnBesideTheChiSquareShown) {
    ws.regions[0].intensityUnit = "counts/s";
    const PeakTable t = peakTableOf(ws, TableErrors::Computed);
    const RegionErrors errors = standardErrors(ws, 0);
    ASSERT_TRUE(t.statistics.has_value());
    EXPECT_EQ(t.statisticsLine, "Reduced χ² " + shortNumberText(static_cast<float>(errors.reducedStatistic)) +
                                    "    N 121    Free parameters " + std::to_string(errors.freeParameters) +
                                    "    Residual RMS " + shortNumberText(static_cast<float>(errors.residualRms)) +
                                    " counts/s");
    // The χ² shown keeps its meaning, Σr²/N; the reduced one divides by N - p instead.
    EXPECT_NEAR(errors.reducedStatistic, ws.regions[0].chiSquare * 121.0 / (121 - errors.freeParameters),
                1e-5 * errors.reducedStatistic);
    // The residual RMS is that of the residual the χ² is made of, in the data's units.
    double squares = 0;
    for (int i = 1; i <= 121; ++i) squares += double(ws.regions[0].residual[i]) * ws.regions[0].residual[i];
    EXPECT_NEAR(*t.statistics->residualRms, std::sqrt(squares / 121), 1e-9);
    ASSERT_EQ(t.statistics->parameters.size(), static_cast<std::size_t>(errors.freeParameters));
    EXPECT_EQ(parameterLabel(t.statistics->parameters[0]), "Peak 0 position");
    EXPECT_EQ(correlationText(t.statistics->correlationAt(0, 0)), "1.000");

    // Nothing free: nothing to divide Σr² among, no correlations; during a fit, no line at all.
    for (int p : {0, 1, 2}) ws.peaks[p].fixPosition = ws.peaks[p].fixArea = ws.peaks[p].fixFwhm = ws.peaks[p].fixGl = 1;
    const PeakTable fixedTable = peakTableOf(ws, TableErrors::Computed);
    EXPECT_EQ(fixedTable.statisticsLine.substr(0, fixedTable.statisticsLine.find("    Residual")),
              "Reduced χ² not determined    N 121    Free parameters 0");
    EXPECT_TRUE(fixedTable.statistics->parameters.empty());
    EXPECT_EQ(peakTableOf(ws, TableErrors::Omitted).statisticsLine, "");
}

TEST(FitStatisticsText, CorrelationsAndLabelsReadAsTheWindowsShowThem) {
    const std::pair<double, const char*> correlations[] = {
        {1.0, "1.000"}, {-0.87349, "-0.873"}, {0.0004, "0.000"}, {std::nan(""), "not determined"}};
    for (const auto& [value, text] : correlations) EXPECT_EQ(correlationText(value), text) << value;
    EXPECT_EQ(parameterLabel({3, PeakParam::Gl}), "Peak 3 %GL");
    EXPECT_EQ(parameterLabel({12, PeakParam::Fwhm}), "Peak 12 FWHM");
}

}  // namespace
}  // namespace vortlan
