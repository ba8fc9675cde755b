#include "ConflictTableWindow.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

namespace k7 {

ConflictTableWindow::ConflictTableWindow(Export exporter, QWidget* parent)
    : QWidget(parent, Qt::Window), export_(std::move(exporter)) {
    setObjectName(QStringLiteral("frmConflicts"));
    setWindowTitle(QStringLiteral("Conflicts"));
    resize(900, 420);

    model_ = new ConflictTableModel(this);
    sorted_ = new QSortFilterProxyModel(this);
    sorted_->setSourceModel(model_);
    sorted_->setSortRole(ConflictTableModel::kSortRole);
    view_ = new QTableView(this);
    view_->setObjectName(QStringLiteral("conflictTable"));
    view_->setModel(sorted_);
    view_->setSortingEnabled(true);
    view_->sortByColumn(ConflictTableModel::Place, Qt::AscendingOrder);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setWordWrap(false);
    view_->verticalHeader()->hide();
    view_->horizontalHeader()->setStretchLastSection(false);
    view_->horizontalHeader()->setSectionResizeMode(ConflictTableModel::Nearest,
                                                    QHeaderView::Stretch);

    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("lblConflictSummary"));
    exported_ = new QLabel(this);
    exported_->setObjectName(QStringLiteral("lblExported"));
    exportButton_ = new QPushButton(QStringLiteral("Export CSV..."), this);
    exportButton_->setObjectName(QStringLiteral("cmdExportConflicts"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("cmdCloseConflicts"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(exported_, 1);
    buttons->addWidget(exportButton_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(view_, 1);
    layout->addLayout(buttons);

    connect(exportButton_, &QPushButton::clicked, this, [this] { exportTable(); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
}

void ConflictTableWindow::ShowTable(ConflictTable table, const QString& checked) {
    setWindowTitle(QStringLiteral("Conflicts: ") + checked);
    summary_->setText(table.summary);
    exported_->clear();
    exportButton_->setEnabled(!table.empty());
    model_->showTable(std::move(table));
    view_->resizeColumnsToContents();
    show();
    raise();
    activateWindow();
}

void ConflictTableWindow::exportTable() {
    if (!export_) {
        return;
    }
    if (const std::optional<QString> path = export_(model_->table())) {
        exported_->setText(QStringLiteral("Exported to ") + QDir::toNativeSeparators(*path));
    }
}

} // namespace k7
