#pragma once
// Pictures of a region for the commands that draw them.  The drawing lives in the picture module,
// loaded (and Qt with it) only when a command makes a picture: the other commands start without Qt.

#include <optional>
#include <string>

#include "cli/picture_module.h"

namespace vortlan::cli {

struct PictureSize {
    int width = 800;
    int height = 500;
};

// The picture module loaded and its GUI application running, while this lives.  Throws
// CommandFailed("pictures are not available: …") when the module cannot be loaded or started.
class Pictures {
  public:
    Pictures();
    ~Pictures();
    Pictures(const Pictures&) = delete;
    Pictures& operator=(const Pictures&) = delete;

    // A PNG, PDF or SVG file, chosen by the path's extension; false when it could not be written.
    bool save(const Workspace& workspace, int region, const std::string& path, PictureLayout layout,
              PictureSize size, const PlotStyle& style = {}) const;

  private:
    const VortlanCliPictures* module_ = nullptr;
    void* application_ = nullptr;
};

// "800x500": a width and a height from 16 to 10000 pixels; nothing for anything else.
std::optional<PictureSize> parsePictureSize(const std::string& text);

// Whether the path ends in .png, .pdf or .svg (any case), the kinds Pictures::save writes.
bool isPictureFile(const std::string& path);

}  // namespace vortlan::cli
