// The quantification window and the core level dialog: the table from the workspace and its updates,
// its copy, its settings as undoable changes, and the dialog's refusals and stored factor.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include "model/region_curves.h"
#include "quant/analyser.h"
#include "quant/core_level.h"
#include "scripted.h"
#include "session/quantification_view.h"
#include "support/fitted_session.h"
#include "support/synthetic_region.h"
#include "ui/text.h"

namespace vortlan {
namespace {

class QuantificationWindowTest : public ::testing::Test {
  protected:
    // Region 1: Ti 2p with one peak; region 2: O 1s with two; region 3: N 1s, its background not
    // accepted.  Saved as it stands.
    QuantificationWindowTest() {
        using namespace testing;
        Session& session = program.app.session();
        makeRegion(ws, 0, 201, 470.0f, 0.1f, gaussianOn(500.0, 459.0, 3000.0, 1.2));
        name(0, "Ti 2p");
        acceptBackground(session, 0);
        addPeak(ws, 0, 0, 459.0f, 3800.0f, 1.2f);
        makeRegion(ws, 1, 101, 536.0f, 0.1f, [](double e) {
            return gaussianOn(300.0, 530.0, 4000.0, 1.3)(e) + gaussianOn(0.0, 531.6, 800.0, 1.5)(e);
        });
        name(1, "O 1s");
        acceptBackground(session, 1);
        addPeak(ws, 1, 1, 530.0f, 5500.0f, 1.3f);
        addPeak(ws, 1, 2, 531.6f, 1300.0f, 1.5f);
        makeRegion(ws, 2, 61, 403.0f, 0.1f, gaussianOn(200.0, 400.0, 300.0, 1.4));
        name(2, "N 1s");
        for (int region : {0, 1}) {
            ws.currentRegion = static_cast<short>(region);
            updateRegionCurves(ws, session.port);
        }
        program.app.recordStep(QStringLiteral("Import (ASCII)"));
        program.find<QPushButton>("reg0")->click();
        program.app.markSaved();
    }
    void name(int region, const char* level) {
        ws.regions[region].caption.assign(level);
        ws.regions[region].coreLevel = level;
    }
    void trigger(const char* action) {
        auto* a = program.find<QWidget>("SpecForm")->findChild<QAction*>(QString::fromLatin1(action));
        ASSERT_TRUE(a) << action;
        a->trigger();
    }
    QWidget* window() { return program.find<QWidget>("Quantification"); }
    QTreeWidget* rows() { return program.find<QTreeWidget>("QuantRows"); }
    QStringList shownCells(const QTreeWidgetItem* item) {
        QStringList cells;
        for (int c = 0; c < kQuantColumns; ++c) cells << item->text(c);
        return cells;
    }
    static QStringList cellsOf(const QuantCells& cells) {
        QStringList list;
        for (const std::string& cell : cells) list << ui::toQt(cell);
        return list;
    }
    // Every row as the workspace's table gives it.
    void expectTableOfWorkspace() {
        const std::vector<QuantViewRegion> view = quantificationView(quantify(ws), ws);
        ASSERT_EQ(rows()->topLevelItemCount(), static_cast<int>(view.size()));
        for (int r = 0; r < rows()->topLevelItemCount(); ++r) {
            const QTreeWidgetItem* item = rows()->topLevelItem(r);
            const QuantViewRegion& expected = view[static_cast<std::size_t>(r)];
            EXPECT_EQ(shownCells(item), cellsOf(expected.cells)) << r;
            ASSERT_EQ(item->childCount(), static_cast<int>(expected.peaks.size())) << r;
            for (int p = 0; p < item->childCount(); ++p)
                EXPECT_EQ(shownCells(item->child(p)), cellsOf(expected.peaks[static_cast<std::size_t>(p)]))
                    << r;
        }
    }
    QString percentOf(int region) { return rows()->topLevelItem(region)->text(QuantPercentColumn); }

    testing::DesktopProgram program;
    Workspace& ws = program.app.workspace();
};

TEST_F(QuantificationWindowTest, ShowsEveryRegionWithItsPeaksAndFollowsEveryChange) {
    EXPECT_FALSE(window()->isVisible());
    program.find<QPushButton>("QuantificationButton")->click();
    ASSERT_TRUE(window()->isVisible());
    EXPECT_EQ(window()->windowTitle(), "Quantification");
    expectTableOfWorkspace();
    ASSERT_EQ(rows()->topLevelItemCount(), 3);
    EXPECT_TRUE(rows()->topLevelItem(1)->isExpanded());
    EXPECT_TRUE(rows()->topLevelItem(0)->flags() & Qt::ItemIsEnabled);
    // Not counted: greyed, with the reason.
    const QTreeWidgetItem* nitrogen = rows()->topLevelItem(2);
    EXPECT_FALSE(nitrogen->flags() & Qt::ItemIsEnabled);
    EXPECT_EQ(nitrogen->text(QuantNoteColumn), "Background not accepted");
    EXPECT_EQ(nitrogen->text(QuantPercentColumn), "");
    const double tiPercent = percentOf(0).toDouble();
    EXPECT_NEAR(tiPercent + percentOf(1).toDouble(), 100.0, 0.011);
    EXPECT_TRUE(rows()->topLevelItem(0)->text(QuantPercentErrorColumn).startsWith(QChar(0xB1)));

    // A command that changes a peak, and its undo.
    rows()->topLevelItem(1)->setExpanded(false);
    program.app.run(QStringLiteral("Edit Peak"), [](Session& s) { s.workspace.peaks[0].area *= 2.0f; });
    expectTableOfWorkspace();
    EXPECT_GT(percentOf(0).toDouble(), tiPercent + 1.0);
    EXPECT_FALSE(rows()->topLevelItem(1)->isExpanded());  // the user's collapse holds through updates
    program.app.undo();
    EXPECT_EQ(percentOf(0).toDouble(), tiPercent);

    // Closed, it is shown again by its key in the spectrum window, with the table of the moment.
    window()->close();
    ws.regions[1].sensitivityOverride = 1.0;
    trigger("ShowQuantification");
    ASSERT_TRUE(window()->isVisible());
    expectTableOfWorkspace();
    EXPECT_TRUE(rows()->topLevelItem(1)->font(QuantFactorColumn).italic());
    EXPECT_FALSE(rows()->topLevelItem(0)->font(QuantFactorColumn).italic());

    // What the table says as a whole stands under it: the unfitted second O 1s peak is not told apart
    // from its neighbour's noise, and then a transmission only one region records.
    auto* summary = program.find<QLabel>("QuantificationSummary");
    EXPECT_TRUE(summary->text().startsWith("A row is not detected when")) << summary->text().toStdString();
    program.app.run(QStringLiteral("Import (ASCII)"), [](Session& s) {
        Region& ti = s.workspace.regions[0];
        ti.acquisition.transmission.assign(static_cast<std::size_t>(ti.pointCount), 0.5f);
    });
    EXPECT_TRUE(
        summary->text().endsWith("\nThe analyser's transmission is not used: region 2 (O 1s) records "
                                 "none, and dividing only the others would skew the ratios"));
}

TEST_F(QuantificationWindowTest, CopyPutsTheTableOnTheClipboardAsTabSeparatedText) {
    trigger("ShowQuantification");
    const QString expected = ui::toQt(quantificationText(quantify(ws), '\t'));
    QApplication::clipboard()->clear();
    program.find<QPushButton>("QuantCopy")->click();
    EXPECT_EQ(QApplication::clipboard()->text(), expected);
    EXPECT_EQ(expected.count(QLatin1Char('\n')), 1 + 3 + 3);  // heading, regions, peaks

    QApplication::clipboard()->clear();
    window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
    QTest::keySequence(rows(), QKeySequence::Copy);
    EXPECT_EQ(QApplication::clipboard()->text(), expected);
}

TEST_F(QuantificationWindowTest, SettingsAreUndoableChangesOfTheProject) {
    trigger("ShowQuantification");
    auto* source = program.find<QDoubleSpinBox>("SourceEnergy");
    auto* imfp = program.find<QDoubleSpinBox>("ImfpExponent");
    auto* area = program.find<QComboBox>("QuantArea");
    EXPECT_EQ(source->value(), 1486.6);
    EXPECT_EQ(imfp->value(), 0.6);
    EXPECT_EQ(area->currentText(), "Auto");
    const QString alPercent = percentOf(0);

    program.find<QPushButton>("MgKalpha")->click();
    EXPECT_EQ(ws.quantSettings.sourceEnergy, 1253.6);
    EXPECT_TRUE(program.app.hasUnsavedChanges());
    expectTableOfWorkspace();
    EXPECT_NE(percentOf(0), alPercent);

    imfp->setValue(0.75);
    program.find<QDoubleSpinBox>("TransmissionExponent")->setValue(0.5);
    area->setCurrentIndex(area->findText("Background"));
    EXPECT_EQ(ws.quantSettings.imfpExponent, 0.75);
    EXPECT_EQ(ws.quantSettings.transmissionExponent, 0.5);
    EXPECT_EQ(ws.quantSettings.area, QuantArea::Background);
    EXPECT_TRUE(rows()->topLevelItem(0)->text(QuantNoteColumn).startsWith("Background-subtracted area; "));

    // One step for each setting changed; undone, the boxes show the settings again.
    for (int step = 0; step < 4; ++step) program.app.undo();
    EXPECT_EQ(ws.quantSettings, QuantSettings{});
    EXPECT_EQ(source->value(), 1486.6);
    EXPECT_EQ(imfp->value(), 0.6);
    EXPECT_EQ(area->currentText(), "Auto");
    EXPECT_EQ(percentOf(0), alPercent);
    EXPECT_FALSE(program.app.hasUnsavedChanges());
    program.app.redo();
    EXPECT_EQ(ws.quantSettings.sourceEnergy, 1253.6);
    EXPECT_EQ(source->value(), 1253.6);
}

class CoreLevelDialogTest : public QuantificationWindowTest {
  protected:
    CoreLevelDialogTest() {
        program.find<QPushButton>("reg1")->click();
        trigger("CoreLevel");
    }
    QWidget* dialog() { return program.find<QWidget>("CoreLevelForm"); }
    QString label(const char* name) { return program.find<QLabel>(name)->text(); }
    void typeLevel(const char* text) {
        auto* edit = program.find<QLineEdit>("Level");
        edit->setText(QString::fromLatin1(text));
        emit edit->textEdited(edit->text());
    }
};

TEST_F(CoreLevelDialogTest, ShowsTheRegionsLevelAndComputesAsTheTextIsTyped) {
    ASSERT_TRUE(dialog()->isVisible());
    EXPECT_EQ(dialog()->windowTitle(), "Core Level");
    EXPECT_EQ(program.find<QLineEdit>("Level")->text(), "O 1s");
    EXPECT_EQ(label("ComputedFactor"),
              ui::toQt(quantNumberText(std::get<double>(regionFactor(ws.regions[1], {})))));
    EXPECT_EQ(label("SourceEnergyUsed"), "1486.6 eV, the quantification setting");
    EXPECT_TRUE(program.find<QRadioButton>("UseComputed")->isChecked());
    EXPECT_FALSE(program.find<QDoubleSpinBox>("OwnFactor")->isEnabled());

    typeLevel("O 2d");
    EXPECT_EQ(label("ComputedFactor"), ui::toQt(std::get<std::string>(readCoreLevel("O 2d"))));
    typeLevel("ti 2p3/2");
    EXPECT_EQ(label("ComputedFactor"), ui::toQt(quantNumberText(std::get<double>(sensitivityFactor(
                                           std::get<CoreLevel>(readCoreLevel("Ti 2p3/2")), 1486.6, {})))));
}

TEST_F(CoreLevelDialogTest, TextThatIsNoLevelIsRefusedAndTheDialogStaysOpen) {
    typeLevel("Xq 1s");
    program.find<QPushButton>("CoreLevelOK")->click();
    EXPECT_TRUE(dialog()->isVisible());
    auto* note = dialog()->findChild<QLabel*>(QStringLiteral("RefusalNote"));
    EXPECT_TRUE(note->isVisibleTo(dialog()));
    EXPECT_EQ(note->text(), ui::toQt(std::get<std::string>(readCoreLevel("Xq 1s"))));
    EXPECT_EQ(ws.regions[1].coreLevel, "O 1s");
    EXPECT_FALSE(program.app.hasUnsavedChanges());
    typeLevel("O 1");
    EXPECT_FALSE(note->isVisibleTo(dialog()));  // the next edit ends the note
}

TEST_F(CoreLevelDialogTest, OkStoresTheLevelAndOwnFactorAsOneUndoableStep) {
    program.app.showQuantification();
    typeLevel("o 1S");
    program.find<QRadioButton>("UseOwn")->click();
    EXPECT_TRUE(program.find<QDoubleSpinBox>("OwnFactor")->isEnabled());
    program.find<QDoubleSpinBox>("OwnFactor")->setValue(2.5);
    program.find<QPushButton>("CoreLevelOK")->click();
    EXPECT_FALSE(dialog()->isVisible());
    EXPECT_EQ(ws.regions[1].coreLevel, "O 1s");
    EXPECT_EQ(ws.regions[1].sensitivityOverride, 2.5);
    EXPECT_TRUE(program.app.hasUnsavedChanges());
    EXPECT_EQ(rows()->topLevelItem(1)->text(QuantFactorColumn), "2.500");

    // Opened again, it starts from the factor stored.
    trigger("CoreLevel");
    EXPECT_TRUE(program.find<QRadioButton>("UseOwn")->isChecked());
    EXPECT_EQ(program.find<QDoubleSpinBox>("OwnFactor")->value(), 2.5);
    program.find<QPushButton>("CoreLevelCancel")->click();

    program.app.undo();
    EXPECT_FALSE(ws.regions[1].sensitivityOverride);
    EXPECT_FALSE(program.app.hasUnsavedChanges());
    EXPECT_NE(rows()->topLevelItem(1)->text(QuantFactorColumn), "2.500");
}

}  // namespace
}  // namespace vortlan
