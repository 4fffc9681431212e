#include "session/region_parameters.h"

#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "base/checked_math.h"
#include "io/file_replace.h"
#include "io/region_parameter_file.h"
#include "model/region_curves.h"
#include "session/region_operations.h"
#include "workspace/resize.h"

namespace vortlan {

namespace {

constexpr std::string_view kReadError = "Error in reading file";

// Why the stored model cannot be applied to the region, or nothing when it can.
std::optional<std::string_view> refusal(const Region& r, const RegionParameterHeader& header) {
    // An empty slot has no spectrum to carry the model, and its peaks would belong to no region.
    if (!isTrue(r.defined) || header.rangeCount > r.pointCount) return "Incompatible region";
    // Negated so that a stored limit that is not a number is refused as well.
    if (!(header.rangeHigh <= r.beHigh) || !(header.rangeLow >= r.beLow))
        return "Binding energy out-of-range";
    return std::nullopt;
}

void applyHeader(Region& r, const RegionParameterHeader& header) {
    r.peakCount = header.peakCount;
    r.rangeCount = header.rangeCount;
    r.backgroundSet = header.backgroundSet;
    r.backgroundType = header.backgroundType;
    r.rangeHigh = header.rangeHigh;
    r.rangeLow = header.rangeLow;
}

// Links name peaks of the region the file came from; only the limits make sense here.
void clearLinks(PeakConstraints& constraints) {
    for (PeakParam param : kPeakParams) {
        constraints.of(param).linked = kFalse;
        constraints.of(param).isReference = kFalse;
    }
}

enum class Placing { Complete, TableFull };

// Reads the next entry into the lowest free peak and lists it in the region's next slot.  An entry
// that cannot be read leaves the peak free and its button blank.
Placing placeNextPeak(Session& session, BinaryReader& in, PeakLayout layout, int slot) {
    Workspace& ws = session.workspace;
    const int region = ws.currentRegion;
    Region& r = ws.regions[region];
    const int i = lowestFreePeak(ws);
    if (i < 0) return Placing::TableFull;

    const int button = peakButtonIndex(region, slot);
    r.peakSlots[slot] = static_cast<short>(i);
    ws.currentPeak = static_cast<short>(i);
    session.port.setPeakButtonCaption(button, std::to_string(i));
    session.port.setPeakButtonEnabled(button, true);
    resizePeakCurve(ws, i, r.rangeCount);

    RegionParameterEntry entry;
    try {
        entry = readRegionParameterEntry(in, layout);
    } catch (const ReadFailure&) {
        session.port.setPeakButtonEnabled(button, false);
        session.port.setPeakButtonCaption(button, "");
        throw;
    }
    clearLinks(entry.constraints);
    ws.constraints[i] = entry.constraints;
    Peak& peak = ws.peaks[i];
    peak = std::move(entry.peak);
    peak.region = static_cast<short>(region);
    peak.defined = kTrue;
    // The curve is recomputed anyway; one stored too short for the range must not stay so.
    if (!peak.curve.holds(r.rangeCount)) resizePeakCurve(ws, i, r.rangeCount);
    return Placing::Complete;
}

// The stored peaks in file order; `placed` counts those placed, also when a read failure ends it.
Placing placePeaks(Session& session, BinaryReader& in, PeakLayout layout, int count, int& placed) {
    for (placed = 0; placed < count; ++placed) {
        if (placeNextPeak(session, in, layout, placed) == Placing::TableFull) return Placing::TableFull;
    }
    return Placing::Complete;
}

bool recomputeAndDraw(Session& session) {
    Workspace& ws = session.workspace;
    try {
        recomputeRegion(ws, session.port);
        updateRegionCurves(ws, session.port);
    } catch (const ComputationFault& fault) {
        session.port.message(fault.what());
        return false;
    }
    session.port.drawSpectrum(SpectrumDrawing::RegionFrame);
    session.port.drawSpectrum(SpectrumDrawing::FittedCurves);
    return true;
}

}  // namespace

bool saveRegionParameters(Session& session) {
    const Workspace& ws = session.workspace;
    if (replaceFile(ws.fileName, encodeRegionParameters(ws, ws.currentRegion))) return true;
    session.port.message("Error in writing file");
    return false;
}

bool loadRegionParameters(Session& session) {
    Workspace& ws = session.workspace;
    std::ifstream file(ws.fileName, std::ios::binary);
    if (!file) {
        session.port.message(kReadError);
        return false;
    }
    RegionParameterHeader header;
    try {
        header = readRegionParameterHeader(file);
    } catch (const ReadFailure&) {
        session.port.message(kReadError);
        return false;
    }
    Region& r = currentRegionOf(ws);
    if (const auto reason = refusal(r, header)) {
        session.port.message(*reason);
        return false;
    }

    clearParameters(session);
    applyHeader(r, header);
    BinaryReader in(file);
    int placed = 0;
    Placing outcome = Placing::Complete;
    try {
        outcome = placePeaks(session, in, header.layout, header.peakCount, placed);
    } catch (const ReadFailure&) {
        r.peakCount = static_cast<short>(placed);
        file.close();
        session.port.message(kReadError);
        return false;
    }
    r.peakCount = static_cast<short>(placed);
    if (outcome == Placing::TableFull) {
        session.port.beep();
        file.close();
        session.port.message("Too many peaks");
        return false;
    }
    return recomputeAndDraw(session);
}

}  // namespace vortlan
