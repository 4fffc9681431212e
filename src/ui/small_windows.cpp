#include "ui/small_windows.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "fit/drivers.h"
#include "session/region_dialogs.h"
#include "ui/application.h"
#include "ui/reading_notes.h"
#include "ui/text.h"
#include "ui/widget_sync.h"

namespace vortlan::ui {

FittingWindow::FittingWindow(Application& app) {
    setObjectName(QStringLiteral("FittingForm"));
    setWindowTitle(tr("Fitting"));
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
    auto* stop = new QPushButton(tr("Stop Fitting"));
    stop->setObjectName(QStringLiteral("cancelfitting"));
    stop->setToolTip(tr("End the fit at its next check; the values reached stay"));
    connect(stop, &QPushButton::clicked, this, [&app] { requestStop(app.workspace()); });
    progress_ = new QLabel;
    progress_->setObjectName(QStringLiteral("FitProgress"));
    progress_->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(progress_);
    layout->addWidget(stop);
    setMinimumWidth(stop->sizeHint().width() * 2);  // wide enough for its title bar to read "Fitting"
}

void FittingWindow::clearProgress() {
    trial_.clear();
    verdicts_.clear();
    showProgress();
}

void FittingWindow::showTrial(int trial, int trials) {
    trial_ = tr("Trial %1 of %2").arg(trial).arg(trials);
    showProgress();
}

void FittingWindow::showVerdict(const QString& text) {
    verdicts_.append(text);
    showProgress();
}

void FittingWindow::showProgress() {
    QStringList lines;
    if (!trial_.isEmpty()) lines.append(trial_);
    lines.append(verdicts_);
    progress_->setText(lines.join(QLatin1Char('\n')));
}

PrintingWindow::PrintingWindow() {
    setObjectName(QStringLiteral("PrintingForm"));
    setWindowTitle(tr("Printing"));
    setWindowFlags(Qt::Tool);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Printing....")));
}

RegionShiftWindow::RegionShiftWindow(Application& app) : app_(app) {
    setObjectName(QStringLiteral("RegionShiftForm"));
    setWindowTitle(tr("Region Shift"));
    setWindowFlags(Qt::Tool);
    shift_ = new QLineEdit;
    shift_->setObjectName(QStringLiteral("ShiftText"));
    bindNumber(shift_, app_.dialogs().regionShift.ShiftText);
    auto* accept = new QPushButton(tr("Accept"));
    accept->setObjectName(QStringLiteral("Command1"));
    accept->setDefault(true);
    connect(accept, &QPushButton::clicked, this, [this] { app_.run(tr("Region Shift"), acceptRegionShift); });
    connect(shift_, &QLineEdit::returnPressed, accept, &QPushButton::click);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(tr("Shift")));
    row->addWidget(shift_);
    row->addWidget(new QLabel(tr("eV")));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(accept, 0, Qt::AlignRight);
    addReadingNotes(this);
}

void RegionShiftWindow::refresh() {
    showText(shift_, app_.dialogs().regionShift.ShiftText);
}

RegionCaptionWindow::RegionCaptionWindow(Application& app) : app_(app) {
    setObjectName(QStringLiteral("RCaptionForm"));
    setWindowTitle(tr("Region Caption"));
    setWindowFlags(Qt::Tool);
    text_ = new QLineEdit;
    text_->setObjectName(QStringLiteral("Text"));
    text_->setMaxLength(20);
    text_->setMinimumWidth(text_->fontMetrics().horizontalAdvance(QString(22, QLatin1Char('M'))));
    connect(text_, &QLineEdit::textEdited, this,
            [this](const QString& text) { app_.dialogs().regionCaption.Text = fromQt(text); });
    auto* ok = new QPushButton(tr("OK"));
    ok->setObjectName(QStringLiteral("RCaptioOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { app_.run(tr("Region Caption"), acceptRegionCaption); });
    connect(text_, &QLineEdit::returnPressed, ok, &QPushButton::click);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(ok);
}

void RegionCaptionWindow::refresh() {
    showText(text_, app_.dialogs().regionCaption.Text);
}

}  // namespace vortlan::ui
