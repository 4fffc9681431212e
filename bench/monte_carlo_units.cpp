// Monte Carlo errors of one spectrum stored in different units (tests/support/monte_carlo_spectra.h):
// as counts, as count rates of a thousandth of a count with the dwell time and scans that make them
// counts again, as the same rates without them (noise from the residuals), and as those rates taken
// for counts, as every intensity was before.  Prints one line a case, the errors of the first peak,
// the area in counts, and the square root of σ², the scale of the Jacobian's errors, which noise from
// the residuals takes (for the counts, how much more the data scatter than their counting explains):
//     mcunits CASE position=ERROR area=ERROR scatter=S
//
//     build/bench/monte_carlo_units [REPLICAS]

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "fit/monte_carlo.h"
#include "fit/uncertainty.h"
#include "support/monte_carlo_spectra.h"

int main(int argc, char** argv) {
    using namespace vortlan;
    const int replicas = argc > 1 ? std::atoi(argv[1]) : 2000;
    struct Case {
        const char* name;
        double perCount;  // units of intensity a count
        const char* unit;
        Acquisition acquisition;
    };
    // 0.4 s a point in each of 2500 scans: a thousand counts to one count per second.
    const Case cases[] = {{"counts", 1.0, "counts", {}},
                          {"rate_dwell_scans", 0.001, "c/s", {0.4, 2500, {}}},
                          {"rate_residuals", 0.001, "c/s", {}},
                          {"rate_as_counts", 0.001, "counts", {}}};
    for (const Case& c : cases) {
        const Workspace ws = testing::fittedTwoPeaks(c.perCount, c.unit, c.acquisition);
        const MonteCarloErrors errors = monteCarloErrors(ws, 0, replicas);
        std::printf("mcunits %s position=%.4g area=%.4g scatter=%.3g\n", c.name,
                    errors.peaks[0].position.value, errors.peaks[0].area.value / c.perCount,
                    std::sqrt(standardErrors(ws, 0).noiseScale.value_or(0.0)));
    }
    return 0;
}
