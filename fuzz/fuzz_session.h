#pragma once
// What every fuzzing target shares: a freshly started session whose spectrum window draws what it is
// asked to, the input written to a file for the readers that open workspace.fileName, and the checks
// that end the run when a reader leaves the workspace broken.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "plot/region_plot.h"
#include "session/session.h"
#include "workspace/recording_port.h"

namespace vortlan::fuzz {

// A recording port whose spectrum window draws at once, as the desktop program's does, on a surface
// that measures texts as a 474 x 231 pixel window would.
class DrawingPort : public RecordingPort {
  public:
    void drawSpectrum(SpectrumDrawing drawing) override;
    const Workspace* workspace = nullptr;

  private:
    ReadoutPosition readout_;
};

// The program as it is just after start-up.
struct FreshSession {
    FreshSession();
    FreshSession(const FreshSession&) = delete;
    FreshSession& operator=(const FreshSession&) = delete;

    DrawingPort port;
    Session session{port};
    Workspace& workspace() { return session.workspace; }
};

// Writes the input to this process's input file and returns its path.
const std::string& writeInputFile(const std::uint8_t* data, std::size_t size);

// Ends the run, with the rule on standard error, when the workspace breaks one of its rules.
void requireSoundWorkspace(const Workspace& workspace, std::string_view after);

// What a user does next with a region a file brought: made current and redrawn with its curves, and,
// when it is fitted, its background accepted again from the dialog filled with its settings, its
// peaks accepted in the peak dialog and its last peak's constraints in the constraint dialog.  Faults
// end those commands as they would end a user's; the workspace must keep its rules throughout.
void useRegion(FreshSession& fresh, int region);

enum class FitMethod { Newton, Search, LeastSquares };

enum class FitScope { CurrentRegion, AllRegions };

// "Optimise Region" or "Optimise All" with one trial of the given method (Levenberg-Marquardt, which
// has no trials, to its end), as a user fits what a file brought (one trial reaches every step of a
// run; more only repeat them).  A fault escaping the
// command would end the desktop program, so here it ends the run too.
void optimiseBriefly(FreshSession& fresh, FitMethod method, FitScope scope);

// The statistic of every fitted region as the file left them, useRegion for every region that holds
// data, the statistic again, the current region shown again, and "Optimise All" briefly.
void useLoadedRegions(FreshSession& fresh, FitMethod method);

// The method an input is fitted with: each is reached, by a third of the inputs.
inline FitMethod methodFor(std::size_t inputSize) {
    constexpr FitMethod kMethods[] = {FitMethod::Newton, FitMethod::Search, FitMethod::LeastSquares};
    return kMethods[inputSize % 3];
}

// The road every reader of a named file takes here: a fresh session given the input as its file name,
// the reader run, the workspace checked (`what` names the reader in the report) and every region the
// reader brought used.
template <typename Reader>
void readInputThenUseRegions(const std::uint8_t* data, std::size_t size, Reader read, std::string_view what) {
    FreshSession fresh;
    fresh.workspace().fileName = writeInputFile(data, size);
    read(fresh.session);
    requireSoundWorkspace(fresh.workspace(), what);
    useLoadedRegions(fresh, methodFor(size));
}

// The path of a file in the source tree (the examples).
std::string sourceFile(std::string_view relative);

}  // namespace vortlan::fuzz
