// The region computations the optimisers repeat: the single-peak statistic of one trial, the curve
// update after every accepted step, and the backgrounds.  Goal: Tougaard at 5000 points under 10 ms.

#include <benchmark/benchmark.h>

#include "model/backgrounds.h"
#include "model/region_curves.h"
#include "support/synthetic_region.h"
#include "workspace/recording_port.h"

namespace vortlan {
namespace {

// A region of n points over 20 eV with `peaks` peaks spread over it and its background accepted.
struct FittedRegion {
    FittedRegion(int n, int peaks, short backgroundType) {
        ws.options.glSum = kTrue;
        const float step = 20.0f / (n - 1);
        Region& r = testing::makeRegion(ws, 0, n, 300.0f, step, [](double e) {
            return testing::gaussianOn(0.0, 290.0, 1000.0, 1.5)(e) + testing::step(290.0, 200.0, 400.0)(e);
        });
        r.backgroundType = backgroundType;
        r.backgroundParam = backgroundType == 2 ? 3000.0f : 0.0f;
        ws.acceptingBackground = kTrue;
        recomputeRegion(ws, port);
        ws.acceptingBackground = kFalse;
        r.backgroundSet = kTrue;
        for (int p = 0; p < peaks; ++p) testing::addPeak(ws, 0, p, 282.0f + 16.0f * p / peaks, 500.0f, 1.2f);
        updateRegionCurves(ws, port);
    }
    Region& region() { return ws.regions[0]; }
    Workspace ws;
    RecordingPort port;
};

void singlePeakStatistic301(benchmark::State& state) {
    FittedRegion fit(301, 3, 0);
    prepareSinglePeakFit(fit.ws, 1);
    for (auto _ : state) benchmark::DoNotOptimize(singlePeakStatistic(fit.ws, 1));
}

void updateRegionCurves5000x10(benchmark::State& state) {
    FittedRegion fit(5000, 10, 0);
    for (auto _ : state) updateRegionCurves(fit.ws, fit.port);
}

void shirley5000(benchmark::State& state) {
    FittedRegion fit(5000, 0, 0);
    for (auto _ : state) computeShirleyBackground(fit.region());
}

void tougaard5000(benchmark::State& state) {
    FittedRegion fit(5000, 0, 2);
    for (auto _ : state) computeTougaardBackground(fit.region());
}

BENCHMARK(singlePeakStatistic301);
BENCHMARK(updateRegionCurves5000x10)->Unit(benchmark::kMicrosecond);
BENCHMARK(shirley5000)->Unit(benchmark::kMicrosecond);
BENCHMARK(tougaard5000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vortlan
