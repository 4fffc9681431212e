#include "workspace/records.h"

namespace vortlan {

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

Region& currentRegionOf(Workspace& workspace) {
    return workspace.regions.at(workspace.currentRegion);
}

const Region& currentRegionOf(const Workspace& workspace) {
    return workspace.regions.at(workspace.currentRegion);
}

}  // namespace vortlan
