// The start-up dialog's window: a small top-most window over the main window that shows its
// controller's state (picture, question, close countdown with "Rescan", buttons, labels,
// progress) and hands every click to the controller.
#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QGroupBox;

namespace k7 {

class StartupDialogController;

class StartupDialog final : public QDialog {
    Q_OBJECT
public:
    // deviceCount: read at each placement (it is known only after the devices are found).
    StartupDialog(StartupDialogController& controller, QWidget* mainWindow, const int& deviceCount);

    // Places the dialog over the main window: at load centred; at activation by rack size.
    void Place(bool activation);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void refresh();

    StartupDialogController& controller_;
    QWidget* mainWindow_;
    const int& deviceCount_;
    bool wasVisible_ = false;

    // The dialog's parts, each named as its member (the window tests find them by name).
    QLabel* picture = nullptr;
    QLabel* lblV = nullptr;
    QLabel* receiverCount = nullptr;
    QLabel* lblRx = nullptr;
    QLabel* lblRxNo = nullptr;
    QListWidget* lstStatus = nullptr;
    QProgressBar* pbStartup = nullptr;
    QGroupBox* frQuery = nullptr;
    QLabel* lblFSec = nullptr;
    QPushButton* cmdYes = nullptr;
    QPushButton* cmdNo = nullptr;
    QGroupBox* frClose = nullptr;
    QLabel* lblSec = nullptr;
    QPushButton* cmdContinue = nullptr;
    QPushButton* cmdClose = nullptr;
    QPushButton* cmdRescan = nullptr;
};

} // namespace k7
