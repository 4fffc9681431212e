#pragma once
// The command line of one subcommand: its positional words and its options, checked against what the
// subcommand accepts.  Anything the user typed wrong throws UsageError, which ends the tool with
// status 2 before any file is touched.

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vortlan::cli {

class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct OptionSyntax {
    std::string_view name;  // "--region", or "-o"
    bool takesValue = true;
};

struct CommandSyntax {
    std::string_view name;     // "fit", "params save"
    std::string_view summary;  // one line for the list of commands
    std::string_view usage;    // the text of --help
    std::vector<OptionSyntax> options;
    int minPositionals = 0;
    int maxPositionals = 0;  // -1: any number
};

class Arguments {
  public:
    // Throws UsageError for an option the command does not know, a value missing after an option, an
    // option given twice, or too few or too many positional words.
    Arguments(const CommandSyntax& syntax, std::vector<std::string> words);

    const std::vector<std::string>& positionals() const { return positionals_; }
    const std::string& positional(std::size_t index) const { return positionals_.at(index); }

    bool has(std::string_view option) const;
    std::optional<std::string> value(std::string_view option) const;
    // The value of an option the command cannot do without.
    std::string required(std::string_view option) const;

    // An integer option within [low, high]; nothing when the option is absent.
    std::optional<int> integer(std::string_view option, int low, int high) const;
    // A region as the user numbers them (1..10), turned into the workspace's index (0..9).
    int region() const;
    std::optional<int> optionalRegion() const;
    // A peak number, 0..50.
    int peak() const;
    // One of `choices`, or nothing when the option is absent.
    std::optional<std::string> choice(std::string_view option,
                                      const std::vector<std::string_view>& choices) const;

  private:
    const CommandSyntax& syntax_;
    std::vector<std::string> positionals_;
    std::map<std::string, std::string, std::less<>> values_;
};

// A whole number written in full ("3", not "3x" or "3.0"); nothing otherwise.
std::optional<int> parseWholeNumber(std::string_view text);

}  // namespace vortlan::cli
