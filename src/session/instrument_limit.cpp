#include "session/instrument_limit.h"

#include <cmath>

#include "base/number_reading.h"
#include "base/number_text.h"

namespace vortlan {

bool setInstrumentFwhm(Session& session, std::optional<double> fwhm) {
    if (fwhm && !(std::isfinite(*fwhm) && *fwhm > 0.0 && *fwhm <= kLargestInstrumentFwhm)) {
        session.port.message(
            "The instrument's FWHM limit must be above 0 and at most 20 eV, or empty for none");
        return false;
    }
    session.workspace.instrumentFwhm = fwhm;
    return true;
}

std::string instrumentFwhmText(const Workspace& ws) {
    return ws.instrumentFwhm ? shortNumberText(static_cast<float>(*ws.instrumentFwhm)) : std::string();
}

bool applyInstrumentFwhmText(Session& session, const std::string& text) {
    if (text.find_first_not_of(" \t") == std::string::npos) return setInstrumentFwhm(session, std::nullopt);
    return setInstrumentFwhm(session, leadingNumber(text));
}

}  // namespace vortlan
