// vortlan-cli: the program's commands without a window.  Exit status 0 when the command did what it
// was asked, 1 when it was refused or failed, 2 when the command line was wrong.

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_session.h"
#include "cli/commands.h"

namespace {

using vortlan::cli::Command;

constexpr int kUsageStatus = 2;

void printOverview(std::ostream& out) {
    out << "Usage: vortlan-cli COMMAND [ARGUMENTS]\n\nCommands:\n";
    for (const Command& command : vortlan::cli::commands()) {
        std::string name(command.syntax.name);
        name.resize(std::max<std::size_t>(name.size(), 17), ' ');
        out << "  " << name << command.syntax.summary << '\n';
    }
    out << "\n'vortlan-cli COMMAND --help' shows the arguments of a command.  Regions are numbered 1 to 10,\n"
           "peaks 0 to 50.  Commands that change a project read PROJECT.xps and write the result to -o.\n";
}

const Command* findCommand(std::string_view name) {
    const auto& all = vortlan::cli::commands();
    const auto found =
        std::find_if(all.begin(), all.end(), [&](const Command& c) { return c.syntax.name == name; });
    return found == all.end() ? nullptr : &*found;
}

// "params", "export" and "options" each stand before a word that names the command.
bool printGroup(std::ostream& out, std::string_view group) {
    bool any = false;
    for (const Command& command : vortlan::cli::commands()) {
        if (command.syntax.name.substr(0, group.size() + 1) != std::string(group) + " ") continue;
        out << command.syntax.usage.substr(0, command.syntax.usage.find('\n') + 1);
        any = true;
    }
    return any;
}

int runCommand(const Command& command, std::vector<std::string> words) {
    using namespace vortlan::cli;
    try {
        return command.run(Arguments(command.syntax, std::move(words)));
    } catch (const UsageError& error) {
        std::cerr << "vortlan-cli: " << error.what() << "\n"
                  << "Try 'vortlan-cli " << command.syntax.name << " --help'.\n";
        return kUsageStatus;
    } catch (const CommandFailed& failure) {
        if (*failure.what()) std::cerr << "vortlan-cli: " << failure.what() << '\n';
        return 1;
    } catch (const std::exception& error) {
        std::cerr << "vortlan-cli: " << error.what() << '\n';
        return 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty()) {
        printOverview(std::cerr);
        return kUsageStatus;
    }
    if (words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        printOverview(std::cout);
        return 0;
    }
    std::size_t used = 1;
    const Command* command = findCommand(words[0]);
    if (!command && words.size() > 1) {
        command = findCommand(words[0] + " " + words[1]);
        used = 2;
    }
    if (!command) {
        const bool help = words.size() > 1 && words[1] == "--help";
        if (printGroup(help ? std::cout : std::cerr, words[0])) return help ? 0 : kUsageStatus;
        std::cerr << "vortlan-cli: unknown command " << words[0] << "\nTry 'vortlan-cli --help'.\n";
        return kUsageStatus;
    }
    // A batch may be given a hundred thousand file names: the words are moved on, not copied.
    words.erase(words.begin(), words.begin() + static_cast<std::ptrdiff_t>(used));
    if (std::find(words.begin(), words.end(), "--help") != words.end()) {
        std::cout << command->syntax.usage;
        return 0;
    }
    return runCommand(*command, std::move(words));
}
