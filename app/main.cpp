// vortlan: the desktop program.

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QStandardPaths>
#include <cstdio>

#include "ui/application.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fprintf(stderr,
                     "vortlan: there is no display to open its windows on.\n"
                     "Start it on a desktop, or use vortlan-cli for the same commands without a window.\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vortlan"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/vortlan.svg")));
    QApplication::setQuitOnLastWindowClosed(false);  // closing the main window ends the program, nothing else
    vortlan::ui::MessageBoxPrompter prompter;
    vortlan::ui::QtFileDialogs files;
    // Recovery copies belong to the user, not to the folder the program was started in.
    const QString recoveryFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    vortlan::ui::Application vortlan(prompter, files, recoveryFolder.toStdString());
    vortlan.start();
    return QApplication::exec();
}
