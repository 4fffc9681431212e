#pragma once
// One spectrum of a batch, fitted in a session of its own as if the program had been started afresh
// for it: import into region 1, load the model, accept its background, optimise the region, write the
// chosen files.

#include <filesystem>
#include <string>

#include "cli/batch_items.h"
#include "cli/batch_outputs.h"
#include "cli/batch_runner.h"
#include "cli/pictures.h"

namespace vortlan::cli {

struct BatchSettings {
    std::string model;
    std::string options;  // empty: the working directory's default.opa
    std::string format;
    std::filesystem::path outDir;
    std::string level;  // canonical; empty: the level the import names, if any
    OutputChoice outputs;
};

// The spectrum as the batch's notes name it: the file, with its block when one was chosen.
std::string itemName(const BatchItem& item);

// Safe to call from several threads at once.  Without `pictures` no picture is drawn.  A spectrum that
// fails is skipped: its messages then end with "vortlan-cli: FILE: skipped: reason".
ItemOutcome fitItem(const BatchSettings& settings, const Pictures* pictures, const BatchItem& item,
                    std::size_t index);

}  // namespace vortlan::cli
