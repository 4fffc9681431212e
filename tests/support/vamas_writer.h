#pragma once
// VAMAS files written field by field in the standard's order, with the fields that some experiment
// modes and techniques add.  The fields a reader skips carry numbers and labels that would show up
// in its result ("XPS" in labels, energies in parameters) if it lost its place.

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace vortlan::testing {

struct VamasTestBlock {
    std::string technique = "XPS";
    std::string species = "C";
    std::string transition = "1s";
    double sourceEnergy = 1486.6;
    std::string abscissaLabel = "Kinetic Energy";  // regular scans only
    double start = 1186.6;
    double increment = 0.1;
    std::vector<std::string> variables = {"Intensity"};
    std::vector<double> values;  // interleaved by corresponding variable
    std::vector<std::string> comments;
    int additionalParameters = 0;
    std::optional<int> announcedValues;  // the count written when it is not the number of values
};

struct VamasTestFile {
    std::vector<VamasTestBlock> blocks;
    explicit VamasTestFile(std::vector<VamasTestBlock> list) : blocks(std::move(list)) {}

    std::string experimentMode = "NORM";
    std::string scanMode = "REGULAR";
    std::vector<std::string> comments;
    std::vector<std::string> experimentalVariables;
    std::vector<int> excluded;  // parameters that the blocks after the first leave out
    std::string lineEnd = "\n";
};

class VamasTextWriter {
  public:
    explicit VamasTextWriter(const VamasTestFile& file) : f_(file) { out_.precision(12); }

    std::string text() {
        header();
        for (std::size_t b = 0; b < f_.blocks.size(); ++b) block(f_.blocks[b], b == 0);
        put("end of experiment");
        return out_.str();
    }

  private:
    template <typename... T>
    void put(const T&... fields) {
        ((out_ << fields << f_.lineEnd), ...);
    }
    template <typename T>
    void list(const std::vector<T>& items) {
        put(items.size());
        for (const T& item : items) put(item);
    }
    bool modeIn(std::initializer_list<std::string> modes) const {
        return std::find(modes.begin(), modes.end(), f_.experimentMode) != modes.end();
    }

    void header() {
        put("VAMAS Surface Chemical Analysis Standard Data Transfer Format 1988 May 4", "Test laboratory",
            "XPS instrument", "Operator", "Experiment");
        list(f_.comments);
        put(f_.experimentMode, f_.scanMode);
        if (modeIn({"MAP", "MAPDP", "NORM", "SDP"})) put(f_.blocks.size());
        if (modeIn({"MAP", "MAPDP"})) put(4, 2, 2);
        put(f_.experimentalVariables.size());
        for (const std::string& label : f_.experimentalVariables) put(label, "XPS");
        put(-static_cast<int>(f_.excluded.size()));
        for (int p : f_.excluded) put(p);
        put(0, 1, 2, 1486.6, f_.blocks.size());  // manual items; upgrade entries: 1 experiment, 2 block
    }

    void block(const VamasTestBlock& b, bool first) {
        int p = 0;
        // Each call is the next parameter by the inclusion list's numbers.
        const auto keep = [&] {
            ++p;
            return first || std::count(f_.excluded.begin(), f_.excluded.end(), p) == 0;
        };
        if (keep()) put("Block");
        if (keep()) put("Sample XPS 1486.6");
        for (int v : {2024, 5, 17, 10, 30, 0, 1}) {
            if (keep()) put(v);
        }
        if (keep()) list(b.comments);
        if (keep()) put(b.technique);
        if (keep() && modeIn({"MAP", "MAPDP"})) put(1486.6, 1486.6);
        if (keep()) {
            for (std::size_t i = 0; i < f_.experimentalVariables.size(); ++i) put(1486.6);
        }
        if (keep()) put("Al XPS");
        const bool ions = b.technique == "SIMS" || b.technique == "ISS";
        if (keep() && (ions || modeIn({"MAPDP", "MAPSVDP", "SDP", "SDPSV"}))) put(18, 1, "+1");
        if (keep()) put(b.sourceEnergy);
        if (keep()) put(1486.6);          // strength
        if (keep()) put(1486.6, 1486.6);  // beam width
        if (keep() && modeIn({"MAP", "MAPDP", "MAPSV", "MAPSVDP", "SEM"})) put(500, 500);
        if (keep() && modeIn({"MAPSV", "MAPSVDP", "SEM"})) put(0, 0, 1, 0, 1, 1);
        if (keep()) put(54.7);
        if (keep()) put(0);
        if (keep()) put("FAT");
        if (keep()) put(20);
        if (keep() && b.technique == "AES diff") put(2);
        for (int i = 0; i < 3; ++i) {
            if (keep()) put(1486.6);  // magnification, work function, target bias
        }
        if (keep()) put(300, 700);
        if (keep()) put(0, 0);
        if (keep()) put(b.species);
        if (keep()) put(b.transition, -1);
        if (keep() && f_.scanMode == "REGULAR") put(b.abscissaLabel, "eV", b.start, b.increment);
        if (keep()) {
            put(b.variables.size());
            for (const std::string& label : b.variables) put(label, "d");
        }
        for (int i = 0; i < 4; ++i) {
            if (keep()) put(1486.6);  // signal mode, collection time, scans, time correction
        }
        const bool sputtered = b.technique != "SIMS" && b.technique != "ISS";
        if (keep() && sputtered && modeIn({"MAPDP", "MAPSVDP", "SDP", "SDPSV"}))
            put(4000, 1, 2, 2, 45, 0, "DC");
        if (keep()) put(0, 0);
        if (keep()) put(0);
        if (keep()) {
            put(b.additionalParameters);
            for (int i = 0; i < b.additionalParameters; ++i) put("XPS energy", "eV", 1486.6);
        }
        put(1486.6, 1486.6);  // the block upgrade entries
        put(b.announcedValues.value_or(static_cast<int>(b.values.size())));
        for (std::size_t i = 0; i < b.variables.size(); ++i) put(0, 1486.6);
        for (double v : b.values) put(v);
    }

    const VamasTestFile& f_;
    std::ostringstream out_;
};

// A file of these blocks with the header changed by `change`.
template <typename Change>
VamasTestFile fileWith(std::vector<VamasTestBlock> blocks, Change change) {
    VamasTestFile file(std::move(blocks));
    change(file);
    return file;
}

inline std::string vamasText(const VamasTestFile& file) {
    return VamasTextWriter(file).text();
}

// n points of one corresponding variable: 1000 + 10 i.
inline std::vector<double> rampValues(int n) {
    std::vector<double> values;
    for (int i = 0; i < n; ++i) values.push_back(1000.0 + 10.0 * i);
    return values;
}

}  // namespace vortlan::testing
