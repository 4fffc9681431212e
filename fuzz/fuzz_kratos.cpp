// "Import (Kratos)" of any file; a fitted region in it arrives with its background and peaks, which
// are then used as a user goes on from an import.

#include "fuzz_session.h"
#include "session/import_kratos.h"

using namespace vortlan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::readInputThenUseRegions(
        data, size, [](Session& session) { importKratos(session); }, "importing a Kratos file");
    return 0;
}
