// The menus and keys of the windows: one meaning for each key wherever it is pressed, mnemonics in
// every menu, keys shown in tooltips, and commands greyed while the region cannot take them.

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>
#include <QTest>

#include "scripted.h"
#include "ui/key_map.h"

namespace vortlan {
namespace {

using ui::KeyCommand;

std::vector<KeyCommand> everyKeyCommand() {
    std::vector<KeyCommand> commands;
    for (int k = 0; k <= static_cast<int>(KeyCommand::Quantification); ++k) commands.push_back(static_cast<KeyCommand>(k));
    return commands;
}

class MenusAndKeysTest : public ::testing::Test {
  protected:
    QWidget* spectrum() { return program.find("SpecForm"); }
    QAction* action(const char* name) { return spectrum()->findChild<QAction*>(QString::fromLatin1(name)); }
    void importExample() {
        program.files.answers.push_back(QString::fromLatin1(VORTLAN_SOURCE_DIR) + "/examples/c1s.vms");
        action("Import_VAMAS")->trigger();
    }

    testing::DesktopProgram program;
};

TEST_F(MenusAndKeysTest, EveryKeyMeansOneCommandInEveryWindow) {
    QSet<QKeySequence> taken;
    for (KeyCommand command : everyKeyCommand()) {
        for (const QKeySequence& key : ui::keysOf(command)) {
            EXPECT_FALSE(taken.contains(key)) << key.toString().toStdString();
            taken.insert(key);
        }
    }
    // No window sets a key of its own outside the map.
    for (const char* window : {"XPSForm", "SpecForm", "PeakTable", "Quantification"}) {
        for (QAction* a : program.find(window)->findChildren<QAction*>()) {
            for (const QKeySequence& key : a->shortcuts())
                EXPECT_TRUE(taken.contains(key)) << window << " " << key.toString().toStdString();
        }
    }
    // Ctrl+O opens a project from the spectrum window as from the main window; Ctrl+I imports.
    const auto press = [](QWidget* window, Qt::Key key) {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, key, Qt::ControlModifier);
    };
    press(spectrum(), Qt::Key_O);
    press(program.find("XPSForm"), Qt::Key_O);
    press(spectrum(), Qt::Key_I);
    ASSERT_EQ(program.files.asked.size(), 3u);
    EXPECT_EQ(program.files.asked[0].title, program.files.asked[1].title);
    EXPECT_EQ(program.files.asked[0].filter, program.files.asked[1].filter);
    EXPECT_EQ(program.files.asked[2].title, "Import VAMAS format");
}

TEST_F(MenusAndKeysTest, MenusHaveDistinctMnemonicsAndTooltipsNameTheKeys) {
    const auto mnemonic = [](const QString& text) {
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        return at < 0 || at + 1 >= text.size() ? QChar() : text.at(at + 1).toLower();
    };
    auto* bar = static_cast<QMainWindow*>(spectrum())->menuBar();
    QSet<QChar> barKeys;
    for (QAction* top : bar->actions()) {
        const QChar key = mnemonic(top->text());
        EXPECT_FALSE(key.isNull()) << top->text().toStdString();
        EXPECT_FALSE(barKeys.contains(key)) << top->text().toStdString();
        barKeys.insert(key);
        if (!top->menu()) continue;
        QSet<QChar> entryKeys;
        for (QAction* entry : top->menu()->actions()) {
            if (entry->isSeparator()) continue;
            const QChar k = mnemonic(entry->text());
            EXPECT_FALSE(k.isNull()) << entry->text().toStdString();
            EXPECT_FALSE(entryKeys.contains(k)) << entry->text().toStdString();
            entryKeys.insert(k);
        }
    }
    const QString ctrlB = QKeySequence(Qt::CTRL | Qt::Key_B).toString(QKeySequence::NativeText);
    EXPECT_EQ(action("Background")->toolTip(), "Background (" + ctrlB + ")");
    EXPECT_TRUE(program.find<QPushButton>("Save")->toolTip().endsWith(
        "(" + QKeySequence(Qt::CTRL | Qt::Key_S).toString(QKeySequence::NativeText) + ")"));
}

TEST_F(MenusAndKeysTest, CommandsAreGreyedWhileTheRegionCannotTakeThem) {
    const auto enabled = [this](std::initializer_list<const char*> names) {
        std::vector<bool> states;
        for (const char* name : names) states.push_back(action(name)->isEnabled());
        return states;
    };
    const std::initializer_list<const char*> commands = {"Export", "Background", "AddPeak", "OptimiseRegion",
                                                          "SaveRegionParameters", "Import_VAMAS"};
    EXPECT_EQ(enabled(commands), (std::vector<bool>{false, false, false, false, false, true}));
    importExample();
    EXPECT_EQ(enabled(commands), (std::vector<bool>{true, true, false, false, false, true}));
    action("Background")->trigger();
    program.find<QPushButton>("BGAccept")->click();
    EXPECT_EQ(enabled(commands), (std::vector<bool>{true, true, true, true, true, true}));
    // A greyed command reached by its key still does nothing.
    action("Delete_Region")->trigger();  // answered No: nothing deleted
    program.prompter.answers.push_back(true);
    action("Delete_Region")->trigger();
    EXPECT_FALSE(action("AddPeak")->isEnabled());
    action("AddPeak")->trigger();
    EXPECT_EQ(currentRegionOf(program.app.workspace()).peakCount, 0);
}

}  // namespace
}  // namespace vortlan
