#pragma once
// The peer spectra of bench/peers/ with their starting peaks, every parameter free, ready for
// "Optimise Region" by Levenberg-Marquardt in the sum form.

#include <string>

#include "fit/drivers.h"
#include "io/option_file.h"
#include "support/bench_spectra.h"
#include "workspace/recording_port.h"

namespace vortlan::bench {

inline Workspace startingFit(const std::string& spectrum) {
    Workspace ws;
    RecordingPort port;
    ws.options = defaultFitOptions();
    ws.options.methodFlag = kLeastSquaresMethodFlag;
    ws.options.glSum = kTrue;
    testing::setUpBenchSpectrum(ws, port, testing::benchSpectrumPath(VORTLAN_SOURCE_DIR, spectrum), 0,
                                spectrum == "c1s" ? testing::kC1sStart : testing::kBigStart);
    return ws;
}

inline Workspace fitted(const Workspace& start) {
    Workspace ws = start;
    RecordingPort port;
    optimiseRegion(ws, port);
    return ws;
}

}  // namespace vortlan::bench
