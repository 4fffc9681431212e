#include "model/actual_fwhm.h"

#include <cmath>

#include "base/number_text.h"

namespace vortlan {

namespace {

constexpr float kSettled = 0.0002f;
constexpr int kMaxHalvings = 1000;

bool isDoublet(short type) {
    return type >= 2 && type <= 4;
}

}  // namespace

std::optional<float> actualFwhm(LineForm form, const PeakShape& shape) {
    const PeakEvaluator peak(form, shape);
    const double halfMax = 0.5 * peak(shape.position);
    // A doublet's high half ends beyond its second component, so the bracket starts there.
    const double offset = isDoublet(shape.type) ? shape.splitting : 0.0;
    double low = shape.position + offset;
    double high = shape.position + 3.0 * shape.fwhm + offset;
    double mid = (low + high) * 0.5;
    double previous = low;
    for (int halvings = 0;; ++halvings) {
        if (std::fabs(static_cast<float>(mid - previous)) <= kSettled) break;
        if (halvings == kMaxHalvings) return std::nullopt;
        if (peak(static_cast<float>(mid)) > halfMax) {
            low = mid;
        } else {
            high = mid;
        }
        previous = mid;
        mid = (low + high) * 0.5;
    }
    return static_cast<float>((previous - shape.position) + 0.5 * shape.fwhm);
}

std::string actualFwhmText(LineForm form, const PeakShape& shape) {
    const auto width = actualFwhm(form, shape);
    if (!width) return "---           ";
    return patternNumberText(*width, "0.000") + "eV   ";
}

}  // namespace vortlan
