#pragma once
// The quantification table of the workspace as the windows and the tool show it: the regions' atomic
// concentrations with uncertainties from the present fits, and the table as text.

#include <optional>
#include <string>

#include "quant/quantification.h"

namespace vortlan {

// The table for the workspace as it stands, its peak areas' covariance from the fits' standard errors.
Quantification quantify(const Workspace& workspace);

// The quantification window's settings into the workspace, unless their exponents make a region's
// factor 0 or infinite: the workspace then keeps the settings it had, and the reason is returned.
std::optional<std::string> changeQuantSettings(Workspace& workspace, const QuantSettings& settings);

// The table as text, one line per row (a region's row, then its peaks' rows), with a heading line:
// Region, Caption, Peak, Label, Level, Area, Area ±, Factor, Corrected area, At.%, At.% ±, Note.  A
// region is given by its number from 1, a peak by its number in the peak table (empty on a region's
// row).  The texts are 8-bit, ± and captions in Latin-1 like every text of the core.  Fields are
// separated by `separator` (a tab for the clipboard, a comma for CSV; fields holding the separator or a
// quote are quoted).  A number the data do not determine is left empty and the note says so; an
// excluded region has no numbers and its reason as the note.
std::string quantificationText(const Quantification& table, char separator);

}  // namespace vortlan
