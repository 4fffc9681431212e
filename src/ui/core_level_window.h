#pragma once
// CoreLevelForm, "Core Level": the element and level the current region measures, the factor computed
// for it as the text is typed, and the user's own factor instead.

#include <QDialog>

#include "session/core_level_dialog.h"

class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace vortlan::ui {

class Application;

class CoreLevelWindow : public QDialog {
    Q_OBJECT
  public:
    CoreLevelWindow(Application& app, QWidget* parent);

    // Filled from the current region, then shown; the rest of the program waits until it is closed.
    void openForCurrentRegion();

  private:
    void showPreview();
    void showFactorChoice();
    // "OK": stored as one undoable step and closed, or refused with the reason and left open.
    void accept() override;
    CoreLevelEntry entry() const;

    Application& app_;
    int region_ = 0;
    QLabel* regionName_ = nullptr;
    QLineEdit* level_ = nullptr;
    QLabel* computedFactor_ = nullptr;
    QLabel* source_ = nullptr;
    QRadioButton* useComputed_ = nullptr;
    QRadioButton* useOwn_ = nullptr;
    QDoubleSpinBox* ownFactor_ = nullptr;
    QLabel* refusal_ = nullptr;
};

}  // namespace vortlan::ui
