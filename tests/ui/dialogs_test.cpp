// The peak, background, options and constraint dialogs driven through their widgets, as a user does.

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <utility>

#include "support/fitted_session.h"
#include "support/synthetic_region.h"
#include "support/temp_dir.h"
#include "ui/scripted.h"

namespace vortlan {
namespace {

class DialogsTest : public ::testing::Test {
  protected:
    // A control of one form; several forms use the same control names ("Command1", "Frame1").
    template <typename Widget>
    Widget* control(const char* form, const char* name) {
        QWidget* window = program.find(form);
        EXPECT_NE(window, nullptr) << form;
        Widget* widget = window ? window->findChild<Widget*>(QString::fromLatin1(name)) : nullptr;
        EXPECT_NE(widget, nullptr) << form << "." << name;
        return widget;
    }
    bool visible(const char* form) { return program.find(form)->isVisible(); }
    QString text(const char* form, const char* name) { return control<QLineEdit>(form, name)->text(); }
    void click(const char* form, const char* name) { control<QAbstractButton>(form, name)->click(); }
    void check(const char* form, const char* name) {
        if (!control<QAbstractButton>(form, name)->isChecked()) click(form, name);
    }

    // Types over the whole box, as a user who selects its text first.
    void type(const char* form, const char* name, const QString& text) {
        QLineEdit* edit = control<QLineEdit>(form, name);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    void typeInList(const char* form, const char* name, const QString& text) {
        QLineEdit* edit = control<QComboBox>(form, name)->lineEdit();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    // Region 0, 280-290 eV, made current; with `peaks`, its background accepted and two peaks in it.
    void makeRegion(bool peaks) {
        Workspace& ws = program.app.workspace();
        testing::makeRegion(ws, 0, 101, 290.0f, 0.1f, testing::gaussianOn(100.0, 285.0, 1000.0, 1.2));
        if (peaks) {
            testing::acceptBackground(program.app.session(), 0);
            testing::addPeak(ws, 0, 0, 284.567f, 1000.0f, 0.35f);
            testing::addPeak(ws, 0, 1, 286.0f, 500.0f, 1.2f);
        }
        click("XPSForm", "reg0");
    }
    const Peak& peak(int p) { return program.app.workspace().peaks[p]; }

    testing::DesktopProgram program;
};

TEST_F(DialogsTest, OpenedPeakShowsItsValuesExactlyAndAcceptKeepsThem) {
    makeRegion(true);
    click("XPSForm", "pp0");
    ASSERT_TRUE(visible("PeakForm"));
    EXPECT_EQ(program.find("PeakForm")->windowTitle(), "Peak 0");
    auto* position = control<QScrollBar>("PeakForm", "ScPos");
    EXPECT_EQ(position->maximum(), 1000);
    EXPECT_EQ(position->value(), 457);
    EXPECT_EQ(text("PeakForm", "PosVal"), "284.567");
    EXPECT_EQ(control<QScrollBar>("PeakForm", "ScFWHM")->value(), 35);
    EXPECT_EQ(text("PeakForm", "FWHMVal"), "0.35");
    EXPECT_EQ(control<QScrollBar>("PeakForm", "ScArea")->value(), 500);

    // A fix flag goes into the peak at once, before any Accept.
    click("PeakForm", "ChkPos");
    EXPECT_EQ(peak(0).fixPosition, 1);

    click("PeakForm", "PeakAccept");
    EXPECT_FALSE(visible("PeakForm"));
    EXPECT_EQ(peak(0).position, 284.567f);
    EXPECT_EQ(peak(0).fwhm, 0.35f);
}

TEST_F(DialogsTest, PeakDialogShowsTheStandardErrorBesideEachValue) {
    makeRegion(true);
    click("XPSForm", "pp0");
    const PeakDialog& d = program.app.dialogs().peak;
    for (const auto& [label, model] : {std::pair{"PosErr", &d.PosErr}, std::pair{"FWHMErr", &d.FWHMErr},
                                       std::pair{"AreaErr", &d.AreaErr}}) {
        const QString shown = control<QLabel>("PeakForm", label)->text();
        EXPECT_TRUE(shown.startsWith(QStringLiteral("± "))) << label << " " << shown.toStdString();
        EXPECT_EQ(shown, QString::fromLatin1(*model)) << label;
    }
    ASSERT_EQ(peak(0).fixGl, 1);  // as a reset workspace leaves every peak
    EXPECT_EQ(control<QLabel>("PeakForm", "GLErr")->text(), "fixed");
    click("PeakForm", "ChkPos");
    EXPECT_EQ(control<QLabel>("PeakForm", "PosErr")->text(), "fixed");
    click("PeakForm", "ChkPos");
    EXPECT_TRUE(control<QLabel>("PeakForm", "PosErr")->text().startsWith(QStringLiteral("± ")));
}

TEST_F(DialogsTest, ScrollBarRewritesItsBoxAndReDrawStoresTheBoxesClamped) {
    makeRegion(true);
    click("XPSForm", "pp1");
    control<QScrollBar>("PeakForm", "ScPos")->setValue(250);
    EXPECT_EQ(text("PeakForm", "PosVal"), "282.5");
    EXPECT_FLOAT_EQ(peak(1).position, 286.0f);  // the peak follows only on ReDraw or Accept
    control<QScrollBar>("PeakForm", "ScGL")->setValue(45);
    EXPECT_EQ(text("PeakForm", "GLVal"), "45");

    type("PeakForm", "TSVal", "1.5");
    type("PeakForm", "TLVal", "500");
    typeInList("PeakForm", "PeakType", "d");
    click("PeakForm", "ReDraw");
    EXPECT_TRUE(visible("PeakForm"));
    EXPECT_FLOAT_EQ(peak(1).position, 282.5f);
    EXPECT_EQ(peak(1).gl, 45);
    EXPECT_EQ(peak(1).type, 3);
    EXPECT_EQ(text("PeakForm", "TSVal"), "1");
    EXPECT_EQ(text("PeakForm", "TLVal"), "200");
    EXPECT_NE(control<QLabel>("PeakForm", "ActFWHM")->text(), "---");
}

TEST_F(DialogsTest, CancelAndTheCloseControlPutThePeakBackAsOpened) {
    makeRegion(true);
    const Peak opened = peak(1);
    const auto asOpened = [&] {
        const Peak& p = peak(1);
        return p.position == opened.position && p.area == opened.area && p.fwhm == opened.fwhm &&
               p.gl == opened.gl && p.type == opened.type;
    };
    click("XPSForm", "pp1");
    type("PeakForm", "AreaVal", "777");
    click("PeakForm", "ReDraw");
    EXPECT_FLOAT_EQ(peak(1).area, 777.0f);
    click("PeakForm", "PeakCancel");
    EXPECT_FALSE(visible("PeakForm"));
    EXPECT_TRUE(asOpened());

    click("XPSForm", "pp1");
    type("PeakForm", "FWHMVal", "2.5");
    click("PeakForm", "ReDraw");
    program.find("PeakForm")->close();
    EXPECT_FALSE(visible("PeakForm"));
    EXPECT_TRUE(asOpened());
}

TEST_F(DialogsTest, DeletePeakRemovesItFromTheRegionAndHidesTheDialog) {
    makeRegion(true);
    click("XPSForm", "pp0");
    click("PeakForm", "DeletePeak");
    EXPECT_FALSE(visible("PeakForm"));
    EXPECT_EQ(peak(0).defined, kFalse);
    const Region& r = program.app.workspace().regions[0];
    ASSERT_EQ(r.peakCount, 1);
    EXPECT_EQ(r.peakSlots[0], 1);
}

TEST_F(DialogsTest, BackgroundDialogBeepsCorrectsRefusedBoxesAndSaysWhyUntilTheNextEdit) {
    makeRegion(false);
    const Region& r = program.app.workspace().regions[0];
    program.find<QAction>("Background")->trigger();
    ASSERT_TRUE(visible("BGForm"));
    EXPECT_EQ(program.find("BGForm")->windowTitle(), "Region 1");
    EXPECT_EQ(text("BGForm", "LBE"), "280");
    EXPECT_EQ(text("BGForm", "HBE"), "290");

    QLabel* note = control<QLabel>("BGForm", "RefusalNote");
    EXPECT_FALSE(note->isVisible());
    type("BGForm", "HBE", "300");
    click("BGForm", "BGAccept");
    EXPECT_EQ(program.prompter.beeps, 1);
    EXPECT_EQ(text("BGForm", "HBE"), "290");
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(note->text(), "High BE outside the data: set to its highest BE, 290");
    type("BGForm", "LBE", "281");
    EXPECT_FALSE(note->isVisible());
    EXPECT_EQ(program.app.dialogs().background.RefusalNote, "");

    typeInList("BGForm", "AverPt", "4");
    click("BGForm", "BGAccept");
    EXPECT_EQ(program.prompter.beeps, 2);
    EXPECT_EQ(control<QComboBox>("BGForm", "AverPt")->currentText(), "None");
    EXPECT_EQ(r.backgroundSet, kFalse);
    EXPECT_EQ(note->text(), "Ave. Pts must be None, 3, 5, 7 or 9: set to None");
    EXPECT_TRUE(note->isVisible());

    // A refused type comes after the averaging, which stays stored.
    typeInList("BGForm", "AverPt", "5");
    typeInList("BGForm", "BG", "Exponential");
    click("BGForm", "BGAccept");
    EXPECT_EQ(program.prompter.beeps, 3);
    EXPECT_EQ(control<QComboBox>("BGForm", "BG")->currentText(), "Shirley");
    EXPECT_EQ(r.averagePoints, 5);
    EXPECT_EQ(r.backgroundSet, kFalse);

    // The Tougaard search refuses any other type with nothing but the beep.
    click("BGForm", "Toug_Opt");
    EXPECT_EQ(program.prompter.beeps, 4);
    EXPECT_EQ(note->text(), "B1 not optimised: the Background Type is not Tougaard");
    typeInList("BGForm", "BG", "Linear");
    EXPECT_FALSE(note->isVisible());
    EXPECT_EQ(text("BGForm", "Area"), "-----");
    EXPECT_TRUE(program.prompter.messages.isEmpty());
}

TEST_F(DialogsTest, PeakDialogSaysWhichTailValueItKeptInRangeUntilTheNextEdit) {
    makeRegion(true);
    click("XPSForm", "pp0");
    QLabel* note = control<QLabel>("PeakForm", "RefusalNote");
    EXPECT_FALSE(note->isVisible());
    type("PeakForm", "TSVal", "1.5");
    click("PeakForm", "ReDraw");
    EXPECT_EQ(text("PeakForm", "TSVal"), "1");
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(note->text(), "TS above 1: kept 1");
    control<QScrollBar>("PeakForm", "ScFWHM")->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_FALSE(note->isVisible());

    type("PeakForm", "TLVal", "0");
    click("PeakForm", "ReDraw");
    EXPECT_EQ(note->text(), "TL below 0.01: kept 0.01");
    click("PeakForm", "PeakAccept");
    click("XPSForm", "pp0");  // a new opening starts with nothing refused
    EXPECT_FALSE(note->isVisible());
}

TEST_F(DialogsTest, AcceptedBackgroundShowsAgainAfterClosing) {
    makeRegion(false);
    program.find<QAction>("Background")->trigger();
    type("BGForm", "LBE", "281.5");
    control<QComboBox>("BGForm", "BG")->setCurrentText("Linear");
    click("BGForm", "BGAccept");
    const Region& r = program.app.workspace().regions[0];
    EXPECT_EQ(r.backgroundSet, kTrue);
    EXPECT_FLOAT_EQ(r.rangeLow, 281.5f);
    EXPECT_NE(text("BGForm", "Area"), "-----");

    click("BGForm", "BGClose");
    EXPECT_FALSE(visible("BGForm"));
    type("BGForm", "LBE", "283");  // typed while hidden: the next showing refills the box
    program.find<QAction>("Background")->trigger();
    EXPECT_EQ(text("BGForm", "LBE"), "281.5");
    EXPECT_EQ(control<QComboBox>("BGForm", "BG")->currentText(), "Linear");
}

TEST_F(DialogsTest, OptionsDialogRefusesWithItsMessagesAndStaysOpen) {
    click("XPSForm", "Command1");
    ASSERT_TRUE(visible("OptForm"));
    const auto refusedWith = [&](const char* name, const QString& typed, const QString& message) {
        const QString before = text("OptForm", name);
        type("OptForm", name, typed);
        program.prompter.messages.clear();
        click("OptForm", "OptionOK");
        EXPECT_EQ(program.prompter.messages, QStringList{message}) << name;
        EXPECT_TRUE(visible("OptForm"));
        type("OptForm", name, before);
    };
    refusedWith("SearchTrial", "0", "No. of trials for Search method must be in the range 1-200");
    refusedWith("NewtonTrial", "201", "No. of trials for Newton's method must be in the range 1-200");
    refusedWith("TolVal", "100.0001", "% Tolerence must be in the range 0-100");

    check("OptForm", "AreaSearchCheck2");
    refusedWith("AreaRange2", "0", "Range value for Area of level 3 must be >0");
    check("OptForm", "FWHMNewtonCheck3");
    refusedWith("FWHMDelta3", "0", "Delta value for FWHM of level 4 must be >0");

    type("OptForm", "TolVal", "0.5");
    program.prompter.messages.clear();
    click("OptForm", "OptionOK");
    EXPECT_TRUE(program.prompter.messages.isEmpty());
    EXPECT_FALSE(visible("OptForm"));
    EXPECT_FLOAT_EQ(program.app.workspace().options.tolerance, 0.005f);
}

TEST_F(DialogsTest, OptionButtonsChangeTheOptionsAtOnce) {
    makeRegion(true);
    click("XPSForm", "pp0");
    click("XPSForm", "Command1");
    const FitOptions& options = program.app.workspace().options;
    auto* asymmetry = control<QGroupBox>("PeakForm", "AsyFrame");

    click("OptForm", "GLProduct");
    EXPECT_EQ(options.glSum, kFalse);
    EXPECT_FALSE(asymmetry->isEnabled());
    EXPECT_FALSE(control<QRadioButton>("OptForm", "GLSum")->isChecked());
    click("OptForm", "GLSum");
    EXPECT_EQ(options.glSum, kTrue);
    EXPECT_TRUE(asymmetry->isEnabled());

    // The method buttons lie in different frames: only their handlers keep them exclusive.
    click("OptForm", "UseSearch");
    EXPECT_EQ(options.methodFlag, 0.0f);
    EXPECT_FALSE(control<QRadioButton>("OptForm", "UseNewton")->isChecked());
    click("OptForm", "UseNewton");
    EXPECT_EQ(options.methodFlag, 1.0f);
    EXPECT_FALSE(control<QRadioButton>("OptForm", "UseSearch")->isChecked());
    EXPECT_TRUE(visible("OptForm"));
}

TEST_F(DialogsTest, SaveParametersWritesWhatStandsAndLoadShowsItAgain) {
    testing::TempDir dir;
    const QString path = QString::fromStdString(dir.file("fit.opa"));
    click("XPSForm", "Command1");
    const QString newtonTrials = text("OptForm", "NewtonTrial");
    type("OptForm", "SearchTrial", "7");
    type("OptForm", "NewtonTrial", "300");

    // The refused count is not stored, but the file is written all the same.
    program.files.answers.push_back(path);
    click("OptForm", "SaveOption");
    EXPECT_EQ(program.prompter.messages,
              QStringList{"No. of trials for Newton's method must be in the range 1-200"});
    ASSERT_EQ(program.files.asked.size(), 1u);
    EXPECT_EQ(program.files.asked[0].filter, "Parameter Files (*.opa) ");
    EXPECT_EQ(testing::readWholeFile(path.toStdString()).size(), 206u);

    type("OptForm", "SearchTrial", "9");
    program.files.answers.push_back(std::nullopt);  // a cancelled dialog reads nothing
    click("OptForm", "ReadOption");
    EXPECT_EQ(text("OptForm", "SearchTrial"), "9");

    program.files.answers.push_back(path);
    click("OptForm", "ReadOption");
    EXPECT_EQ(text("OptForm", "SearchTrial"), "7");
    EXPECT_EQ(text("OptForm", "NewtonTrial"), newtonTrials);
    EXPECT_EQ(program.prompter.messages.size(), 1);
}

TEST_F(DialogsTest, ConstraintDialogRefusesWithItsMessagesAndStoresOnOk) {
    makeRegion(true);
    click("XPSForm", "pp1");
    click("PeakForm", "FWHMCnt");
    ASSERT_TRUE(visible("CntForm"));
    EXPECT_EQ(program.find("CntForm")->windowTitle(), "Constraint for Peak FWHM");
    click("PeakForm", "PosCnt");
    EXPECT_EQ(program.find("CntForm")->windowTitle(), "Constraints for Peak Position");
    EXPECT_EQ(control<QLabel>("CntForm", "PrPeak")->text(), "1");
    EXPECT_EQ(text("CntForm", "High"), " 290");  // never set: the data's ends

    const auto refusedWith = [&](const QString& message) {
        program.prompter.messages.clear();
        click("CntForm", "CntOK");
        EXPECT_EQ(program.prompter.messages, QStringList{message});
        EXPECT_TRUE(visible("CntForm"));
    };
    check("CntForm", "Use");
    type("CntForm", "RefPeak", "1");
    refusedWith("Wrong Reference Peak");
    type("CntForm", "RefPeak", "0");
    typeInList("CntForm", "ArgType", "/");
    type("CntForm", "Arg", "0");
    refusedWith("*0 or /0 not allowed");
    typeInList("CntForm", "ArgType", "x");
    type("CntForm", "Arg", "1.5");
    check("CntForm", "Range");
    type("CntForm", "Low", "288");
    type("CntForm", "High", "284");
    refusedWith("Range Invalid");

    type("CntForm", "Low", "284");
    type("CntForm", "High", "288");
    program.prompter.messages.clear();
    click("CntForm", "CntOK");
    EXPECT_TRUE(program.prompter.messages.isEmpty());
    EXPECT_FALSE(visible("CntForm"));
    const ParamConstraint& tied = program.app.workspace().constraints[1].position;
    EXPECT_EQ(tied.linked, kTrue);
    EXPECT_EQ(tied.refPeak, 0);
    EXPECT_EQ(tied.op, static_cast<short>(ConstraintOp::Add));
    EXPECT_FLOAT_EQ(tied.operand, 1.5f);
    EXPECT_EQ(tied.limited, kTrue);
    EXPECT_FLOAT_EQ(tied.high, 288.0f);

    // Peak 0 tied back to peak 1 would close a circle.
    click("PeakForm", "PeakAccept");
    click("XPSForm", "pp0");
    click("PeakForm", "PosCnt");
    EXPECT_EQ(text("CntForm", "Arg"), "0");
    check("CntForm", "Use");
    type("CntForm", "RefPeak", "1");
    refusedWith("Circular Reference");
}

// Every box a user types a number in, in every dialog, says under it what a text that is not wholly a
// number is read as: while it is typed, and when the box is filled from its model.
TEST_F(DialogsTest, EveryNumberBoxNotesWhatATextThatIsNotANumberIsReadAs) {
    makeRegion(true);
    click("XPSForm", "pp0");
    click("PeakForm", "PosCnt");
    program.find<QAction>("Background")->trigger();
    int boxes = 0;
    for (const char* form : {"PeakForm", "BGForm", "OptForm", "CntForm", "RegionShiftForm"}) {
        for (QLineEdit* edit : program.find(form)->findChildren<QLineEdit*>()) {
            if (edit->isReadOnly() || qobject_cast<QComboBox*>(edit->parentWidget())) continue;
            const QString name = edit->objectName();
            auto* note = program.find(form)->findChild<QLabel*>(name + "Note");
            ASSERT_NE(note, nullptr) << form << "." << name.toStdString();
            for (const auto& [typed, said] : {std::pair{"12abc", "read as 12"},
                                              {"abc", "read as 0"},
                                              {"1,5", "read as 1"},
                                              {"-2.5e1", ""}}) {
                edit->selectAll();
                QTest::keyClicks(edit, QString::fromLatin1(typed));
                EXPECT_EQ(note->text(), QString::fromLatin1(said)) << name.toStdString() << " " << typed;
                EXPECT_EQ(note->isHidden(), *said == '\0') << name.toStdString() << " " << typed;
            }
            ++boxes;
        }
    }
    EXPECT_EQ(boxes, 7 + 4 + (3 + 12 + 24 + 1) + 4 + 1);  // peak, background, options, constraint, shift

    program.app.dialogs().peak.PosVal = "285 eV";
    program.app.refreshWindows();
    EXPECT_EQ(text("PeakForm", "PosVal"), "285 eV");
    EXPECT_EQ(control<QLabel>("PeakForm", "PosValNote")->text(), "read as 285");
    program.app.dialogs().peak.PosVal = "285";
    program.app.refreshWindows();
    EXPECT_TRUE(control<QLabel>("PeakForm", "PosValNote")->isHidden());
}

}  // namespace
}  // namespace vortlan
