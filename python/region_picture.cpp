#include "python/region_picture.h"

#include "python/project_session.h"

#ifdef VORTLAN_PYTHON_PICTURES
#include <QBuffer>
#include <QGuiApplication>
#include <cstdlib>

#include "plot/painter_surface/region_pictures.h"
#endif

namespace vortlan::python {

namespace {

#ifdef VORTLAN_PYTHON_PICTURES

// Qt's own notes (about the runtime directory of a headless machine, say) are not the program's.
void dropQtNotes(QtMsgType, const QMessageLogContext&, const QString&) {}

// The fonts of a picture need a GUI application.  One is started on the offscreen platform (unless
// QT_QPA_PLATFORM names another) at the first picture and lives as long as the process: Qt cannot start
// a second one.  An application the host program started (a Qt notebook front end) is used as it is.
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

py::bytes renderPng(const RegionRef& ref, int width, int height, bool residuals, bool colour) {
    if (width <= 0 || height <= 0) throw Refused("a picture needs a positive width and height");
    if (!guiApplicationRunning()) throw Refused("pictures are not available");
    const QImage image = regionImage(ref.project->session.workspace, ref.index, QSize(width, height),
                                     PictureLayout::Screen, 1.0, false, PlotStyle{colour, residuals});
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG")) throw Refused("the picture could not be drawn");
    return py::bytes(png.constData(), static_cast<std::size_t>(png.size()));
}

#else

py::bytes renderPng(const RegionRef&, int, int, bool, bool) {
    throw Refused("pictures are not available");
}

#endif

}  // namespace

void bindRegionPicture(RegionClass& region) {
    region.def("render", &renderPng, py::arg("width") = 800, py::arg("height") = 500,
               py::arg("residuals") = false, py::arg("colour") = true,
               "The region's plot as PNG bytes, drawn as `vortlan-cli render` draws it: width x height\n"
               "pixels, the residual panel under the plot when residuals is true, the peaks in their\n"
               "palette colours when colour is true (black curves otherwise).  Raises vortlan.Error\n"
               "(\"pictures are not available\") when the module was built without Qt.");
}

}  // namespace vortlan::python
