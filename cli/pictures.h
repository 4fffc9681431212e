#pragma once
// Pictures of a region for the commands that draw them.

#include <QGuiApplication>
#include <QSize>
#include <optional>
#include <string>

#include "plot/painter_surface/region_pictures.h"

namespace vortlan::cli {

// The fonts of a picture need a GUI application, alive while the command draws.  It runs on the
// offscreen platform unless the user has chosen one with QT_QPA_PLATFORM, and Qt's own notes (about
// the runtime directory of a headless machine, say) stay out of the program's messages.
class GuiApplication {
  public:
    GuiApplication();
    GuiApplication(const GuiApplication&) = delete;
    GuiApplication& operator=(const GuiApplication&) = delete;

  private:
    int argc_ = 1;
    char name_[12] = "vortlan-cli";
    char* argv_[2] = {name_, nullptr};
    std::optional<QGuiApplication> application_;
};

// "800x500": a width and a height from 16 to 10000 pixels; nothing for anything else.
std::optional<QSize> parsePictureSize(const std::string& text);

// Whether the path ends in .png, .pdf or .svg (any case), the kinds saveRegionPicture writes.
bool isPictureFile(const std::string& path);

}  // namespace vortlan::cli
