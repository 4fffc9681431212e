#include "ui/key_map.h"

#include <QAction>
#include <QWidget>

namespace vortlan::ui {

QList<QKeySequence> keysOf(KeyCommand command) {
    switch (command) {
        case KeyCommand::OpenProject:
            return {QKeySequence(Qt::CTRL | Qt::Key_O)};
        case KeyCommand::SaveProject:
            return {QKeySequence(Qt::CTRL | Qt::Key_S)};
        case KeyCommand::Quit:
            return {QKeySequence(Qt::CTRL | Qt::Key_Q)};
        case KeyCommand::Undo:
            return {QKeySequence(Qt::CTRL | Qt::Key_Z)};
        case KeyCommand::Redo:
            return {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)};
        case KeyCommand::ImportVamas:
            return {QKeySequence(Qt::CTRL | Qt::Key_I)};
        case KeyCommand::ExportSpectrum:
            return {QKeySequence(Qt::CTRL | Qt::Key_E)};
        case KeyCommand::Copy:
            return {QKeySequence(Qt::CTRL | Qt::Key_C)};
        case KeyCommand::Print:
            return {QKeySequence(Qt::CTRL | Qt::Key_P)};
        case KeyCommand::Background:
            return {QKeySequence(Qt::CTRL | Qt::Key_B)};
        case KeyCommand::AddPeak:
            return {QKeySequence(Qt::CTRL | Qt::Key_N)};
        case KeyCommand::OptimiseRegion:
            return {QKeySequence(Qt::CTRL | Qt::Key_F)};
        case KeyCommand::OptimiseAll:
            return {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F)};
        case KeyCommand::ReDisplay:
            return {QKeySequence(Qt::Key_F5)};
        case KeyCommand::PeakTable:
            return {QKeySequence(Qt::CTRL | Qt::Key_T)};
        case KeyCommand::Quantification:
            // Every region's table, as Ctrl+Shift+F fits every region.
            return {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T)};
    }
    return {};
}

QString withKeys(const QString& tip, KeyCommand command) {
    const QList<QKeySequence> keys = keysOf(command);
    if (keys.isEmpty()) return tip;
    return QStringLiteral("%1 (%2)").arg(tip, keys.front().toString(QKeySequence::NativeText));
}

void bindKeys(QAction* action, KeyCommand command) {
    action->setShortcuts(keysOf(command));
    action->setShortcutContext(Qt::WindowShortcut);
    // An action without a tooltip of its own answers its text, without the mnemonic's '&'.
    action->setToolTip(withKeys(action->toolTip(), command));
}

QAction* addWindowKeys(QWidget* window, KeyCommand command, const std::function<void()>& handler) {
    auto* action = new QAction(window);
    action->setShortcuts(keysOf(command));
    action->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(action, &QAction::triggered, window, handler);
    window->addAction(action);
    return action;
}

}  // namespace vortlan::ui
