#include "session/background_dialog.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "base/checked_math.h"
#include "base/number_reading.h"
#include "base/number_text.h"
#include "model/backgrounds.h"
#include "model/net_area.h"
#include "model/region_curves.h"
#include "session/refusal_note.h"
#include "session/region_operations.h"

namespace vortlan {

namespace {

constexpr std::string_view kNoAveraging = "None";
constexpr std::array<std::pair<std::string_view, short>, 5> kAveragingTexts = {
    {{kNoAveraging, 1}, {"3", 3}, {"5", 5}, {"7", 7}, {"9", 9}}};
// Indexed by BackgroundType.
constexpr std::array<std::string_view, 3> kBackgroundTexts = {"Shirley", "Linear", "Tougaard"};

constexpr std::string_view kDefaultSlopeText = "0";
constexpr std::string_view kNoAreaText = "-----";
constexpr std::string_view kDefaultB1Text = "3000";

constexpr int kSmoothingHalfWidth = 4;  // the above test smooths the data over nine points
constexpr int kShirleyMinRange = 2 * kSmoothingHalfWidth + 2;
constexpr int kMaxDoublings = 20;
constexpr int kBisectionSteps = 21;
constexpr int kHeadPoints = 10;  // the B1 search fits the background to the range's first ten points
constexpr int kB1GridHalfWidth = 9;
constexpr std::array<double, 3> kB1GridSteps = {1.0 / 10, 1.0 / 100, 1.0 / 1000};

// Keeps the flag that makes recomputeRegion keep areas from outliving an accept that met a fault.
class AcceptingBackground {
  public:
    explicit AcceptingBackground(Workspace& workspace) : workspace_(workspace) {
        workspace_.acceptingBackground = kTrue;
    }
    ~AcceptingBackground() { workspace_.acceptingBackground = kFalse; }
    AcceptingBackground(const AcceptingBackground&) = delete;
    AcceptingBackground& operator=(const AcceptingBackground&) = delete;

  private:
    Workspace& workspace_;
};

// The busy pointer and disabled windows must never outlast the command, whatever ends it.
class BusyScope {
  public:
    explicit BusyScope(Session& session) : session_(session) { beginBusy(session_); }
    ~BusyScope() { endBusy(session_); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    Session& session_;
};

void redraw(Port& port) {
    port.drawSpectrum(SpectrumDrawing::RegionFrame);
    port.drawSpectrum(SpectrumDrawing::FittedCurves);
}

// The box is corrected, the beep sounds and the dialog says what was refused and why.
void refuse(Session& session, std::string& box, std::string_view correction, std::string_view why) {
    box = correction;
    noteRefusal(session.dialogs.background.RefusalNote, why);
    session.port.beep();
}

// Each command of the dialog starts with nothing refused.
void clearRefusal(Session& session) {
    session.dialogs.background.RefusalNote.clear();
}

// A refused command that changes no box.
void refuseCommand(Session& session, std::string_view why) {
    noteRefusal(session.dialogs.background.RefusalNote, why);
    session.port.beep();
}

std::string_view averagingText(short points) {
    for (const auto& [text, n] : kAveragingTexts) {
        if (n == points) return text;
    }
    return kNoAveraging;
}

std::optional<short> averagingOf(std::string_view text) {
    for (const auto& [listed, n] : kAveragingTexts) {
        if (listed == text) return n;
    }
    return std::nullopt;
}

std::optional<BackgroundType> backgroundTypeOf(std::string_view text) {
    for (std::size_t t = 0; t < kBackgroundTexts.size(); ++t) {
        if (kBackgroundTexts[t] == text) return static_cast<BackgroundType>(t);
    }
    return std::nullopt;
}

// The typed number as the single it is stored in; the reading that tests the text for zero is the one
// that stores it, so "12abc" counts as 12 in both.
float parameterOf(const std::string& text) {
    return static_cast<float>(leadingNumber(text));
}

// A number beyond the range of a single cannot be stored; it is put back to the default like a zero,
// and the beep tells the user the typed value was not taken.
void defaultParameterText(Session& session, std::string& box, std::string_view name,
                          std::string_view defaultText) {
    const double value = leadingNumber(box);
    if (value == 0.0) {
        box = defaultText;
    } else if (!fitsSingle(value)) {
        refuse(session, box, defaultText,
               std::string(name) + " too large to store: set to " + std::string(defaultText));
    }
}

enum class ParameterBoxes { Read, Ignored };

// Checks the limits, the averaging and the type, storing each as it passes; a refusal corrects its box
// and beeps.  The averaging stays stored when the type is refused after it.
bool checkAndStoreSettings(Session& session, Region& r, ParameterBoxes parameters) {
    BackgroundDialog& d = session.dialogs.background;
    const double low = leadingNumber(d.LBE);
    const double high = leadingNumber(d.HBE);
    // A limit beyond the range of a single lies outside the data whichever its sign.
    if (!fitsSingle(low) || static_cast<float>(low) < r.beLow) {
        const std::string lowest = exactNumberText(r.beLow);
        refuse(session, d.LBE, lowest, "Low BE outside the data: set to its lowest BE, " + lowest);
        return false;
    }
    if (!fitsSingle(high) || static_cast<float>(high) > r.beHigh) {
        const std::string highest = exactNumberText(r.beHigh);
        refuse(session, d.HBE, highest, "High BE outside the data: set to its highest BE, " + highest);
        return false;
    }
    if (low >= high) {
        d.LBE = exactNumberText(r.beLow);
        refuse(session, d.HBE, exactNumberText(r.beHigh),
               "Low BE not below High BE: both set to the data's ends");
        return false;
    }
    const std::optional<short> averaging = averagingOf(d.AverPt);
    if (!averaging) {
        refuse(session, d.AverPt, kNoAveraging, "Ave. Pts must be None, 3, 5, 7 or 9: set to None");
        return false;
    }
    r.averagePoints = *averaging;
    if (parameters == ParameterBoxes::Read) {
        defaultParameterText(session, d.ShirleySlope, "Slope", kDefaultSlopeText);
        defaultParameterText(session, d.TouB1, "B1", kDefaultB1Text);
    }
    const std::optional<BackgroundType> type = backgroundTypeOf(d.BG);
    if (!type) {
        refuse(session, d.BG, kBackgroundTexts[0],
               "Background Type must be Shirley, Linear or Tougaard: set to Shirley");
        return false;
    }
    r.backgroundType = static_cast<short>(*type);
    if (parameters == ParameterBoxes::Read) {
        if (*type == BackgroundType::Shirley) r.backgroundParam = parameterOf(d.ShirleySlope);
        if (*type == BackgroundType::Tougaard) r.backgroundParam = parameterOf(d.TouB1);
    }
    r.rangeLow = static_cast<float>(low);
    r.rangeHigh = static_cast<float>(high);
    return true;
}

// Throws ComputationFault when the recomputation faults; the region's backgroundSet is then as it was.
bool acceptSettings(Session& session, Region& r) {
    if (!checkAndStoreSettings(session, r, ParameterBoxes::Read)) return false;
    const AcceptingBackground accepting(session.workspace);
    recomputeRegion(session.workspace, session.port);
    session.dialogs.background.Area = shortNumberText(backgroundArea(r));
    r.backgroundSet = kTrue;
    showTotalChiSquare(session);
    showCurrentRegion(session);
    return true;
}

bool rangeHeld(const Region& r) {
    const int n = r.rangeCount;
    return n >= 1 && r.rangeCounts.holds(n) && r.background.holds(n);
}

// Whether the background rises above the nine-point mean of the data anywhere at least five points
// from the range's ends.
bool backgroundAboveData(const Region& r) {
    if (!rangeHeld(r)) return false;
    for (int i = kSmoothingHalfWidth + 1; i <= r.rangeCount - kSmoothingHalfWidth - 1; ++i) {
        float sum = 0.0f;
        for (int j = i - kSmoothingHalfWidth; j <= i + kSmoothingHalfWidth; ++j) sum += r.rangeCounts[j];
        const float mean = sum / static_cast<float>(2 * kSmoothingHalfWidth + 1);
        if (r.background[i] > mean) return true;
    }
    return false;
}

// The box shows every slope tried, so the user sees the search move.
void tryShirleySlope(Session& session, Region& r, float slope) {
    r.backgroundParam = slope;
    session.dialogs.background.ShirleySlope = exactNumberText(slope);
    computeShirleyBackground(r);
    redraw(session.port);
    session.port.yield();
}

// What the Shirley search changes, kept so that a refused search can put it back.
struct ShirleyState {
    float slope;
    std::string slopeText;
    PointArray background;
};

void restoreShirleyState(Session& session, Region& r, const ShirleyState& state) {
    r.backgroundParam = state.slope;
    r.background = state.background;
    session.dialogs.background.ShirleySlope = state.slopeText;
    redraw(session.port);
    refuseCommand(session, "No slope keeps the background below the data: put back to " + state.slopeText);
}

bool searchShirleySlope(Session& session, Region& r) {
    BackgroundDialog& d = session.dialogs.background;
    const ShirleyState before{r.backgroundParam, d.ShirleySlope, r.background};
    const double typed = leadingNumber(d.ShirleySlope);
    float slope = 0.0f;
    if (fitsSingle(typed)) {
        slope = static_cast<float>(typed);
    } else {
        refuse(session, d.ShirleySlope, kDefaultSlopeText, "Slope too large to store: searched from 0");
    }
    r.backgroundParam = slope;
    if (slope == 0.0f) slope = 1.0f;

    int doublings = 0;
    bool above = true;
    // A slope so large that doubling it leaves the range of a single ends the doubling.
    while (doublings < kMaxDoublings && above && fitsSingle(2.0 * slope)) {
        slope *= 2.0f;
        ++doublings;
        tryShirleySlope(session, r, slope);
        above = backgroundAboveData(r);
    }
    if (above) {
        restoreShirleyState(session, r, before);
        return false;
    }
    float low = slope / 2.0f;
    float high = slope;
    for (int step = 0; step < kBisectionSteps; ++step) {
        const float mid = static_cast<float>((static_cast<double>(low) + high) / 2.0);
        tryShirleySlope(session, r, mid);
        if (backgroundAboveData(r)) {
            low = mid;
        } else {
            high = mid;
        }
    }
    redraw(session.port);
    return true;
}

// The search's measure of fit: the data against the background over the head of the range.
double headError(const Region& r) {
    double sum = 0.0;
    for (int i = 1; i <= kHeadPoints; ++i) {
        const double difference = static_cast<double>(r.rangeCounts[i]) - r.background[i];
        sum += difference * difference;
    }
    return sum;
}

void headBackground(const BackgroundDialog& d, Region& r) {
    const std::optional<float> b1 = toSingle(leadingNumber(d.TouB1));
    if (!b1) throw ComputationFault(FaultKind::Overflow);
    computeTougaardBackground(r, *b1, kHeadPoints);
}

// Throws ComputationFault; false when the accept was refused.
bool searchTougaardB1(Session& session, Region& r) {
    if (r.backgroundType != static_cast<short>(BackgroundType::Tougaard)) return true;
    if (!acceptSettings(session, r)) return false;
    // The accept takes its type from the BG box; a B1 stored into another type would become its slope.
    if (r.backgroundType != static_cast<short>(BackgroundType::Tougaard)) return true;
    // The head error reads ten range points; a shorter range keeps the accepted B1.
    if (r.rangeCount < kHeadPoints) return true;

    BackgroundDialog& d = session.dialogs.background;
    float best = r.backgroundParam;
    double bestError = headError(r);
    for (const double step : kB1GridSteps) {
        const double base = best;
        for (int k = -kB1GridHalfWidth; k <= kB1GridHalfWidth; ++k) {
            const std::optional<float> b1 = toSingle((k * step + 1.0) * base);
            if (!b1) continue;  // beyond the range of a single: no B1 to try
            d.TouB1 = exactNumberText(*b1);
            session.port.yield();
            headBackground(d, r);
            const double error = headError(r);
            if (error < bestError) {
                bestError = error;
                best = *b1;
            }
        }
    }
    d.TouB1 = exactNumberText(best);
    r.backgroundParam = best;
    computeTougaardBackground(r);
    redraw(session.port);
    return true;
}

}  // namespace

void openBackgroundDialog(Session& session) {
    clearRefusal(session);
    const Region& r = currentRegionOf(session.workspace);
    if (!isTrue(r.defined)) return;
    BackgroundDialog& d = session.dialogs.background;
    session.port.showWindow(Window::Background);
    d.caption = "Region " + std::to_string(session.workspace.currentRegion + 1);
    showBackgroundArea(session);
    if (!isTrue(r.backgroundSet)) {
        d.LBE = exactNumberText(r.beLow);
        d.HBE = exactNumberText(r.beHigh);
        d.AverPt = kNoAveraging;
        d.BG = kBackgroundTexts[0];
        return;
    }
    d.LBE = exactNumberText(r.rangeLow);
    d.HBE = exactNumberText(r.rangeHigh);
    d.AverPt = averagingText(r.averagePoints);
    switch (static_cast<BackgroundType>(r.backgroundType)) {
        case BackgroundType::Shirley:
            d.ShirleySlope = exactNumberText(r.backgroundParam);
            break;
        case BackgroundType::Tougaard:
            d.TouB1 = exactNumberText(r.backgroundParam);
            break;
        case BackgroundType::Linear:
            break;
        default:
            return;  // an unknown type has no text to show
    }
    d.BG = kBackgroundTexts[static_cast<std::size_t>(r.backgroundType)];
}

void showBackgroundArea(Session& session) {
    const Region& r = currentRegionOf(session.workspace);
    std::string& area = session.dialogs.background.Area;
    area = kNoAreaText;
    if (!isTrue(r.defined) || !isTrue(r.backgroundSet) || !rangeHeld(r)) return;
    try {
        area = shortNumberText(backgroundArea(r));
    } catch (const ComputationFault&) {
        // An area beyond the range of a single has no number to show; the box says so as it does
        // before an accept.
    }
}

void closeBackgroundDialog(Session& session) {
    session.port.hideWindow(Window::Background);
}

bool acceptBackground(Session& session) {
    clearRefusal(session);
    Region& r = currentRegionOf(session.workspace);
    // The dialog belongs to a region holding data; an empty slot's limits and arrays mean nothing.
    if (!isTrue(r.defined)) return false;
    try {
        return acceptSettings(session, r);
    } catch (const ComputationFault& fault) {
        session.port.message(fault.what());
        return false;
    }
}

bool optimiseShirleySlope(Session& session) {
    clearRefusal(session);
    Region& r = currentRegionOf(session.workspace);
    if (!isTrue(r.defined)) return true;
    // The slope is stored in backgroundParam, which any other type reads as its own parameter.
    if (r.backgroundType != static_cast<short>(BackgroundType::Shirley)) {
        refuseCommand(session, "Slope not optimised: the accepted background is not Shirley");
        return false;
    }
    if (r.rangeCount < kShirleyMinRange || !backgroundAboveData(r)) return true;
    try {
        return searchShirleySlope(session, r);
    } catch (const ComputationFault& fault) {
        session.port.message(fault.what());
        return false;
    }
}

bool optimiseTougaardB1(Session& session) {
    clearRefusal(session);
    Region& r = currentRegionOf(session.workspace);
    if (!isTrue(r.defined)) return false;
    try {
        return searchTougaardB1(session, r);
    } catch (const ComputationFault& fault) {
        session.port.message(fault.what());
        return false;
    }
}

void tougaardHeadBackground(Session& session) {
    headBackground(session.dialogs.background, currentRegionOf(session.workspace));
}

void optimiseTougaard(Session& session) {
    clearRefusal(session);
    Region& r = currentRegionOf(session.workspace);
    if (!isTrue(r.defined)) return;
    const BusyScope busy(session);
    if (session.dialogs.background.BG !=
        kBackgroundTexts[static_cast<std::size_t>(BackgroundType::Tougaard)]) {
        refuseCommand(session, "B1 not optimised: the Background Type is not Tougaard");
        return;
    }
    try {
        if (!checkAndStoreSettings(session, r, ParameterBoxes::Ignored)) return;
        // Unlike an accept, the optimisation keeps every peak's height as a share of the region's
        // intensity range, so areas follow the height unit of the background found.
        recomputeRegion(session.workspace, session.port);
        r.backgroundSet = kTrue;
        if (!searchTougaardB1(session, r)) return;
        recomputeRegion(session.workspace, session.port);
        session.dialogs.background.Area = shortNumberText(backgroundArea(r));
        showCurrentRegion(session);
    } catch (const ComputationFault& fault) {
        session.port.message(fault.what());
    }
}

}  // namespace vortlan
