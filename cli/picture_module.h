#pragma once
// What vortlan-cli and its picture module agree on.  Everything that draws (Qt and the painter
// surface) lives in the module, which the tool loads only for the commands that make pictures.

#include <cstddef>

#include "plot/picture_layout.h"
#include "plot/plot_style.h"
#include "workspace/records.h"

extern "C" {

struct VortlanCliPictures {
    // The records the module was built for: a module of another build of the tool is not used.
    std::size_t workspaceSize;
    const char* version;
    // Starts the GUI application the fonts of a picture need; nullptr when it cannot.
    void* (*start)();
    // A PNG, PDF or SVG file, chosen by the path's extension (UTF-8); false when it was not written.
    bool (*save)(const vortlan::Workspace& workspace, int region, const char* path,
                 vortlan::PictureLayout layout, int width, int height, vortlan::PlotStyle style);
    // Ends the application `start` gave.
    void (*finish)(void* application);
};

// The module's one symbol.
const VortlanCliPictures* vortlan_cli_pictures();

}  // extern "C"
