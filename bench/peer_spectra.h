#pragma once
// The peer spectra of bench/peers/, set up as every fitter gets them: imported as two-column text, a
// Shirley background accepted over the whole range without end averaging, and the starting peaks
// placed with every parameter free.

#include <fstream>
#include <sstream>
#include <string>

#include "fit/drivers.h"
#include "io/option_file.h"
#include "model/region_curves.h"
#include "session/background_dialog.h"
#include "session/import_text.h"
#include "support/synthetic_region.h"
#include "workspace/recording_port.h"

namespace vortlan::bench {

inline std::string peerFile(const std::string& name) {
    return std::string(VORTLAN_SOURCE_DIR) + "/bench/peers/" + name;
}

// The spectrum with its starting peaks, ready for "Optimise Region" by Levenberg-Marquardt.
inline Workspace startingFit(const std::string& spectrum) {
    RecordingPort port;
    Session session(port);
    Workspace& ws = session.workspace;
    ws.options = defaultFitOptions();
    ws.options.methodFlag = kLeastSquaresMethodFlag;
    ws.options.glSum = kTrue;
    ws.fileName = peerFile(spectrum + ".dat");
    importAscii(session);
    openBackgroundDialog(session);
    session.dialogs.background.BG = "Shirley";
    session.dialogs.background.AverPt = "None";
    acceptBackground(session);
    std::ifstream start(peerFile(spectrum + ".start"));
    int peak = 0;
    for (std::string line; std::getline(start, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        float position = 0, area = 0, fwhm = 0;
        short gl = 0;
        fields >> position >> area >> fwhm >> gl;
        testing::addPeak(ws, 0, peak++, position, area, fwhm, gl).fixGl = 0;
    }
    updateRegionCurves(ws, port);
    return ws;
}

inline Workspace fitted(const Workspace& start) {
    Workspace ws = start;
    RecordingPort port;
    optimiseRegion(ws, port);
    return ws;
}

}  // namespace vortlan::bench
