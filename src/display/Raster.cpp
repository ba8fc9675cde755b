#include "display/Raster.h"

#include <QFontMetrics>
#include <QPainter>

namespace k7 {

QImage AllocateBuffer(int width, int height) {
    QImage buffer(width, height, QImage::Format_RGB32);
    buffer.fill(Colour::Black);
    return buffer;
}

QRect TargetRect(const QRect& source, QPoint lowerLeft) {
    return QRect(lowerLeft.x(), lowerLeft.y() - (source.height() - 1), source.width(),
                 source.height());
}

void CopyRect(const QImage& from, const QRect& source, QImage& to, QPoint lowerLeft) {
    if (from.isNull() || to.isNull()) {
        return;
    }
    // Only the part of the source inside its buffer is copied; the target keeps the rest.
    const QRect inside = source.intersected(from.rect());
    if (inside.isEmpty()) {
        return;
    }
    const QPoint topLeft =
        TargetRect(source, lowerLeft).topLeft() + (inside.topLeft() - source.topLeft());
    QPainter painter(&to);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(topLeft, from, inside);
}

void FillBuffer(QImage& buffer, const QColor& colour) {
    buffer.fill(colour);
}

void DrawLine(QImage& buffer, QPoint from, QPoint to, const QColor& colour) {
    if (buffer.isNull()) {
        return;
    }
    QPainter painter(&buffer);
    painter.setPen(QPen(colour, 0));
    painter.drawLine(from, to);
}

void DrawText(QImage& buffer, const QFont& font, const QColor& colour, QPoint at, Justify justify,
              const QString& text) {
    if (buffer.isNull() || text.isEmpty()) {
        return;
    }
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(text);
    const int x = justify.x == JustifyX::Centre ? at.x() - width / 2 : at.x();
    // The line box is ascent + descent rows tall and its last row is the anchor row.
    const int lineHeight = metrics.ascent() + metrics.descent();
    const int bottom = justify.y == JustifyY::Bottom ? at.y() : at.y() + lineHeight / 2;
    const int baseline = bottom + 1 - metrics.descent();
    QPainter painter(&buffer);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(QPoint(x, baseline), text);
}

} // namespace k7
