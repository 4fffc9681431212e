#pragma once
// The spectrum imports by the names the tool gives the formats, "auto" among them.

#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_session.h"

namespace vortlan::cli {

// "vamas", "kratos", "leybold", "phi", "ascii" and "auto".
const std::vector<std::string_view>& importFormatNames();

// The import of the spectrum window for the format, on the file, into the current region (and the
// following ones for the formats that carry several).  "auto" takes the format the file's first
// kilobytes follow.  Throws CommandFailed when the import was refused or failed.
void importSpectrum(CliSession& cli, std::string_view format, const std::string& path);

}  // namespace vortlan::cli
