#pragma once
// What happens between the start of the program and the first user command; the desktop program and
// the command-line tool both start this way.

#include "session/session.h"

namespace vortlan {

inline constexpr const char* kMainWindowCaption = "Vortlan Processing";
inline constexpr const char* kSpectrumWindowCaption = "Vortlan Fit";

// Empty workspace, dialogs with their initial texts and lists, and the options of "default.opa" in
// the working directory (or the built-in ones when there is no such file); the spectrum window shown.
void startUp(Session& session);

}  // namespace vortlan
