#include <charconv>

#include "io/csv_text.h"
#include "session/quantification.h"

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

// Regions are numbered from 1 as their buttons are, peaks by their number in the peak table.
std::vector<std::string> rowFields(const QuantRegion& region, const QuantRow& row) {
    const bool isPeak = row.peak >= 0;
    std::vector<std::string> fields = {std::to_string(region.row.region + 1), region.row.name,
                                       isPeak ? std::to_string(row.peak) : std::string(),
                                       isPeak ? row.name : std::string(), row.level};
    if (!region.counted()) {
        fields.insert(fields.end(), 6, std::string());
        fields.push_back(region.excluded);
        return fields;
    }
    for (const std::optional<double>& number :
         {std::optional(row.area), row.areaError, std::optional(row.factor), std::optional(row.correctedArea),
          std::optional(row.atomicPercent), row.atomicPercentError})
        fields.push_back(numberField(number));
    fields.push_back(row.atomicPercentError ? std::string() : std::string("uncertainty not determined"));
    return fields;
}

}  // namespace

std::string quantificationText(const Quantification& table, char separator) {
    std::string text = csvLine({"Region", "Caption", "Peak", "Label", "Level", "Area", "Area \xB1", "Factor",
                                "Corrected area", "At.%", "At.% \xB1", "Note"},
                               separator);
    for (const QuantRegion& region : table.regions) {
        text += csvLine(rowFields(region, region.row), separator);
        for (const QuantRow& peak : region.components) text += csvLine(rowFields(region, peak), separator);
    }
    return text;
}

}  // namespace vortlan
