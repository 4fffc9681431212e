#include "session/reading_note.h"

#include <cmath>

#include "base/number_reading.h"
#include "base/number_text.h"

namespace vortlan {

namespace {

// Every digit a typed number keeps in a single, the precision the boxes store.
constexpr int kShownDigits = 9;

bool isBlank(std::string_view text) {
    return text.find_first_not_of(" \t\n") == std::string_view::npos;
}

}  // namespace

std::string readingNote(std::string_view typed) {
    if (isBlank(typed) || isWholeNumber(typed)) return {};
    const double value = leadingNumber(typed);
    if (!std::isfinite(value)) return "read as a number too large to store";
    return "read as " + significantNumberText(value, kShownDigits);
}

}  // namespace vortlan
