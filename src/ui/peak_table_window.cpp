#include "ui/peak_table_window.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>

#include "base/number_text.h"
#include "fit/verdict.h"
#include "plot/palette.h"
#include "session/peak_dialog.h"
#include "ui/application.h"
#include "ui/correlation_window.h"
#include "ui/fitting_window.h"
#include "ui/form_controls.h"
#include "ui/key_map.h"
#include "ui/text.h"

namespace vortlan::ui {

namespace {

constexpr int kSwatchSize = 12;

QIcon swatchOf(int slot) {
    const Colour c = peakColour(slot);
    QPixmap swatch(kSwatchSize, kSwatchSize);
    swatch.fill(QColor(c.red, c.green, c.blue));
    return QIcon(swatch);
}

QString holdToolTip(ParamHold hold) {
    switch (hold) {
        case ParamHold::Fixed:
            return QObject::tr("Fixed: the fits leave it where it is");
        case ParamHold::Tied:
            return QObject::tr("Tied: it follows its reference peak (see Fixed / tied)");
        case ParamHold::Free:
            break;
    }
    return {};
}

// An item whose text is touched only when it changed, so a refresh keeps the user's selection.
QTableWidgetItem* itemAt(QTableWidget* view, int row, int column) {
    QTableWidgetItem* item = view->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        view->setItem(row, column, item);
    }
    return item;
}

void showCell(QTableWidget* view, int row, int column, const std::string& text) {
    QTableWidgetItem* item = itemAt(view, row, column);
    const QString qtext = toQt(text);
    if (item->text() != qtext) item->setText(qtext);
    if (column != LabelColumn && column != TypeColumn && column != HeldColumn && column != FlagsColumn)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void showHold(QTableWidget* view, int row, PeakParam param, ParamHold hold) {
    QTableWidgetItem* item = itemAt(view, row, peakTableColumnOf(param));
    QFont font = item->font();
    font.setItalic(hold != ParamHold::Free);
    item->setFont(font);
    item->setToolTip(holdToolTip(hold));
}

}  // namespace

PeakTableWindow::PeakTableWindow(Application& app) : app_(app) {
    setObjectName(QStringLiteral("PeakTable"));
    setWindowTitle(tr("Peak Table"));

    view_ = new QTableWidget(0, kPeakTableColumns);
    view_->setObjectName(QStringLiteral("PeakRows"));
    for (int c = 0; c < kPeakTableColumns; ++c) {
        auto* heading = new QTableWidgetItem(toQt(peakTableHeading(c)));
        heading->setToolTip(toQt(peakTableTextHeading(c)));
        view_->setHorizontalHeaderItem(c, heading);
    }
    view_->verticalHeader()->hide();
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    view_->setToolTip(tr("Double-click a peak to open it in the peak dialog"));
    connect(view_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { openPeak(row); });

    auto* copyAction = new QAction(tr("Copy"), this);
    copyAction->setObjectName(QStringLiteral("CopyTable"));
    bindKeys(copyAction, KeyCommand::Copy);
    connect(copyAction, &QAction::triggered, this, &PeakTableWindow::copy);
    addAction(copyAction);
    view_->addAction(copyAction);
    view_->setContextMenuPolicy(Qt::ActionsContextMenu);

    summary_ = namedLabel(QStringLiteral("PeakTableSummary"), QString());
    auto* copyButton = namedButton(QStringLiteral("Copy"), tr("Copy"),
                                   tr("Put the table on the clipboard as tab-separated text (Ctrl+C)"));
    connect(copyButton, &QPushButton::clicked, this, &PeakTableWindow::copy);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(summary_, 1);
    bottom->addWidget(copyButton);

    statistics_ = namedLabel(QStringLiteral("PeakTableStatistics"), QString());
    statistics_->setToolTip(
        tr("Reduced χ² = Σ r² / (N − p) of the weighted residuals, N points and p free parameters of the fit "
           "the "
           "errors come from; residual RMS: the typical miss over the fit range, in the data's units"));
    correlations_ = new CorrelationWindow(this);
    correlationsButton_ = namedButton(QStringLiteral("ShowCorrelations"), tr("Correlations..."),
                                      tr("The correlation matrix of the free parameters"));
    connect(correlationsButton_, &QPushButton::clicked, this, [this] {
        showCorrelations();
        correlations_->show();
        correlations_->raise();
    });
    auto* statisticsRow = new QHBoxLayout;
    statisticsRow->addWidget(statistics_, 1);
    statisticsRow->addWidget(correlationsButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_, 1);
    layout->addLayout(bottom);
    layout->addLayout(statisticsRow);
    resize(980, 280);  // every column of three-peak rows without scrolling
}

bool PeakTableWindow::fitting() const {
    return app_.fittingWindow().isVisible();
}

void PeakTableWindow::refresh() {
    if (!isVisible()) return;
    table_ = peakTableOf(app_.workspace(), fitting() ? TableErrors::Omitted : TableErrors::Computed);
    showRows();
    showSummary();
    showStatistics();
}

void PeakTableWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
}

void PeakTableWindow::showRows() {
    const int rows = static_cast<int>(table_.rows.size());
    if (view_->rowCount() != rows) view_->setRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        const PeakTableRow& row = table_.rows[static_cast<std::size_t>(r)];
        for (int c = 0; c < kPeakTableColumns; ++c)
            showCell(view_, r, c, row.cells[static_cast<std::size_t>(c)]);
        itemAt(view_, r, NumberColumn)->setIcon(swatchOf(row.slot));
        for (PeakParam param : kPeakParams)
            showHold(view_, r, param, row.holds[static_cast<std::size_t>(param)]);
    }
}

void PeakTableWindow::showSummary() {
    QString text;
    if (!table_.fitted) {
        text = tr("Region %1: no background accepted").arg(table_.region + 1);
    } else {
        // The verdict is the program's own UTF-8 text (it may hold a dash).
        text = QStringLiteral("χ² %1    %2")
                   .arg(toQt(shortNumberText(table_.chiSquare)),
                        QString::fromStdString(fitVerdictText(table_.region, table_.verdict)));
    }
    if (summary_->text() != text) summary_->setText(text);
}

void PeakTableWindow::showStatistics() {
    // During a fit the errors, and what they rest on, wait for its end.
    const QString text = QString::fromStdString(table_.statisticsLine);
    if (statistics_->text() != text) statistics_->setText(text);
    correlationsButton_->setEnabled(table_.statistics && !table_.statistics->parameters.empty());
    if (correlations_->isVisible()) showCorrelations();
}

void PeakTableWindow::showCorrelations() {
    correlations_->showMatrix(table_.region, table_.statistics ? &*table_.statistics : nullptr);
}

void PeakTableWindow::copy() {
    QGuiApplication::clipboard()->setText(toQt(peakTableText(table_)));
}

void PeakTableWindow::openPeak(int row) {
    // The other windows wait during a fit; so does this one's way into the peak dialog.
    if (fitting() || row < 0 || row >= static_cast<int>(table_.rows.size())) return;
    const int button = peakButtonIndex(table_.region, table_.rows[static_cast<std::size_t>(row)].slot);
    app_.run([button](Session& s) { openPeakDialog(s, button); });
}

}  // namespace vortlan::ui
