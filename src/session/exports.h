#pragma once
// The spectrum window's "Export (Spectrum)", "Export (Peak Parameters)" and "Export (Fit Report)": the
// current region as text, written to fileName after the save dialog has set it.

#include <functional>

#include "session/session.h"

namespace vortlan {

// Each replaces the file whole.  A file that cannot be written is reported with "Error in writing
// file", gives false, and the previous file, if any, stays as it was.
bool exportSpectrum(Session& session);
bool exportPeakParameters(Session& session);
// With `replicas` Monte Carlo replicas fitted for it (0: none), the busy pointer shown meanwhile.
// A report whose Monte Carlo replicas were stopped (see monteCarloErrors) is not written: false.
bool exportFitReport(Session& session, int replicas, const std::function<bool()>& stopRequested = {});

}  // namespace vortlan
