#pragma once
// The modal questions and messages of the program, and the system beep.  The desktop program shows
// message boxes titled "Vortlan"; the tests answer them from a script.

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace vortlan::ui {

inline const QString kApplicationTitle = QStringLiteral("Vortlan");

// The answers to "Save changes?".
enum class SaveChoice { Save, Discard, Cancel };

// The answer Return gives to a Yes/No question: the one that cannot lose anything there.
enum class ReturnAnswers { Yes, No };

class Prompter {
  public:
    virtual ~Prompter() = default;
    virtual void message(const QString& text) = 0;
    // True for Yes.
    virtual bool askYesNo(const QString& title, const QString& text, ReturnAnswers onReturn) = 0;
    virtual void beep() = 0;
    // One of the items, or nothing when the user cancels.
    virtual std::optional<int> chooseItem(const QString& title, const QString& label,
                                          const QStringList& items, int preselected) = 0;
    // A whole number from low to high, offered at `value`; nothing when the user cancels.
    virtual std::optional<int> askNumber(const QString& title, const QString& label, int value, int low,
                                         int high) = 0;
    // "Save changes?" before the program ends with work not saved.
    virtual SaveChoice askSaveChanges() = 0;
};

class MessageBoxPrompter : public Prompter {
  public:
    void message(const QString& text) override;
    bool askYesNo(const QString& title, const QString& text, ReturnAnswers onReturn) override;
    void beep() override;
    std::optional<int> chooseItem(const QString& title, const QString& label, const QStringList& items,
                                  int preselected) override;
    std::optional<int> askNumber(const QString& title, const QString& label, int value, int low,
                                 int high) override;
    SaveChoice askSaveChanges() override;
};

}  // namespace vortlan::ui
