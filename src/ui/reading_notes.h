#pragma once
// The boxes a user types numbers in, each with a small red note under it that says what its text is
// read as whenever the text is not wholly a number ("read as 12" under "12abc").  The note follows the
// user's typing and every refresh of the box from its window model.

#include <QLineEdit>
#include <string>

class QWidget;

namespace vortlan::ui {

// The box's edits go into `field`, as bindText does, and the box is one that reads a number.
void bindNumber(QLineEdit* edit, std::string& field);

// Puts the note under every number box of the window, in the box's place in its layout; called once the
// window is laid out.
void addReadingNotes(QWidget* window);

// The note of a number box as its text now reads; nothing for any other box.
void showReadingNote(QLineEdit* edit);

}  // namespace vortlan::ui
