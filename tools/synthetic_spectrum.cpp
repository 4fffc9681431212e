#include "synthetic_spectrum.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace vortlan::synthetic {

namespace {

double bindingEnergyAt(const RegionRecipe& recipe, int i) {
    return recipe.beHigh - recipe.step * i;
}

std::vector<double> expectedCounts(const RegionRecipe& recipe) {
    const int n = recipe.points;
    std::vector<double> peaks(static_cast<std::size_t>(n), 0.0);
    for (int i = 0; i < n; ++i) {
        const auto x = static_cast<float>(bindingEnergyAt(recipe, i));
        for (const Component& c : recipe.components) peaks[i] += peakValue(LineForm::Sum, x, c.shape);
    }
    // Area of the peaks at lower binding energy than each point, summed from the low end.
    std::vector<double> below(static_cast<std::size_t>(n), 0.0);
    double sum = 0.0;
    for (int i = n - 1; i >= 0; --i) {
        sum += peaks[i];
        below[i] = sum;
    }
    std::vector<double> expected(static_cast<std::size_t>(n));
    const double beLow = bindingEnergyAt(recipe, n - 1);
    for (int i = 0; i < n; ++i) {
        const double be = bindingEnergyAt(recipe, i);
        expected[i] = recipe.backgroundLow + recipe.slopePerEv * (be - beLow) +
                      recipe.stepHeight * below[i] / sum + peaks[i];
    }
    return expected;
}

}  // namespace

double FixedRandom::standardNormal() {
    // Box-Muller.
    const double r = std::sqrt(-2.0 * std::log(uniform()));
    return r * std::cos(2.0 * 3.14159265358979323846 * uniform());
}

Spectrum measure(const RegionRecipe& recipe) {
    Spectrum s;
    s.beHigh = recipe.beHigh;
    s.step = recipe.step;
    FixedRandom noise(recipe.seed);
    for (double expected : expectedCounts(recipe)) {
        const double value = expected + std::sqrt(expected) * noise.standardNormal();
        s.counts.push_back(std::max(0L, std::lround(value)));
    }
    for (int i = 0; i < recipe.points; ++i) s.bindingEnergy.push_back(bindingEnergyAt(recipe, i));
    return s;
}

PeakShape singlet(float position, float area, float fwhm, short gl) {
    return PeakShape{position, area, fwhm, gl, 0.0f, 1, 0.0f, 1.0f};
}

std::string fixed(double value, int decimals) {
    char buffer[64];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals).ptr;
    return std::string(buffer, end);
}

std::string vamasHeader(const VamasExperiment& experiment, int blocks) {
    Lines out(experiment.lineEnd);
    out << "VAMAS Surface Chemical Analysis Standard Data Transfer Format 1988 May 4";
    out << experiment.institution;
    out << "Synthetic spectrometer";  // instrument model
    out << experiment.maker;          // operator
    out << experiment.title;          // experiment
    out << static_cast<long>(experiment.comments.size());
    for (const std::string& comment : experiment.comments) out << comment;
    out << "NORM";                     // experiment mode
    out << "REGULAR";                  // scan mode
    out << static_cast<long>(blocks);  // spectral regions
    out << 0L;                         // experimental variables
    out << 0L;                         // entries in the parameter inclusion or exclusion list
    out << 0L;                         // manually entered items
    out << 0L;                         // future upgrade experiment entries
    out << 0L;                         // future upgrade block entries
    out << static_cast<long>(blocks);
    return out.text();
}

std::string vamasBlock(const VamasExperiment& experiment, const Spectrum& s, const VamasBlockLabels& labels) {
    Lines out(experiment.lineEnd);
    out << labels.identifier;
    out << experiment.sample;
    for (long field : {2009L, 6L, 15L, 10L, 30L, 0L}) out << field;  // year, month, day, h, min, s
    out << 0L;                                                       // hours in advance of GMT
    out << 1L;                                                       // block comment lines
    out << labels.comment;
    out << "XPS";
    out << "Al";
    out << fixed(kAlKalpha, 1);  // source characteristic energy
    out << 300L;                 // source strength
    out << 700L;                 // source beam width x
    out << 300L;                 // source beam width y
    out << "54.7";               // source polar angle of incidence
    out << 0L;                   // source azimuth
    out << "FAT";                // analyser mode
    out << 20L;                  // pass energy
    out << 1L;                   // transfer lens magnification
    out << "4.5";                // analyser work function
    out << 0L;                   // target bias
    out << 700L;                 // analysis width x
    out << 300L;                 // analysis width y
    out << 0L;                   // analyser take-off polar angle
    out << 0L;                   // analyser take-off azimuth
    out << labels.species;
    out << labels.transition;
    out << -1L;  // charge of the detected particle
    out << "Kinetic Energy";
    out << "eV";
    out << fixed(kAlKalpha - s.beHigh, 3);  // abscissa start
    out << fixed(s.step, 3);                // abscissa increment
    out << 1L;                              // corresponding variables
    out << "Intensity";
    out << "d";
    out << "pulse counting";
    out << "0.1";  // signal collection time, s
    out << 10L;    // scans
    out << 0L;     // signal time correction
    out << 0L;     // sample normal polar angle of tilt
    out << 0L;     // sample normal tilt azimuth
    out << 0L;     // sample rotation angle
    out << 0L;     // additional numerical parameters
    out << static_cast<long>(s.counts.size());
    out << *std::min_element(s.counts.begin(), s.counts.end());
    out << *std::max_element(s.counts.begin(), s.counts.end());
    for (long c : s.counts) out << c;
    return out.text();
}

std::string vamasEnd(const VamasExperiment& experiment) {
    return "end of experiment" + experiment.lineEnd;
}

std::string vamasText(const VamasExperiment& experiment, const Spectrum& s, const VamasBlockLabels& labels) {
    return vamasHeader(experiment, 1) + vamasBlock(experiment, s, labels) + vamasEnd(experiment);
}

}  // namespace vortlan::synthetic
