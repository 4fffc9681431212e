#pragma once
// The unit of a region's intensities, as the imported file names it.

#include <cstddef>
#include <string>
#include <string_view>

namespace vortlan {

// Room for "counts per second"; a longer text is cut.
inline constexpr std::size_t kIntensityUnitLength = 20;

// The text as a region keeps it: printable ASCII only, without surrounding blanks, at most
// kIntensityUnitLength characters.  Whatever a file holds here reaches the plot, the command line's
// output and the project file.
std::string intensityUnitText(std::string_view text);

// What a unit says of the intensities' statistics: counted events, events per second, or nothing
// that can be relied on (an empty text, a dimensionless "d", arbitrary units, a ratio).
enum class IntensityKind { Counts, CountRate, Unknown };

// The one table of the unit texts the program takes for counts ("counts", "c", "cts") and for count
// rates ("c/s", "counts per second", "cps"), in any case and spacing; every other text is Unknown.
IntensityKind intensityKindOf(std::string_view unit);

}  // namespace vortlan
