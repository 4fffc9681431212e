#pragma once
// "Undo <command>" and "Redo <command>" of one window: Ctrl+Z, and Ctrl+Shift+Z or Ctrl+Y, while the
// window is active.  The spectrum window puts them in its Edit menu; the main window, which has no
// menu bar, carries them as window actions so that the same keys work there.

#include <QObject>

class QAction;
class QWidget;

namespace vortlan::ui {

class Application;

class EditActions : public QObject {
    Q_OBJECT
  public:
    EditActions(Application& app, QWidget* window);

    QAction* undo() const { return undo_; }
    QAction* redo() const { return redo_; }

    // The texts name the command, and each action is greyed when there is nothing to do, or while a
    // dialog holds an edit that undo would overturn.
    void refresh();

  private:
    Application& app_;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
};

}  // namespace vortlan::ui
