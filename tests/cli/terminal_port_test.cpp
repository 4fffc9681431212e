// The command-line tool's progress line, written as a terminal would receive it.

#include "cli/terminal_port.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "fit/drivers.h"
#include "fit/verdict.h"
#include "io/option_file.h"
#include "support/fitted_session.h"

namespace vortlan::cli {
namespace {

// The lines the terminal showed, one for each redraw of the progress line (empty when it was cleared).
std::vector<std::string> shownLines(const std::string& written) {
    std::vector<std::string> lines;
    const std::string redraw = "\r\033[K";
    for (std::size_t at = written.find(redraw); at != std::string::npos;) {
        const std::size_t next = written.find(redraw, at + redraw.size());
        lines.push_back(written.substr(at + redraw.size(), next == std::string::npos ? std::string::npos
                                                                                        : next - at - redraw.size()));
        at = next;
    }
    return lines;
}

class TerminalPortTest : public ::testing::Test {
  protected:
    // The verdict the fit left.
    RegionVerdict fitRegion(TerminalPort& port) {
        Session session(port);
        session.workspace = fitted.session.workspace;
        session.workspace.options = defaultFitOptions();
        session.workspace.options.methodFlag = 1.0f;
        session.workspace.options.newtonTrials = 4;
        port.attach(session.workspace);
        optimiseRegion(session.workspace, port);
        return heldVerdictOf(session.workspace, 0);
    }
    testing::FittedSession fitted;
    std::ostringstream out;
};

TEST_F(TerminalPortTest, ProgressLineCountsTheLoopsTrialsAndShowsTheTotalTrimmed) {
    TerminalPort port(out, true);
    port.describeRun("c1s.vms");
    fitRegion(port);
    const std::vector<std::string> lines = shownLines(out.str());
    ASSERT_FALSE(lines.empty());
    int trial = 0;
    for (const std::string& line : lines) {
        if (line.empty()) continue;  // cleared at the end of the run
        ASSERT_EQ(line.rfind("c1s.vms  ", 0), 0u) << line;
        if (line.find("trial ") == std::string::npos) {
            EXPECT_EQ(trial, 0) << line;  // before the loops begin their first trial
        } else {
            const int shown = std::stoi(line.substr(line.find("trial ") + 6));
            EXPECT_TRUE(shown == trial || shown == trial + 1) << line;  // one trial after another
            trial = shown;
            EXPECT_EQ(line.substr(line.find('/'), 4), "/4  ") << line;
        }
        const std::string chi = line.substr(line.find("χ² ") + std::string("χ² ").size());
        EXPECT_FALSE(chi.empty());
        EXPECT_NE(chi.front(), ' ') << line;
        EXPECT_NE(chi.back(), ' ') << line;
    }
    EXPECT_EQ(trial, 4);
    EXPECT_TRUE(lines.back().empty());
}

// The progress line is cleared for the verdict, which stays as the last line.
TEST_F(TerminalPortTest, VerdictsArePrintedWhenAskedForOnALineOfTheirOwn) {
    TerminalPort port(out, true);
    port.printVerdicts(true);
    const RegionVerdict verdict = fitRegion(port);
    const std::string written = out.str();
    const std::string last = written.substr(written.rfind("\r\033[K") + 4);
    EXPECT_EQ(last, fitVerdictText(0, verdict) + "\n") << written;
    EXPECT_EQ(written.find('\n'), written.size() - 1);
}

TEST_F(TerminalPortTest, NothingButMessagesWhenNotOnATerminal) {
    TerminalPort port(out, false);
    fitRegion(port);
    port.message("File saved");
    EXPECT_EQ(out.str(), "File saved\n");
}

}  // namespace
}  // namespace vortlan::cli
