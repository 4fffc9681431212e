#include "ui/background_window.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QShortcut>
#include <QVBoxLayout>

#include "session/background_dialog.h"
#include "ui/application.h"
#include "ui/form_controls.h"
#include "ui/reading_notes.h"
#include "ui/widget_sync.h"

namespace vortlan::ui {

namespace {

const QString kNumberSample = QStringLiteral("000000.000");

}  // namespace

BackgroundWindow::BackgroundWindow(Application& app) : app_(app) {
    BackgroundDialog& d = app_.dialogs().background;
    setObjectName(QStringLiteral("BGForm"));
    setWindowTitle(toQt(d.caption));
    setWindowFlags(Qt::Tool);

    auto* accept =
        namedButton("BGAccept", tr("Accept"), tr("Recompute the region with this range and background"));
    connect(accept, &QPushButton::clicked, this,
            [this] { app_.run(tr("Accept Background"), acceptBackground); });
    auto* close = namedButton("BGClose", tr("Close"));
    connect(close, &QPushButton::clicked, this, [this] { app_.run(closeBackgroundDialog); });

    low_ = namedEdit("LBE", kNumberSample);
    bindNumber(low_, d.LBE);
    high_ = namedEdit("HBE", kNumberSample);
    bindNumber(high_, d.HBE);
    averaging_ = namedCombo("AverPt", QStringLiteral("None00"));
    bindText(averaging_, d.AverPt);
    type_ = namedCombo("BG", QStringLiteral("Tougaard00"));
    bindText(type_, d.BG);
    auto* settings = new QGridLayout;
    settings->addWidget(namedLabel("Label6", tr("Boundary")), 0, 0, 1, 2);
    settings->addWidget(namedLabel("Label4", tr("Low BE")), 1, 0);
    settings->addWidget(low_, 1, 1);
    settings->addWidget(namedLabel("Label5", tr("High BE")), 2, 0);
    settings->addWidget(high_, 2, 1);
    settings->addWidget(namedLabel("Label1", tr("No. of Ave. Pts at end-points")), 3, 0);
    settings->addWidget(averaging_, 3, 1);
    settings->addWidget(namedLabel("Label7", tr("Backgound Type")), 4, 0);
    settings->addWidget(type_, 4, 1);

    auto* shirley = new QGroupBox(tr("Shirley+Linear (0 for Shir.)"));
    shirley->setObjectName(QStringLiteral("Frame2"));
    slope_ = namedEdit("ShirleySlope", kNumberSample);
    bindNumber(slope_, d.ShirleySlope);
    auto* optimiseSlope =
        namedButton("Command1", tr("Optimise"),
                    tr("Find the largest linear term that keeps the background below the data"));
    connect(optimiseSlope, &QPushButton::clicked, this,
            [this] { app_.run(tr("Optimise Background"), optimiseShirleySlope); });
    auto* shirleyRow = new QHBoxLayout(shirley);
    shirleyRow->addWidget(namedLabel("Label8", tr("Slope")));
    shirleyRow->addWidget(slope_, 1);
    shirleyRow->addWidget(optimiseSlope);

    auto* tougaard = new QGroupBox(tr("For Tougaard only"));
    tougaard->setObjectName(QStringLiteral("Frame1"));
    b1_ = namedEdit("TouB1", kNumberSample);
    bindNumber(b1_, d.TouB1);
    auto* optimiseB1 =
        namedButton("Toug_Opt", tr("Optimise"),
                    tr("Accept the settings, then find the B1 that meets the data at the range's start"));
    connect(optimiseB1, &QPushButton::clicked, this,
            [this] { app_.run(tr("Optimise Background"), optimiseTougaard); });
    auto* tougaardRow = new QHBoxLayout(tougaard);
    tougaardRow->addWidget(namedLabel("Label2", tr("B1")));
    tougaardRow->addWidget(b1_, 1);
    tougaardRow->addWidget(optimiseB1);

    // Shown, never read back.
    area_ = namedEdit("Area", kNumberSample);
    area_->setReadOnly(true);
    auto* areaRow = new QHBoxLayout;
    areaRow->addWidget(namedLabel("Label3", tr("Area (I*eV)")));
    areaRow->addWidget(area_, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(accept);
    buttons->addWidget(close);

    for (QLineEdit* edit : {low_, high_, slope_, b1_, averaging_->lineEdit(), type_->lineEdit()}) {
        pressOnReturn(edit, accept);
    }
    // Not a refusal: it says what the accepted settings drew, for as long as they draw it.
    drawn_ = namedLabel(QStringLiteral("DrawnNote"), QString());
    drawn_->setWordWrap(true);
    drawn_->hide();
    note_ = refusalLabel();
    for (QLineEdit* edit : {low_, high_, slope_, b1_})
        clearNoteOn(edit, &QLineEdit::textEdited, d.RefusalNote, note_);
    for (QComboBox* combo : {averaging_, type_})
        clearNoteOn(combo, &QComboBox::currentTextChanged, d.RefusalNote, note_);
    new QShortcut(QKeySequence(Qt::Key_Escape), this, [this] { app_.run(closeBackgroundDialog); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(settings);
    layout->addWidget(shirley);
    layout->addWidget(tougaard);
    layout->addLayout(areaRow);
    layout->addWidget(drawn_);
    layout->addWidget(note_);
    layout->addLayout(buttons);
    addReadingNotes(this);
}

void BackgroundWindow::refresh() {
    // Any command may have changed the region under the dialog (an import, Clear Parameters, opening
    // a project).  A busy optimisation holds a half-computed background: the box waits for its end.
    if (isEnabled()) showBackgroundArea(app_.session());
    const BackgroundDialog& d = app_.dialogs().background;
    showTitle(this, d.caption);
    showText(low_, d.LBE);
    showText(high_, d.HBE);
    showList(averaging_, d.AverPtList);
    showComboText(averaging_, d.AverPt);
    showList(type_, d.BGList);
    showComboText(type_, d.BG);
    showText(slope_, d.ShirleySlope);
    showText(b1_, d.TouB1);
    showText(area_, d.Area);
    showNote(drawn_, d.DrawnNote);
    showNote(note_, d.RefusalNote);
}

}  // namespace vortlan::ui
