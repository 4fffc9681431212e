#pragma once
// The controls the dialogs are built of, named as the forms name them, and bound to their window
// model: a user's edit goes into the model at once, and nothing else happens until a button runs a
// handler.

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QString>
#include <string>

#include "ui/text.h"

namespace vortlan::ui {

inline QLabel* namedLabel(const QString& name, const QString& text) {
    auto* label = new QLabel(text);
    label->setObjectName(name);
    return label;
}

// A text box wide enough for `sample` in the current font, so larger fonts keep the numbers readable.
inline QLineEdit* namedEdit(const QString& name, const QString& sample) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(sample) + 14);
    edit->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return edit;
}

inline QPushButton* namedButton(const QString& name, const QString& caption, const QString& toolTip = {}) {
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    button->setAutoDefault(false);
    if (!toolTip.isEmpty()) button->setToolTip(toolTip);
    return button;
}

inline QCheckBox* namedCheck(const QString& name, const QString& caption = {}, const QString& toolTip = {}) {
    auto* box = new QCheckBox(caption);
    box->setObjectName(name);
    if (!toolTip.isEmpty()) box->setToolTip(toolTip);
    return box;
}

// An editable list: the forms' handlers check the typed text against the list themselves.
inline QComboBox* namedCombo(const QString& name, const QString& sample) {
    auto* combo = new QComboBox;
    combo->setObjectName(name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMinimumContentsLength(sample.size());
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return combo;
}

inline void bindText(QLineEdit* edit, std::string& field) {
    QObject::connect(edit, &QLineEdit::textEdited, edit,
                     [&field](const QString& text) { field = fromQt(text); });
}

inline void bindText(QComboBox* combo, std::string& field) {
    QObject::connect(combo, &QComboBox::currentTextChanged, combo,
                     [&field](const QString& text) { field = fromQt(text); });
}

inline void bindCheck(QCheckBox* box, int& field) {
    QObject::connect(box, &QCheckBox::clicked, box, [&field](bool checked) { field = checked ? 1 : 0; });
}

// Return in a text box presses the form's main button, as it would in a dialog.
inline void pressOnReturn(QLineEdit* edit, QPushButton* button) {
    QObject::connect(edit, &QLineEdit::returnPressed, button, &QPushButton::click);
}

// An option button shown from the model.  The toolkit refuses to switch off the checked button of an
// exclusive pair by itself, yet the model switches a pair's buttons in either order, and shows no choice
// at all until the dialog is first filled; so exclusivity is lifted for the moment.
inline void showOption(QAbstractButton* button, bool checked) {
    if (button->isChecked() == checked) return;
    const QSignalBlocker blocker(button);
    const bool exclusive = button->autoExclusive();
    button->setAutoExclusive(false);
    button->setChecked(checked);
    button->setAutoExclusive(exclusive);
}

// Where a dialog says what it refused and why; hidden while there is nothing to say.
inline QLabel* refusalLabel() {
    QLabel* label = namedLabel(QStringLiteral("RefusalNote"), QString());
    label->setWordWrap(true);
    label->setStyleSheet(QStringLiteral("color: #a00000"));
    label->hide();
    return label;
}

// The user's next edit in the window ends the note of its last refusal.
template <typename Sender, typename Signal>
void clearNoteOn(Sender* sender, Signal signal, std::string& note, QLabel* label) {
    QObject::connect(sender, signal, label, [&note, label] {
        note.clear();
        label->hide();
    });
}

inline void showTitle(QWidget* window, const std::string& caption) {
    const QString title = toQt(caption);
    if (window->windowTitle() != title) window->setWindowTitle(title);
}

}  // namespace vortlan::ui
