// "Open XPS" of any file: the project reader in its three layouts, then the regions it brought shown,
// recomputed and accepted again, as a user goes on from an opened project.

#include "fuzz_session.h"
#include "session/project.h"

using namespace vortlan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::readInputThenUseRegions(
        data, size, [](Session& session) { openProject(session); }, "opening a project");
    return 0;
}
