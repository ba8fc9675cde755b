#include "ReceiverPanelWindow.h"

#include "platform/KeyRules.h"
#include "platform/WindowOrder.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QSlider>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace k7 {

namespace {

QLabel* Caption(const QString& text, const QString& tip, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    if (!tip.isEmpty()) {
        label->setToolTip(tip);
    }
    return label;
}

} // namespace

ReceiverPanelWindow::ReceiverPanelWindow(ReceiverPanel& panel, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), panel_(panel) {
    setObjectName(QStringLiteral("frmRx"));
    setWindowTitle(ReceiverPanel::Caption());
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAutoFillBackground(true);
    QPalette dark = palette();
    dark.setColor(QPalette::Window, QColor(16, 16, 16));
    dark.setColor(QPalette::WindowText, QColor(220, 220, 220));
    setPalette(dark);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Caption(QStringLiteral("Name:"), QStringLiteral("Change name"), this), 0, 0);
    txtName_ = new QLineEdit(this);
    txtName_->setObjectName(QStringLiteral("txtName"));
    txtName_->setMaxLength(6); // a pasted text cannot grow past a name either
    txtName_->setValidator(new KeyRuleValidator(
        [this](const QString& text) { return panel_.NameTextAllowed(text); }, txtName_));
    grid->addWidget(txtName_, 0, 1);

    grid->addWidget(Caption(QStringLiteral("Freq:"), QStringLiteral("Edit the Rx frequency"), this),
                    1, 0);
    txtFreq_ = new QLineEdit(this);
    txtFreq_->setObjectName(QStringLiteral("txtFreq"));
    txtFreq_->setContextMenuPolicy(Qt::NoContextMenu); // only keys that pass the rules
    txtFreq_->setValidator(new KeyRuleValidator(
        [this](const QString& text) { return panel_.FreqTextAllowed(text); }, txtFreq_));
    grid->addWidget(txtFreq_, 1, 1);
    backupsAction_ = txtFreq_->addAction(style()->standardIcon(QStyle::SP_ArrowDown),
                                         QLineEdit::TrailingPosition);
    backupsAction_->setObjectName(QStringLiteral("actBackups"));
    backupsAction_->setToolTip(QStringLiteral("Backups (F4)"));
    backupsMenu_ = new QMenu(QStringLiteral("Backups"), this);
    backupsMenu_->setObjectName(QStringLiteral("mnuBackups"));
    connect(backupsAction_, &QAction::triggered, this, [this] { ShowBackups(); });

    grid->addWidget(Caption(QStringLiteral("Band Split:"), QString(), this), 2, 0);
    lblBand_ = new QLabel(this);
    lblBand_->setObjectName(QStringLiteral("lblBand"));
    grid->addWidget(lblBand_, 2, 1);
    grid->addWidget(
        Caption(QStringLiteral("File:"), QStringLiteral("Current frequency file"), this), 3, 0);
    lblSet_ = new QLabel(this);
    lblSet_->setObjectName(QStringLiteral("lblSet"));
    grid->addWidget(lblSet_, 3, 1);
    lblBackup_ = new QLabel(this);
    lblBackup_->setObjectName(QStringLiteral("lblBackup"));
    lblBackup_->setWordWrap(true);
    grid->addWidget(lblBackup_, 4, 0, 1, 2);

    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::StyledPanel);
    auto* frameGrid = new QGridLayout(frame);
    slider_ = new QSlider(Qt::Vertical, frame);
    slider_->setObjectName(QStringLiteral("VSlider1"));
    slider_->setRange(1, 10);
    slider_->setPageStep(1);
    slider_->setTickPosition(QSlider::TicksRight);
    slider_->setTickInterval(1);
    slider_->setTracking(false); // a drag reports scroll events, its end one value change
    slider_->setToolTip(QStringLiteral("Move to change Mute threshold"));
    frameGrid->addWidget(slider_, 0, 0, 5, 1);
    for (int i = 0; i < 5; ++i) {
        auto* scale = new QLabel(QString::number(10 - 2 * i), frame);
        frameGrid->addWidget(scale, i, 1);
    }
    grid->addWidget(frame, 0, 2, 5, 1);

    auto* muteColumn = new QVBoxLayout;
    muteColumn->addWidget(Caption(QStringLiteral("Mute Level"), QString(), this));
    lblMute_ = new QLabel(this);
    lblMute_->setObjectName(QStringLiteral("lblMute"));
    lblMute_->setAlignment(Qt::AlignCenter);
    muteColumn->addWidget(lblMute_);
    lblOnOff_ = new QLabel(this);
    lblOnOff_->setObjectName(QStringLiteral("lblOnOff"));
    lblOnOff_->setAlignment(Qt::AlignCenter);
    muteColumn->addWidget(lblOnOff_);
    muteColumn->addStretch();
    grid->addLayout(muteColumn, 0, 3, 5, 1);

    const std::array<QString, 3> texts{QStringLiteral("OK"), QStringLiteral("Cancel"),
                                       QStringLiteral("User Mute")};
    const std::array<QString, 3> tips{QStringLiteral("Save and make changes"),
                                      QStringLiteral("Cancel changes"),
                                      QStringLiteral("Switch Audio mute")};
    auto* buttons = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        controls_[i] = new QLabel(texts[i], this);
        controls_[i]->setObjectName(QStringLiteral("lblRxControls%1").arg(i));
        controls_[i]->setToolTip(tips[i]);
        controls_[i]->setAlignment(Qt::AlignCenter);
        QFont bold = controls_[i]->font();
        bold.setBold(true);
        controls_[i]->setFont(bold);
        buttons->addWidget(controls_[i]);
    }
    grid->addLayout(buttons, 5, 0, 1, 4);

    installEventFilter(this);
    for (QObject* child : children()) {
        if (child->isWidgetType()) {
            child->installEventFilter(this);
        }
    }
    for (QObject* child : frame->children()) {
        child->installEventFilter(this);
    }
    connect(txtName_, &QLineEdit::textChanged, this,
            [this](const QString& text) { panel_.NameEdited(text); });
    connect(txtFreq_, &QLineEdit::textChanged, this,
            [this](const QString& text) { panel_.FreqEdited(text); });
    connect(slider_, &QSlider::valueChanged, this,
            [this](int value) { panel_.SliderValueChanged(value); });
    connect(slider_, &QSlider::sliderMoved, this,
            [this](int value) { panel_.SliderScrolled(value); });

    panel_.SetView(this);
    StateChanged();
}

ReceiverPanelWindow::~ReceiverPanelWindow() {
    panel_.SetView(nullptr);
    // The widget's own destructor moves the focus out of a box, which would run the boxes' key
    // rules and filters on this half-destroyed window: they go first.
    for (QLineEdit* box : {txtName_, txtFreq_}) {
        box->removeEventFilter(this);
        box->setValidator(nullptr);
        box->disconnect(this);
    }
}

void ReceiverPanelWindow::ShowPanel() {
    StateChanged();
    move(kLeft, kTop);
    show();
    RaiseWindow(*this);
}

void ReceiverPanelWindow::HidePanel() {
    hide();
}

void ReceiverPanelWindow::StateChanged() {
    if (txtName_->text() != panel_.txtName()) {
        txtName_->setText(panel_.txtName());
    }
    if (txtFreq_->text() != panel_.txtFreq()) {
        txtFreq_->setText(panel_.txtFreq());
    }
    txtName_->setEnabled(panel_.nameEnabled());
    txtFreq_->setEnabled(panel_.freqEnabled());
    lblBand_->setText(panel_.lblBand());
    lblBackup_->setText(panel_.lblBackup());
    lblBackup_->setVisible(!panel_.lblBackup().isEmpty());
    setTextColour(lblBackup_, panel_.backupClean() ? QColor(0, 200, 0) : QColor(255, 96, 96));
    backupsAction_->setVisible(!panel_.backups().isEmpty());
    lblSet_->setText(panel_.lblSet());
    lblMute_->setText(panel_.lblMute());
    lblOnOff_->setText(panel_.lblOnOff());
    setTextColour(lblOnOff_, panel_.onOffColour());
    for (int i = 0; i < 3; ++i) {
        setTextColour(controls_[i], panel_.controlColour(i));
    }
    // The controller already knows the level it shows; the move must not come back to it as
    // the operator's change.
    if (slider_->value() != panel_.sliderValue() && !slider_->isSliderDown()) {
        const QSignalBlocker quiet(slider_);
        slider_->setValue(panel_.sliderValue());
    }
}

void ReceiverPanelWindow::ShowBackups() {
    const QStringList backups = panel_.backups();
    if (backups.isEmpty()) {
        return;
    }
    backupsMenu_->clear();
    backupsMenu_->addSection(QStringLiteral("Backups"));
    for (const QString& frequency : backups) {
        QAction* item = backupsMenu_->addAction(frequency);
        connect(item, &QAction::triggered, this, [this, frequency] {
            panel_.TakeBackup(frequency);
            txtFreq_->setFocus(Qt::OtherFocusReason);
        });
    }
    backupsMenu_->popup(txtFreq_->mapToGlobal(QPoint(0, txtFreq_->height())));
}

void ReceiverPanelWindow::setTextColour(QLabel* label, const QColor& colour) {
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
}

bool ReceiverPanelWindow::filterKey(QLineEdit* box, QEvent* event) {
    return FilterKeyPress(
        *static_cast<QKeyEvent*>(event),
        [this, box](QChar key) {
            const TextSelection replaced{box->selectionStart(), box->selectionLength()};
            return box == txtName_ ? panel_.NameKeyPress(key, replaced)
                                   : panel_.FreqKeyPress(key, replaced);
        },
        [box](QChar key) { box->insert(QString(key)); });
}

bool ReceiverPanelWindow::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type == QEvent::KeyPress && (watched == txtName_ || watched == txtFreq_)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (watched == txtFreq_ &&
            (key->key() == Qt::Key_F4 ||
             (key->key() == Qt::Key_Down && key->modifiers().testFlag(Qt::AltModifier)))) {
            ShowBackups();
            return true;
        }
        return filterKey(static_cast<QLineEdit*>(watched), event);
    }
    const auto control = std::find(controls_.begin(), controls_.end(), watched);
    if (control != controls_.end()) {
        const int index = static_cast<int>(control - controls_.begin());
        if (type == QEvent::Enter) {
            panel_.HoverControl(index);
        } else if (type == QEvent::Leave) {
            panel_.HoverPanel();
        } else if (type == QEvent::MouseButtonRelease &&
                   static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
                   (*control)->rect().contains(
                       static_cast<QMouseEvent*>(event)->position().toPoint())) {
            panel_.ControlClicked(index);
            return true;
        }
        return false;
    }
    if (watched == slider_ &&
        (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease)) {
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            if (type == QEvent::MouseButtonPress) {
                panel_.SliderPressed();
            } else {
                panel_.SliderReleased();
            }
        }
        return false;
    }
    if (type == QEvent::Enter) {
        panel_.HoverPanel();
    }
    return QWidget::eventFilter(watched, event);
}

void ReceiverPanelWindow::closeEvent(QCloseEvent* event) {
    if (!event->spontaneous()) {
        QWidget::closeEvent(event); // the station itself closes the window at the stop
        return;
    }
    // The close box takes the changes back, as "Cancel" does; the window stays loaded.
    event->ignore();
    panel_.CloseRequested();
}

} // namespace k7
