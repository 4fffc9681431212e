#pragma once
// The constraint dialog: the relation of one parameter of the current peak with another peak, and the
// limits the optimisers keep it within.

#include "session/session.h"

namespace vortlan {

// Fills the dialog from the stored constraint of `param` of the current peak and shows it.  The stored
// limits are corrected first, and the corrections stay stored.
void openConstraintEditor(Session& session, PeakParam param);

// "OK": checks the entries in the dialog's order and stores them.  On success hides the dialog and
// returns true; on a refusal shows its one message, leaves the dialog open and returns false.  The
// relation is stored before the limits are checked, so a refused limit keeps a relation just entered.
bool acceptConstraintEdit(Session& session);

}  // namespace vortlan
