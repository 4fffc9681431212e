// The import of a two-column text file, of any content, and the regions it filled used as a user goes on
// from an import.

#include "fuzz_session.h"
#include "session/import_text.h"

using namespace vortlan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::readInputThenUseRegions(
        data, size, [](Session& session) { importAscii(session); }, "importing a two-column text file");
    return 0;
}
