#pragma once
// A session of the program without windows, started as the desktop program starts, and the steps
// every command shares: opening the project, choosing the region or the peak, writing the result.

#include <iosfwd>
#include <stdexcept>
#include <string>

#include "cli/terminal_port.h"
#include "session/session.h"

namespace vortlan::cli {

// A command that was refused or failed: the tool ends with status 1.  An empty reason means the
// program has already said why in its own words.
class CommandFailed : public std::runtime_error {
  public:
    explicit CommandFailed(const std::string& reason = {}) : std::runtime_error(reason) {}
};

class CliSession {
  public:
    // Starts up: an empty workspace and the options of "default.opa" in the working directory.
    CliSession();
    // The same, with the program's messages written to `messages` and no progress line: a session of
    // a batch, whose messages are released in the order of its spectra.
    explicit CliSession(std::ostream& messages);
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    TerminalPort port;
    Session session{port};
    Workspace& workspace() { return session.workspace; }
};

// "Open XPS" of the file.
void openProjectFile(CliSession& cli, const std::string& path);
// "Save XPS" to the file.
void saveProjectFile(CliSession& cli, const std::string& path);
// The fit options of an option file, as "Load Parameters" of the options dialog reads them.
void readOptionsFile(CliSession& cli, const std::string& path);

// A click on the region's button: it becomes the current region.
void selectRegionButton(CliSession& cli, int region);
// The commands of the spectrum window that need data, or data and an accepted background.
void requireData(CliSession& cli, int region);
void requireBackground(CliSession& cli, int region);

// A click on the peak's button: the peak dialog opens on it, its boxes showing the peak's values.
void openPeakButton(CliSession& cli, int peak);

// The core level the text names, as the program writes it ("Ti 2p3/2"); CommandFailed with the reason
// for a text that names none, or more than one.
std::string canonicalCoreLevel(const std::string& text);

// The region numbered as the user numbers them.
std::string regionName(int region);

}  // namespace vortlan::cli
