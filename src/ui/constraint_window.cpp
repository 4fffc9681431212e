#include "ui/constraint_window.h"

#include <QGridLayout>
#include <QKeySequence>
#include <QShortcut>

#include "session/constraint_dialog.h"
#include "ui/application.h"
#include "ui/form_controls.h"
#include "ui/reading_notes.h"
#include "ui/widget_sync.h"

namespace vortlan::ui {

ConstraintWindow::ConstraintWindow(Application& app) : app_(app) {
    ConstraintDialog& d = app_.dialogs().constraint;
    setObjectName(QStringLiteral("CntForm"));
    setWindowTitle(toQt(d.caption));
    setWindowFlags(Qt::Tool);

    // The first row reads: [Use] Peak n = Peak [ref] [op] [value].
    use_ = namedCheck("Use", {}, tr("Keep this parameter tied to the reference peak's"));
    bindCheck(use_, d.Use);
    edited_ = namedLabel("PrPeak", toQt(d.PrPeak));
    reference_ = namedEdit("RefPeak", QStringLiteral("000"));
    reference_->setToolTip(tr("Number of the reference peak"));
    bindNumber(reference_, d.RefPeak);
    operator_ = namedCombo("ArgType", QStringLiteral("00"));
    bindText(operator_, d.ArgType);
    operand_ = namedEdit("Arg", QStringLiteral("00000.00"));
    bindNumber(operand_, d.Arg);

    range_ = namedCheck("Range", {}, tr("Keep this parameter within the limits while it is optimised"));
    bindCheck(range_, d.Range);
    low_ = namedEdit("Low", QStringLiteral("00000.000"));
    bindNumber(low_, d.Low);
    high_ = namedEdit("High", QStringLiteral("00000.000"));
    bindNumber(high_, d.High);

    auto* ok = namedButton("CntOK", tr("OK"), tr("Check the entries and store them (Return)"));
    ok->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    connect(ok, &QPushButton::clicked, this, [this] { app_.run(tr("Constraint"), acceptConstraintEdit); });
    for (QLineEdit* edit : {reference_, operand_, low_, high_, operator_->lineEdit()})
        pressOnReturn(edit, ok);
    new QShortcut(QKeySequence(Qt::Key_Escape), this, [this] { close(); });

    auto* grid = new QGridLayout(this);
    grid->addWidget(namedLabel("Label4", tr("USE")), 0, 0);
    grid->addWidget(namedLabel("Label5", tr("Relation with another peak")), 0, 1, 1, 7);
    grid->addWidget(use_, 1, 0, Qt::AlignHCenter);
    grid->addWidget(namedLabel("Label1", tr("Peak")), 1, 1);
    grid->addWidget(edited_, 1, 2);
    grid->addWidget(namedLabel("Label3", tr("=")), 1, 3);
    grid->addWidget(namedLabel("Label2", tr("Peak")), 1, 4);
    grid->addWidget(reference_, 1, 5);
    grid->addWidget(operator_, 1, 6);
    grid->addWidget(operand_, 1, 7);

    grid->addWidget(namedLabel("Label7", tr("USE")), 2, 0);
    grid->addWidget(namedLabel("Label6", tr("Limits of Search Range")), 2, 1, 1, 6);
    grid->addWidget(range_, 3, 0, Qt::AlignHCenter);
    grid->addWidget(namedLabel("LowLimit", tr("Low")), 3, 1);
    grid->addWidget(low_, 3, 2, 1, 2);
    grid->addWidget(namedLabel("HighLimit", tr("High")), 3, 4);
    grid->addWidget(high_, 3, 5, 1, 2);
    grid->addWidget(ok, 2, 7, 2, 1);
    grid->setRowMinimumHeight(2, grid->verticalSpacing() * 3);
    addReadingNotes(this);
}

void ConstraintWindow::refresh() {
    const ConstraintDialog& d = app_.dialogs().constraint;
    showTitle(this, d.caption);
    showChecked(use_, d.Use == 1);
    showText(edited_, d.PrPeak);
    showText(reference_, d.RefPeak);
    showList(operator_, d.ArgTypeList);
    showComboText(operator_, d.ArgType);
    showText(operand_, d.Arg);
    showChecked(range_, d.Range == 1);
    showText(low_, d.Low);
    showText(high_, d.High);
}

}  // namespace vortlan::ui
