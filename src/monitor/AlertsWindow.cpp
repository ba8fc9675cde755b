#include "AlertsWindow.h"

#include "AlertsTableModel.h"
#include "Monitor.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <vector>

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

AlertsWindow::AlertsWindow(Monitor& monitor, Alarms& alarms, QWidget* parent)
    : QWidget(parent, Qt::Window), monitor_(monitor), alarms_(alarms),
      model_(new AlertsTableModel(monitor.alerts(), monitor.labels(), this)),
      table_(new QTableView(this)),
      acknowledge_(new QPushButton(QStringLiteral("Acknowledge ended alerts"), this)),
      acknowledgeAlarms_(new QPushButton(QStringLiteral("Acknowledge"), this)),
      silence_(new QPushButton(QStringLiteral("Silence for 5 minutes"), this)),
      logLine_(new QLabel(this)) {
    model_->SetAlarms(&alarms_);
    alarms_.AddObserver(*this);
    acknowledgeAlarms_->setObjectName(QStringLiteral("alarmAcknowledgeSelected"));
    acknowledgeAlarms_->setToolTip(QStringLiteral(
        "Acknowledges the selected alarms (all of them when none is selected): their tone and "
        "flashing stop, their cells keep a steady frame"));
    silence_->setObjectName(QStringLiteral("alarmSilence"));
    silence_->setToolTip(
        QStringLiteral("Mutes every alarm tone for 5 minutes; the frames keep flashing"));
    connect(acknowledgeAlarms_, &QPushButton::clicked, this, [this] { acknowledgeSelected(); });
    connect(silence_, &QPushButton::clicked, this, [this] { alarms_.Silence(); });
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
    bottom->addWidget(acknowledgeAlarms_);
    bottom->addWidget(silence_);
    bottom->addWidget(acknowledge_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(legend);
    layout->addWidget(explanation);
    layout->addWidget(table_, 1);
    layout->addLayout(bottom);
    resize(640, 360);
    refreshAlarmButtons();
}

AlertsWindow::~AlertsWindow() {
    alarms_.RemoveObserver(*this);
}

void AlertsWindow::AlarmChanged(const AlarmNote& note) {
    if (note.change != AlarmNote::Tone) {
        model_->AlarmsChanged();
        refreshAlarmButtons();
    }
}

void AlertsWindow::acknowledgeSelected() {
    const QModelIndexList rows = table_->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        alarms_.AcknowledgeAll();
        return;
    }
    std::vector<std::uint64_t> ids;
    for (const QModelIndex& row : rows) {
        ids.push_back(model_->alertAt(row.row()).id);
    }
    // By id: each acknowledgement changes the rows' texts, not their order.
    for (std::uint64_t id : ids) {
        alarms_.Acknowledge(id);
    }
}

void AlertsWindow::refreshAlarmButtons() {
    acknowledgeAlarms_->setEnabled(!alarms_.unacknowledged().empty());
}

} // namespace k7
