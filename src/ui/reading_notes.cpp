#include "ui/reading_notes.h"

#include <QLabel>
#include <QLayout>
#include <QVBoxLayout>

#include "session/reading_note.h"
#include "ui/form_controls.h"
#include "ui/text.h"

namespace vortlan::ui {

namespace {

constexpr const char* kNumberBoxProperty = "vortlanNumberBox";
constexpr const char* kNoteProperty = "vortlanReadingNote";
constexpr double kNoteFontScale = 0.85;

QLabel* noteOf(const QLineEdit* edit) {
    return qobject_cast<QLabel*>(edit->property(kNoteProperty).value<QObject*>());
}

QLabel* newNote(const QLineEdit* edit) {
    auto* note = namedLabel(edit->objectName() + QStringLiteral("Note"), QString());
    note->setStyleSheet(QStringLiteral("color: #a00000"));
    QFont font = note->font();
    font.setPointSizeF(font.pointSizeF() * kNoteFontScale);
    note->setFont(font);
    note->setWordWrap(true);
    note->hide();
    return note;
}

// The box and its note stacked in one widget that takes the box's place in its layout.
void putNoteUnder(QLineEdit* edit) {
    QLayout* layout = edit->parentWidget() ? edit->parentWidget()->layout() : nullptr;
    if (!layout) return;
    auto* stack = new QWidget;
    QLayoutItem* replaced = layout->replaceWidget(edit, stack);
    if (!replaced) {
        delete stack;
        return;
    }
    delete replaced;
    auto* column = new QVBoxLayout(stack);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(edit);
    QLabel* note = newNote(edit);
    column->addWidget(note);
    edit->setProperty(kNoteProperty, QVariant::fromValue(static_cast<QObject*>(note)));
    showReadingNote(edit);
}

}  // namespace

void bindNumber(QLineEdit* edit, std::string& field) {
    bindText(edit, field);
    edit->setProperty(kNumberBoxProperty, true);
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit] { showReadingNote(edit); });
}

void addReadingNotes(QWidget* window) {
    for (QLineEdit* edit : window->findChildren<QLineEdit*>()) {
        if (edit->property(kNumberBoxProperty).toBool() && !noteOf(edit)) putNoteUnder(edit);
    }
}

void showReadingNote(QLineEdit* edit) {
    QLabel* note = noteOf(edit);
    if (!note) return;
    const QString text = toQt(readingNote(fromQt(edit->text())));
    if (note->text() != text) note->setText(text);
    note->setVisible(!text.isEmpty());
}

}  // namespace vortlan::ui
