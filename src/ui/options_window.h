#pragma once
// OptForm: the options dialog.

#include <QWidget>
#include <array>

#include "workspace/limits.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vortlan::ui {

class Application;

class OptionsWindow : public QWidget {
    Q_OBJECT
  public:
    explicit OptionsWindow(Application& app);
    // The controls from the window model.
    void refresh();

  private:
    using CheckColumn = std::array<QCheckBox*, kLevelCount>;
    using TextColumn = std::array<QLineEdit*, kLevelCount>;

    QGroupBox* buildNewtonFrame();
    QGroupBox* buildSearchFrame();
    QGroupBox* buildLeastSquaresFrame();
    QWidget* buildFormAndTolerance();
    QWidget* buildButtons();
    void loadParameters();
    void saveParameters();

    Application& app_;
    QRadioButton* useNewton_ = nullptr;
    QRadioButton* useSearch_ = nullptr;
    QRadioButton* useLM_ = nullptr;
    QLineEdit* newtonTrial_ = nullptr;
    QLineEdit* searchTrial_ = nullptr;
    std::array<CheckColumn, 3> newtonChecks_{};
    std::array<TextColumn, 3> deltas_{};
    std::array<CheckColumn, 3> searchChecks_{};
    std::array<TextColumn, 3> ranges_{};
    std::array<TextColumn, 3> steps_{};
    QRadioButton* glSum_ = nullptr;
    QRadioButton* glProduct_ = nullptr;
    QLineEdit* tolerance_ = nullptr;
    QLineEdit* instrumentFwhm_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace vortlan::ui
