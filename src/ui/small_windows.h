#pragma once
// The small windows: the fitting window with its "Stop Fitting" button, the printing notice, and the
// region shift and caption dialogs.

#include <QStringList>
#include <QWidget>

class QLabel;
class QLineEdit;

namespace vortlan::ui {

class Application;

// FittingForm, "Fitting": shown for a whole fitting run, the one window that stays enabled.  It shows
// the trial the run is in and, as the run ends, its verdicts.
class FittingWindow : public QWidget {
    Q_OBJECT
  public:
    explicit FittingWindow(Application& app);

    // A new run: no trial and no verdict yet.
    void clearProgress();
    void showTrial(int trial, int trials);
    void showVerdict(const QString& text);

  private:
    void showProgress();

    QLabel* progress_ = nullptr;
    QString trial_;
    QStringList verdicts_;
};

// PrintingForm: "Printing...." while a page is being sent.
class PrintingWindow : public QWidget {
    Q_OBJECT
  public:
    PrintingWindow();
};

// RegionShiftForm, "Region Shift".
class RegionShiftWindow : public QWidget {
    Q_OBJECT
  public:
    explicit RegionShiftWindow(Application& app);
    void refresh();

  private:
    Application& app_;
    QLineEdit* shift_ = nullptr;
};

// RCaptionForm, "Region Caption".
class RegionCaptionWindow : public QWidget {
    Q_OBJECT
  public:
    explicit RegionCaptionWindow(Application& app);
    void refresh();

  private:
    Application& app_;
    QLineEdit* text_ = nullptr;
};

}  // namespace vortlan::ui
