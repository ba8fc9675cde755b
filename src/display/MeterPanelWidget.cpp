#include "display/MeterPanelWidget.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace k7 {

MeterPanelWidget::MeterPanelWidget(MeterPanel& panel, RackSettings& rack,
                                   const DeviceTables& devices, QWidget* parent)
    : QWidget(parent), panel_(panel), rack_(rack), devices_(devices) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    panel_.setPasteListener([this](const QRect& rect) { update(rect); });
}

void MeterPanelWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QImage& buffer = panel_.PanelBuf();
    const QRect area = event->rect();
    if (buffer.isNull()) {
        painter.fillRect(area, Qt::black);
        return;
    }
    painter.drawImage(area.topLeft(), buffer, area);
    // Beyond the panel buffer (a window grown after set-up) stays black.
    const QRegion outside = QRegion(area).subtracted(QRegion(buffer.rect()));
    for (const QRect& rect : outside) {
        painter.fillRect(rect, Qt::black);
    }
}

QString MeterPanelWidget::toolTipAt(QPoint point) const {
    QString tip = devices_.ModelVariant == ModelK75 ? toolTipText() : QString();
    if (cellToolTip_) {
        const int slot = FindRx(devices_.RackLayout, static_cast<float>(point.x()),
                                static_cast<float>(point.y()));
        const QString more = RackTables::validSlot(slot) ? cellToolTip_(slot) : QString();
        if (!more.isEmpty()) {
            tip += (tip.isEmpty() ? QString() : QStringLiteral("\n")) + more;
        }
    }
    return tip;
}

void MeterPanelWidget::mouseMoveEvent(QMouseEvent* event) {
    pointer_ = event->position().toPoint();
    if (const QString tip = toolTipAt(pointer_); !tip.isEmpty() || cellToolTip_) {
        setToolTip(tip);
    }
    QWidget::mouseMoveEvent(event);
}

void MeterPanelWidget::mouseReleaseEvent(QMouseEvent* event) {
    pointer_ = event->position().toPoint();
    if (event->button() != Qt::RightButton) {
        return;
    }
    const int slot = FindRx(devices_.RackLayout, static_cast<float>(pointer_.x()),
                            static_cast<float>(pointer_.y()));
    rack_.SelectSlot(slot);
    if (!RackTables::validSlot(slot)) {
        return;
    }
    if (rack_.tables().SlotState[slot] != 0 && devices_.ModelVariant == ModelK75 && openPanel_) {
        openPanel_(slot);
    }
}

void MeterPanelWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    pointer_ = event->position().toPoint();
    if (event->button() != Qt::LeftButton || !openHistory_) {
        return;
    }
    const int slot = FindRx(devices_.RackLayout, static_cast<float>(pointer_.x()),
                            static_cast<float>(pointer_.y()));
    if (RackTables::validSlot(slot) && rack_.tables().SlotState[slot] != 0) {
        openHistory_(slot);
    }
}

} // namespace k7
