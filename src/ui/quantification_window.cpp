#include "ui/quantification_window.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "plot/palette.h"
#include "session/quantification_view.h"
#include "ui/application.h"
#include "ui/fitting_window.h"
#include "ui/form_controls.h"
#include "ui/key_map.h"
#include "ui/text.h"
#include "ui/widget_sync.h"

namespace vortlan::ui {

namespace {

constexpr double kAlKalpha = 1486.6;
constexpr double kMgKalpha = 1253.6;
constexpr int kSwatchSize = 12;

struct Heading {
    const char* text;
    const char* toolTip;
};

// Indexed by QuantColumn.
const std::array<Heading, kQuantColumns> kHeadings = {{
    {QT_TRANSLATE_NOOP("QuantificationWindow", "Region"), ""},
    {QT_TRANSLATE_NOOP("QuantificationWindow", "Level"), ""},
    {QT_TRANSLATE_NOOP("QuantificationWindow", "Area"),
     QT_TRANSLATE_NOOP("QuantificationWindow",
                       "The sum of the region's peak areas, or its "
                       "background-subtracted area over the fit range")},
    {QT_TRANSLATE_NOOP("QuantificationWindow", "Area ±"),
     QT_TRANSLATE_NOOP("QuantificationWindow",
                       "One standard deviation of the area: from the fit's standard errors, or for a "
                       "background-subtracted area from counting statistics or the data's scatter (the "
                       "note says which); an area below three times it is not detected")},
    {QT_TRANSLATE_NOOP("QuantificationWindow", "Factor"),
     QT_TRANSLATE_NOOP("QuantificationWindow",
                       "The sensitivity factor: the level's cross-section "
                       "relative to C 1s, corrected for the kinetic energy")},
    {QT_TRANSLATE_NOOP("QuantificationWindow", "Corrected area"),
     QT_TRANSLATE_NOOP("QuantificationWindow", "The area divided by the factor")},
    {QT_TRANSLATE_NOOP("QuantificationWindow", "At.%"),
     QT_TRANSLATE_NOOP("QuantificationWindow",
                       "Atomic per cent: the corrected area's share of the "
                       "counted regions' corrected areas")},
    {QT_TRANSLATE_NOOP("QuantificationWindow", "±1σ"),
     QT_TRANSLATE_NOOP("QuantificationWindow",
                       "One standard deviation of the atomic per cent; for a row not detected, the atomic "
                       "per cent its area plus three standard deviations would have")},
    {QT_TRANSLATE_NOOP("QuantificationWindow", "Note"), ""},
}};

QIcon swatchOf(int slot) {
    const Colour c = peakColour(slot);
    QPixmap swatch(kSwatchSize, kSwatchSize);
    swatch.fill(QColor(c.red, c.green, c.blue));
    return QIcon(swatch);
}

bool isNumberColumn(int column) {
    return column >= QuantAreaColumn && column <= QuantPercentErrorColumn;
}

// Texts are touched only where they changed, so a refresh keeps the user's selection.
void showCells(QTreeWidgetItem* item, const QuantCells& cells) {
    for (int c = 0; c < kQuantColumns; ++c) {
        const QString text = toQt(cells[static_cast<std::size_t>(c)]);
        if (item->text(c) != text) item->setText(c, text);
        if (isNumberColumn(c)) item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    }
}

// Exactly `count` children (or top-level items when `parent` is null); a new region comes expanded.
void keepItems(QTreeWidget* view, QTreeWidgetItem* parent, int count) {
    const auto have = [&] { return parent ? parent->childCount() : view->topLevelItemCount(); };
    while (have() > count) delete (parent ? parent->child(have() - 1) : view->topLevelItem(have() - 1));
    while (have() < count) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(view);
        item->setExpanded(true);
    }
}

// The slot of a peak in its region, which gives its colour; -1 when the region does not hold it.
int slotOf(const Region& region, int peak) {
    const int count = std::clamp<int>(region.peakCount, 0, kPeaksPerRegion);
    const auto* end = region.peakSlots.begin() + count;
    const auto* found = std::find(region.peakSlots.begin(), end, peak);
    return found == end ? -1 : static_cast<int>(found - region.peakSlots.begin());
}

QDoubleSpinBox* numberBox(const QString& name, double low, double high, int decimals, double step) {
    auto* box = new QDoubleSpinBox;
    box->setObjectName(name);
    box->setRange(low, high);
    box->setDecimals(decimals);
    box->setSingleStep(step);
    // A typed number is taken when the box is left or Return is pressed, not at every keystroke.
    box->setKeyboardTracking(false);
    return box;
}

void showNumber(QDoubleSpinBox* box, double value) {
    if (box->value() == value) return;
    const QSignalBlocker quiet(box);
    box->setValue(value);
}

}  // namespace

QuantificationWindow::QuantificationWindow(Application& app) : app_(app) {
    setObjectName(QStringLiteral("Quantification"));
    setWindowTitle(tr("Quantification"));

    view_ = new QTreeWidget;
    view_->setObjectName(QStringLiteral("QuantRows"));
    view_->setColumnCount(kQuantColumns);
    QStringList headings;
    for (const Heading& h : kHeadings) headings << tr(h.text);
    view_->setHeaderLabels(headings);
    for (int c = 0; c < kQuantColumns; ++c) {
        const char* tip = kHeadings[static_cast<std::size_t>(c)].toolTip;
        if (*tip) view_->headerItem()->setToolTip(c, tr(tip));
        if (isNumberColumn(c)) view_->headerItem()->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    }
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setUniformRowHeights(true);
    view_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    view_->header()->setStretchLastSection(true);

    auto* copyAction = new QAction(tr("Copy"), this);
    copyAction->setObjectName(QStringLiteral("CopyQuantification"));
    bindKeys(copyAction, KeyCommand::Copy);
    connect(copyAction, &QAction::triggered, this, &QuantificationWindow::copy);
    addAction(copyAction);
    view_->addAction(copyAction);
    view_->setContextMenuPolicy(Qt::ActionsContextMenu);

    summary_ = namedLabel(QStringLiteral("QuantificationSummary"), QString());
    summary_->setWordWrap(true);
    auto* copyButton = namedButton(QStringLiteral("QuantCopy"), tr("Copy"),
                                   tr("Put the table on the clipboard as tab-separated text (Ctrl+C)"));
    connect(copyButton, &QPushButton::clicked, this, &QuantificationWindow::copy);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(summary_, 1);
    bottom->addWidget(copyButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildSettings());
    layout->addWidget(view_, 1);
    layout->addLayout(bottom);
    resize(900, 360);
}

QWidget* QuantificationWindow::buildSettings() {
    sourceEnergy_ = numberBox(QStringLiteral("SourceEnergy"), 1.0, 1.0e6, 2, 1.0);
    sourceEnergy_->setSuffix(tr(" eV"));
    sourceEnergy_->setToolTip(tr("The photon energy, for the regions whose file records none"));
    const auto quickChoice = [this](const char* name, const QString& text, double energy) {
        auto* button = namedButton(QString::fromLatin1(name), text, tr("%1 eV").arg(energy, 0, 'f', 1));
        connect(button, &QPushButton::clicked, this, [this, energy] { sourceEnergy_->setValue(energy); });
        return button;
    };
    auto* source = new QHBoxLayout;
    source->addWidget(sourceEnergy_);
    source->addWidget(quickChoice("AlKalpha", tr("Al Kα"), kAlKalpha));
    source->addWidget(quickChoice("MgKalpha", tr("Mg Kα"), kMgKalpha));
    source->addStretch(1);

    imfpExponent_ = numberBox(QStringLiteral("ImfpExponent"), -5.0, 5.0, 2, 0.05);
    imfpExponent_->setToolTip(tr("The inelastic mean free path grows as KE^m"));
    transmissionExponent_ = numberBox(QStringLiteral("TransmissionExponent"), -5.0, 5.0, 2, 0.05);
    transmissionExponent_->setToolTip(tr("The analyser's transmission falls as KE^-n"));
    area_ = new QComboBox;
    area_->setObjectName(QStringLiteral("QuantArea"));
    area_->addItem(tr("Auto"), static_cast<int>(QuantArea::Auto));
    area_->addItem(tr("Peaks"), static_cast<int>(QuantArea::Peaks));
    area_->addItem(tr("Background"), static_cast<int>(QuantArea::Background));
    area_->setToolTip(
        tr("Auto: the sum of the peak areas where a region has peaks, else its "
           "background-subtracted area"));
    auto* exponents = new QHBoxLayout;
    exponents->addWidget(imfpExponent_);
    exponents->addWidget(new QLabel(tr("Transmission exponent n:")));
    exponents->addWidget(transmissionExponent_);
    exponents->addWidget(new QLabel(tr("Area:")));
    exponents->addWidget(area_);
    exponents->addStretch(1);

    refusal_ = refusalLabel();
    auto* settings = new QWidget;
    auto* form = new QFormLayout(settings);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(tr("Source energy:"), source);
    form->addRow(tr("IMFP exponent m:"), exponents);
    form->addRow(refusal_);
    showSettings();

    const auto changed = [this](auto* control, auto signal, const QString& step) {
        connect(control, signal, this, [this, step] { takeSettings(step); });
    };
    changed(sourceEnergy_, &QDoubleSpinBox::valueChanged, tr("Source Energy"));
    changed(imfpExponent_, &QDoubleSpinBox::valueChanged, tr("IMFP Exponent"));
    changed(transmissionExponent_, &QDoubleSpinBox::valueChanged, tr("Transmission Exponent"));
    changed(area_, &QComboBox::currentIndexChanged, tr("Quantification Area"));
    return settings;
}

void QuantificationWindow::takeSettings(const QString& step) {
    QuantSettings settings;
    settings.sourceEnergy = sourceEnergy_->value();
    settings.imfpExponent = imfpExponent_->value();
    settings.transmissionExponent = transmissionExponent_->value();
    settings.area = static_cast<QuantArea>(area_->currentData().toInt());
    if (settings == app_.workspace().quantSettings) return;
    const auto refusal = changeQuantSettings(app_.workspace(), settings);
    // A refused change puts the boxes back and says why; the next change the window takes clears it.
    showNote(refusal_, refusal.value_or(std::string()));
    if (refusal) {
        showSettings();
        return;
    }
    // A run of changes in one box (its arrows held down) is one change to take back.
    app_.recordStep(step, true);
    refresh();
}

void QuantificationWindow::showSettings() {
    const QuantSettings& settings = app_.workspace().quantSettings;
    showNumber(sourceEnergy_, settings.sourceEnergy);
    showNumber(imfpExponent_, settings.imfpExponent);
    showNumber(transmissionExponent_, settings.transmissionExponent);
    const int area = area_->findData(static_cast<int>(settings.area));
    if (area_->currentIndex() != area) {
        const QSignalBlocker quiet(area_);
        area_->setCurrentIndex(area);
    }
}

void QuantificationWindow::refresh() {
    showSettings();
    // Each trial of a fit would cost the covariance of every region: the table waits for the end.
    if (!isVisible() || app_.fittingWindow().isVisible()) return;
    table_ = quantify(app_.workspace());
    showRows();
    showSummary();
}

void QuantificationWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    view_->setFocus();
    refresh();
}

void QuantificationWindow::showRows() {
    const std::vector<QuantViewRegion> view = quantificationView(table_, app_.workspace());
    keepItems(view_, nullptr, static_cast<int>(view.size()));
    for (std::size_t r = 0; r < view.size(); ++r)
        showRegion(view_->topLevelItem(static_cast<int>(r)), table_.regions[r], view[r]);
}

void QuantificationWindow::showRegion(QTreeWidgetItem* item, const QuantRegion& quant,
                                      const QuantViewRegion& shown) {
    showCells(item, shown.cells);
    // A region that is not counted is greyed; its reason stands in its note.
    const Qt::ItemFlags flags =
        shown.counted ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::ItemIsSelectable;
    if (item->flags() != flags) item->setFlags(flags);
    QFont font = item->font(QuantFactorColumn);
    font.setItalic(shown.factorOverridden);
    item->setFont(QuantFactorColumn, font);
    item->setToolTip(QuantFactorColumn,
                     shown.factorOverridden ? tr("The factor given in the Core Level dialog") : QString());

    keepItems(view_, item, static_cast<int>(shown.peaks.size()));
    const Region& region = app_.workspace().regions.at(static_cast<std::size_t>(shown.region));
    for (int p = 0; p < item->childCount(); ++p) {
        QTreeWidgetItem* child = item->child(p);
        showCells(child, shown.peaks[static_cast<std::size_t>(p)]);
        const int slot = slotOf(region, quant.components[static_cast<std::size_t>(p)].peak);
        child->setIcon(QuantNameColumn, slot < 0 ? QIcon() : swatchOf(slot));
    }
}

void QuantificationWindow::showSummary() {
    QStringList lines;
    if (table_.empty())
        lines << tr(
            "No region is counted: give each region its core level (Parameters, Core Level in the "
            "spectrum window)");
    for (const std::string& note : quantificationNotes(table_)) lines << toQt(note);
    const QString text = lines.join(QLatin1Char('\n'));
    if (summary_->text() != text) summary_->setText(text);
}

void QuantificationWindow::copy() {
    QGuiApplication::clipboard()->setText(toQt(quantificationText(table_, '\t')));
}

}  // namespace vortlan::ui
