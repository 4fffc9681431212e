// How often ±1 standard error holds the truth, on 300 noisy C 1s spectra fitted by Levenberg-Marquardt
// for each of two backgrounds drawn from the noisy data: Shirley's from single end points, and a
// straight line through 9-point end averages (tests/support/error_coverage.h says how they are made).
// Prints one line a background and parameter kind:
//     coverage BACKGROUND KIND SHARE RMS_Z CASES
// For honest errors the share lies near 0.68 and the root mean square of z = (fitted - truth) / error
// near 1; the goals are 0.62 to 0.74 and 0.85 to 1.15.
//
//     build/bench/error_coverage [SPECTRA]

#include <cstdio>
#include <cstdlib>

#include "support/error_coverage.h"

int main(int argc, char** argv) {
    using namespace vortlan;
    using testing::CoverageBackground;
    const int spectra = argc > 1 ? std::atoi(argv[1]) : 300;
    const char* names[] = {"position", "area", "fwhm"};
    for (const auto& [background, name] : {std::pair{CoverageBackground::Shirley, "shirley"},
                                           std::pair{CoverageBackground::Linear, "linear"}}) {
        const testing::ErrorCoverage coverage = testing::errorCoverage(spectra, 1000, background);
        for (PeakParam param : {PeakParam::Position, PeakParam::Area, PeakParam::Fwhm}) {
            std::printf("coverage %s %s %.3f %.3f %d\n", name, names[static_cast<int>(param)],
                        coverage.share(param), coverage.rmsZ(param),
                        coverage.cases[static_cast<std::size_t>(param)]);
        }
    }
    return 0;
}
