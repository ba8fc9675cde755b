#include "LabelsWindow.h"

#include "LabelCommands.h"
#include "LabelDialog.h"
#include "LabelsTableModel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

namespace k7 {

namespace {

// The colour column is edited with a list of the eight colours and none, never typed.
class ColourDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/,
                          const QModelIndex& /*index*/) const override {
        auto* list = new QComboBox(parent);
        list->setObjectName(QStringLiteral("cmbLabelColour"));
        AddLabelColours(*list);
        return list;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* list = static_cast<QComboBox*>(editor);
        list->setCurrentIndex(std::max(list->findData(index.data(Qt::EditRole).toString()), 0));
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        model->setData(index, static_cast<QComboBox*>(editor)->currentData(), Qt::EditRole);
    }
};

} // namespace

LabelsWindow::LabelsWindow(LabelCommands& commands, QWidget* parent)
    : QWidget(parent, Qt::Window), commands_(commands),
      model_(new LabelsTableModel(commands, this)), table_(new QTableView(this)),
      status_(new QLabel(this)) {
    setObjectName(QStringLiteral("frmLabels"));
    setWindowTitle(QStringLiteral("Labels"));
    table_->setObjectName(QStringLiteral("grdLabels"));
    table_->setModel(model_);
    table_->setItemDelegateForColumn(LabelsTableModel::ColourColumn, new ColourDelegate(table_));
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setColumnWidth(LabelsTableModel::SlotColumn, 40);
    table_->setColumnWidth(LabelsTableModel::SerialColumn, 110);
    table_->setColumnWidth(LabelsTableModel::NameColumn, 80);
    table_->setColumnWidth(LabelsTableModel::LabelColumn, 240);
    table_->setColumnWidth(LabelsTableModel::GroupColumn, 130);
    status_->setObjectName(QStringLiteral("lblLabelsStatus"));
    status_->setText(QStringLiteral("Double-click a label, group or colour to change it."));
    model_->SetFaultListener([this](const QString& fault) { status_->setText(fault); });

    auto* importButton = new QPushButton(QStringLiteral("&Import..."), this);
    importButton->setObjectName(QStringLiteral("cmdImportLabels"));
    auto* exportButton = new QPushButton(QStringLiteral("&Export..."), this);
    exportButton->setObjectName(QStringLiteral("cmdExportLabels"));
    connect(importButton, &QPushButton::clicked, this, [this] {
        if (commands_.Import()) {
            status_->setText(QStringLiteral("Labels imported."));
        }
    });
    connect(exportButton, &QPushButton::clicked, this, [this] {
        if (commands_.Export()) {
            status_->setText(QStringLiteral("Labels exported."));
        }
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status_, 1);
    buttons->addWidget(importButton);
    buttons->addWidget(exportButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addLayout(buttons);
    resize(720, 480);
}

void LabelsWindow::Refresh() {
    model_->Refresh();
}

void LabelsWindow::showEvent(QShowEvent* event) {
    model_->Refresh();
    QWidget::showEvent(event);
}

} // namespace k7
