// The forty-slot cell: its background with the RF and audio scales, lamps and captions, and its
// two-line text box.
#include "display/Layout40.h"
#include "display/MeterPanel.h"
#include "display/Raster.h"
#include "display/ScaleMarks.h"

namespace k7 {

namespace {

// The scale lines run up the right of the RF B bar and of the audio bar; their numbers follow.
constexpr int kRfScaleX = 20;
constexpr int kAudioScaleX = 56;
constexpr int kTickLength = 3;
constexpr int kNumberGap = 4;

// The five marks of the 79-pixel scales: 16, 32, 47, 63 and 79 rows above the bar bottom.
int MarkRow(int i) {
    return TickRow(i, 5, Cell40::BarRows - 1, Cell40::BarBottom);
}

// Text box rows (the box is the cell's rows 2..31): the name line, then the frequency line.
constexpr int kNameBottom = 15;
constexpr int kFrequencyBottom = 28;
constexpr int kTextCentre = Cell40::TextWidth / 2;
// In the muted style "MUTE" goes to the left of the frequency, which moves right to make room.
constexpr int kMuteCentre = 15;
constexpr int kMutedFrequencyCentre = 62;

} // namespace

void MeterPanel::BuildCell40() {
    if (!setUp_) {
        return;
    }
    QImage& cell = cellBuf_;
    copySprite(Sprite::Cell40Background, cell, {0, kCell40Height - 1});
    copySprite(Sprite::LampOff, cell, {Cell40::LampLeft, Cell40::LampABottom});
    copySprite(Sprite::LampOff, cell, {Cell40::LampLeft, Cell40::LampBBottom});
    const Justify fromPoint = JustifyCode(-1, -1);
    const int labelX = Cell40::LampLeft + 15;
    DrawText(cell, fonts_.Font8, Colour::Yellow, {labelX, Cell40::LampABottom + 1}, fromPoint,
             QStringLiteral("A"));
    DrawText(cell, fonts_.Font8, Colour::Yellow, {labelX, Cell40::LampBBottom + 1}, fromPoint,
             QStringLiteral("B"));

    const Justify centred = JustifyCode(0, -1);
    const int captionBottom = kCell40Height - 3;
    DrawText(cell, fonts_.Font8, Colour::Yellow,
             {Cell40::RfLeftA + Cell40::RfWidth / 2, captionBottom}, centred, QStringLiteral("A"));
    DrawText(cell, fonts_.Font8, Colour::Yellow,
             {Cell40::RfLeftB + Cell40::RfWidth / 2, captionBottom}, centred, QStringLiteral("B"));
    DrawText(cell, fonts_.Font8, Colour::Yellow,
             {Cell40::AudioLeft + Cell40::AudioWidth / 2, captionBottom}, centred,
             QStringLiteral("VU"));

    const Justify startMiddle = JustifyCode(-2, 0);
    const int top = MarkRow(5);
    for (const int x : {kRfScaleX, kAudioScaleX}) {
        DrawLine(cell, {x, Cell40::BarBottom}, {x, top}, Colour::White);
    }
    DrawText(cell, fonts_.Font8, Colour::White, {kRfScaleX + kNumberGap, Cell40::BarBottom},
             startMiddle, MicroVolt());
    DrawText(cell, fonts_.Font8, Colour::White, {kAudioScaleX + kNumberGap, Cell40::BarBottom},
             startMiddle, QStringLiteral("dB"));
    for (int i = 1; i <= 5; ++i) {
        const int y = MarkRow(i);
        DrawLine(cell, {kRfScaleX, y}, {kRfScaleX + kTickLength - 1, y}, Colour::White);
        DrawText(cell, fonts_.Font8, Colour::White, {kRfScaleX + kNumberGap, y}, startMiddle,
                 QString::fromLatin1(kRfNumbers5[i - 1]));
        DrawLine(cell, {kAudioScaleX, y}, {kAudioScaleX + kTickLength - 1, y}, Colour::White);
        DrawText(cell, fonts_.Font8, Colour::White, {kAudioScaleX + kNumberGap, y}, startMiddle,
                 QString::fromLatin1(kAudioNumbers5[i - 1]));
    }
}

void MeterPanel::composeText40(QImage& box, const QString& name, const QString& frequency,
                               bool muted) {
    const Justify centred = JustifyCode(0, -1);
    const QColor& colour = muted ? Colour::Grey : Colour::Green;
    DrawText(box, fonts_.FontName40, colour, {kTextCentre, kNameBottom}, centred, name);
    if (muted) {
        DrawText(box, fonts_.Font9, Colour::Red, {kMuteCentre, kFrequencyBottom}, centred,
                 QStringLiteral("MUTE"));
    }
    DrawText(box, fonts_.Font9, colour,
             {muted ? kMutedFrequencyCentre : kTextCentre, kFrequencyBottom}, centred, frequency);
}

} // namespace k7
