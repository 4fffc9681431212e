// Writes the example spectra of examples/: a C 1s region in every format the program imports and a
// Ti 2p region as VAMAS.  They are synthetic: the program's own line shapes (sum form) on a
// Shirley-type step, with counting noise drawn from a fixed seed, so running this again gives the same
// bytes.  The generator and the noise are our own so that no third-party data ever ships.
//
// Usage: vortlan-make-examples [output directory]   (default: examples)

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "model/peak_shapes.h"

namespace vortlan {
namespace {

constexpr double kAlKalpha = 1486.6;  // eV

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
    std::vector<double> bindingEnergy;  // index 0 the highest
    std::vector<long> counts;
};

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

// Counting noise: Gaussian with the variance of a Poisson count, which it is at thousands of counts.
// Box-Muller on the raw words of mt19937, whose sequence the standard fixes, so that the files do not
// depend on the library's distributions.
class CountingNoise {
  public:
    explicit CountingNoise(std::uint32_t seed) : engine_(seed) {}

    long count(double expected) {
        const double value = expected + std::sqrt(expected) * standardNormal();
        return std::max(0L, std::lround(value));
    }

  private:
    double uniform() { return (static_cast<double>(engine_()) + 0.5) / 4294967296.0; }
    double standardNormal() {
        const double r = std::sqrt(-2.0 * std::log(uniform()));
        return r * std::cos(2.0 * 3.14159265358979323846 * uniform());
    }
    std::mt19937 engine_;
};

Spectrum measure(const RegionRecipe& recipe) {
    Spectrum s;
    CountingNoise noise(recipe.seed);
    for (double expected : expectedCounts(recipe)) s.counts.push_back(noise.count(expected));
    for (int i = 0; i < recipe.points; ++i) s.bindingEnergy.push_back(bindingEnergyAt(recipe, i));
    return s;
}

PeakShape singlet(float position, float area, float fwhm, short gl) {
    return PeakShape{position, area, fwhm, gl, 0.0f, 1, 0.0f, 1.0f};
}

// An oxidised carbon surface: C-C/C-H, C-O, C=O and O-C=O.
RegionRecipe carbon1s() {
    RegionRecipe r;
    r.beHigh = 296.0;
    r.step = 0.05;
    r.points = 361;
    r.backgroundLow = 2600;
    r.stepHeight = 1400;
    r.slopePerEv = 12;
    r.components = {
        {"C-C/C-H", singlet(284.8f, 22000.0f, 1.20f, 30)},
        {"C-O", singlet(286.3f, 6000.0f, 1.30f, 30)},
        {"C=O", singlet(287.8f, 2200.0f, 1.35f, 30)},
        {"O-C=O", singlet(289.0f, 2800.0f, 1.40f, 30)},
    };
    r.seed = 14866;
    return r;
}

// TiO2: the 2p doublet as the program's "p" type, 2p1/2 5.7 eV above 2p3/2 with half its area.
RegionRecipe titanium2p() {
    RegionRecipe r;
    r.beHigh = 478.0;
    r.step = 0.1;
    r.points = 301;
    r.backgroundLow = 4200;
    r.stepHeight = 3600;
    r.slopePerEv = 25;
    r.components = {{"Ti 2p", PeakShape{458.8f, 36000.0f, 1.20f, 30, 5.7f, 2, 0.0f, 1.0f}}};
    r.seed = 45880;
    return r;
}

std::string fixed(double value, int decimals) {
    char buffer[64];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals).ptr;
    return std::string(buffer, end);
}

class Lines {
  public:
    explicit Lines(const char* lineEnd) : lineEnd_(lineEnd) {}
    Lines& operator<<(const std::string& line) {
        text_ += line;
        text_ += lineEnd_;
        return *this;
    }
    Lines& operator<<(long value) { return *this << std::to_string(value); }
    const std::string& text() const { return text_; }

  private:
    const char* lineEnd_;
    std::string text_;
};

constexpr const char* kCrLf = "\r\n";

// ISO 14976, NORM experiment mode, one REGULAR block with kinetic-energy abscissa and one corresponding
// variable.  No line holds a comma: readers that take VAMAS lines as delimited fields would split it.
// The date is fixed so that the file does not change from one run to the next.
struct VamasBlock {
    std::string identifier;
    std::string species;
    std::string transition;
    std::string comment;
};

std::string vamasText(const Spectrum& s, const RegionRecipe& recipe, const VamasBlock& block) {
    Lines out(kCrLf);
    out << "VAMAS Surface Chemical Analysis Standard Data Transfer Format 1988 May 4";
    out << "Vortlan examples";             // institution
    out << "Synthetic spectrometer";       // instrument model
    out << "tools/make_examples.cpp";      // operator
    out << block.identifier + " example";  // experiment
    out << 2L;                             // comment lines
    out << "Synthetic spectrum for trying out the program.";
    out << "Made by tools/make_examples.cpp with a fixed seed.";
    out << "NORM";     // experiment mode
    out << "REGULAR";  // scan mode
    out << 1L;         // spectral regions
    out << 0L;         // experimental variables
    out << 0L;         // entries in the parameter inclusion or exclusion list
    out << 0L;         // manually entered items
    out << 0L;         // future upgrade experiment entries
    out << 0L;         // future upgrade block entries
    out << 1L;         // blocks

    out << block.identifier;
    out << "Example sample";
    for (long field : {2009L, 6L, 15L, 10L, 30L, 0L}) out << field;  // year, month, day, h, min, s
    out << 0L;                                                       // hours in advance of GMT
    out << 1L;                                                       // block comment lines
    out << block.comment;
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
    out << block.species;
    out << block.transition;
    out << -1L;  // charge of the detected particle
    out << "Kinetic Energy";
    out << "eV";
    out << fixed(kAlKalpha - recipe.beHigh, 3);  // abscissa start
    out << fixed(recipe.step, 3);                // abscissa increment
    out << 1L;                                   // corresponding variables
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
    out << "end of experiment";
    return out.text();
}

// Kinetic energies upward, as the instrument scans; a plain spectrum without a fitted region.
std::string kratosText(const Spectrum& s, const RegionRecipe& recipe) {
    Lines out(kCrLf);
    out << "Dataset:\tC 1s example"
        << "Object name:\tC 1s"
        << "# ordinates = " + std::to_string(s.counts.size())
        << "Comment = Synthetic C 1s spectrum made by tools/make_examples.cpp with a fixed seed"
        << "Source energy = " + fixed(kAlKalpha, 1) << "Kinetic Energy (eV) Intensity (Counts)";
    for (std::size_t i = 0; i < s.counts.size(); ++i) {
        out << fixed(kAlKalpha - recipe.beHigh + recipe.step * static_cast<double>(i), 2) + " " +
                   std::to_string(s.counts[i]);
    }
    return out.text();
}

std::string leyboldText(const Spectrum& s) {
    Lines out(kCrLf);
    out << "Synthetic C 1s example made by tools/make_examples.cpp"
        << "Regions=1"
        << "Region 1"
        << "C 1s"
        << "Points=" + std::to_string(s.counts.size());
    for (std::size_t i = 0; i < s.counts.size(); ++i) {
        out << fixed(s.bindingEnergy[i], 2) + "\t" + std::to_string(s.counts[i]);
    }
    return out.text();
}

// Listed from low to high binding energy: the order the PHI import turns round.
std::string phiText(const Spectrum& s, const RegionRecipe& recipe) {
    Lines out(kCrLf);
    out << "Synthetic sample"
        << "C 1s four components made by tools/make_examples.cpp"
        << "C 1s" << 1L << fixed(s.bindingEnergy.back(), 2) << fixed(recipe.step, 2)
        << static_cast<long>(s.counts.size());
    for (auto c = s.counts.rbegin(); c != s.counts.rend(); ++c) out << *c;
    out << 0L;
    return out.text();
}

std::string asciiText(const Spectrum& s) {
    Lines out("\n");
    out << "Binding Energy (eV)\tIntensity (counts)";
    for (std::size_t i = 0; i < s.counts.size(); ++i) {
        out << fixed(s.bindingEnergy[i], 2) + "\t" + std::to_string(s.counts[i]);
    }
    return out.text();
}

bool writeFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (out.fail()) {
        std::cerr << "cannot write " << path.string() << '\n';
        return false;
    }
    std::cout << "wrote " << path.string() << '\n';
    return true;
}

}  // namespace
}  // namespace vortlan

int main(int argc, char** argv) {
    using namespace vortlan;
    const std::filesystem::path directory = argc > 1 ? argv[1] : "examples";
    std::error_code error;
    std::filesystem::create_directories(directory, error);

    const RegionRecipe c1s = carbon1s();
    const Spectrum carbon = measure(c1s);
    const RegionRecipe ti2p = titanium2p();
    const Spectrum titanium = measure(ti2p);

    const VamasBlock carbonBlock{"C 1s", "C", "1s", "C-C/C-H 284.8; C-O 286.3; C=O 287.8; O-C=O 289.0 eV"};
    const VamasBlock titaniumBlock{"Ti 2p", "Ti", "2p",
                                   "TiO2: 2p3/2 458.8 eV; 2p1/2 5.7 eV higher; areas 2:1"};
    bool ok = writeFile(directory / "c1s.vms", vamasText(carbon, c1s, carbonBlock));
    ok = writeFile(directory / "ti2p.vms", vamasText(titanium, ti2p, titaniumBlock)) && ok;
    ok = writeFile(directory / "c1s.des", kratosText(carbon, c1s)) && ok;
    ok = writeFile(directory / "c1s.dat", leyboldText(carbon)) && ok;
    ok = writeFile(directory / "c1s.asc", phiText(carbon, c1s)) && ok;
    ok = writeFile(directory / "c1s.txt", asciiText(carbon)) && ok;
    return ok ? 0 : 1;
}
