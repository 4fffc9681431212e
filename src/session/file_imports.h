#pragma once
// A spectrum file imported by the name of its format, as the command-line tool and the Python module
// name them: "vamas", "kratos", "leybold", "phi", "ascii", or "auto" to tell the format from the file.

#include <string>
#include <string_view>
#include <variant>

#include "session/session.h"

namespace vortlan {

// The format the file's first kilobytes follow, or why it cannot be told ("cannot read PATH", "cannot
// tell the format of PATH; name it").
std::variant<std::string_view, std::string> sniffedFileFormat(const std::string& path);

// The spectrum window's import of the named format (not "auto") of workspace.fileName into the
// current region, and the following ones for the formats that carry several.  True when it filled the
// region; the import has said why otherwise.
bool importFormat(Session& session, std::string_view format);

}  // namespace vortlan
