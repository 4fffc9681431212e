#include "ui/spectrum_window.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenuBar>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QSettings>
#include <functional>

#include "fit/monte_carlo.h"
#include "plot/painter_surface/painter_surface.h"
#include "plot/painter_surface/region_pictures.h"
#include "session/background_dialog.h"
#include "session/import_kratos.h"
#include "session/import_text.h"
#include "session/import_vamas.h"
#include "session/region_dialogs.h"
#include "session/region_operations.h"
#include "session/region_parameters.h"
#include "session/spectrum_commands.h"
#include "session/startup.h"
#include "ui/application.h"
#include "ui/core_level_window.h"
#include "ui/key_map.h"
#include "ui/main_window.h"
#include "ui/edit_actions.h"
#include "ui/peak_table_window.h"
#include "ui/peak_window.h"
#include "ui/printing_window.h"
#include "ui/text.h"
#include "ui/window_placement.h"

namespace vortlan::ui {

namespace {

const FileFilter kKratosFilter{QStringLiteral("Kratos Files (*.des) "), QStringLiteral("*.des")};
const FileFilter kLeyboldFilter{QStringLiteral("ASCII Files (*.dat) "), QStringLiteral("*.dat")};
const FileFilter kPhiFilter{QStringLiteral("ASCII Files (*.asc) "), QStringLiteral("*.asc")};
const FileFilter kVamasFilter{QStringLiteral("VAMAS Files (*.*) "), QStringLiteral("*.*")};
const FileFilter kAsciiFilter{QStringLiteral("ASCII Files (*.*) "), QStringLiteral("*.*")};
const FileFilter kRegionParameterFilter{QStringLiteral("Region Parameter Files (*.rpa) "),
                                        QStringLiteral("*.rpa")};
const FileFilter kSpectrumExportFilter{QStringLiteral("Data Files (*.dat) "), QStringLiteral("*.dat")};
const FileFilter kPeakExportFilter{QStringLiteral("Data Files (*.par) "), QStringLiteral("*.par")};
const FileFilter kFitReportFilter{QStringLiteral("CSV Files (*.csv) "), QStringLiteral("*.csv")};

QStringList qtLines(const std::vector<std::string>& lines) {
    QStringList shown;
    for (const std::string& line : lines) shown << toQt(line);
    return shown;
}

// The replicas first offered for Monte Carlo errors: enough for errors good to about 7 %.
constexpr int kOfferedReplicas = 100;

// The View settings as the program remembers them between runs, in the user's settings of the program
// (named here, so that they do not depend on the application object's names).
constexpr const char* kSettingsOwner = "Vortlan";
constexpr const char* kResidualsSetting = "View/Residuals";
constexpr const char* kColourCurvesSetting = "View/ColourCurves";
constexpr const char* kColourPrintedSetting = "View/ColourPrinted";

// A checkable View entry that starts as remembered (or at its default) and remembers every change.
QAction* addSetting(QMenu* menu, const char* name, const QString& text, const char* key, bool byDefault,
                    const std::function<void(bool)>& apply) {
    QAction* a = menu->addAction(text);
    a->setObjectName(QString::fromLatin1(name));
    a->setCheckable(true);
    const QSettings settings(kSettingsOwner, kSettingsOwner);
    a->setChecked(settings.value(QString::fromLatin1(key), byDefault).toBool());
    apply(a->isChecked());
    QObject::connect(a, &QAction::toggled, menu, [key, apply](bool on) {
        QSettings(kSettingsOwner, kSettingsOwner).setValue(QString::fromLatin1(key), on);
        apply(on);
    });
    return a;
}


}  // namespace

SpectrumWindow::SpectrumWindow(Application& app) : app_(app) {
    setObjectName(QStringLiteral("SpecForm"));
    setWindowTitle(QString::fromLatin1(kSpectrumWindowCaption));
    canvas_ = new PlotCanvas(app);
    setCentralWidget(canvas_);
    buildMenus();
    coreLevel_ = new CoreLevelWindow(app, this);
    resize(kInitialPlotWidth * 2, kInitialPlotHeight * 2);
}

void SpectrumWindow::placeBeside(const QWidget& mainWindow) {
    // Not yet shown, the window has no frame of its own: it will get one like the main window's.
    const QRect mainFrame = mainWindow.frameGeometry();
    const QRect mainClient = mainWindow.geometry();
    const QMargins margins(mainClient.left() - mainFrame.left(), mainClient.top() - mainFrame.top(),
                           mainFrame.right() - mainClient.right(), mainFrame.bottom() - mainClient.bottom());
    const QSize border(margins.left() + margins.right(), margins.top() + margins.bottom());
    const QRect frame = frameBeside(mainFrame, size() + border, minimumSizeHint() + border,
                                    mainWindow.screen()->availableGeometry());
    setGeometry(frame.marginsRemoved(margins));
}

bool SpectrumWindow::regionHoldsData() const {
    return isTrue(currentRegionOf(app_.workspace()).defined);
}

bool SpectrumWindow::regionFitted() const {
    const Region& r = currentRegionOf(app_.workspace());
    return isTrue(r.defined) && isTrue(r.backgroundSet);
}

void SpectrumWindow::buildMenus() {
    QMenuBar* bar = menuBar();
    const auto action = [this](QMenu* menu, const char* name, const QString& text, auto handler) {
        QAction* a = menu ? menu->addAction(text) : menuBar()->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    QMenu* data = bar->addMenu(tr("&Data"));
    data->setObjectName(QStringLiteral("Data"));
    action(data, "Import_Kratos", tr("Import (&Kratos)"), [this] {
        importWith(tr("Import (Kratos)"), tr("Import Kratos Ascii format"), kKratosFilter,
                   [](Session& s) { importKratos(s); });
    });
    action(data, "Import_Leybold", tr("Import (&Leybold)"), [this] {
        importWith(tr("Import (Leybold)"), tr("Import Leybold Ascii format"), kLeyboldFilter,
                   [](Session& s) { importLeybold(s); });
    });
    action(data, "Import_Phi", tr("Import (P&hi)"), [this] {
        importWith(tr("Import (Phi)"), tr("Import Phi Ascii format"), kPhiFilter,
                   [](Session& s) { importPhi(s); });
    });
    commands_.importVamas = action(data, "Import_VAMAS", tr("Import (&VAMAS)"), [this] { importVamasFile(); });
    bindKeys(commands_.importVamas, KeyCommand::ImportVamas);
    action(data, "ImportAsc", tr("Import (&ASCII)"), [this] {
        importWith(tr("Import (ASCII)"), tr("Import Ascii format (BE  Intensity)"), kAsciiFilter,
                   [](Session& s) { importAscii(s); });
    });
    data->addSeparator();
    commands_.exportSpectrum = action(data, "Export", tr("&Export (Spectrum)"), [this] {
        if (regionHoldsData())
            saveWith(tr("Export Spectral and Fitted data in Ascii format"), kSpectrumExportFilter, "dat",
                     exportSpectrumCommand);
    });
    bindKeys(commands_.exportSpectrum, KeyCommand::ExportSpectrum);
    commands_.exportPeaks = action(data, "ExportPeakParameters", tr("Export (&Peak Parameters)"), [this] {
        if (regionFitted())
            saveWith(tr("Export peak parameters"), kPeakExportFilter, "par",
                     [](Session& s) { exportPeakParametersCommand(s); });
    });
    commands_.exportReport =
        action(data, "ExportFitReport", tr("Export (&Fit Report)"), [this] { exportFitReport(false); });
    commands_.exportMonteCarlo = action(data, "ExportFitReportMonteCarlo",
                                        tr("Export (Fit Report with &Monte Carlo)..."),
                                        [this] { exportFitReport(true); });
    bindKeys(action(data, "ExportClip", tr("Export to &clipboard"), [this] { copyPicture(); }), KeyCommand::Copy);
    data->addSeparator();
    commands_.print = action(data, "PrintG", tr("P&rint Spectrum"), [this] { print(false); });
    bindKeys(commands_.print, KeyCommand::Print);
    commands_.printTable =
        action(data, "Printwithpeakparameters", tr("Print &with peak parameters"), [this] { print(true); });
    buildEditMenu();

    commands_.background = action(nullptr, "Background", tr("&Background"), [this] {
        if (regionHoldsData()) app_.run(openBackgroundDialog);
    });
    bindKeys(commands_.background, KeyCommand::Background);
    commands_.addPeak = action(nullptr, "AddPeak", tr("&Add Peak"),
                               [this] { app_.run(tr("Add Peak"), [](Session& s) { addPeak(s); }); });
    bindKeys(commands_.addPeak, KeyCommand::AddPeak);

    QMenu* parameters = bar->addMenu(tr("&Parameters"));
    parameters->setObjectName(QStringLiteral("RegionParameters"));
    action(parameters, "RegionCaption", tr("Region &Caption"), [this] { app_.run(openRegionCaptionDialog); });
    action(parameters, "LoadRegionParameters", tr("&Load Region Parameters"),
           [this] { loadRegionParametersFile(); });
    commands_.saveParameters = action(parameters, "SaveRegionParameters", tr("&Save Region Parameters"), [this] {
        if (isTrue(currentRegionOf(app_.workspace()).backgroundSet))
            saveWith(tr("Save region parameters"), kRegionParameterFilter, "rpa",
                     [](Session& s) { saveRegionParametersCommand(s); });
    });
    action(parameters, "ClearParameters", tr("Clear &Parameters"),
           [this] { app_.run(tr("Clear Parameters"), clearParameters); });
    action(parameters, "Delete_Region", tr("&Delete Region"),
           [this] { app_.run(tr("Delete Region"), [](Session& s) { deleteRegionCommand(s); }); });
    action(parameters, "RegionShift", tr("Region S&hift"), [this] { app_.run(openRegionShiftDialog); });
    commands_.coreLevel = action(parameters, "CoreLevel", tr("Core Le&vel"), [this] {
        if (regionHoldsData()) coreLevel_->openForCurrentRegion();
    });
    commands_.coreLevel->setToolTip(
        tr("The element and level the region measures, and its sensitivity factor"));

    commands_.optimiseRegion = action(nullptr, "OptimiseRegion", tr("&Optimise Region"),
                                      [this] { app_.run(tr("Optimise Region"), optimiseRegionCommand); });
    bindKeys(commands_.optimiseRegion, KeyCommand::OptimiseRegion);
    commands_.redisplay = action(nullptr, "ReDisplay", tr("&ReDisplay"), [this] {
        if (regionHoldsData()) app_.run(redisplay);
    });
    bindKeys(commands_.redisplay, KeyCommand::ReDisplay);
    buildViewMenu();
    for (QMenu* menu : bar->findChildren<QMenu*>()) menu->setToolTipsVisible(true);
    // The project's keys mean here what they mean in the main window.
    addWindowKeys(this, KeyCommand::OpenProject, [this] { app_.mainWindow().openProjectFile(); });
    addWindowKeys(this, KeyCommand::SaveProject, [this] { app_.mainWindow().saveProjectFile(); });
    addWindowKeys(this, KeyCommand::Quit, [this] { app_.mainWindow().closeProgram(); });
}

void SpectrumWindow::refresh() {
    const Region& r = currentRegionOf(app_.workspace());
    const bool holdsData = isTrue(r.defined);
    const bool fitted = holdsData && isTrue(r.backgroundSet);
    for (QAction* a : {commands_.exportSpectrum, commands_.print, commands_.printTable, commands_.background,
                       commands_.redisplay, commands_.coreLevel})
        a->setEnabled(holdsData);
    for (QAction* a : {commands_.exportPeaks, commands_.exportReport, commands_.exportMonteCarlo,
                       commands_.saveParameters, commands_.optimiseRegion})
        a->setEnabled(fitted);
    commands_.addPeak->setEnabled(fitted && canAddPeak(app_.workspace()));
}

void SpectrumWindow::buildViewMenu() {
    QMenu* view = menuBar()->addMenu(tr("&View"));
    view->setObjectName(QStringLiteral("View"));
    QAction* table = view->addAction(tr("Peak &Table"));
    table->setObjectName(QStringLiteral("ShowPeakTable"));
    table->setToolTip(tr("Every peak of the region with its values and standard errors"));
    bindKeys(table, KeyCommand::PeakTable);
    connect(table, &QAction::triggered, this, [this] {
        PeakTableWindow& window = app_.peakTableWindow();
        window.show();
        window.raise();
        window.activateWindow();
    });
    QAction* quantification = view->addAction(tr("&Quantification"));
    quantification->setObjectName(QStringLiteral("ShowQuantification"));
    quantification->setToolTip(tr("Atomic concentrations of every region that names its core level"));
    bindKeys(quantification, KeyCommand::Quantification);
    connect(quantification, &QAction::triggered, this, [this] { app_.showQuantification(); });
    view->addSeparator();
    addSetting(view, "Residuals", tr("&Residuals"), kResidualsSetting, true, [this](bool on) {
        PlotStyle style = canvas_->style();
        style.residuals = on;
        canvas_->setStyle(style);
    });
    addSetting(view, "ColourCurves", tr("&Colour curves"), kColourCurvesSetting, true, [this](bool on) {
        PlotStyle style = canvas_->style();
        style.colour = on;
        canvas_->setStyle(style);
    });
    addSetting(view, "ColourPrinted", tr("Colour on &printed page and clipboard"), kColourPrintedSetting,
               false, [this](bool on) { printedColour_ = on; });
}

void SpectrumWindow::buildEditMenu() {
    auto* edit = new EditActions(app_, this);
    QMenu* menu = menuBar()->addMenu(tr("&Edit"));
    menu->setObjectName(QStringLiteral("Edit"));
    menu->addAction(edit->undo());
    menu->addAction(edit->redo());
}

void SpectrumWindow::importWith(const QString& command, const QString& title, const FileFilter& filter,
                                const std::function<void(Session&)>& import) {
    Workspace& ws = app_.workspace();
    ws.fileName.clear();
    const auto path = app_.files().openFile(title, filter);
    if (!path) return;
    ws.fileName = path->toStdString();
    app_.run(command, import);
}

void SpectrumWindow::importVamasFile() {
    Workspace& ws = app_.workspace();
    ws.fileName.clear();
    const auto path = app_.files().openFile(tr("Import VAMAS format"), kVamasFilter);
    if (!path) return;
    ws.fileName = path->toStdString();
    // A file of several blocks lets the user choose one; the first XPS block is offered first.  Blocks
    // that cannot be imported are not offered, and the chooser says which and why.
    const auto choice = vamasBlockChoice(ws.fileName);
    if (!choice || choice->nothingToAsk()) {
        app_.run(tr("Import (VAMAS)"), [](Session& s) { importVamas(s); });
        return;
    }
    const QString leftOut = qtLines(choice->leftOut).join(QLatin1Char('\n'));
    if (choice->blocks.empty()) {
        app_.prompter().message(tr("Nothing in this file can be imported:") + "\n" + leftOut);
        return;
    }
    QString label = tr("Block to import:");
    if (!leftOut.isEmpty()) label += "\n\n" + tr("Left out:") + "\n" + leftOut;
    const auto chosen = app_.prompter().chooseItem(tr("Import VAMAS format"), label, qtLines(choice->items),
                                                   choice->preselected);
    if (!chosen) return;
    const int block = choice->blocks.at(static_cast<std::size_t>(*chosen));
    app_.run(tr("Import (VAMAS)"), [block](Session& s) { importVamasBlock(s, block); });
}

void SpectrumWindow::saveWith(const QString& title, const FileFilter& filter, const QString& extension,
                              const std::function<void(Session&)>& write) {
    Workspace& ws = app_.workspace();
    const QString proposed = app_.files().proposedName(extension);
    ws.fileName.clear();
    const auto path = app_.files().saveFile(title, filter, proposed);
    if (!path) return;  // a cancel is no error: nothing written, nothing said
    ws.fileName = path->toStdString();
    app_.run(write);
}

void SpectrumWindow::exportFitReport(bool withMonteCarlo) {
    if (!regionFitted()) return;
    int replicas = 0;
    if (withMonteCarlo) {
        const auto asked = app_.prompter().askNumber(tr("Fit Report with Monte Carlo"),
                                                     tr("Replicas to fit (on every core):"), kOfferedReplicas,
                                                     1, kMaxReplicas);
        if (!asked) return;  // cancelled: nothing asked further, nothing said
        replicas = *asked;
    }
    saveWith(tr("Export fit report"), kFitReportFilter, "csv",
             [replicas](Session& s) { exportFitReportCommand(s, replicas); });
}

void SpectrumWindow::loadRegionParametersFile() {
    Workspace& ws = app_.workspace();
    ws.fileName.clear();
    const auto path = app_.files().openFile(tr("Load Region Parameters"), kRegionParameterFilter);
    if (!path) {
        app_.run(loadDialogCancelled);
        return;
    }
    ws.fileName = path->toStdString();
    app_.run(tr("Load Region Parameters"), [](Session& s) { loadRegionParameters(s); });
}

void SpectrumWindow::print(bool withTable) {
    if (!regionHoldsData()) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    app_.printingWindow().show();
    QCoreApplication::processEvents();
    QPainter painter;
    if (painter.begin(&printer)) {
        const QRectF area = printer.pageLayout().paintRectPixels(printer.resolution());
        const double pixelScale = printer.resolution() / 96.0;
        renderRegion(painter, QRectF(QPointF(0, 0), area.size()), pixelScale, app_.workspace(),
                     app_.workspace().currentRegion,
                     withTable ? PictureLayout::PageWithTable : PictureLayout::Page, false, printedStyle());
        painter.end();
    }
    app_.printingWindow().hide();
}

void SpectrumWindow::copyPicture() {
    QGuiApplication::clipboard()->setImage(clipboardPicture(app_.workspace(), printedStyle()));
}

}  // namespace vortlan::ui
