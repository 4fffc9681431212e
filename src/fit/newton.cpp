#include "fit/newton.h"

#include <array>
#include <cmath>

#include "base/checked_math.h"
#include "fit/evaluation.h"
#include "fit/search.h"
#include "fit/trial_state.h"
#include "fit/verdict.h"
#include "model/region_curves.h"
#include "model/region_display.h"

namespace vortlan {

namespace {

constexpr float kAreaFloor = 0.1f;
constexpr int kSide = 6;  // evaluations on each side of the present value
constexpr float kFineFwhmDeltas[] = {0.05f, 0.02f};

const NewtonLevels& levelsOf(const FitOptions& options, PeakParam param) {
    switch (param) {
        case PeakParam::Position:
            return options.newtonPosition;
        case PeakParam::Area:
            return options.newtonArea;
        default:
            return options.newtonFwhm;
    }
}

// The statistic at s + k delta for k = -6..6 (index k + 6); nothing when a point cannot be evaluated.
struct Samples {
    std::array<double, 2 * kSide + 1> c{};
    double at(int k) const { return c[static_cast<std::size_t>(k + kSide)]; }
};

// A width must stay positive at every point the step looks at, and the spacing must not vanish.
bool canSample(PeakParam param, double s, double delta) {
    if (delta == 0.0 || !std::isfinite(delta)) return false;
    return param != PeakParam::Fwhm || s - kSide * std::fabs(delta) > 0.0;
}

bool sample(Workspace& ws, Port& port, int peak, PeakParam param, EvaluationMode mode, double s, float delta,
            Samples& samples) {
    Peak& p = ws.peaks[peak];
    constexpr int kOrder[] = {6, 5, 4, 3, 2, 1, -1, -2, -3, -4, -5, -6};
    for (int k : kOrder) {
        setParameter(p, param, static_cast<float>(s + k * static_cast<double>(delta)));
        const auto statistic = evaluateTrial(ws, port, peak, param, mode);
        if (!statistic) return false;
        samples.c[static_cast<std::size_t>(k + kSide)] = *statistic;
    }
    return true;
}

// -f'/f'' from the thirteen samples, or nothing when the curvature vanishes or the step is not finite.
std::optional<double> newtonStepSize(const Samples& c, double delta) {
    const double first =
        (45.0 * (c.at(1) - c.at(-1)) - 9.0 * (c.at(2) - c.at(-2)) + (c.at(3) - c.at(-3))) / (60.0 * delta);
    const float second =
        static_cast<float>(((c.at(6) + c.at(-6)) - 18.0 * (c.at(5) + c.at(-5)) +
                            171.0 * (c.at(4) + c.at(-4)) - 810.0 * (c.at(3) + c.at(-3)) +
                            1935.0 * (c.at(2) + c.at(-2)) + 828.0 * (c.at(1) + c.at(-1)) - 4214.0 * c.at(0)) /
                           (3600.0 * delta * delta));
    if (second == 0.0f) return std::nullopt;
    const double step = -first / second;
    if (!std::isfinite(step)) return std::nullopt;
    return step;
}

// The area's floor comes before the limits, so that limits set below the floor still hold.
double limitedStep(const ParamConstraint& c, PeakParam param, double s, double step) {
    if (param == PeakParam::Area && s + step < kAreaFloor) step = kAreaFloor - s;
    if (isTrue(c.limited) && s + step < c.low) step = c.low - s;
    if (isTrue(c.limited) && s + step > c.high) step = c.high - s;
    return step;
}

std::optional<float> statisticBefore(Workspace& ws, int peak, EvaluationMode mode) {
    switch (mode) {
        case EvaluationMode::SinglePeak:
            try {
                prepareSinglePeakFit(ws, peak);
                return singlePeakStatistic(ws, peak);
            } catch (const ComputationFault&) {
                return std::nullopt;
            }
        case EvaluationMode::TiedWithinRegion:
            return currentRegionOf(ws).chiSquare;
        case EvaluationMode::TiedAcrossRegions:
            return ws.totalChiSquare;
    }
    return std::nullopt;
}

// The statistic at the new value; the across-regions mode shows every region's while computing it.
std::optional<float> statisticAfter(Workspace& ws, Port& port, int peak, PeakParam param,
                                    EvaluationMode mode) {
    if (mode != EvaluationMode::TiedAcrossRegions) return evaluateTrial(ws, port, peak, param, mode);
    settleParameter(ws, port, peak, param, mode);
    return ws.totalChiSquare;
}

}  // namespace

void newtonStep(Workspace& ws, Port& port, int peak, PeakParam param, float delta, bool& stepAccepted) {
    const ParamConstraint& c = ws.constraints.at(peak).of(param);
    if (isTrue(c.linked)) return;
    const EvaluationMode mode = evaluationModeOf(ws, peak, param);
    Peak& p = ws.peaks[peak];
    ws.scratchPeak = p;
    const float s = realParameter(p, param);

    stepAccepted = false;
    const auto before = statisticBefore(ws, peak, mode);
    Samples samples;
    const bool sampled =
        before && canSample(param, s, delta) && sample(ws, port, peak, param, mode, s, delta, samples);
    const auto tryValue = [&](double value) {
        // A width cannot reach zero; such a value is refused like one that makes the fit worse.
        if (param == PeakParam::Fwhm && value <= 0.0) return false;
        setParameter(p, param, value);
        const auto after = statisticAfter(ws, port, peak, param, mode);
        return after && *after <= *before;
    };
    if (sampled) {
        samples.c[kSide] = *before;
        // A step that makes the fit worse is refused, even where a sampled point was better: the
        // parameter stays where it was.
        if (const auto step = newtonStepSize(samples, delta))
            stepAccepted = tryValue(s + limitedStep(c, param, s, *step));
    }
    if (!stepAccepted) {
        setParameter(p, param, s);
        if (mode != EvaluationMode::SinglePeak) settleParameter(ws, port, peak, param, mode);
    }
    if (mode == EvaluationMode::SinglePeak) updateRegionCurves(ws, port);
}

float newtonDelta(const Workspace& ws, int peak, PeakParam param, int level) {
    const float delta = levelsOf(ws.options, param)[static_cast<std::size_t>(level)].delta;
    return param == PeakParam::Area ? static_cast<float>(static_cast<double>(delta) * ws.peaks[peak].area)
                                    : delta;
}

namespace {

enum class OnStop { End, GoOn };

// The region's statistic before and after the last step made.
struct LastStep {
    bool made = false;
    float before = 0;
    float after = 0;
};

// Up to newtonTrials kept steps of one spacing, ending at the first refused one, with the plot shown
// after each kept step.
void repeatSteps(Workspace& ws, Port& port, int peak, PeakParam param, float delta, OnStop onStop,
                 LastStep& last) {
    bool accepted = false;
    for (int trial = 0; trial < ws.options.newtonTrials; ++trial) {
        last.before = currentRegionOf(ws).chiSquare;
        newtonStep(ws, port, peak, param, delta, accepted);
        last.after = currentRegionOf(ws).chiSquare;
        last.made = true;
        if (!accepted) break;
        showCurrentRegion(ws, port);
        port.yield();
        if (onStop == OnStop::End && isTrue(ws.stopRequested)) break;
    }
}

}  // namespace

FitVerdict newtonOptimiseParameter(Workspace& ws, Port& port, int peak, PeakParam param) {
    Peak& p = ws.peaks.at(peak);
    if (isFixed(p, param)) return FitVerdict::Unknown;
    // A zero area would give a zero spacing; the fit starts from one count instead.
    if (param == PeakParam::Area && p.area == 0.0f) p.area = 1.0f;
    const NewtonLevels& levels = levelsOf(ws.options, param);
    LastStep last;
    for (int level = 0; level < kLevelCount && !isTrue(ws.stopRequested); ++level) {
        if (isTrue(levels[static_cast<std::size_t>(level)].use)) {
            repeatSteps(ws, port, peak, param, newtonDelta(ws, peak, param, level), OnStop::End, last);
        }
    }
    const bool stopped = isTrue(ws.stopRequested);
    if (param == PeakParam::Fwhm) {
        // The fine passes run even after a stop: they are short and leave the width settled.
        for (float delta : kFineFwhmDeltas) repeatSteps(ws, port, peak, param, delta, OnStop::GoOn, last);
    }
    if (stopped) return FitVerdict::Stopped;
    return last.made ? judgeLastTrial(last.before, last.after, ws.options.tolerance) : FitVerdict::Unknown;
}

FitVerdict newtonOptimisePeak(Workspace& ws, Port& port, int peak) {
    Peak& p = ws.peaks.at(peak);
    const FitOptions& o = ws.options;
    const auto stopped = [&] {
        port.yield();
        return isTrue(ws.stopRequested);
    };
    RepeatedTrialCheck repeated(ws);
    FitVerdict verdict = FitVerdict::Unknown;
    for (int trial = 0; trial < o.newtonTrials; ++trial) {
        port.showFitTrial(trial + 1, o.newtonTrials);
        const float before = currentRegionOf(ws).chiSquare;
        for (int level = 0; level < kLevelCount; ++level) {
            const auto L = static_cast<std::size_t>(level);
            bool accepted = false;
            if (isTrue(o.newtonPosition[L].use) && !isFixed(p, PeakParam::Position)) {
                newtonStep(ws, port, peak, PeakParam::Position, o.newtonPosition[L].delta, accepted);
            }
            if (stopped()) break;
            if (isTrue(o.newtonArea[L].use) && !isFixed(p, PeakParam::Area)) {
                if (p.area == 0.0f) p.area = 1.0f;
                newtonStep(ws, port, peak, PeakParam::Area, newtonDelta(ws, peak, PeakParam::Area, level),
                           accepted);
            }
            if (stopped()) break;
            if (isTrue(o.newtonFwhm[L].use) && !isFixed(p, PeakParam::Fwhm)) {
                newtonStep(ws, port, peak, PeakParam::Fwhm, o.newtonFwhm[L].delta, accepted);
            }
            if (stopped()) break;
            if (!isFixed(p, PeakParam::Gl)) searchParameter(ws, port, peak, PeakParam::Gl);
            if (stopped()) break;
        }
        showCurrentRegion(ws, port);
        if (isTrue(ws.stopRequested)) return FitVerdict::Stopped;
        verdict = judgeLastTrial(before, currentRegionOf(ws).chiSquare, o.tolerance);
        if (repeated.trialChangedNothing(ws)) break;
    }
    return verdict;
}

}  // namespace vortlan
