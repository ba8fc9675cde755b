// The buffer copy between formats: a copy of the pixels' words where that is what a painter's
// copy gives, the painter's copy otherwise.
#include "display/Raster.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace k7::test {
namespace {

// A source with every kind of pixel a format can hold: opaque, translucent and clear.
QImage Source(QImage::Format format) {
    QImage image(6, 5, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgba(40 * x, 50 * y, 7 * x * y, (x + y) % 3 == 0 ? 255 : 60 * x));
        }
    }
    return image.convertToFormat(format);
}

// What a painter leaves when it copies the source's rectangle with its top-left at `at`.
QImage PaintersCopy(const QImage& from, const QRect& source, QImage to, QPoint at) {
    QPainter painter(&to);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(at, from, source);
    return to;
}

TEST(RasterTest, ACopyBetweenFormatsLeavesWhatAPaintersCopyLeaves) {
    const QImage::Format kFormats[] = {QImage::Format_RGB32, QImage::Format_ARGB32,
                                       QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB888};
    for (QImage::Format fromFormat : kFormats) {
        for (QImage::Format toFormat : kFormats) {
            const QImage from = Source(fromFormat);
            QImage to(9, 8, toFormat);
            to.fill(qRgba(1, 2, 3, 255));
            const QRect source(1, 1, 4, 3);
            const QImage expected = PaintersCopy(from, source, to, QPoint(2, 3));
            CopyRect(from, source, to, QPoint(2, 5)); // the lower-left pixel lands on row 5
            EXPECT_EQ(to, expected) << "from format " << fromFormat << " to " << toFormat;
        }
    }
}

TEST(RasterTest, AClippedCopyWritesOnlyInsideItsClip) {
    const QImage from = Source(QImage::Format_RGB32);
    QImage to(9, 8, QImage::Format_RGB32);
    to.fill(qRgb(1, 2, 3));
    const QImage untouched = to;
    // A clip whose bottom lies above its top is empty, however far above.
    CopyRectClipped(from, from.rect(), to, QPoint(0, 7), QRect(QPoint(0, 6), QPoint(8, 1)));
    EXPECT_EQ(to, untouched);
    CopyRectClipped(from, from.rect(), to, QPoint(0, 7), QRect(QPoint(0, 4), QPoint(8, 5)));
    EXPECT_EQ(to.copy(0, 0, 9, 4), untouched.copy(0, 0, 9, 4));
    EXPECT_EQ(to.copy(0, 4, 6, 2), from.copy(0, 1, 6, 2)); // target rows 3-7 take source rows 0-4
    EXPECT_EQ(to.copy(0, 6, 9, 2), untouched.copy(0, 6, 9, 2));
}

} // namespace
} // namespace k7::test
