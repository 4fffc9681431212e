// The file dialogs and questions of the desktop program as Qt shows them, answered through their
// widgets as a user answers them.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "support/temp_dir.h"
#include "ui/file_dialogs.h"
#include "ui/prompter.h"

namespace vortlan {
namespace {

// Runs `answer` on the next modal dialog of type W as soon as it shows; a dialog the answer leaves
// open is cancelled a little later, so that a failing test ends.
template <typename W>
void whenShown(std::function<void(W&)> answer) {
    auto* poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        auto* dialog = qobject_cast<W*>(QApplication::activeModalWidget());
        if (!dialog) return;
        poll->stop();
        poll->deleteLater();
        QTimer::singleShot(5000, dialog, &QDialog::reject);
        answer(*dialog);
    });
    poll->start();
}

// Types the name into the next file dialog and presses Return, as a user does.
void typeFileName(const QString& name) {
    whenShown<QFileDialog>([name](QFileDialog& dialog) {
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_TRUE(edit);
        edit->clear();
        QTest::keyClicks(edit, name);
        QTest::keyClick(edit, Qt::Key_Return);
    });
}

const ui::FileFilter kParameterFilter{QStringLiteral("Region Parameter Files (*.rpa) "),
                                      QStringLiteral("*.rpa")};

class SaveDialogTest : public ::testing::Test {
  protected:
    std::optional<QString> save() {
        return files.saveFile(QStringLiteral("Save region parameters"), kParameterFilter,
                              folder + "/sample.rpa");
    }
    testing::TempDir dir;
    const QString folder = QString::fromStdString(dir.path().string());
    ui::QtFileDialogs files;
};

TEST_F(SaveDialogTest, ANameWithoutExtensionGetsTheFiltersOne) {
    typeFileName("fit");
    EXPECT_EQ(save(), folder + "/fit.rpa");
    EXPECT_EQ(files.lastName, folder + "/fit.rpa");

    typeFileName("fit.v2");  // an extension of the user's own stays
    EXPECT_EQ(save(), folder + "/fit.v2");

    whenShown<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(save(), std::nullopt);
    EXPECT_EQ(files.lastName, folder + "/fit.v2");
}

TEST_F(SaveDialogTest, ReplacingTheFileWithTheAddedExtensionIsAskedFirst) {
    testing::writeWholeFile(dir.file("fit.rpa"), "kept");
    typeFileName("fit");
    bool asked = false;
    whenShown<QMessageBox>([&asked](QMessageBox& question) {
        asked = true;
        question.button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(save(), folder + "/fit.rpa");
    EXPECT_TRUE(asked);
}

TEST(Questions, ReturnGivesTheAnswerTheQuestionNames) {
    ui::MessageBoxPrompter prompter;
    for (const auto onReturn : {ui::ReturnAnswers::No, ui::ReturnAnswers::Yes}) {
        const bool yes = onReturn == ui::ReturnAnswers::Yes;
        QString shown;
        whenShown<QMessageBox>([&shown, yes](QMessageBox& question) {
            shown = question.windowTitle() + ": " + question.text();
            EXPECT_EQ(question.defaultButton(), question.button(yes ? QMessageBox::Yes : QMessageBox::No));
            QTest::keyClick(&question, Qt::Key_Return);
        });
        EXPECT_EQ(prompter.askYesNo(QStringLiteral("!! WARNING !!"), QStringLiteral("Continue?"), onReturn),
                  yes);
        EXPECT_EQ(shown, "!! WARNING !!: Continue?");

        whenShown<QMessageBox>([](QMessageBox& question) { question.button(QMessageBox::Yes)->click(); });
        EXPECT_TRUE(
            prompter.askYesNo(QStringLiteral("!! WARNING !!"), QStringLiteral("Continue?"), onReturn));
    }
}

}  // namespace
}  // namespace vortlan
