#include "ui/file_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>

#include "session/file_names.h"

namespace vortlan::ui {

namespace {

QString qtFilter(const FileFilter& filter) {
    return filter.description.trimmed() + QStringLiteral(";;") + QObject::tr("All files (*)");
}

}  // namespace

QString FileDialogs::proposedName(const QString& extension) const {
    return QString::fromStdString(proposedFileName(lastName.toStdString(), extension.toStdString()));
}

QString QtFileDialogs::folder() const {
    return lastName.isEmpty() ? QString() : QFileInfo(lastName).absolutePath();
}

std::optional<QString> QtFileDialogs::openFile(const QString& title, const FileFilter& filter) {
    const QString path =
        QFileDialog::getOpenFileName(QApplication::activeWindow(), title, folder(), qtFilter(filter));
    if (path.isEmpty()) return std::nullopt;
    lastName = path;
    return path;
}

std::optional<QString> QtFileDialogs::saveFile(const QString& title, const FileFilter& filter,
                                               const QString& proposedName) {
    const QString start = proposedName.isEmpty() ? folder() : proposedName;
    const QString path =
        QFileDialog::getSaveFileName(QApplication::activeWindow(), title, start, qtFilter(filter));
    if (path.isEmpty()) return std::nullopt;
    lastName = path;
    return path;
}

}  // namespace vortlan::ui
