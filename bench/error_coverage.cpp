// How often ±1 standard error holds the truth, on 300 noisy C 1s spectra fitted by Levenberg-Marquardt
// (tests/support/error_coverage.h says how they are made).  Prints one line a parameter kind:
//     coverage KIND SHARE CASES
// For honest errors the share lies near 0.68; the goal is 0.62 to 0.74 for every kind.
//
//     build/bench/error_coverage [SPECTRA]

#include <cstdio>
#include <cstdlib>

#include "support/error_coverage.h"

int main(int argc, char** argv) {
    using namespace vortlan;
    const int spectra = argc > 1 ? std::atoi(argv[1]) : 300;
    const testing::ErrorCoverage coverage = testing::errorCoverage(spectra, 1000);
    const char* names[] = {"position", "area", "fwhm", "gl"};
    for (PeakParam param : kPeakParams) {
        std::printf("coverage %s %.3f %d\n", names[static_cast<int>(param)], coverage.share(param),
                    coverage.cases[static_cast<std::size_t>(param)]);
    }
    return 0;
}
