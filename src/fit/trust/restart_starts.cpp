#include "fit/trust/restart_starts.h"

#include <algorithm>
#include <cmath>

#include "fit/trust/physical_bounds.h"
#include "model/peak_shapes.h"
#include "model/propagation.h"

namespace vortlan {

namespace {

// A start wide enough to see the shape it should take, from wherever it is placed.
constexpr float kWidening = 2.0f;
// Area / (height × FWHM) of a Gaussian, for a peak sized from the height it should fill.
constexpr double kGaussianAreaPerHeightWidth = 1.0645;

// The range point where the data lie furthest above the envelope, measured as the statistic weighs a
// point; nothing when the envelope lies above the data everywhere.
std::optional<int> largestShortfall(const Region& r) {
    std::optional<int> found;
    double largest = 0.0;
    for (int i = 1; i <= r.rangeCount; ++i) {
        const double data = r.rangeCounts[i];
        const double weighted = (data - r.envelope[i]) / std::sqrt(data == 0.0 ? 1.0 : std::fabs(data));
        if (weighted > largest) {
            largest = weighted;
            found = i;
        }
    }
    return found;
}

// The user's FWHM, kept off the floor the fit holds widths above.
float startingWidth(const Workspace& ws, const Region& r, const PeakStart& userStart) {
    const double floor = fwhmFloorOf(ws, r);
    const double width = std::isfinite(userStart.fwhm) && userStart.fwhm > 0.0f ? userStart.fwhm : 1.0;
    return static_cast<float>(std::max(width, 2.0 * floor));
}

// A peak of the user's width at the largest shortfall, sized to fill it with its main component.
std::optional<PeakStart> atLargestShortfall(const Region& r, const Peak& p, float width) {
    const std::optional<int> at = largestShortfall(r);
    const double share = mainShare(p.type);
    if (!at || !r.rangeEnergy.holds(r.rangeCount) || !r.envelope.holds(r.rangeCount) || share <= 0.0)
        return std::nullopt;
    const double height = r.rangeCounts[*at] - r.envelope[*at];
    const double area = height * width * kGaussianAreaPerHeightWidth / share;
    return PeakStart{r.rangeEnergy[*at] - r.shift, static_cast<float>(std::max(area, kAreaFloor)), width};
}

}  // namespace

std::vector<PeakStart> restartStarts(const Workspace& ws, int peak, const PeakStart& userStart) {
    const Peak& p = ws.peaks.at(static_cast<std::size_t>(peak));
    const Region& r = ws.regions.at(static_cast<std::size_t>(std::clamp<int>(p.region, 0, kRegionCount - 1)));
    const float width = startingWidth(ws, r, userStart);
    const float area =
        std::isfinite(userStart.area) ? std::max(userStart.area, static_cast<float>(kAreaFloor)) : p.area;
    std::vector<PeakStart> starts{{userStart.position, area, width * kWidening}};
    if (const auto shortfall = atLargestShortfall(r, p, width)) {
        starts.push_back(*shortfall);
        starts.push_back({shortfall->position, shortfall->area * kWidening, width * kWidening});
    }
    return starts;
}

void placePeakAt(Workspace& ws, int peak, const PeakStart& start) {
    Peak& p = ws.peaks.at(static_cast<std::size_t>(peak));
    const std::pair<PeakParam, float> values[] = {
        {PeakParam::Position, start.position}, {PeakParam::Area, start.area}, {PeakParam::Fwhm, start.fwhm}};
    for (const auto& [param, value] : values) {
        if (isFixed(p, param) || isTrue(ws.constraints[peak].of(param).linked)) continue;
        realParameter(p, param) = value;
        propagate(ws, param, peak);
    }
}

}  // namespace vortlan
