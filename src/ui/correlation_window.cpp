#include "ui/correlation_window.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "ui/text.h"

namespace vortlan::ui {

namespace {

// Beyond this the data tell the two parameters apart only poorly: the cell stands out.
constexpr double kStrongCorrelation = 0.9;

QTableWidgetItem* correlationItem(double correlation, bool diagonal) {
    auto* item = new QTableWidgetItem(toQt(correlationText(correlation)));
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (!diagonal && std::fabs(correlation) >= kStrongCorrelation) {
        QFont font = item->font();
        font.setBold(true);
        item->setFont(font);
    }
    return item;
}

}  // namespace

CorrelationWindow::CorrelationWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Correlations"));
    matrix_ = new QTableWidget(0, 0);
    matrix_->setObjectName(QStringLiteral("CorrelationMatrix"));
    matrix_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    matrix_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    matrix_->setToolTip(tr("Correlations of the free parameters' errors; bold where beyond ±0.9"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(matrix_);
    resize(720, 360);
}

void CorrelationWindow::showMatrix(int region, const FitStatistics* statistics) {
    setWindowTitle(tr("Correlations, region %1").arg(region + 1));
    const int count = statistics ? static_cast<int>(statistics->parameters.size()) : 0;
    matrix_->clear();
    matrix_->setRowCount(count);
    matrix_->setColumnCount(count);
    QStringList labels;
    for (int k = 0; k < count; ++k)
        labels << toQt(parameterLabel(statistics->parameters[static_cast<std::size_t>(k)]));
    matrix_->setHorizontalHeaderLabels(labels);
    matrix_->setVerticalHeaderLabels(labels);
    for (int a = 0; a < count; ++a) {
        for (int b = 0; b < count; ++b) {
            const double correlation =
                statistics->correlationAt(static_cast<std::size_t>(a), static_cast<std::size_t>(b));
            matrix_->setItem(a, b, correlationItem(correlation, a == b));
        }
    }
}

}  // namespace vortlan::ui
