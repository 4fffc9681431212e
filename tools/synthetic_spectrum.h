#pragma once
// Synthetic spectra for the examples and the benchmarks: the program's own line shapes (sum form) on a
// Shirley-type step, with counting noise drawn from a fixed seed, written as VAMAS text.  The generator
// and the noise are our own so that no third-party data ever ships, and the same seed gives the same
// bytes on every standard library.

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "model/peak_shapes.h"

namespace vortlan::synthetic {

inline constexpr double kAlKalpha = 1486.6;  // eV

// Text written a line at a time, each ended by the file's line end.
class Lines {
  public:
    explicit Lines(std::string lineEnd) : lineEnd_(std::move(lineEnd)) {}
    Lines& operator<<(const std::string& line) {
        text_ += line;
        text_ += lineEnd_;
        return *this;
    }
    Lines& operator<<(long value) { return *this << std::to_string(value); }
    const std::string& text() const { return text_; }

  private:
    std::string lineEnd_;
    std::string text_;
};

struct Component {
    const char* name;
    PeakShape shape;
};

// What is measured: evenly spaced binding energies from beHigh down, the components on a background
// that rises towards high binding energy by `stepHeight` in proportion to the peak area below each
// point (Shirley's picture of inelastic losses), plus a gentle slope.
struct RegionRecipe {
    double beHigh = 0;
    double step = 0;
    int points = 0;
    double backgroundLow = 0;  // at the low-binding-energy end
    double stepHeight = 0;
    double slopePerEv = 0;
    std::vector<Component> components;
    std::uint32_t seed = 0;
};

struct Spectrum {
    double beHigh = 0;
    double step = 0;
    std::vector<double> bindingEnergy;  // index 0 the highest
    std::vector<long> counts;
};

// Raw words of mt19937, whose sequence the standard fixes, made into the draws the spectra need:
// the library's own distributions differ from one implementation to the next.
class FixedRandom {
  public:
    explicit FixedRandom(std::uint32_t seed) : engine_(seed) {}

    double uniform() { return (static_cast<double>(engine_()) + 0.5) / 4294967296.0; }
    double standardNormal();

  private:
    std::mt19937 engine_;
};

// The recipe measured once: every point's counts with the noise of a Poisson count.  At the thousands
// of counts of these spectra a Gaussian of the Poisson variance is that noise.
Spectrum measure(const RegionRecipe& recipe);

PeakShape singlet(float position, float area, float fwhm, short gl);

// `value` with `decimals` digits after the point, whatever the locale.
std::string fixed(double value, int decimals);

struct VamasExperiment {
    std::string institution;
    std::string maker;   // the operator field: the program that made the file
    std::string title;   // the experiment identifier
    std::string sample;  // every block's
    std::vector<std::string> comments;
    std::string lineEnd = "\r\n";
};

struct VamasBlockLabels {
    std::string identifier;
    std::string species;
    std::string transition;
    std::string comment;
};

// ISO 14976, NORM experiment mode, REGULAR blocks with kinetic-energy abscissa and one corresponding
// variable.  No line holds a comma: readers that take VAMAS lines as delimited fields would split it.
// The date is fixed so that a file does not change from one run to the next.  A file of many blocks is
// its header, each block in turn, and the end, so that it can be written as its spectra are made.
std::string vamasHeader(const VamasExperiment& experiment, int blocks);
std::string vamasBlock(const VamasExperiment& experiment, const Spectrum& s, const VamasBlockLabels& labels);
std::string vamasEnd(const VamasExperiment& experiment);

// A file of one block.
std::string vamasText(const VamasExperiment& experiment, const Spectrum& s, const VamasBlockLabels& labels);

}  // namespace vortlan::synthetic
