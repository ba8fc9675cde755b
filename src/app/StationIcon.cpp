#include "StationIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>

#include <array>

namespace k7 {
namespace {

// The four columns of the packaged icon (its 128-unit grid): the segments lit from the bottom
// and the row of the white peak mark.
struct Column {
    int x, lit, peakY;
};
constexpr std::array<Column, 4> kColumns{{{18, 9, 37}, {44, 12, 16}, {70, 7, 51}, {96, 10, 30}}};
constexpr int kSegments = 13;

// Segments 0 to 7 are green, 8 to 10 yellow, 11 and 12 red; lit or dark.
QColor SegmentColour(int segment, bool lit) {
    if (segment < 8) {
        return lit ? QColor(0x2c, 0xd6, 0x54) : QColor(0x0a, 0x33, 0x14);
    }
    if (segment < 11) {
        return lit ? QColor(0xf5, 0xc5, 0x18) : QColor(0x3b, 0x31, 0x09);
    }
    return lit ? QColor(0xff, 0x3b, 0x30) : QColor(0x39, 0x0b, 0x0a);
}

QPixmap Draw(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 128.0, size / 128.0);
    QLinearGradient panel(0, 4, 0, 124);
    panel.setColorAt(0, QColor(0x3a, 0x3f, 0x46));
    panel.setColorAt(1, QColor(0x18, 0x1a, 0x1e));
    p.setPen(Qt::NoPen);
    p.setBrush(panel);
    p.drawRoundedRect(QRectF(4, 4, 120, 120), 14, 14);
    p.setBrush(QColor(0x0a, 0x0b, 0x0d));
    p.drawRoundedRect(QRectF(10, 12, 108, 104), 6, 6);
    for (const Column& column : kColumns) {
        for (int segment = 0; segment < kSegments; ++segment) {
            p.fillRect(QRectF(column.x, 104 - 7 * segment, 14, 5),
                       SegmentColour(segment, segment < column.lit));
        }
        p.fillRect(QRectF(column.x, column.peakY, 14, 2), Qt::white);
    }
    return pixmap;
}

} // namespace

QIcon StationIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addPixmap(Draw(size));
    }
    return icon;
}

} // namespace k7
