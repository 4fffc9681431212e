#include "plot/vertical_axis.h"

#include <algorithm>
#include <cmath>

#include "base/number_text.h"
#include "plot/plot_scale.h"

namespace vortlan {

namespace {

constexpr int kMostDecimals = 12;

// The decimals that tell ticks `step` apart: none for a step of 1 or more, two for 0.08.
int decimalsFor(double step) {
    if (step >= 1.0) return 0;
    return std::clamp(static_cast<int>(std::ceil(-std::log10(step) - 1e-9)), 1, kMostDecimals);
}

}  // namespace

AxisTicks verticalTicks(double low, double high) {
    AxisTicks ticks;
    const auto step = roundStep(high - low);
    if (!step) return ticks;
    ticks.values = axisTicks(low, high);
    const int decimals = decimalsFor(*step);
    const std::string pattern =
        decimals == 0 ? "#0" : "#0." + std::string(static_cast<std::size_t>(decimals), '0');
    for (double v : ticks.values) ticks.labels.push_back(patternNumberText(v, pattern));
    return ticks;
}

double labelsWidth(Surface& s, const AxisTicks& ticks) {
    double widest = 0;
    for (const std::string& label : ticks.labels) widest = std::max(widest, std::fabs(s.textWidth(label)));
    return widest;
}

void drawVerticalAxis(Surface& s, const VerticalAxis& a, const AxisTicks& ticks,
                      const std::function<double(double)>& yOf) {
    s.line({a.x, a.bottom}, {a.x, a.top});
    const double tickEnd = a.x + a.tickLength;
    for (std::size_t k = 0; k < ticks.values.size(); ++k) {
        const double y = yOf(ticks.values[k]);
        s.line({a.x, y}, {tickEnd, y});
        const std::string& label = ticks.labels[k];
        s.setPosition({tickEnd + a.labelGap + std::fabs(s.textWidth(label)), y + a.lineHeight / 2});
        s.print(label);
    }
}

}  // namespace vortlan
