#pragma once
// The instrument text exports written by the tests (Kratos, Leybold, PHI, two columns), holding a
// synthetic C 1s spectrum sampled from 292 eV down in steps of 0.1 eV.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/fitted_session.h"
#include "support/synthetic_region.h"
#include "support/temp_dir.h"

namespace vortlan::testing {

inline std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

inline double c1sEnergy(int i) {
    return 292.0 - 0.1 * i;
}
inline double c1sCounts(double energy) {
    return gaussianOn(0.0, 285.0, 2000.0, 1.4)(energy) + step(285.0, 300.0, 700.0)(energy);
}

struct KratosTestComponent {
    std::string label, shape;
    double position = 285.0, height = 80.0, fwhm = 1.4;
};

// The values a reader must skip are numbers it would show if it lost its place.
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
        std::vector<std::string> data = dataLines;
        for (int i = 0; dataLines.empty() && i < points; ++i) {
            data.push_back("  " + fixed(1486.6 - c1sEnergy(i), 1) + " " + fixed(c1sCounts(c1sEnergy(i)), 0));
        }
        lines.push_back("# ordinates = " + std::to_string(data.size()));
        if (comment) lines.push_back("Comment = Sample A, as received");
        lines.push_back("Excitation energy = 1486.6");
        if (fitted) {
            const std::vector<std::string> values = {"3",   " C 1s", "eV", "281",
                                                     "291", "0",     "1",  background,
                                                     "0",   "0",     "0",  std::to_string(components.size())};
            lines.push_back("Regions = 1");
            for (const std::string& value : values) lines.push_back("Region value =" + value);
            lines.push_back("Components =");
        }
        for (const KratosTestComponent& c : components) {
            for (int v = 1; v <= 27; ++v) {
                const std::string value = v == 1    ? c.label
                                          : v == 2  ? c.shape
                                          : v == 13 ? fixed(c.position, 2)
                                          : v == 19 ? fixed(c.height, 2)
                                          : v == 25 ? fixed(c.fwhm, 2)
                                                    : std::to_string(v * 1000);
                lines.push_back("  parameter " + std::to_string(v) + " = " + value);
            }
        }
        lines.push_back("Intensity (Counts)");
        lines.insert(lines.end(), data.begin(), data.end());
        std::string out;
        for (const std::string& line : lines) out += line + lineEnd;
        return out;
    }
};

// Points first, first + step, ... of the C 1s spectrum as "energy<separator>counts" lines.
inline std::string c1sPairs(int count, int first = 0, int step = 1, const std::string& separator = " ") {
    std::string out;
    for (int i = first, k = 0; k < count; ++k, i += step) {
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

// A PHI region record: start energy, step and n intensities.
inline std::string phiRegion(const std::string& caption, double start, double step, int n) {
    std::string out = "Sample A,sputtered\n" + caption + "\n1\n" + fixed(start, 2) + "\n" + fixed(step, 2) +
                      "\n" + std::to_string(n) + "\n";
    for (int i = 0; i < n; ++i) out += fixed(c1sCounts(start + step * i), 0) + "\n";
    return out + "0\n";
}

// A session whose region 0, current, holds a fitted C 1s spectrum with peaks 0-2 and region 3 one with
// peak 5, importing files written by the test.
class ImportTest : public ::testing::Test, protected FittedSession {
  protected:
    bool importText(const std::string& text, bool (*import)(Session&), int region = 0) {
        ws.fileName = dir.file("spectra.txt");
        writeWholeFile(ws.fileName, text);
        ws.currentRegion = static_cast<short>(region);
        port.messages.clear();
        return import(session);
    }

    Workspace& ws = session.workspace;
    TempDir dir;
};

}  // namespace vortlan::testing
