#pragma once
// The peak dialog: one peak of the current region edited in its text boxes, scroll bars and check
// boxes, optimised, accepted, cancelled or deleted.

#include <string>

#include "session/session.h"

namespace vortlan {

// The letter the peak dialog's type list shows for a peak type: "s", "p", "d" or "f" ("s" for any
// other value).
std::string peakTypeText(short type);

// Opens slot (button mod 10) of region (button div 10): the peak is copied for Cancel, the dialog is
// filled, the plot redrawn and the peak drawn in red.
void openPeakDialog(Session& session, int button);

// Puts the peak's values into the controls, each with its standard error beside it (the Fix check
// boxes and the Optimise buttons renew the errors too); `opening` shows a FWHM below 0.5 eV on the
// scroll bar's lowest position, as an opened dialog does.
void fillPeakDialog(Session& session, int peak, bool opening);

// Takes every control into the current peak; false (nothing stored, a message shown) for a FWHM that is
// not positive, which no line shape can take.  A TS or TL beyond the tail's range is kept at its end,
// its box corrected and `RefusalNote` saying so.
bool storePeakDialog(Session& session);

void acceptPeakDialog(Session& session);      // "Accept"
void redrawPeakDialog(Session& session);      // "ReDraw"
void cancelPeakDialog(Session& session);      // "Cancel"
void closePeakDialog(Session& session);       // the window's close control
void deletePeakFromDialog(Session& session);  // "Delete Peak"

// A "Fix" check box was clicked: its value goes into the peak at once.
void fixChanged(Session& session, PeakParam param);
// A scroll bar's position changed: its text box follows.
void scrollChanged(Session& session, PeakParam param);

// The "Optimise" button of one parameter, and "Optimise Peak", each in a fitting run.
void optimiseParameterFromDialog(Session& session, PeakParam param);
void optimisePeakFromDialog(Session& session);

}  // namespace vortlan
