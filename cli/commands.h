#pragma once
// The subcommands of vortlan-cli.  Each returns the exit status of a command that ran (0, or 1 when
// it was refused); a usage error throws UsageError and a refusal may throw CommandFailed.

#include <string_view>
#include <vector>

#include "cli/arguments.h"

namespace vortlan::cli {

struct Command {
    CommandSyntax syntax;
    int (*run)(const Arguments&);
};

// Every command in the order of the tool's help.
const std::vector<Command>& commands();

int runInfo(const Arguments& args);
int runNew(const Arguments& args);
int runImport(const Arguments& args);
int runBlocks(const Arguments& args);
int runBackground(const Arguments& args);
int runAddPeak(const Arguments& args);
int runConstrain(const Arguments& args);
int runDeletePeak(const Arguments& args);
int runShift(const Arguments& args);
int runCaption(const Arguments& args);
int runElement(const Arguments& args);
int runQuantify(const Arguments& args);
int runClear(const Arguments& args);
int runDeleteRegion(const Arguments& args);
int runParamsSave(const Arguments& args);
int runParamsLoad(const Arguments& args);
int runFit(const Arguments& args);
int runExportSpectrum(const Arguments& args);
int runExportPeaks(const Arguments& args);
int runExportReport(const Arguments& args);
int runRender(const Arguments& args);
int runOptionsShow(const Arguments& args);
int runOptionsWrite(const Arguments& args);
int runBatch(const Arguments& args);
int runMerge(const Arguments& args);

}  // namespace vortlan::cli
