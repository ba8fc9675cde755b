// The Alerts window (non-modal): the alerts of the run, newest first, with the colours the
// meter cells are marked in, where the event log is written, and the acknowledgement that
// takes the marks of ended alerts off the cells.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QTableView;

namespace k7 {

class AlertsTableModel;
class Monitor;

class AlertsWindow final : public QWidget {
    Q_OBJECT
public:
    explicit AlertsWindow(Monitor& monitor, QWidget* parent = nullptr);

    QTableView* table() const { return table_; }
    QPushButton* acknowledgeButton() const { return acknowledge_; }
    AlertsTableModel& model() const { return *model_; }

private:
    Monitor& monitor_;
    AlertsTableModel* model_;
    QTableView* table_;
    QPushButton* acknowledge_;
    QLabel* logLine_;
};

} // namespace k7
