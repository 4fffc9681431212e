// The fit alone, for the batch benchmark (bench/batch_scale) to take from a spectrum's whole time in a
// batch: the spectra of a C 1s series made by bench/batch_spectra, each prepared as the batch prepares
// it (its options, the spectrum in region 1, the model, the model's background accepted), then
// "Optimise Region" on a copy, with and without the standard errors the summary carries.
//
// Usage: batch_fit_time DIR [Google Benchmark options]

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/number_text.h"
#include "fit/drivers.h"
#include "fit/uncertainty.h"
#include "session/background_dialog.h"
#include "session/import_vamas.h"
#include "session/options_dialog.h"
#include "session/region_operations.h"
#include "session/region_parameters.h"
#include "workspace/recording_port.h"

namespace vortlan {
namespace {

namespace fs = std::filesystem;

constexpr int kRegion = 0;
// Enough spectra that no one of them decides the figure, few enough to prepare in a moment.
constexpr int kSpectra = 200;

void require(bool done, const std::string& what) {
    if (!done) throw std::runtime_error("cannot " + what);
}

Workspace prepared(const fs::path& dir, const fs::path& spectrum) {
    RecordingPort port;
    Session session(port);
    session.workspace.fileName = (dir / "lm.opa").string();
    require(readOptionFile(session), "read the options");
    selectRegion(session, kRegion);
    session.workspace.fileName = spectrum.string();
    require(importVamas(session), "import " + spectrum.string());
    session.workspace.fileName = (dir / "model.rpa").string();
    require(loadRegionParameters(session), "load the model");
    const Region& r = session.workspace.regions[kRegion];
    openBackgroundDialog(session);
    session.dialogs.background.LBE = exactNumberText(r.rangeLow);
    session.dialogs.background.HBE = exactNumberText(r.rangeHigh);
    session.dialogs.background.BG = "Shirley";
    require(acceptBackground(session), "accept the model's background");
    return session.workspace;
}

std::vector<Workspace> preparedSeries(const fs::path& dir) {
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir / "spectra")) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    files.resize(std::min<std::size_t>(files.size(), kSpectra));
    std::vector<Workspace> series;
    for (const fs::path& file : files) series.push_back(prepared(dir, file));
    return series;
}

// The spectra in turn; the copy each fit starts from is not timed.
void fitSeries(benchmark::State& state, const std::vector<Workspace>& series, bool withErrors) {
    std::size_t next = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Workspace ws = series[next];
        next = (next + 1) % series.size();
        RecordingPort port;
        state.ResumeTiming();
        optimiseRegion(ws, port);
        if (withErrors) benchmark::DoNotOptimize(standardErrors(ws, kRegion));
    }
}

}  // namespace
}  // namespace vortlan

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (argc != 2) {
        std::cerr << "usage: batch_fit_time DIR [Google Benchmark options]\n";
        return 2;
    }
    std::vector<vortlan::Workspace> series;
    try {
        series = vortlan::preparedSeries(argv[1]);
    } catch (const std::exception& e) {
        std::cerr << "batch_fit_time: " << e.what() << '\n';
        return 1;
    }
    if (series.empty()) {
        std::cerr << "batch_fit_time: no spectra in " << argv[1] << "/spectra\n";
        return 1;
    }
    benchmark::RegisterBenchmark("fit", vortlan::fitSeries, series, false)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("fitAndErrors", vortlan::fitSeries, series, true)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
