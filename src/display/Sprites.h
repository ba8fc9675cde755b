// Where each sprite sits in the atlas Graphics.tof. The atlas generator paints every sprite at
// these rectangles and the meter renderers copy from them, so the table is the one contract
// between the two; the pixels themselves are free.
#pragma once

#include <QRect>

#include <array>

namespace k7 {

enum class Sprite {
    LampLit,
    LampIdle,
    UserMuteIcon,
    UserMuteIconSmall,
    LampOff,
    GaugeFill,
    GaugeFrameNormal,
    PeakMarker,
    ThresholdMarker,
    GaugeFrameLow,
    VuBarUnlit,
    RfBarUnlit,
    VuBarLit,
    RfBarLit,
    VuBarUnlitMuted,
    RfBarUnlitMuted,
    VuBarLitMuted,
    RfBarLitMuted,
    Cell8Background,
    Cell16Background,
    Cell24Background,
    // The forty-slot cell: its background, short bars, a small battery gauge and mute icon.
    Cell40Background,
    RfBar40Unlit,
    RfBar40Lit,
    RfBar40UnlitMuted,
    RfBar40LitMuted,
    VuBar40Unlit,
    VuBar40Lit,
    VuBar40UnlitMuted,
    VuBar40LitMuted,
    GaugeFrame40Normal,
    GaugeFrame40Low,
    GaugeFill40,
    UserMuteIcon40,
};

// Inclusive column and row ranges, as the renderers address them.
struct SpriteRect {
    Sprite id;
    int minx, maxx, miny, maxy;
    constexpr QRect rect() const { return QRect(QPoint(minx, miny), QPoint(maxx, maxy)); }
};

// The gauge fill is read bottom-up from row 95; its tallest use is 61 + 1 rows. The 16-slot
// background is read as two overlapping halves (700..800 and 732..833), so its rectangle spans
// both. The forty-slot sprites sit in the free area below the lamps; their bars are 80 rows, one
// per pixel of the 79-pixel scale plus the bottom row.
inline constexpr std::array<SpriteRect, 34> kSpriteTable{{
    {Sprite::LampLit, 149, 161, 39, 51},
    {Sprite::LampIdle, 149, 161, 59, 71},
    {Sprite::UserMuteIcon, 343, 376, 79, 112},
    {Sprite::UserMuteIconSmall, 344, 375, 80, 111},
    {Sprite::LampOff, 381, 393, 66, 78},
    {Sprite::GaugeFill, 482, 497, 34, 95},
    {Sprite::GaugeFrameNormal, 500, 519, 26, 100},
    {Sprite::PeakMarker, 520, 539, 7, 11},
    {Sprite::ThresholdMarker, 520, 539, 0, 4},
    {Sprite::GaugeFrameLow, 521, 540, 26, 100},
    {Sprite::VuBarUnlit, 551, 570, 0, 255},
    {Sprite::RfBarUnlit, 551, 570, 261, 515},
    {Sprite::VuBarLit, 576, 595, 0, 255},
    {Sprite::RfBarLit, 576, 595, 261, 515},
    {Sprite::VuBarUnlitMuted, 602, 621, 0, 255},
    {Sprite::RfBarUnlitMuted, 602, 621, 261, 515},
    {Sprite::VuBarLitMuted, 627, 646, 0, 255},
    {Sprite::RfBarLitMuted, 627, 646, 261, 515},
    {Sprite::Cell8Background, 700, 899, 0, 349},
    {Sprite::Cell16Background, 700, 833, 368, 543},
    {Sprite::Cell24Background, 700, 832, 369, 543},
    {Sprite::Cell40Background, 10, 109, 130, 269},
    {Sprite::RfBar40Unlit, 130, 136, 130, 209},
    {Sprite::RfBar40Lit, 145, 151, 130, 209},
    {Sprite::RfBar40UnlitMuted, 160, 166, 130, 209},
    {Sprite::RfBar40LitMuted, 175, 181, 130, 209},
    {Sprite::VuBar40Unlit, 200, 210, 130, 209},
    {Sprite::VuBar40Lit, 220, 230, 130, 209},
    {Sprite::VuBar40UnlitMuted, 240, 250, 130, 209},
    {Sprite::VuBar40LitMuted, 260, 270, 130, 209},
    {Sprite::GaugeFrame40Normal, 290, 305, 130, 171},
    {Sprite::GaugeFrame40Low, 310, 325, 130, 171},
    {Sprite::GaugeFill40, 330, 341, 130, 161},
    {Sprite::UserMuteIcon40, 350, 369, 130, 149},
}};

constexpr const SpriteRect& SpriteAt(Sprite id) {
    return kSpriteTable[static_cast<std::size_t>(id)];
}

// The smallest atlas that holds every sprite.
inline constexpr int kAtlasWidth = 900;
inline constexpr int kAtlasHeight = 544;

} // namespace k7
