#include "EditorWindow.h"

#include "ConflictTableWindow.h"
#include "CoordinateDialog.h"
#include "EditorGridModel.h"
#include "files/FrqFile.h"
#include "platform/KeyRules.h"
#include "platform/WindowOrder.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace k7 {

namespace {

QPushButton* Button(const QString& text, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

// The rules alone keep a box's length: a length cut before them would count the characters
// they drop.
QLineEdit* Box(const QString& name, KeyRuleValidator::Rule rule, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setValidator(new KeyRuleValidator(std::move(rule), box));
    return box;
}

QLabel* Label(const QString& text, const QString& name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

} // namespace

EditorWindow::EditorWindow(FrequencyEditor& editor, EditorCsv& csv,
                           EditorCoordination& coordination, QWidget* parent)
    : QWidget(parent, Qt::Window), editor_(editor), csv_(csv), coordination_(coordination) {
    setObjectName(QStringLiteral("frmTransferMain"));
    setWindowTitle(FrequencyEditor::DesignCaption());

    auto* menuBar = new QMenuBar(this);
    mnuFile_ = menuBar->addMenu(QStringLiteral("&File"));
    mnuFile_->setObjectName(QStringLiteral("mnuFile"));
    mnuSave_ = mnuFile_->addAction(QStringLiteral("&Save"));
    mnuSave_->setObjectName(QStringLiteral("mnuSave"));
    mnuExportCsv_ = mnuFile_->addAction(QStringLiteral("E&xport CSV..."));
    mnuExportCsv_->setObjectName(QStringLiteral("mnuExportCsv"));
    mnuImportCsv_ = mnuFile_->addAction(QStringLiteral("&Import CSV..."));
    mnuImportCsv_->setObjectName(QStringLiteral("mnuImportCsv"));
    mnuCoordination_ = menuBar->addMenu(QStringLiteral("&Coordination"));
    mnuCoordination_->setObjectName(QStringLiteral("mnuCoordination"));
    mnuCheck_ = mnuCoordination_->addAction(QStringLiteral("&Check"));
    mnuCheck_->setObjectName(QStringLiteral("mnuCheck"));
    mnuCoordinate_ = mnuCoordination_->addAction(QStringLiteral("C&oordinate..."));
    mnuCoordinate_->setObjectName(QStringLiteral("mnuCoordinate"));

    model_ = new EditorGridModel(this);
    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("flxUser"));
    grid_->setModel(model_);
    grid_->horizontalHeader()->hide();
    grid_->verticalHeader()->hide();
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Several rows may be selected: Coordinate keeps the selected ones.
    grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->horizontalHeader()->setMinimumSectionSize(1); // the narrow number column

    txtName_ = Box(
        QStringLiteral("txtName"),
        [this](const QString& text) { return editor_.NameTextAllowed(text); }, this);
    txtFreq_ = Box(
        QStringLiteral("txtFreq"),
        [this](const QString& text) { return editor_.FreqTextAllowed(text); }, this);
    txtMute_ = Box(
        QStringLiteral("txtMute"),
        [this](const QString& text) { return editor_.MuteTextAllowed(text); }, this);

    cmdAdd_ = Button(QStringLiteral("Add"), QStringLiteral("cmdAdd"), this);
    cmdInsert_ = Button(QStringLiteral("Insert"), QStringLiteral("cmdInsert"), this);
    cmdUpdate_ = Button(QStringLiteral("Update"), QStringLiteral("cmdUpdate"), this);
    cmdDelete_ = Button(QStringLiteral("Delete"), QStringLiteral("cmdDelete"), this);
    cmdFinish_ = Button(QStringLiteral("Finish"), QStringLiteral("cmdFinish"), this);
    cmdUpload_ = Button(QStringLiteral("Upload from Rx"), QStringLiteral("cmdUpload"), this);
    cmdDownload_ = Button(QStringLiteral("Send data to Rx"), QStringLiteral("cmdDownload"), this);
    cmbRxs_ = new QComboBox(this);
    cmbRxs_->setObjectName(QStringLiteral("cmbRxs"));
    label3_ = Label(QStringLiteral("Rx:"), QStringLiteral("Label3"), this);
    lblNo_ = Label(QString(), QStringLiteral("lblNo"), this);
    lblRow_ = Label(QString(), QStringLiteral("lblRow"), this);
    lblStatus_ = Label(QString(), QStringLiteral("lblStatus"), this);
    // A long status (a check's count, the backups) is cut, never widens the window; its tool
    // tip holds it whole.
    lblStatus_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    cmdConflicts_ = Button(QStringLiteral("Conflicts..."), QStringLiteral("cmdConflicts"), this);
    cmdConflicts_->setToolTip(QStringLiteral("The conflicts of the last check as a table"));
    cmdConflicts_->setVisible(false);
    conflicts_ = new ConflictTableWindow(
        [this](const ConflictTable& table) {
            const FrequencyEditor::Wiring& w = editor_.wiring();
            return ExportConflictTable(table, w.chooser, w.prompter, w.frq.dataFolder());
        },
        this);

    auto* entry = new QGridLayout;
    entry->addWidget(Label(QStringLiteral("User name"), QStringLiteral("lblName"), this), 0, 0);
    entry->addWidget(txtName_, 0, 1);
    entry->addWidget(Label(QStringLiteral("Freq"), QStringLiteral("lblFreq"), this), 1, 0);
    entry->addWidget(txtFreq_, 1, 1);
    entry->addWidget(Label(QStringLiteral("Mute level"), QStringLiteral("lblMute"), this), 2, 0);
    entry->addWidget(txtMute_, 2, 1);
    entry->addWidget(lblRow_, 3, 1);
    entry->addWidget(Label(QStringLiteral("Number in Set"), QStringLiteral("lblfs"), this), 4, 0);
    entry->addWidget(lblNo_, 4, 1);

    auto* edits = new QGridLayout;
    edits->addWidget(cmdAdd_, 0, 0);
    edits->addWidget(cmdInsert_, 0, 1);
    edits->addWidget(cmdUpdate_, 1, 0);
    edits->addWidget(cmdDelete_, 1, 1);

    auto* transfer = new QHBoxLayout;
    transfer->addWidget(label3_);
    transfer->addWidget(cmbRxs_);
    auto* side = new QVBoxLayout;
    side->addLayout(entry);
    side->addLayout(edits);
    side->addWidget(cmdUpload_);
    side->addWidget(cmdDownload_);
    side->addLayout(transfer);
    side->addStretch();
    side->addWidget(cmdFinish_);

    auto* body = new QHBoxLayout;
    body->addWidget(grid_, 1);
    body->addLayout(side);
    auto* status = new QHBoxLayout;
    status->addWidget(Label(QStringLiteral("Status:"), QStringLiteral("lblSta"), this));
    status->addWidget(lblStatus_, 1);
    status->addWidget(cmdConflicts_);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addLayout(body, 1);
    layout->addLayout(status);

    for (QLineEdit* box : {txtName_, txtFreq_, txtMute_}) {
        box->installEventFilter(this);
    }
    connect(txtName_, &QLineEdit::textChanged, this,
            [this](const QString& text) { editor_.NameEdited(text); });
    connect(txtFreq_, &QLineEdit::textChanged, this,
            [this](const QString& text) { editor_.FreqEdited(text); });
    connect(txtMute_, &QLineEdit::textChanged, this,
            [this](const QString& text) { editor_.MuteEdited(text); });
    connect(cmdAdd_, &QPushButton::clicked, this, [this] { editor_.cmdAdd(); });
    connect(cmdInsert_, &QPushButton::clicked, this, [this] { editor_.cmdInsert(); });
    connect(cmdUpdate_, &QPushButton::clicked, this, [this] { editor_.cmdUpdate(); });
    connect(cmdDelete_, &QPushButton::clicked, this, [this] { editor_.cmdDelete(); });
    connect(cmdFinish_, &QPushButton::clicked, this, [this] { editor_.Finish(); });
    connect(mnuSave_, &QAction::triggered, this, [this] { editor_.mnuSave(); });
    connect(mnuExportCsv_, &QAction::triggered, this, [this] { csv_.mnuExportCsv(); });
    connect(mnuImportCsv_, &QAction::triggered, this, [this] { csv_.mnuImportCsv(); });
    connect(mnuCheck_, &QAction::triggered, this, [this] { coordination_.Check(); });
    connect(mnuCoordinate_, &QAction::triggered, this, [this] { Coordinate(); });
    connect(cmdConflicts_, &QPushButton::clicked, this, [this] { ShowConflicts(); });
    connect(cmdUpload_, &QPushButton::clicked, this, [this] { editor_.cmdUpload(); });
    connect(cmdDownload_, &QPushButton::clicked, this, [this] { editor_.cmdDownload(); });
    connect(grid_, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (!applying_) {
            editor_.SelectRow(index.row());
        }
    });
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!applying_ && current.isValid()) {
                    editor_.SelectRow(current.row());
                }
            });
    connect(cmbRxs_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!applying_) {
            editor_.SelectReceiver(index);
        }
    });

    editor_.SetView(this);
    StateChanged();
}

EditorWindow::~EditorWindow() {
    editor_.SetView(nullptr);
    // The widget's own destructor hides it and moves the focus out of a box, which would run
    // the boxes' key rules and filters on this half-destroyed window: they go first.
    for (QLineEdit* box : {txtName_, txtFreq_, txtMute_}) {
        box->removeEventFilter(this);
        box->setValidator(nullptr);
        box->disconnect(this);
    }
}

void EditorWindow::ShowEditor() {
    StateChanged();
    deactivated_ = false;
    show();
    RaiseWindow(*this);
    activateWindow();
}

void EditorWindow::HideEditor() {
    hide();
}

QPushButton* EditorWindow::button(EditorControl control) const {
    return qobject_cast<QPushButton*>(controlWidget(control));
}

QWidget* EditorWindow::controlWidget(EditorControl control) const {
    switch (control) {
    case EditorControl::txtName:
        return txtName_;
    case EditorControl::txtFreq:
        return txtFreq_;
    case EditorControl::txtMute:
        return txtMute_;
    case EditorControl::cmdAdd:
        return cmdAdd_;
    case EditorControl::cmdInsert:
        return cmdInsert_;
    case EditorControl::cmdUpdate:
        return cmdUpdate_;
    case EditorControl::cmdDelete:
        return cmdDelete_;
    case EditorControl::cmdDownload:
        return cmdDownload_;
    case EditorControl::cmdUpload:
        return cmdUpload_;
    case EditorControl::cmbRxs:
        return cmbRxs_;
    case EditorControl::Label3:
        return label3_;
    case EditorControl::Count:
        break;
    }
    return nullptr;
}

void EditorWindow::StateChanged() {
    const EditorState& state = editor_.state();
    applying_ = true;
    setWindowTitle(state.caption);
    if (state.rowsVersion != rowsVersionShown_) {
        rowsVersionShown_ = state.rowsVersion;
        model_->showRows(state.rows);
        for (int column = 0; column < kGridColumns; ++column) {
            grid_->setColumnWidth(
                column, qRound(FrequencyEditor::kColumnTwips[static_cast<std::size_t>(column)] /
                               double(FrequencyEditor::kTwipsPerPixel)));
        }
    }
    showSelection();
    const std::pair<QLineEdit*, const QString*> boxes[] = {
        {txtName_, &state.txtName}, {txtFreq_, &state.txtFreq}, {txtMute_, &state.txtMute}};
    for (const auto& [box, text] : boxes) {
        if (box->text() != *text) {
            box->setText(*text);
        }
    }
    lblRow_->setText(state.lblRow);
    lblNo_->setText(state.lblNo);
    lblStatus_->setText(state.lblStatus);
    lblStatus_->setToolTip(state.lblStatus);
    cmdConflicts_->setVisible(coordination_.conflictTable() != nullptr);
    for (std::size_t i = 0; i < kEditorControls; ++i) {
        const auto control = static_cast<EditorControl>(i);
        QWidget* widget = controlWidget(control);
        widget->setVisible(state.controls[control].visible);
        widget->setEnabled(state.controls[control].enabled);
    }
    // In normal editing the CSV commands keep the menu open; "Save" keeps its own rule.
    const bool editing = editor_.normalEditing();
    mnuFile_->setEnabled(state.mnuFileEnabled || editing);
    mnuFile_->menuAction()->setEnabled(state.mnuFileEnabled || editing);
    mnuSave_->setEnabled(state.mnuFileEnabled);
    mnuExportCsv_->setEnabled(editing);
    mnuImportCsv_->setEnabled(editing);
    mnuCoordination_->setEnabled(editing);
    mnuCoordination_->menuAction()->setEnabled(editing);
    QStringList shown;
    for (int i = 0; i < cmbRxs_->count(); ++i) {
        shown << cmbRxs_->itemText(i);
    }
    if (shown != state.cmbRxsItems) {
        cmbRxs_->clear();
        cmbRxs_->addItems(state.cmbRxsItems);
    }
    cmbRxs_->setCurrentIndex(state.cmbRxsIndex);
    applying_ = false;
    applyFocus();
}

void EditorWindow::Coordinate() {
    if (!editor_.normalEditing() || editor_.state().rows.empty()) {
        return;
    }
    std::set<int> selected;
    for (const QModelIndex& index : grid_->selectionModel()->selectedRows()) {
        selected.insert(index.row());
    }
    RunCoordination(coordination_, coordination_.Setup(selected), this);
}

void EditorWindow::ShowConflicts() {
    if (const ConflictTable* table = coordination_.conflictTable()) {
        conflicts_->ShowTable(*table, editor_.document().EditFile);
    }
}

void EditorWindow::RepaintStatus() {
    lblStatus_->setText(editor_.state().lblStatus);
    lblStatus_->repaint();
}

void EditorWindow::showSelection() {
    const int row = editor_.state().selectedRow;
    QItemSelectionModel* selection = grid_->selectionModel();
    if (row < 0 || row >= model_->rowCount()) {
        selection->clearSelection();
        return;
    }
    const QModelIndex current = model_->index(row, 0);
    // Rows selected besides the current one (Coordinate locks them) stay selected.
    if (selection->currentIndex().row() != row || !selection->hasSelection()) {
        selection->setCurrentIndex(current,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
}

void EditorWindow::applyFocus() {
    const EditorState& state = editor_.state();
    if (state.focusRequests == focusRequestsSeen_) {
        return;
    }
    focusRequestsSeen_ = state.focusRequests;
    QWidget* target = nullptr;
    switch (state.focus) {
    case EditorFocus::Name:
        target = txtName_;
        break;
    case EditorFocus::Freq:
        target = txtFreq_;
        break;
    case EditorFocus::Mute:
        target = txtMute_;
        break;
    case EditorFocus::Finish:
        target = cmdFinish_;
        break;
    case EditorFocus::None:
        break;
    }
    if (target != nullptr && target->isEnabled()) {
        target->setFocus(Qt::OtherFocusReason);
    }
}

bool EditorWindow::filterKey(QLineEdit* box, QEvent* event) {
    return FilterKeyPress(
        *static_cast<QKeyEvent*>(event),
        [this, box](QChar key) {
            const TextSelection replaced{box->selectionStart(), box->selectionLength()};
            if (box == txtName_) {
                return editor_.NameKeyPress(key, replaced);
            }
            return box == txtFreq_ ? editor_.FreqKeyPress(key, replaced)
                                   : editor_.MuteKeyPress(key, replaced);
        },
        [box](QChar key) { box->insert(QString(key)); });
}

bool EditorWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box != nullptr && event->type() == QEvent::KeyPress) {
        return filterKey(box, event);
    }
    // Leaving the frequency box for another control of the editor (Tab, Shift+Tab, a click); a
    // box that comes up, or another window taken to the front, is not leaving it. The check
    // runs once the focus has moved: its message box, and the focus it gives back to the box,
    // would otherwise come in the middle of the focus change and leave the box without the
    // next exit's check.
    if (box == txtFreq_ && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (isVisible()) {
                        editor_.FreqBoxLeft();
                    }
                },
                Qt::QueuedConnection);
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool EditorWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate) {
        // The editor's own boxes and dialogs are modal: going back from them is no activation.
        deactivated_ = QApplication::activeModalWidget() == nullptr;
    } else if (event->type() == QEvent::WindowActivate && deactivated_) {
        deactivated_ = false;
        editor_.Activate();
    }
    return QWidget::event(event);
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    // The close box unloads the editor, as Finish does. The station itself never closes the
    // window: it unloads the editor, which hides it first.
    if (isVisible()) {
        editor_.Finish();
    }
    event->accept();
}

} // namespace k7
