// Writes the example spectra of examples/: a C 1s region in every format the program imports and a
// Ti 2p region as VAMAS, made by synthetic_spectrum.h from fixed seeds, so running this again gives
// the same bytes.
//
// Usage: vortlan-make-examples [output directory]   (default: examples)

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "synthetic_spectrum.h"

namespace vortlan {
namespace {

using namespace synthetic;

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

constexpr const char* kCrLf = "\r\n";

// The block's labels, and the experiment's with them.
VamasExperiment exampleExperiment(const std::string& identifier) {
    return {"Vortlan examples",
            "tools/make_examples.cpp",
            identifier + " example",
            "Example sample",
            {"Synthetic spectrum for trying out the program.",
             "Made by tools/make_examples.cpp with a fixed seed."}};
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
    using namespace vortlan::synthetic;
    const std::filesystem::path directory = argc > 1 ? argv[1] : "examples";
    std::error_code error;
    std::filesystem::create_directories(directory, error);

    const RegionRecipe c1s = carbon1s();
    const Spectrum carbon = measure(c1s);
    const RegionRecipe ti2p = titanium2p();
    const Spectrum titanium = measure(ti2p);

    const synthetic::VamasBlockLabels carbonBlock{"C 1s", "C", "1s",
                                                  "C-C/C-H 284.8; C-O 286.3; C=O 287.8; O-C=O 289.0 eV"};
    const synthetic::VamasBlockLabels titaniumBlock{"Ti 2p", "Ti", "2p",
                                                    "TiO2: 2p3/2 458.8 eV; 2p1/2 5.7 eV higher; areas 2:1"};
    bool ok = writeFile(directory / "c1s.vms", vamasText(exampleExperiment("C 1s"), carbon, carbonBlock));
    ok = writeFile(directory / "ti2p.vms", vamasText(exampleExperiment("Ti 2p"), titanium, titaniumBlock)) &&
         ok;
    ok = writeFile(directory / "c1s.des", kratosText(carbon, c1s)) && ok;
    ok = writeFile(directory / "c1s.dat", leyboldText(carbon)) && ok;
    ok = writeFile(directory / "c1s.asc", phiText(carbon, c1s)) && ok;
    ok = writeFile(directory / "c1s.txt", asciiText(carbon)) && ok;
    return ok ? 0 : 1;
}
