#pragma once
// The colours of a region's curves when curves are drawn in colour.  Peaks take their colour from the
// order of their slot in the region, so that a peak has the same colour in the plot, the peak table
// and every legend.  The ten peak colours are told apart by readers with any common colour-vision
// deficiency (the Okabe-Ito set without its black and yellow, completed from Tol's muted set), and
// none of them is the raw spectrum's blue.

#include <array>

#include "plot/surface.h"
#include "workspace/limits.h"

namespace vortlan {

inline constexpr std::array<Colour, kPeaksPerRegion> kPeakPalette{{
    {230, 159, 0},    // orange
    {86, 180, 233},   // sky blue
    {0, 158, 115},    // bluish green
    {213, 94, 0},     // vermillion
    {204, 121, 167},  // reddish purple
    {0, 114, 178},    // blue
    {136, 34, 85},    // wine
    {153, 153, 51},   // olive
    {51, 34, 136},    // indigo
    {68, 170, 153},   // teal
}};

inline constexpr Colour kBackgroundColour{128, 128, 128};
inline constexpr Colour kEnvelopeColour{0, 0, 0};

// The colour of the peak in slot `slot` (0..9) of its region; any other slot wraps round the palette.
constexpr Colour peakColour(int slot) {
    const int n = static_cast<int>(kPeakPalette.size());
    return kPeakPalette[static_cast<std::size_t>(((slot % n) + n) % n)];
}

}  // namespace vortlan
