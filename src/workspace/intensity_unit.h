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

}  // namespace vortlan
