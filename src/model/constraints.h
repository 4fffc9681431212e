#pragma once
// The rules that keep the constraint table consistent: the limits a constraint may hold, and the test
// that a new relation between peaks does not close a loop.

#include <optional>

#include "workspace/records.h"

namespace vortlan {

// Position limits may lie this far (eV) outside the binding energies of the peak's region, so that the
// span shown as 7-digit texts is accepted when typed back.
inline constexpr double kPositionLimitSlack = 0.001;

// Brings the stored limits of one parameter of `peak` back into what the parameter allows, so the
// editor never shows a limit the user could not type.  The corrections are stored.
void normalizeLimits(Workspace& workspace, int peak, PeakParam param);

// True if tying `param` of `editedPeak` to `candidateRef` would close a loop of relations.
bool formsCycle(const Workspace& workspace, PeakParam param, int editedPeak, int candidateRef);

// The constraint dialog numbers the parameters 0 position, 1 FWHM, 2 area, 3 %GL, unlike the stored
// order of `PeakParam`.
int constraintDialogCode(PeakParam param);
std::optional<PeakParam> paramOfConstraintDialogCode(int code);

}  // namespace vortlan
