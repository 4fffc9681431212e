// "Import (Kratos)" of any file; a fitted region in it arrives with its background and peaks, which
// are then used as a user goes on from an import.

#include "fuzz_session.h"
#include "session/import_kratos.h"

using namespace vortlan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FreshSession fresh;
    fresh.workspace().fileName = fuzz::writeInputFile(data, size);
    importKratos(fresh.session);
    fuzz::requireSoundWorkspace(fresh.workspace(), "importing a Kratos file");
    fuzz::useLoadedRegions(fresh);
    return 0;
}
