// k7_atlas: paints the sprite atlas Graphics.tof (a 24-bit BMP) at build time. Each sprite is
// drawn at its rectangle of the sprite table in a dark meter-bridge look: segmented bars from
// green through yellow to red, bright peak and red threshold markers, lit and idle lamps,
// battery gauge frames, a user-mute icon and engraved cell backgrounds, in the full size and in
// the compact size of the forty-slot cell.
#include "display/Sprites.h"

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cstdio>

namespace {

using k7::Sprite;
using k7::SpriteAt;

const QColor kPanel(24, 26, 30);
// The recessed wells the meters sit in: near black, so the elements' black boxes blend in.
const QColor kWell(7, 8, 9);
const QColor kBarBack(10, 11, 13);

// Where the red and the yellow zone of a bar end, in rows from the top of its sprite.
struct Zones {
    int redEnd;
    int yellowEnd;
};

// The colour of a bar segment by its row from the top of the sprite.
QColor ZoneColour(int row, Zones zones, bool lit, bool muted) {
    const int redEnd = zones.redEnd;
    const int yellowEnd = zones.yellowEnd;
    QColor colour;
    if (row <= redEnd) {
        colour = QColor(240, 48, 40);
    } else if (row <= yellowEnd) {
        colour = QColor(246, 206, 36);
    } else {
        colour = QColor(44, 214, 84);
    }
    if (muted) {
        const int grey = qGray(colour.rgb());
        colour = QColor(grey, grey, grey);
    }
    if (!lit) {
        colour = colour.darker(muted ? 520 : 420);
    }
    return colour;
}

// A bar: segments of three rows with a one-row gap counted from the bottom.
void PaintBarIn(QImage& atlas, const QRect& r, Zones zones, bool lit, bool muted) {
    QPainter p(&atlas);
    p.fillRect(r, kBarBack);
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const int fromBottom = r.bottom() - y;
        if (fromBottom % 4 == 3) {
            continue;
        }
        const QColor c = ZoneColour(y - r.top(), zones, lit, muted);
        p.fillRect(QRect(r.left() + 1, y, r.width() - 2, 1), c);
        // A highlight down the left edge gives the segments some depth.
        p.fillRect(QRect(r.left() + 1, y, 1, 1), c.lighter(125));
    }
}

// The long bars of 20 columns, on the 255-row scale. The short (128-row) bars read the upper rows
// of the same sprites, and the zones are placed so that their yellow and red begin near "-6 dB"
// and "0 dB" on both scales.
void PaintBar(QImage& atlas, Sprite sprite, bool rf, bool lit, bool muted) {
    QRect r = SpriteAt(sprite).rect();
    if (rf) {
        // A full-scale RF bar reads one row above its sprite (256 rows from a 255-row sprite).
        r.setTop(r.top() - 1);
    }
    PaintBarIn(atlas, r, rf ? Zones{25, 51} : Zones{50, 76}, lit, muted);
}

// The forty-slot bars, 80 rows on the 79-pixel scale: red above the ninth RF mark and above
// "0 dB", yellow down to the eighth RF mark and to "-3 dB".
void PaintBar40(QImage& atlas, Sprite sprite, bool rf, bool lit, bool muted) {
    PaintBarIn(atlas, SpriteAt(sprite).rect(), rf ? Zones{7, 15} : Zones{15, 23}, lit, muted);
}

void PaintMarker(QImage& atlas, Sprite sprite, const QColor& colour) {
    const QRect r = SpriteAt(sprite).rect();
    QPainter p(&atlas);
    p.fillRect(r, Qt::black);
    p.fillRect(QRect(r.left(), r.top() + 1, r.width(), 3), colour);
    p.fillRect(QRect(r.left(), r.top() + 2, r.width(), 1), colour.lighter(130));
}

void PaintLamp(QImage& atlas, Sprite sprite, const QColor& core, bool glow) {
    const QRect r = SpriteAt(sprite).rect();
    QPainter p(&atlas);
    p.fillRect(r, kWell);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF disc = QRectF(r).adjusted(0.5, 0.5, 0.5, 0.5);
    QRadialGradient g(disc.center() - QPointF(1.5, 1.5), disc.width() / 2);
    g.setColorAt(0, glow ? core.lighter(160) : core.lighter(115));
    g.setColorAt(1, core);
    p.setPen(QPen(QColor(0, 0, 0), 1));
    p.setBrush(g);
    p.drawEllipse(disc.adjusted(0.5, 0.5, -0.5, -0.5));
}

void PaintGaugeFrame(QImage& atlas, Sprite sprite, const QColor& outline) {
    const QRect r = SpriteAt(sprite).rect(); // 20 x 75
    QPainter p(&atlas);
    p.fillRect(r, Qt::black);
    // Terminal on top, body below; the fill enters columns 2..17, rows 10..71 of the gauge.
    p.fillRect(QRect(r.left() + 6, r.top() + 4, 8, 4), outline);
    p.setPen(QPen(outline, 1));
    p.drawRect(QRect(r.left() + 1, r.top() + 8, 17, 65));
    p.drawRect(QRect(r.left(), r.top() + 7, 19, 67));
    p.fillRect(QRect(r.left() + 2, r.top() + 10, 16, 62), QColor(14, 16, 18));
}

// The forty-slot gauge, 16 x 42: terminal on top, a one-pixel outline; the fill enters columns
// 2..13, rows 7..38.
void PaintGaugeFrame40(QImage& atlas, Sprite sprite, const QColor& outline) {
    const QRect r = SpriteAt(sprite).rect();
    QPainter p(&atlas);
    p.fillRect(r, Qt::black);
    p.fillRect(QRect(r.left() + 5, r.top() + 1, 6, 3), outline);
    p.fillRect(QRect(r.left(), r.top() + 4, 16, 38), outline);
    p.fillRect(QRect(r.left() + 1, r.top() + 5, 14, 36), QColor(14, 16, 18));
}

// The gauge fill: green segments of `period` rows, the last of each a gap, from the bottom.
void PaintGaugeFill(QImage& atlas, Sprite sprite, int period) {
    const QRect r = SpriteAt(sprite).rect();
    QPainter p(&atlas);
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const bool gap = (r.bottom() - y) % period == period - 1;
        p.fillRect(QRect(r.left(), y, r.width(), 1),
                   gap ? QColor(14, 16, 18) : QColor(70, 200, 110));
    }
}

// A struck-out speaker on a red plate filling `area`; the drawing is made for a 30-pixel plate
// and scaled to the area.
void PaintMuteSymbol(QImage& atlas, const QRect& area) {
    const double k = area.width() / 30.0;
    QPainter p(&atlas);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(area).adjusted(1, 1, -1, -1);
    p.setPen(QPen(QColor(255, 90, 80), 1.5 * std::max(k, 0.7)));
    p.setBrush(QColor(150, 20, 20));
    p.drawRoundedRect(box, 4 * k, 4 * k);
    // Speaker.
    const QPointF c = box.center();
    QPainterPath speaker;
    speaker.moveTo(c.x() - 9 * k, c.y() - 3 * k);
    speaker.lineTo(c.x() - 5 * k, c.y() - 3 * k);
    speaker.lineTo(c.x() + 0 * k, c.y() - 8 * k);
    speaker.lineTo(c.x() + 0 * k, c.y() + 8 * k);
    speaker.lineTo(c.x() - 5 * k, c.y() + 3 * k);
    speaker.lineTo(c.x() - 9 * k, c.y() + 3 * k);
    speaker.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(speaker);
    // Cross.
    p.setPen(QPen(Qt::white, 2.2 * std::max(k, 0.75), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(c.x() + 3 * k, c.y() - 4 * k), QPointF(c.x() + 10 * k, c.y() + 4 * k));
    p.drawLine(QPointF(c.x() + 3 * k, c.y() + 4 * k), QPointF(c.x() + 10 * k, c.y() - 4 * k));
}

// Both user-mute sprites share one area of the atlas: the 8-slot cell keeps atlas rows 82..112
// and columns 343..373 of it, the smaller cells rows 81..111 and columns 344..374, so the icon
// lives in the 30 x 30 square both keep.
void PaintMuteIcon(QImage& atlas) {
    const QRect r = SpriteAt(Sprite::UserMuteIcon).rect();
    QPainter(&atlas).fillRect(r, Qt::black);
    PaintMuteSymbol(atlas, QRect(344, 82, 30, 30));
}

void PaintMuteIcon40(QImage& atlas) {
    const QRect r = SpriteAt(Sprite::UserMuteIcon40).rect();
    QPainter(&atlas).fillRect(r, Qt::black);
    PaintMuteSymbol(atlas, r);
}

// A quiet engraved frame: a dark line with a light line inside it.
void Engrave(QPainter& p, const QRect& r) {
    p.setPen(QColor(8, 9, 11));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setPen(QColor(52, 56, 62));
    p.drawRect(r.adjusted(1, 1, -2, -2));
}

void PaintCell8(QImage& atlas) {
    const QRect r = SpriteAt(Sprite::Cell8Background).rect(); // 200 x 350
    QPainter p(&atlas);
    p.fillRect(r, kPanel);
    Engrave(p, r.adjusted(2, 2, -2, -2));
    // Name plate behind the text box, and a well behind the bars and scales.
    const QRect plate(r.left() + 3, r.top() + 11, 194, 43);
    const QRect meters(r.left() + 8, r.top() + 57, 184, 270);
    for (const QRect& well : {plate, meters}) {
        p.fillRect(well, kWell);
        Engrave(p, well);
    }
}

// The 24-slot background; the 16-slot cell reads the same area as two overlapping halves, so it
// carries only features that run along the rows or sit at its outer edges.
void PaintSmallCell(QImage& atlas) {
    const QRect r16 = SpriteAt(Sprite::Cell16Background).rect();
    const QRect r24 = SpriteAt(Sprite::Cell24Background).rect();
    QPainter p(&atlas);
    p.fillRect(r16, kWell);
    Engrave(p, r24.adjusted(1, 1, -1, -1));
    // A name plate band across the top, set off by an engraved line.
    p.fillRect(QRect(r24.left() + 3, r24.top() + 3, r24.width() - 6, 30), QColor(0, 0, 0));
    p.setPen(QColor(8, 9, 11));
    p.drawLine(r24.left() + 3, r24.top() + 33, r24.right() - 3, r24.top() + 33);
    p.setPen(QColor(52, 56, 62));
    p.drawLine(r24.left() + 3, r24.top() + 34, r24.right() - 3, r24.top() + 34);
}

// The forty-slot cell, 100 x 140: a name plate over a meter well, set off by an engraved line,
// inside an engraved frame that joins its neighbours' into a grid.
void PaintCell40(QImage& atlas) {
    const QRect r = SpriteAt(Sprite::Cell40Background).rect();
    QPainter p(&atlas);
    p.fillRect(r, kPanel);
    Engrave(p, r);
    p.fillRect(QRect(r.left() + 2, r.top() + 2, 96, 30), Qt::black);
    p.fillRect(QRect(r.left() + 2, r.top() + 34, 96, 104), kWell);
    p.setPen(QColor(8, 9, 11));
    p.drawLine(r.left() + 2, r.top() + 32, r.right() - 2, r.top() + 32);
    p.setPen(QColor(52, 56, 62));
    p.drawLine(r.left() + 2, r.top() + 33, r.right() - 2, r.top() + 33);
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: k7_atlas OUTPUT.tof\n");
        return 2;
    }
    QImage atlas(k7::kAtlasWidth, k7::kAtlasHeight, QImage::Format_RGB32);
    atlas.fill(Qt::black);

    PaintLamp(atlas, Sprite::LampLit, QColor(40, 230, 70), true);
    PaintLamp(atlas, Sprite::LampIdle, QColor(24, 70, 34), false);
    PaintLamp(atlas, Sprite::LampOff, QColor(48, 48, 52), false);
    PaintMuteIcon(atlas);
    PaintGaugeFill(atlas, Sprite::GaugeFill, 6);
    PaintGaugeFrame(atlas, Sprite::GaugeFrameNormal, QColor(200, 204, 210));
    PaintGaugeFrame(atlas, Sprite::GaugeFrameLow, QColor(255, 40, 30));
    PaintMarker(atlas, Sprite::ThresholdMarker, QColor(255, 30, 30));
    PaintMarker(atlas, Sprite::PeakMarker, QColor(235, 245, 255));
    PaintBar(atlas, Sprite::VuBarUnlit, false, false, false);
    PaintBar(atlas, Sprite::RfBarUnlit, true, false, false);
    PaintBar(atlas, Sprite::VuBarLit, false, true, false);
    PaintBar(atlas, Sprite::RfBarLit, true, true, false);
    PaintBar(atlas, Sprite::VuBarUnlitMuted, false, false, true);
    PaintBar(atlas, Sprite::RfBarUnlitMuted, true, false, true);
    PaintBar(atlas, Sprite::VuBarLitMuted, false, true, true);
    PaintBar(atlas, Sprite::RfBarLitMuted, true, true, true);
    PaintCell8(atlas);
    PaintSmallCell(atlas);

    PaintCell40(atlas);
    PaintBar40(atlas, Sprite::RfBar40Unlit, true, false, false);
    PaintBar40(atlas, Sprite::RfBar40Lit, true, true, false);
    PaintBar40(atlas, Sprite::RfBar40UnlitMuted, true, false, true);
    PaintBar40(atlas, Sprite::RfBar40LitMuted, true, true, true);
    PaintBar40(atlas, Sprite::VuBar40Unlit, false, false, false);
    PaintBar40(atlas, Sprite::VuBar40Lit, false, true, false);
    PaintBar40(atlas, Sprite::VuBar40UnlitMuted, false, false, true);
    PaintBar40(atlas, Sprite::VuBar40LitMuted, false, true, true);
    PaintGaugeFrame40(atlas, Sprite::GaugeFrame40Normal, QColor(200, 204, 210));
    PaintGaugeFrame40(atlas, Sprite::GaugeFrame40Low, QColor(255, 40, 30));
    PaintGaugeFill(atlas, Sprite::GaugeFill40, 4);
    PaintMuteIcon40(atlas);

    if (!atlas.save(QString::fromLocal8Bit(argv[1]), "BMP")) {
        std::fprintf(stderr, "k7_atlas: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
