// The questions of the desktop program as Qt shows them, answered through their widgets as a user
// answers them.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "ui/prompter.h"

namespace vortlan {
namespace {

// Runs `answer` on the next modal dialog of type W as soon as it shows; a dialog the answer leaves
// open is cancelled a little later, so that a failing test ends.
template <typename W>
void whenShown(std::function<void(W&)> answer) {
    auto* poll = new QTimer;
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

TEST(Questions, ReturnAnswersNo) {
    ui::MessageBoxPrompter prompter;
    QString shown;
    whenShown<QMessageBox>([&shown](QMessageBox& question) {
        shown = question.windowTitle() + ": " + question.text();
        EXPECT_EQ(question.defaultButton(), question.button(QMessageBox::No));
        QTest::keyClick(&question, Qt::Key_Return);
    });
    EXPECT_FALSE(prompter.askYesNo(QStringLiteral("!! WARNING !!"), QStringLiteral("Continue?")));
    EXPECT_EQ(shown, "!! WARNING !!: Continue?");

    whenShown<QMessageBox>([](QMessageBox& question) { question.button(QMessageBox::Yes)->click(); });
    EXPECT_TRUE(prompter.askYesNo(QStringLiteral("!! WARNING !!"), QStringLiteral("Continue?")));
}

}  // namespace
}  // namespace vortlan
