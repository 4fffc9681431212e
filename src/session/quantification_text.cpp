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

// An at.% without its uncertainty is said to be so; what else the row says follows.
std::string noteField(const QuantRegion& region, const QuantRow& row) {
    std::vector<std::string> notes;
    if (row.sharesTheTotal() && !row.atomicPercentError) notes.emplace_back("uncertainty not determined");
    for (std::string& note : quantRowNotes(region, row)) notes.push_back(std::move(note));
    std::string text;
    for (const std::string& note : notes) text += (text.empty() ? "" : "; ") + note;
    return text;
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
        fields.insert(fields.end(), 4, std::string());
        return fields;
    }
    // A row not detected has no atomic per cent: its limits stand in the columns after the note.
    const auto percent = row.sharesTheTotal() ? std::optional(row.atomicPercent) : std::nullopt;
    for (const std::optional<double>& number :
         {std::optional(row.area), row.areaError, std::optional(row.factor), std::optional(row.correctedArea),
          percent, row.atomicPercentError})
        fields.push_back(numberField(number));
    fields.push_back(noteField(region, row));
    fields.push_back(row.detected ? std::string() : numberField(row.upperLimitArea));
    fields.push_back(numberField(row.detected ? std::nullopt : row.upperLimitPercent));
    fields.push_back(areaNoiseText(region.noise));
    fields.push_back(region.transmissionDivided ? "divided" : "");
    return fields;
}

}  // namespace

std::string quantificationText(const Quantification& table, char separator) {
    std::string text = csvLine(
        {"Region", "Caption", "Peak", "Label", "Level", "Area", "Area \xB1", "Factor", "Corrected area",
         "At.%", "At.% \xB1", "Note", "Upper limit area", "Upper limit at.%", "Noise", "Transmission"},
        separator);
    for (const QuantRegion& region : table.regions) {
        text += csvLine(rowFields(region, region.row), separator);
        for (const QuantRow& peak : region.components) text += csvLine(rowFields(region, peak), separator);
    }
    return text;
}

}  // namespace vortlan
