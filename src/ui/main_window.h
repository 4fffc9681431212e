#pragma once
// XPSForm, "Vortlan Processing": a row per region with its button, its ten peak buttons and its χ²;
// the total; the description; the project, options and "Optimise All" commands.  Closing it ends the
// program, after "Save changes?" when the work is not saved.

#include <QWidget>
#include <array>

#include "workspace/limits.h"
#include "workspace/port.h"

class QCloseEvent;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vortlan::ui {

class Application;

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    explicit MainWindow(Application& app);

    void refresh();

    // The indicators the core writes through the Port.
    void setChiText(int region, const QString& text);
    void setSumChiText(const QString& text);
    void setPeakButtonCaption(int button, const QString& caption);
    void setPeakButtonEnabled(int button, bool enabled);
    void setRegionColour(int region, RegionColour colour);
    void setDescription(const QString& text);
    // The status line: the verdicts of the last fitting run, one for each region it fitted.
    void clearFitVerdicts();
    void addFitVerdict(const QString& text);

    // "Open XPS", "Save XPS" and "Close", which the spectrum window's keys reach too.
    void openProjectFile();
    // True once the project was written; false when the file dialog was cancelled or the write failed.
    bool saveProjectFile();
    void closeProgram();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildRegionGrid(QGridLayout* grid);
    QWidget* buildCommands();
    // "Close", Ctrl+Q and the close box: true when the program may end, the question answered.
    bool confirmClose();

    Application& app_;
    std::array<QPushButton*, kRegionCount> regionButtons_{};
    std::array<QPushButton*, kPeakButtonCount> peakButtons_{};
    std::array<QLineEdit*, kRegionCount> chiBoxes_{};
    QLabel* sumChi_ = nullptr;
    QPlainTextEdit* description_ = nullptr;
    QLabel* fitStatus_ = nullptr;
    bool ending_ = false;  // the close was confirmed: the program is ending
};

}  // namespace vortlan::ui
