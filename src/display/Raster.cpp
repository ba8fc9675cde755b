#include "display/Raster.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <limits>

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

bool CopiesStraight(const QImage& from, const QImage& to) {
    if (from.depth() != 32 || to.depth() != 32) {
        return false;
    }
    // Every pixel of an RGB32 image is opaque (alpha 0xff), and an opaque pixel is the same
    // word in ARGB32 and ARGB32_Premultiplied.
    return from.format() == to.format() || (from.format() == QImage::Format_RGB32 &&
                                            (to.format() == QImage::Format_ARGB32 ||
                                             to.format() == QImage::Format_ARGB32_Premultiplied));
}

namespace {

// All of a target.
const QRect
    kEverywhere(QPoint(std::numeric_limits<int>::min() / 2, std::numeric_limits<int>::min() / 2),
                QPoint(std::numeric_limits<int>::max() / 2, std::numeric_limits<int>::max() / 2));

// The copy of CopyRect, CopyRectClipped and CopyRectChanged, into the target's `clip` only;
// with findChange, rows that already hold the same pixels are left alone and the band of rows
// that changed is returned, else every row is copied and the covered part returned.
QRect CopyRows(const QImage& from, const QRect& source, QImage& to, QPoint lowerLeft,
               bool findChange, const QRect& clip = kEverywhere) {
    // An empty clip takes nothing (QRect would turn a flipped one over when intersecting).
    if (from.isNull() || to.isNull() || clip.isEmpty()) {
        return {};
    }
    // Only the part of the source inside its buffer is copied; the target keeps the rest.
    const QRect inside = source.intersected(from.rect());
    if (inside.isEmpty()) {
        return {};
    }
    const QPoint topLeft =
        TargetRect(source, lowerLeft).topLeft() + (inside.topLeft() - source.topLeft());
    const QRect target = QRect(topLeft, inside.size()).intersected(to.rect()).intersected(clip);
    if (target.isEmpty()) {
        return {};
    }
    if (&from == &to || !CopiesStraight(from, to)) {
        QPainter painter(&to);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.setClipRect(target);
        painter.drawImage(topLeft, from, inside);
        return target;
    }
    // Between buffers of one format a copy is a copy of row pieces: what drawImage does here,
    // without setting up a painter for each of the many small copies of a redraw.
    const QPoint start = inside.topLeft() + (target.topLeft() - topLeft);
    const auto rowBytes = static_cast<std::size_t>(target.width()) * 4;
    const uchar* piece = from.constBits() + start.y() * from.bytesPerLine() + start.x() * 4;
    uchar* onto = to.bits() + target.top() * to.bytesPerLine() + target.left() * 4;
    int first = -1;
    int last = -1;
    for (int y = target.top(); y <= target.bottom(); ++y) {
        if (!findChange || std::memcmp(onto, piece, rowBytes) != 0) {
            std::memcpy(onto, piece, rowBytes);
            first = first < 0 ? y : first;
            last = y;
        }
        piece += from.bytesPerLine();
        onto += to.bytesPerLine();
    }
    if (first < 0) {
        return {};
    }
    return QRect(target.left(), first, target.width(), last - first + 1);
}

} // namespace

void CopyRect(const QImage& from, const QRect& source, QImage& to, QPoint lowerLeft) {
    // A composing copy: nobody asks what changed, so nothing is compared.
    CopyRows(from, source, to, lowerLeft, false);
}

void CopyRectClipped(const QImage& from, const QRect& source, QImage& to, QPoint lowerLeft,
                     const QRect& clip) {
    CopyRows(from, source, to, lowerLeft, false, clip);
}

QRect CopyRectChanged(const QImage& from, const QRect& source, QImage& to, QPoint lowerLeft) {
    // Only a change is shown again.
    return CopyRows(from, source, to, lowerLeft, true);
}

void FillBuffer(QImage& buffer, const QColor& colour) {
    buffer.fill(colour);
}

void FillRect(QImage& buffer, const QRect& rect, const QColor& colour) {
    const QRect inside = rect.intersected(buffer.rect());
    if (buffer.isNull() || inside.isEmpty()) {
        return;
    }
    if (buffer.depth() != 32) {
        QPainter(&buffer).fillRect(inside, colour);
        return;
    }
    // What a painter's fill of an opaque colour leaves in a 32-bit buffer, row by row.
    const QRgb pixel = colour.rgb();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(buffer.scanLine(y)) + inside.left();
        std::fill(line, line + inside.width(), pixel);
    }
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
