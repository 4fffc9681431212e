#pragma once
// The files a batch writes for each spectrum, chosen with --outputs and --no-pictures.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace vortlan::cli {

enum class BatchOutput { Project, Parameters, Spectrum, Picture, Report };
constexpr std::array<BatchOutput, 5> kBatchOutputs = {BatchOutput::Project, BatchOutput::Parameters,
                                                      BatchOutput::Spectrum, BatchOutput::Picture,
                                                      BatchOutput::Report};

class OutputChoice {
  public:
    // What a batch has always written: the project, the peak table, the spectrum and the picture.
    OutputChoice();

    bool has(BatchOutput output) const { return chosen_[static_cast<std::size_t>(output)]; }
    void set(BatchOutput output, bool chosen) { chosen_[static_cast<std::size_t>(output)] = chosen; }

  private:
    std::array<bool, kBatchOutputs.size()> chosen_{};
};

// "xps,par,dat,png,report" in any order and number, or "none" (the summary only); nothing for a word
// that is none of these, a word given twice, or an empty list.
std::optional<OutputChoice> parseOutputChoice(std::string_view text);

// The ending of the output's file: ".xps", …, ".report.csv" for the fit report.
std::string_view outputEnding(BatchOutput output);

}  // namespace vortlan::cli
