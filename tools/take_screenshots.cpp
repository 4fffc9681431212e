// Takes the pictures of docs/user-guide.md: the desktop program driven along the guide's first fit of
// the C 1s example, then its quantification beside a Ti 2p and an O 1s, each window saved as it stands
// at its step.
//
//     vortlan-screenshots SOURCE_DIR OUTPUT_DIR      (tools/take-screenshots runs it)

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <deque>
#include <stdexcept>

#include "ui/application.h"
#include "ui/file_dialogs.h"
#include "ui/prompter.h"

namespace {

using vortlan::ui::FileFilter;

// Messages go to standard error (the guide's road shows none); nothing is ever asked.
class PrintingPrompter : public vortlan::ui::Prompter {
  public:
    void message(const QString& text) override { std::fprintf(stderr, "message: %s\n", qPrintable(text)); }
    bool askYesNo(const QString&, const QString&, vortlan::ui::ReturnAnswers) override { return false; }
    void beep() override {}
    std::optional<int> chooseItem(const QString&, const QString&, const QStringList&, int preselected) override {
        return preselected;
    }
    std::optional<int> askNumber(const QString&, const QString&, int value, int, int) override {
        return value;
    }
    vortlan::ui::SaveChoice askSaveChanges() override { return vortlan::ui::SaveChoice::Cancel; }
};

// Each file dialog answers with the next name given.
class ListedFiles : public vortlan::ui::FileDialogs {
  public:
    std::optional<QString> openFile(const QString&, const FileFilter&) override { return next(); }
    std::optional<QString> saveFile(const QString&, const FileFilter&, const QString&) override { return next(); }
    std::deque<QString> names;

  private:
    std::optional<QString> next() {
        if (names.empty()) return std::nullopt;
        lastName = names.front();
        names.pop_front();
        return lastName;
    }
};

class GuideRoad {
  public:
    GuideRoad(const QString& source, const QString& output) : source_(source), output_(output) {
        app_.start();
    }

    void run() {
        save("XPSForm", "start-main");
        click("reg0");
        files_.names.push_back(source_ + "/examples/c1s.vms");
        trigger("Import_VAMAS");
        save("SpecForm", "imported");

        trigger("Background");
        save("BGForm", "background");
        // A Low BE below the data is put back to the data's end, and the dialog says so.
        type("LBE", "100");
        click("BGAccept");
        save("BGForm", "background-refused");
        click("BGAccept");
        save("SpecForm", "background-accepted");

        addPeak("284.8", "20000", true);
        addPeak("286.3", "5000", false);
        addPeak("287.8", "2000", false);
        addPeak("289.0", "3000", false);
        save("SpecForm", "peaks-added");

        // Peak 3's FWHM follows peak 2's.
        click("pp3");
        click("FWHMCnt");
        find<QAbstractButton>("Use")->click();
        type("RefPeak", "2");
        type("Arg", "0");
        save("CntForm", "constraint");
        click("CntOK");
        click("PeakAccept");

        // The fitting window is taken while the fit runs, at its first look at the event queue.
        QTimer::singleShot(0, [this] { save("FittingForm", "fitting"); });
        trigger("OptimiseRegion");
        save("SpecForm", "fitted");
        save("XPSForm", "fitted-main");

        trigger("ShowPeakTable");
        save("PeakTable", "peak-table");
        find("PeakTable")->close();

        // A rectangle dragged round the shoulders of the main peak.
        dragOnPlot({0.30, 0.15}, {0.62, 0.62});
        save("SpecForm", "zoomed");
        keyOnPlot(Qt::Key_Home);

        // The first peak after the fit, with the standard error beside each value.
        click("pp0");
        save("PeakForm", "peak-fitted");
        click("PeakCancel");

        quantifyTitania();

        click("Command1");  // "Options"
        save("OptForm", "options");
    }

  private:
    // Ti 2p of the example and an O 1s made here, beside the C 1s: the sample's composition.
    void quantifyTitania() {
        click("reg1");
        files_.names.push_back(source_ + "/examples/ti2p.vms");
        trigger("Import_VAMAS");
        trigger("Background");
        click("BGAccept");
        addDoublet("458.8", "36000", "5.7");

        click("reg2");
        files_.names.push_back(writeOxygenSpectrum());
        trigger("ImportAsc");
        trigger("RegionCaption");
        type("Text", "O 1s");
        click("RCaptioOK");
        trigger("Background");
        click("BGAccept");
        addPeak("530.0", "22000", false);
        addPeak("531.6", "4500", false);

        // An imported text file names no level: the user gives it.
        trigger("CoreLevel");
        type("Level", "o 1s");
        save("CoreLevelForm", "core-level");
        click("CoreLevelOK");

        click("OptimiseAllRegions");
        click("QuantificationButton");
        save("Quantification", "quantification");
        find("Quantification")->close();
    }

    // The O 1s of titania with some hydroxide, as two columns of binding energy and counts.
    QString writeOxygenSpectrum() {
        const QString path = spectra_.filePath(QStringLiteral("o1s.txt"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
            throw std::runtime_error("cannot write " + path.toStdString());
        QTextStream out(&file);
        const auto line = [](double e, double centre, double area, double fwhm) {
            const double u = 2.0 * (e - centre) / fwhm;
            return area / (1.0645 * fwhm) * std::exp(-0.6931471806 * u * u);
        };
        for (int i = 0; i <= 160; ++i) {
            const double e = 540.0 - 0.1 * i;
            const double background = 3000.0 + 700.0 / (1.0 + std::exp(-(e - 530.5) / 0.6));
            const double counts = background + line(e, 530.0, 22000.0, 1.2) + line(e, 531.6, 4500.0, 1.5);
            out << QString::number(e, 'f', 2) << '\t' << QString::number(std::round(counts)) << '\n';
        }
        return path;
    }

    void addDoublet(const char* position, const char* area, const char* splitting) {
        trigger("AddPeak");
        auto* type = find<QComboBox>("PeakType");
        type->setCurrentText(QStringLiteral("p"));
        this->type("PosVal", position);
        this->type("AreaVal", area);
        this->type("FWHMVal", "1.2");
        this->type("GLVal", "30");
        this->type("SplittingVal", splitting);
        click("ReDraw");
        click("PeakAccept");
    }

    void addPeak(const char* position, const char* area, bool picture) {
        trigger("AddPeak");
        type("PosVal", position);
        type("AreaVal", area);
        type("FWHMVal", "1.2");
        type("GLVal", "30");
        click("ReDraw");
        if (picture) save("PeakForm", "peak");
        click("PeakAccept");
    }

    template <typename Widget = QWidget>
    Widget* find(const char* name) {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() == QLatin1String(name)) return qobject_cast<Widget*>(top);
            if (auto* widget = top->findChild<Widget*>(QString::fromLatin1(name))) return widget;
        }
        throw std::runtime_error(std::string("no control named ") + name);
    }
    void click(const char* button) { find<QAbstractButton>(button)->click(); }
    void trigger(const char* action) {
        auto* a = find("SpecForm")->findChild<QAction*>(QString::fromLatin1(action));
        if (a == nullptr) throw std::runtime_error(std::string("no command named ") + action);
        a->trigger();
    }
    void type(const char* box, const QString& text) {
        auto* edit = find<QLineEdit>(box);
        edit->setText(text);
        emit edit->textEdited(text);
    }
    // A left-button drag between two points given as fractions of the plot's width and height.
    void dragOnPlot(QPointF from, QPointF to) {
        QWidget* plot = find("Plot");
        const auto at = [plot](QPointF f) { return QPointF(f.x() * plot->width(), f.y() * plot->height()); };
        const auto send = [plot](QEvent::Type type, QPointF p, Qt::MouseButtons buttons) {
            QMouseEvent event(type, p, plot->mapToGlobal(p), Qt::LeftButton, buttons, Qt::NoModifier);
            QApplication::sendEvent(plot, &event);
        };
        send(QEvent::MouseButtonPress, at(from), Qt::LeftButton);
        send(QEvent::MouseMove, at(to), Qt::LeftButton);
        send(QEvent::MouseButtonRelease, at(to), Qt::NoButton);
    }
    void keyOnPlot(Qt::Key key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(find("Plot"), &event);
    }
    void save(const char* window, const char* picture) {
        QApplication::processEvents();
        const QString path = output_ + "/" + picture + ".png";
        if (!find(window)->grab().save(path)) throw std::runtime_error("cannot write " + path.toStdString());
        std::printf("%s\n", qPrintable(path));
    }

    QString source_;
    QString output_;
    PrintingPrompter prompter_;
    ListedFiles files_;
    // The pictures' recovery copies stay out of the user's own folder, and none is offered.
    QTemporaryDir recoveryFolder_;
    QTemporaryDir spectra_;  // spectra made for the pictures
    vortlan::ui::Application app_{prompter_, files_, recoveryFolder_.path().toStdString()};
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SOURCE_DIR OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    QApplication qt(argc, argv);
    // The View menu's settings start at their defaults, whatever the user chose for the real program.
    QStandardPaths::setTestModeEnabled(true);
    QSettings(QStringLiteral("Vortlan"), QStringLiteral("Vortlan")).remove(QStringLiteral("View"));
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(output);
    // The shipped options, as `make run` gives them.
    QDir::setCurrent(source);
    try {
        GuideRoad road(source, output);
        road.run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vortlan-screenshots: %s\n", e.what());
        return 1;
    }
    return 0;
}
