#include "LabelDialog.h"

#include "LabelsTableModel.h"
#include "files/ReceiverLabels.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

namespace k7 {

void AddLabelColours(QComboBox& list) {
    list.addItem(LabelColourCaption(LabelColour::None), QString());
    for (const LabelColour colour : kLabelColours) {
        QPixmap swatch(12, 12);
        swatch.fill(QColor::fromRgb(LabelColourRgb(colour)));
        list.addItem(QIcon(swatch), LabelColourCaption(colour), LabelColourName(colour));
    }
}

LabelDialog::LabelDialog(ReceiverLabels& labels, QWidget* parent)
    : QDialog(parent), labels_(labels), label_(new QLineEdit(this)), group_(new QLineEdit(this)),
      colour_(new QComboBox(this)), fault_(new QLabel(this)) {
    setObjectName(QStringLiteral("frmLabel"));
    label_->setObjectName(QStringLiteral("txtLabel"));
    group_->setObjectName(QStringLiteral("txtGroup"));
    colour_->setObjectName(QStringLiteral("cmbColour"));
    fault_->setObjectName(QStringLiteral("lblLabelFault"));
    label_->setPlaceholderText(QStringLiteral("Anna - Lead vocal"));
    group_->setPlaceholderText(QStringLiteral("Band"));
    AddLabelColours(*colour_);
    fault_->setStyleSheet(QStringLiteral("QLabel { color: #c62828; }"));
    fault_->setWordWrap(true);
    fault_->hide();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &LabelDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &LabelDialog::reject);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("&Label:"), label_);
    form->addRow(QStringLiteral("&Group:"), group_);
    form->addRow(QStringLiteral("&Colour:"), colour_);
    form->addRow(fault_);
    form->addRow(buttons);
}

void LabelDialog::Edit(const QString& serial, int slot, const QString& name) {
    serial_ = serial;
    const ReceiverLabel label = labels_.Of(serial);
    setWindowTitle(
        QStringLiteral("Label of %1 (slot %2, serial %3)").arg(name).arg(slot).arg(serial));
    label_->setText(label.label);
    group_->setText(label.group);
    colour_->setCurrentIndex(std::max(colour_->findData(LabelColourName(label.colour)), 0));
    fault_->hide();
    show();
    raise();
    activateWindow();
    label_->setFocus();
    label_->selectAll();
}

void LabelDialog::accept() {
    ReceiverLabel label;
    label.label = label_->text().trimmed();
    label.group = group_->text().trimmed();
    label.colour =
        LabelColourFromName(colour_->currentData().toString()).value_or(LabelColour::None);
    if (const QString fault = labels_.Set(serial_, label); !fault.isEmpty()) {
        fault_->setText(fault);
        fault_->show();
        return;
    }
    QDialog::accept();
}

} // namespace k7
