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

QString FileFilter::extension() const {
    const QString suffix = pattern.startsWith(QStringLiteral("*.")) ? pattern.mid(2) : QString();
    return suffix.contains(QLatin1Char('*')) || suffix.contains(QLatin1Char('?')) ? QString() : suffix;
}

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
    QFileDialog dialog(QApplication::activeWindow(), title, start, qtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The dialog adds the extension itself, so that it asks before replacing the file actually written.
    dialog.setDefaultSuffix(filter.extension());
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.constFirst().isEmpty()) return std::nullopt;
    lastName = chosen.constFirst();
    return lastName;
}

}  // namespace vortlan::ui
