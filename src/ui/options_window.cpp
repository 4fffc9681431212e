#include "ui/options_window.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "session/options_dialog.h"
#include "ui/application.h"
#include "ui/form_controls.h"
#include "ui/reading_notes.h"
#include "ui/widget_sync.h"

namespace vortlan::ui {

namespace {

using LevelChecks = std::array<int, kLevelCount>;
using LevelTexts = std::array<std::string, kLevelCount>;

// The columns of the two frames, left to right, with the model fields they show.
struct NewtonColumn {
    const char* heading;
    const char* check;
    const char* delta;
    LevelChecks OptionsDialog::*checks;
    LevelTexts OptionsDialog::*deltas;
};

struct SearchColumn {
    const char* heading;
    const char* check;
    const char* range;
    const char* step;
    LevelChecks OptionsDialog::*checks;
    LevelTexts OptionsDialog::*ranges;
    LevelTexts OptionsDialog::*steps;
};

const std::array<NewtonColumn, 3> kNewtonColumns = {{
    {"Position", "PosNewtonCheck", "PosDelta", &OptionsDialog::PosNewtonCheck, &OptionsDialog::PosDelta},
    {"Area", "AreaNewtonCheck", "AreaDelta", &OptionsDialog::AreaNewtonCheck, &OptionsDialog::AreaDelta},
    {"FWHM", "FWHMNewtonCheck", "FWHMDelta", &OptionsDialog::FWHMNewtonCheck, &OptionsDialog::FWHMDelta},
}};

const std::array<SearchColumn, 3> kSearchColumns = {{
    {"Position", "PosSearchCheck", "PosRange", "PosStep", &OptionsDialog::PosSearchCheck,
     &OptionsDialog::PosRange, &OptionsDialog::PosStep},
    {"Area", "AreaSearchCheck", "AreaRange", "AreaStep", &OptionsDialog::AreaSearchCheck,
     &OptionsDialog::AreaRange, &OptionsDialog::AreaStep},
    {"FWHM", "FWHMSearchCheck", "FWHMRange", "FWHMStep", &OptionsDialog::FWHMSearchCheck,
     &OptionsDialog::FWHMRange, &OptionsDialog::FWHMStep},
}};

const FileFilter kOptionFilter{QStringLiteral("Parameter Files (*.opa) "), QStringLiteral("*.opa")};
const QString kNumberSample = QStringLiteral("0000.000");
const QString kTrialSample = QStringLiteral("0000");

// Control arrays are named with the level's index, from 0.
QString indexed(const char* name, int index) {
    return QString::fromLatin1(name) + QString::number(index);
}

QLabel* levelLabel(int index) {
    return new QLabel(QObject::tr("Level %1").arg(index + 1));
}

// The frame's heading, its "Use" button and its trial count, on one row above the levels.
QHBoxLayout* methodRow(const char* heading, QRadioButton* use, QLineEdit* trials) {
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QString::fromLatin1(heading)));
    row->addWidget(use);
    row->addStretch();
    row->addWidget(new QLabel(QObject::tr("No. of trials")));
    row->addWidget(trials);
    return row;
}

}  // namespace

OptionsWindow::OptionsWindow(Application& app) : app_(app) {
    setObjectName(QStringLiteral("OptForm"));
    setWindowTitle(toQt(app_.dialogs().options.caption));
    setWindowFlags(Qt::Tool);

    // OK first, so that Return in every box can press it.
    QWidget* buttons = buildButtons();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildLeastSquaresFrame());
    layout->addWidget(buildNewtonFrame());
    layout->addWidget(buildSearchFrame());
    layout->addWidget(buildFormAndTolerance());
    layout->addWidget(buttons);

    for (QLineEdit* edit : findChildren<QLineEdit*>()) pressOnReturn(edit, ok_);
    new QShortcut(QKeySequence(Qt::Key_Escape), this, [this] { close(); });
    addReadingNotes(this);
}

QGroupBox* OptionsWindow::buildNewtonFrame() {
    OptionsDialog& d = app_.dialogs().options;
    auto* frame = new QGroupBox;
    frame->setObjectName(QStringLiteral("Frame1"));

    useNewton_ = new QRadioButton(tr("Use"));
    useNewton_->setObjectName(QStringLiteral("UseNewton"));
    useNewton_->setToolTip(tr("Fit with Newton's method"));
    connect(useNewton_, &QRadioButton::clicked, this, [this](bool checked) {
        app_.dialogs().options.UseNewton = checked;
        app_.run(tr("Options"), clickUseNewton);
    });
    newtonTrial_ = namedEdit("NewtonTrial", kTrialSample);
    bindNumber(newtonTrial_, d.NewtonTrial);

    auto* grid = new QGridLayout;
    for (int c = 0; c < static_cast<int>(kNewtonColumns.size()); ++c) {
        const NewtonColumn& column = kNewtonColumns[static_cast<std::size_t>(c)];
        grid->addWidget(new QLabel(QString::fromLatin1(column.heading)), 0, 1 + 2 * c, 1, 2,
                        Qt::AlignHCenter);
        grid->addWidget(new QLabel(tr("Use  Delta")), 1, 1 + 2 * c, 1, 2);
        for (int i = 0; i < kLevelCount; ++i) {
            QCheckBox* check = namedCheck(indexed(column.check, i), {}, tr("Use this level"));
            bindCheck(check, (d.*column.checks)[static_cast<std::size_t>(i)]);
            QLineEdit* delta = namedEdit(indexed(column.delta, i), kNumberSample);
            bindNumber(delta, (d.*column.deltas)[static_cast<std::size_t>(i)]);
            newtonChecks_[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)] = check;
            deltas_[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)] = delta;
            grid->addWidget(check, 2 + i, 1 + 2 * c);
            grid->addWidget(delta, 2 + i, 2 + 2 * c);
        }
    }
    for (int i = 0; i < kLevelCount; ++i) grid->addWidget(levelLabel(i), 2 + i, 0);
    grid->setColumnStretch(1 + 2 * static_cast<int>(kNewtonColumns.size()), 1);

    auto* layout = new QVBoxLayout(frame);
    layout->addLayout(methodRow("Parameters for Newton's Method", useNewton_, newtonTrial_));
    layout->addLayout(grid);
    return frame;
}

QGroupBox* OptionsWindow::buildSearchFrame() {
    OptionsDialog& d = app_.dialogs().options;
    auto* frame = new QGroupBox;
    frame->setObjectName(QStringLiteral("Frame2"));

    useSearch_ = new QRadioButton(tr("Use"));
    useSearch_->setObjectName(QStringLiteral("UseSearch"));
    useSearch_->setToolTip(tr("Fit with the search method"));
    connect(useSearch_, &QRadioButton::clicked, this, [this](bool checked) {
        app_.dialogs().options.UseSearch = checked;
        app_.run(tr("Options"), clickUseSearch);
    });
    searchTrial_ = namedEdit("SearchTrial", kTrialSample);
    bindNumber(searchTrial_, d.SearchTrial);

    auto* grid = new QGridLayout;
    for (int c = 0; c < static_cast<int>(kSearchColumns.size()); ++c) {
        const SearchColumn& column = kSearchColumns[static_cast<std::size_t>(c)];
        const auto k = static_cast<std::size_t>(c);
        grid->addWidget(new QLabel(QString::fromLatin1(column.heading)), 0, 1 + 3 * c, 1, 3,
                        Qt::AlignHCenter);
        grid->addWidget(new QLabel(tr("Use   Range   Step")), 1, 1 + 3 * c, 1, 3);
        for (int i = 0; i < kLevelCount; ++i) {
            const auto level = static_cast<std::size_t>(i);
            searchChecks_[k][level] =
                namedCheck(indexed(column.check, i), QStringLiteral("±"),
                           tr("Use this level: search the range on either side of the value"));
            bindCheck(searchChecks_[k][level], (d.*column.checks)[level]);
            ranges_[k][level] = namedEdit(indexed(column.range, i), kNumberSample);
            bindNumber(ranges_[k][level], (d.*column.ranges)[level]);
            steps_[k][level] = namedEdit(indexed(column.step, i), kNumberSample);
            bindNumber(steps_[k][level], (d.*column.steps)[level]);
            grid->addWidget(searchChecks_[k][level], 2 + i, 1 + 3 * c);
            grid->addWidget(ranges_[k][level], 2 + i, 2 + 3 * c);
            grid->addWidget(steps_[k][level], 2 + i, 3 + 3 * c);
        }
    }
    for (int i = 0; i < kLevelCount; ++i) grid->addWidget(levelLabel(i), 2 + i, 0);
    grid->setColumnStretch(1 + 3 * static_cast<int>(kSearchColumns.size()), 1);

    auto* layout = new QVBoxLayout(frame);
    layout->addLayout(methodRow("Parameters for Search Method", useSearch_, searchTrial_));
    layout->addLayout(grid);
    return frame;
}

QGroupBox* OptionsWindow::buildLeastSquaresFrame() {
    auto* frame = new QGroupBox;
    frame->setObjectName(QStringLiteral("Frame4"));
    useLM_ = new QRadioButton(tr("Use"));
    useLM_->setObjectName(QStringLiteral("UseLM"));
    useLM_->setToolTip(tr("Fit every free parameter at once by Levenberg-Marquardt, to the minimum of the statistic"));
    connect(useLM_, &QRadioButton::clicked, this, [this](bool checked) {
        app_.dialogs().options.UseLM = checked;
        app_.run(tr("Options"), clickUseLM);
    });
    auto* row = new QHBoxLayout(frame);
    row->addWidget(new QLabel(tr("Levenberg-Marquardt")));
    row->addWidget(useLM_);
    row->addStretch();
    row->addWidget(new QLabel(tr("all parameters together; no levels or trials to set")));
    return frame;
}

QWidget* OptionsWindow::buildFormAndTolerance() {
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);

    // Both form buttons share a frame, so the toolkit keeps them exclusive.
    auto* frame = new QGroupBox;
    frame->setObjectName(QStringLiteral("Frame3"));
    glSum_ = new QRadioButton(tr("GL Sum"));
    glSum_->setObjectName(QStringLiteral("GLSum"));
    glSum_->setToolTip(tr("Gaussian and Lorentzian added; the asymmetric tail is available"));
    connect(glSum_, &QRadioButton::clicked, this, [this](bool checked) {
        app_.dialogs().options.GLSum = checked;
        app_.run(tr("Options"), clickGLSum);
    });
    glProduct_ = new QRadioButton(tr("GL Product"));
    glProduct_->setObjectName(QStringLiteral("GLProduct"));
    glProduct_->setToolTip(tr("Gaussian and Lorentzian multiplied; peaks are symmetric"));
    connect(glProduct_, &QRadioButton::clicked, this, [this](bool checked) {
        app_.dialogs().options.GLProduct = checked;
        app_.run(tr("Options"), clickGLProduct);
    });
    auto* forms = new QHBoxLayout(frame);
    forms->addWidget(glSum_);
    forms->addWidget(glProduct_);
    row->addWidget(frame);
    row->addStretch();

    tolerance_ = namedEdit("TolVal", kNumberSample);
    tolerance_->setToolTip(
        tr("The search method stops when a pass improves the fit statistic by less than this percentage"));
    bindNumber(tolerance_, app_.dialogs().options.TolVal);
    row->addWidget(new QLabel(tr("Tolerance")));
    row->addWidget(tolerance_);
    row->addWidget(new QLabel(tr("%")));

    instrumentFwhm_ = namedEdit("InstrumentFwhm", kNumberSample);
    instrumentFwhm_->setToolTip(
        tr("No fitted FWHM goes below this width (eV); empty: the spacing of the data"));
    bindNumber(instrumentFwhm_, app_.dialogs().options.InstrumentFwhm);
    row->addWidget(new QLabel(tr("Instrument FWHM limit")));
    row->addWidget(instrumentFwhm_);
    row->addWidget(new QLabel(tr("eV")));
    return box;
}

QWidget* OptionsWindow::buildButtons() {
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    auto* load = namedButton("ReadOption", tr("Load Parameters"));
    connect(load, &QPushButton::clicked, this, [this] { loadParameters(); });
    auto* save = namedButton("SaveOption", tr("Save Parameters"));
    connect(save, &QPushButton::clicked, this, [this] { saveParameters(); });
    ok_ = namedButton("OptionOK", tr("OK"), tr("Check the values and use them (Return)"));
    connect(ok_, &QPushButton::clicked, this, [this] { app_.run(tr("Options"), applyOptionsDialog); });
    row->addWidget(load);
    row->addWidget(save);
    row->addStretch();
    row->addWidget(ok_);
    return box;
}

void OptionsWindow::loadParameters() {
    Workspace& ws = app_.workspace();
    ws.fileName.clear();
    const auto path = app_.files().openFile(tr("Load Parameters"), kOptionFilter);
    if (!path || path->isEmpty()) return;
    ws.fileName = path->toStdString();
    app_.run(tr("Load Options"), readOptionFile);
}

void OptionsWindow::saveParameters() {
    // A refused value has shown its message; what stands is saved all the same.
    app_.run(tr("Options"), applyOptionsDialog);
    Workspace& ws = app_.workspace();
    const QString proposed = app_.files().proposedName(QStringLiteral("opa"));
    ws.fileName.clear();
    const auto path = app_.files().saveFile(tr("Save Parameters"), kOptionFilter, proposed);
    if (!path || path->isEmpty()) return;
    ws.fileName = path->toStdString();
    app_.run(writeOptionFile);
}

void OptionsWindow::refresh() {
    const OptionsDialog& d = app_.dialogs().options;
    showTitle(this, d.caption);
    showOption(useNewton_, d.UseNewton);
    showOption(useSearch_, d.UseSearch);
    showOption(useLM_, d.UseLM);
    showText(newtonTrial_, d.NewtonTrial);
    showText(searchTrial_, d.SearchTrial);
    for (std::size_t c = 0; c < kNewtonColumns.size(); ++c) {
        const NewtonColumn& column = kNewtonColumns[c];
        for (std::size_t i = 0; i < kLevelCount; ++i) {
            showChecked(newtonChecks_[c][i], (d.*column.checks)[i] == 1);
            showText(deltas_[c][i], (d.*column.deltas)[i]);
        }
    }
    for (std::size_t c = 0; c < kSearchColumns.size(); ++c) {
        const SearchColumn& column = kSearchColumns[c];
        for (std::size_t i = 0; i < kLevelCount; ++i) {
            showChecked(searchChecks_[c][i], (d.*column.checks)[i] == 1);
            showText(ranges_[c][i], (d.*column.ranges)[i]);
            showText(steps_[c][i], (d.*column.steps)[i]);
        }
    }
    showOption(glSum_, d.GLSum);
    showOption(glProduct_, d.GLProduct);
    showText(tolerance_, d.TolVal);
    showText(instrumentFwhm_, d.InstrumentFwhm);
}

}  // namespace vortlan::ui
