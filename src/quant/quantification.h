#pragma once
// Atomic concentrations of the regions that name a core level, and of each region's peaks, with their
// ±1σ uncertainties.
//
// A region's amount is the sum of its peaks' areas or its background-subtracted area over the fit
// range (as the settings choose; by default the peaks' areas when it has peaks).  For a region whose
// level is one spin-orbit component ("Ti 2p3/2") a doublet peak contributes the area of its component
// at the peak's position, the main one; for a whole level ("Ti 2p") the peak's whole area.  The amount
// divided by the region's sensitivity factor is its corrected area; atomic per cent is the corrected
// area's share of the sum over all counted regions, times 100.  A peak's row is the same for the peak
// alone, divided by the same total.
//
// Uncertainties come from the covariance of each region's peak areas at the present fit (the fit's
// standard errors, correlations within a region included) or, for a background-subtracted area, from
// counting statistics (each recorded value taken as a count).  Regions are independent measurements;
// the sensitivity factors are taken as exact.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "workspace/records.h"

namespace vortlan {

struct QuantRow {
    int region = 0;     // index into the workspace's regions
    int peak = -1;      // index into the workspace's peaks; -1 for a region's own row
    std::string name;   // the region's caption or the peak's label
    std::string level;  // the region's core level, canonical ("Ti 2p3/2"); may be empty with an override
    double area = 0;    // the amount: region total, or the peak's (component's) area
    std::optional<double> areaError;           // ±1σ; none when the data do not determine it
    double factor = 0;                         // the region's sensitivity factor
    double correctedArea = 0;                  // area / factor
    double atomicPercent = 0;                  // 100 × correctedArea / Σ counted regions' corrected areas
    std::optional<double> atomicPercentError;  // ±1σ; none when not determined
};

struct QuantRegion {
    QuantRow row;
    std::vector<QuantRow> components;       // the region's peaks, in slot order (counted regions only)
    QuantArea areaUsed = QuantArea::Peaks;  // Peaks or Background: which amount the row is
    // Why the region is not counted ("No core level given", "Background not accepted", ...), empty
    // when it is.  A region not counted has only its name and level filled.
    std::string excluded;

    bool counted() const { return excluded.empty(); }
};

struct Quantification {
    std::vector<QuantRegion> regions;  // every region holding data, in region order
    QuantSettings settings;            // those the table was made with

    bool empty() const;  // no region counted
};

// The area settings as scripts name them: "auto", "peaks", "background"; nothing for other text.
const char* quantAreaName(QuantArea area);
std::optional<QuantArea> quantAreaNamed(std::string_view name);

// The covariance of a region's peaks' areas at the present fit, row-major in the order of its slots;
// empty when the fit does not determine an area.  (The fit's standard errors provide it.)
using AreaCovarianceOf = std::function<std::vector<double>(int region)>;

// The table for the workspace as it stands, with its quantification settings.
Quantification quantify(const Workspace& workspace, const AreaCovarianceOf& areaCovariance);

}  // namespace vortlan
