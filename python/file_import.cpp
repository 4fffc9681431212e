#include "python/file_import.h"

#include <fstream>

#include "io/format_sniffer.h"
#include "io/vamas_file.h"
#include "session/import_kratos.h"
#include "session/import_text.h"
#include "session/import_vamas.h"
#include "session/spectrum_fit.h"

namespace vortlan::python {

namespace {

std::string_view sniffedFormat(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw SpectrumFitFailed("cannot read " + path);
    std::string head(kSniffHeadBytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    const SpectrumFormat format = sniffFormat(head);
    if (format == SpectrumFormat::Unknown)
        throw SpectrumFitFailed("cannot tell the format of " + path + "; name it");
    return formatName(format);
}

std::string blockLabel(const VamasBlockSummary& block) {
    if (block.species.empty() || block.transition.empty()) return block.species + block.transition;
    return block.species + " " + block.transition;
}

}  // namespace

void importWholeFile(Session& session, const std::string& path) {
    const std::string_view format = sniffedFormat(path);
    session.workspace.fileName = path;
    bool imported = false;
    if (format == "vamas") imported = importVamas(session);
    if (format == "kratos") imported = importKratos(session);
    if (format == "leybold") imported = importLeybold(session);
    if (format == "phi") imported = importPhi(session);
    if (format == "ascii") imported = importAscii(session);
    if (!imported) throw SpectrumFitFailed();
}

std::string importFileBlock(Session& session, const std::string& path, int number) {
    const std::string where = path + ": block " + std::to_string(number) + ": ";
    std::ifstream in(path, std::ios::binary);
    if (!in) throw SpectrumFitFailed("cannot read " + path);
    VamasBlock block;
    std::string label;
    try {
        const VamasIndex index = indexVamas(in);
        if (number < 1 || static_cast<std::size_t>(number) > index.blocks.size())
            throw SpectrumFitFailed(where + "no such block in the file");
        label = blockLabel(index.blocks[static_cast<std::size_t>(number - 1)]);
        std::ifstream again(path, std::ios::binary);
        block = readVamasBlock(again, index, static_cast<std::size_t>(number - 1));
    } catch (const VamasError& error) {
        throw SpectrumFitFailed(where + error.what());
    }
    session.workspace.fileName = path;
    if (!importReadVamasBlock(session, block)) throw SpectrumFitFailed();
    return label;
}

}  // namespace vortlan::python
