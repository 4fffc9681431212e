// Writes the C 1s series of batch_spectra.h for the batch benchmarks: COUNT spectra both as COUNT
// VAMAS files (DIR/spectra/c1s-00001.vms, ...) and as one VAMAS file of COUNT blocks
// (DIR/c1s-series.vms), block k the same spectrum as file k.
//
// Usage: vortlan-make-batch-spectra COUNT DIR

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "batch_spectra.h"

namespace vortlan::synthetic {
namespace {

namespace fs = std::filesystem;

const VamasExperiment kExperiment{"Vortlan benchmarks",
                                  "tools/make_batch_spectra.cpp",
                                  "C 1s series",
                                  "Synthetic carbon surface",
                                  {"Synthetic C 1s series for timing batch fits.",
                                   "Made by tools/make_batch_spectra.cpp with fixed seeds."}};

// Five digits at least, so that the files list in their order up to 99,999.
std::string number(int k, int count) {
    const std::size_t width = std::max<std::size_t>(5, std::to_string(count).size());
    std::string digits = std::to_string(k);
    return std::string(width - std::min(width, digits.size()), '0') + digits;
}

bool writeFile(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return !out.fail();
}

bool writeSeries(int count, const fs::path& directory) {
    const fs::path series = directory / "c1s-series.vms";
    std::ofstream all(series, std::ios::binary | std::ios::trunc);
    all << vamasHeader(kExperiment, count);
    for (int i = 0; i < count; ++i) {
        const std::string k = number(i + 1, count);
        const VamasBlockLabels labels{"C 1s " + k, "C", "1s", "spectrum " + k + " of the series"};
        const std::string block = vamasBlock(kExperiment, measure(batchC1sRecipe(i)), labels);
        const fs::path single = directory / "spectra" / ("c1s-" + k + ".vms");
        if (!writeFile(single, vamasHeader(kExperiment, 1) + block + vamasEnd(kExperiment))) {
            std::cerr << "cannot write " << single.string() << '\n';
            return false;
        }
        all << block;
    }
    all << vamasEnd(kExperiment);
    all.close();
    if (all.fail()) std::cerr << "cannot write " << series.string() << '\n';
    return !all.fail();
}

std::optional<int> parseCount(std::string_view text) {
    int count = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (error != std::errc() || end != text.data() + text.size() || count < 1) return std::nullopt;
    return count;
}

}  // namespace
}  // namespace vortlan::synthetic

int main(int argc, char** argv) {
    using namespace vortlan::synthetic;
    const std::optional<int> count = argc == 3 ? parseCount(argv[1]) : std::nullopt;
    if (!count) {
        std::cerr << "usage: vortlan-make-batch-spectra COUNT DIR\n";
        return 2;
    }
    const fs::path directory = argv[2];
    std::error_code error;
    fs::create_directories(directory / "spectra", error);
    if (error) {
        std::cerr << "cannot make " << (directory / "spectra").string() << ": " << error.message() << '\n';
        return 1;
    }
    return writeSeries(*count, directory) ? 0 : 1;
}
