// `options show` and `options write`: the options dialog read out, and filled and saved.

#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "session/options_dialog.h"

namespace vortlan::cli {

namespace {

std::string column(const std::string& text, int width = 10) {
    std::ostringstream out;
    out << std::left << std::setw(width) << text;
    return out.str();
}

std::string searchCells(int check, const std::string& range, const std::string& step) {
    return check == 1 ? column(range) + column(step) : column("off") + column("");
}

std::string newtonCell(int check, const std::string& delta) {
    return column(check == 1 ? delta : "off");
}

// What the dialog shows, as the dialog shows it.
void printOptionsDialog(std::ostream& out, const OptionsDialog& d) {
    out << "method         " << (d.UseLM ? "lm" : d.UseNewton ? "newton" : "search") << '\n';
    out << "search trials  " << d.SearchTrial << '\n';
    out << "newton trials  " << d.NewtonTrial << '\n';
    out << "tolerance      " << d.TolVal << " %\n";
    out << "line shape     " << (d.GLSum ? "sum" : "product") << '\n';
    out << "       search position     search area         search FWHM         newton    newton    newton\n";
    out << "level  range     step      range     step      range     step      position  area      FWHM\n";
    for (int i = 0; i < kLevelCount; ++i) {
        std::string line = column(std::to_string(i + 1), 7) +
                           searchCells(d.PosSearchCheck[i], d.PosRange[i], d.PosStep[i]) +
                           searchCells(d.AreaSearchCheck[i], d.AreaRange[i], d.AreaStep[i]) +
                           searchCells(d.FWHMSearchCheck[i], d.FWHMRange[i], d.FWHMStep[i]) +
                           newtonCell(d.PosNewtonCheck[i], d.PosDelta[i]) +
                           newtonCell(d.AreaNewtonCheck[i], d.AreaDelta[i]) +
                           newtonCell(d.FWHMNewtonCheck[i], d.FWHMDelta[i]);
        line.erase(line.find_last_not_of(' ') + 1);
        out << line << '\n';
    }
}

}  // namespace

int runOptionsShow(const Arguments& args) {
    CliSession cli;
    if (!args.positionals().empty()) readOptionsFile(cli, args.positional(0));
    printOptionsDialog(std::cout, cli.session.dialogs.options);
    return 0;
}

int runOptionsWrite(const Arguments& args) {
    const auto method = args.choice("--method", {"lm", "newton", "search"});
    const auto gl = args.choice("--gl", {"sum", "product"});
    const auto trials = args.value("--trials");
    const auto tolerance = args.value("--tolerance");

    CliSession cli;
    Session& session = cli.session;
    if (const auto from = args.value("--from")) readOptionsFile(cli, *from);
    loadOptionsDialog(session);
    OptionsDialog& d = session.dialogs.options;
    if (method) chooseMethodNamed(session, *method);
    if (gl) {
        d.GLSum = *gl == "sum";
        clickGLSum(session);
    }
    // The trials are those of the method in use, as the dialog shows them side by side.
    if (trials && d.UseLM) throw UsageError("options write: Levenberg-Marquardt has no trials to set");
    if (trials) (d.UseNewton ? d.NewtonTrial : d.SearchTrial) = *trials;
    if (tolerance) d.TolVal = *tolerance;
    // A refused value ends the command before anything is written: the user sees the message and
    // does not go on to save.
    if (!applyOptionsDialog(session)) throw CommandFailed();
    session.workspace.fileName = args.positional(0);
    if (!writeOptionFile(session)) throw CommandFailed();
    return 0;
}

}  // namespace vortlan::cli
