#pragma once
// The quantification table of the workspace as the windows and the tool show it: the regions' atomic
// concentrations with uncertainties from the present fits, and the table as text.

#include <optional>
#include <string>
#include <vector>

#include "fit/uncertainty.h"
#include "quant/quantification.h"

namespace vortlan {

// What the table takes from a region's fit: its standard errors, and its peaks' flags (those of its
// verdict while that holds, else judged at the peaks' present values).
RegionFit regionFitOf(const Workspace& workspace, int region, const RegionErrors& errors);

// The table for the workspace as it stands, its peak areas' covariance and residual scale from the
// fits' standard errors, its peaks' flags from their fits.
Quantification quantify(const Workspace& workspace);

// The quantification window's settings into the workspace, unless their exponents make a region's
// factor 0 or infinite: the workspace then keeps the settings it had, and the reason is returned.
std::optional<std::string> changeQuantSettings(Workspace& workspace, const QuantSettings& settings);

// Where a row's ± comes from, in words ("counting statistics", "the scatter of the data", ...).
std::string areaNoiseText(AreaNoise noise);

// What a row says beyond its numbers: a peak's "left out, flagged by the fit: outside the fit range" or
// "flagged by the fit: ...", "not detected (< 0.52 at.%)" (a region's adding ", left out of the sum"),
// a region's "whole doublet counted" and the background drawn where it is not the type accepted.
// Empty for an ordinary row.
std::vector<std::string> quantRowNotes(const QuantRegion& region, const QuantRow& row);

// What the table as a whole says beside its rows: the regions not detected and left out of the sum,
// the peaks left out of their regions, what "not detected" and its limit mean, whole doublets counted,
// backgrounds drawn as straight lines, and how the analyser's transmission was used.  Empty for a
// table with none of these.
std::vector<std::string> quantificationNotes(const Quantification& table);

// The table as text, one line per row (a region's row, then its peaks' rows), with a heading line:
// Region, Caption, Peak, Label, Level, Area, Area ±, Factor, Corrected area, At.%, At.% ±, Note, Upper
// limit area, Upper limit at.%, Noise, Transmission.  A
// region is given by its number from 1, a peak by its number in the peak table (empty on a region's
// row).  The texts are 8-bit, ± and captions in Latin-1 like every text of the core.  Fields are
// separated by `separator` (a tab for the clipboard, a comma for CSV; fields holding the separator or a
// quote are quoted).  A number the data do not determine is left empty and the note says so; an
// excluded region has no numbers and its reason as the note.  A row not detected has no at.% but its
// upper limits, the note saying so; Noise is where the area's ± comes from, Transmission "divided"
// where the intensities were divided by the analyser's transmission.
std::string quantificationText(const Quantification& table, char separator);

}  // namespace vortlan
