#include "workspace/fit_verdicts.h"

#include <cstring>

namespace vortlan {

namespace {

void appendConstraint(std::vector<float>& model, const ParamConstraint& c) {
    model.insert(model.end(), {static_cast<float>(c.linked), static_cast<float>(c.refPeak),
                               static_cast<float>(c.isReference), static_cast<float>(c.op), c.operand,
                               static_cast<float>(c.limited), c.low, c.high});
}

// Everything a fit of the region works from, flattened: its background settings, then each peak's
// values, shape, fixes and ties in slot order.  The data themselves change only by an import, which
// forgets the verdict.
std::vector<float> modelOf(const Workspace& ws, int region) {
    const Region& r = ws.regions.at(static_cast<std::size_t>(region));
    std::vector<float> model{static_cast<float>(r.defined),
                             static_cast<float>(r.backgroundSet),
                             static_cast<float>(r.backgroundType),
                             r.rangeLow,
                             r.rangeHigh,
                             static_cast<float>(r.averagePoints),
                             r.backgroundParam,
                             r.linearSlope,
                             r.shift,
                             static_cast<float>(r.pointCount),
                             static_cast<float>(r.rangeCount),
                             static_cast<float>(ws.options.glSum),
                             static_cast<float>(ws.instrumentFwhm.value_or(0.0)),
                             static_cast<float>(r.peakCount)};
    for (int s = 0; s < r.peakCount && s < kPeaksPerRegion; ++s) {
        const int peak = r.peakSlots[static_cast<std::size_t>(s)];
        model.push_back(static_cast<float>(peak));
        if (peak < 0 || peak >= kPeakCount) continue;
        const Peak& p = ws.peaks[static_cast<std::size_t>(peak)];
        model.insert(model.end(), {static_cast<float>(p.type), p.splitting, p.position, p.area, p.fwhm,
                                   static_cast<float>(p.gl), p.ts, p.tl, static_cast<float>(p.fixPosition),
                                   static_cast<float>(p.fixArea), static_cast<float>(p.fixFwhm),
                                   static_cast<float>(p.fixGl)});
        for (PeakParam param : kPeakParams) appendConstraint(model, ws.constraints[peak].of(param));
    }
    return model;
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
}

}  // namespace

void adoptFitVerdict(Workspace& ws, int region, RegionVerdict verdict) {
    verdict.model = modelOf(ws, region);
    ws.fitVerdicts.at(static_cast<std::size_t>(region)) = std::move(verdict);
}

const RegionVerdict& heldVerdictOf(const Workspace& ws, int region) {
    static const RegionVerdict unknown;
    const RegionVerdict& kept = ws.fitVerdicts.at(static_cast<std::size_t>(region));
    if (kept.verdict == FitVerdict::Unknown || !sameBits(kept.model, modelOf(ws, region))) return unknown;
    return kept;
}

FitVerdict fitVerdictOf(const Workspace& ws, int region) {
    return heldVerdictOf(ws, region).verdict;
}

}  // namespace vortlan
