#include "ui/edit_actions.h"

#include <QAction>
#include <QWidget>

#include "ui/application.h"
#include "ui/key_map.h"
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
    undo_->setShortcuts(keysOf(KeyCommand::Undo));
    undo_->setShortcutContext(Qt::WindowShortcut);
    connect(undo_, &QAction::triggered, this, [this] { app_.undo(); });
    redo_ = new QAction(this);
    redo_->setObjectName(QStringLiteral("Redo"));
    redo_->setShortcuts(keysOf(KeyCommand::Redo));
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
    undo_->setToolTip(withKeys(undo_->text().remove(QLatin1Char('&')), KeyCommand::Undo));
    undo_->setEnabled(free && history.canUndo());
    redo_->setText(entryText(tr("&Redo"), history.redoName()));
    redo_->setToolTip(withKeys(redo_->text().remove(QLatin1Char('&')), KeyCommand::Redo));
    redo_->setEnabled(free && history.canRedo());
}

}  // namespace vortlan::ui
