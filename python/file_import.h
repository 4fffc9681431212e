#pragma once
// A data file imported into the current region as `vortlan-cli batch` imports it: the format told from
// the file's first kilobytes, or one block of a VAMAS file read alone.

#include <string>

#include "session/session.h"

namespace vortlan::python {

// Imports the whole file (as its format's import does).  Throws SpectrumFitFailed with the reason.
void importWholeFile(Session& session, const std::string& path);

// Imports block `number` (from 1, as the block chooser numbers them) and returns its label ("C 1s").
// Throws SpectrumFitFailed with the reason.
std::string importFileBlock(Session& session, const std::string& path, int number);

}  // namespace vortlan::python
