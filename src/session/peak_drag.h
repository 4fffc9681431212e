#pragma once
// Dragging the top of the open peak's curve on the plot: the pointer sets the peak dialog's position and
// area boxes, and the dialog's ReDraw takes them, so that a drag leaves exactly what typing the same
// numbers and pressing ReDraw leaves.

#include <optional>

#include "plot/surface.h"
#include "session/session.h"

namespace vortlan {

// What a drag of the peak's top may move: its position sideways and its height up and down, each
// unless the parameter (the area, for the height) is fixed or tied to another peak.
struct PeakDragAxes {
    bool position = false;
    bool height = false;
};

PeakDragAxes peakDragAxes(const Workspace& workspace, int peak);

// Where the plot draws the top of the peak's curve: at its position moved by the region's shift, the
// background there plus the peak's own value.  Nothing for a free entry, a top outside the fit range, or
// a region whose curves are not there to draw.
std::optional<UserPoint> peakTop(const Workspace& workspace, int peak);

// The current peak's top brought to `top` (energy, counts) as far as its axes allow: the position box
// takes the energy (held inside the fit range), the area box the area whose height (never below 0)
// puts the top at those counts over the background; then ReDraw.  False, with the dialog's message,
// when the dialog's boxes cannot be taken.
bool dragPeakTop(Session& session, UserPoint top);

}  // namespace vortlan
