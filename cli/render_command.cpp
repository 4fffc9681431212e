// `render`: the spectrum window's plot, or the printed page with or without its peak table, as a
// PNG, PDF or SVG file; black curves unless colour is asked for, as the window's View menu can.

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/pictures.h"

namespace vortlan::cli {

int runRender(const Arguments& args) {
    const int region = args.region();
    const std::string output = args.required("-o");
    if (!isPictureFile(output)) throw UsageError("render: -o must name a .png, .pdf or .svg file");
    PictureSize size;
    if (const auto text = args.value("--size")) {
        const auto parsed = parsePictureSize(*text);
        if (!parsed) throw UsageError("render: --size is WIDTHxHEIGHT, each from 16 to 10000 pixels");
        size = *parsed;
    }
    PictureLayout layout = PictureLayout::Screen;
    if (args.has("--page")) layout = PictureLayout::Page;
    if (args.has("--table")) layout = PictureLayout::PageWithTable;
    // The printed page keeps its own layout: the residual panel belongs to the plot.
    if (layout != PictureLayout::Screen && args.has("--residuals"))
        throw UsageError("render: --residuals draws on the plot, not with --page or --table");
    const PlotStyle style{args.has("--colour"), args.has("--residuals")};

    CliSession cli;
    openProjectFile(cli, args.positional(0));
    selectRegionButton(cli, region);
    // A slot without data has no energy range to draw, and printing is not offered for it.
    requireData(cli, region);
    const Pictures pictures;
    if (!pictures.save(cli.workspace(), region, output, layout, size, style))
        throw CommandFailed("cannot write " + output);
    return 0;
}

}  // namespace vortlan::cli
