#pragma once
// The common file dialog of the program: one object for every file command, so that each dialog starts
// in the folder of the last file chosen and a save proposes a name derived from it.  The tests answer
// it from a script.

#include <QString>
#include <optional>

namespace vortlan::ui {

// A file filter as the commands name it: a description and a pattern, as in "Data Files (*.xps) ", "*.xps".
struct FileFilter {
    QString description;
    QString pattern;

    // The extension a saved name gets when it has none: "dat" of "*.dat"; empty for "*.*".
    QString extension() const;
};

class FileDialogs {
  public:
    virtual ~FileDialogs() = default;
    // The chosen path, or nothing when the dialog was cancelled.
    virtual std::optional<QString> openFile(const QString& title, const FileFilter& filter) = 0;
    // The same for a file to write; a name chosen without an extension gets the filter's.
    virtual std::optional<QString> saveFile(const QString& title, const FileFilter& filter,
                                            const QString& proposedName) = 0;

    // The name chosen in the last dialog, empty at first.
    QString lastName;
    // The last name with its extension replaced after its first ".", as the save commands propose it.
    QString proposedName(const QString& extension) const;
};

class QtFileDialogs : public FileDialogs {
  public:
    std::optional<QString> openFile(const QString& title, const FileFilter& filter) override;
    std::optional<QString> saveFile(const QString& title, const FileFilter& filter,
                                    const QString& proposedName) override;

  private:
    QString folder() const;
};

}  // namespace vortlan::ui
