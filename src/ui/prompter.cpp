#include "ui/prompter.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace vortlan::ui {

void MessageBoxPrompter::message(const QString& text) {
    QMessageBox::information(QApplication::activeWindow(), kApplicationTitle, text);
}

bool MessageBoxPrompter::askYesNo(const QString& title, const QString& text, ReturnAnswers onReturn) {
    const auto byReturn = onReturn == ReturnAnswers::Yes ? QMessageBox::Yes : QMessageBox::No;
    return QMessageBox::question(QApplication::activeWindow(), title, text,
                                 QMessageBox::Yes | QMessageBox::No, byReturn) == QMessageBox::Yes;
}

void MessageBoxPrompter::beep() {
    QApplication::beep();
}

std::optional<int> MessageBoxPrompter::chooseItem(const QString& title, const QString& label,
                                                  const QStringList& items, int preselected) {
    bool chosen = false;
    const QString item =
        QInputDialog::getItem(QApplication::activeWindow(), title, label, items, preselected, false, &chosen);
    if (!chosen) return std::nullopt;
    return static_cast<int>(items.indexOf(item));
}

std::optional<int> MessageBoxPrompter::askNumber(const QString& title, const QString& label, int value,
                                                 int low, int high) {
    bool chosen = false;
    const int number =
        QInputDialog::getInt(QApplication::activeWindow(), title, label, value, low, high, 1, &chosen);
    if (!chosen) return std::nullopt;
    return number;
}

SaveChoice MessageBoxPrompter::askSaveChanges() {
    // Return saves, Esc cancels: neither of the easy keys throws work away.
    const auto answer = QMessageBox::question(
        QApplication::activeWindow(), kApplicationTitle, QObject::tr("Save changes?"),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save) return SaveChoice::Save;
    if (answer == QMessageBox::Discard) return SaveChoice::Discard;
    return SaveChoice::Cancel;
}

}  // namespace vortlan::ui
