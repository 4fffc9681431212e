// Undo and redo of every command that changes the workspace, on a session as a user leaves it after a
// few fits: each step puts back exactly what its command changed.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "session/background_dialog.h"
#include "session/constraint_dialog.h"
#include "session/history/history.h"
#include "session/history/history_commands.h"
#include "session/import_text.h"
#include "session/options_dialog.h"
#include "session/peak_dialog.h"
#include "session/project.h"
#include "session/region_dialogs.h"
#include "session/region_operations.h"
#include "session/region_parameters.h"
#include "session/spectrum_commands.h"
#include "support/fitted_session.h"
#include "support/temp_dir.h"
#include "workspace/fit_verdicts.h"

namespace vortlan {
namespace {

using testing::FittedSession;

// Every field a step restores, one by one, so that a failure names the field.
void expectRestored(const Workspace& expected, const Workspace& actual, const std::string& when) {
    for (int r = 0; r < kRegionCount; ++r) {
        EXPECT_TRUE(expected.regions[r] == actual.regions[r]) << when << ": region " << r;
        EXPECT_EQ(expected.fitVerdicts[r].verdict, actual.fitVerdicts[r].verdict)
            << when << ": verdict " << r;
        EXPECT_EQ(expected.fitVerdicts[r].model, actual.fitVerdicts[r].model) << when << ": verdict " << r;
    }
    for (int p = 0; p < kPeakCount; ++p) {
        EXPECT_TRUE(expected.peaks[p] == actual.peaks[p]) << when << ": peak " << p;
        EXPECT_TRUE(expected.constraints[p] == actual.constraints[p]) << when << ": constraints of " << p;
    }
    EXPECT_TRUE(expected.options == actual.options) << when << ": options";
    EXPECT_EQ(expected.description, actual.description) << when;
    EXPECT_EQ(expected.totalChiSquare, actual.totalChiSquare) << when;
}

struct Command {
    std::string name;
    std::function<void(Session&, const testing::TempDir&)> run;
};

void editPeak(Session& s, int button, const std::string& position) {
    openPeakDialog(s, button);
    s.dialogs.peak.PosVal = position;
    acceptPeakDialog(s);
}

std::vector<Command> everyRecordedCommand() {
    return {
        {"Accept Peak", [](Session& s, auto&) { editPeak(s, 0, "285.3"); }},
        {"Add Peak", [](Session& s, auto&) { addPeak(s); }},
        {"Delete Peak",
         [](Session& s, auto&) {
             openPeakDialog(s, 1);
             deletePeakFromDialog(s);
         }},
        {"Accept Background",
         [](Session& s, auto&) {
             openBackgroundDialog(s);
             s.dialogs.background.LBE = "282";
             acceptBackground(s);
         }},
        {"Optimise Region", [](Session& s, auto&) { optimiseRegionCommand(s); }},
        {"Optimise All", [](Session& s, auto&) { optimiseAllCommand(s); }},
        {"Constraint",
         [](Session& s, auto&) {
             openPeakDialog(s, 2);
             openConstraintEditor(s, PeakParam::Area);
             s.dialogs.constraint.Use = 1;
             s.dialogs.constraint.RefPeak = "0";
             s.dialogs.constraint.ArgType = "*";
             s.dialogs.constraint.Arg = "0.1";
             acceptConstraintEdit(s);
         }},
        {"Region Shift",
         [](Session& s, auto&) {
             openRegionShiftDialog(s);
             s.dialogs.regionShift.ShiftText = "0.4";
             acceptRegionShift(s);
             redisplay(s);
         }},
        {"Region Caption",
         [](Session& s, auto&) {
             openRegionCaptionDialog(s);
             s.dialogs.regionCaption.Text = "C 1s, sputtered";
             acceptRegionCaption(s);
         }},
        {"Clear Parameters", [](Session& s, auto&) { clearParameters(s); }},
        {"Delete Region",
         [](Session& s, auto&) {
             static_cast<RecordingPort&>(s.port).answers.push_back(true);
             deleteRegionCommand(s);
         }},
        {"Import (ASCII)",
         [](Session& s, const testing::TempDir& dir) {
             const std::string path = dir.file("o1s.txt");
             testing::writeWholeFile(path, "535 120\n534.5 180\n534 400\n533.5 220\n533 130\n");
             s.workspace.currentRegion = 5;
             s.workspace.fileName = path;
             importAscii(s);
         }},
        {"Load Region Parameters",
         [](Session& s, const testing::TempDir& dir) {
             s.workspace.currentRegion = 3;
             s.workspace.fileName = dir.file("o1s.rpa");
             ASSERT_TRUE(saveRegionParameters(s));
             clearParameters(s);
             loadRegionParameters(s);
         }},
        {"Open XPS",
         [](Session& s, const testing::TempDir& dir) {
             Workspace other = s.workspace;
             s.workspace.fileName = dir.file("other.xps");
             s.workspace.regions[0].caption.assign("Elsewhere");
             s.workspace.description = "Another sample";
             ASSERT_TRUE(saveProject(s));
             s.workspace = other;
             openProject(s);
         }},
        {"Options",
         [](Session& s, auto&) {
             s.dialogs.options.GLProduct = true;
             s.dialogs.options.GLSum = false;
             clickGLProduct(s);
         }},
    };
}

// The fitted session with the built-in fit options and its total statistic summed, as a user finds
// it after start-up and a first fit.
void settle(Session& s, const testing::TempDir& dir) {
    readDefaultOptionFile(s, dir.file("none.opa"));
    showTotalChiSquare(s);
}

class HistoryTest : public ::testing::Test {
  protected:
    HistoryTest() {
        settle(f.session, dir);
        history.reset(f.session.workspace);
    }
    Workspace& ws() { return f.session.workspace; }

    FittedSession f;
    History history;
    testing::TempDir dir;
};

TEST_F(HistoryTest, EveryCommandIsOneStepThatUndoAndRedoRestoreFieldForField) {
    for (const Command& command : everyRecordedCommand()) {
        SCOPED_TRACE(command.name);
        FittedSession fresh;
        Session& s = fresh.session;
        settle(s, dir);
        History h;
        h.reset(s.workspace);
        const Workspace before = s.workspace;
        command.run(s, dir);
        ASSERT_TRUE(h.record(command.name, s.workspace)) << "the command changed nothing";
        const Workspace after = s.workspace;
        EXPECT_EQ(h.undoName(), command.name);

        ASSERT_TRUE(undoCommand(s, h));
        expectRestored(before, s.workspace, "undone");
        EXPECT_FALSE(h.canUndo());
        EXPECT_EQ(h.redoName(), command.name);
        // Undo shows the place the command acted on.
        EXPECT_EQ(s.workspace.currentRegion, after.currentRegion);

        ASSERT_TRUE(redoCommand(s, h));
        expectRestored(after, s.workspace, "redone");
        EXPECT_FALSE(h.canRedo());
    }
}

TEST_F(HistoryTest, UndoRewritesTheMainWindowAndThePlot) {
    editPeak(f.session, 0, "285.3");
    history.record("Accept Peak", ws());
    clearParameters(f.session);
    history.record("Clear Parameters", ws());
    f.port.drawings.clear();
    ws().currentRegion = 3;

    undoCommand(f.session, history);

    EXPECT_EQ(ws().currentRegion, 0);
    EXPECT_EQ(f.port.peakButtonCaptions[peakButtonIndex(0, 2)], "2");
    EXPECT_TRUE(f.port.peakButtonsEnabled[peakButtonIndex(0, 2)]);
    EXPECT_FALSE(f.port.peakButtonsEnabled[peakButtonIndex(3, 0)]);
    EXPECT_NE(f.port.chiTexts[0], "0");
    EXPECT_EQ(f.port.descriptionText, "Sample A, sputtered 5 min");
    ASSERT_FALSE(f.port.drawings.empty());
    EXPECT_EQ(f.port.drawings.back(), SpectrumDrawing::FittedCurves);
}

// The verdicts shown after undo and redo are those that hold for what was put back.
TEST_F(HistoryTest, UndoAndRedoShowTheVerdictsThatHoldAgain) {
    optimiseRegionCommand(f.session);
    history.record("Optimise Region", ws());
    const RegionVerdict fitted = heldVerdictOf(ws(), 0);
    ASSERT_NE(fitted.verdict, FitVerdict::Unknown);

    f.port.fitVerdicts.clear();
    undoCommand(f.session, history);
    EXPECT_EQ(f.port.verdictClearings, 1);
    EXPECT_TRUE(f.port.fitVerdicts.empty());
    EXPECT_EQ(fitVerdictOf(ws(), 0), FitVerdict::Unknown);

    redoCommand(f.session, history);
    EXPECT_EQ(f.port.verdictClearings, 2);
    EXPECT_EQ(f.port.fitVerdicts, (std::vector<std::pair<int, FitVerdict>>{{0, fitted.verdict}}));
    EXPECT_EQ(f.port.fitFlags.back(), fitted.flags);
}

TEST_F(HistoryTest, WorkBetweenCommandsIsNoStepOfItsOwn) {
    const Workspace opened = ws();
    const int o1s = peakButtonIndex(3, 0);
    // ReDraw tries a value out; Cancel puts the peak back: nothing to undo.
    openPeakDialog(f.session, o1s);
    f.session.dialogs.peak.PosVal = "532.4";
    redrawPeakDialog(f.session);
    cancelPeakDialog(f.session);
    EXPECT_FALSE(history.record("Cancel Peak", ws()));
    EXPECT_FALSE(history.canUndo());

    // ReDraw, then Accept: one step, whose undo goes back to before the ReDraw.
    openPeakDialog(f.session, o1s);
    f.session.dialogs.peak.PosVal = "532.4";
    redrawPeakDialog(f.session);
    f.session.dialogs.peak.PosVal = "532.3";
    acceptPeakDialog(f.session);
    EXPECT_TRUE(history.record("Accept Peak", ws()));
    EXPECT_EQ(history.stepCount(), 1u);
    undoCommand(f.session, history);
    expectRestored(opened, ws(), "undone");
}

TEST_F(HistoryTest, ANewCommandClearsWhatCouldBeRedoneAndMergedEditsAreOneStep) {
    editPeak(f.session, 0, "285.3");
    history.record("Accept Peak", ws());
    editPeak(f.session, 0, "285.6");
    history.record("Accept Peak", ws());
    undoCommand(f.session, history);
    EXPECT_TRUE(history.canRedo());
    ASSERT_TRUE(history.record("Clear Parameters", (clearParameters(f.session), ws())));
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.undoName(), "Clear Parameters");

    const std::string typed = ws().description;
    for (const char* text : {"S", "Sa", "Sam"}) {
        ws().description = text;
        history.record("Edit Description", ws(), true);
    }
    EXPECT_EQ(history.stepCount(), 3u);
    undoCommand(f.session, history);
    EXPECT_EQ(ws().description, typed);
    // Typing back what was there leaves no step behind.
    redoCommand(f.session, history);
    ws().description = typed;
    history.record("Edit Description", ws(), true);
    EXPECT_EQ(history.undoName(), "Clear Parameters");
}

TEST_F(HistoryTest, ChangedSinceSavedFollowsUndoBackToTheSavedState) {
    history.markSaved(ws());
    EXPECT_FALSE(history.changedSinceSaved(ws()));
    editPeak(f.session, 0, "285.3");
    history.record("Accept Peak", ws());
    EXPECT_TRUE(history.changedSinceSaved(ws()));
    undoCommand(f.session, history);
    EXPECT_FALSE(history.changedSinceSaved(ws()));
    redoCommand(f.session, history);
    EXPECT_TRUE(history.changedSinceSaved(ws()));
    // Looking at another region changes nothing that is saved.
    undoCommand(f.session, history);
    selectRegion(f.session, 3);
    EXPECT_FALSE(history.changedSinceSaved(ws()));
}

TEST_F(HistoryTest, StepsShareWhatTheyDidNotChange) {
    const std::size_t settled = history.bytesHeld();
    editPeak(f.session, 5, "532.2");
    history.record("Accept Peak", ws());
    const std::size_t grown = history.bytesHeld() - settled;
    // Peak 5 and region 3 (its curves and statistic) are new; region 0 and its peaks are shared.
    EXPECT_GT(grown, bytesOf(ws().peaks[5]));
    EXPECT_LT(grown, bytesOf(RegionState{ws().regions[3], {}}) + 3 * bytesOf(ws().peaks[5]) + 8192);
}

TEST_F(HistoryTest, OldestStepsGoBeyondTheBudgetButAHundredAlwaysStay) {
    History tight(0);  // no budget at all: only the guaranteed steps
    tight.reset(ws());
    for (int k = 1; k <= 130; ++k) {
        ws().description = "edit " + std::to_string(k);
        tight.record("Edit Description", ws());
    }
    EXPECT_EQ(tight.stepCount(), kGuaranteedSteps);
    int undone = 0;
    while (undoCommand(f.session, tight)) ++undone;
    EXPECT_EQ(undone, 100);
    EXPECT_EQ(ws().description, "edit 30");

    // Within its budget the history keeps more, up to its step limit.
    for (int k = 1; k <= 1100; ++k) {
        ws().description = "again " + std::to_string(k);
        history.record("Edit Description", ws());
    }
    EXPECT_EQ(history.stepCount(), kMaxSteps);
    EXPECT_LE(history.bytesHeld(), defaultHistoryBudget());
}

}  // namespace
}  // namespace vortlan
