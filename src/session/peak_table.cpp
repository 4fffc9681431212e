#include "session/peak_table.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "base/number_text.h"
#include "fit/uncertainty.h"
#include "fit/verdict.h"
#include "session/error_text.h"
#include "session/peak_dialog.h"

namespace vortlan {

namespace {

struct ColumnHeadings {
    const char* window;
    const char* text;
};

// Indexed by PeakTableColumn.  The ± is the 8-bit character of the core's texts.  A height is in per
// cent of the region's background-subtracted intensity range, which a bare "Height" would pass off as
// the data's own unit.
constexpr std::array<ColumnHeadings, kPeakTableColumns> kHeadings = {{
    {"Peak", "Peak"},
    {"Label", "Label"},
    {"Type", "Type"},
    {"Position", "Position"},
    {"\xB1", "Position error"},
    {"FWHM", "FWHM"},
    {"\xB1", "FWHM error"},
    {"Area", "Area"},
    {"\xB1", "Area error"},
    {"Height (% of range)", "Height (% of range)"},
    {"\xB1", "Height error (% of range)"},
    {"%GL", "%GL"},
    {"\xB1", "%GL error"},
    {"S.O.S.", "S.O.S."},
    {"Area %", "Area %"},
    {"Fixed / tied", "Fixed / tied"},
    {"Flags", "Flags"},
}};

struct ParamColumns {
    PeakParam param;
    const char* name;
    int value;
    int error;
};

// In the order the held parameters are listed.
constexpr std::array<ParamColumns, 4> kParamColumns = {{
    {PeakParam::Position, "Position", PositionColumn, PositionErrorColumn},
    {PeakParam::Fwhm, "FWHM", FwhmColumn, FwhmErrorColumn},
    {PeakParam::Area, "Area", AreaColumn, AreaErrorColumn},
    {PeakParam::Gl, "%GL", GlColumn, GlErrorColumn},
}};

constexpr std::array<const char*, 4> kOperatorTexts = {"+", "-", "*", "/"};  // by ConstraintOp

// Blanks end a label in its fixed-length record; a tab or line break in it would split the copied row.
std::string labelText(const Peak& p) {
    std::string label = p.label.str();
    std::replace_if(
        label.begin(), label.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    label.erase(label.find_last_not_of(' ') + 1);
    return label;
}

// The copied error: every digit a spreadsheet needs, or why there is no number.
std::string errorField(const StandardError& error) {
    return error.known() ? twoDigitNumberText(error.value) : standardErrorText(error);
}

ParamHold holdOf(const Workspace& ws, int peak, PeakParam param) {
    if (isTrue(ws.constraints.at(peak).of(param).linked)) return ParamHold::Tied;
    return isFixed(ws.peaks.at(peak), param) ? ParamHold::Fixed : ParamHold::Free;
}

// "Position = 0 + 1.5": the relation a tied parameter follows.
std::string relationText(const ParamConstraint& c, const char* name) {
    const auto op = static_cast<std::size_t>(std::clamp<short>(c.op, 0, 3));
    return std::string(name) + " = " + std::to_string(c.refPeak) + " " + kOperatorTexts[op] + " " +
           shortNumberText(c.operand);
}

std::string heldText(const Workspace& ws, int peak, const std::array<ParamHold, 4>& holds) {
    std::string text;
    for (const ParamColumns& c : kParamColumns) {
        const ParamHold hold = holds[static_cast<std::size_t>(c.param)];
        if (hold == ParamHold::Free) continue;
        if (!text.empty()) text += ", ";
        text += hold == ParamHold::Tied ? relationText(ws.constraints.at(peak).of(c.param), c.name)
                                        : std::string(c.name) + " fixed";
    }
    return text;
}

std::string parameterText(const Peak& p, PeakParam param) {
    return param == PeakParam::Gl ? std::to_string(p.gl) : exactNumberText(realParameter(p, param));
}

// A singlet has no second component to be split from.
std::string splittingText(const Peak& p) {
    return p.type > static_cast<short>(PeakType::Singlet) ? exactNumberText(p.splitting) : std::string();
}

std::string shareText(const Peak& p, double regionArea) {
    if (!(regionArea > 0.0) || !std::isfinite(regionArea)) return {};
    return patternNumberText(100.0 * p.area / regionArea, "#0.0");
}

double regionPeakArea(const Workspace& ws, const Region& r) {
    double sum = 0.0;
    for (int s = 0; s < r.peakCount; ++s) sum += ws.peaks.at(r.peakSlots[s]).area;
    return sum;
}

void putErrors(PeakTableRow& row, const PeakErrors& errors) {
    for (const ParamColumns& c : kParamColumns) {
        const StandardError& e = errors.of(c.param);
        row.cells[c.error] = standardErrorText(e);
        row.textCells[c.error] = errorField(e);
    }
    row.cells[HeightErrorColumn] = standardErrorText(errors.height);
    row.textCells[HeightErrorColumn] = errorField(errors.height);
}

// The peak's flags, causes only: the row names the peak.
void putFlags(PeakTableRow& row, const RegionVerdict& verdict) {
    row.cells[FlagsColumn] = row.textCells[FlagsColumn] = peakFlagsText(verdict, row.peak);
}

PeakTableRow rowOf(const Workspace& ws, const Region& r, int slot, double regionArea) {
    PeakTableRow row;
    row.slot = slot;
    row.peak = r.peakSlots[slot];
    const Peak& p = ws.peaks.at(row.peak);
    PeakTableCells& cells = row.cells;
    cells[NumberColumn] = std::to_string(row.peak);
    cells[LabelColumn] = labelText(p);
    cells[TypeColumn] = peakTypeText(p.type);
    for (const ParamColumns& c : kParamColumns) {
        cells[c.value] = parameterText(p, c.param);
        row.holds[static_cast<std::size_t>(c.param)] = holdOf(ws, row.peak, c.param);
    }
    cells[HeightColumn] = exactNumberText(p.height);
    cells[SplittingColumn] = splittingText(p);
    cells[ShareColumn] = shareText(p, regionArea);
    cells[HeldColumn] = heldText(ws, row.peak, row.holds);
    row.textCells = cells;
    return row;
}

// The copied statistics: every digit, "not determined" where there is no number; empty fields
// without errors.
std::string statisticsFields(const std::optional<FitStatistics>& s) {
    if (!s) return "\t\t\t";
    const auto field = [](const std::optional<double>& value) {
        return value ? exactNumberText(static_cast<float>(*value)) : std::string("not determined");
    };
    return field(s->reducedChiSquare) + '\t' + std::to_string(s->points) + '\t' +
           std::to_string(s->freeParameters) + '\t' + field(s->residualRms);
}

}  // namespace

PeakTable peakTableOf(const Workspace& ws, TableErrors errors) {
    PeakTable table;
    table.region = ws.currentRegion;
    const Region& r = currentRegionOf(ws);
    table.fitted = isTrue(r.defined) && isTrue(r.backgroundSet);
    if (!table.fitted) return table;
    table.chiSquare = r.chiSquare;
    table.verdict = heldVerdictOf(ws, table.region);
    const double area = regionPeakArea(ws, r);
    const int count = std::clamp<int>(r.peakCount, 0, kPeaksPerRegion);
    for (int s = 0; s < count; ++s) table.rows.push_back(rowOf(ws, r, s, area));
    for (PeakTableRow& row : table.rows) putFlags(row, table.verdict);
    if (errors == TableErrors::Omitted || table.rows.empty()) return table;
    const RegionErrors found = standardErrors(ws, table.region);
    for (PeakTableRow& row : table.rows) {
        const auto e = std::find_if(found.peaks.begin(), found.peaks.end(),
                                    [&row](const PeakErrors& pe) { return pe.peak == row.peak; });
        if (e != found.peaks.end()) putErrors(row, *e);
    }
    table.statistics = fitStatisticsOf(found);
    table.statisticsLine = fitStatisticsLine(*table.statistics, r.intensityUnit);
    return table;
}

const char* peakTableHeading(int column) {
    return kHeadings.at(static_cast<std::size_t>(column)).window;
}

const char* peakTableTextHeading(int column) {
    return kHeadings.at(static_cast<std::size_t>(column)).text;
}

int peakTableColumnOf(PeakParam param) {
    return std::find_if(kParamColumns.begin(), kParamColumns.end(),
                        [param](const ParamColumns& c) { return c.param == param; })
        ->value;
}

std::string peakTableText(const PeakTable& table) {
    const auto line = [](const PeakTableCells& cells, const std::string& chi, const std::string& verdict,
                         const std::string& statistics) {
        std::string text;
        for (const std::string& cell : cells) text += cell + '\t';
        return text + chi + '\t' + verdict + '\t' + statistics + '\n';
    };
    PeakTableCells headings;
    for (int c = 0; c < kPeakTableColumns; ++c)
        headings[static_cast<std::size_t>(c)] = peakTableTextHeading(c);
    std::string text =
        line(headings, "Chi-square", "Verdict", "Reduced chi-square\tPoints\tFree parameters\tResidual RMS");
    const std::string chi = exactNumberText(table.chiSquare);
    const std::string verdict = fitVerdictWord(table.verdict);
    const std::string statistics = statisticsFields(table.statistics);
    for (const PeakTableRow& row : table.rows) text += line(row.textCells, chi, verdict, statistics);
    return text;
}

}  // namespace vortlan
