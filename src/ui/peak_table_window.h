#pragma once
// The peak table's window: every peak of the current region with its values and standard errors, kept
// open beside the plot.  A double-click opens a peak's dialog; Copy puts the table on the clipboard.

#include <QWidget>

#include "session/peak_table.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace vortlan::ui {

class Application;
class CorrelationWindow;

class PeakTableWindow : public QWidget {
    Q_OBJECT
  public:
    explicit PeakTableWindow(Application& app);

    // The rows from the workspace, while the window is shown: during a fit without the standard errors,
    // which are computed once it ends.
    void refresh();
    // The table as tab-separated text on the clipboard.
    void copy();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void showRows();
    void showSummary();
    void showStatistics();
    void showCorrelations();
    void openPeak(int row);
    bool fitting() const;

    Application& app_;
    QTableWidget* view_ = nullptr;
    QLabel* summary_ = nullptr;
    QLabel* statistics_ = nullptr;
    QPushButton* correlationsButton_ = nullptr;
    CorrelationWindow* correlations_ = nullptr;
    PeakTable table_;
};

}  // namespace vortlan::ui
