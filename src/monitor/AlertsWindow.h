// The Alerts window (non-modal): the alerts of the run, newest first, with the colours the
// meter cells are marked in, where the event log is written, the acknowledgement that takes the
// marks of ended alerts off the cells, and the alarms' Acknowledge (the selected ones, or all
// when none is selected) and "Silence for 5 minutes".
#pragma once

#include "Alarms.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QTableView;

namespace k7 {

class AlertsTableModel;
class Monitor;

class AlertsWindow final : public QWidget, private AlarmEvents {
    Q_OBJECT
public:
    AlertsWindow(Monitor& monitor, Alarms& alarms, QWidget* parent = nullptr);
    ~AlertsWindow() override;

    QTableView* table() const { return table_; }
    QPushButton* acknowledgeButton() const { return acknowledge_; }
    QPushButton* acknowledgeAlarmsButton() const { return acknowledgeAlarms_; }
    QPushButton* silenceButton() const { return silence_; }
    AlertsTableModel& model() const { return *model_; }

private:
    // AlarmEvents
    void AlarmChanged(const AlarmNote& note) override;
    void acknowledgeSelected();
    void refreshAlarmButtons();

    Monitor& monitor_;
    Alarms& alarms_;
    AlertsTableModel* model_;
    QTableView* table_;
    QPushButton* acknowledge_;
    QPushButton* acknowledgeAlarms_;
    QPushButton* silence_;
    QLabel* logLine_;
};

} // namespace k7
