#pragma once
// PeakForm: the peak dialog.

#include <QWidget>
#include <array>

class QCheckBox;
class QCloseEvent;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace vortlan::ui {

class Application;

class PeakWindow : public QWidget {
    Q_OBJECT
  public:
    explicit PeakWindow(Application& app);
    // The controls from the window model.
    void refresh();

  protected:
    // The close control reverts the peak, as Cancel does.
    void closeEvent(QCloseEvent* event) override;

  private:
    // One parameter's frame: text box, its standard error, scroll bar, "Fix", "Optimise", "Constraints".
    struct ParamControls {
        QLineEdit* value = nullptr;
        QLabel* error = nullptr;
        QScrollBar* scroll = nullptr;
        QCheckBox* fix = nullptr;
    };

    QGroupBox* buildParamFrame(int row);
    QWidget* buildTypeAndShape();
    QWidget* buildButtons();
    void clearNoteOnEdits();

    Application& app_;
    std::array<ParamControls, 4> params_{};
    QComboBox* peakType_ = nullptr;
    QLineEdit* splitting_ = nullptr;
    QGroupBox* asymmetry_ = nullptr;
    QLineEdit* ts_ = nullptr;
    QLineEdit* tl_ = nullptr;
    QLabel* actualFwhm_ = nullptr;
    QPushButton* redraw_ = nullptr;
    QLabel* note_ = nullptr;
};

}  // namespace vortlan::ui
