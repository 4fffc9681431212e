// `element`: the core level a region measures, and the factor the quantification divides it by.

#include <charconv>
#include <cmath>
#include <optional>
#include <string>

#include "cli/cli_session.h"
#include "cli/commands.h"

namespace vortlan::cli {

namespace {

// A factor the user gives is a plain positive number: a typing slip must not quietly become 0.
double factorOf(const std::string& text) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || value <= 0.0)
        throw CommandFailed("the factor must be a positive number, not \"" + text + "\"");
    return value;
}

}  // namespace

int runElement(const Arguments& args) {
    const int region = args.region();
    const std::string output = args.required("-o");
    const std::optional<std::string> line = args.value("--line");
    const std::optional<std::string> factor = args.value("--factor");
    const bool computed = args.has("--computed");
    if (factor && computed) throw UsageError("element: --factor and --computed exclude each other");
    if (!line && !factor && !computed) throw UsageError("element: give --line, --factor or --computed");

    CliSession cli;
    openProjectFile(cli, args.positional(0));
    requireData(cli, region);
    Region& r = cli.workspace().regions[region];
    if (line) r.coreLevel = canonicalCoreLevel(*line);
    if (factor) r.sensitivityOverride = factorOf(*factor);
    if (computed) r.sensitivityOverride.reset();
    saveProjectFile(cli, output);
    return 0;
}

}  // namespace vortlan::cli
