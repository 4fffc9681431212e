#include "session/file_imports.h"

#include <fstream>

#include "io/format_sniffer.h"
#include "session/import_kratos.h"
#include "session/import_text.h"
#include "session/import_vamas.h"

namespace vortlan {

std::variant<std::string_view, std::string> sniffedFileFormat(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "cannot read " + path;
    std::string head(kSniffHeadBytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    const SpectrumFormat format = sniffFormat(head);
    if (format == SpectrumFormat::Unknown) return "cannot tell the format of " + path + "; name it";
    return formatName(format);
}

bool importFormat(Session& session, std::string_view format) {
    if (format == "vamas") return importVamas(session);
    if (format == "kratos") return importKratos(session);
    if (format == "leybold") return importLeybold(session);
    if (format == "phi") return importPhi(session);
    if (format == "ascii") return importAscii(session);
    return false;
}

}  // namespace vortlan
