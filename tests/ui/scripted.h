#pragma once
// The desktop program's windows driven in the tests: message boxes, questions, choices and file
// dialogs answered from a script instead of a person.

#include <QApplication>
#include <QStringList>
#include <deque>
#include <optional>

#include "support/temp_dir.h"
#include "ui/application.h"
#include "ui/file_dialogs.h"
#include "ui/prompter.h"

namespace vortlan::testing {

class ScriptedPrompter : public ui::Prompter {
  public:
    void message(const QString& text) override { messages << text; }
    // A question the script does not answer is answered as Return answers it.
    bool askYesNo(const QString& title, const QString& text, ui::ReturnAnswers onReturn) override {
        questions << title + ": " + text;
        if (answers.empty()) return onReturn == ui::ReturnAnswers::Yes;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void beep() override { ++beeps; }
    std::optional<int> chooseItem(const QString&, const QString& label, const QStringList& items,
                                  int preselected) override {
        offeredLabel = label;
        offered = items;
        offeredPreselection = preselected;
        if (choices.empty()) return std::nullopt;
        const auto choice = choices.front();
        choices.pop_front();
        return choice;
    }

    std::optional<int> askNumber(const QString& title, const QString&, int value, int low,
                                 int high) override {
        askedNumbers.push_back({title, value, low, high});
        if (numbers.empty()) return std::nullopt;
        const auto number = numbers.front();
        numbers.pop_front();
        return number;
    }

    ui::SaveChoice askSaveChanges() override {
        questions << QStringLiteral("Save changes?");
        return saveChoice;
    }

    QStringList messages;
    QStringList questions;
    ui::SaveChoice saveChoice = ui::SaveChoice::Cancel;
    std::deque<bool> answers;
    int beeps = 0;
    QString offeredLabel;
    QStringList offered;
    int offeredPreselection = -1;
    std::deque<std::optional<int>> choices;  // nothing: the user cancels
    struct AskedNumber {
        QString title;
        int value, low, high;
    };
    std::vector<AskedNumber> askedNumbers;
    std::deque<std::optional<int>> numbers;  // nothing: the user cancels
};

class ScriptedFileDialogs : public ui::FileDialogs {
  public:
    struct Asked {
        QString title;
        QString filter;
        QString proposed;
    };
    std::optional<QString> openFile(const QString& title, const ui::FileFilter& filter) override {
        asked.push_back({title, filter.description, {}});
        return next();
    }
    std::optional<QString> saveFile(const QString& title, const ui::FileFilter& filter,
                                    const QString& proposedName) override {
        asked.push_back({title, filter.description, proposedName});
        return next();
    }
    std::deque<std::optional<QString>> answers;  // nothing: the user cancels
    std::vector<Asked> asked;

  private:
    std::optional<QString> next() {
        if (answers.empty()) return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        if (answer) lastName = *answer;
        return answer;
    }
};

// A started desktop program on the offscreen platform, driven by its widgets' object names.  Its
// recovery copies go to a folder of its own unless one is given, as a later start of the program
// would find it.
class DesktopProgram {
  public:
    DesktopProgram() : app(prompter, files, ownRecoveryFolder.path().string()) { app.start(); }
    // `startAnswers` answer the questions start-up asks.
    explicit DesktopProgram(const std::string& recoveryFolder, std::deque<bool> startAnswers = {})
        : app(prompter, files, recoveryFolder) {
        prompter.answers = std::move(startAnswers);
        app.start();
    }
    template <typename Widget = QWidget>
    Widget* find(const char* objectName) {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() == QLatin1String(objectName)) return qobject_cast<Widget*>(top);
            if (auto* w = top->findChild<Widget*>(QString::fromLatin1(objectName))) return w;
        }
        return nullptr;
    }
    TempDir ownRecoveryFolder;
    ScriptedPrompter prompter;
    ScriptedFileDialogs files;
    ui::Application app;
};

}  // namespace vortlan::testing
