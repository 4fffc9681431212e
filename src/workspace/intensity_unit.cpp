#include "workspace/intensity_unit.h"

#include "base/printable_text.h"

namespace vortlan {

std::string intensityUnitText(std::string_view text) {
    return printableText(text, kIntensityUnitLength);
}

}  // namespace vortlan
