#pragma once
// The records of the workspace, field by field in their stored order: the project file and the
// region-parameter file write them in exactly this order.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/fixed_text.h"
#include "workspace/limits.h"
#include "workspace/point_array.h"

namespace vortlan {

enum class BackgroundType : short { Shirley = 0, Linear = 1, Tougaard = 2 };

// How a region's intensities were recorded, as far as its file says (see workspace/acquisition.h).
struct Acquisition {
    std::optional<double> dwellTime;  // seconds on each point in each scan; positive
    std::optional<int> scans;         // scans added into the spectrum; at least 1
    // The analyser's transmission at each raw point, in the order of the region's points (element 0
    // for point 1); empty when the file records none, else exactly one positive value a point.
    std::vector<float> transmission;

    friend bool operator==(const Acquisition&, const Acquisition&) = default;
};

struct Region {
    short defined = 0;
    short sourceNumber = 0;
    Text20 caption;
    short pointCount = 0;
    PointArray energy;  // binding energy, index 1 the highest
    PointArray counts;
    float beHigh = 0;
    float beLow = 0;
    float countsHigh = 0;
    float countsLow = 0;
    short backgroundSet = 0;
    short peakCount = 0;
    std::array<short, kPeaksPerRegion> peakSlots{};
    short backgroundType = 0;  // see BackgroundType
    float rangeLow = 0;
    float rangeHigh = 0;
    float linearSlope = 0;
    short indexAtHigh = 0;
    short indexAtLow = 0;
    short rangeCount = 0;
    float rangeCountsHigh = 0;
    float rangeCountsLow = 0;
    float heightUnit = 0;
    float chiSquare = 0;
    PointArray rangeEnergy;
    PointArray rangeCounts;
    PointArray baseLine;
    PointArray background;
    PointArray envelope;
    PointArray residual;
    float endAverageLast = 0;
    float endAverageFirst = 0;
    short averagePoints = 0;
    float backgroundParam = 0;
    float shift = 0;
    // Not one of the fixed records: the project file keeps it in its extension section.  The unit of
    // the intensities as the imported file names it (see workspace/intensity_unit.h); empty when the
    // file does not say.
    std::string intensityUnit;
    // Not fixed records either, kept in the extension section.  The element and core level the region
    // measures, as the text quant/core_level reads ("Ti 2p3/2", "O 1s"); empty when not known.
    std::string coreLevel;
    // The excitation energy (eV) the imported file records; nothing when it records none.
    std::optional<double> sourceEnergy;
    // The sensitivity factor the user gave instead of the computed one; nothing when it is computed.
    std::optional<double> sensitivityOverride;
    // What the imported file says of the acquisition; kept in the extension section.
    Acquisition acquisition;

    friend bool operator==(const Region&, const Region&) = default;
};

enum class PeakType : short { Singlet = 1, P = 2, D = 3, F = 4 };

struct Peak {
    short defined = 0;
    Text20 label;
    short type = 0;  // see PeakType; 0 after the workspace reset
    float splitting = 0;
    float position = 0;
    float area = 0;
    float height = 0;
    float fwhm = 0;
    short gl = 0;  // %GL, 0 Gaussian .. 100 Lorentzian
    short fixPosition = 0;
    short fixFwhm = 0;
    short fixArea = 0;
    short fixGl = 0;
    short region = 0;
    PointArray curve;  // the peak plus the background at each range point
    float ts = 0;
    float tl = 0;

    friend bool operator==(const Peak&, const Peak&) = default;
};

enum class ConstraintOp : short { Add = 0, Subtract = 1, Multiply = 2, Divide = 3 };

struct ParamConstraint {
    short linked = 0;
    short refPeak = 0;
    short isReference = 0;
    short tiedPeak = 0;
    short op = 0;  // see ConstraintOp
    float operand = 0;
    short limited = 0;
    float low = 0;
    float high = 0;

    friend bool operator==(const ParamConstraint&, const ParamConstraint&) = default;
};

// The four parameters that constraints and the optimisers act on, in stored order.
enum class PeakParam { Position = 0, Area = 1, Fwhm = 2, Gl = 3 };
inline constexpr std::array<PeakParam, 4> kPeakParams = {PeakParam::Position, PeakParam::Area,
                                                         PeakParam::Fwhm, PeakParam::Gl};

// Drops the relation with another peak; the limits stay.
void unlinkConstraint(ParamConstraint& constraint);

struct PeakConstraints {
    ParamConstraint position;
    ParamConstraint area;
    ParamConstraint fwhm;
    ParamConstraint gl;

    ParamConstraint& of(PeakParam param);
    const ParamConstraint& of(PeakParam param) const;

    friend bool operator==(const PeakConstraints&, const PeakConstraints&) = default;
};

struct SearchLevel {
    short use = 0;
    float range = 0;
    float step = 0;

    friend bool operator==(const SearchLevel&, const SearchLevel&) = default;
};

struct NewtonLevel {
    short use = 0;
    float delta = 0;

    friend bool operator==(const NewtonLevel&, const NewtonLevel&) = default;
};

// Levels 1..4 are held at indexes 0..3.
using SearchLevels = std::array<SearchLevel, kLevelCount>;
using NewtonLevels = std::array<NewtonLevel, kLevelCount>;

// The methodFlag that chooses Levenberg-Marquardt for every fitting command.  Older versions, which
// know 0 and 1 only, fit with Newton's method for any flag but 0.
inline constexpr float kLeastSquaresMethodFlag = 2.0f;

struct FitOptions {
    float methodFlag = 0;  // 0 the search method, 1 Newton's method, 2 Levenberg-Marquardt
    short searchTrials = 0;
    short newtonTrials = 0;
    float tolerance = 0;  // a fraction; shown in percent
    SearchLevels searchPosition{};
    SearchLevels searchArea{};
    SearchLevels searchFwhm{};
    NewtonLevels newtonPosition{};
    NewtonLevels newtonArea{};
    NewtonLevels newtonFwhm{};
    short glSum = 0;  // true: Gaussian-Lorentzian sum form; false: product form

    friend bool operator==(const FitOptions&, const FitOptions&) = default;
};

// The parameters of one peak as the line shape sees them; the position includes the region's shift.
struct PeakShape {
    float position = 0;
    float area = 0;
    float fwhm = 0;
    short gl = 0;
    float splitting = 0;
    short type = 0;
    float ts = 0;
    float tl = 0;

    friend bool operator==(const PeakShape&, const PeakShape&) = default;
};

// What a peak's curve was last computed from.
struct CurveKey {
    PeakShape shape;
    short glSum = 0;

    friend bool operator==(const CurveKey&, const CurveKey&) = default;
};

// Inside a fitting run nothing but the optimisers changes peaks, and the fit ranges and backgrounds
// stay as they are: a curve already computed for a peak's present parameters need not be computed
// again.  Outside a run the memo is off and every curve is always recomputed.
struct CurveMemo {
    bool active = false;
    std::array<std::optional<CurveKey>, kPeakCount> keys{};
};

// What the last fit of a region concluded: converged, still lowering the statistic when its
// iterations ran out, or ended by "Stop Fitting" before its end.
enum class FitVerdict { Unknown, Converged, StillImproving, Stopped };

// Why a peak's fitted values are not to be trusted as they stand.
enum class FitFlagCause : short {
    NarrowerThanStep = 0,   // FWHM below the spacing of the fit range's energies
    NarrowerThanLimit = 1,  // FWHM below the instrument's limit the user set
    AtLimit = 2,            // a parameter on a limit the user gave it
    AtBound = 3,            // position or FWHM on the bound that keeps the peak physical
    OutsideRange = 4,       // no component of the peak lies within the fit range
    AreaAtFloor = 5,        // the area on its floor: the data hold nothing for the peak
    NotDetermined = 6,      // position or FWHM not determined by the data
    GlChanged = 7,          // %GL still moved in the last of the rounds that settle it
    MovedFar = 8,           // ended further from where the user placed it than its width
};
inline constexpr short kLastFitFlagCause = 8;

struct FitFlag {
    short peak = 0;
    FitFlagCause cause = FitFlagCause::NarrowerThanStep;
    PeakParam param = PeakParam::Position;  // which parameter, for AtLimit, AtBound and NotDetermined

    friend bool operator==(const FitFlag&, const FitFlag&) = default;
};

// How often a fit started a flagged peak afresh to get it out of where it was caught.
struct PeakRestarts {
    short peak = 0;
    short restarts = 0;

    friend bool operator==(const PeakRestarts&, const PeakRestarts&) = default;
};

// A region's verdict with the model it was reached on (see fit/verdict.h): it holds only while the
// region's peaks, their ties and its background stay as the fit left them.
struct RegionVerdict {
    FitVerdict verdict = FitVerdict::Unknown;
    std::vector<FitFlag> flags;          // in the order of the region's slots
    std::vector<PeakRestarts> restarts;  // what the fit did about flagged peaks
    std::vector<float> model;

    friend bool operator==(const RegionVerdict&, const RegionVerdict&) = default;
};

// Which amount of a region enters the quantification: the sum of its peak areas when it has peaks
// (Auto), always the peaks' sum, or always the background-subtracted area over the fit range.
enum class QuantArea : short { Auto = 0, Peaks = 1, Background = 2 };

// How regions are made into atomic concentrations; kept in the project's extension section.
struct QuantSettings {
    double sourceEnergy = 1486.6;       // eV, Al K-alpha; used where the file records none
    double imfpExponent = 0.6;          // the inelastic mean free path grows as KE^m
    double transmissionExponent = 0.0;  // the analyser's transmission falls as KE^-n
    QuantArea area = QuantArea::Auto;

    friend bool operator==(const QuantSettings&, const QuantSettings&) = default;
};

// The whole state of the program; one instance lives for the whole run.
struct Workspace {
    std::array<Region, kRegionCount> regions;
    short currentRegion = 0;
    std::array<Peak, kPeakCount> peaks;
    std::array<Peak, kPeakCount> peakBackup;  // taken when the peak dialog opens a peak
    std::array<PeakConstraints, kPeakCount> constraints;
    short currentPeak = 0;
    Peak scratchPeak;  // the search method's working peak
    short peakTotal = 0;
    float totalChiSquare = 0;
    float areaScrollUnit = 1;  // never 0
    std::string fileName;
    std::string description;  // at most 128 characters are stored
    FitOptions options;
    QuantSettings quantSettings;
    // The narrowest line the instrument gives (eV), which no fitted FWHM goes below; nothing when the
    // user has set none, and the spacing of the data bounds a width instead.  Kept in the project's
    // extension section.
    std::optional<double> instrumentFwhm;
    short stopRequested = 0;
    short acceptingBackground = 0;
    // How many fit statistics (of one peak against the others, or of a region) have been computed:
    // the measure of an optimiser's work.  Not stored.
    std::uint64_t statisticEvaluations = 0;
    CurveMemo curveMemo;
    // The verdict of each region's last fit; a project keeps it in its extension section while it
    // holds.
    std::array<RegionVerdict, kRegionCount> fitVerdicts{};
    // The fitting loops end at a trial that left everything it works on exactly as it found it, since
    // every later trial would repeat it.  Off only to compare with loops that run all their trials.
    bool endRepeatedTrials = true;
};

inline constexpr std::size_t kDescriptionLength = 128;

// The position, area or FWHM of a peak (the real-valued parameters; %GL is the 16-bit `gl`).
float& realParameter(Peak& peak, PeakParam param);
float realParameter(const Peak& peak, PeakParam param);

// Whether the peak's fix flag keeps the optimisers off the parameter (a checked box, any non-zero flag).
bool isFixed(const Peak& peak, PeakParam param);

// The lowest entry of the peak table that holds no peak, or -1 when every entry does.
int lowestFreePeak(const Workspace& workspace);

// The region's verdict is forgotten: its data, model or file changed outside a fit.
void forgetFitVerdict(Workspace& workspace, int region);

// The current region; an out-of-table index throws std::out_of_range instead of reaching past the table.
Region& currentRegionOf(Workspace& workspace);
const Region& currentRegionOf(const Workspace& workspace);

}  // namespace vortlan
