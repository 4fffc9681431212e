#include "ui/edit_actions.h"

#include <QAction>
#include <QKeySequence>
#include <QWidget>

#include "ui/application.h"
#include "ui/text.h"

namespace vortlan::ui {

namespace {

QString entryText(const QString& verb, const std::string& command) {
    return command.empty() ? verb : verb + QLatin1Char(' ') + toQt(command);
}

}  // namespace

EditActions::EditActions(Application& app, QWidget* window) : QObject(window), app_(app) {
    undo_ = new QAction(this);
    undo_->setObjectName(QStringLiteral("Undo"));
    undo_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    undo_->setShortcutContext(Qt::WindowShortcut);
    connect(undo_, &QAction::triggered, this, [this] { app_.undo(); });
    redo_ = new QAction(this);
    redo_->setObjectName(QStringLiteral("Redo"));
    redo_->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    redo_->setShortcutContext(Qt::WindowShortcut);
    connect(redo_, &QAction::triggered, this, [this] { app_.redo(); });
    window->addAction(undo_);
    window->addAction(redo_);
    app_.addEditActions(this);
    refresh();
}

void EditActions::refresh() {
    const History& history = app_.history();
    const bool free = !app_.dialogHoldsEdit();
    undo_->setText(entryText(tr("&Undo"), history.undoName()));
    undo_->setEnabled(free && history.canUndo());
    redo_->setText(entryText(tr("&Redo"), history.redoName()));
    redo_->setEnabled(free && history.canRedo());
}

}  // namespace vortlan::ui
