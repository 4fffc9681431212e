// Random fits on random spectra: no parameter ever becomes a non-number or leaves its limits, and no
// kept step raises the region's statistic.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "fit/evaluation.h"
#include "fit/newton.h"
#include "fit/search.h"
#include "io/option_file.h"
#include "model/propagation.h"
#include "model/region_curves.h"
#include "support/fitted_session.h"

namespace vortlan {
namespace {

class RandomFit {
public:
    explicit RandomFit(unsigned seed) : random_(seed) {
        Workspace& ws = session.workspace;
        ws.options = defaultFitOptions();
        ws.options.glSum = chance(0.5) ? kTrue : kFalse;
        const double centre = real(280, 300);
        testing::makeRegion(ws, 0, 201, static_cast<float>(centre + 10), 0.1f, [&](double e) {
            return testing::step(centre, 100, 400)(e) + testing::gaussianOn(0, centre, real(200, 5000), real(0.8, 2.5))(e) +
                   testing::gaussianOn(0, centre + real(-3, 3), real(50, 800), real(0.8, 2.5))(e);
        });
        ws.regions[0].backgroundType = static_cast<short>(integer(0, 2));
        ws.regions[0].backgroundParam = ws.regions[0].backgroundType == 2 ? 3000.0f : 0.0f;
        testing::acceptBackground(session, 0);
        const int peaks = integer(1, 3);
        for (int p = 0; p < peaks; ++p) {
            Peak& peak = testing::addPeak(ws, 0, p, static_cast<float>(centre + real(-3, 3)), real(100, 8000),
                                          real(0.5, 3), static_cast<short>(integer(0, 100)),
                                          static_cast<short>(integer(1, 4)));
            peak.splitting = real(0.5, 3);
            for (PeakParam param : {PeakParam::Position, PeakParam::Area, PeakParam::Fwhm, PeakParam::Gl}) {
                if (!chance(0.3)) continue;
                // Limits around the start, so that the start lies within them.
                ParamConstraint& c = ws.constraints[p].of(param);
                const double value = parameterOf(peak, param);
                c.limited = kTrue;
                c.low = static_cast<float>(param == PeakParam::Gl ? std::max(0.0, value - 20) : value * real(0.7, 1.0));
                c.high = static_cast<float>(param == PeakParam::Gl ? std::min(100.0, value + 20) : value * real(1.0, 1.3));
                if (param == PeakParam::Position) {
                    c.low = static_cast<float>(value - real(0.1, 1));
                    c.high = static_cast<float>(value + real(0.1, 1));
                }
            }
        }
        if (peaks > 1 && chance(0.5)) {
            ParamConstraint& tie = ws.constraints[1].fwhm;
            tie.linked = kTrue;
            tie.refPeak = 0;
            tie.op = static_cast<short>(ConstraintOp::Multiply);
            tie.operand = 1.0f;
            ws.constraints[0].fwhm.isReference = kTrue;
            ws.constraints[0].fwhm.tiedPeak = 1;
            applyAllRelations(ws);  // as the peak dialog's Accept does once a tie is set
        }
        updateRegionCurves(ws, port);
    }

    int integer(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    float real(double low, double high) { return static_cast<float>(std::uniform_real_distribution<double>(low, high)(random_)); }
    bool chance(double p) { return std::bernoulli_distribution(p)(random_); }

    RecordingPort port;
    Session session{port};

private:
    std::mt19937 random_;
};

void expectSound(const Workspace& ws, unsigned seed) {
    const Region& r = ws.regions[0];
    for (int s = 0; s < r.peakCount; ++s) {
        const int p = r.peakSlots[s];
        const Peak& peak = ws.peaks[p];
        for (PeakParam param : {PeakParam::Position, PeakParam::Area, PeakParam::Fwhm, PeakParam::Gl}) {
            const double value = parameterOf(peak, param);
            ASSERT_TRUE(std::isfinite(value)) << "seed " << seed << " peak " << p;
            const ParamConstraint& c = ws.constraints[p].of(param);
            if (isTrue(c.limited) && !isTrue(c.linked)) {
                EXPECT_GE(value, c.low - 1e-4) << "seed " << seed << " peak " << p << " param " << int(param);
                EXPECT_LE(value, c.high + 1e-4) << "seed " << seed << " peak " << p << " param " << int(param);
            }
        }
        EXPECT_GT(peak.fwhm, 0.0f) << "seed " << seed;
    }
    EXPECT_TRUE(std::isfinite(r.chiSquare)) << "seed " << seed;
}

TEST(OptimiserProperty, RandomStepsKeepParametersSoundAndNeverWorsenTheFit) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        RandomFit fit(seed);
        Workspace& ws = fit.session.workspace;
        for (int move = 0; move < 12; ++move) {
            const int peak = ws.regions[0].peakSlots[fit.integer(0, ws.regions[0].peakCount - 1)];
            const float before = ws.regions[0].chiSquare;
            if (fit.chance(0.5)) {
                const PeakParam param = static_cast<PeakParam>(fit.integer(0, 2));
                const float delta = param == PeakParam::Area ? ws.peaks[peak].area * fit.real(0.001, 0.1)
                                                             : fit.real(0.002, 0.2);
                bool accepted = false;
                newtonStep(ws, fit.port, peak, param, delta, accepted);
                if (accepted) {
                    EXPECT_LE(ws.regions[0].chiSquare, before * (1 + 1e-5) + 1e-6) << "seed " << seed;
                }
            } else {
                searchParameter(ws, fit.port, peak, static_cast<PeakParam>(fit.integer(0, 3)));
                EXPECT_LE(ws.regions[0].chiSquare, before * (1 + 1e-5) + 1e-6) << "seed " << seed;
            }
            expectSound(ws, seed);
        }
    }
}

}  // namespace
}  // namespace vortlan
