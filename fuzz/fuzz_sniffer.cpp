// A file of unnamed format: the sniffer's guess from the file's head, then the import of the format
// it names, as the command-line tool opens a spectrum it was not told the format of.

#include <algorithm>

#include "fuzz_session.h"
#include "io/format_sniffer.h"
#include "session/import_kratos.h"
#include "session/import_text.h"
#include "session/import_vamas.h"

using namespace vortlan;

namespace {

bool importAs(SpectrumFormat format, Session& session) {
    switch (format) {
        case SpectrumFormat::Vamas:
            return importVamas(session);
        case SpectrumFormat::Kratos:
            return importKratos(session);
        case SpectrumFormat::Leybold:
            return importLeybold(session);
        case SpectrumFormat::Phi:
            return importPhi(session);
        case SpectrumFormat::Ascii:
            return importAscii(session);
        case SpectrumFormat::Unknown:
            break;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view whole(reinterpret_cast<const char*>(data), size);
    // Any cut of the head is a head the sniffer may be given; the callers give at most this much.
    sniffFormat(whole);
    const SpectrumFormat format = sniffFormat(whole.substr(0, std::min(size, kSniffHeadBytes)));
    if (formatName(format).empty()) __builtin_trap();
    if (format == SpectrumFormat::Unknown) return 0;
    fuzz::FreshSession fresh;
    fresh.workspace().fileName = fuzz::writeInputFile(data, size);
    importAs(format, fresh.session);
    fuzz::requireSoundWorkspace(fresh.workspace(), "importing a file in the format the sniffer named");
    return 0;
}
