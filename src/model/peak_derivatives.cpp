#include "model/peak_derivatives.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/product_tables.h"

namespace vortlan {

namespace {

struct AreaShares {
    double main = 0;     // in the component at the peak position
    double shifted = 0;  // in a doublet's component at position + splitting
};

AreaShares areaShares(short type) {
    switch (type) {
        case 1:
            return {1.0, 0.0};
        case 2:
            return {2.0 / 3.0, 1.0 / 3.0};
        case 3:
            return {0.6, 0.4};
        case 4:
            return {4.0 / 7.0, 3.0 / 7.0};
        default:
            return {};
    }
}

}  // namespace

PeakGradientEvaluator::PeakGradientEvaluator(LineForm form, const PeakShapeD& shape) : form_(form) {
    const AreaShares shares = areaShares(shape.type);
    if (shares.main == 0) return;
    inverseFwhm_ = 1.0 / shape.fwhm;
    const double unitHeight = form == LineForm::Sum ? setUpSum(shape) : setUpProduct(shape);
    components_[0] = {shape.position, shares.main * unitHeight, shares.main * unitHeight * shape.area};
    componentCount_ = 1;
    if (shares.shifted != 0) {
        components_[1] = {shape.position + shape.splitting, shares.shifted * unitHeight,
                          shares.shifted * unitHeight * shape.area};
        componentCount_ = 2;
    }
}

double PeakGradientEvaluator::setUpSum(const PeakShapeD& shape) {
    const double areaFactor = sumAreaFactor(shape.gl, shape.ts, shape.tl);
    scale_ = 2.0 / shape.fwhm;
    m_ = shape.gl / 100.0;
    gaussianRate_ = kShapeLn2;
    tail_ = shape.ts > 0;
    ts_ = shape.ts;
    tailRate_ = kTailDecay / shape.tl;
    mPerGl_ = 1.0 / 100.0;
    logHeightPerGl_ = -kSumAreaFactorPerGl / areaFactor;
    return 1.0 / (shape.fwhm * areaFactor);
}

double PeakGradientEvaluator::setUpProduct(const PeakShapeD& shape) {
    // The tables hold whole %GL from 0 to 100, where they give exactly the program's shapes; between
    // two entries they are read along the straight line joining them, so that %GL can be fitted like
    // the other parameters.  A %GL beyond the tables takes the nearest end; one that is not finite has
    // no entry, and the peak is not finite either.
    if (!std::isfinite(shape.gl)) return std::numeric_limits<double>::quiet_NaN();
    const double gl = std::clamp(shape.gl, 0.0, static_cast<double>(kMaxGl));
    const int k = std::min(static_cast<int>(gl), kMaxGl - 1);
    const double along = gl - k;
    const double halfWidthSlope = productHalfWidth[k + 1] - productHalfWidth[k];
    const double areaSlope = static_cast<double>(productArea[k + 1]) - productArea[k];
    const double halfWidth = along == 0.0 ? productHalfWidth[k] : productHalfWidth[k] + along * halfWidthSlope;
    const double area = along == 0.0 ? productArea[k] : productArea[k] + along * areaSlope;
    const double scaleLength = (shape.fwhm / 2.0) / halfWidth;
    scale_ = 1.0 / scaleLength;
    m_ = gl / 100.0;
    gaussianRate_ = (1.0 - m_) * kShapeLn2;
    // Held at the tables' ends, %GL has no effect beyond them.
    const bool within = shape.gl >= 0.0 && shape.gl <= kMaxGl;
    mPerGl_ = within ? 1.0 / 100.0 : 0.0;
    logScalePerGl_ = within ? halfWidthSlope / halfWidth : 0.0;
    logHeightPerGl_ = within ? halfWidthSlope / halfWidth - areaSlope / area : 0.0;
    return 1.0 / (scaleLength * area);
}

}  // namespace vortlan
