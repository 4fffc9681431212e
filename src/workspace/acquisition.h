#pragma once
// How a region's intensities become counts, and the analyser's transmission at an energy: what the
// Monte Carlo errors and the counting errors of a quantification rest on.

#include <optional>

#include "workspace/records.h"

namespace vortlan {

struct CountingScale {
    enum class Basis {
        Counts,             // the unit says counts
        RateDwellAndScans,  // a count rate, with the dwell time and scans the file records
        Unknown             // neither: scale the noise to the fit's own residuals instead
    };
    Basis basis = Basis::Unknown;
    // Counts per unit of intensity: 1 for counts, dwell time × scans for a count rate, 0 when Unknown.
    double factor = 0;

    bool known() const { return basis != Basis::Unknown; }
};

// Counts when the unit says counts; a count rate times the dwell time and the number of scans when
// the file recorded both (counts = rate × dwell × scans, point by point); Unknown otherwise, a count
// rate without them included.
CountingScale countingScaleOf(const Region& region);

// The transmission at an energy of the region's own points (a peak's position plus the region's
// shift), interpolated linearly between points and held at the end values beyond them; nothing when
// the file recorded none.
std::optional<double> transmissionAt(const Region& region, double bindingEnergy);

// Whether the values keep their rules (a positive, finite dwell time; at least one scan; a positive,
// finite transmission at each of `points` points, or none).  Readers store nothing else.
bool acquisitionFits(const Acquisition& acquisition, int points);

}  // namespace vortlan
