#pragma once
// The background dialog (BGForm): the fit range and the background of the current region, checked
// and accepted from the dialog's boxes, and the two automatic tunings of the background's parameter,
// the Shirley linear term and the Tougaard B1.  A refused box is corrected, the beep sounds and
// `RefusalNote` says what was refused and why until the dialog's next command; there are no messages
// except for an arithmetic fault, which ends the command.

#include "session/session.h"

namespace vortlan {

// "Background" of the spectrum window: shows the dialog for a region holding data, titled with the
// region's number, with the boxes filled from the region's accepted settings (or the data's ends
// when none were accepted yet).  Each box shows every digit its value needs, so that Accept takes
// back exactly what it shows: an end of the data is never refused as lying beyond the data.
void openBackgroundDialog(Session& session);

// The Area box: the net area of the current region over its accepted range, or "-----" while the
// region has no accepted background.  Worked out afresh whenever the dialog is shown or refreshed, so
// that it is always about the region the dialog edits as that region now stands.
void showBackgroundArea(Session& session);

// "Close": hides the dialog; its texts stay for the next showing.
void closeBackgroundDialog(Session& session);

// "Accept": checks the boxes, stores the settings, recomputes the region keeping every peak's area,
// writes the background area into `Area` and marks the background set.  True when accepted.
bool acceptBackground(Session& session);

// "Optimise" of the Shirley frame: when the Shirley background rises above the smoothed data, the
// linear term is doubled and then bisected until it just stops doing so.  Only the background
// changes, not the curves or the statistic.  When twenty doublings still leave the background above
// the data (noise on a flat end can do that for every slope), the search is refused: the slope, its
// box and the background are put back as they were and the beep sounds.  False after a refusal.
bool optimiseShirleySlope(Session& session);

// The B1 search of a Tougaard region: accepts the settings, then looks for the B1 that makes the
// background meet the data over the first ten range points.  False when the accept was refused or
// met a fault (already beeped or shown), so a caller should stop.
bool optimiseTougaardB1(Session& session);

// The Tougaard background for range points 1..10 only, with B1 read from `TouB1`.  A fault (a B1
// beyond the range of a single among them) throws ComputationFault to the command that runs it.
void tougaardHeadBackground(Session& session);

// "Optimise" of the Tougaard frame: the settings accepted and B1 searched, with the busy pointer and
// the other windows disabled for the duration.
void optimiseTougaard(Session& session);

}  // namespace vortlan
