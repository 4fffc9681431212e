#include "workspace/records.h"

namespace vortlan {

void unlinkConstraint(ParamConstraint& c) {
    c.linked = 0;
    c.refPeak = 0;
    c.isReference = 0;
    c.tiedPeak = 0;
    c.op = 0;
    c.operand = 0.0f;
}

ParamConstraint& PeakConstraints::of(PeakParam param) {
    return const_cast<ParamConstraint&>(static_cast<const PeakConstraints&>(*this).of(param));
}

const ParamConstraint& PeakConstraints::of(PeakParam param) const {
    switch (param) {
        case PeakParam::Position:
            return position;
        case PeakParam::Area:
            return area;
        case PeakParam::Fwhm:
            return fwhm;
        case PeakParam::Gl:
            break;
    }
    return gl;
}

float& realParameter(Peak& peak, PeakParam param) {
    switch (param) {
        case PeakParam::Position:
            return peak.position;
        case PeakParam::Area:
            return peak.area;
        default:
            return peak.fwhm;
    }
}

float realParameter(const Peak& peak, PeakParam param) {
    return realParameter(const_cast<Peak&>(peak), param);
}

bool isFixed(const Peak& peak, PeakParam param) {
    switch (param) {
        case PeakParam::Position:
            return peak.fixPosition != 0;
        case PeakParam::Area:
            return peak.fixArea != 0;
        case PeakParam::Fwhm:
            return peak.fixFwhm != 0;
        case PeakParam::Gl:
            break;
    }
    return peak.fixGl != 0;
}

void forgetFitVerdict(Workspace& workspace, int region) {
    workspace.fitVerdicts.at(static_cast<std::size_t>(region)) = RegionVerdict{};
}

Region& currentRegionOf(Workspace& workspace) {
    return workspace.regions.at(workspace.currentRegion);
}

const Region& currentRegionOf(const Workspace& workspace) {
    return workspace.regions.at(workspace.currentRegion);
}

int lowestFreePeak(const Workspace& ws) {
    for (int p = 0; p < kPeakCount; ++p) {
        if (!isTrue(ws.peaks[p].defined)) return p;
    }
    return -1;
}

}  // namespace vortlan
