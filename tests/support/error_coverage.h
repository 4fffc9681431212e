#pragma once
// How often the standard errors of a Levenberg-Marquardt fit cover the truth: C 1s spectra made from
// known peaks (those of bench/peers/c1s.truth.json) on a known Shirley background, each with Poisson
// noise of its own seed, fitted from the truth with every parameter free.  For an honest error, the
// interval of ±1 standard error holds the truth about 68 % of the time.

#include <array>
#include <cmath>
#include <random>

#include "fit/drivers.h"
#include "fit/uncertainty.h"
#include "io/option_file.h"
#include "model/peak_derivatives.h"
#include "support/synthetic_fits.h"
#include "workspace/recording_port.h"

namespace vortlan::testing {

struct ErrorCoverage {
    std::array<int, 4> covered{};  // position, area, FWHM, %GL
    std::array<int, 4> cases{};

    double share(PeakParam param) const {
        const auto k = static_cast<std::size_t>(param);
        return cases[k] == 0 ? 0.0 : static_cast<double>(covered[k]) / cases[k];
    }
};

// The truth's %GL lies between whole numbers, as a real line shape's does, so that the fit's whole
// %GL is not the truth itself more often than its error says.
inline const std::vector<PeakShapeD> kCoverageTruth{{284.8, 30000, 1.1, 24.6, 0, 1, 0, 1},
                                                    {286.5, 9000, 1.2, 20.3, 0, 1, 0, 1},
                                                    {288.2, 4500, 1.3, 29.7, 0, 1, 0, 1},
                                                    {289.6, 3000, 1.3, 25.4, 0, 1, 0, 1}};

// One noisy spectrum fitted, its errors counted against the truth.
inline void addCoverageOf(unsigned seed, ErrorCoverage& coverage) {
    Workspace ws;
    RecordingPort port;
    ws.options = defaultFitOptions();
    ws.options.methodFlag = kLeastSquaresMethodFlag;
    ws.options.glSum = kTrue;
    // The background is the program's Shirley of the noise-free spectrum, held as accepted.
    std::vector<TruePeak> wholeGl;
    for (const PeakShapeD& t : kCoverageTruth)
        wholeGl.push_back({float(t.position), float(t.area), float(t.fwhm), short(std::lround(t.gl)), 1, 0.0f});
    synthesize(ws, 0, wholeGl, 2000.0, 2600.0, 295.0f);
    acceptShirley(ws, port, 0);
    Region& r = ws.regions[0];
    std::mt19937_64 random(seed);
    for (int i = 1; i <= r.rangeCount; ++i) {
        double mean = r.background[i];
        for (const PeakShapeD& t : kCoverageTruth) mean += PeakGradientEvaluator(LineForm::Sum, t).value(r.rangeEnergy[i]);
        r.rangeCounts[i] = static_cast<float>(std::poisson_distribution<long>(mean)(random));
    }
    for (std::size_t k = 0; k < kCoverageTruth.size(); ++k) {
        const TruePeak& t = wholeGl[k];
        addPeak(ws, 0, static_cast<int>(k), t.position, t.area, t.fwhm, t.gl).fixGl = 0;
    }
    optimiseRegion(ws, port);
    const RegionErrors errors = standardErrors(ws, 0);
    for (std::size_t k = 0; k < kCoverageTruth.size(); ++k) {
        const PeakShapeD& t = kCoverageTruth[k];
        const Peak& p = ws.peaks[k];
        const double truth[] = {t.position, t.area, t.fwhm, t.gl};
        const double fitted[] = {p.position, p.area, p.fwhm, double(p.gl)};
        for (PeakParam param : kPeakParams) {
            const auto at = static_cast<std::size_t>(param);
            const StandardError& e = errors.peaks[k].of(param);
            if (!e.known()) continue;
            ++coverage.cases[at];
            if (std::fabs(fitted[at] - truth[at]) <= e.value) ++coverage.covered[at];
        }
    }
}

inline ErrorCoverage errorCoverage(int spectra, unsigned firstSeed = 1) {
    ErrorCoverage coverage;
    for (int s = 0; s < spectra; ++s) addCoverageOf(firstSeed + static_cast<unsigned>(s), coverage);
    return coverage;
}

}  // namespace vortlan::testing
