#include "ui/core_level_window.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/application.h"
#include "ui/form_controls.h"
#include "ui/text.h"

namespace vortlan::ui {

namespace {

// Factors run from a few hundredths (Li 1s) to some tens (the heavy elements' strongest levels);
// instruments' libraries use other scales, so the box leaves room on both sides.
constexpr double kSmallestFactor = 0.0001;
constexpr double kLargestFactor = 1.0e6;

}  // namespace

CoreLevelWindow::CoreLevelWindow(Application& app, QWidget* parent) : QDialog(parent), app_(app) {
    setObjectName(QStringLiteral("CoreLevelForm"));
    setWindowTitle(tr("Core Level"));
    setModal(true);

    regionName_ = namedLabel(QStringLiteral("CoreLevelRegion"), QString());
    level_ = namedEdit(QStringLiteral("Level"), QStringLiteral("Au 4f7/2 MM"));
    level_->setToolTip(
        tr("The element and level, as \"Ti 2p\" (both components), \"Ti 2p3/2\" or \"O 1s\"; "
           "blank when not known"));
    computedFactor_ = namedLabel(QStringLiteral("ComputedFactor"), QString());
    computedFactor_->setWordWrap(true);
    source_ = namedLabel(QStringLiteral("SourceEnergyUsed"), QString());
    connect(level_, &QLineEdit::textEdited, this, [this] {
        refusal_->hide();
        showPreview();
    });

    useComputed_ = new QRadioButton(tr("Use computed factor"));
    useComputed_->setObjectName(QStringLiteral("UseComputed"));
    useOwn_ = new QRadioButton(tr("Use this factor:"));
    useOwn_->setObjectName(QStringLiteral("UseOwn"));
    ownFactor_ = new QDoubleSpinBox;
    ownFactor_->setObjectName(QStringLiteral("OwnFactor"));
    ownFactor_->setRange(kSmallestFactor, kLargestFactor);
    ownFactor_->setDecimals(4);
    ownFactor_->setToolTip(tr("A factor of your own, as an instrument's library gives it"));
    connect(useOwn_, &QRadioButton::toggled, this, &CoreLevelWindow::showFactorChoice);
    auto* own = new QHBoxLayout;
    own->addWidget(useOwn_);
    own->addWidget(ownFactor_, 1);

    refusal_ = refusalLabel();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("CoreLevelOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CoreLevelCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CoreLevelWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CoreLevelWindow::reject);

    auto* form = new QFormLayout;
    form->addRow(tr("Region:"), regionName_);
    form->addRow(tr("Level:"), level_);
    form->addRow(tr("Computed factor:"), computedFactor_);
    form->addRow(tr("Source energy:"), source_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(useComputed_);
    layout->addLayout(own);
    layout->addWidget(refusal_);
    layout->addWidget(buttons);
}

void CoreLevelWindow::openForCurrentRegion() {
    const Workspace& ws = app_.workspace();
    region_ = ws.currentRegion;
    const Region& region = ws.regions.at(static_cast<std::size_t>(region_));
    const CoreLevelEntry stored = coreLevelEntryOf(region, ws.quantSettings);
    const QString caption = toQt(region.caption.str()).trimmed();
    regionName_->setText(caption.isEmpty() ? QString::number(region_ + 1)
                                           : QStringLiteral("%1  %2").arg(region_ + 1).arg(caption));
    level_->setText(toQt(stored.level));
    ownFactor_->setValue(stored.factor);
    (stored.ownFactor ? useOwn_ : useComputed_)->setChecked(true);
    showFactorChoice();
    refusal_->hide();
    showPreview();
    show();
    raise();
    activateWindow();
}

void CoreLevelWindow::showPreview() {
    const Workspace& ws = app_.workspace();
    const CoreLevelPreview preview = previewCoreLevel(ws.regions.at(static_cast<std::size_t>(region_)),
                                                      ws.quantSettings, fromQt(level_->text()));
    computedFactor_->setText(toQt(preview.factor));
    // Text that is not a level gets its reason where the factor would be.
    computedFactor_->setStyleSheet(preview.computed ? QString() : QStringLiteral("color: #a00000"));
    source_->setText(toQt(preview.source));
}

void CoreLevelWindow::showFactorChoice() {
    ownFactor_->setEnabled(useOwn_->isChecked());
}

CoreLevelEntry CoreLevelWindow::entry() const {
    return CoreLevelEntry{fromQt(level_->text()), useOwn_->isChecked(), ownFactor_->value()};
}

void CoreLevelWindow::accept() {
    std::string refused;
    const CoreLevelEntry chosen = entry();
    app_.run(tr("Core Level"), [this, &chosen, &refused](Session& s) {
        refused = acceptCoreLevel(s.workspace.regions.at(static_cast<std::size_t>(region_)), chosen);
    });
    if (refused.empty()) {
        QDialog::accept();
        return;
    }
    refusal_->setText(toQt(refused));
    refusal_->show();
    level_->setFocus();
    level_->selectAll();
}

}  // namespace vortlan::ui
