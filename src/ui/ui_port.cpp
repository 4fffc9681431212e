#include "ui/ui_port.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>

#include "fit/verdict.h"
#include "ui/application.h"
#include "ui/fitting_window.h"
#include "ui/main_window.h"
#include "ui/spectrum_window.h"
#include "ui/text.h"

namespace vortlan::ui {

void UiPort::message(std::string_view text) {
    app_.prompter().message(toQt(text));
}

bool UiPort::askYesNo(std::string_view title, std::string_view text) {
    // The core's questions guard something that cannot be undone: Return answers No.
    return app_.prompter().askYesNo(toQt(title), toQt(text), ReturnAnswers::No);
}

void UiPort::beep() {
    app_.prompter().beep();
}

void UiPort::yield() {
    // What the core has changed so far becomes visible before the events run.
    app_.refreshWindows();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void UiPort::setBusyPointer(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void UiPort::showWindow(Window window) {
    QWidget* widget = app_.widgetOf(window);
    if (!widget) return;
    if (window == Window::Fitting && !widget->isVisible()) {
        // A fitting run begins: the verdicts of the one before are history.
        app_.fittingWindow().clearProgress();
        app_.mainWindow().clearFitVerdicts();
    }
    widget->show();
    widget->raise();
}

void UiPort::hideWindow(Window window) {
    if (QWidget* widget = app_.widgetOf(window)) widget->hide();
}

void UiPort::setWindowEnabled(Window window, bool enabled) {
    if (QWidget* widget = app_.widgetOf(window)) widget->setEnabled(enabled);
}

void UiPort::setWindowCaption(Window window, std::string_view caption) {
    if (QWidget* widget = app_.widgetOf(window)) widget->setWindowTitle(toQt(caption));
}

void UiPort::setChiText(int region, std::string_view text) {
    app_.mainWindow().setChiText(region, toQt(text));
}

void UiPort::setSumChiText(std::string_view text) {
    app_.mainWindow().setSumChiText(toQt(text));
}

void UiPort::setPeakButtonCaption(int button, std::string_view caption) {
    app_.mainWindow().setPeakButtonCaption(button, toQt(caption));
}

void UiPort::setPeakButtonEnabled(int button, bool enabled) {
    app_.mainWindow().setPeakButtonEnabled(button, enabled);
}

void UiPort::setRegionColour(int region, RegionColour colour) {
    app_.mainWindow().setRegionColour(region, colour);
}

void UiPort::setDescriptionText(std::string_view text) {
    app_.mainWindow().setDescription(toQt(text));
}

void UiPort::drawSpectrum(SpectrumDrawing drawing) {
    app_.spectrumWindow().draw(drawing);
}

void UiPort::showFitTrial(int trial, int trials) {
    app_.fittingWindow().showTrial(trial, trials);
}

void UiPort::showFitVerdict(int region, const RegionVerdict& verdict) {
    // The program's own text, not one read from a file: UTF-8 (it holds a dash).
    const QString text = QString::fromStdString(fitVerdictText(region, verdict));
    app_.fittingWindow().showVerdict(text);
    app_.mainWindow().addFitVerdict(text);
}

void UiPort::clearFitVerdicts() {
    app_.mainWindow().clearFitVerdicts();
}

}  // namespace vortlan::ui
