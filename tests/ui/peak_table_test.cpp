// The peak table's window beside the plot: its rows, its copy, its updates during a fit, and the way
// into a peak's dialog.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "base/number_text.h"
#include "plot/palette.h"
#include "scripted.h"
#include "session/peak_table.h"
#include "ui/text.h"

namespace vortlan {
namespace {

class PeakTableWindowTest : public ::testing::Test {
  protected:
    PeakTableWindowTest() {
        program.files.answers.push_back(QString::fromLatin1(VORTLAN_SOURCE_DIR) + "/examples/c1s.vms");
        trigger("Import_VAMAS");
        trigger("Background");
        program.find<QPushButton>("BGAccept")->click();
        for (const char* position : {"284.6", "286.6"}) {
            trigger("AddPeak");
            auto* edit = program.find<QLineEdit>("PosVal");
            edit->setText(QString::fromLatin1(position));
            emit edit->textEdited(edit->text());
            program.find<QPushButton>("PeakAccept")->click();
        }
    }
    void trigger(const char* action) {
        auto* a = program.find<QWidget>("SpecForm")->findChild<QAction*>(QString::fromLatin1(action));
        ASSERT_TRUE(a) << action;
        a->trigger();
    }
    QWidget* window() { return program.find<QWidget>("PeakTable"); }
    QTableWidget* rows() { return program.find<QTableWidget>("PeakRows"); }
    QString cell(int row, int column) {
        const QTableWidgetItem* item = rows()->item(row, column);
        return item ? item->text() : QString();
    }

    testing::DesktopProgram program;
    Workspace& ws = program.app.workspace();
};

TEST_F(PeakTableWindowTest, OpenedFromTheViewMenuItShowsTheRegionsPeaksInTheirColours) {
    EXPECT_FALSE(window()->isVisible());
    trigger("ShowPeakTable");
    ASSERT_TRUE(window()->isVisible());
    EXPECT_EQ(window()->windowTitle(), "Peak Table");
    ASSERT_EQ(rows()->rowCount(), 2);
    const PeakTable table = peakTableOf(ws, TableErrors::Computed);
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < kPeakTableColumns; ++c)
            EXPECT_EQ(cell(r, c), ui::toQt(table.rows[r].cells[c])) << r << "," << c;
        const QImage swatch = rows()->item(r, NumberColumn)->icon().pixmap(8, 8).toImage();
        const Colour colour = peakColour(r);
        EXPECT_EQ(swatch.pixelColor(4, 4), QColor(colour.red, colour.green, colour.blue)) << r;
    }
    EXPECT_TRUE(cell(0, PositionErrorColumn).startsWith(QChar(0xB1)));
    EXPECT_TRUE(program.find<QLabel>("PeakTableSummary")->text().startsWith(QStringLiteral("χ² ")));

    // Every command updates it: a third peak, then a fixed %GL.
    trigger("AddPeak");
    program.find<QPushButton>("PeakAccept")->click();
    ASSERT_EQ(rows()->rowCount(), 3);
    EXPECT_EQ(cell(2, NumberColumn), "2");
    EXPECT_EQ(cell(2, HeldColumn), "%GL fixed");  // a new peak's %GL starts fixed
    EXPECT_TRUE(rows()->item(2, GlColumn)->font().italic());
    EXPECT_EQ(cell(2, GlErrorColumn), "fixed");
}

TEST_F(PeakTableWindowTest, FooterShowsWhatTheErrorsRestOnWithTheCorrelationsAClickAway) {
    trigger("ShowPeakTable");
    const PeakTable table = peakTableOf(ws, TableErrors::Computed);
    EXPECT_EQ(program.find<QLabel>("PeakTableStatistics")->text(), QString::fromStdString(table.statisticsLine));
    EXPECT_TRUE(program.find<QLabel>("PeakTableStatistics")->text().startsWith(QStringLiteral("Reduced χ² ")));
    auto* button = program.find<QPushButton>("ShowCorrelations");
    ASSERT_TRUE(button->isEnabled());
    button->click();
    auto* matrix = program.find<QTableWidget>("CorrelationMatrix");
    ASSERT_TRUE(program.find<QWidget>("Correlations")->isVisible());
    const auto count = static_cast<int>(table.statistics->parameters.size());
    ASSERT_EQ(matrix->rowCount(), count);
    ASSERT_EQ(matrix->columnCount(), count);
    EXPECT_EQ(matrix->horizontalHeaderItem(0)->text(), "Peak 0 position");
    for (int a = 0; a < count; ++a) {
        EXPECT_EQ(matrix->item(a, a)->text(), "1.000");
        for (int b = 0; b < count; ++b) EXPECT_EQ(matrix->item(a, b)->text(), matrix->item(b, a)->text());
    }

    // A new peak's free parameters join the matrix at once.
    trigger("AddPeak");
    program.find<QPushButton>("PeakAccept")->click();
    const PeakTable three = peakTableOf(ws, TableErrors::Computed);
    EXPECT_EQ(matrix->rowCount(), static_cast<int>(three.statistics->parameters.size()));
}

TEST_F(PeakTableWindowTest, CopyPutsTheTableOnTheClipboardAsTabSeparatedText) {
    trigger("ShowPeakTable");
    QApplication::clipboard()->clear();
    program.find<QPushButton>("Copy")->click();
    const QString expected = ui::toQt(peakTableText(peakTableOf(ws, TableErrors::Computed)));
    EXPECT_EQ(QApplication::clipboard()->text(), expected);
    EXPECT_TRUE(expected.startsWith("Peak\tLabel\tType\tPosition\tPosition error\t"));

    QApplication::clipboard()->clear();
    window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
    QTest::keySequence(rows(), QKeySequence::Copy);
    EXPECT_EQ(QApplication::clipboard()->text(), expected);
}

TEST_F(PeakTableWindowTest, DuringAFitItShowsEachTrialsValuesAndTheErrorsOnceItEnds) {
    trigger("ShowPeakTable");
    ws.peaks[0].position = 283.9f;  // far enough off for the fit to move it over several trials
    struct Seen {
        QString shown, held, error;
    };
    std::vector<Seen> seen;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!program.find<QWidget>("FittingForm")->isVisible()) return;
        seen.push_back({cell(0, PositionColumn), ui::toQt(exactNumberText(ws.peaks[0].position)),
                        cell(0, PositionErrorColumn)});
    });
    watch.start(0);
    trigger("OptimiseRegion");
    watch.stop();

    ASSERT_GE(seen.size(), 2u);
    QStringList distinct;
    for (const Seen& s : seen) {
        EXPECT_EQ(s.shown, s.held);
        EXPECT_EQ(s.error, "");  // left out while the fit runs
        if (!distinct.contains(s.shown)) distinct << s.shown;
    }
    EXPECT_GE(distinct.size(), 2);
    EXPECT_EQ(cell(0, PositionColumn), ui::toQt(exactNumberText(ws.peaks[0].position)));
    EXPECT_TRUE(cell(0, PositionErrorColumn).startsWith(QChar(0xB1)));
    EXPECT_TRUE(program.find<QLabel>("PeakTableSummary")->text().contains("Region 1: "));
    EXPECT_TRUE(program.find<QLabel>("PeakTableStatistics")->text().startsWith(QStringLiteral("Reduced χ² ")));
}

TEST_F(PeakTableWindowTest, DoubleClickOpensThatPeaksDialogAsItsButtonDoes) {
    trigger("ShowPeakTable");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));
    program.find<QPushButton>("PeakCancel")->click();
    ASSERT_FALSE(program.find<QWidget>("PeakForm")->isVisible());
    const QRect cellArea = rows()->visualItemRect(rows()->item(1, PositionColumn));
    // A double-click begins with a press on the row, which the view needs to see.
    QTest::mousePress(rows()->viewport(), Qt::LeftButton, {}, cellArea.center());
    QTest::mouseDClick(rows()->viewport(), Qt::LeftButton, {}, cellArea.center());
    ASSERT_TRUE(program.find<QWidget>("PeakForm")->isVisible());
    EXPECT_EQ(program.find<QWidget>("PeakForm")->windowTitle(), "Peak 1");
    EXPECT_EQ(ws.currentPeak, 1);
    EXPECT_EQ(program.find<QLineEdit>("PosVal")->text(), ui::toQt(exactNumberText(ws.peaks[1].position)));
}

}  // namespace
}  // namespace vortlan
