#pragma once
// The plot's vertical axes: intensity beside the data, residual beside the residual panel.  Each is a
// line with ticks pointing away from the data and labels right-aligned against them.

#include <functional>
#include <string>
#include <vector>

#include "plot/surface.h"

namespace vortlan {

struct AxisTicks {
    std::vector<double> values;
    std::vector<std::string> labels;  // whole numbers, or the decimals the step needs
};

// The ticks axisTicks chooses from low to high, with their labels.
AxisTicks verticalTicks(double low, double high);

// The widest label, in user units of the surface's current coordinates.
double labelsWidth(Surface& surface, const AxisTicks& ticks);

struct VerticalAxis {
    double x = 0;       // the axis line
    double bottom = 0;  // and its ends
    double top = 0;
    double tickLength = 0;  // in user units, towards higher energy
    double lineHeight = 0;  // of a label, in user units
    double labelGap = 0;    // between a tick and its label
};

// The line, its ticks at yOf(value) and their labels.
void drawVerticalAxis(Surface& surface, const VerticalAxis& axis, const AxisTicks& ticks,
                      const std::function<double(double)>& yOf);

}  // namespace vortlan
