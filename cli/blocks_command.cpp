// `blocks`: what the desktop program's block chooser lists of a VAMAS file, as a table or JSON.

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/json_writer.h"
#include "io/vamas_file.h"
#include "session/import_vamas.h"

namespace vortlan::cli {

namespace {

constexpr std::size_t kColumns = 6;
using Row = std::array<std::string, kColumns>;
// The numbers stand to the right of their columns.
constexpr std::array<bool, kColumns> kRightAligned{true, false, false, false, true, false};

// Binding energies with the chooser's two decimals.
std::string energyText(float energy) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(energy));
    return text;
}

std::string tableText(const std::vector<VamasBlockSummary>& blocks) {
    std::vector<Row> rows{{"Block", "Species", "Transition", "Technique", "Points", "Energy (eV)"}};
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        const VamasBlockSummary& b = blocks[k];
        rows.push_back({std::to_string(k + 1), b.species, b.transition, b.technique, std::to_string(b.points),
                        energyText(b.energyHigh) + " to " + energyText(b.energyLow)});
    }
    std::array<std::size_t, kColumns> widths{};
    for (const Row& row : rows) {
        for (std::size_t c = 0; c < kColumns; ++c) widths[c] = std::max(widths[c], row[c].size());
    }
    std::string text;
    for (const Row& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < kColumns; ++c) {
            const std::string padding(widths[c] - row[c].size(), ' ');
            line += (c > 0 ? "  " : "") + (kRightAligned[c] ? padding + row[c] : row[c] + padding);
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        text += line + '\n';
    }
    return text;
}

std::string jsonText(const std::vector<VamasBlockSummary>& blocks) {
    JsonWriter json;
    json.beginArray();
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        const VamasBlockSummary& b = blocks[k];
        json.beginObject().key("block").value(static_cast<int>(k + 1));
        json.key("species").value(b.species).key("transition").value(b.transition);
        json.key("technique").value(b.technique).key("points").value(b.points);
        json.key("energy_high").value(b.energyHigh).key("energy_low").value(b.energyLow);
        json.key("left_out");
        if (const std::string why = whyNotImportable(b); why.empty()) {
            json.null();
        } else {
            json.value(why);
        }
        json.endObject();
    }
    json.endArray();
    return json.text();
}

}  // namespace

int runBlocks(const Arguments& args) {
    const std::string& path = args.positional(0);
    std::ifstream in(path, std::ios::binary);
    if (!in) throw CommandFailed("cannot read " + path);
    VamasIndex index;
    try {
        index = indexVamas(in);
    } catch (const VamasError& error) {
        throw CommandFailed(path + ": " + error.what());
    }
    std::cout << (args.has("--json") ? jsonText(index.blocks) : tableText(index.blocks));
    for (std::size_t k = 0; k < index.blocks.size(); ++k) {
        if (const std::string why = whyNotImportable(index.blocks[k]); !why.empty())
            std::cerr << "vortlan-cli: " << path << ": block " << k + 1 << " left out: " << why << '\n';
    }
    if (index.damaged) {
        std::cerr << "vortlan-cli: " << path << ": block " << index.blocks.size() + 1
                  << " cannot be read; the file announces " << index.layout.blockCount << " blocks\n";
    }
    return 0;
}

}  // namespace vortlan::cli
