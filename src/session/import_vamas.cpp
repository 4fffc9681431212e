#include "session/import_vamas.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

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
    if (const std::string why = whyNotImportable(summarizeBlock(block)); !why.empty()) {
        session.port.message("No spectrum in this block: " + why);
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

// Binding energies as the chooser writes them, to two decimals.
std::string energyText(float energy) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(energy));
    return text;
}

// "C 1s", "Survey", or nothing.
std::string levelName(const VamasBlockSummary& b) {
    if (b.species.empty() || b.transition.empty()) return b.species + b.transition;
    return b.species + " " + b.transition;
}

void offerOrLeaveOut(VamasBlockChoice& choice, const VamasBlockSummary& b, int number) {
    const std::string numbered = "Block " + std::to_string(number + 1);
    if (const std::string why = whyNotImportable(b); !why.empty()) {
        const std::string level = levelName(b);
        choice.leftOut.push_back(numbered + " (" + level + (level.empty() ? "" : ", ") + b.technique +
                                 "): " + why);
        return;
    }
    if (choice.preselected < 0 && b.technique.find("XPS") != std::string::npos)
        choice.preselected = static_cast<int>(choice.blocks.size());
    choice.blocks.push_back(number);
    choice.items.push_back(numbered + ": " + levelName(b) + " (" + b.technique +
                           "): " + std::to_string(b.points) + " points, " + energyText(b.energyHigh) +
                           " to " + energyText(b.energyLow) + " eV");
}

// The blocks after the last one read: the damaged one, and those whose place it hid.
std::string damageText(int read, int announced) {
    const int first = read + 1;
    if (announced <= first)
        return "Block " + std::to_string(first) + ": cannot be read (the file is damaged or cut short there)";
    return "Blocks " + std::to_string(first) + " to " + std::to_string(announced) + ": block " +
           std::to_string(first) +
           " cannot be read (the file is damaged or cut short there), and the blocks after it cannot be "
           "found";
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

std::string whyNotImportable(const VamasBlockSummary& block) {
    if (block.points == 0) return "it has no points";
    if (block.points > 1 && block.energyHigh == block.energyLow)
        return "its energy step is 0 (every point at " + energyText(block.energyHigh) + " eV)";
    return {};
}

std::optional<VamasBlockChoice> vamasBlockChoice(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    VamasBlockChoice choice;
    choice.preselected = -1;  // until an XPS block is offered
    int number = 0;
    try {
        const VamasIndex index =
            indexVamas(in, [&](const VamasBlockSummary& block) { offerOrLeaveOut(choice, block, number++); });
        if (index.damaged) choice.leftOut.push_back(damageText(number, index.layout.blockCount));
    } catch (const VamasError&) {
        return std::nullopt;
    }
    choice.preselected = std::max(choice.preselected, 0);
    return choice;
}

}  // namespace vortlan
