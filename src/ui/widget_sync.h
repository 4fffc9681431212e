#pragma once
// Widgets shown from their window model.  A widget is touched only when its model differs, with its
// signals blocked, so that a refresh never disturbs the user's typing or runs a handler.

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <string>

#include "session/dialog_models.h"
#include "ui/reading_notes.h"
#include "ui/text.h"

namespace vortlan::ui {

inline void showText(QLineEdit* edit, const std::string& text) {
    const QString qtext = toQt(text);
    if (edit->text() == qtext) return;
    {
        const QSignalBlocker blocker(edit);
        edit->setText(qtext);
    }
    showReadingNote(edit);
}

inline void showText(QLabel* label, const std::string& text) {
    const QString qtext = toQt(text);
    if (label->text() != qtext) label->setText(qtext);
}

// A refusal's note, shown while there is one.
inline void showNote(QLabel* label, const std::string& note) {
    showText(label, note);
    label->setVisible(!note.empty());
}

inline void showChecked(QAbstractButton* box, bool checked) {
    if (box->isChecked() == checked) return;
    const QSignalBlocker blocker(box);
    box->setChecked(checked);
}

// An editable combo box's text (which may be one not in its list).
inline void showComboText(QComboBox* combo, const std::string& text) {
    const QString qtext = toQt(text);
    if (combo->currentText() == qtext) return;
    const QSignalBlocker blocker(combo);
    const int index = combo->findText(qtext);
    if (index >= 0) combo->setCurrentIndex(index);
    combo->setEditText(qtext);
}

inline void showList(QComboBox* combo, const std::vector<std::string>& items) {
    if (combo->count() == static_cast<int>(items.size())) return;
    const QSignalBlocker blocker(combo);
    const QString text = combo->currentText();
    combo->clear();
    for (const std::string& item : items) combo->addItem(toQt(item));
    combo->setEditText(text);
}

inline void showScroll(QScrollBar* bar, const ScrollBar& model) {
    const QSignalBlocker blocker(bar);
    if (bar->minimum() != model.min || bar->maximum() != model.max) bar->setRange(model.min, model.max);
    if (bar->value() != model.value) bar->setValue(model.value);
}

}  // namespace vortlan::ui
