#include "cli/spectrum_import.h"

#include "session/file_imports.h"

namespace vortlan::cli {

const std::vector<std::string_view>& importFormatNames() {
    static const std::vector<std::string_view> names = {"vamas", "kratos", "leybold", "phi", "ascii", "auto"};
    return names;
}

void importSpectrum(CliSession& cli, std::string_view format, const std::string& path) {
    if (format == "auto") {
        const auto sniffed = sniffedFileFormat(path);
        if (const auto* reason = std::get_if<std::string>(&sniffed)) throw CommandFailed(*reason);
        format = std::get<std::string_view>(sniffed);
    }
    cli.workspace().fileName = path;
    if (!importFormat(cli.session, format)) throw CommandFailed();
}

}  // namespace vortlan::cli
