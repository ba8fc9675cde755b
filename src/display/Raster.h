// The few buffer operations the meter code needs, on QImage (RGB32) and QPainter: allocate,
// copy a rectangle between buffers with the lower-left target convention, fill, line and
// justified text. A target is named by the lower-left pixel of the rectangle it receives.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

namespace k7 {

namespace Colour {
inline const QColor Black(0, 0, 0);
inline const QColor DarkGrey(64, 64, 64);
inline const QColor Grey(128, 128, 128);
inline const QColor White(255, 255, 255);
inline const QColor Yellow(255, 255, 0);
inline const QColor Green(0, 255, 0);
inline const QColor Red(255, 0, 0);
} // namespace Colour

// A new buffer of the given size, filled black.
QImage AllocateBuffer(int width, int height);

// The rectangle of the target that a copy of `source` to lower-left `lowerLeft` covers: columns
// newx..newx + width - 1, rows newy - (height - 1)..newy.
QRect TargetRect(const QRect& source, QPoint lowerLeft);

// Copies the inclusive rectangle `source` of `from` into `to` with its lower-left pixel at
// `lowerLeft`. Whatever falls outside either buffer is clipped.
void CopyRect(const QImage& from, const QRect& source, QImage& to, QPoint lowerLeft);
// CopyRect into the part of the target inside `clip` only: the rest keeps what it held. An empty
// clip (right of its left or bottom above its top) takes nothing.
void CopyRectClipped(const QImage& from, const QRect& source, QImage& to, QPoint lowerLeft,
                     const QRect& clip);
// CopyRect, telling which part of the target changed: the band of rows that now differ (empty
// when the target already held the same pixels; the whole covered part between buffers of
// different formats).
QRect CopyRectChanged(const QImage& from, const QRect& source, QImage& to, QPoint lowerLeft);

// Whether a copy from one buffer to the other is a copy of the pixels' words, as between two
// buffers of one 32-bit format or from RGB32 to ARGB32 (premultiplied or not); other copies go
// through a painter.
bool CopiesStraight(const QImage& from, const QImage& to);

void FillBuffer(QImage& buffer, const QColor& colour);
// Fills a rectangle (clipped to the buffer) with an opaque colour.
void FillRect(QImage& buffer, const QRect& rect, const QColor& colour);

// A one-pixel line including both end points.
void DrawLine(QImage& buffer, QPoint from, QPoint to, const QColor& colour);

// Where text lands relative to the current point. Horizontal: Start puts the text's left edge
// on x, Centre centres it on x. Vertical: Bottom puts the bottom of its line (descent
// included) on y, Middle centres the line on y.
enum class JustifyX { Start, Centre };
enum class JustifyY { Bottom, Middle };
struct Justify {
    JustifyX x = JustifyX::Start;
    JustifyY y = JustifyY::Bottom;
};
// The justification codes the cell and text code speak: (x code, y code), -1/-2 start/bottom,
// 0 centre.
constexpr Justify JustifyCode(int xCode, int yCode) {
    return {xCode == 0 ? JustifyX::Centre : JustifyX::Start,
            yCode == 0 ? JustifyY::Middle : JustifyY::Bottom};
}

void DrawText(QImage& buffer, const QFont& font, const QColor& colour, QPoint at, Justify justify,
              const QString& text);

} // namespace k7
