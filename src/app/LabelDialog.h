// "Label..." of a cell's context menu: the label, group and colour of the receiver in that slot,
// kept by its serial number when OK is pressed. A label that cannot be kept is told in the
// dialog, which stays open with what was typed.
#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;

namespace k7 {

class ReceiverLabels;

// Fills a list with "(none)" and the eight colours, each with its swatch; an entry's data is the
// colour's name.
void AddLabelColours(QComboBox& list);

class LabelDialog final : public QDialog {
    Q_OBJECT
public:
    LabelDialog(ReceiverLabels& labels, QWidget* parent = nullptr);

    // Shows the receiver's label to be edited; the caption names its slot and name.
    void Edit(const QString& serial, int slot, const QString& name);
    const QString& serial() const { return serial_; }

    void accept() override;

private:
    ReceiverLabels& labels_;
    QString serial_;
    QLineEdit* label_;
    QLineEdit* group_;
    QComboBox* colour_;
    QLabel* fault_;
};

} // namespace k7
