#include "session/import_kratos.h"

#include <optional>
#include <string>

#include "base/checked_math.h"
#include "io/imported_spectrum.h"
#include "io/kratos_file.h"
#include "model/region_curves.h"
#include "session/imports.h"
#include "session/region_operations.h"
#include "workspace/limits.h"

namespace vortlan {

namespace {

// The file is held whole while it is scanned; anything larger is not an export of a spectrum.
constexpr std::size_t kLargestFile = std::size_t{64} << 20;
constexpr std::string_view kReadError = "Error in reading file";
constexpr std::string_view kTooManyPeaks = "Too many peaks";

int freePeakEntries(const Workspace& ws) {
    int free = 0;
    for (const Peak& p : ws.peaks) free += isTrue(p.defined) ? 0 : 1;
    return free;
}

// Why the file cannot be imported, or nothing.
std::optional<std::string_view> refusal(const Workspace& ws, const KratosFile& file) {
    switch (file.fault) {
        case KratosFault::Malformed:
            return kReadError;
        case KratosFault::TooManyComponents:
            return kTooManyPeaks;
        case KratosFault::None:
            break;
    }
    if (file.region && static_cast<int>(file.region->components.size()) > freePeakEntries(ws))
        return kTooManyPeaks;
    return std::nullopt;
}

void applyRegionSettings(Region& r, const KratosRegion& region) {
    r.sourceNumber = region.sourceNumber;
    r.caption.assign(region.caption);
    r.rangeLow = region.rangeLow;
    r.rangeHigh = region.rangeHigh;
    r.backgroundType = region.backgroundType;
    r.peakCount = static_cast<short>(region.components.size());
    r.backgroundSet = storedFlag(r.peakCount != 0);
}

// Each component takes the lowest free peak entry above the previous one's.
void placeComponents(Session& session, const std::vector<KratosComponent>& components) {
    Workspace& ws = session.workspace;
    const int region = ws.currentRegion;
    Region& r = ws.regions[region];
    int entry = 0;
    for (std::size_t k = 0; k < components.size(); ++k) {
        while (isTrue(ws.peaks[entry].defined)) ++entry;
        const int button = peakButtonIndex(region, static_cast<int>(k));
        r.peakSlots[k] = static_cast<short>(entry);
        ws.peaks[entry].defined = kTrue;
        session.port.setPeakButtonCaption(button, std::to_string(entry));
        session.port.setPeakButtonEnabled(button, true);
    }
    for (std::size_t k = 0; k < components.size(); ++k) {
        const KratosComponent& c = components[k];
        Peak& p = ws.peaks[r.peakSlots[k]];
        p.label.assign(c.label);
        p.gl = c.gl;
        p.position = c.position;
        p.height = c.height;
        p.fwhm = c.fwhm;
        p.type = static_cast<short>(PeakType::Singlet);
        p.splitting = 0.0f;
        p.region = static_cast<short>(region);
        p.fixPosition = 0;
        p.fixFwhm = 0;
        p.fixArea = 0;
        p.fixGl = 1;
        p.ts = 0.0f;
        p.tl = 1.0f;
    }
    ws.peakTotal = static_cast<short>(ws.peakTotal + components.size());
}

// The fitted region as the file left it: with the background recomputed over its range, the areas
// follow from the file's heights.  False, after the message, when the region's numbers fault.
bool setUpFittedRegion(Session& session) {
    try {
        recomputeRegion(session.workspace, session.port);
    } catch (const ComputationFault& fault) {
        session.port.message(fault.what());
        return false;
    }
    return true;
}

}  // namespace

bool importKratos(Session& session) {
    Workspace& ws = session.workspace;
    const auto text = readWholeFile(ws.fileName, kLargestFile);
    if (!text) {
        session.port.message(kReadError);
        return false;
    }
    deleteRegion(session);
    const KratosFile file = readKratosFile(*text);
    if (file.announcedPoints && *file.announcedPoints > kMaxPoints) reportPointLimit(session);
    if (file.comment && ws.description.empty()) showDescription(session, *file.comment);
    if (const auto reason = refusal(ws, file)) {
        session.port.message(*reason);
        return false;
    }

    storeSpectrum(ws, ws.currentRegion, file.spectrum);
    Region& r = currentRegionOf(ws);
    nameCoreLevel(r);
    if (file.region) {
        applyRegionSettings(r, *file.region);
        placeComponents(session, file.region->components);
    }
    if (isTrue(r.backgroundSet) && !setUpFittedRegion(session)) {
        deleteRegion(session);
        return false;
    }
    r.defined = kTrue;
    showCurrentRegion(session);
    paintRegionButtons(session);
    return true;
}

}  // namespace vortlan
