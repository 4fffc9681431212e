#include "model/peak_shapes.h"

#include <algorithm>
#include <cmath>

#include "model/product_tables.h"

namespace vortlan {

namespace {

// The decimal literals of the area factors.
constexpr double kGaussianAreaFactor = 1.06446702;
constexpr double kSqrtPi = 1.77245385;
constexpr double kTailAreaC1 = 27.6;
constexpr double kTailAreaC2 = 2.77258872;

// The product tables are indexed by %GL; a value outside 0..100 uses the nearest end of the tables.
int productIndex(short gl) {
    return std::clamp<int>(gl, 0, kMaxGl);
}

double lorentzianFraction(int gl) {
    return static_cast<float>(gl / 100.0);
}

bool isDoublet(short type) {
    return type >= 2 && type <= 4;
}

// The main component's area as its curve is drawn: rounded to single like every stored area.
double mainArea(float area, short type) {
    switch (type) {
        case 1:
            return area;
        case 2:
            return static_cast<float>(area * 2.0 / 3.0);
        case 3:
            return static_cast<float>(area * 0.6);
        case 4:
            return static_cast<float>(area * 4.0 / 7.0);
        default:
            return 0.0;
    }
}

// The area of a doublet's component at position + splitting.
double shiftedArea(float area, short type) {
    switch (type) {
        case 2:
            return static_cast<float>(area * 1.0 / 3.0);
        case 3:
            return static_cast<float>(area * 0.4);
        case 4:
            return static_cast<float>(area * 3.0 / 7.0);
        default:
            return 0.0;
    }
}

// Whole area from the main component's area.
double wholeArea(double mainComponentArea, short type) {
    switch (type) {
        case 2:
            return mainComponentArea * 1.5;
        case 3:
            return mainComponentArea * 5.0 / 3.0;
        case 4:
            return mainComponentArea * 1.75;
        default:
            return mainComponentArea;
    }
}

// Scale length of the product form: the v of the product function is (x - position) / L.
double productScaleLength(float fwhm, int k) {
    return (fwhm / 2.0) / productHalfWidth[k];
}

}  // namespace

double mainShare(short type) {
    switch (type) {
        case 1:
            return 1.0;
        case 2:
            return 2.0 / 3.0;
        case 3:
            return 0.6;
        case 4:
            return 4.0 / 7.0;
        default:
            return 0.0;
    }
}

PeakShape shapeOf(const Peak& peak, float shift) {
    return PeakShape{static_cast<float>(static_cast<double>(peak.position) + shift),
                     peak.area,
                     peak.fwhm,
                     peak.gl,
                     peak.splitting,
                     peak.type,
                     peak.ts,
                     peak.tl};
}

double sumAreaFactor(double gl, double ts, double tl) {
    double factor = kGaussianAreaFactor + kSumAreaFactorPerGl * gl;
    if (ts != 0.0) {
        const double reach = kTailAreaC1 / tl;
        factor += ts * (kSqrtPi / std::sqrt(reach) - kSqrtPi / std::sqrt(reach + kTailAreaC2));
    }
    return factor;
}

PeakEvaluator::Component PeakEvaluator::makeComponent(LineForm form, double position, float area, float fwhm,
                                                      short gl, float ts, float tl) {
    Component c;
    c.position = position;
    if (form == LineForm::Sum) {
        c.gl = gl;
        c.m = lorentzianFraction(gl);
        c.width = fwhm;
        c.height = area / (fwhm * sumAreaFactor(gl, ts, tl));
        c.tail = ts > 0.0f;
        c.ts = ts;
        c.tl = tl;
    } else {
        const int k = productIndex(gl);
        c.gl = k;
        c.m = lorentzianFraction(k);
        c.width = productScaleLength(fwhm, k);
        c.height = area / (c.width * productArea[k]);
    }
    return c;
}

PeakEvaluator::PeakEvaluator(LineForm form, const PeakShape& shape) : form_(form) {
    if (shape.type == 1) {
        main_ = makeComponent(form, shape.position, shape.area, shape.fwhm, shape.gl, shape.ts, shape.tl);
        componentCount_ = 1;
    } else if (isDoublet(shape.type)) {
        const float shiftedPosition =
            static_cast<float>(static_cast<double>(shape.position) + shape.splitting);
        shifted_ =
            makeComponent(form, shiftedPosition, static_cast<float>(shiftedArea(shape.area, shape.type)),
                          shape.fwhm, shape.gl, shape.ts, shape.tl);
        main_ = makeComponent(form, shape.position, static_cast<float>(mainArea(shape.area, shape.type)),
                              shape.fwhm, shape.gl, shape.ts, shape.tl);
        componentCount_ = 2;
    }
}

float componentValue(LineForm form, float x, float position, float area, float fwhm, short gl, float ts,
                     float tl) {
    return peakValue(form, x, PeakShape{position, area, fwhm, gl, 0.0f, 1, ts, tl});
}

float peakValue(LineForm form, float x, const PeakShape& shape) {
    return PeakEvaluator(form, shape)(x);
}

float heightFromArea(LineForm form, float area, float fwhm, short gl, short type, float ts, float tl,
                     float heightUnit) {
    // The height is taken from the unrounded share, so that it does not depend on how a curve is drawn.
    const double main = area * mainShare(type);
    if (form == LineForm::Sum)
        return static_cast<float>(main / (sumAreaFactor(gl, ts, tl) * fwhm * heightUnit));
    const int k = productIndex(gl);
    return static_cast<float>(main / (productScaleLength(fwhm, k) * productArea[k] * heightUnit));
}

float areaFromHeight(LineForm form, float height, float fwhm, short gl, short type, float ts, float tl,
                     float heightUnit) {
    double main;
    if (form == LineForm::Sum) {
        main = static_cast<double>(height) * heightUnit * fwhm * sumAreaFactor(gl, ts, tl);
    } else {
        const int k = productIndex(gl);
        main =
            ((static_cast<double>(height) * heightUnit * fwhm) / 2.0) / productHalfWidth[k] * productArea[k];
    }
    return static_cast<float>(wholeArea(main, type));
}

}  // namespace vortlan
