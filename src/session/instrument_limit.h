#pragma once
// The instrument's FWHM limit: the narrowest line the user's instrument gives, below which no fit
// takes a peak's width (fit/trust/physical_bounds.h).  Set in the Options window, by vortlan-cli and
// from Python; kept with the project.

#include <optional>
#include <string>

#include "session/session.h"

namespace vortlan {

// Wider than any instrument's resolution; a larger limit is a slip of the keyboard.
inline constexpr double kLargestInstrumentFwhm = 20.0;

// The limit set, or none with nothing; false, with a message and nothing changed, for a width that is
// not above 0 eV or is larger than kLargestInstrumentFwhm.
bool setInstrumentFwhm(Session& session, std::optional<double> fwhm);

// The limit as the Options window's box shows it: empty for none.
std::string instrumentFwhmText(const Workspace& workspace);

// The box's text applied: blank for none, else its leading number.
bool applyInstrumentFwhmText(Session& session, const std::string& text);

}  // namespace vortlan
