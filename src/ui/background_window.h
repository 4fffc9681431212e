#pragma once
// BGForm: the background dialog.

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;

namespace vortlan::ui {

class Application;

class BackgroundWindow : public QWidget {
    Q_OBJECT
  public:
    explicit BackgroundWindow(Application& app);
    // The controls from the window model.
    void refresh();

  private:
    Application& app_;
    QLineEdit* low_ = nullptr;
    QLineEdit* high_ = nullptr;
    QComboBox* averaging_ = nullptr;
    QComboBox* type_ = nullptr;
    QLineEdit* slope_ = nullptr;
    QLineEdit* b1_ = nullptr;
    QLineEdit* area_ = nullptr;
    QLabel* drawn_ = nullptr;
    QLabel* note_ = nullptr;
};

}  // namespace vortlan::ui
