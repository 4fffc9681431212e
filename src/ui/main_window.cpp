#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "session/options_dialog.h"
#include "session/peak_dialog.h"
#include "session/project.h"
#include "session/region_operations.h"
#include "session/spectrum_commands.h"
#include "session/startup.h"
#include "ui/application.h"
#include "ui/key_map.h"
#include "ui/edit_actions.h"
#include "ui/text.h"

namespace vortlan::ui {

namespace {

const FileFilter kProjectFilter{QStringLiteral("Data Files (*.xps) "), QStringLiteral("*.xps")};
constexpr int kDescriptionLines = 3;

QString colourStyle(RegionColour colour) {
    switch (colour) {
        case RegionColour::Defined:
            return QStringLiteral("QPushButton { background-color: rgb(192, 255, 192); }");
        case RegionColour::Current:
            return QStringLiteral("QPushButton { background-color: rgb(255, 255, 192); }");
        case RegionColour::ButtonFace:
            break;
    }
    return {};
}

QPushButton* smallButton(const QString& name, const QString& text) {
    auto* button = new QPushButton(text);
    button->setObjectName(name);
    button->setMinimumWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 12);
    button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return button;
}

}  // namespace

MainWindow::MainWindow(Application& app) : app_(app) {
    setObjectName(QStringLiteral("XPSForm"));
    setWindowTitle(QString::fromLatin1(kMainWindowCaption));
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);
    buildRegionGrid(grid);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buildCommands());
    fitStatus_ = new QLabel;
    fitStatus_->setObjectName(QStringLiteral("FitStatus"));
    fitStatus_->setWordWrap(true);
    fitStatus_->setToolTip(
        tr("How the last fit ended: converged, or still lowering χ² when it ended (optimise again)"));
    layout->addWidget(fitStatus_);

    addWindowKeys(this, KeyCommand::OpenProject, [this] { openProjectFile(); });
    addWindowKeys(this, KeyCommand::SaveProject, [this] { saveProjectFile(); });
    addWindowKeys(this, KeyCommand::Quit, [this] { closeProgram(); });
    addWindowKeys(this, KeyCommand::Quantification, [this] { app_.showQuantification(); });
    addWindowKeys(this, KeyCommand::OptimiseAll, [this] { app_.run(tr("Optimise All"), optimiseAllCommand); });
    new EditActions(app_, this);
}

void MainWindow::buildRegionGrid(QGridLayout* grid) {
    auto* regionHeading = new QLabel(tr("Region"));
    regionHeading->setObjectName(QStringLiteral("Label1"));
    auto* peaksHeading = new QLabel(tr("Peaks"));
    peaksHeading->setObjectName(QStringLiteral("Label2"));
    auto* chiHeading = new QLabel(QStringLiteral("χ²"));
    chiHeading->setObjectName(QStringLiteral("Label5"));
    chiHeading->setToolTip(
        tr("Fit statistic of each region: the mean of the squared residual weighted by 1/|data|"));
    grid->addWidget(regionHeading, 0, 0);
    grid->addWidget(peaksHeading, 0, 1, 1, kPeaksPerRegion, Qt::AlignHCenter);
    grid->addWidget(chiHeading, 0, kPeaksPerRegion + 1, Qt::AlignHCenter);

    for (int r = 0; r < kRegionCount; ++r) {
        QPushButton* reg = smallButton(QStringLiteral("reg%1").arg(r), QString::number(r + 1));
        reg->setToolTip(tr("Show region %1 in the spectrum window").arg(r + 1));
        connect(reg, &QPushButton::clicked, this,
                [this, r] { app_.run([r](Session& s) { selectRegion(s, r); }); });
        regionButtons_[r] = reg;
        grid->addWidget(reg, r + 1, 0);
        for (int s = 0; s < kPeaksPerRegion; ++s) {
            const int button = peakButtonIndex(r, s);
            QPushButton* pp = smallButton(QStringLiteral("pp%1").arg(button), QString());
            // Every peak button as wide as the widest caption ("50"), so the grid stays even.
            pp->setFixedWidth(pp->fontMetrics().horizontalAdvance(QStringLiteral("00")) + 24);
            pp->setEnabled(false);
            pp->setToolTip(tr("Open this peak in the peak dialog"));
            connect(pp, &QPushButton::clicked, this, [this, button] {
                app_.run([button](Session& session) { openPeakDialog(session, button); });
            });
            peakButtons_[button] = pp;
            grid->addWidget(pp, r + 1, s + 1);
        }
        auto* chi = new QLineEdit;
        chi->setObjectName(QStringLiteral("chi%1").arg(r));
        chi->setReadOnly(true);
        chi->setMinimumWidth(chi->fontMetrics().horizontalAdvance(QStringLiteral(" 0.0000000 ")));
        chi->setToolTip(chiHeading->toolTip());
        chiBoxes_[r] = chi;
        grid->addWidget(chi, r + 1, kPeaksPerRegion + 1);
    }
}

QWidget* MainWindow::buildCommands() {
    auto* commands = new QWidget;
    auto* row = new QHBoxLayout(commands);
    row->setContentsMargins(0, 0, 0, 0);

    auto* frame = new QGroupBox(tr("Description"));
    frame->setObjectName(QStringLiteral("Frame3"));
    auto* frameLayout = new QVBoxLayout(frame);
    description_ = new QPlainTextEdit;
    description_->setObjectName(QStringLiteral("Desc"));
    description_->setFixedHeight(description_->fontMetrics().lineSpacing() * kDescriptionLines + 12);
    description_->setToolTip(tr("Stored in the project file (the first 128 characters)"));
    connect(description_, &QPlainTextEdit::textChanged, this, [this] {
        app_.workspace().description = fromQt(description_->toPlainText());
        app_.recordStep(tr("Edit Description"), true);
    });
    frameLayout->addWidget(description_);
    row->addWidget(frame, 1);

    auto* buttons = new QGridLayout;
    const auto addButton = [&](const char* name, const QString& text, int r, int c, auto handler) {
        auto* button = new QPushButton(text);
        button->setObjectName(QString::fromLatin1(name));
        connect(button, &QPushButton::clicked, this, handler);
        buttons->addWidget(button, r, c);
        return button;
    };
    addButton("Open", tr("&Open XPS"), 0, 0, [this] {
        openProjectFile();
    })->setToolTip(withKeys(tr("Open a project file"), KeyCommand::OpenProject));
    addButton("Save", tr("&Save XPS"), 0, 1, [this] {
        saveProjectFile();
    })->setToolTip(withKeys(tr("Save every region in a project file"), KeyCommand::SaveProject));
    addButton("Command1", tr("O&ptions"), 1, 0, [this] { app_.run(loadOptionsDialog); });
    addButton("OptimiseAllRegions", tr("Optimise &All"), 1, 1, [this] {
        app_.run(tr("Optimise All"), optimiseAllCommand);
    })->setToolTip(withKeys(tr("Fit every peak of every region with an accepted background"), KeyCommand::OptimiseAll));
    addButton("QuantificationButton", tr("&Quantification"), 3, 0, [this] {
        app_.showQuantification();
    })->setToolTip(withKeys(tr("Atomic concentrations of every region that names its core level"),
                            KeyCommand::Quantification));
    addButton("Close", tr("&Close"), 2, 1, [this] {
        closeProgram();
    })->setToolTip(withKeys(tr("End the program, asking first about unsaved changes"), KeyCommand::Quit));
    auto* sumRow = new QHBoxLayout;
    auto* sumLabel = new QLabel(QStringLiteral("Σχ²"));
    sumLabel->setObjectName(QStringLiteral("Label3"));
    sumLabel->setToolTip(tr("The sum of the regions' χ²"));
    sumChi_ = new QLabel;
    sumChi_->setObjectName(QStringLiteral("SumCS"));
    sumChi_->setMinimumWidth(sumChi_->fontMetrics().horizontalAdvance(QStringLiteral(" 0.0000000 ")));
    sumRow->addWidget(sumLabel);
    sumRow->addWidget(sumChi_, 1);
    buttons->addLayout(sumRow, 2, 0);
    row->addLayout(buttons);
    return commands;
}

void MainWindow::refresh() {}

void MainWindow::setChiText(int region, const QString& text) {
    chiBoxes_.at(region)->setText(text);
}

void MainWindow::setSumChiText(const QString& text) {
    sumChi_->setText(text);
}

void MainWindow::setPeakButtonCaption(int button, const QString& caption) {
    peakButtons_.at(button)->setText(caption);
}

void MainWindow::setPeakButtonEnabled(int button, bool enabled) {
    peakButtons_.at(button)->setEnabled(enabled);
}

void MainWindow::setRegionColour(int region, RegionColour colour) {
    regionButtons_.at(region)->setStyleSheet(colourStyle(colour));
}

void MainWindow::setDescription(const QString& text) {
    // The workspace already holds the text: showing it is no edit of the user's.
    const QSignalBlocker quiet(description_);
    if (description_->toPlainText() != text) description_->setPlainText(text);
}

void MainWindow::clearFitVerdicts() {
    fitStatus_->clear();
}

void MainWindow::addFitVerdict(const QString& text) {
    fitStatus_->setText(fitStatus_->text().isEmpty() ? text
                                                     : fitStatus_->text() + QStringLiteral("; ") + text);
}

void MainWindow::openProjectFile() {
    Workspace& ws = app_.workspace();
    ws.fileName.clear();
    const auto path = app_.files().openFile(tr("Open file"), kProjectFilter);
    if (!path) return;
    ws.fileName = path->toStdString();
    bool opened = false;
    app_.run(tr("Open XPS"), [&opened](Session& s) { opened = openProject(s); });
    if (opened) app_.markSaved();
}

bool MainWindow::saveProjectFile() {
    Workspace& ws = app_.workspace();
    const QString proposed = app_.files().proposedName(QStringLiteral("xps"));
    ws.fileName.clear();
    const auto path = app_.files().saveFile(tr("Open file"), kProjectFilter, proposed);
    if (!path) return false;
    ws.fileName = path->toStdString();
    bool saved = false;
    app_.run([&saved](Session& s) { saved = saveProjectCommand(s); });
    if (saved) app_.markSaved();
    return saved;
}

bool MainWindow::confirmClose() {
    if (!app_.hasUnsavedChanges()) {
        app_.discardChanges();
        return true;
    }
    switch (app_.prompter().askSaveChanges()) {
        case SaveChoice::Save:
            return saveProjectFile();
        case SaveChoice::Discard:
            app_.discardChanges();
            return true;
        case SaveChoice::Cancel:
            break;
    }
    return false;
}

void MainWindow::closeProgram() {
    if (!confirmClose()) return;
    // Ending closes every window, this one included: the question is not asked again.
    ending_ = true;
    QApplication::quit();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!ending_ && !confirmClose()) {
        event->ignore();
        return;
    }
    ending_ = true;
    event->accept();
    QApplication::quit();
}

}  // namespace vortlan::ui
