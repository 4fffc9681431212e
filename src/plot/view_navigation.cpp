#include "plot/view_navigation.h"

#include <algorithm>
#include <cmath>

namespace vortlan {

namespace {

struct Interval {
    double low = 0;
    double high = 0;
    double span() const { return high - low; }
};

struct Extent {
    Interval energy;
    Interval counts;
};

bool usable(const Interval& i) {
    return std::isfinite(i.low) && std::isfinite(i.high) && i.span() > 0;
}

// The region's own extents, when both have room to zoom into.
std::optional<Extent> wholeOf(const Region& r) {
    if (!plottable(r)) return std::nullopt;
    const Extent whole{{r.beLow, r.beHigh}, {r.countsLow, r.countsHigh}};
    if (!usable(whole.energy) || !usable(whole.counts)) return std::nullopt;
    return whole;
}

Extent shownOf(const PlotView& view, const Extent& whole) {
    if (!view.zoomed) return whole;
    return {{view.energyLow, view.energyHigh}, {view.countsLow, view.countsHigh}};
}

double smallestSpan(const Interval& whole) {
    return whole.span() / kMaxMagnification;
}

// The interval with its span held between the smallest allowed and the whole (about its centre), then
// moved inside the whole.
Interval heldInside(const Interval& wanted, const Interval& whole) {
    if (!std::isfinite(wanted.low) || !std::isfinite(wanted.high)) return whole;
    const double span = std::clamp(std::fabs(wanted.span()), smallestSpan(whole), whole.span());
    const double centre = (wanted.low + wanted.high) / 2;
    const double low = std::clamp(centre - span / 2, whole.low, whole.high - span);
    return {low, low + span};
}

// Whether an interval held inside the whole spans all of it, but for rounding.
bool coversWhole(const Interval& shown, const Interval& whole) {
    return shown.span() >= whole.span() * (1 - 1e-9);
}

PlotView viewOf(const Extent& shown, const Extent& whole) {
    if (coversWhole(shown.energy, whole.energy) && coversWhole(shown.counts, whole.counts)) return PlotView{};
    return PlotView{true, shown.energy.high, shown.energy.low, shown.counts.high, shown.counts.low};
}

Interval scaledAbout(const Interval& shown, const Interval& whole, double centre, double factor) {
    const double f = std::clamp(factor, smallestSpan(whole) / shown.span(), whole.span() / shown.span());
    return heldInside({centre - (centre - shown.low) * f, centre + (shown.high - centre) * f}, whole);
}

}  // namespace

std::optional<PlotView> zoomedTo(const Region& region, UserPoint a, UserPoint b) {
    const auto whole = wholeOf(region);
    if (!whole) return std::nullopt;
    const Interval energy{std::max(std::min(a.x, b.x), whole->energy.low),
                          std::min(std::max(a.x, b.x), whole->energy.high)};
    const Interval counts{std::max(std::min(a.y, b.y), whole->counts.low),
                          std::min(std::max(a.y, b.y), whole->counts.high)};
    if (!usable(energy) || !usable(counts)) return std::nullopt;
    return viewOf({heldInside(energy, whole->energy), heldInside(counts, whole->counts)}, *whole);
}

PlotView zoomedAbout(const Region& region, const PlotView& view, UserPoint centre, double factor) {
    const auto whole = wholeOf(region);
    if (!whole || !(factor > 0) || !std::isfinite(factor) || !std::isfinite(centre.x) ||
        !std::isfinite(centre.y))
        return view;
    const Extent shown = shownOf(view, *whole);
    return viewOf({scaledAbout(shown.energy, whole->energy, centre.x, factor),
                   scaledAbout(shown.counts, whole->counts, centre.y, factor)},
                  *whole);
}

PlotView pannedBy(const Region& region, const PlotView& view, double energy, double counts) {
    const auto whole = wholeOf(region);
    if (!whole || !view.zoomed) return view;
    const Extent shown = shownOf(view, *whole);
    return viewOf({heldInside({shown.energy.low + energy, shown.energy.high + energy}, whole->energy),
                   heldInside({shown.counts.low + counts, shown.counts.high + counts}, whole->counts)},
                  *whole);
}

ViewedData viewedDataOf(const Workspace& ws) {
    const Region& r = currentRegionOf(ws);
    return {ws.currentRegion, r.energy, r.counts, r.pointCount, r.shift};
}

bool stillViewed(const ViewedData& viewed, const Workspace& ws) {
    const Region& r = currentRegionOf(ws);
    return viewed.region == ws.currentRegion && viewed.pointCount == r.pointCount &&
           viewed.shift == r.shift && viewed.energy == r.energy && viewed.counts == r.counts;
}

}  // namespace vortlan
