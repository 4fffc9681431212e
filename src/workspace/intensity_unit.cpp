#include "workspace/intensity_unit.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "base/printable_text.h"

namespace vortlan {

namespace {

// As normalised() leaves a text.
constexpr std::array<std::string_view, 4> kCountUnits = {"c", "count", "counts", "cts"};
constexpr std::array<std::string_view, 10> kRateUnits = {
    "c/s",   "cps",   "count/s",    "counts/s",          "counts/sec",
    "cts/s", "c s-1", "counts s-1", "counts per second", "count per second"};

// Lower case, blanks around '/' dropped, other runs of blanks made one.
std::string normalised(std::string_view text) {
    std::string out;
    bool blank = false;
    for (const char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            blank = !out.empty();
            continue;
        }
        if (blank && c != '/' && out.back() != '/') out += ' ';
        blank = false;
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

template <std::size_t N>
bool listed(const std::array<std::string_view, N>& table, std::string_view text) {
    return std::find(table.begin(), table.end(), text) != table.end();
}

}  // namespace

std::string intensityUnitText(std::string_view text) {
    return printableText(text, kIntensityUnitLength);
}

IntensityKind intensityKindOf(std::string_view unit) {
    const std::string text = normalised(unit);
    if (listed(kCountUnits, text)) return IntensityKind::Counts;
    if (listed(kRateUnits, text)) return IntensityKind::CountRate;
    return IntensityKind::Unknown;
}

}  // namespace vortlan
