// The Edit menu and its keys, and the question before the program ends with work not saved, driven
// through the windows as a user does.

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "io/project_file.h"
#include "support/fitted_session.h"
#include "support/synthetic_region.h"
#include "support/temp_dir.h"
#include "ui/main_window.h"
#include "ui/scripted.h"
#include "ui/spectrum_window.h"

namespace vortlan {
namespace {

QAction* editEntry(testing::DesktopProgram& program, const char* name) {
    auto* menu = program.find<QMenu>("Edit");
    EXPECT_NE(menu, nullptr);
    for (QAction* a : menu->actions()) {
        if (a->objectName() == QLatin1String(name)) return a;
    }
    ADD_FAILURE() << name;
    return nullptr;
}

QString shown(QAction* action) {
    return action->text().remove(QLatin1Char('&'));
}

// Region 0 with data, its background accepted and one peak, as after an import and a first fit.
void makeFittedRegion(testing::DesktopProgram& program) {
    Workspace& ws = program.app.workspace();
    testing::makeRegion(ws, 0, 101, 290.0f, 0.1f, testing::gaussianOn(100.0, 285.0, 1000.0, 1.2));
    testing::acceptBackground(program.app.session(), 0);
    testing::addPeak(ws, 0, 0, 285.2f, 1000.0f, 1.2f);
    program.app.recordStep(QStringLiteral("Import (ASCII)"));
    program.find<QPushButton>("reg0")->click();
}

void trigger(testing::DesktopProgram& program, const char* action) {
    program.find<QAction>(action)->trigger();
}

TEST(EditMenuTest, NamesTheCommandAndIsGreyedWhenThereIsNothingOrADialogIsOpen) {
    testing::DesktopProgram program;
    QAction* undo = editEntry(program, "Undo");
    QAction* redo = editEntry(program, "Redo");
    EXPECT_EQ(shown(undo), "Undo");
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
    EXPECT_EQ(undo->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
    EXPECT_EQ(redo->shortcuts(), (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Shift+Z")),
                                                      QKeySequence(QStringLiteral("Ctrl+Y"))}));

    makeFittedRegion(program);
    trigger(program, "AddPeak");
    // The new peak's dialog is open: undo would overturn what it holds.
    EXPECT_EQ(shown(undo), "Undo Add Peak");
    EXPECT_FALSE(undo->isEnabled());
    program.find<QPushButton>("PeakAccept")->click();
    EXPECT_TRUE(undo->isEnabled());

    program.find<QPushButton>("pp1")->click();
    program.find<QPushButton>("DeletePeak")->click();
    EXPECT_EQ(shown(undo), "Undo Delete Peak");
    undo->trigger();
    EXPECT_EQ(shown(undo), "Undo Add Peak");
    EXPECT_EQ(shown(redo), "Redo Delete Peak");
    EXPECT_TRUE(redo->isEnabled());
    EXPECT_EQ(program.app.workspace().regions[0].peakCount, 2);
    EXPECT_TRUE(program.find<QPushButton>("pp1")->isEnabled());
    EXPECT_EQ(program.find<QPushButton>("pp1")->text(), "1");
}

TEST(EditMenuTest, TheSameKeysWorkFromTheMainWindow) {
    testing::DesktopProgram program;
    makeFittedRegion(program);
    trigger(program, "ClearParameters");
    ASSERT_EQ(program.app.workspace().regions[0].peakCount, 0);

    auto* main = program.find<QWidget>("XPSForm");
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    QTest::keyClick(main, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(program.app.workspace().regions[0].peakCount, 1);
    EXPECT_EQ(program.find<QPushButton>("pp0")->text(), "0");
    QTest::keyClick(main, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(program.app.workspace().regions[0].peakCount, 0);
    EXPECT_EQ(program.find<QPushButton>("pp0")->text(), "");
}

class CloseQuestionTest : public ::testing::Test {
  protected:
    bool closeMainWindow() { return program.find<QWidget>("XPSForm")->close(); }
    bool recoveryCopyLeft() {
        program.app.recovery().waitUntilWritten();
        return recoveryCopyExists(program.app.recovery().folder());
    }

    testing::DesktopProgram program;
    testing::TempDir dir;
};

TEST_F(CloseQuestionTest, NothingIsAskedWhenTheWorkIsSavedOrUndoneToTheSavedState) {
    EXPECT_TRUE(closeMainWindow());
    makeFittedRegion(program);
    trigger(program, "ClearParameters");
    program.files.answers.push_back(QString::fromStdString(dir.file("saved.xps")));
    program.find<QPushButton>("Save")->click();
    trigger(program, "Undo");
    trigger(program, "Redo");
    EXPECT_FALSE(recoveryCopyLeft());
    EXPECT_TRUE(closeMainWindow());
    EXPECT_FALSE(program.prompter.questions.contains("Save changes?"));
}

TEST_F(CloseQuestionTest, CancelKeepsTheProgramAndItsWork) {
    makeFittedRegion(program);
    program.prompter.saveChoice = ui::SaveChoice::Cancel;
    EXPECT_FALSE(closeMainWindow());
    program.find<QPushButton>("Close")->click();
    EXPECT_EQ(program.prompter.questions, QStringList({"Save changes?", "Save changes?"}));
    EXPECT_TRUE(recoveryCopyLeft());
    EXPECT_TRUE(program.app.hasUnsavedChanges());
}

TEST_F(CloseQuestionTest, DiscardEndsWithoutWritingAndRemovesTheRecoveryCopy) {
    makeFittedRegion(program);
    ASSERT_TRUE(recoveryCopyLeft());
    program.prompter.saveChoice = ui::SaveChoice::Discard;
    program.find<QPushButton>("Close")->click();
    // Ending closes the windows, the main window among them: the question is not asked twice.
    EXPECT_TRUE(closeMainWindow());
    EXPECT_EQ(program.prompter.questions, QStringList({"Save changes?"}));
    EXPECT_TRUE(program.files.asked.empty());
    EXPECT_FALSE(recoveryCopyLeft());
}

TEST_F(CloseQuestionTest, SaveWritesTheProjectAndACancelledSaveDialogCancelsTheClose) {
    makeFittedRegion(program);
    program.prompter.saveChoice = ui::SaveChoice::Save;
    program.files.answers.push_back(std::nullopt);
    EXPECT_FALSE(closeMainWindow());
    EXPECT_TRUE(recoveryCopyLeft());

    const std::string path = dir.file("work.xps");
    program.files.answers.push_back(QString::fromStdString(path));
    EXPECT_TRUE(closeMainWindow());
    EXPECT_EQ(testing::readWholeFile(path), encodeProject(program.app.workspace()));
    EXPECT_FALSE(recoveryCopyLeft());
}

TEST(RecoveryTest, AfterAnEndWithoutSavingTheNextStartOffersTheWorkAndReturnRestoresIt) {
    testing::TempDir folder;
    Workspace lost;
    {
        testing::DesktopProgram crashed(folder.path().string());
        makeFittedRegion(crashed);
        lost = crashed.app.workspace();
    }  // ends without the question, as a crash would

    {
        testing::DesktopProgram declined(folder.path().string(), {false});
        EXPECT_EQ(declined.prompter.questions,
                  QStringList({"Restore: Vortlan ended without saving changes. Restore the unsaved work?"}));
        EXPECT_FALSE(isTrue(declined.app.workspace().regions[0].defined));
        EXPECT_FALSE(recoveryCopyExists(folder.path().string()));
    }

    {
        testing::DesktopProgram crashed(folder.path().string());
        makeFittedRegion(crashed);
    }
    testing::DesktopProgram restored(folder.path().string());  // the question answered by Return
    EXPECT_EQ(restored.prompter.messages, QStringList());
    const Workspace& ws = restored.app.workspace();
    EXPECT_TRUE(ws.regions[0].counts == lost.regions[0].counts);
    EXPECT_EQ(ws.peaks[0].position, lost.peaks[0].position);
    EXPECT_EQ(ws.peaks[0].area, lost.peaks[0].area);
    EXPECT_EQ(restored.find<QPushButton>("pp0")->text(), "0");
    // Restored work is saved nowhere yet, so its copy stays for another start.
    EXPECT_TRUE(restored.app.hasUnsavedChanges());
    restored.app.recovery().waitUntilWritten();
    EXPECT_TRUE(recoveryCopyExists(folder.path().string()));
    EXPECT_EQ(shown(editEntry(restored, "Undo")), "Undo Restore Unsaved Work");
}

}  // namespace
}  // namespace vortlan
