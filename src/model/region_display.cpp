#include "model/region_display.h"

#include <string>

namespace vortlan {

void redrawCurrentRegion(const Workspace& workspace, Port& port) {
    const Region& r = currentRegionOf(workspace);
    if (!isTrue(r.defined)) return;
    port.drawSpectrum(SpectrumDrawing::RegionFrame);
    if (isTrue(r.backgroundSet)) port.drawSpectrum(SpectrumDrawing::FittedCurves);
}

void showCurrentRegion(const Workspace& workspace, Port& port) {
    port.showWindow(Window::Spectrum);
    port.drawSpectrum(SpectrumDrawing::Clear);
    port.setWindowCaption(Window::Spectrum, "Region " + std::to_string(workspace.currentRegion + 1));
    redrawCurrentRegion(workspace, port);
    port.yield();
}

}  // namespace vortlan
