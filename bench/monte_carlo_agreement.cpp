// Monte Carlo errors against the Jacobian's, where the two should agree and where they need not.
// Where the fits are near linear, on the four C 1s peaks of the coverage tests on their own Shirley,
// straight-line and Tougaard backgrounds at ten times the counts (tests/support/monte_carlo_spectra.h),
// the largest difference over every position, area and FWHM, of the standard deviation and of half
// the 16-84 % range, over four times the replicas:
//     mcagree BACKGROUND sd=PERCENT robust=PERCENT
// On the C 1s example (examples/c1s.vms as `make cli-example` fits it: Shirley from single end points,
// four peaks at %GL 30) and the peer c1s fit (bench/peers/c1s.dat, every parameter free), each peak's
// spreads over its Jacobian error, the deviation's and the range's:
//     mcjacobian SPECTRUM PEAK position=SD/ROBUST area=SD/ROBUST fwhm=SD/ROBUST gl=SD/ROBUST
// "peer_c1s_held" is the peer fit with the %GL the fit left on its bound held there, as the
// Jacobian's errors hold it.
//
//     build/bench/monte_carlo_agreement [REPLICAS]

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fit/monte_carlo.h"
#include "fit/uncertainty.h"
#include "peer_spectra.h"
#include "session/import_vamas.h"
#include "session/session.h"
#include "support/fitted_session.h"
#include "support/monte_carlo_spectra.h"

namespace vortlan {
namespace {

const PeakParam kQuantities[] = {PeakParam::Position, PeakParam::Area, PeakParam::Fwhm, PeakParam::Gl};
const char* const kNames[] = {"position", "area", "fwhm", "gl"};

Workspace fittedExample() {
    RecordingPort port;
    Session session{port};
    Workspace& ws = session.workspace;
    ws.options = defaultFitOptions();
    ws.options.methodFlag = kLeastSquaresMethodFlag;
    ws.options.glSum = kTrue;
    ws.fileName = std::string(VORTLAN_SOURCE_DIR) + "/examples/c1s.vms";
    if (!importVamas(session)) std::exit(1);
    Region& r = ws.regions[0];
    r.backgroundType = static_cast<short>(BackgroundType::Shirley);
    r.rangeLow = r.beLow;
    r.rangeHigh = r.beHigh;
    r.averagePoints = 1;
    testing::acceptBackground(session, 0);
    const float positions[] = {284.7f, 286.4f, 287.7f, 289.1f};
    const float areas[] = {20000.0f, 5000.0f, 2000.0f, 3000.0f};
    for (int k = 0; k < 4; ++k) testing::addPeak(ws, 0, k, positions[k], areas[k], 1.2f, 30).fixGl = 1;
    optimiseRegion(ws, port);
    return ws;
}

// The peer fit with every parameter the Jacobian's errors hold on a bound fixed there.
Workspace heldAsTheJacobianHoldsThem(Workspace ws) {
    const RegionErrors errors = standardErrors(ws, 0);
    for (const PeakErrors& e : errors.peaks) {
        if (e.gl.kind == StandardError::Kind::NotDetermined) ws.peaks[e.peak].fixGl = 1;
    }
    return ws;
}

void printRatios(const char* name, const Workspace& ws, int replicas) {
    const RegionErrors jacobian = standardErrors(ws, 0);
    const MonteCarloErrors errors = monteCarloErrors(ws, 0, replicas);
    for (std::size_t k = 0; k < jacobian.peaks.size(); ++k) {
        std::printf("mcjacobian %s %zu", name, k);
        for (std::size_t q = 0; q < std::size(kQuantities); ++q) {
            const StandardError& j = jacobian.peaks[k].of(kQuantities[q]);
            if (!j.known()) continue;
            std::printf(" %s=%.3f/%.3f", kNames[q], errors.peaks[k].of(kQuantities[q]).value / j.value,
                        errors.robust[k].of(kQuantities[q]).value / j.value);
        }
        std::printf("\n");
    }
}

void printLargestDifferences(int replicas) {
    const char* names[] = {"shirley", "linear", "tougaard"};
    for (std::size_t b = 0; b < std::size(testing::kOwnBackgrounds); ++b) {
        const Workspace ws = testing::fittedOnOwnBackground(testing::kOwnBackgrounds[b], 10.0);
        const RegionErrors jacobian = standardErrors(ws, 0);
        const MonteCarloErrors errors = monteCarloErrors(ws, 0, replicas);
        double deviation = 0.0, range = 0.0;
        for (std::size_t k = 0; k < jacobian.peaks.size(); ++k) {
            for (std::size_t q = 0; q < 3; ++q) {
                const double j = jacobian.peaks[k].of(kQuantities[q]).value;
                deviation =
                    std::fmax(deviation, std::fabs(errors.peaks[k].of(kQuantities[q]).value / j - 1.0));
                range = std::fmax(range, std::fabs(errors.robust[k].of(kQuantities[q]).value / j - 1.0));
            }
        }
        std::printf("mcagree %s sd=%.1f robust=%.1f\n", names[b], 100.0 * deviation, 100.0 * range);
    }
}

}  // namespace
}  // namespace vortlan

int main(int argc, char** argv) {
    using namespace vortlan;
    const int replicas = argc > 1 ? std::atoi(argv[1]) : 2000;
    // Four times the replicas, so that what they can tell is finer than the agreement asked of them.
    printLargestDifferences(4 * replicas);
    printRatios("c1s_example", fittedExample(), replicas);
    const Workspace peer = bench::fitted(bench::startingFit("c1s"));
    printRatios("peer_c1s", peer, replicas);
    printRatios("peer_c1s_held", heldAsTheJacobianHoldsThem(peer), replicas);
    return 0;
}
