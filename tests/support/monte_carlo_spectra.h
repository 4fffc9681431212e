#pragma once
// Spectra for Monte Carlo errors, fitted by Levenberg-Marquardt.  In any unit: two overlapping peaks on
// a flat 300 counts with Poisson noise of a fixed seed, stored as `perCount` units of intensity a count
// under the unit and the acquisition given, with a linear background from single end points.  On any
// background: the four C 1s peaks of the coverage tests on data that are their own background of a
// type, with Poisson noise and no unit, so that the replicas take their noise from the residuals.

#include <random>
#include <string>

#include "fit/drivers.h"
#include "io/option_file.h"
#include "model/peak_derivatives.h"
#include "support/error_coverage.h"
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

struct OwnBackground {
    BackgroundType type;
    float parameter;  // Shirley's linear term or Tougaard's B1
    short averaging;  // points in each end average
};

// `scale` times the counts of the coverage spectra.
inline Workspace fittedOnOwnBackground(const OwnBackground& background, double scale) {
    Workspace ws;
    RecordingPort port;
    ws.options = defaultFitOptions();
    ws.options.methodFlag = kLeastSquaresMethodFlag;
    ws.options.glSum = kTrue;
    synthesizeOnBackground(
        ws, 0, background.type, background.parameter, [&](double e) { return scale * truePeaksAt(e); },
        2000.0 * scale, 2600.0 * scale, 295.0f, background.averaging);
    Region& r = ws.regions[0];
    std::mt19937_64 random(11);
    for (int i = 1; i <= r.pointCount; ++i)
        r.counts[i] = static_cast<float>(std::poisson_distribution<long>(r.counts[i])(random));
    acceptBackgroundOf(ws, port, background.type);
    for (std::size_t k = 0; k < kCoverageTruth.size(); ++k) {
        const PeakShapeD& t = kCoverageTruth[k];
        addPeak(ws, 0, static_cast<int>(k), static_cast<float>(t.position),
                static_cast<float>(scale * t.area), static_cast<float>(t.fwhm), 0)
            .fixGl = 1;
    }
    optimiseRegion(ws, port);
    return ws;
}

// One of each kind, the averaging varied.
inline const OwnBackground kOwnBackgrounds[] = {{BackgroundType::Shirley, 0.0f, 1},
                                                {BackgroundType::Linear, 0.0f, 5},
                                                {BackgroundType::Tougaard, 1000.0f, 3}};

}  // namespace vortlan::testing
