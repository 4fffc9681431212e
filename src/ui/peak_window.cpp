#include "ui/peak_window.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>

#include "session/constraint_dialog.h"
#include "session/peak_dialog.h"
#include "ui/application.h"
#include "ui/form_controls.h"
#include "ui/reading_notes.h"
#include "ui/widget_sync.h"

namespace vortlan::ui {

namespace {

// The four parameter frames, top to bottom, with the model fields their controls show.
struct ParamRow {
    PeakParam param;
    const char* frame;
    const char* caption;
    const char* value;
    const char* scroll;
    const char* fix;
    const char* optimise;
    const char* constraints;
    const char* error;
    std::string PeakDialog::*text;
    ScrollBar PeakDialog::*bar;
    int PeakDialog::*check;
    std::string PeakDialog::*errorText;
};

const std::array<ParamRow, 4> kRows = {{
    {PeakParam::Position, "Frame1", "Position", "PosVal", "ScPos", "ChkPos", "OptPos", "PosCnt", "PosErr",
     &PeakDialog::PosVal, &PeakDialog::ScPos, &PeakDialog::ChkPos, &PeakDialog::PosErr},
    {PeakParam::Fwhm, "Frame2", "FWHM", "FWHMVal", "ScFWHM", "ChkFWHM", "OptFWHM", "FWHMCnt", "FWHMErr",
     &PeakDialog::FWHMVal, &PeakDialog::ScFWHM, &PeakDialog::ChkFWHM, &PeakDialog::FWHMErr},
    {PeakParam::Area, "Frame3", "Area", "AreaVal", "ScArea", "ChkArea", "OptArea", "AreaCnt", "AreaErr",
     &PeakDialog::AreaVal, &PeakDialog::ScArea, &PeakDialog::ChkArea, &PeakDialog::AreaErr},
    {PeakParam::Gl, "Frame4", "% Lorentzian-Gaussian (0:G, 100:L)", "GLVal", "ScGL", "ChkGL", "OptGL",
     "GLCnt", "GLErr", &PeakDialog::GLVal, &PeakDialog::ScGL, &PeakDialog::ChkGL, &PeakDialog::GLErr},
}};

const QString kNumberSample = QStringLiteral("00000.0000");
// The widest text an error shows, so that the scroll bar beside it stays where it is.
const QString kErrorSample = QStringLiteral("not determined");

}  // namespace

PeakWindow::PeakWindow(Application& app) : app_(app) {
    setObjectName(QStringLiteral("PeakForm"));
    setWindowTitle(toQt(app_.dialogs().peak.caption));
    setWindowFlags(Qt::Tool);

    // ReDraw is created first so that Return in every text box can press it.
    QWidget* buttons = buildButtons();
    auto* frames = new QVBoxLayout;
    for (int row = 0; row < static_cast<int>(kRows.size()); ++row) frames->addWidget(buildParamFrame(row));
    frames->addStretch();

    auto* side = new QVBoxLayout;
    side->addWidget(buildTypeAndShape());
    side->addStretch();
    side->addWidget(buttons);

    auto* columns = new QHBoxLayout;
    columns->addLayout(frames, 1);
    columns->addLayout(side);
    note_ = refusalLabel();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(note_);
    clearNoteOnEdits();
    addReadingNotes(this);

    new QShortcut(QKeySequence(Qt::Key_Escape), this,
                  [this] { app_.run(tr("Cancel Peak"), cancelPeakDialog); });
}

QGroupBox* PeakWindow::buildParamFrame(int row) {
    const ParamRow& r = kRows[static_cast<std::size_t>(row)];
    PeakDialog& d = app_.dialogs().peak;
    ParamControls& c = params_[static_cast<std::size_t>(row)];
    const PeakParam param = r.param;

    auto* frame = new QGroupBox(QString::fromLatin1(r.caption));
    frame->setObjectName(QString::fromLatin1(r.frame));

    c.value = namedEdit(r.value, kNumberSample);
    bindNumber(c.value, d.*r.text);
    pressOnReturn(c.value, redraw_);

    c.error = namedLabel(r.error, toQt(d.*r.errorText));
    c.error->setMinimumWidth(c.error->fontMetrics().horizontalAdvance(kErrorSample));
    c.error->setTextInteractionFlags(Qt::TextSelectableByMouse);
    c.error->setToolTip(
        tr("Standard error of the fitted value, from the fit's curvature at the present values"));

    c.scroll = new QScrollBar(Qt::Horizontal);
    c.scroll->setObjectName(QString::fromLatin1(r.scroll));
    c.scroll->setMinimumWidth(c.value->fontMetrics().horizontalAdvance(QString(24, QLatin1Char('0'))));
    c.scroll->setSingleStep(1);
    c.scroll->setPageStep(10);
    ScrollBar* bar = &(d.*r.bar);
    connect(c.scroll, &QScrollBar::valueChanged, this, [this, bar, param](int value) {
        bar->value = value;
        app_.run([param](Session& s) { scrollChanged(s, param); });
    });

    c.fix = namedCheck(r.fix, tr("Fix"), tr("Keep this parameter where it is while the peak is optimised"));
    int* check = &(d.*r.check);
    connect(c.fix, &QCheckBox::clicked, this, [this, check, param](bool checked) {
        *check = checked ? 1 : 0;
        app_.run([param](Session& s) { fixChanged(s, param); });
    });

    auto* optimise =
        namedButton(r.optimise, tr("Optimise"), tr("Fit this parameter alone, from the value in its box"));
    connect(optimise, &QPushButton::clicked, this, [this, param] {
        app_.run(tr("Optimise Peak"), [param](Session& s) { optimiseParameterFromDialog(s, param); });
    });
    auto* constraints = namedButton(r.constraints, tr("Constraints"),
                                    tr("Tie this parameter to another peak's, or limit its search range"));
    connect(constraints, &QPushButton::clicked, this,
            [this, param] { app_.run([param](Session& s) { openConstraintEditor(s, param); }); });

    auto* grid = new QGridLayout(frame);
    grid->addWidget(c.value, 0, 0);
    grid->addWidget(c.error, 0, 1);
    grid->addWidget(c.scroll, 0, 2, 1, 3);
    grid->addWidget(c.fix, 1, 0);
    grid->addWidget(optimise, 1, 3);
    grid->addWidget(constraints, 1, 4);
    grid->setColumnStretch(2, 1);
    return frame;
}

QWidget* PeakWindow::buildTypeAndShape() {
    PeakDialog& d = app_.dialogs().peak;
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);

    peakType_ = namedCombo("PeakType", QStringLiteral("00"));
    peakType_->setToolTip(
        tr("s: a singlet; p, d, f: a spin-orbit doublet with the area ratio of that level"));
    bindText(peakType_, d.PeakType);
    pressOnReturn(peakType_->lineEdit(), redraw_);
    splitting_ = namedEdit("SplittingVal", kNumberSample);
    splitting_->setToolTip(tr("Spin-orbit splitting in eV"));
    bindNumber(splitting_, d.SplittingVal);
    pressOnReturn(splitting_, redraw_);
    auto* type = new QGridLayout;
    type->addWidget(namedLabel("Label1", tr("Peak Type")), 0, 0);
    type->addWidget(peakType_, 0, 1);
    type->addWidget(namedLabel("Label2", tr("S.O.S.")), 1, 0);
    type->addWidget(splitting_, 1, 1);
    layout->addLayout(type);

    asymmetry_ = new QGroupBox(tr("Asymmetry (TS=0 for symmetry)"));
    asymmetry_->setObjectName(QStringLiteral("AsyFrame"));
    ts_ = namedEdit("TSVal", kNumberSample);
    bindNumber(ts_, d.TSVal);
    pressOnReturn(ts_, redraw_);
    tl_ = namedEdit("TLVal", kNumberSample);
    bindNumber(tl_, d.TLVal);
    pressOnReturn(tl_, redraw_);
    auto* tail = new QGridLayout(asymmetry_);
    tail->addWidget(namedLabel("Label3", tr("TS")), 0, 0);
    tail->addWidget(ts_, 0, 1);
    tail->addWidget(namedLabel("Label4", tr("0-1")), 0, 2);
    tail->addWidget(namedLabel("Label5", tr("TL")), 1, 0);
    tail->addWidget(tl_, 1, 1);
    tail->addWidget(namedLabel("Label6", tr("0.01-200")), 1, 2);
    layout->addWidget(asymmetry_);

    actualFwhm_ = namedLabel("ActFWHM", toQt(d.ActFWHM));
    actualFwhm_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* actual = new QHBoxLayout;
    actual->addWidget(namedLabel("Label7", tr("Actual FWHM:")));
    actual->addWidget(actualFwhm_, 1);
    layout->addLayout(actual);
    return box;
}

void PeakWindow::clearNoteOnEdits() {
    std::string& note = app_.dialogs().peak.RefusalNote;
    for (const ParamControls& c : params_) {
        clearNoteOn(c.value, &QLineEdit::textEdited, note, note_);
        clearNoteOn(c.scroll, &QScrollBar::valueChanged, note, note_);
        clearNoteOn(c.fix, &QCheckBox::clicked, note, note_);
    }
    for (QLineEdit* edit : {splitting_, ts_, tl_}) clearNoteOn(edit, &QLineEdit::textEdited, note, note_);
    clearNoteOn(peakType_, &QComboBox::currentTextChanged, note, note_);
}

QWidget* PeakWindow::buildButtons() {
    auto* box = new QWidget;
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    // `step` names the command in the Edit menu; ReDraw, which only tries values out, is none.
    const auto add = [&](const char* name, const QString& caption, const QString& step, int r, int c,
                         auto handler) {
        QPushButton* button = namedButton(name, caption);
        connect(button, &QPushButton::clicked, this, [this, step, handler] {
            if (step.isEmpty())
                app_.run(handler);
            else
                app_.run(step, handler);
        });
        grid->addWidget(button, r, c);
        return button;
    };
    add("Optpeak", tr("Optimise Peak"), tr("Optimise Peak"), 0, 0, optimisePeakFromDialog)
        ->setToolTip(tr("Fit every parameter of this peak that is not fixed"));
    redraw_ = add("ReDraw", tr("ReDraw"), QString(), 0, 1, redrawPeakDialog);
    redraw_->setToolTip(tr("Take the values into the peak and redraw, keeping the dialog open (Return)"));
    add("PeakAccept", tr("Accept"), tr("Accept Peak"), 1, 0, acceptPeakDialog);
    add("PeakCancel", tr("Cancel"), tr("Cancel Peak"), 1, 1, cancelPeakDialog)
        ->setToolTip(tr("Put the peak back as it was when the dialog opened (Esc)"));
    add("DeletePeak", tr("Delete Peak"), tr("Delete Peak"), 2, 0, deletePeakFromDialog);
    return box;
}

void PeakWindow::refresh() {
    const PeakDialog& d = app_.dialogs().peak;
    showTitle(this, d.caption);
    for (std::size_t row = 0; row < kRows.size(); ++row) {
        const ParamRow& r = kRows[row];
        showText(params_[row].value, d.*r.text);
        showScroll(params_[row].scroll, d.*r.bar);
        showChecked(params_[row].fix, d.*r.check == 1);
        showText(params_[row].error, d.*r.errorText);
    }
    showList(peakType_, d.PeakTypeList);
    showComboText(peakType_, d.PeakType);
    showText(splitting_, d.SplittingVal);
    showText(ts_, d.TSVal);
    showText(tl_, d.TLVal);
    asymmetry_->setEnabled(d.AsyFrameEnabled);
    showText(actualFwhm_, d.ActFWHM);
    showNote(note_, d.RefusalNote);
}

void PeakWindow::closeEvent(QCloseEvent* event) {
    // During a fitting run the window is disabled and its peak is being worked on: nothing to revert.
    if (!isEnabled()) {
        event->ignore();
        return;
    }
    if (isVisible()) app_.run(tr("Cancel Peak"), closePeakDialog);
    event->accept();
}

}  // namespace vortlan::ui
