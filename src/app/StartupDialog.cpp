#include "StartupDialog.h"

#include "StartupDialogController.h"
#include "platform/WindowOrder.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QListWidget>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace k7 {
namespace {

QPixmap ProductPicture() {
    QPixmap pixmap(280, 90);
    QPainter painter(&pixmap);
    QLinearGradient gradient(0, 0, 0, 90);
    gradient.setColorAt(0, QColor(40, 44, 52));
    gradient.setColorAt(1, QColor(10, 12, 16));
    painter.fillRect(pixmap.rect(), gradient);
    painter.setPen(QColor(120, 200, 120));
    QFont font = painter.font();
    font.setBold(true);
    font.setPointSize(28);
    painter.setFont(font);
    painter.drawText(QRect(0, 0, 280, 60), Qt::AlignCenter, QStringLiteral("K7"));
    font.setPointSize(9);
    font.setBold(false);
    painter.setFont(font);
    painter.setPen(QColor(200, 200, 200));
    painter.drawText(QRect(0, 56, 280, 30), Qt::AlignCenter,
                     QStringLiteral("Veltora wireless receivers"));
    return pixmap;
}

QLabel* Text(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

// A part of the dialog, named for the window tests.
template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

StartupDialog::StartupDialog(StartupDialogController& controller, QWidget* mainWindow,
                             const int& deviceCount)
    : QDialog(mainWindow, Qt::Tool | Qt::WindowStaysOnTopHint), controller_(controller),
      mainWindow_(mainWindow), deviceCount_(deviceCount) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Veltora K7 Series monitoring "));
    setModal(false);
    auto* layout = new QVBoxLayout(this);

    picture = Named(new QLabel(this), "picture");
    picture->setPixmap(ProductPicture());
    picture->setAlignment(Qt::AlignCenter);
    layout->addWidget(picture);

    auto* counts = new QHBoxLayout;
    counts->addWidget(new QLabel(QStringLiteral("USB Connections:"), this));
    receiverCount = Named(new QLabel(this), "receiverCount");
    counts->addWidget(receiverCount, 1);
    lblV = Named(new QLabel(QStringLiteral("Ver:"), this), "lblV");
    counts->addWidget(lblV);
    layout->addLayout(counts);

    auto* activity = new QHBoxLayout;
    lblRx = Named(new QLabel(this), "lblRx");
    lblRxNo = Named(new QLabel(this), "lblRxNo");
    activity->addWidget(lblRx);
    activity->addWidget(lblRxNo, 1);
    layout->addLayout(activity);

    layout->addWidget(new QLabel(QStringLiteral("Status"), this));
    lstStatus = Named(new QListWidget(this), "lstStatus");
    lstStatus->setMaximumHeight(48);
    layout->addWidget(lstStatus);
    pbStartup = Named(new QProgressBar(this), "pbStartup");
    pbStartup->setTextVisible(false);
    layout->addWidget(pbStartup);

    frQuery = Named(new QGroupBox(this), "frQuery");
    auto* query = new QVBoxLayout(frQuery);
    query->addWidget(Text(QStringLiteral("Receiver and file data do not match."), frQuery));
    query->addWidget(
        Text(QStringLiteral("Do you still wish to load the last used file?"), frQuery));
    auto* queryCount = new QHBoxLayout;
    queryCount->addWidget(new QLabel(QStringLiteral("Starting with Receiver data in"), frQuery));
    lblFSec = Named(new QLabel(frQuery), "lblFSec");
    queryCount->addWidget(lblFSec, 1);
    query->addLayout(queryCount);
    auto* answers = new QHBoxLayout;
    cmdYes = Named(new QPushButton(QStringLiteral("Yes"), frQuery), "cmdYes");
    cmdNo = Named(new QPushButton(QStringLiteral("No"), frQuery), "cmdNo");
    answers->addWidget(cmdYes);
    answers->addWidget(cmdNo);
    query->addLayout(answers);
    layout->addWidget(frQuery);

    frClose = Named(new QGroupBox(this), "frClose");
    auto* close = new QVBoxLayout(frClose);
    close->addWidget(Text(QStringLiteral("The USB system has changed. "), frClose));
    close->addWidget(Text(QStringLiteral("You should close the monitoring program, check your "
                                         "connections and restart the application."),
                          frClose));
    auto* closeCount = new QHBoxLayout;
    closeCount->addWidget(new QLabel(QStringLiteral("Closing in :"), frClose));
    lblSec = Named(new QLabel(frClose), "lblSec");
    closeCount->addWidget(lblSec, 1);
    close->addLayout(closeCount);
    close->addWidget(Text(QStringLiteral("Or check the connections and choose Rescan."), frClose));
    layout->addWidget(frClose);

    auto* buttons = new QHBoxLayout;
    cmdContinue = Named(new QPushButton(QStringLiteral("Continue"), this), "cmdContinue");
    cmdClose = Named(new QPushButton(QStringLiteral("Close now"), this), "cmdClose");
    cmdRescan = Named(new QPushButton(QStringLiteral("Rescan"), this), "cmdRescan");
    cmdContinue->setAutoDefault(false);
    cmdClose->setAutoDefault(false);
    cmdRescan->setAutoDefault(false);
    buttons->addWidget(cmdContinue);
    buttons->addWidget(cmdClose);
    buttons->addWidget(cmdRescan);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdYes, &QPushButton::clicked, this, [this] { controller_.PressYes(); });
    connect(cmdNo, &QPushButton::clicked, this, [this] { controller_.PressNo(); });
    connect(cmdContinue, &QPushButton::clicked, this, [this] { controller_.PressContinue(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { controller_.PressCloseNow(); });
    connect(cmdRescan, &QPushButton::clicked, this, [this] { controller_.PressRescan(); });

    // The controller outlives the window: a change after the window is gone reaches nobody.
    controller_.AddObserver([self = QPointer<StartupDialog>(this)] {
        if (self) {
            self->refresh();
        }
    });
    refresh();
}

void StartupDialog::Place(bool activation) {
    if (!mainWindow_) {
        return;
    }
    adjustSize();
    move(PlaceStartupDialog(mainWindow_->frameGeometry(), frameGeometry().size(), deviceCount_,
                            activation));
}

void StartupDialog::refresh() {
    const StartupDialogState& state = controller_.state();
    picture->setVisible(state.picture);
    frQuery->setVisible(state.query);
    frClose->setVisible(state.close);
    cmdContinue->setVisible(state.continueButton);
    cmdClose->setVisible(state.closeButton);
    cmdRescan->setVisible(state.rescanButton);
    lblV->setText(state.version);
    receiverCount->setText(state.receiverCount);
    lblRx->setText(state.lblRx);
    lblRxNo->setText(state.lblRxNo);
    pbStartup->setRange(state.progressMinimum, state.progressMaximum);
    pbStartup->setValue(state.progress);
    lblFSec->setText(state.lblFSec);
    lblSec->setText(state.lblSec);
    if (lstStatus->count() != state.status.size()) {
        lstStatus->clear();
        lstStatus->addItems(state.status);
    }
    if (state.visible && !wasVisible_) {
        Place(true);
        show();
        RaiseWindow(*this); // top-most in front of the main window
    } else if (!state.visible && wasVisible_) {
        hide();
    }
    wasVisible_ = state.visible;
    if (state.visible && state.closeButtonFocused && state.closeButton) {
        cmdClose->setFocus();
    }
}

void StartupDialog::closeEvent(QCloseEvent* event) {
    // The dialog goes only with the station; its own close box does nothing.
    event->ignore();
}

void StartupDialog::keyPressEvent(QKeyEvent* event) {
    // Escape must not hide the dialog behind the controller's back.
    if (event->key() != Qt::Key_Escape) {
        QDialog::keyPressEvent(event);
    }
}

} // namespace k7
