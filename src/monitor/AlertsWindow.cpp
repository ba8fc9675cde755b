#include "AlertsWindow.h"

#include "AlertsTableModel.h"
#include "Monitor.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace k7 {
namespace {

// A coloured square and the alert's caption, as the cells are marked.
QWidget* LegendEntry(AlertKind kind, QWidget* parent) {
    auto* entry = new QLabel(parent);
    entry->setTextFormat(Qt::RichText);
    entry->setText(QStringLiteral("<span style=\"color:%1\">&#9632;</span> %2")
                       .arg(AlertColour(kind).name(), AlertCaption(kind).toHtmlEscaped()));
    return entry;
}

} // namespace

AlertsWindow::AlertsWindow(Monitor& monitor, QWidget* parent)
    : QWidget(parent, Qt::Window), monitor_(monitor),
      model_(new AlertsTableModel(monitor.alerts(), monitor.labels(), this)),
      table_(new QTableView(this)),
      acknowledge_(new QPushButton(QStringLiteral("Acknowledge ended alerts"), this)),
      logLine_(new QLabel(this)) {
    setObjectName(QStringLiteral("frmAlerts"));
    setWindowTitle(QStringLiteral("Alerts"));
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setColumnWidth(AlertsTableModel::TimeColumn, 80);
    table_->setColumnWidth(AlertsTableModel::SlotColumn, 40);
    table_->setColumnWidth(AlertsTableModel::NameColumn, 80);
    table_->setColumnWidth(AlertsTableModel::KindColumn, 130);

    auto* legend = new QHBoxLayout;
    for (AlertKind kind : kAllAlertKinds) {
        legend->addWidget(LegendEntry(kind, this));
    }
    legend->addStretch();
    auto* explanation = new QLabel(
        QStringLiteral("A cell is framed in the colour of its most urgent alert; a dashed frame "
                       "marks an alert that has ended since the last acknowledgement."),
        this);
    explanation->setWordWrap(true);
    acknowledge_->setToolTip(
        QStringLiteral("Takes the dashed frames of ended alerts off the meter cells"));
    connect(acknowledge_, &QPushButton::clicked, this,
            [this] { monitor_.alerts().AcknowledgeEnded(); });
    logLine_->setText(
        QStringLiteral("Event log: %1").arg(QDir::toNativeSeparators(monitor_.log().folder())));
    logLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(logLine_, 1);
    bottom->addWidget(acknowledge_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(legend);
    layout->addWidget(explanation);
    layout->addWidget(table_, 1);
    layout->addLayout(bottom);
    resize(520, 360);
}

} // namespace k7
