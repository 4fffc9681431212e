#pragma once
// The rules every workspace keeps, whatever file it was read from: counts within the fixed limits and
// within their arrays, slots naming defined peaks of their own region, indexes within their tables.
// The readers refuse data that break them; after a failed read, restoreInvariants mends what was
// read so far, so that no later command can reach outside an array.

#include <string>

#include "workspace/records.h"

namespace vortlan {

// A defined region's counts, arrays, slots and settings agree with each other and with the limits.
bool regionIsSound(const Region& region);

// A defined peak's region, type, %GL and curve are within their ranges.
bool peakIsSound(const Peak& peak);

// Every index and operator of the constraint record is within its table.
bool constraintsAreSound(const PeakConstraints& constraints);

// The first rule the workspace breaks, in words, or an empty text when it keeps them all.
std::string firstBrokenRule(const Workspace& workspace);

// Stored values a reader mends rather than refuses, because they arise in normal use and their right
// value is known.  A region without an accepted background has no fit range yet: whatever range
// fields it carries are left over from an earlier spectrum in its slot, so they are reset as an
// import resets them.
void resetUnusedFitRange(Region& region);
// Values computed through a constraint's relation are stored as computed; a %GL outside 0-100 is
// read as the nearest bound.
void clampStoredGl(Peak& peak);

// Drops what breaks the rules: unsound regions and peaks become undefined, slots that do not name a
// defined peak of their region are removed, unlisted peaks are freed, out-of-table constraint indexes
// are unlinked, and a peak curve too short for its region's range is renewed.
void restoreInvariants(Workspace& workspace);

}  // namespace vortlan
