// "Load Parameters" of the options dialog on any file, then "OK" on the dialog it filled.  Options a
// file brings must be safe for the optimisers, as the option file promises.

#include <cmath>
#include <cstdio>

#include "fuzz_session.h"
#include "io/option_file.h"
#include "session/options_dialog.h"

using namespace vortlan;

namespace {

bool positive(float value) {
    return std::isfinite(value) && value > 0.0f;
}

template <typename Levels, typename Usable>
bool allUsable(const Levels& levels, Usable usable) {
    for (const auto& level : levels) {
        if (isTrue(level.use) && !usable(level)) return false;
    }
    return true;
}

// The promise of decodeOptionFile for the options it takes.
bool safeForTheOptimisers(const FitOptions& o) {
    const auto search = [](const SearchLevel& l) { return positive(l.range) && positive(l.step); };
    const auto newton = [](const NewtonLevel& l) { return positive(l.delta); };
    return std::isfinite(o.methodFlag) && o.searchTrials >= kMinTrials && o.searchTrials <= kMaxTrials &&
           o.newtonTrials >= kMinTrials && o.newtonTrials <= kMaxTrials && std::isfinite(o.tolerance) &&
           o.tolerance >= 0.0f && o.tolerance <= 1.0f && allUsable(o.searchPosition, search) &&
           allUsable(o.searchArea, search) && allUsable(o.searchFwhm, search) &&
           allUsable(o.newtonPosition, newton) && allUsable(o.newtonArea, newton) &&
           allUsable(o.newtonFwhm, newton);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FreshSession fresh;
    Session& session = fresh.session;
    const FitOptions before = session.workspace.options;
    session.workspace.fileName = fuzz::writeInputFile(data, size);
    const bool read = readOptionFile(session);
    if (!read && !(session.workspace.options == before)) {
        std::fprintf(stderr, "\nA refused option file changed the options\n");
        __builtin_trap();
    }
    if (!safeForTheOptimisers(session.workspace.options)) {
        std::fprintf(stderr, "\nAn option file brought options the optimisers cannot run on\n");
        __builtin_trap();
    }
    fuzz::requireSoundWorkspace(session.workspace, "reading an option file");
    applyOptionsDialog(session);
    fuzz::requireSoundWorkspace(session.workspace, "accepting the options dialog");
    return 0;
}
