#pragma once
// A spectrum for Monte Carlo errors in any unit: two overlapping peaks on a flat 300 counts with Poisson
// noise of a fixed seed, stored as `perCount` units of intensity a count under the unit and the
// acquisition given, with a linear background from single end points, fitted by Levenberg-Marquardt.

#include <random>
#include <string>

#include "fit/drivers.h"
#include "io/option_file.h"
#include "model/peak_derivatives.h"
#include "support/synthetic_fits.h"
#include "workspace/recording_port.h"

namespace vortlan::testing {

inline Workspace fittedTwoPeaks(double perCount, const std::string& unit, const Acquisition& acquisition) {
    Workspace ws;
    RecordingPort port;
    ws.options = defaultFitOptions();
    ws.options.methodFlag = kLeastSquaresMethodFlag;
    ws.options.glSum = kTrue;
    Region& r = makeRegion(ws, 0, 201, 295.0f, 0.05f, [](double) { return 0.0; });
    const PeakGradientEvaluator a(LineForm::Sum, PeakShapeD{288.0, 2000, 1.2, 30, 0, 1, 0, 1});
    const PeakGradientEvaluator b(LineForm::Sum, PeakShapeD{289.2, 900, 1.2, 30, 0, 1, 0, 1});
    std::mt19937 random(7);
    for (int i = 1; i <= r.pointCount; ++i) {
        const double mean = 300.0 + a.value(r.energy[i]) + b.value(r.energy[i]);
        r.counts[i] = static_cast<float>(std::poisson_distribution<int>(mean)(random) * perCount);
    }
    r.intensityUnit = unit;
    r.acquisition = acquisition;
    acceptBackgroundOf(ws, port, BackgroundType::Linear);
    addPeak(ws, 0, 0, 288.1f, static_cast<float>(1800 * perCount), 1.3f, 30).fixGl = 1;
    addPeak(ws, 0, 1, 289.1f, static_cast<float>(1000 * perCount), 1.1f, 30).fixGl = 1;
    acceptBackgroundOf(ws, port, BackgroundType::Linear);
    optimiseRegion(ws, port);
    return ws;
}

}  // namespace vortlan::testing
