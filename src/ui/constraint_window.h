#pragma once
// CntForm: the constraint dialog.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace vortlan::ui {

class Application;

class ConstraintWindow : public QWidget {
    Q_OBJECT
  public:
    explicit ConstraintWindow(Application& app);
    // The controls from the window model.
    void refresh();

  private:
    Application& app_;
    QCheckBox* use_ = nullptr;
    QLabel* edited_ = nullptr;
    QLineEdit* reference_ = nullptr;
    QComboBox* operator_ = nullptr;
    QLineEdit* operand_ = nullptr;
    QCheckBox* range_ = nullptr;
    QLineEdit* low_ = nullptr;
    QLineEdit* high_ = nullptr;
};

}  // namespace vortlan::ui
