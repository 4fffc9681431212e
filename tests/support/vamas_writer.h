#pragma once
// VAMAS files written field by field in the standard's order, with the fields that some experiment
// modes and techniques add.  The fields a reader skips hold "XPS" and 1486.6, which would show up in
// its result if it lost its place.

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
    std::vector<std::string> units;  // of the variables, in their order; "d" for those not given
    std::vector<double> values;      // interleaved by corresponding variable
    std::vector<std::string> comments;
    int additionalParameters = 0;
    std::string collectionTime = "1486.6";  // seconds
    std::string scans = "1486.6";           // not a count of scans unless a test sets one
    std::optional<int> announcedValues;     // the count written when it is not the number of values
};

struct VamasTestFile {
    explicit VamasTestFile(std::vector<VamasTestBlock> list) : blocks(std::move(list)) {}

    std::vector<VamasTestBlock> blocks;
    std::string experimentMode = "NORM";
    std::string scanMode = "REGULAR";
    std::vector<std::string> comments;
    std::vector<std::string> experimentalVariables;
    std::vector<int> excluded;  // parameters that the blocks after the first leave out
    std::string lineEnd = "\n";
};

class VamasTextWriter {
  public:
    explicit VamasTextWriter(const VamasTestFile& file) : f_(file) {}

    std::string text() {
        put({"VAMAS Surface Chemical Analysis Standard Data Transfer Format 1988 May 4", "Lab", "XPS", "Me",
             "Test"});
        put(counted(f_.comments));
        put({f_.experimentMode, f_.scanMode});
        if (modeIn({"MAP", "MAPDP", "NORM", "SDP"})) put({str(f_.blocks.size())});
        if (modeIn({"MAP", "MAPDP"})) put({"4", "2", "2"});
        put({str(f_.experimentalVariables.size())});
        for (const std::string& label : f_.experimentalVariables) put({label, "XPS"});
        put({str(-static_cast<int>(f_.excluded.size()))});
        for (int p : f_.excluded) put({str(p)});
        put({"0", "1", "2", e,
             str(f_.blocks.size())});  // upgrade entries: one of the experiment, two a block
        for (std::size_t b = 0; b < f_.blocks.size(); ++b) block(f_.blocks[b], b == 0);
        put({"end of experiment"});
        return out_.str();
    }

  private:
    using Lines = std::vector<std::string>;
    static constexpr const char* e = "1486.6";

    template <typename T>
    static std::string str(const T& value) {
        std::ostringstream s;
        s.precision(12);
        s << value;
        return s.str();
    }
    static Lines counted(const Lines& lines) {
        Lines all{str(lines.size())};
        all.insert(all.end(), lines.begin(), lines.end());
        return all;
    }
    static Lines when(bool present, Lines lines) { return present ? lines : Lines{}; }
    void put(const Lines& lines) {
        for (const std::string& line : lines) out_ << line << f_.lineEnd;
    }
    bool modeIn(std::initializer_list<std::string> modes) const {
        return std::find(modes.begin(), modes.end(), f_.experimentMode) != modes.end();
    }

    // The block parameters by the inclusion list's numbers (from 1).
    std::vector<Lines> parameters(const VamasTestBlock& b) const {
        const bool ions = b.technique == "SIMS";
        const bool sputtering = modeIn({"MAPDP", "MAPSVDP", "SDP", "SDPSV"});
        Lines variables{str(b.variables.size())};
        for (std::size_t v = 0; v < b.variables.size(); ++v)
            variables.insert(variables.end(), {b.variables[v], v < b.units.size() ? b.units[v] : "d"});
        Lines extra{str(b.additionalParameters)};
        for (int i = 0; i < b.additionalParameters; ++i) extra.insert(extra.end(), {"XPS", "eV", e});
        // clang-format off
        return {{},
            {"Block"}, {"XPS"}, {"2024"}, {"5"}, {"17"}, {"10"}, {"30"}, {"0"}, {"1"},              // 1-9
            counted(b.comments), {b.technique}, when(modeIn({"MAP", "MAPDP"}), {e, e}),                 // 10-12
            Lines(f_.experimentalVariables.size(), e), {"Al XPS"},                                     // 13-14
            when(ions || sputtering, {"18", "1", "+1"}), {str(b.sourceEnergy)}, {e}, {e, e},            // 15-18
            when(modeIn({"MAP", "MAPDP", "MAPSV", "MAPSVDP", "SEM"}), {e, e}),                          // 19
            when(modeIn({"MAPSV", "MAPSVDP", "SEM"}), {"0", "0", "1", "0", "1", "1"}),                  // 20
            {e}, {e}, {"FAT"}, {e}, when(b.technique == "AES diff", {e}), {e}, {e}, {e}, {e, e}, {e, e},  // 21-30
            {b.species}, {b.transition, "-1"},                                                         // 31-32
            when(f_.scanMode == "REGULAR", {b.abscissaLabel, "eV", str(b.start), str(b.increment)}),   // 33
            variables, {e}, {b.collectionTime}, {b.scans}, {e},                                        // 34-38
            when(!ions && sputtering, {e, e, e, e, e, e, "DC"}),                                       // 39
            {e, e}, {e}, extra};                                                                       // 40-42
        // clang-format on
    }

    void block(const VamasTestBlock& b, bool first) {
        const std::vector<Lines> all = parameters(b);
        for (int p = 1; p < static_cast<int>(all.size()); ++p) {
            if (first || std::count(f_.excluded.begin(), f_.excluded.end(), p) == 0) put(all[p]);
        }
        put({e, e});  // the block upgrade entries
        put({str(b.announcedValues.value_or(static_cast<int>(b.values.size())))});
        for (std::size_t v = 0; v < b.variables.size(); ++v) put({"0", e});
        for (double v : b.values) put({str(v)});
    }

    const VamasTestFile& f_;
    std::ostringstream out_;
};

inline std::string vamasText(const VamasTestFile& file) {
    return VamasTextWriter(file).text();
}

// A block of the defaults with n values 1000 + 10 i.
inline VamasTestBlock rampBlock(int n, std::string technique = "XPS") {
    VamasTestBlock b;
    b.technique = std::move(technique);
    for (int i = 0; i < n; ++i) b.values.push_back(1000.0 + 10.0 * i);
    return b;
}

// A file of these blocks with the rest changed by `change`.
template <typename Change>
VamasTestFile fileWith(std::vector<VamasTestBlock> blocks, Change change) {
    VamasTestFile file(std::move(blocks));
    change(file);
    return file;
}

}  // namespace vortlan::testing
