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
// The uncertainty of a sum of peaks comes from the covariance of the region's peak areas at the present
// fit (the fit's standard errors, correlations within a region and the background's share included).
// That of a background-subtracted area comes from the data's noise, its end averages' share included:
// counting statistics where the counts are known (a unit of counts, or a count rate with the dwell
// time and scans the file records), otherwise the scatter of the fit's residuals, or of the data
// themselves where no peak was fitted.  Regions are independent measurements; the sensitivity factors
// are taken as exact.
//
// A peak its fit flags as caught where no line can be (outside the fit range, narrower than the data
// step or the instrument's limit, held at a physical bound) is left out of its region's amount; other
// flags are carried on the row.  A row whose area is below three times its uncertainty is not detected: it
// gets no atomic per cent but an upper limit, and a region not detected is left out of the sum the others
// share.  Where every counted region's file records the analyser's transmission at each point, the
// intensities are divided by it (and the factors leave out the transmission exponent it replaces).

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "workspace/records.h"

namespace vortlan {

// How a row's area uncertainty was found (in the order of the names below).
enum class AreaNoise {
    FitErrors,       // the fit's standard errors of the peak areas
    Counts,          // counting statistics, the unit saying counts
    CountsFromRate,  // counting statistics of the counts a count rate × dwell time × scans makes
    FitResiduals,    // the scatter of the fit's residuals, the counts not being known
    DataScatter,     // the scatter of the data about their neighbours: no counts known, no peak fitted
};

// Whether the intensities were divided by the analyser's transmission the files record (in the order
// of the names below).
enum class TransmissionUse {
    NoneRecorded,  // no counted region's file records it
    Divided,       // every counted region's does, and its intensities were divided by it
    NotUsed,       // some counted regions' files do not: dividing only the others would skew the ratios
};

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
    // False when the area is below three times its uncertainty.  Such a row has no atomic per cent
    // (0, and no uncertainty) but the area's 3σ upper limit, max(area, 0) + 3σ, and the atomic per
    // cent that area would have beside the detected regions (none when no region is detected).  The
    // peaks of a region not detected are not detected either.
    bool detected = true;
    double upperLimitArea = 0;
    std::optional<double> upperLimitPercent;
    // A peak's flags from its fit; left out of its region's amount (and with no at.%) when one of them
    // says it is caught where no line can be.
    std::vector<FitFlag> flags;
    bool leftOut = false;

    // Its atomic per cent means something: it is counted and stands out of its noise.
    bool sharesTheTotal() const { return detected && !leftOut; }
};

struct QuantRegion {
    QuantRow row;
    std::vector<QuantRow> components;       // the region's peaks, in slot order (counted regions only)
    QuantArea areaUsed = QuantArea::Peaks;  // Peaks or Background: which amount the row is
    // Why the region is not counted ("No core level given", "Background not accepted", ...), empty
    // when it is.  A region not counted has only its name and level filled.
    std::string excluded;
    AreaNoise noise = AreaNoise::FitErrors;  // of the region's own row
    // Its level names one spin-orbit component, yet its background-subtracted area holds both.
    bool wholeDoubletCounted = false;
    // The background drawn where it is not the type accepted (model/backgrounds.h); empty otherwise.
    std::string backgroundNote;
    bool transmissionRecorded = false;  // its file records the analyser's transmission at each point
    bool transmissionDivided = false;   // and its intensities were divided by it

    bool counted() const { return excluded.empty(); }
    // Counted and detected: in the sum the atomic per cents share.
    bool inTotal() const { return counted() && row.detected; }
};

struct Quantification {
    std::vector<QuantRegion> regions;  // every region holding data, in region order
    QuantSettings settings;            // those the table was made with
    TransmissionUse transmission = TransmissionUse::NoneRecorded;

    bool empty() const;  // no region counted
};

// The noises as scripts name them: "fit_errors", "counts", "counts_from_rate", "fit_residuals",
// "data_scatter"; and the uses of the transmission: "none_recorded", "divided", "not_used".
const char* areaNoiseName(AreaNoise noise);
const char* transmissionUseName(TransmissionUse use);

// The area settings as scripts name them: "auto", "peaks", "background"; nothing for other text.
const char* quantAreaName(QuantArea area);
std::optional<QuantArea> quantAreaNamed(std::string_view name);

// What the fit of a region tells the table (the fit's standard errors provide it).
struct RegionFit {
    // The covariance of the region's peaks' areas, row-major in the order of its slots; empty when
    // the fit does not determine an area.
    std::vector<double> areaCovariance;
    // σ², the scale of a recorded value's variance σ² × |value| the fit's residuals show (its reduced
    // statistic); 0 when not determined.
    double residualScale = 0;
    std::vector<FitFlag> flags;  // of the region's peaks, from its verdict or judged afresh
};

// The flag says the peak is caught where no line can be: its area is no measure of the element.
bool leavesPeakOut(const FitFlag& flag);
using RegionFitOf = std::function<RegionFit(int region)>;

// The table for the workspace as it stands, with its quantification settings.
Quantification quantify(const Workspace& workspace, const RegionFitOf& fitOf);

}  // namespace vortlan
