#pragma once
// One spectrum fitted as a batch fits it, in a session started afresh for it: the options read, the
// spectrum imported into region 1, the model's region parameters loaded there, its background
// accepted, the region optimised; and what a batch keeps of the result.  The command-line batch and
// the Python module's fit_file both fit this way, so that their numbers are the same.

#include <array>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "session/session.h"

namespace vortlan {

// A peak's numbers as singles (a batch's summary writes every number as a single).  A value that is
// not a number stands for an empty cell: a fixed parameter's error, a peak without at.%.
struct PeakRow {
    float position = 0, area = 0, fwhm = 0;
    int gl = 0;
    std::array<float, 4> errors{};  // position, area, FWHM, %GL
    float atomicPercent = 0, atomicPercentError = 0;
};

struct SpectrumFit {
    float chiSquare = 0;
    bool hasLevel = false;
    bool converged = false;
    std::vector<PeakRow> peaks;  // in slot order
    std::vector<FitFlag> flags;  // the verdict's
};

struct SpectrumFitSettings {
    std::string model;    // the region parameter file (.rpa)
    std::string options;  // the option file; empty: those the session started with
    std::string level;    // canonical; empty: the level the import names, if any
};

// A step that was refused or failed.  An empty reason means the program has already said why.
class SpectrumFitFailed : public std::runtime_error {
  public:
    explicit SpectrumFitFailed(const std::string& reason = {}) : std::runtime_error(reason) {}
};

// Fits the spectrum `importSpectrum` imports into the current region (it throws when it cannot).
// The fitted region is region 1; the regions after it that a multi-region file fills are left as the
// import left them.
SpectrumFit fitSpectrum(Session& session, const SpectrumFitSettings& settings,
                        const std::function<void()>& importSpectrum);

}  // namespace vortlan
