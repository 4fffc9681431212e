#pragma once
// The core level dialog of the spectrum window: the element and level a region measures, the factor
// computed for it at the region's source energy, and the user's own factor in its place.

#include <string>
#include <string_view>

#include "workspace/records.h"

namespace vortlan {

// What the dialog's controls hold.
struct CoreLevelEntry {
    std::string level;       // as typed; blank for a region whose level is not known
    bool ownFactor = false;  // "Use this factor:" rather than "Use computed factor"
    double factor = 1.0;     // the number box
};

// What the dialog shows beside the level as it is typed.
struct CoreLevelPreview {
    std::string factor;  // the computed factor ("5.221"), or why there is none
    bool computed = false;
    std::string source;  // "1486.6 eV, recorded in the file" or "..., the quantification setting"
};

// The region as stored: its level, and its own factor or else the computed one in the number box, so
// that choosing "Use this factor:" starts from the number the region has now.
CoreLevelEntry coreLevelEntryOf(const Region& region, const QuantSettings& settings);

CoreLevelPreview previewCoreLevel(const Region& region, const QuantSettings& settings,
                                  std::string_view level);

// "OK": the level in its canonical form and the factor choice go into the region.  Text that is not a
// level, or an own factor that is not a positive number, is refused: the reason is returned and the
// region is left as it was.  Returns nothing (an empty text) once stored.
std::string acceptCoreLevel(Region& region, const CoreLevelEntry& entry);

}  // namespace vortlan
