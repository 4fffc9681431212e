#include <charconv>

#include "io/csv_text.h"
#include "quant/quantification.h"

namespace vortlan {

namespace {

// Seven significant digits, whatever the locale: the text goes to spreadsheets and scripts.
std::string numberField(double value) {
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 7).ptr;
    return std::string(digits, end);
}

std::string numberField(const std::optional<double>& value) {
    return value ? numberField(*value) : std::string();
}

std::vector<std::string> rowFields(const QuantRegion& region, const QuantRow& row) {
    const bool isPeak = row.peak >= 0;
    const std::string regionName = isPeak ? region.row.name : row.name;
    const std::string peakName = isPeak ? row.name : std::string();
    if (!region.counted()) return {regionName, peakName, row.level, "", "", "", "", "", "", region.excluded};
    return {regionName,
            peakName,
            row.level,
            numberField(row.area),
            numberField(row.areaError),
            numberField(row.factor),
            numberField(row.correctedArea),
            numberField(row.atomicPercent),
            numberField(row.atomicPercentError),
            row.atomicPercentError ? std::string() : std::string("uncertainty not determined")};
}

}  // namespace

std::string quantificationText(const Quantification& table, char separator) {
    std::string text = csvLine({"Region", "Peak", "Level", "Area", "Area ±", "Factor", "Corrected area", "At.%",
                                "At.% ±", "Note"},
                               separator);
    for (const QuantRegion& region : table.regions) {
        text += csvLine(rowFields(region, region.row), separator);
        for (const QuantRow& peak : region.components) text += csvLine(rowFields(region, peak), separator);
    }
    return text;
}

}  // namespace vortlan
