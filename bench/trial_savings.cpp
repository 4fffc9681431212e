// How much ending a fitting loop at a trial that changed nothing saves, on the benchmark spectra with
// the shipped options: trials and statistic evaluations of each fit run with every trial and with the
// loops ending early, and whether the two ended in exactly the same state.
//
//     build/bench/trial_savings [c1s|big]...      (both when none is named)

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "fit/drivers.h"
#include "fit/verdict.h"
#include "io/option_file.h"
#include "support/bench_spectra.h"
#include "workspace/recording_port.h"

namespace vortlan {
namespace {

using Command = std::function<void(Workspace&, Port&)>;

struct Outcome {
    std::size_t trials = 0;
    std::uint64_t evaluations = 0;
    double seconds = 0;
    std::vector<float> state;
    std::string verdicts;
};

// Every value a fit leaves behind: the peaks with their curves, the statistics, envelopes and residuals.
std::vector<float> stateOf(const Workspace& ws) {
    std::vector<float> state;
    for (const Peak& p : ws.peaks) {
        state.insert(state.end(), {p.position, p.area, p.height, p.fwhm, static_cast<float>(p.gl)});
        state.insert(state.end(), p.curve.storage().begin(), p.curve.storage().end());
    }
    for (const Region& r : ws.regions) {
        state.push_back(r.chiSquare);
        state.insert(state.end(), r.envelope.storage().begin(), r.envelope.storage().end());
        state.insert(state.end(), r.residual.storage().begin(), r.residual.storage().end());
    }
    state.push_back(ws.totalChiSquare);
    return state;
}

Outcome run(const Workspace& start, bool endRepeatedTrials, const Command& command,
            Workspace* end = nullptr) {
    Workspace ws = start;
    ws.endRepeatedTrials = endRepeatedTrials;
    RecordingPort port;
    const auto begun = std::chrono::steady_clock::now();
    command(ws, port);
    Outcome outcome;
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
    outcome.trials = port.fitTrials.size();
    outcome.evaluations = ws.statisticEvaluations - start.statisticEvaluations;
    outcome.state = stateOf(ws);
    for (const auto& [region, verdict] : port.fitVerdicts) {
        outcome.verdicts += verdict == FitVerdict::Converged        ? "converged "
                            : verdict == FitVerdict::StillImproving ? "still improving "
                                                                    : "not judged ";
    }
    if (end) *end = ws;
    return outcome;
}

void report(const std::string& name, const Workspace& start, const Command& command,
            Workspace* end = nullptr) {
    const Outcome every = run(start, false, command, end);
    const Outcome early = run(start, true, command);
    const bool same =
        every.state.size() == early.state.size() &&
        std::memcmp(every.state.data(), early.state.data(), every.state.size() * sizeof(float)) == 0;
    const double saved =
        every.evaluations == 0 ? 0.0 : 100.0 * (1.0 - double(early.evaluations) / every.evaluations);
    std::printf("| %s | %zu | %zu | %llu | %llu | %.0f %% | %.2f s | %.2f s | %s | %s|\n", name.c_str(),
                every.trials, early.trials, static_cast<unsigned long long>(every.evaluations),
                static_cast<unsigned long long>(early.evaluations), saved, every.seconds, early.seconds,
                same ? "yes" : "NO", every.verdicts.c_str());
    std::fflush(stdout);
}

void optimiseEachPeak(Workspace& ws, Port& port) {
    const Region& r = currentRegionOf(ws);
    for (int s = 0; s < r.peakCount; ++s) {
        beginFitting(ws, port);
        optimisePeak(ws, port, r.peakSlots[s]);
        endFitting(ws, port);
    }
}

void measure(const std::string& spectrum) {
    Workspace ws;
    RecordingPort port;
    ws.options = defaultFitOptions();
    if (!testing::setUpBenchSpectrum(ws, port, testing::benchSpectrumPath(VORTLAN_SOURCE_DIR, spectrum), 0,
                                     spectrum == "c1s" ? testing::kC1sStart : testing::kBigStart)) {
        std::fprintf(stderr, "cannot read the %s spectrum\n", spectrum.c_str());
        return;
    }
    const Command region = [](Workspace& w, Port& p) { optimiseRegion(w, p); };
    for (float method : {1.0f, 0.0f}) {
        const std::string name = spectrum + ", " + (method == 1.0f ? "Newton" : "search");
        Workspace start = ws;
        start.options.methodFlag = method;
        Workspace fitted;
        report(name + ": Optimise Region", start, region, &fitted);
        report(name + ": Optimise Region again", fitted, region);
        Workspace fixedGl = start;
        for (Peak& p : fixedGl.peaks) p.fixGl = 1;
        report(name + ": Optimise Region, %GL fixed", fixedGl, region);
        report(name + ": Optimise Peak, each peak in turn", start, optimiseEachPeak);
    }
}

}  // namespace
}  // namespace vortlan

int main(int argc, char** argv) {
    std::vector<std::string> spectra(argv + 1, argv + argc);
    if (spectra.empty()) spectra = {"c1s", "big"};
    std::printf(
        "| fit | trials, every trial | trials, ending early | evaluations, every trial | evaluations, "
        "ending early | saved | time, every trial | time, ending early | same result | verdict |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|\n");
    for (const std::string& spectrum : spectra) vortlan::measure(spectrum);
}
