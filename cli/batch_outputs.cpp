#include "cli/batch_outputs.h"

#include <algorithm>

namespace vortlan::cli {

namespace {

constexpr std::array<std::string_view, kBatchOutputs.size()> kWords = {"xps", "par", "dat", "png", "report"};
constexpr std::array<std::string_view, kBatchOutputs.size()> kEndings = {".xps", ".par", ".dat", ".png",
                                                                         ".report.csv"};

std::optional<BatchOutput> outputOfWord(std::string_view word) {
    const auto at = std::find(kWords.begin(), kWords.end(), word);
    if (at == kWords.end()) return std::nullopt;
    return kBatchOutputs[static_cast<std::size_t>(at - kWords.begin())];
}

}  // namespace

OutputChoice::OutputChoice() {
    for (BatchOutput output :
         {BatchOutput::Project, BatchOutput::Parameters, BatchOutput::Spectrum, BatchOutput::Picture})
        set(output, true);
}

std::optional<OutputChoice> parseOutputChoice(std::string_view text) {
    OutputChoice choice;
    for (BatchOutput output : kBatchOutputs) choice.set(output, false);
    if (text == "none") return choice;
    while (true) {
        const std::size_t comma = text.find(',');
        const std::optional<BatchOutput> output = outputOfWord(text.substr(0, comma));
        if (!output || choice.has(*output)) return std::nullopt;
        choice.set(*output, true);
        if (comma == std::string_view::npos) return choice;
        text.remove_prefix(comma + 1);
    }
}

std::string_view outputEnding(BatchOutput output) {
    return kEndings[static_cast<std::size_t>(output)];
}

}  // namespace vortlan::cli
