#pragma once
// The options dialog (OptForm) and the option file commands: the fit options shown in the dialog,
// checked and stored from it, and read from and written to ".opa" files.

#include <string>
#include <string_view>

#include "io/option_file.h"
#include "session/session.h"

namespace vortlan {

// Fills the dialog from the options and shows it.
void loadOptionsDialog(Session& session);

// Checks the dialog's boxes and stores them into the options, in the dialog's order, stopping with a
// message at the first value refused; what was stored before it stays stored, and a level is stored
// whole or not at all.  Hides the dialog when every value was accepted.
bool applyOptionsDialog(Session& session);

// The option buttons.  Each runs after the widget's new state has been copied into the dialog model,
// and changes the options at once, without waiting for "OK".
void clickUseNewton(Session& session);
void clickUseSearch(Session& session);
void clickUseLM(Session& session);
void clickGLSum(Session& session);
void clickGLProduct(Session& session);

// The dialog loaded from the options and the "Use" of the method named "lm", "newton" or "search"
// clicked, as a user picks a method; false, with nothing changed, for another name.
bool chooseMethodNamed(Session& session, std::string_view method);

// The options to workspace.fileName; "Error in writing file" when that fails, the old file kept.
bool writeOptionFile(Session& session);

// The options from workspace.fileName, then the dialog filled and shown.  "Error in reading file" and
// the options untouched when the file cannot be read, is cut short or holds values the optimisers
// cannot use.
bool readOptionFile(Session& session);

// Start-up: the options from "default.opa" (or the given path, which becomes fileName).  Without that
// file the built-in defaults apply and the dialog is filled, with no message: a missing file is the
// normal state of a fresh working directory, not a fault.  A file that cannot be read says so and the
// built-in defaults apply too; false then.
bool readDefaultOptionFile(Session& session, const std::string& path = kDefaultOptionFileName);

// "Save Parameters" once fileName holds the chosen path: the dialog's values stored as far as they
// are valid (a refused value has shown its message, and the command goes on), then the file written.
// The desktop program shows its save dialog between the two steps, so it calls applyOptionsDialog
// before that dialog and writeOptionFile after it; this whole form suits callers that know the path
// beforehand.
void saveOptionsCommand(Session& session);

}  // namespace vortlan
