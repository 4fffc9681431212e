#include "fit/search.h"

#include <cmath>

#include "base/checked_math.h"
#include "base/number_text.h"
#include "fit/evaluation.h"
#include "fit/trial_state.h"
#include "fit/verdict.h"
#include "model/peak_shapes.h"
#include "model/region_curves.h"
#include "model/region_display.h"

namespace vortlan {

namespace {

constexpr int kMaxGridPoints = 100000;  // a level with a step far below its range is cut here
constexpr float kAreaHeightLimit = 110.0f;
constexpr float kTiedAreaSpacing = 10.0f;

const SearchLevels& levelsOf(const FitOptions& options, PeakParam param) {
    switch (param) {
        case PeakParam::Position:
            return options.searchPosition;
        case PeakParam::Area:
            return options.searchArea;
        default:
            return options.searchFwhm;
    }
}

// One parameter search in progress: the peak, its mode, and the best statistic so far.
struct Search {
    Workspace& ws;
    Port& port;
    int peak;
    PeakParam param;
    EvaluationMode mode;
    float best;

    Peak& trialPeak() { return ws.peaks[peak]; }
    const ParamConstraint& constraint() const { return ws.constraints[peak].of(param); }

    // Keeps the value when it lowers the statistic strictly; ties keep the earlier value.
    bool improves(PeakParam evaluated, EvaluationMode evaluation) {
        const auto statistic = evaluateTrial(ws, port, peak, evaluated, evaluation);
        if (!statistic || !(*statistic < best)) return false;
        best = *statistic;
        return true;
    }
};

double limitedOffset(const ParamConstraint& c, double centre, double offset) {
    if (isTrue(c.limited) && centre + offset < c.low) offset = static_cast<float>(c.low - centre);
    if (isTrue(c.limited) && centre + offset > c.high) offset = static_cast<float>(c.high - centre);
    return offset;
}

void positionOrWidthLevel(Search& search, const SearchLevel& level) {
    Peak& scratch = search.ws.scratchPeak;
    const float centre = realParameter(scratch, search.param);
    float bestValue = centre;
    for (float off : gridOffsets(level.range, level.step)) {
        if (search.param == PeakParam::Fwhm && static_cast<double>(centre) + off <= 0.0) continue;
        const double offset = limitedOffset(search.constraint(), centre, off);
        setParameter(search.trialPeak(), search.param, centre + offset);
        if (search.improves(search.param, search.mode))
            bestValue = realParameter(search.trialPeak(), search.param);
    }
    realParameter(scratch, search.param) = bestValue;
}

float areaOfHeight(const Workspace& ws, const Peak& shape, double height) {
    return areaFromHeight(lineFormOf(ws.options), static_cast<float>(height), shape.fwhm, shape.gl,
                          shape.type, shape.ts, shape.tl, currentRegionOf(ws).heightUnit);
}

// The area is scanned over the peak's height in height units, as the user sees it.
void areaLevel(Search& search, const SearchLevel& level) {
    Workspace& ws = search.ws;
    Peak& scratch = ws.scratchPeak;
    const float startHeight = scratch.height;
    float bestArea = scratch.area;
    const float spacing = search.mode == EvaluationMode::SinglePeak ? 1.0f : kTiedAreaSpacing;
    const ParamConstraint& c = search.constraint();
    for (float off : gridOffsets(level.range, level.step)) {
        const float height = static_cast<float>(startHeight + static_cast<double>(spacing) * off);
        if (!(height >= 0.0f && height < kAreaHeightLimit)) continue;
        float area = areaOfHeight(ws, scratch, height);
        if (isTrue(c.limited) && c.low > area) area = c.low;
        if (isTrue(c.limited) && !(c.high >= area)) area = c.high;
        search.trialPeak().area = area;
        if (search.improves(PeakParam::Area, search.mode)) bestArea = area;
    }
    scratch.area = bestArea;
    scratch.height = heightFromArea(lineFormOf(ws.options), bestArea, scratch.fwhm, scratch.gl, scratch.type,
                                    scratch.ts, scratch.tl, currentRegionOf(ws).heightUnit);
}

// %GL searched across regions is judged on the current region only; the total is shown at the end.
EvaluationMode glEvaluation(EvaluationMode mode) {
    return mode == EvaluationMode::TiedAcrossRegions ? EvaluationMode::TiedWithinRegion : mode;
}

void glStages(Search& search) {
    Peak& scratch = search.ws.scratchPeak;
    const ParamConstraint& c = search.constraint();
    const EvaluationMode evaluation = glEvaluation(search.mode);
    short bestGl = scratch.gl;
    for (int g = 0; g <= 100; g += 10) {
        if (isTrue(c.limited) && (g < c.low || g > c.high)) continue;
        search.trialPeak().gl = static_cast<short>(g);
        if (search.improves(PeakParam::Gl, evaluation)) bestGl = static_cast<short>(g);
    }
    scratch.gl = bestGl;
    const int centre = scratch.gl;
    for (int d = -9; d <= 9; ++d) {
        if (d == 0 || centre + d < 0 || centre + d > 100) continue;
        setParameter(search.trialPeak(), PeakParam::Gl, centre + limitedOffset(c, centre, d));
        if (search.improves(PeakParam::Gl, evaluation)) bestGl = search.trialPeak().gl;
    }
    scratch.gl = bestGl;
}

void runLevels(Search& search) {
    if (search.param == PeakParam::Gl) {
        glStages(search);
        return;
    }
    for (const SearchLevel& level : levelsOf(search.ws.options, search.param)) {
        if (!isTrue(level.use)) continue;
        if (search.param == PeakParam::Area) {
            areaLevel(search, level);
        } else {
            positionOrWidthLevel(search, level);
        }
    }
}

void takeResult(Workspace& ws, int peak, PeakParam param) {
    Peak& p = ws.peaks[peak];
    const Peak& scratch = ws.scratchPeak;
    if (param == PeakParam::Gl) {
        p.gl = scratch.gl;
    } else {
        realParameter(p, param) = realParameter(scratch, param);
    }
    if (param == PeakParam::Area) p.height = scratch.height;
}

// The single-peak search judged the peak against the others' residual: its best statistic becomes the
// region's, and the curves are rebuilt for the kept value.
void finishSinglePeakSearch(Search& search) {
    Workspace& ws = search.ws;
    Region& r = currentRegionOf(ws);
    updateCurvesQuietly(ws, ws.currentRegion);
    showCurrentRegion(ws, search.port);
    search.port.setChiText(ws.currentRegion, shortNumberText(search.best));
    r.chiSquare = search.best;
    sumTotalChiSquare(ws);
    search.port.setSumChiText(shortNumberText(ws.totalChiSquare));
}

float statisticAtStart(Workspace& ws, EvaluationMode mode) {
    return mode == EvaluationMode::TiedAcrossRegions ? ws.totalChiSquare : currentRegionOf(ws).chiSquare;
}

}  // namespace

std::vector<float> gridOffsets(float range, float step) {
    std::vector<float> offsets;
    if (!(step > 0.0f) || !(range >= 0.0f)) return offsets;
    for (float off = -range; off <= range && static_cast<int>(offsets.size()) < kMaxGridPoints;) {
        if (off != 0.0f) offsets.push_back(off);
        const float next = off + step;
        if (next == off) break;
        off = next;
    }
    return offsets;
}

void searchParameter(Workspace& ws, Port& port, int peak, PeakParam param) {
    if (isTrue(ws.constraints.at(peak).of(param).linked)) return;
    // Heights are measured in units of the region's intensity spread; without a spread there is no
    // height to scan.
    if (param == PeakParam::Area && currentRegionOf(ws).heightUnit == 0.0f) return;
    ws.scratchPeak = ws.peaks[peak];
    const EvaluationMode mode = evaluationModeOf(ws, peak, param);
    Search search{ws, port, peak, param, mode, statisticAtStart(ws, glEvaluation(mode))};
    if (mode == EvaluationMode::SinglePeak) {
        try {
            prepareSinglePeakFit(ws, peak);
        } catch (const ComputationFault&) {
            port.yield();
            return;
        }
    }
    runLevels(search);
    takeResult(ws, peak, param);
    if (mode == EvaluationMode::SinglePeak) {
        finishSinglePeakSearch(search);
    } else {
        settleParameter(ws, port, peak, param, mode);
        showCurrentRegion(ws, port);
    }
    port.yield();
}

FitVerdict searchWholePeak(Workspace& ws, Port& port, int peak) {
    const Peak& p = ws.peaks.at(peak);
    float previous = currentRegionOf(ws).chiSquare;
    constexpr PeakParam kOrder[] = {PeakParam::Position, PeakParam::Fwhm, PeakParam::Area, PeakParam::Gl};
    RepeatedTrialCheck repeated(ws);
    FitVerdict verdict = FitVerdict::Unknown;
    for (int trial = 0; trial < ws.options.searchTrials; ++trial) {
        port.showFitTrial(trial + 1, ws.options.searchTrials);
        for (PeakParam param : kOrder) {
            if (isFixed(p, param)) continue;
            searchParameter(ws, port, peak, param);
            if (isTrue(ws.stopRequested)) return FitVerdict::Stopped;
        }
        const float chi = currentRegionOf(ws).chiSquare;
        verdict = judgeLastTrial(previous, chi, ws.options.tolerance);
        const float ratio = static_cast<float>((static_cast<double>(previous) - chi) / previous);
        // A ratio that is not a number (a statistic of 0 before) ends the search like no improvement.
        if (!(ratio >= ws.options.tolerance)) break;
        if (repeated.trialChangedNothing(ws)) break;
        previous = chi;
    }
    return verdict;
}

}  // namespace vortlan
