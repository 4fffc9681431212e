#pragma once
// A session holding fitted regions, as a user leaves it after a few fits.

#include "fit/drivers.h"
#include "io/option_file.h"
#include "model/region_curves.h"
#include "session/session.h"
#include "support/synthetic_region.h"
#include "workspace/recording_port.h"

namespace vortlan::testing {

// Makes `region` current, accepts its background over the whole data and marks it fitted.
inline void acceptBackground(Session& session, int region) {
    Workspace& ws = session.workspace;
    ws.currentRegion = static_cast<short>(region);
    ws.acceptingBackground = kTrue;
    recomputeRegion(ws, session.port);
    ws.acceptingBackground = kFalse;
    ws.regions[region].backgroundSet = kTrue;
}

// Region 0: C 1s with peaks 0, 1, 2; region 3: O 1s with peak 5; peak 1's position tied to peak 0's,
// peak 2's FWHM limited.
struct FittedSession {
    FittedSession() {
        Workspace& ws = session.workspace;
        ws.options.glSum = kTrue;
        makeRegion(ws, 0, 121, 292.0f, 0.1f, [](double e) {
            return gaussianOn(0.0, 285.0, 900.0, 1.2)(e) + gaussianOn(0.0, 286.5, 300.0, 1.2)(e) +
                   step(285.0, 150.0, 260.0)(e);
        });
        ws.regions[0].caption.assign("C 1s");
        acceptBackground(session, 0);
        addPeak(ws, 0, 0, 285.0f, 1100.0f, 1.2f, 20);
        addPeak(ws, 0, 1, 286.5f, 380.0f, 1.2f, 20);
        addPeak(ws, 0, 2, 289.0f, 50.0f, 1.5f, 30, 3).splitting = 1.2f;
        makeRegion(ws, 3, 81, 538.0f, 0.1f, gaussianOn(400.0, 532.0, 2000.0, 1.6));
        ws.regions[3].caption.assign("O 1s");
        acceptBackground(session, 3);
        addPeak(ws, 3, 5, 532.0f, 3000.0f, 1.6f, 10).ts = 0.2f;
        ws.peaks[5].tl = 15.0f;

        ParamConstraint& tied = ws.constraints[1].position;
        tied.linked = kTrue;
        tied.refPeak = 0;
        tied.op = static_cast<short>(ConstraintOp::Add);
        tied.operand = 1.5f;
        ws.constraints[0].position.isReference = kTrue;
        ws.constraints[0].position.tiedPeak = 1;
        ParamConstraint& limited = ws.constraints[2].fwhm;
        limited.limited = kTrue;
        limited.low = 1.0f;
        limited.high = 2.0f;

        for (int region : {0, 3}) {
            ws.currentRegion = static_cast<short>(region);
            updateRegionCurves(ws, session.port);
        }
        ws.currentRegion = 0;
        ws.currentPeak = 1;
        ws.description = "Sample A, sputtered 5 min";
    }
    // The current region fitted with the shipped options (Levenberg-Marquardt) in the sum form.
    void fitWithShippedOptions() {
        Workspace& ws = session.workspace;
        ws.options = defaultFitOptions();
        ws.options.glSum = kTrue;
        optimiseRegion(ws, session.port);
    }
    RecordingPort port;
    Session session{port};
};

}  // namespace vortlan::testing
