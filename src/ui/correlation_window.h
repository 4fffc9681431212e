#pragma once
// The correlations of the free parameters the peak table's errors rest on, as a matrix: how far the
// error of one parameter goes with another's (near ±1, the data hardly tell them apart).

#include <QDialog>

#include "session/fit_statistics.h"

class QTableWidget;

namespace vortlan::ui {

class CorrelationWindow : public QDialog {
    Q_OBJECT
  public:
    explicit CorrelationWindow(QWidget* parent);

    // The matrix of the region's statistics; empty without errors.
    void showMatrix(int region, const FitStatistics* statistics);

  private:
    QTableWidget* matrix_ = nullptr;
};

}  // namespace vortlan::ui
