#pragma once
// The quantification window: the atomic concentrations of every region that names a core level, and
// of each region's peaks, with the settings they are computed with.  Kept open beside the other
// windows, it follows every change of the workspace; Copy puts the table on the clipboard.

#include <QWidget>

#include "session/quantification.h"
#include "session/quantification_view.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace vortlan::ui {

class Application;

class QuantificationWindow : public QWidget {
    Q_OBJECT
  public:
    explicit QuantificationWindow(Application& app);

    // The table from the workspace, while the window is shown; a running fit's trials are left out,
    // its end is shown.
    void refresh();
    // The table as tab-separated text on the clipboard.
    void copy();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QWidget* buildSettings();
    void showSettings();
    void showRows();
    void showRegion(QTreeWidgetItem* item, const QuantRegion& quant, const QuantViewRegion& shown);
    void showSummary();
    // A settings control changed: the new settings go into the workspace as the undoable `step`.
    void takeSettings(const QString& step);

    Application& app_;
    QDoubleSpinBox* sourceEnergy_ = nullptr;
    QDoubleSpinBox* imfpExponent_ = nullptr;
    QDoubleSpinBox* transmissionExponent_ = nullptr;
    QComboBox* area_ = nullptr;
    QTreeWidget* view_ = nullptr;
    QLabel* summary_ = nullptr;
    QLabel* refusal_ = nullptr;  // why the last settings were refused
    Quantification table_;
};

}  // namespace vortlan::ui
