#include "session/region_dialogs.h"

#include "base/checked_math.h"
#include "base/number_reading.h"
#include "base/number_text.h"
#include "model/region_display.h"

namespace vortlan {

void openRegionShiftDialog(Session& session) {
    session.port.showWindow(Window::RegionShift);
    session.dialogs.regionShift.ShiftText = shortNumberText(currentRegionOf(session.workspace).shift);
}

void acceptRegionShift(Session& session) {
    // A number beyond the range of a single cannot be a shift; the dialog stays open to correct it.
    const auto shift = toSingle(leadingNumber(session.dialogs.regionShift.ShiftText));
    if (!shift) {
        session.port.message(faultMessage(FaultKind::Overflow));
        return;
    }
    currentRegionOf(session.workspace).shift = *shift;
    session.port.hideWindow(Window::RegionShift);
}

void openRegionCaptionDialog(Session& session) {
    session.dialogs.regionCaption.Text = currentRegionOf(session.workspace).caption.str();
    session.port.showWindow(Window::RegionCaption);
}

void acceptRegionCaption(Session& session) {
    Region& r = currentRegionOf(session.workspace);
    r.caption.assign(session.dialogs.regionCaption.Text);
    session.port.hideWindow(Window::RegionCaption);
    redrawCurrentRegion(session.workspace, session.port);
}

}  // namespace vortlan
