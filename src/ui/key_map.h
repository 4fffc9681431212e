#pragma once
// The program's keys.  A key means the same command in every window that answers it, so that Ctrl+O
// opens a project wherever the user presses it; each command's keys are shown beside it in its menu
// and in its tooltip.

#include <QKeySequence>
#include <QList>
#include <QString>
#include <functional>

class QAction;
class QWidget;

namespace vortlan::ui {

enum class KeyCommand {
    OpenProject,
    SaveProject,
    Quit,
    Undo,
    Redo,
    ImportVamas,
    ExportSpectrum,
    Copy,  // what the window shows: the plot's picture, the peak table
    Print,
    Background,
    AddPeak,
    OptimiseRegion,
    OptimiseAll,
    ReDisplay,
    PeakTable,
    Quantification,
};

QList<QKeySequence> keysOf(KeyCommand command);

// "Save XPS (Ctrl+S)": a tooltip that names the command's first key in the platform's own words.
QString withKeys(const QString& tip, KeyCommand command);

// Gives the action its keys, answered while its window is active, and a tooltip naming them.
void bindKeys(QAction* action, KeyCommand command);

// An action of the window, in no menu, that runs `handler` on the command's keys.
QAction* addWindowKeys(QWidget* window, KeyCommand command, const std::function<void()>& handler);

}  // namespace vortlan::ui
