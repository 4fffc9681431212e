// "Import (VAMAS)" of any file, then the block chooser's list and its last block imported, and the
// region used as a user goes on from an import.  The batch's index of the same file must list what
// the whole reading lists, and give every block read alone as the whole reading gives it.

#include <cstdio>
#include <fstream>
#include <optional>

#include "fuzz_session.h"
#include "io/vamas_file.h"
#include "session/import_vamas.h"

using namespace vortlan;

namespace {

[[noreturn]] void disagree(const char* what) {
    std::fprintf(stderr, "the index of a VAMAS file disagrees with its whole reading: %s\n", what);
    __builtin_trap();
}

template <typename Read>
auto readOrNothing(Read read) -> std::optional<decltype(read())> {
    try {
        return read();
    } catch (const VamasError&) {
        return std::nullopt;
    }
}

void requireIndexAgrees(const std::uint8_t* data, std::size_t size, const std::string& path) {
    const auto whole = readOrNothing([&] { return parseVamas(std::string(data, data + size)); });
    std::ifstream in(path, std::ios::binary);
    const auto index = readOrNothing([&] { return indexVamas(in); });
    if (whole.has_value() != index.has_value()) disagree("one reads the file, the other refuses it");
    if (!whole) return;
    if (index->blocks != summarizeBlocks(*whole) || index->damaged != whole->damaged) disagree("the blocks");
    for (std::size_t b = 0; b < whole->blocks.size(); ++b) {
        if (!(readVamasBlock(in, *index, b) == whole->blocks[b])) disagree("a block read alone");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FreshSession fresh;
    Session& session = fresh.session;
    const std::string& path = fuzz::writeInputFile(data, size);
    session.workspace.fileName = path;
    importVamas(session);
    fuzz::requireSoundWorkspace(session.workspace, "importing a VAMAS file");
    if (const auto choice = vamasBlockChoice(path); choice && choice->blocks.size() > 1) {
        importVamasBlock(session, choice->blocks.back());
        fuzz::requireSoundWorkspace(session.workspace, "importing a VAMAS file's last block");
    }
    requireIndexAgrees(data, size, path);
    fuzz::useLoadedRegions(fresh, fuzz::methodFor(size));
    return 0;
}
