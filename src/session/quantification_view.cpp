#include "session/quantification_view.h"

#include <algorithm>
#include <cmath>

#include "base/number_text.h"

namespace vortlan {

namespace {

constexpr int kSignificantDigits = 4;
constexpr int kMostDecimals = 9;  // smaller numbers read as 0, never in the exponent form
constexpr const char* kNotDetermined = "not determined";

// "± 1.2": the ± is the 8-bit character of the core's texts.
std::string plusMinus(const std::string& number) {
    return "\xB1 " + number;
}

std::string areaErrorText(const std::optional<double>& error) {
    return error ? plusMinus(twoDigitNumberText(*error)) : kNotDetermined;
}

std::string percentErrorText(const std::optional<double>& error) {
    return error ? plusMinus(patternNumberText(*error, "#0.00")) : kNotDetermined;
}

// A region goes by its number and caption, as the Core Level dialog names it ("3  O 1s"); a region
// without a caption or a peak without a label is named as its button shows it.
std::string nameOf(const QuantRow& row) {
    if (row.peak >= 0) return row.name.empty() ? "Peak " + std::to_string(row.peak) : row.name;
    const std::string number = std::to_string(row.region + 1);
    return row.name.empty() ? "Region " + number : number + "  " + row.name;
}

// The row's numbers; a peak's row leaves its region's level and factor to the region's row above it.
QuantCells cellsOf(const QuantRow& row, bool regionRow) {
    QuantCells cells;
    cells[QuantNameColumn] = nameOf(row);
    cells[QuantAreaColumn] = quantNumberText(row.area);
    cells[QuantAreaErrorColumn] = areaErrorText(row.areaError);
    if (regionRow) {
        cells[QuantLevelColumn] = row.level;
        cells[QuantFactorColumn] = quantNumberText(row.factor);
    }
    cells[QuantCorrectedColumn] = quantNumberText(row.correctedArea);
    if (row.leftOut) {
        cells[QuantPercentColumn] = "left out";
        return cells;
    }
    if (!row.detected) {
        // Not an atomic per cent: the limit it stays below.
        cells[QuantPercentColumn] = "not detected";
        if (row.upperLimitPercent)
            cells[QuantPercentErrorColumn] = "< " + patternNumberText(*row.upperLimitPercent, "#0.00");
        return cells;
    }
    cells[QuantPercentColumn] = patternNumberText(row.atomicPercent, "#0.00");
    cells[QuantPercentErrorColumn] = percentErrorText(row.atomicPercentError);
    return cells;
}

// How the region's amount was made; a background-subtracted area's ± has a source of its own.
std::string areaUsedText(const QuantRegion& region) {
    if (region.areaUsed != QuantArea::Background) return "Sum of the peaks";
    return "Background-subtracted area; \xB1 from " + areaNoiseText(region.noise);
}

std::string noteText(std::string first, const std::vector<std::string>& notes) {
    for (const std::string& note : notes) first += (first.empty() ? "" : "; ") + note;
    return first;
}

QuantViewRegion viewOf(const QuantRegion& quant, const Workspace& ws) {
    QuantViewRegion view;
    view.region = quant.row.region;
    view.counted = quant.counted();
    const auto index = static_cast<std::size_t>(quant.row.region);
    view.factorOverridden = index < ws.regions.size() && ws.regions[index].sensitivityOverride.has_value();
    if (!view.counted) {
        view.cells[QuantNameColumn] = nameOf(quant.row);
        view.cells[QuantLevelColumn] = quant.row.level;
        view.cells[QuantNoteColumn] = quant.excluded;
        return view;
    }
    view.cells = cellsOf(quant.row, true);
    view.cells[QuantNoteColumn] = noteText(areaUsedText(quant), quantRowNotes(quant, quant.row));
    for (const QuantRow& peak : quant.components) {
        view.peaks.push_back(cellsOf(peak, false));
        view.peaks.back()[QuantNoteColumn] = noteText({}, quantRowNotes(quant, peak));
    }
    return view;
}

}  // namespace

std::vector<QuantViewRegion> quantificationView(const Quantification& table, const Workspace& workspace) {
    std::vector<QuantViewRegion> view;
    for (const QuantRegion& region : table.regions) view.push_back(viewOf(region, workspace));
    return view;
}

std::string quantNumberText(double value) {
    if (!std::isfinite(value)) return kNotDetermined;
    if (value == 0.0) return "0";
    const int magnitude = static_cast<int>(std::floor(std::log10(std::abs(value))));
    const int decimals = std::clamp(kSignificantDigits - 1 - magnitude, 0, kMostDecimals);
    const std::string digits(static_cast<std::size_t>(decimals), '0');
    return patternNumberText(value, decimals == 0 ? "#0" : "#0." + digits);
}

}  // namespace vortlan
