// The Labels window: the rack's receivers in a table (slot, serial, name; the label, group and
// colour edited in place), with Import... and Export... of the labels as CSV.
#pragma once

#include <QWidget>

class QLabel;
class QTableView;

namespace k7 {

class LabelCommands;
class LabelsTableModel;

class LabelsWindow final : public QWidget {
    Q_OBJECT
public:
    LabelsWindow(LabelCommands& commands, QWidget* parent = nullptr);

    LabelsTableModel& model() { return *model_; }
    // The rack's receivers read again (a rescan moved them).
    void Refresh();

protected:
    void showEvent(QShowEvent* event) override;

private:
    LabelCommands& commands_;
    LabelsTableModel* model_;
    QTableView* table_;
    QLabel* status_;
};

} // namespace k7
