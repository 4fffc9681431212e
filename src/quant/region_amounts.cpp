#include "quant/region_amounts.h"

#include "model/data_scatter.h"
#include "workspace/acquisition.h"

namespace vortlan {

BackgroundNoise backgroundNoiseOf(const Region& r, const RegionFit& fit) {
    const CountingScale counting = countingScaleOf(r);
    switch (counting.basis) {
        case CountingScale::Basis::Counts:
            return {AreaNoise::Counts, 1.0};
        case CountingScale::Basis::RateDwellAndScans:
            return {AreaNoise::CountsFromRate, 1.0 / counting.factor};
        case CountingScale::Basis::Unknown:
            break;
    }
    // Residuals about fitted peaks hold the noise alone; the data about a background may hold a line.
    if (r.peakCount > 0 && fit.residualScale > 0.0) return {AreaNoise::FitResiduals, fit.residualScale};
    return {AreaNoise::DataScatter, pointScatterScale(r)};
}

}  // namespace vortlan
