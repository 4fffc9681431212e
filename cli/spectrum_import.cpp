#include "cli/spectrum_import.h"

#include <fstream>

#include "io/format_sniffer.h"
#include "session/import_kratos.h"
#include "session/import_text.h"
#include "session/import_vamas.h"

namespace vortlan::cli {

namespace {

std::string_view sniffedFormat(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw CommandFailed("cannot read " + path);
    std::string head(kSniffHeadBytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    const SpectrumFormat format = sniffFormat(head);
    if (format == SpectrumFormat::Unknown)
        throw CommandFailed("cannot tell the format of " + path + "; name it");
    return formatName(format);
}

}  // namespace

const std::vector<std::string_view>& importFormatNames() {
    static const std::vector<std::string_view> names = {"vamas", "kratos", "leybold", "phi", "ascii", "auto"};
    return names;
}

void importSpectrum(CliSession& cli, std::string_view format, const std::string& path) {
    if (format == "auto") format = sniffedFormat(path);
    cli.workspace().fileName = path;
    bool imported = false;
    if (format == "vamas") imported = importVamas(cli.session);
    if (format == "kratos") imported = importKratos(cli.session);
    if (format == "leybold") imported = importLeybold(cli.session);
    if (format == "phi") imported = importPhi(cli.session);
    if (format == "ascii") imported = importAscii(cli.session);
    if (!imported) throw CommandFailed();
}

}  // namespace vortlan::cli
