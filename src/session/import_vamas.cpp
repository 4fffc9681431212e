#include "session/import_vamas.h"

#include <algorithm>

#include "io/imported_spectrum.h"
#include "session/imports.h"
#include "session/region_operations.h"
#include "workspace/limits.h"

namespace vortlan {

namespace {

constexpr std::size_t kLargestVamasFile = 64u << 20;
constexpr std::string_view kNoSuchBlockMessage = "No such block in the file";
constexpr std::string_view kNotXpsMessage = "Not an XPS file";

void emptyCurrentRegion(Session& session) {
    if (isTrue(session.workspace.regions[session.workspace.currentRegion].defined)) deleteRegion(session);
}

// The parsed file, or nothing after its message.  Only a file that is not VAMAS at all, or cannot be
// read, leaves the current region alone.  Blocks after one that cannot be read are missing from it.
std::optional<VamasFile> openVamas(Session& session) {
    const auto text = readWholeFile(session.workspace.fileName, kLargestVamasFile);
    if (!text) {
        session.port.message(kVamasReadErrorMessage);
        return std::nullopt;
    }
    try {
        return parseVamas(*text);
    } catch (const VamasError& e) {
        if (e.kind() == VamasError::Kind::Malformed) emptyCurrentRegion(session);
        session.port.message(e.what());
        return std::nullopt;
    }
}

// The first kMaxPoints of the block's values, in the order of the file.
void keepFirstPoints(std::vector<float>& values, bool reversed) {
    if (values.size() <= static_cast<std::size_t>(kMaxPoints)) return;
    if (reversed) {
        values.erase(values.begin(), values.end() - kMaxPoints);
    } else {
        values.resize(kMaxPoints);
    }
}

// The first 5000 points in the order of the file, turned high binding energy first.
ImportedSpectrum keptPoints(Session& session, const VamasBlock& block) {
    ImportedSpectrum spectrum{block.transition, block.energy, block.counts, block.intensityUnit,
                              block.acquisition};
    if (spectrum.energy.size() > static_cast<std::size_t>(kMaxPoints)) reportPointLimit(session);
    for (std::vector<float>* values :
         {&spectrum.energy, &spectrum.counts, &spectrum.acquisition.transmission})
        keepFirstPoints(*values, block.reversed);
    return spectrum;
}

bool storeBlock(Session& session, const VamasBlock& block) {
    if (block.energy.empty()) {
        session.port.message(kVamasReadErrorMessage);
        return false;
    }
    Workspace& ws = session.workspace;
    storeSpectrum(ws, ws.currentRegion, keptPoints(session, block));
    Region& r = currentRegionOf(ws);
    if (block.sourceEnergy > 0.0) r.sourceEnergy = block.sourceEnergy;
    nameCoreLevel(r, block.species, block.transition);
    finishImport(session);
    return true;
}

}  // namespace

bool importVamas(Session& session) {
    const auto file = openVamas(session);
    if (!file) return false;
    emptyCurrentRegion(session);
    const auto xps =
        std::find_if(file->blocks.begin(), file->blocks.end(), [](const VamasBlock& b) { return b.isXps(); });
    if (xps == file->blocks.end()) {
        // The XPS block may be among those that could not be read.
        session.port.message(file->damaged ? kVamasReadErrorMessage : kNotXpsMessage);
        return false;
    }
    return storeBlock(session, *xps);
}

bool importVamasBlock(Session& session, int block) {
    const auto file = openVamas(session);
    if (!file) return false;
    if (block < 0 || block >= static_cast<int>(file->blocks.size())) {
        session.port.message(kNoSuchBlockMessage);
        return false;
    }
    return importReadVamasBlock(session, file->blocks[static_cast<std::size_t>(block)]);
}

bool importReadVamasBlock(Session& session, const VamasBlock& block) {
    emptyCurrentRegion(session);
    return storeBlock(session, block);
}

std::optional<std::vector<VamasBlockSummary>> listVamasBlocks(const std::string& path) {
    const auto text = readWholeFile(path, kLargestVamasFile);
    if (!text) return std::nullopt;
    try {
        return summarizeBlocks(parseVamas(*text));
    } catch (const VamasError&) {
        return std::nullopt;
    }
}

}  // namespace vortlan
