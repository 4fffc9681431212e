// The `vortlan._pictures` module: a region's picture as PNG bytes.  It is a module of its own, loaded
// at the first Region.render, so that only a program that draws loads Qt; a notebook that never draws
// can use a Qt of its own (a PyQt from pip, say) beside the module.

#include <pybind11/pybind11.h>

#include <QBuffer>
#include <QGuiApplication>
#include <cstdlib>
#include <stdexcept>

#include "plot/painter_surface/region_pictures.h"
#include "workspace/records.h"

namespace py = pybind11;

namespace {

// Qt's own notes (about the runtime directory of a headless machine, say) are not the program's.
void dropQtNotes(QtMsgType, const QMessageLogContext&, const QString&) {}

// The fonts of a picture need a GUI application.  One is started on the offscreen platform (unless
// QT_QPA_PLATFORM names another) at the first picture and lives as long as the process: Qt cannot start
// a second one.  An application the host program started is used as it is.
bool guiApplicationRunning() {
    if (QCoreApplication::instance()) return qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    static int argc = 1;
    static char name[] = "vortlan";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    qInstallMessageHandler(dropQtNotes);
    new QGuiApplication(argc, argv);
    return true;
}

// The workspace comes from the main module of the same build: its records must be laid out alike.
py::bytes png(const py::capsule& workspace, std::size_t workspaceSize, int region, int width, int height,
              bool residuals, bool colour) {
    if (workspaceSize != sizeof(vortlan::Workspace) || std::string(workspace.name()) != "vortlan.Workspace")
        throw std::runtime_error("pictures are not available");
    if (!guiApplicationRunning()) throw std::runtime_error("pictures are not available");
    const QImage image = vortlan::regionImage(*workspace.get_pointer<const vortlan::Workspace>(), region,
                                              QSize(width, height), vortlan::PictureLayout::Screen, 1.0,
                                              false, vortlan::PlotStyle{colour, residuals});
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG"))
        throw std::runtime_error("the picture could not be drawn");
    return py::bytes(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

PYBIND11_MODULE(_pictures, module) {
    module.doc() = "Region pictures for vortlan; use Region.render.";
    module.def("png", &png, "A region's plot as PNG bytes (called by Region.render).");
}
