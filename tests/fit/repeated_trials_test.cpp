// A fitting loop ends at a trial that changed nothing.  The runs here compare, trial by trial, loops
// that end so with loops that run every trial, on the benchmark spectra.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "fit/drivers.h"
#include "fit/newton.h"
#include "fit/search.h"
#include "fit/trial_state.h"
#include "io/option_file.h"
#include "model/propagation.h"
#include "support/bench_spectra.h"
#include "support/synthetic_fits.h"
#include "workspace/recording_port.h"

namespace vortlan {
namespace {

using Command = std::function<void(Workspace&, Port&)>;

// Every defined peak's parameters and height, every region's statistic and the total.
std::vector<float> fitValues(const Workspace& ws) {
    std::vector<float> values;
    for (const Peak& p : ws.peaks) {
        if (isTrue(p.defined))
            values.insert(values.end(), {p.position, p.area, p.height, p.fwhm, float(p.gl)});
    }
    for (const Region& r : ws.regions) values.push_back(r.chiSquare);
    values.push_back(ws.totalChiSquare);
    return values;
}

// Everything a fit leaves behind: the values above, the peaks' curves and the regions' envelopes and
// residuals.
std::vector<float> fitResult(const Workspace& ws) {
    std::vector<float> result = fitValues(ws);
    for (const Peak& p : ws.peaks)
        result.insert(result.end(), p.curve.storage().begin(), p.curve.storage().end());
    for (const Region& r : ws.regions) {
        result.insert(result.end(), r.envelope.storage().begin(), r.envelope.storage().end());
        result.insert(result.end(), r.residual.storage().begin(), r.residual.storage().end());
    }
    return result;
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
}

struct FitRun {
    std::vector<std::vector<float>> trialStarts;  // the values each trial began from
    std::vector<float> result;
    std::vector<std::pair<int, FitVerdict>> verdicts;
    std::uint64_t evaluations = 0;
};

FitRun fit(const Workspace& start, bool endRepeatedTrials, const Command& command) {
    Workspace ws = start;
    ws.endRepeatedTrials = endRepeatedTrials;
    RecordingPort port;
    FitRun run;
    port.onFitTrial = [&] { run.trialStarts.push_back(fitValues(ws)); };
    command(ws, port);
    run.result = fitResult(ws);
    run.verdicts = port.fitVerdicts;
    run.evaluations = ws.statisticEvaluations - start.statisticEvaluations;
    return run;
}

// The loop that ended early went through exactly the trials of the one that did not, and every trial
// the latter ran beyond began where the last one had: it changed nothing either.
void expectSameFit(const Workspace& start, const Command& command) {
    const FitRun shortened = fit(start, true, command);
    const FitRun full = fit(start, false, command);
    ASSERT_FALSE(shortened.trialStarts.empty());
    ASSERT_LT(shortened.trialStarts.size(), full.trialStarts.size()) << "no trial repeated itself";
    for (std::size_t t = 0; t < full.trialStarts.size(); ++t) {
        const std::size_t same = std::min(t, shortened.trialStarts.size() - 1);
        EXPECT_TRUE(sameBits(full.trialStarts[t], shortened.trialStarts[same])) << "trial " << t + 1;
    }
    EXPECT_TRUE(sameBits(full.result, shortened.result));
    EXPECT_EQ(full.verdicts, shortened.verdicts);
    EXPECT_LT(shortened.evaluations, full.evaluations);
}

const Command optimiseRegionCommand = [](Workspace& ws, Port& port) { optimiseRegion(ws, port); };
const Command optimiseAllCommand = [](Workspace& ws, Port& port) { optimiseAllRegions(ws, port); };

// "Optimise Peak" of the peak dialog, inside its fitting run.
Command optimisePeakCommand(int peak) {
    return [peak](Workspace& ws, Port& port) {
        beginFitting(ws, port);
        optimisePeak(ws, port, peak);
        endFitting(ws, port);
    };
}

// A tie as the constraint dialog leaves it: the relation applied at once.
void tie(Workspace& ws, PeakParam param, int tied, int reference, ConstraintOp op = ConstraintOp::Multiply,
         float operand = 1.0f) {
    testing::tie(ws, param, tied, reference, op, operand);
    applyAllRelations(ws);
}

// The benchmark's C 1s spectrum with the shipped options.  With all four parameters free Newton's
// method is still lowering the statistic after its 100 trials and the search after its 30; with %GL
// fixed, as "Add Peak" leaves it, Newton's method settles after about 55, and the search settles after
// about 32.
class RepeatedTrialsTest : public ::testing::Test {
  protected:
    RepeatedTrialsTest() { ws.options = defaultFitOptions(); }
    void load(int region, int firstPeak) {
        ASSERT_TRUE(testing::setUpBenchSpectrum(ws, port,
                                                testing::benchSpectrumPath(VORTLAN_SOURCE_DIR, "c1s"), region,
                                                testing::kC1sStart, firstPeak));
    }
    // Newton's method with %GL fixed, or the search with 60 trials.
    Workspace withMethod(float method) const {
        Workspace w = ws;
        w.options.methodFlag = method;
        if (method == 0.0f) {
            w.options.searchTrials = 60;
        } else {
            for (Peak& p : w.peaks) p.fixGl = 1;
        }
        return w;
    }
    Workspace ws;
    RecordingPort port;
};

TEST_F(RepeatedTrialsTest, RegionFitsEndEarlyWithTheSameResult) {
    load(0, 0);
    for (float method : {1.0f, 0.0f}) {
        SCOPED_TRACE(method);
        expectSameFit(withMethod(method), optimiseRegionCommand);
    }
}

// A second "Optimise Region" after a search with the shipped options: its first trial changes no
// parameter, only the height the area search starts from, so the loop ends after its second.
TEST_F(RepeatedTrialsTest, SearchAgainEndsAfterTwoTrials) {
    load(0, 0);
    ws.options.methodFlag = 0.0f;
    optimiseRegion(ws, port);
    expectSameFit(ws, optimiseRegionCommand);
    EXPECT_EQ(fit(ws, true, optimiseRegionCommand).trialStarts.size(), 2u);
}

// A tied reference is judged on the region's statistic as the last computation left it, and the search
// always starts from the statistic shown: state carried from trial to trial.  Here the search ends on
// a rising statistic after 12 trials; optimised again, it settles.
TEST_F(RepeatedTrialsTest, TiedPeaksEndEarlyWithTheSameResult) {
    load(0, 0);
    tie(ws, PeakParam::Position, 1, 0, ConstraintOp::Add, 1.5f);
    updateRegionCurves(ws, port);
    for (float method : {1.0f, 0.0f}) {
        SCOPED_TRACE(method);
        Workspace start = withMethod(method);
        if (method == 0.0f) optimiseRegion(start, port);
        expectSameFit(start, optimiseRegionCommand);
    }
}

TEST_F(RepeatedTrialsTest, OptimiseAllEndsEarlyWithTheSameResult) {
    load(1, 10);
    load(0, 0);
    tie(ws, PeakParam::Fwhm, 10, 0);  // judged over both regions
    for (int region : {1, 0}) {
        ws.currentRegion = static_cast<short>(region);
        updateRegionCurves(ws, port);
    }
    for (float method : {1.0f, 0.0f}) {
        SCOPED_TRACE(method);
        expectSameFit(withMethod(method), optimiseAllCommand);
    }
}

TEST_F(RepeatedTrialsTest, WholePeakFitsEndEarlyWithTheSameResult) {
    load(0, 0);
    for (float method : {1.0f, 0.0f}) {
        SCOPED_TRACE(method);
        Workspace start = ws;
        start.options.methodFlag = method;
        expectSameFit(start, optimisePeakCommand(1));
    }
}

// The state compared holds more than the four parameters: whatever a trial starts from.
TEST_F(RepeatedTrialsTest, AnyChangeATrialCouldReadKeepsTheLoopGoing) {
    load(0, 0);
    const std::vector<std::function<void(Workspace&)>> changes = {
        [](Workspace& w) { w.peaks[2].gl += 1; },
        [](Workspace& w) { w.peaks[2].height = std::nextafter(w.peaks[2].height, 0.0f); },
        [](Workspace& w) { w.regions[0].chiSquare = std::nextafter(w.regions[0].chiSquare, 0.0f); },
        [](Workspace& w) { w.totalChiSquare = std::nextafter(w.totalChiSquare, 0.0f); },
        [](Workspace& w) { w.peaks[1].curve[40] += 1.0f; },
        [](Workspace& w) { w.regions[0].residual[7] = 0.0f; },
    };
    for (std::size_t c = 0; c < changes.size(); ++c) {
        RepeatedTrialCheck check(ws);
        Workspace changed = ws;
        changes[c](changed);
        EXPECT_FALSE(check.trialChangedNothing(changed)) << c;
        EXPECT_TRUE(check.trialChangedNothing(changed)) << c;
    }
    ws.endRepeatedTrials = false;
    RepeatedTrialCheck off(ws);
    EXPECT_FALSE(off.trialChangedNothing(ws));
}

}  // namespace
}  // namespace vortlan
