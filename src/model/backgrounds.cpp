#include "model/backgrounds.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/checked_math.h"
#include "model/fit_range.h"

namespace vortlan {

namespace {

constexpr int kShirleyPasses = 30;
constexpr double kTougaardC = 1643.0;  // eV^2

void requireRange(const Region& r) {
    const int n = r.rangeCount;
    if (n < 1 || !r.rangeEnergy.holds(n) || !r.rangeCounts.holds(n) || !r.baseLine.holds(n) ||
        !r.background.holds(n)) {
        throw ComputationFault(FaultKind::OutOfRange);
    }
}

// Shirley's background follows a step down from the low-BE end to the high-BE end.
bool shirleyHasStep(const Region& r) {
    return r.rangeCount >= 2 && !risesTowardLowEnergy(r);
}

// Stores a double-precision work value unless it faults.
void storeDouble(double& target, double value) {
    if (std::isfinite(value)) target = value;
}

}  // namespace

bool risesTowardLowEnergy(const Region& r) {
    return r.baseLine[1] < r.baseLine[r.rangeCount];
}

BackgroundType drawnBackgroundType(const Region& r) {
    const auto type = static_cast<BackgroundType>(r.backgroundType);
    if (type != BackgroundType::Shirley && type != BackgroundType::Tougaard) return type;
    const int n = r.rangeCount;
    if (n < 1 || !r.baseLine.holds(n)) return type;
    const bool hasStep = type == BackgroundType::Shirley ? shirleyHasStep(r) : !risesTowardLowEnergy(r);
    return hasStep ? type : BackgroundType::Linear;
}

std::string drawnBackgroundNote(const Region& r) {
    const auto asked = static_cast<BackgroundType>(r.backgroundType);
    if (drawnBackgroundType(r) == asked) return {};
    const std::string name = asked == BackgroundType::Shirley ? "Shirley" : "Tougaard";
    if (r.rangeCount < 2) return name + " drawn as a straight line: the range holds one point";
    return name +
           " drawn as a straight line: the low-BE end lies above the high-BE end, so there is no step "
           "to follow";
}

float energyStep(const Region& r) {
    return r.rangeCount < 2 ? 0.0f
                            : static_cast<float>(static_cast<double>(r.rangeEnergy[1]) - r.rangeEnergy[2]);
}

void computeLinearBackground(Region& r) {
    requireRange(r);
    const int n = r.rangeCount;
    r.linearSlope =
        singleOrFault(divideOrFault(static_cast<double>(r.endAverageLast) - r.endAverageFirst, n - 1));
    for (int i = 1; i <= n; ++i) {
        r.baseLine[i] = singleOrFault(r.endAverageFirst + (i - 1) * static_cast<double>(r.linearSlope));
    }
}

void copyLinearBackground(Region& r) {
    requireRange(r);
    std::copy_n(r.baseLine.data() + 1, r.rangeCount, r.background.data() + 1);
}

void computeShirleyBackground(Region& r) {
    requireRange(r);
    const int n = r.rangeCount;
    if (!shirleyHasStep(r)) {
        copyLinearBackground(r);
        return;
    }
    const double s = r.backgroundParam;
    const double step = energyStep(r);
    const double lowEnd = r.baseLine[n];

    std::vector<float> a(n + 1, 0.0f);  // data above the low-end level
    std::vector<double> v(n + 1, 0.0);  // data above the background of the last pass
    std::vector<float> b(n + 1, 0.0f);  // step x v, shifted by one point
    std::vector<float> c(n + 1, 0.0f);  // integral of v from each point to the low end
    for (int i = 1; i <= n; ++i) {
        storeSingle(a[i], r.rangeCounts[i] - lowEnd);
        storeDouble(v[i], a[i] - s * (n - i));
    }
    float k = 0.0f;
    for (int pass = 0; pass < kShirleyPasses; ++pass) {
        for (int i = 2; i <= n; ++i) storeSingle(b[i], step * v[i - 1]);
        c[n] = 0.0f;
        for (int i = n - 1; i >= 1; --i) storeSingle(c[i], static_cast<double>(c[i + 1]) + b[i + 1]);
        storeSingle(k, (a[1] - n * s) / c[1]);  // a vanishing integral keeps the last k
        for (int i = 1; i <= n; ++i) storeDouble(v[i], a[i] - static_cast<double>(k) * c[i] - s * (n - i));
    }
    for (int i = 1; i <= n; ++i) storeSingle(r.background[i], (a[i] - v[i]) + lowEnd);
}

std::vector<double> tougaardLossWeights(const Region& r) {
    const int n = std::max<int>(r.rangeCount, 1);
    const double step = energyStep(r);
    // The loss weight depends only on the distance between the two points, so it is taken once per
    // distance: step x E / (E^2 + C)^2 with E the energy loss, and E^2 + C held as a single.
    std::vector<double> weight(static_cast<std::size_t>(n), 0.0);
    for (int d = 1; d < n; ++d) {
        const double loss = step * d;
        const double denominator = static_cast<float>(loss * loss + kTougaardC);
        weight[static_cast<std::size_t>(d)] = step * loss / denominator / denominator;
    }
    return weight;
}

void computeTougaardBackground(Region& r) {
    computeTougaardBackground(r, r.backgroundParam, r.rangeCount);
}

void computeTougaardBackground(Region& r, float b1, int lastPoint) {
    requireRange(r);
    const int n = r.rangeCount;
    lastPoint = std::clamp(lastPoint, 0, n);
    if (risesTowardLowEnergy(r)) {
        std::copy_n(r.baseLine.data() + 1, lastPoint, r.background.data() + 1);
        return;
    }
    const double lowEnd = r.rangeCounts[n];
    const std::vector<double> weight = tougaardLossWeights(r);
    std::vector<double> aboveLowEnd(n + 1, 0.0);
    for (int j = 1; j <= n; ++j) aboveLowEnd[j] = r.rangeCounts[j] - lowEnd;

    for (int i = 1; i <= lastPoint; ++i) {
        // Four partial sums keep the additions independent of each other; the result stays within
        // rounding of the single it is stored in.
        const double* z = aboveLowEnd.data() + i;
        const int terms = n - i;
        double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
        int d = 1;
        for (; d + 3 <= terms; d += 4) {
            s0 += weight[d] * z[d];
            s1 += weight[d + 1] * z[d + 1];
            s2 += weight[d + 2] * z[d + 2];
            s3 += weight[d + 3] * z[d + 3];
        }
        for (; d <= terms; ++d) s0 += weight[d] * z[d];
        r.background[i] = singleOrFault(lowEnd + b1 * ((s0 + s1) + (s2 + s3)));
    }
}

void computeBackground(Workspace& workspace, int region) {
    selectFitRange(workspace, region);
    Region& r = workspace.regions.at(region);
    averageEndPoints(r);
    drawBackground(r);
}

void drawBackground(Region& r) {
    computeLinearBackground(r);
    switch (static_cast<BackgroundType>(r.backgroundType)) {
        case BackgroundType::Shirley:
            computeShirleyBackground(r);
            break;
        case BackgroundType::Linear:
            copyLinearBackground(r);
            break;
        case BackgroundType::Tougaard:
            computeTougaardBackground(r);
            break;
    }
}

void redrawFromRawCounts(Region& r) {
    copyRangeCounts(r);
    averageEndPoints(r);
    drawBackground(r);
}

}  // namespace vortlan
