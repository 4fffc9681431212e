#include "plot/plot_scale.h"

#include <algorithm>
#include <cmath>

namespace vortlan {

namespace {

constexpr int kMaxTicks = 1000;
constexpr int kMaxDecimals = 400;

}  // namespace

bool plottable(const Region& r) {
    return isTrue(r.defined) && r.pointCount >= 1 && r.energy.holds(r.pointCount) && r.counts.holds(r.pointCount);
}

PlotExtents plotExtents(const Region& r) {
    return plotExtents(r, PlotView{});
}

PlotExtents plotExtents(const Region& r, const PlotView& view) {
    PlotExtents e;
    e.xHigh = view.zoomed ? view.energyHigh : r.beHigh;
    e.xLow = view.zoomed ? view.energyLow : r.beLow;
    e.yHigh = view.zoomed ? view.countsHigh : r.countsHigh;
    e.yLow = view.zoomed ? view.countsLow : r.countsLow;
    const double g = e.xHigh - e.xLow;
    const double w = e.yHigh - e.yLow;
    e.width = g > 0 && std::isfinite(g) ? g : 1.0;
    e.height = w > 0 && std::isfinite(w) ? w : 1.0;
    e.ticksPossible = g > 0 && std::isfinite(g) && e.xHigh > 0;
    return e;
}

std::optional<double> tickStep(double span) {
    if (!(span > 0) || !std::isfinite(span)) return std::nullopt;
    double d = 1.0;
    for (int decimals = 0; decimals < kMaxDecimals; ++decimals) {
        const double step = std::floor(d * span / 5.0 + 0.1) / d;
        d *= 10.0;
        if (step != 0.0) {
            if (std::isfinite(step)) return step;
            break;
        }
    }
    return std::nullopt;
}

std::vector<float> tickPositions(const PlotExtents& e, double limit) {
    std::vector<float> ticks;
    if (!e.ticksPossible) return ticks;
    const auto step = tickStep(e.xHigh - e.xLow);
    if (!step) return ticks;
    // Counting from 0: up to the first multiple of the step not below a positive low end; down, for a
    // low end at or below 0, to the last multiple one step above which lies at or below it.
    double first = 0.0;
    if (e.xLow > 0) {
        first = std::ceil(e.xLow / *step) * *step;
        if (first < e.xLow) first += *step;
    } else {
        first = std::min(0.0, std::floor(e.xLow / *step) + 1.0) * *step;
    }
    const float increment = static_cast<float>(*step);
    for (float t = static_cast<float>(first); t / e.xHigh < limit && static_cast<int>(ticks.size()) < kMaxTicks;
         t += increment) {
        ticks.push_back(t);
    }
    return ticks;
}

std::optional<double> roundStep(double span) {
    if (!(span > 0) || !std::isfinite(span)) return std::nullopt;
    const double rough = span / 5.0;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double mantissa = rough / power;
    const double step = (mantissa < 1.5 ? 1.0 : mantissa < 3.0 ? 2.0 : mantissa < 7.0 ? 5.0 : 10.0) * power;
    if (!(step > 0) || !std::isfinite(step)) return std::nullopt;
    return step;
}

std::vector<double> axisTicks(double low, double high) {
    std::vector<double> ticks;
    const auto step = roundStep(high - low);
    if (!step) return ticks;
    // Multiples rather than a running sum, so that 0 is exactly 0 and no label shows a rounding error.
    const double slack = *step * 1e-9;
    const double first = std::ceil((low - slack) / *step);
    for (double k = first; k * *step <= high + slack && static_cast<int>(ticks.size()) < kMaxTicks; k += 1.0)
        ticks.push_back(k * *step);
    return ticks;
}

}  // namespace vortlan
