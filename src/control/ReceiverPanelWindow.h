// The receiver control panel's window (frmRx, "Receiver Parameters"): a thin view that shows the
// ReceiverPanel controller's state and forwards keys, clicks, hovering and slider events to it.
#pragma once

#include "ReceiverPanel.h"

#include <QWidget>

#include <array>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QSlider;

namespace k7 {

class ReceiverPanelWindow final : public QWidget, public ReceiverPanelView {
    Q_OBJECT
public:
    static constexpr int kLeft = 5;
    static constexpr int kTop = 389;

    explicit ReceiverPanelWindow(ReceiverPanel& panel, QWidget* parent = nullptr);
    ~ReceiverPanelWindow() override;

    void ShowPanel() override;
    void HidePanel() override;
    void StateChanged() override;
    // The controls carry their station names as object names ("txtName", "VSlider1",
    // "lblRxControls0" ...).

    // The frequency box's list of backups ("Backups"), at the box: from its arrow, F4 or
    // Alt+Down.
    void ShowBackups();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool filterKey(QLineEdit* box, QEvent* event);
    static void setTextColour(QLabel* label, const QColor& colour);

    ReceiverPanel& panel_;
    QLineEdit* txtName_ = nullptr;
    QLineEdit* txtFreq_ = nullptr;
    QSlider* slider_ = nullptr;
    QLabel* lblMute_ = nullptr;
    QLabel* lblOnOff_ = nullptr;
    QLabel* lblSet_ = nullptr;
    QLabel* lblBand_ = nullptr;
    QLabel* lblBackup_ = nullptr;
    QAction* backupsAction_ = nullptr;
    QMenu* backupsMenu_ = nullptr;
    std::array<QLabel*, 3> controls_{};
};

} // namespace k7
