#pragma once
// The two small dialogs of the spectrum window: the region's energy shift and its caption.

#include "session/session.h"

namespace vortlan {

// Fills the shift box from the current region and shows the dialog.
void openRegionShiftDialog(Session& session);
// "Accept": the shift box's number becomes the region's shift, taken at the next curve computation.
void acceptRegionShift(Session& session);

// Fills the caption box with the stored caption, trailing blanks included, and shows the dialog.
void openRegionCaptionDialog(Session& session);
// "OK": the box's first 20 characters become the caption, and the plot shows it.
void acceptRegionCaption(Session& session);

}  // namespace vortlan
