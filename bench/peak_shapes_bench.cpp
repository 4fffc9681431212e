// One peak evaluated over a range of points, in each form, beside a bare loop of the same formula
// with everything hoisted out of it: the evaluator should cost at most 1.3 times the bare loop.
// Beside them the double-precision evaluator of fits that step every parameter at once, for the
// value alone and for the value with its four derivatives.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "model/peak_derivatives.h"
#include "model/peak_shapes.h"

namespace vortlan {
namespace {

constexpr double kLn2 = 0.6931471806;

const PeakShape kPeak{285.0f, 1200.0f, 1.3f, 30, 0.0f, 1, 0.0f, 1.0f};
const PeakShapeD kPeakD{285.0, 1200.0, 1.3, 30.0, 0.0, 1, 0.0, 1.0};

std::vector<float> energies(int n) {
    std::vector<float> x(n);
    for (int i = 0; i < n; ++i) x[i] = 295.0f - 20.0f * i / n;
    return x;
}

void evaluator(benchmark::State& state, LineForm form) {
    const std::vector<float> x = energies(static_cast<int>(state.range(0)));
    std::vector<float> y(x.size());
    for (auto _ : state) {
        const PeakEvaluator peak(form, kPeak);
        for (std::size_t i = 0; i < x.size(); ++i) y[i] = peak(x[i]);
        benchmark::DoNotOptimize(y.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void gradientValue(benchmark::State& state, LineForm form) {
    const std::vector<float> x = energies(static_cast<int>(state.range(0)));
    std::vector<double> y(x.size());
    for (auto _ : state) {
        const PeakGradientEvaluator peak(form, kPeakD);
        for (std::size_t i = 0; i < x.size(); ++i) y[i] = peak.value(x[i]);
        benchmark::DoNotOptimize(y.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void gradient(benchmark::State& state, LineForm form) {
    const std::vector<float> x = energies(static_cast<int>(state.range(0)));
    std::vector<PeakGradient> y(x.size());
    for (auto _ : state) {
        const PeakGradientEvaluator peak(form, kPeakD);
        for (std::size_t i = 0; i < x.size(); ++i) y[i] = peak(x[i]);
        benchmark::DoNotOptimize(y.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void peakValuePerPoint(benchmark::State& state, LineForm form) {
    const std::vector<float> x = energies(static_cast<int>(state.range(0)));
    std::vector<float> y(x.size());
    for (auto _ : state) {
        for (std::size_t i = 0; i < x.size(); ++i) y[i] = peakValue(form, x[i], kPeak);
        benchmark::DoNotOptimize(y.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void bareSumLoop(benchmark::State& state) {
    const std::vector<float> x = energies(static_cast<int>(state.range(0)));
    std::vector<float> y(x.size());
    for (auto _ : state) {
        const double m = static_cast<float>(kPeak.gl / 100.0);
        const double height = kPeak.area / (kPeak.fwhm * (1.06446702 + 0.0050632931 * kPeak.gl));
        for (std::size_t i = 0; i < x.size(); ++i) {
            const double u = 2.0 * (x[i] - static_cast<double>(kPeak.position)) / kPeak.fwhm;
            const double u2 = u * u;
            y[i] = static_cast<float>(height * (m / (1.0 + u2) + (1.0 - m) * std::exp(-kLn2 * u2)));
        }
        benchmark::DoNotOptimize(y.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void bareProductLoop(benchmark::State& state) {
    const std::vector<float> x = energies(static_cast<int>(state.range(0)));
    std::vector<float> y(x.size());
    for (auto _ : state) {
        const double m = static_cast<float>(kPeak.gl / 100.0);
        const double scale = (kPeak.fwhm / 2.0) / 0.961357;
        const double height = kPeak.area / (scale * 2.083974f);
        for (std::size_t i = 0; i < x.size(); ++i) {
            const double v = (x[i] - static_cast<double>(kPeak.position)) / scale;
            const double v2 = v * v;
            y[i] = static_cast<float>(height * std::exp(-(1.0 - m) * kLn2 * v2) / (1.0 + m * v2));
        }
        benchmark::DoNotOptimize(y.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(bareSumLoop)->Arg(301)->Arg(5000);
BENCHMARK_CAPTURE(evaluator, sum, LineForm::Sum)->Arg(301)->Arg(5000);
BENCHMARK_CAPTURE(peakValuePerPoint, sum, LineForm::Sum)->Arg(301)->Arg(5000);
BENCHMARK_CAPTURE(gradientValue, sum, LineForm::Sum)->Arg(301)->Arg(5000);
BENCHMARK_CAPTURE(gradient, sum, LineForm::Sum)->Arg(301)->Arg(5000);
BENCHMARK(bareProductLoop)->Arg(301)->Arg(5000);
BENCHMARK_CAPTURE(evaluator, product, LineForm::Product)->Arg(301)->Arg(5000);
BENCHMARK_CAPTURE(peakValuePerPoint, product, LineForm::Product)->Arg(301)->Arg(5000);
BENCHMARK_CAPTURE(gradientValue, product, LineForm::Product)->Arg(301)->Arg(5000);
BENCHMARK_CAPTURE(gradient, product, LineForm::Product)->Arg(301)->Arg(5000);

}  // namespace
}  // namespace vortlan
