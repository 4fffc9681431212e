// "Import (VAMAS)" of any file, then the block chooser's list and its last block imported, and the
// region used as a user goes on from an import.

#include "fuzz_session.h"
#include "session/import_vamas.h"

using namespace vortlan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FreshSession fresh;
    Session& session = fresh.session;
    const std::string& path = fuzz::writeInputFile(data, size);
    session.workspace.fileName = path;
    importVamas(session);
    fuzz::requireSoundWorkspace(session.workspace, "importing a VAMAS file");
    if (const auto blocks = listVamasBlocks(path); blocks && blocks->size() > 1) {
        importVamasBlock(session, static_cast<int>(blocks->size()) - 1);
        fuzz::requireSoundWorkspace(session.workspace, "importing a VAMAS file's last block");
    }
    fuzz::useLoadedRegions(fresh, fuzz::methodFor(size));
    return 0;
}
