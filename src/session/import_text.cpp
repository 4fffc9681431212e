#include "session/import_text.h"

#include <string>

#include "io/imported_spectrum.h"
#include "io/text_spectrum_files.h"
#include "session/imports.h"
#include "session/region_operations.h"
#include "workspace/limits.h"

namespace vortlan {

namespace {

// Far more than any spectrum needs; a larger file is not one and is not read.
constexpr std::size_t kLargestFile = std::size_t{64} << 20;
constexpr std::string_view kReadError = "Error Reading File";

void emptyCurrentRegion(Session& session) {
    if (isTrue(currentRegionOf(session.workspace).defined)) deleteRegion(session);
}

// A slot before its points are stored: emptied, the region's description shown, its count checked.
void beginRegion(Session& session, const TextRegion& region) {
    emptyCurrentRegion(session);
    if (region.description) showDescription(session, *region.description);
    if (region.announcedPoints && *region.announcedPoints > kMaxPoints) reportPointLimit(session);
}

// On to the next slot; false, after "Too many regions", when that is the slot the import started in.
bool advanceSlot(Session& session, short start) {
    Workspace& ws = session.workspace;
    ws.currentRegion = static_cast<short>((ws.currentRegion + 1) % kRegionCount);
    if (ws.currentRegion != start) return true;
    session.port.message("Too many regions");
    return false;
}

bool importRegions(Session& session, const MultiRegionText& file) {
    Workspace& ws = session.workspace;
    const short start = ws.currentRegion;
    bool wrapped = false;
    for (const TextRegion& region : file.regions) {
        beginRegion(session, region);
        storeSpectrum(ws, ws.currentRegion, region.spectrum);
        nameCoreLevel(currentRegionOf(ws));
        wrapped = !advanceSlot(session, start);
        if (wrapped) break;
    }
    // A file that holds no region at all is as useless as a damaged one, and the user is told so.
    if (!wrapped && (file.failed || file.regions.empty())) {
        if (file.unfinished) beginRegion(session, *file.unfinished);
        session.port.message(kReadError);
        return false;
    }
    // Ten regions read and "Too many regions" said: those ten are the import's result.
    ws.currentRegion = start;
    finishImport(session);
    return true;
}

}  // namespace

bool importLeybold(Session& session) {
    clearParameters(session);
    const auto text = readWholeFile(session.workspace.fileName, kLargestFile);
    if (!text) {
        session.port.message(kReadError);
        return false;
    }
    const MultiRegionText file = readLeyboldText(*text);
    if (file.description) showDescription(session, *file.description);
    return importRegions(session, file);
}

bool importPhi(Session& session) {
    const auto text = readWholeFile(session.workspace.fileName, kLargestFile);
    if (!text) {
        session.port.message(kReadError);
        return false;
    }
    return importRegions(session, readPhiText(*text));
}

bool importAscii(Session& session) {
    emptyCurrentRegion(session);
    const auto text = readWholeFile(session.workspace.fileName, kLargestFile);
    if (!text) {
        session.port.message(kReadError);
        return false;
    }
    currentRegionOf(session.workspace).caption.assign("");
    const AsciiText file = readAsciiText(*text);
    if (file.reachedLimit)
        session.port.message("Only " + std::to_string(kMaxPoints) + " points have been read");
    if (file.failed || file.spectrum.energy.empty()) {
        session.port.message(kReadError);
        return false;
    }
    clearParameters(session);
    storeSpectrum(session.workspace, session.workspace.currentRegion, file.spectrum);
    showCurrentRegion(session);
    paintRegionButtons(session);
    return true;
}

}  // namespace vortlan
