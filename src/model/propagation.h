#pragma once
// A parameter tied to a reference peak follows it: value = value of the reference `op` operand.
// After an optimiser moves one parameter of one peak, the change is carried along every chain of
// relations that starts there; the peak dialog applies all relations once.

#include "workspace/records.h"

namespace vortlan {

// Sets the tied peak's parameter from the reference's present value and the tied peak's own relation.
// A result the line shapes cannot take is held at the nearest value they can: %GL within 0..100, an
// area not below 0, a FWHM not below kMinimumTiedFwhm.  A division by zero or a result beyond the range
// of a single ends the command (ComputationFault).
void relate(Workspace& workspace, PeakParam param, int reference, int tied);

// Carries a change of the parameter of peak `changed` to every defined peak tied to it, directly or
// along a chain: the peaks tied directly first, in increasing number, then those tied to the lowest
// numbered of them, and so on; each from its own reference once that has its final value.
void propagate(Workspace& workspace, PeakParam param, int changed);

// One pass over every relation of every peak, references in increasing number and, for each, the
// parameters in the order position, FWHM, area, %GL.  A chain is not followed to its end in one pass.
void applyAllRelations(Workspace& workspace);

inline constexpr float kMinimumTiedFwhm = 0.01f;

}  // namespace vortlan
