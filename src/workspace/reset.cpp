#include "workspace/reset.h"

namespace vortlan {

namespace {

// The values a free peak entry takes; "Add Peak" relies on the %GL and the tail values staying in
// the entry.
void resetPeak(Peak& p) {
    p.defined = kFalse;
    p.type = 0;
    p.splitting = 0.0f;
    p.position = 0.0f;
    p.area = 100.0f;
    p.height = 100.0f;
    p.fwhm = 1.0f;
    p.gl = 80;
    p.fixPosition = 0;
    p.fixFwhm = 0;
    p.fixArea = 0;
    p.fixGl = 1;
}

}  // namespace

void resetWorkspaceRecords(Workspace& ws) {
    ws.totalChiSquare = 0.0f;
    for (int region = 0; region < kRegionCount; ++region) {
        Region& r = ws.regions[region];
        forgetFitVerdict(ws, region);
        r.defined = kFalse;
        r.backgroundSet = kFalse;
        r.shift = 0.0f;
        r.intensityUnit.clear();
        r.coreLevel.clear();
        r.sourceEnergy.reset();
        r.sensitivityOverride.reset();
        r.acquisition = Acquisition{};
    }
    ws.quantSettings = QuantSettings{};
    ws.peakTotal = 0;
    for (int p = 0; p < kPeakCount; ++p) {
        resetPeak(ws.peaks[p]);
        for (PeakParam param : kPeakParams) unlinkConstraint(ws.constraints[p].of(param));
    }
}

}  // namespace vortlan
