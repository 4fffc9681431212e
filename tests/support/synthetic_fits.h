#pragma once
// Regions made from known peaks on the program's own Shirley background, for tests of how well the
// optimisers find them again, and the ties and backgrounds such tests set up.

#include <algorithm>
#include <functional>
#include <vector>

#include "model/backgrounds.h"
#include "model/peak_shapes.h"
#include "model/region_curves.h"
#include "support/synthetic_region.h"
#include "workspace/port.h"

namespace vortlan::testing {

struct TruePeak {
    float position;
    float area;
    float fwhm;
    short gl;
    short type;
    float splitting;
};

// A signal on the background of the given type of the data it makes: starting from a step that rises
// with the signal's area on the low-binding-energy side, data and background are refined together
// until the data are the program's own background (with the region's end averaging and background
// parameter) plus the signal.  The range is the whole region, wide enough for the signal to vanish at
// its ends, where a background meets the data.
inline void synthesizeOnBackground(Workspace& ws, int region, BackgroundType type, float backgroundParam,
                                   const std::function<double(double)>& signalAt, double low, double high,
                                   float beHigh = 302.0f, short averagePoints = 1) {
    const int n = 301;
    Region& r = testing::makeRegion(ws, region, n, beHigh, 0.1f, [](double) { return 0.0; });
    r.averagePoints = averagePoints;
    r.backgroundParam = backgroundParam;
    std::vector<double> signal(n + 1, 0.0);
    for (int i = 1; i <= n; ++i) signal[i] = signalAt(r.energy[i]);
    std::vector<double> below(n + 2, 0.0);
    for (int i = n - 1; i >= 1; --i) below[i] = below[i + 1] + signal[i];
    for (int i = 1; i <= n; ++i)
        r.counts[i] = static_cast<float>(low + (high - low) * below[i] / below[1] + signal[i]);
    r.backgroundType = static_cast<short>(type);
    ws.currentRegion = static_cast<short>(region);
    for (int pass = 0; pass < 20; ++pass) {
        computeBackground(ws, region);
        for (int i = 1; i <= n; ++i) r.counts[i] = static_cast<float>(r.background[i] + signal[i]);
    }
    r.countsHigh = *std::max_element(r.counts.data() + 1, r.counts.data() + n + 1);
    r.countsLow = *std::min_element(r.counts.data() + 1, r.counts.data() + n + 1);
}

// The same on the Shirley background without a linear term.
inline void synthesizeOnShirley(Workspace& ws, int region, const std::function<double(double)>& signalAt,
                                double low, double high, float beHigh = 302.0f, short averagePoints = 1) {
    synthesizeOnBackground(ws, region, BackgroundType::Shirley, 0.0f, signalAt, low, high, beHigh,
                           averagePoints);
}

// Peaks on the Shirley background of the data they make.
inline void synthesize(Workspace& ws, int region, const std::vector<TruePeak>& peaks, double low, double high,
                       float beHigh = 302.0f) {
    const LineForm form = lineFormOf(ws.options);
    const auto signal = [&](double energy) {
        double sum = 0.0;
        for (const TruePeak& t : peaks) {
            sum += peakValue(form, static_cast<float>(energy),
                             PeakShape{t.position, t.area, t.fwhm, t.gl, t.splitting, t.type, 0, 1});
        }
        return sum;
    };
    synthesizeOnShirley(ws, region, signal, low, high, beHigh);
}

inline void tie(Workspace& ws, PeakParam param, int tied, int reference, ConstraintOp op, float operand) {
    ParamConstraint& c = ws.constraints[tied].of(param);
    c.linked = kTrue;
    c.refPeak = static_cast<short>(reference);
    c.op = static_cast<short>(op);
    c.operand = operand;
    ws.constraints[reference].of(param).isReference = kTrue;
    ws.constraints[reference].of(param).tiedPeak = static_cast<short>(tied);
}

inline void acceptShirley(Workspace& ws, Port& port, int region) {
    ws.currentRegion = static_cast<short>(region);
    ws.regions[region].backgroundType = static_cast<short>(BackgroundType::Shirley);
    ws.acceptingBackground = kTrue;
    recomputeRegion(ws, port);
    ws.acceptingBackground = kFalse;
    ws.regions[region].backgroundSet = kTrue;
}

// The background of the type accepted, drawn as the region's type says.
inline void acceptBackgroundOf(Workspace& ws, Port& port, BackgroundType type, int region = 0) {
    acceptShirley(ws, port, region);
    if (type == BackgroundType::Shirley) return;
    ws.regions[region].backgroundType = static_cast<short>(type);
    ws.acceptingBackground = kTrue;
    recomputeRegion(ws, port);
    ws.acceptingBackground = kFalse;
}

}  // namespace vortlan::testing
