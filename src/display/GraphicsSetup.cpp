// The set-up of the meter panel: atlas, fonts and buffers, the cell backgrounds with their RF
// and audio scales, clearing and showing the panel, and the release of it all at the stop.
#include "display/MeterPanel.h"
#include "display/Raster.h"
#include "display/ScaleMarks.h"

#include <QFontDatabase>
#include <QSaveFile>
#include <QStringList>

namespace k7 {

namespace {

// Pixel sizes of the four faces: the 8, 9, 12 and bold 18 point faces of the meter bridge.
constexpr int kFont8Pixels = 10;
constexpr int kFont9Pixels = 11;
constexpr int kFont12Pixels = 13;
constexpr int kFontB18Pixels = 19;
// The forty-slot names: bold, as wide as six of the widest characters fit in a 100-pixel cell.
constexpr int kFontName40Pixels = 14;

const QString kMicroVolt = MicroVolt();

// The cell backgrounds, in the order of the layouts' profiles.
constexpr std::array<void (MeterPanel::*)(), 4> kBuildCell{
    &MeterPanel::BuildCell8, &MeterPanel::BuildCell16, &MeterPanel::BuildCell24,
    &MeterPanel::BuildCell40};

QFont MakeFont(const QString& family, int pixels, bool bold) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

} // namespace

MeterPanel::MeterPanel(const RackTables& rack, const DeviceTables& devices, Prompter& prompter)
    : rack_(rack), devices_(devices), prompter_(prompter) {
    ResetPeaks();
}

bool MeterPanel::InitGraphics(const QString& assetDir, QSize panelSize) {
    if (setUp_) {
        CloseGraphics();
    }
    QImage atlas(assetDir + QStringLiteral("/Graphics.tof"), "BMP");
    const bool usable =
        !atlas.isNull() && atlas.width() >= kAtlasWidth && atlas.height() >= kAtlasHeight;
    if (usable) {
        atlasBuf_ = atlas.convertToFormat(QImage::Format_RGB32);
    } else {
        MessageBoxSpec box;
        box.text = QStringLiteral("There is a graphics problem");
        box.buttons = MsgButtons::OK;
        prompter_.ShowMessage(box);
        // Sprites come out black; names, frequencies and scales still show.
        atlasBuf_ = AllocateBuffer(kAtlasWidth, kAtlasHeight);
    }
    forgetPlaced();
    nativeSize_ = panelSize;
    fill_ = Colour::Black;
    cellsPrepared_ = false;
    const LayoutProfile& layout = rackLayout();
    grid_ = chooseGrid(layout);
    gridLayout_ = layout.id;
    const QSize size = panelSizeFor(layout, grid_);
    panelBuf_ = AllocateBuffer(std::max(1, size.width()), std::max(1, size.height()));
    LoadFonts(assetDir + QStringLiteral("/fonts"));
    muteIconBuf_ = AllocateBuffer(31, 31);
    cellBuf_ = AllocateBuffer(200, 350);
    setUp_ = true;
    (this->*kBuildCell[static_cast<std::size_t>(LayoutProfileOf(devices_.RackLayout).id)])();
    textBuf_ = AllocateBuffer(190, 52);
    gaugeBuf_ = AllocateBuffer(20, 75);
    lampBuf_ = AllocateBuffer(15, 15);
    smallTextBuf_ = AllocateBuffer(112, 46);
    return usable;
}

bool MeterPanel::LoadFonts(const QString& fontDir) {
    unloadFonts();
    textCache_.fill({});
    forgetPlaced();
    const std::array<QString, 2> files{QStringLiteral("LiberationSans-Regular.ttf"),
                                       QStringLiteral("LiberationSans-Bold.ttf")};
    // A face that cannot be loaded from the folder falls back to the system's match for its
    // family, so the texts stay readable.
    QString family = QStringLiteral("Liberation Sans");
    bool fromFolder = false;
    for (std::size_t i = 0; i < files.size(); ++i) {
        fontIds_[i] = QFontDatabase::addApplicationFont(fontDir + QLatin1Char('/') + files[i]);
        if (fontIds_[i] >= 0) {
            const QStringList families = QFontDatabase::applicationFontFamilies(fontIds_[i]);
            if (!families.isEmpty()) {
                family = families.front();
                fromFolder = true;
            }
        }
    }
    fontsFound_ = fromFolder || QFontDatabase::hasFamily(family);
    fonts_.Font8 = MakeFont(family, kFont8Pixels, false);
    fonts_.Font9 = MakeFont(family, kFont9Pixels, false);
    fonts_.Font12 = MakeFont(family, kFont12Pixels, false);
    fonts_.FontB18 = MakeFont(family, kFontB18Pixels, true);
    fonts_.FontName40 = MakeFont(family, kFontName40Pixels, true);
    return fontsFound_;
}

void MeterPanel::unloadFonts() {
    for (int& id : fontIds_) {
        if (id >= 0) {
            QFontDatabase::removeApplicationFont(id);
        }
        id = -1;
    }
}

void MeterPanel::BuildScaling() {
    k7::BuildScaling(scaling_);
    scaled_ = true;
}

void MeterPanel::CloseGraphics() {
    for (QImage* buffer : {&atlasBuf_, &panelBuf_, &cellBuf_, &muteIconBuf_, &textBuf_,
                           &smallTextBuf_, &gaugeBuf_, &lampBuf_}) {
        *buffer = QImage();
    }
    unloadFonts();
    textCache_.fill({});
    forgetPlaced();
    setUp_ = false;
}

bool MeterPanel::SaveSnapshot(const QString& file) const {
    if (!setUp_) {
        return false;
    }
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || !panelBuf_.save(&out, "PNG")) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

void MeterPanel::BuildCell8() {
    if (!setUp_) {
        return;
    }
    QImage& cell = cellBuf_;
    copySprite(Sprite::Cell8Background, cell, {0, 349});
    const Justify fromPoint = JustifyCode(-1, -1);
    copySprite(Sprite::LampOff, cell, {167, 145});
    copySprite(Sprite::LampOff, cell, {167, 185});
    DrawText(cell, fonts_.Font8, Colour::Yellow, {169, 156}, fromPoint, QStringLiteral("A"));
    DrawText(cell, fonts_.Font8, Colour::Yellow, {169, 196}, fromPoint, QStringLiteral("B"));
    DrawText(cell, fonts_.Font12, Colour::Yellow, {17, 335}, fromPoint, QStringLiteral("A-RF-B"));
    DrawText(cell, fonts_.Font12, Colour::Yellow, {101, 335}, fromPoint, QStringLiteral("VU"));

    DrawLine(cell, {37, 320}, {37, 65}, Colour::White);
    DrawLine(cell, {63, 320}, {63, 65}, Colour::White);
    const Justify centredBottom = JustifyCode(0, -2);
    DrawText(cell, fonts_.Font8, Colour::White, {50, 318}, centredBottom, kMicroVolt);
    for (int i = 1; i <= 10; ++i) {
        const int y = TickRow(i, 10, 255, 320);
        DrawLine(cell, {35, y}, {64, y}, Colour::White);
        DrawText(cell, fonts_.Font8, Colour::White, {50, y + 10}, centredBottom,
                 QString::fromLatin1(kRfNumbers10[i - 1]));
    }

    const Justify startMiddle = JustifyCode(-2, 0);
    DrawLine(cell, {130, 320}, {130, 65}, Colour::White);
    DrawText(cell, fonts_.Font8, Colour::White, {136, 319}, startMiddle, QStringLiteral("dB"));
    for (int i = 1; i <= 10; ++i) {
        const int y = TickRow(i, 10, 255, 320);
        DrawLine(cell, {125, y}, {134, y}, Colour::White);
        DrawText(cell, fonts_.Font8, Colour::White, {138, y}, startMiddle,
                 QString::fromLatin1(kAudioNumbers10[i - 1]));
    }
}

void MeterPanel::BuildCell16() {
    if (!setUp_) {
        return;
    }
    QImage& cell = cellBuf_;
    const SpriteRect& bg = SpriteAt(Sprite::Cell16Background);
    CopyRect(atlasBuf_, QRect(QPoint(700, bg.miny), QPoint(800, bg.maxy)), cell, {0, 174});
    CopyRect(atlasBuf_, QRect(QPoint(732, bg.miny), QPoint(833, bg.maxy)), cell, {99, 174});
    copySprite(Sprite::LampOff, cell, {89, 49});
    copySprite(Sprite::LampOff, cell, {89, 90});
    const Justify fromPoint = JustifyCode(-1, -1);
    DrawText(cell, fonts_.Font8, Colour::Yellow, {91, 62}, fromPoint, QStringLiteral("A"));
    DrawText(cell, fonts_.Font8, Colour::Yellow, {91, 102}, fromPoint, QStringLiteral("B"));
    DrawText(cell, fonts_.Font8, Colour::Yellow, {25, 172}, fromPoint, QStringLiteral("A -RF- B"));
    DrawText(cell, fonts_.Font8, Colour::Yellow, {105, 172}, fromPoint, QStringLiteral("VU"));

    const Justify centredBottom = JustifyCode(0, -2);
    DrawLine(cell, {37, 162}, {37, 35}, Colour::White);
    DrawLine(cell, {63, 162}, {63, 35}, Colour::White);
    DrawText(cell, fonts_.Font8, Colour::White, {50, 160}, centredBottom, kMicroVolt);
    for (int i = 1; i <= 5; ++i) {
        const int y = TickRow(i, 5, 127, 162);
        DrawLine(cell, {35, y}, {64, y}, Colour::White);
        DrawText(cell, fonts_.Font8, Colour::White, {50, y + 8}, centredBottom,
                 QString::fromLatin1(kRfNumbers5[i - 1]));
    }
    const Justify startMiddle = JustifyCode(-2, 0);
    DrawLine(cell, {130, 162}, {130, 35}, Colour::White);
    DrawText(cell, fonts_.Font8, Colour::White, {136, 161}, startMiddle, QStringLiteral("dB"));
    for (int i = 1; i <= 5; ++i) {
        const int y = TickRow(i, 5, 127, 162);
        DrawLine(cell, {125, y}, {134, y}, Colour::White);
        DrawText(cell, fonts_.Font8, Colour::White, {138, y}, startMiddle,
                 QString::fromLatin1(kAudioNumbers5[i - 1]));
    }
}

void MeterPanel::BuildCell24() {
    if (!setUp_) {
        return;
    }
    QImage& cell = cellBuf_;
    FillBuffer(cell, Colour::Black);
    copySprite(Sprite::Cell24Background, cell, {0, 174});
    const Justify startMiddle = JustifyCode(-2, 0);
    DrawLine(cell, {32, 162}, {32, 35}, Colour::White);
    DrawText(cell, fonts_.Font8, Colour::White, {35, 160}, startMiddle, kMicroVolt);
    DrawLine(cell, {70, 162}, {70, 35}, Colour::White);
    DrawText(cell, fonts_.Font8, Colour::White, {73, 161}, startMiddle, QStringLiteral("dB"));
    for (int i = 1; i <= 5; ++i) {
        const int y = TickRow(i, 5, 127, 162);
        DrawLine(cell, {32, y}, {41, y}, Colour::White);
        DrawText(cell, fonts_.Font8, Colour::White, {34, y + 7}, startMiddle,
                 QString::fromLatin1(kRfNumbers5[i - 1]));
        DrawLine(cell, {70, y}, {79, y}, Colour::White);
        DrawText(cell, fonts_.Font8, Colour::White, {73, y + 7}, startMiddle,
                 QString::fromLatin1(kAudioNumbers5[i - 1]));
    }
}

void MeterPanel::prepareLayout(LayoutId layout) {
    if (!setUp_) {
        return;
    }
    // The rack's size may have become known since the cells were arranged.
    const bool rackCells = layout == rackLayout().id;
    if (rackCells) {
        rearrange(false);
    }
    ClearPanelGrey();
    (this->*kBuildCell[static_cast<std::size_t>(layout)])();
    const LayoutProfile& profile = LayoutProfileOf(layout);
    const int cells = std::min(devices_.DeviceCount, profile.slotCount);
    for (int k = 1; k <= cells; ++k) {
        const QRect cell = layoutCellRect(profile, k);
        CopyRect(cellBuf_, QRect(QPoint(0, 0), cell.size()), panelBuf_, cell.bottomLeft());
    }
    for (int slot = 1; slot <= kMaxSlots; ++slot) {
        if (frames_[static_cast<std::size_t>(slot)].shown()) {
            drawFrame(slot);
        }
    }
    cellsPrepared_ = rackCells;
    for (int slot = 1; slot <= kMaxSlots; ++slot) {
        if (labelColours_[static_cast<std::size_t>(slot)].isValid()) {
            drawLabelBar(slot);
        }
    }
}

void MeterPanel::PrepareCells8() {
    prepareLayout(LayoutId::Slots8);
}

void MeterPanel::PrepareCells16() {
    prepareLayout(LayoutId::Slots16);
}

void MeterPanel::PrepareCells24() {
    prepareLayout(LayoutId::Slots24);
}

void MeterPanel::PrepareCells40() {
    prepareLayout(LayoutId::Slots40);
}

void MeterPanel::fillPanel(const QColor& colour) {
    if (!setUp_) {
        return;
    }
    forgetPlaced();
    fill_ = colour;
    cellsPrepared_ = false;
    FillBuffer(panelBuf_, colour);
    pasteToWindow(panelBuf_.rect());
}

void MeterPanel::ClearPanel() {
    fillPanel(Colour::Black);
}

void MeterPanel::ClearPanelGrey() {
    fillPanel(Colour::DarkGrey);
}

void MeterPanel::ShowPanel() {
    if (setUp_) {
        pasteToWindow(panelBuf_.rect());
    }
}

} // namespace k7
