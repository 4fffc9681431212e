// "Load Region Parameters" of any file onto a region holding the C 1s example, fitted with two peaks,
// while five other regions hold nine peaks each: a file of up to six peaks fits in the peak table, one
// of more runs out of free entries.  The region is then used as a user goes on from a load.

#include <cstdio>

#include "fuzz_session.h"
#include "session/background_dialog.h"
#include "session/import_vamas.h"
#include "session/peak_dialog.h"
#include "session/region_operations.h"
#include "session/region_parameters.h"
#include "session/spectrum_commands.h"
#include "workspace/invariants.h"

using namespace vortlan;

namespace {

// The example in the region, its background accepted over the given range (the whole of it when
// none is given), and new peaks on it.
void fitRegion(Session& session, int region, int peaks, const char* low = nullptr,
               const char* high = nullptr) {
    selectRegion(session, region);
    session.workspace.fileName = fuzz::sourceFile("examples/c1s.vms");
    bool done = importVamas(session);
    openBackgroundDialog(session);
    if (low != nullptr) session.dialogs.background.LBE = low;
    if (high != nullptr) session.dialogs.background.HBE = high;
    done = acceptBackground(session) && done;
    closeBackgroundDialog(session);
    for (int k = 0; k < peaks; ++k) {
        done = addPeak(session) && done;
        acceptPeakDialog(session);
    }
    if (!done) {
        std::fprintf(stderr, "cannot set up region %d from %s\n", region, session.workspace.fileName.c_str());
        std::abort();
    }
}

struct Setting {
    Setting() {
        Session& session = fresh.session;
        // Short ranges keep the curves of the other regions, which every load recomputes, quick.
        for (int region = 1; region <= 5; ++region) fitRegion(session, region, 9, "285", "285.5");
        fitRegion(session, 0, 2);
        fuzz::requireSoundWorkspace(session.workspace, "setting up the regions");
    }
    fuzz::FreshSession fresh;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Setting setting;
    fuzz::FreshSession fresh;
    Session& session = fresh.session;
    session.workspace = setting.fresh.session.workspace;
    session.dialogs = setting.fresh.session.dialogs;
    session.workspace.fileName = fuzz::writeInputFile(data, size);
    loadRegionParameters(session);
    fuzz::requireSoundWorkspace(session.workspace, "loading region parameters");
    fuzz::useRegion(fresh, session.workspace.currentRegion);
    fuzz::optimiseBriefly(fresh, fuzz::methodFor(size), fuzz::FitScope::CurrentRegion);
    return 0;
}
