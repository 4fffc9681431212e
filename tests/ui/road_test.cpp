// The road of a typical fit, through the real windows: region, import, background, peaks, a tie, the
// fit (stopped once), save, reopen, export.

#include <gtest/gtest.h>

#include <algorithm>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "base/number_text.h"
#include "scripted.h"
#include "support/temp_dir.h"
#include "support/vamas_writer.h"
#include "ui/spectrum_window.h"

namespace vortlan {
namespace {

class RoadTest : public ::testing::Test {
  protected:
    void trigger(const char* action) {
        auto* a = program.find<QWidget>("SpecForm")->findChild<QAction*>(QString::fromLatin1(action));
        ASSERT_TRUE(a) << action;
        a->trigger();
    }
    void click(const char* button) {
        auto* b = program.find<QPushButton>(button);
        ASSERT_TRUE(b) << button;
        b->click();
    }
    void type(const char* box, const QString& text) {
        auto* edit = program.find<QLineEdit>(box);
        ASSERT_TRUE(edit) << box;
        edit->setText(text);
        emit edit->textEdited(text);
    }
    QString text(const char* name) {
        if (auto* edit = program.find<QLineEdit>(name)) return edit->text();
        if (auto* label = program.find<QLabel>(name)) return label->text();
        return {};
    }
    void importExample() {
        program.files.answers.push_back(QString::fromLatin1(VORTLAN_SOURCE_DIR) + "/examples/c1s.vms");
        trigger("Import_VAMAS");
    }
    void acceptShirley() {
        trigger("Background");
        click("BGAccept");
    }
    testing::DesktopProgram program;
    testing::TempDir dir;
    Workspace& ws = program.app.workspace();
};

TEST_F(RoadTest, FromImportToExport) {
    click("reg2");
    EXPECT_EQ(ws.currentRegion, 2);
    EXPECT_EQ(program.find<QWidget>("SpecForm")->windowTitle(), "Region 3");

    importExample();
    ASSERT_TRUE(program.prompter.messages.isEmpty()) << program.prompter.messages.join("\n").toStdString();
    EXPECT_EQ(program.files.asked.back().title, "Import VAMAS format");
    ASSERT_TRUE(isTrue(ws.regions[2].defined));
    EXPECT_EQ(text("chi2"), "0");

    acceptShirley();
    EXPECT_TRUE(isTrue(ws.regions[2].backgroundSet));
    EXPECT_NE(text("Area"), "-----");

    trigger("AddPeak");
    EXPECT_TRUE(program.find<QWidget>("PeakForm")->isVisible());
    type("PosVal", "284.8");
    click("PeakAccept");
    trigger("AddPeak");
    type("PosVal", "286.3");
    click("PeakAccept");
    EXPECT_EQ(program.find<QPushButton>("pp20")->text(), "0");
    EXPECT_EQ(program.find<QPushButton>("pp21")->text(), "1");
    EXPECT_TRUE(program.find<QPushButton>("pp21")->isEnabled());

    // Peak 1's position follows peak 0's at +1.5 eV.
    click("pp21");
    click("PosCnt");
    auto* use = program.find<QAbstractButton>("Use");
    ASSERT_TRUE(use);
    use->click();
    type("RefPeak", "0");
    type("Arg", "1.5");
    click("CntOK");
    EXPECT_TRUE(isTrue(ws.constraints[1].position.linked));
    click("PeakAccept");
    EXPECT_FLOAT_EQ(ws.peaks[1].position, ws.peaks[0].position + 1.5f);

    const float before = ws.regions[2].chiSquare;
    trigger("OptimiseRegion");
    EXPECT_LT(ws.regions[2].chiSquare, before);
    EXPECT_EQ(text("chi2").toStdString(), signedNumberText(ws.regions[2].chiSquare));
    EXPECT_FALSE(program.find<QWidget>("FittingForm")->isVisible());
    EXPECT_TRUE(program.find<QWidget>("XPSForm")->isEnabled());
    // The verdict stays in the main window's status line; the fitting window showed it as the run ended.
    const QString verdict = text("FitStatus");
    EXPECT_TRUE(verdict == "Region 3: converged" || verdict == "Region 3: still improving — optimise again")
        << verdict.toStdString();
    EXPECT_TRUE(text("FitProgress").startsWith("Trial ")) << text("FitProgress").toStdString();
    EXPECT_TRUE(text("FitProgress").endsWith("\n" + verdict)) << text("FitProgress").toStdString();

    const QString project = QString::fromStdString(dir.file("road.xps"));
    program.files.answers.push_back(project);
    click("Save");
    EXPECT_EQ(program.prompter.messages.back(), "File saved");
    const float fitted = ws.regions[2].chiSquare;

    click("reg0");
    program.files.answers.push_back(project);
    click("Open");
    EXPECT_EQ(ws.currentRegion, 2);
    EXPECT_FLOAT_EQ(ws.regions[2].chiSquare, fitted);
    EXPECT_EQ(program.find<QPushButton>("pp21")->text(), "1");
    EXPECT_FALSE(text("SumCS").isEmpty());

    program.files.answers.push_back(QString::fromStdString(dir.file("road.par")));
    trigger("ExportPeakParameters");
    EXPECT_EQ(program.files.asked.back().proposed, QString::fromStdString(dir.file("road.par")));
    EXPECT_EQ(program.prompter.messages.back(), "Data file exported");
    EXPECT_NE(testing::readWholeFile(dir.file("road.par")).find("284."), std::string::npos);
}

TEST_F(RoadTest, StopFittingEndsALongRun) {
    importExample();
    acceptShirley();
    trigger("AddPeak");
    click("PeakAccept");
    ws.options.newtonTrials = 200;
    bool pressed = false;
    QTimer::singleShot(0, [&] {
        pressed = true;
        program.find<QPushButton>("cancelfitting")->click();
    });
    const auto evaluations = ws.statisticEvaluations;
    trigger("OptimiseRegion");
    EXPECT_TRUE(pressed);
    EXPECT_LT(ws.statisticEvaluations - evaluations, 200u * 20);  // far fewer than 200 trials take
    EXPECT_EQ(ws.stopRequested, kFalse);
    EXPECT_FALSE(program.find<QWidget>("FittingForm")->isVisible());
    EXPECT_TRUE(program.find<QWidget>("SpecForm")->isEnabled());
    EXPECT_TRUE(text("FitStatus").startsWith("Region 1: stopped")) << text("FitStatus").toStdString();
}

TEST_F(RoadTest, CancelledDialogsChangeNothing) {
    trigger("Import_VAMAS");  // no answer: cancelled
    EXPECT_FALSE(isTrue(ws.regions[0].defined));
    EXPECT_TRUE(program.prompter.messages.isEmpty());
    trigger("LoadRegionParameters");
    EXPECT_EQ(program.prompter.messages, QStringList{"Error in reading file"});
    program.prompter.messages.clear();
    importExample();
    acceptShirley();

    // A cancelled save is no error: nothing is written and nothing is said.
    for (const char* save : {"Export", "ExportPeakParameters", "ExportFitReport", "SaveRegionParameters"}) {
        trigger(save);
        EXPECT_TRUE(ws.fileName.empty()) << save;
    }
    click("Save");
    EXPECT_EQ(program.files.asked.size(), 8u);
    EXPECT_TRUE(program.prompter.messages.isEmpty()) << program.prompter.messages.join("\n").toStdString();
}

TEST_F(RoadTest, FitReportWithTheStandardErrorsAndOnRequestMonteCarlo) {
    trigger("ExportFitReport");  // no data: nothing asked
    trigger("ExportFitReportMonteCarlo");
    EXPECT_TRUE(program.files.asked.empty());
    EXPECT_TRUE(program.prompter.askedNumbers.empty());
    importExample();
    acceptShirley();
    trigger("AddPeak");
    type("PosVal", "284.8");
    click("PeakAccept");
    trigger("OptimiseRegion");

    const std::string report = dir.file("c1s.csv");
    program.files.answers.push_back(QString::fromStdString(report));
    trigger("ExportFitReport");
    EXPECT_EQ(program.files.asked.back().title, "Export fit report");
    EXPECT_EQ(program.files.asked.back().filter, "CSV Files (*.csv) ");
    EXPECT_EQ(program.prompter.messages.back(), "Data file exported");
    EXPECT_TRUE(program.prompter.askedNumbers.empty());
    const std::string plain = testing::readWholeFile(report);
    EXPECT_EQ(plain.rfind("region,peak,position,position_err,area,", 0), 0u) << plain;
    // The header and the peak's row, then its correlations after an empty line.
    const std::string peaksTable = plain.substr(0, plain.find("\n\n") + 1);
    EXPECT_EQ(std::count(peaksTable.begin(), peaksTable.end(), '\n'), 2);
    EXPECT_NE(plain.find("\n\ncorrelation,peak0_position,"), std::string::npos) << plain;

    // Monte Carlo: the replicas are asked first; a cancel there or in the file dialog says nothing.
    program.prompter.messages.clear();
    trigger("ExportFitReportMonteCarlo");
    ASSERT_EQ(program.prompter.askedNumbers.size(), 1u);
    EXPECT_EQ(program.prompter.askedNumbers[0].value, 100);
    EXPECT_EQ(program.prompter.askedNumbers[0].low, 1);
    EXPECT_EQ(program.files.asked.size(), 2u);
    program.prompter.numbers.push_back(20);
    trigger("ExportFitReportMonteCarlo");
    EXPECT_EQ(program.files.asked.size(), 3u);
    EXPECT_TRUE(program.prompter.messages.isEmpty());
    EXPECT_EQ(testing::readWholeFile(report), plain);

    program.prompter.numbers.push_back(20);
    program.files.answers.push_back(QString::fromStdString(report));
    trigger("ExportFitReportMonteCarlo");
    EXPECT_EQ(program.prompter.messages, QStringList{"Data file exported"});
    const std::string monteCarlo = testing::readWholeFile(report);
    EXPECT_NE(monteCarlo.find("position,position_err,position_mc_err,"), std::string::npos) << monteCarlo;
    // The example's file does not say its intensities are counts.
    EXPECT_NE(monteCarlo.find(",20,noise scaled to the fit's residuals (the unit does not say counts),"),
              std::string::npos)
        << monteCarlo;
}

TEST_F(RoadTest, TheWindowsRedrawAtEveryNewSize) {
    importExample();
    auto& canvas = static_cast<ui::SpectrumWindow*>(program.find<QWidget>("SpecForm"))->canvas();
    canvas.resize(900, 500);
    EXPECT_EQ(canvas.image().deviceIndependentSize().toSize(), QSize(900, 500));
    int blue = 0;
    const QImage& image = canvas.image();
    for (int x = 0; x < image.width(); x += 2) {
        for (int y = 0; y < image.height(); y += 2) blue += image.pixelColor(x, y) == QColor(Qt::blue);
    }
    EXPECT_GT(blue, 20);
}

// The block chooser offers the blocks that can be imported, with the file's numbers, and says which
// were left out and why; a file with nothing to import says so and changes nothing.
TEST_F(RoadTest, BlockChooserSaysWhatItLeftOutAndWhy) {
    testing::VamasTestBlock flat = testing::rampBlock(9);
    flat.increment = 0.0;
    testing::VamasTestBlock oxygen = testing::rampBlock(7);
    oxygen.species = "O";
    const std::string path = dir.file("flat.vms");
    testing::writeWholeFile(
        path, testing::vamasText(testing::VamasTestFile({flat, testing::rampBlock(11), oxygen})));
    program.files.answers.push_back(QString::fromStdString(path));
    program.prompter.choices.push_back(1);
    trigger("Import_VAMAS");
    EXPECT_EQ(program.prompter.offered, QStringList({"Block 2: C 1s (XPS): 11 points, 300.00 to 299.00 eV",
                                                     "Block 3: O 1s (XPS): 7 points, 300.00 to 299.40 eV"}));
    EXPECT_EQ(program.prompter.offeredPreselection, 0);
    EXPECT_EQ(program.prompter.offeredLabel,
              "Block to import:\n\nLeft out:\nBlock 1 (C 1s, XPS): its energy step is 0 (every point at "
              "300.00 eV)");
    ASSERT_EQ(ws.regions[0].pointCount, 7);
    EXPECT_TRUE(program.prompter.messages.isEmpty());

    testing::writeWholeFile(path, testing::vamasText(testing::VamasTestFile({flat})));
    program.files.answers.push_back(QString::fromStdString(path));
    trigger("Import_VAMAS");
    EXPECT_EQ(program.prompter.messages,
              QStringList(
                  {"Nothing in this file can be imported:\nBlock 1 (C 1s, XPS): its energy step is 0 (every "
                   "point at 300.00 eV)"}));
    EXPECT_EQ(ws.regions[0].pointCount, 7);
}

}  // namespace
}  // namespace vortlan
