// vortlan-cli's pictures, built as a module of their own so that only the commands that draw load Qt.

#include <QGuiApplication>
#include <cstdlib>
#include <iostream>
#include <new>

#include "cli/picture_module.h"
#include "plot/painter_surface/region_pictures.h"

namespace {

using vortlan::PictureLayout;
using vortlan::Workspace;

// The fonts of a picture need a GUI application, alive while the command draws.
struct GuiApplication {
    int argc = 1;
    char name[12] = "vortlan-cli";
    char* argv[2] = {name, nullptr};
    QGuiApplication application{argc, argv};
};

// Qt's own notes (about the runtime directory of a headless machine, say) stay out of the program's
// messages.
void dropQtNotes(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << "vortlan-cli: " << text.toStdString() << '\n';
}

// The application runs on the offscreen platform unless the user has chosen one with QT_QPA_PLATFORM.
void* start() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    qInstallMessageHandler(dropQtNotes);
    return new (std::nothrow) GuiApplication;
}

bool save(const Workspace& workspace, int region, const char* path, PictureLayout layout, int width,
          int height, vortlan::PlotStyle style) {
    try {
        return saveRegionPicture(workspace, region, QString::fromUtf8(path), layout, QSize(width, height),
                                 style);
    } catch (const std::exception&) {
        return false;
    }
}

void finish(void* application) {
    delete static_cast<GuiApplication*>(application);
}

constexpr VortlanCliPictures kPictures{sizeof(Workspace), VORTLAN_VERSION, start, save, finish};

}  // namespace

extern "C" __attribute__((visibility("default"))) const VortlanCliPictures* vortlan_cli_pictures() {
    return &kPictures;
}
