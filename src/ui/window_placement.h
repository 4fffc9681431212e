#pragma once
// Where a window goes beside another one on the screen, and waiting until a window has its place.

#include <QRect>

class QWidget;

namespace vortlan::ui {

// The frame of a window that should stand beside the window framed by `other`, inside `available`:
// to its right, to its left or below it, whichever overlaps it least (in that order when they tie),
// at the `wanted` size or as much of it as the room there allows, but never below `minimum`.
QRect frameBeside(const QRect& other, QSize wanted, QSize minimum, const QRect& available);

// Lets the event loop run until the window is on screen, where the window manager has given it its
// place and its frame; a second at most.
void waitUntilOnScreen(QWidget& window);

}  // namespace vortlan::ui
