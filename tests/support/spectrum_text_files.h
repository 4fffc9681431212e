#pragma once
// The instrument text exports written by the tests: Kratos (landmarks and "=" values), Leybold,
// PHI and two-column files, from a synthetic C 1s spectrum.

#include <cstdio>
#include <string>
#include <vector>

#include "support/synthetic_region.h"

namespace vortlan::testing {

inline std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// A C 1s line on a step, from 292 eV down in steps of 0.1 eV.
inline double c1sCounts(double energy) {
    return gaussianOn(0.0, 285.0, 2000.0, 1.4)(energy) + step(285.0, 300.0, 700.0)(energy);
}
inline double c1sEnergy(int i) {
    return 292.0 - 0.1 * i;
}

struct KratosTestComponent {
    std::string label;
    std::string shape;
    double position = 285.0;
    double height = 80.0;
    double fwhm = 1.4;
};

// Kinetic energies rise with the line, so binding energies fall; landmarks are written with values
// that another landmark's search would land on if the reader lost its place.
struct KratosTestFile {
    int points = 121;
    std::vector<std::string> dataLines;  // instead of the C 1s points when given
    bool comment = true;
    bool fitted = true;
    std::string background = "SHIRLEY";
    std::vector<KratosTestComponent> components;
    std::string lineEnd = "\n";

    std::string text() const {
        std::vector<std::string> lines = {"Dataset:\tsample12.des", "Object name:\tC 1s"};
        const std::vector<std::string> data = dataLines.empty() ? c1sLines() : dataLines;
        lines.push_back("# ordinates = " + std::to_string(data.size()));
        if (comment) lines.push_back("Comment = Sample A, as received");
        lines.push_back("Excitation energy = 1486.6");
        if (fitted) region(lines);
        lines.push_back("Intensity (Counts)");
        lines.insert(lines.end(), data.begin(), data.end());
        std::string out;
        for (const std::string& line : lines) out += line + lineEnd;
        return out;
    }

    std::vector<std::string> c1sLines() const {
        std::vector<std::string> out;
        for (int i = 0; i < points; ++i) {
            out.push_back("  " + fixed(1486.6 - c1sEnergy(i), 1) + " " + fixed(c1sCounts(c1sEnergy(i)), 0));
        }
        return out;
    }

    void region(std::vector<std::string>& lines) const {
        const std::vector<std::string> values = {"3", " C 1s", "eV", "281", "291", "0", "1", background,
                                                 "0", "0", "0", std::to_string(components.size())};
        lines.push_back("Regions = 1");
        for (std::size_t v = 0; v < values.size(); ++v) {
            lines.push_back("Region value " + std::to_string(v + 1) + " =" + values[v]);
        }
        lines.push_back("Components =");
        for (const KratosTestComponent& c : components) {
            for (int v = 1; v <= 27; ++v) {
                std::string value = std::to_string(v * 1000);
                if (v == 1) value = c.label;
                if (v == 2) value = c.shape;
                if (v == 13) value = fixed(c.position, 2);
                if (v == 19) value = fixed(c.height, 2);
                if (v == 25) value = fixed(c.fwhm, 2);
                lines.push_back("  parameter " + std::to_string(v) + " = " + value);
            }
        }
    }
};

// Points i of the C 1s spectrum, from `first` in steps of `step`, as "energy,counts" fields.
inline std::string c1sPairs(int count, int first = 0, int step = 1, const std::string& separator = " ") {
    std::string out;
    for (int k = 0; k < count; ++k) {
        const int i = first + k * step;
        out += fixed(c1sEnergy(i), 1) + separator + fixed(c1sCounts(c1sEnergy(i)), 0) + "\n";
    }
    return out;
}

// A Leybold region of n points; `rising` lists them from low to high binding energy.
inline std::string leyboldRegion(const std::string& caption, int n, bool rising = false) {
    return "Region data,\"" + caption + "\"\nPoints=" + std::to_string(n) + "\n" +
           (rising ? c1sPairs(n, n - 1, -1) : c1sPairs(n));
}

inline std::string leyboldFile(const std::vector<std::string>& regions) {
    std::string out = "\"Sample A, as received\"\nRegions=" + std::to_string(regions.size()) + "\n";
    for (const std::string& region : regions) out += region;
    return out;
}

// A PHI region record: E0, step and n intensities of the C 1s spectrum read from `first` on.
inline std::string phiRegion(const std::string& caption, double start, double step, int n) {
    std::string out = "Sample A,sputtered\n" + caption + "\n1\n" + fixed(start, 2) + "\n" + fixed(step, 2) +
                      "\n" + std::to_string(n) + "\n";
    for (int i = 0; i < n; ++i) out += fixed(c1sCounts(start + step * i), 0) + "\n";
    return out + "0\n";
}

}  // namespace vortlan::testing
