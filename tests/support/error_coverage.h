#pragma once
// How often the standard errors of a Levenberg-Marquardt fit cover the truth: C 1s spectra made from
// known peaks (the positions, areas and widths of bench/peers/c1s.truth.json) on a known background,
// each with Poisson noise of its own seed on every recorded point, the background then drawn from the
// noisy data through 9-point end averages as a user draws it, and the peaks fitted from the truth.
// For honest errors the interval of ±1 standard error holds the truth about 68 % of the time, and
// z = (fitted - truth) / error has a root mean square of about 1.
//
// Two backgrounds: Shirley's, from 2000 to 2600 counts, the data made so that the program's Shirley of
// them is the background under the peaks; and a straight line from 20000 counts at 278 eV to 25700 at
// 297 eV, high enough for its uncertainty to count for much in the peaks' errors.  A
// background drawn through the ends of the data meets the data there, so the peaks must have died out
// at the ends for any background to be the truth under them: they are Gaussian (%GL held at 0).

#include <array>
#include <cmath>
#include <random>

#include "fit/drivers.h"
#include "fit/uncertainty.h"
#include "io/option_file.h"
#include "model/peak_derivatives.h"
#include "model/region_curves.h"
#include "support/synthetic_fits.h"
#include "workspace/recording_port.h"

namespace vortlan::testing {

struct ErrorCoverage {
    std::array<int, 4> covered{};  // position, area, FWHM, %GL
    std::array<int, 4> cases{};
    std::array<double, 4> squaredZ{};

    double share(PeakParam param) const {
        const auto k = static_cast<std::size_t>(param);
        return cases[k] == 0 ? 0.0 : static_cast<double>(covered[k]) / cases[k];
    }
    double rmsZ(PeakParam param) const {
        const auto k = static_cast<std::size_t>(param);
        return cases[k] == 0 ? 0.0 : std::sqrt(squaredZ[k] / cases[k]);
    }
};

enum class CoverageBackground { Shirley, Linear };

inline const std::vector<PeakShapeD> kCoverageTruth{{284.8, 30000, 1.1, 0, 0, 1, 0, 1},
                                                    {286.5, 9000, 1.2, 0, 0, 1, 0, 1},
                                                    {288.2, 4500, 1.3, 0, 0, 1, 0, 1},
                                                    {289.6, 3000, 1.3, 0, 0, 1, 0, 1}};

inline double truePeaksAt(double energy) {
    double sum = 0.0;
    for (const PeakShapeD& t : kCoverageTruth) sum += PeakGradientEvaluator(LineForm::Sum, t).value(energy);
    return sum;
}

// The noise-free spectrum at every recorded point.  Under the Shirley background the data are made
// so that the program's Shirley of them, through 9-point averages, is the background under the peaks
// (the fit range is the whole region).  Under the line the fit range stops half an eV inside the
// data, so that the averages' windows do not run past it and average the line to its own value.
inline std::vector<double> coverageMean(Workspace& ws, CoverageBackground background) {
    if (background == CoverageBackground::Shirley) {
        synthesizeOnShirley(ws, 0, truePeaksAt, 2000.0, 2600.0, 295.0f, 9);
    } else {
        Region& r = makeRegion(ws, 0, 191, 297.0f, 0.1f,
                               [](double e) { return 20000.0 + 300.0 * (e - 278.0) + truePeaksAt(e); });
        r.rangeHigh = 296.5f;
        r.rangeLow = 278.5f;
        r.averagePoints = 9;
    }
    const Region& r = ws.regions[0];
    return std::vector<double>(r.counts.data(), r.counts.data() + r.pointCount + 1);
}

// One noisy spectrum fitted, its errors counted against the truth.
inline void addCoverageOf(unsigned seed, ErrorCoverage& coverage, CoverageBackground background) {
    Workspace ws;
    RecordingPort port;
    ws.options = defaultFitOptions();
    ws.options.methodFlag = kLeastSquaresMethodFlag;
    ws.options.glSum = kTrue;
    const std::vector<double> mean = coverageMean(ws, background);
    Region& r = ws.regions[0];
    std::mt19937_64 random(seed);
    for (int i = 1; i <= r.pointCount; ++i)
        r.counts[i] =
            static_cast<float>(std::poisson_distribution<long>(mean[static_cast<std::size_t>(i)])(random));
    acceptBackgroundOf(
        ws, port,
        background == CoverageBackground::Shirley ? BackgroundType::Shirley : BackgroundType::Linear);
    for (std::size_t k = 0; k < kCoverageTruth.size(); ++k) {
        const PeakShapeD& t = kCoverageTruth[k];
        addPeak(ws, 0, static_cast<int>(k), float(t.position), float(t.area), float(t.fwhm), 0).fixGl = 1;
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
            const double z = (fitted[at] - truth[at]) / e.value;
            ++coverage.cases[at];
            coverage.squaredZ[at] += z * z;
            if (std::fabs(z) <= 1.0) ++coverage.covered[at];
        }
    }
}

inline ErrorCoverage errorCoverage(int spectra, unsigned firstSeed = 1,
                                   CoverageBackground background = CoverageBackground::Shirley) {
    ErrorCoverage coverage;
    for (int s = 0; s < spectra; ++s)
        addCoverageOf(firstSeed + static_cast<unsigned>(s), coverage, background);
    return coverage;
}

}  // namespace vortlan::testing
