#pragma once
// The peak table: every peak of the current region in one row, with its values, its share of the
// region's peak area and its standard errors, and the region's χ² and verdict.  The window shows the
// cells; the copied text is the same table, tab-separated, with numbers a spreadsheet reads.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "session/fit_statistics.h"
#include "workspace/records.h"

namespace vortlan {

enum PeakTableColumn : int {
    NumberColumn,
    LabelColumn,
    TypeColumn,
    PositionColumn,
    PositionErrorColumn,
    FwhmColumn,
    FwhmErrorColumn,
    AreaColumn,
    AreaErrorColumn,
    HeightColumn,
    HeightErrorColumn,
    GlColumn,
    GlErrorColumn,
    SplittingColumn,
    ShareColumn,
    HeldColumn,
    FlagsColumn,
};
inline constexpr int kPeakTableColumns = FlagsColumn + 1;

// Whether the optimisers leave a parameter alone, and why.
enum class ParamHold { Free, Fixed, Tied };

using PeakTableCells = std::array<std::string, kPeakTableColumns>;

struct PeakTableRow {
    int peak = 0;                      // the peak's number, as its button shows it
    int slot = 0;                      // its place in the region, which gives its colour
    PeakTableCells cells;              // as the window shows them ("± 0.012" beside a value)
    PeakTableCells textCells;          // as copied (the error alone, "0.012")
    std::array<ParamHold, 4> holds{};  // indexed by PeakParam
};

struct PeakTable {
    int region = 0;
    std::vector<PeakTableRow> rows;  // in slot order
    bool fitted = false;             // the region holds data with an accepted background
    float chiSquare = 0;
    RegionVerdict verdict;  // with its flags, also shown beside each peak
    // With the errors: what they rest on, as the footer's second line shows it, with the correlations
    // of the free parameters a click away.
    std::optional<FitStatistics> statistics;
    std::string statisticsLine;
};

// Standard errors cost a fit's Jacobian: a table shown during a fit leaves them out.
enum class TableErrors { Computed, Omitted };

// The table of the current region.
PeakTable peakTableOf(const Workspace& workspace, TableErrors errors);

// The heading of a column in the window ("±" over an error) and in the copied text ("Position error").
const char* peakTableHeading(int column);
const char* peakTableTextHeading(int column);

// The column that shows a parameter's value.
int peakTableColumnOf(PeakParam param);

// A header row and one row per peak: fields between tabs, each row ended by a line feed.  The region's
// χ² and verdict, and with the errors their reduced χ², points, free parameters and residual RMS, are
// repeated on every row, as the fit report does, so the paste stays one table.
std::string peakTableText(const PeakTable& table);

}  // namespace vortlan
