// The window over the meter panel: repaints from PanelBuf, shows the tool tip on K7.5 set-ups,
// keeps the pointer position and turns a right-button release into a slot. The slot-opened
// callback is the only road from the panel to the receiver control panel: a click that opens
// nothing changes SelectedSlot but never the slot an open control panel acts on, since that
// panel keeps the slot it was opened with.
#pragma once

#include "display/MeterPanel.h"
#include "rack/RackSettings.h"

#include <QPoint>
#include <QWidget>

#include <functional>

namespace k7 {

class MeterPanelWidget final : public QWidget {
    Q_OBJECT
public:
    // rack: the click selects its slot.
    MeterPanelWidget(MeterPanel& panel, RackSettings& rack, const DeviceTables& devices,
                     QWidget* parent = nullptr);

    // Called with the slot when a right click lands on a receiver that has answered, on a K7.5
    // set-up.
    void setOpenPanelCallback(std::function<void(int slot)> callback) {
        openPanel_ = std::move(callback);
    }
    // Called with the slot when a left double click lands on a receiver that has answered.
    void setOpenHistoryCallback(std::function<void(int slot)> callback) {
        openHistory_ = std::move(callback);
    }
    QPoint pointerPosition() const { return pointer_; }
    // More for a cell's tool tip (a rack check's conflicts); empty: nothing more.
    void setCellToolTip(std::function<QString(int slot)> more) { cellToolTip_ = std::move(more); }
    // The tool tip at a point of the panel.
    QString toolTipAt(QPoint point) const;

    static QString toolTipText() { return QStringLiteral("Right Click to change values."); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    MeterPanel& panel_;
    RackSettings& rack_;
    const DeviceTables& devices_;
    std::function<void(int)> openPanel_;
    std::function<QString(int)> cellToolTip_;
    std::function<void(int)> openHistory_;
    QPoint pointer_;
};

} // namespace k7
