// The name line of every layout shows every printable character whole: the pixels a one-letter
// name adds to the panel are all the pixels of its glyph.
#include "DisplayFixture.h"

#include <functional>

namespace k7 {
namespace {

class NameLineGlyphTest : public test::DisplayTest {
protected:
    // The pixels of one glyph drawn alone, with room all around.
    static int GlyphPixels(const QFont& font, QChar c) {
        QImage scratch = AllocateBuffer(120, 120);
        DrawText(scratch, font, Colour::Green, {60, 80}, JustifyCode(0, -1), QString(c));
        int count = 0;
        for (int y = 0; y < scratch.height(); ++y) {
            for (int x = 0; x < scratch.width(); ++x) {
                count += scratch.pixel(x, y) == Colour::Black.rgb() ? 0 : 1;
            }
        }
        return count;
    }

    static int DifferingPixels(const QImage& a, const QImage& b) {
        int count = 0;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                count += a.pixel(x, y) == b.pixel(x, y) ? 0 : 1;
            }
        }
        return count;
    }

    // Checks every printable character as the name of `slot`, redrawn by `redraw`.
    void CheckEveryGlyph(int slot, const QFont& font, const std::function<void()>& redraw) {
        for (char16_t code = 0x21; code < 0x7F; ++code) {
            const QChar c(code);
            rack.CurData[slot].Name.clear();
            redraw();
            const QImage without = panel.PanelBuf().copy();
            rack.CurData[slot].Name = QString(c);
            redraw();
            const int expected = GlyphPixels(font, c);
            ASSERT_GT(expected, 0) << char(code);
            EXPECT_EQ(DifferingPixels(without, panel.PanelBuf()), expected)
                << "'" << char(code) << "' is cut";
        }
    }
};

TEST_F(NameLineGlyphTest, EightSlotLayoutShowsEveryGlyphWhole) {
    StartRack(1, 8);
    CheckEveryGlyph(8, panel.fonts().FontB18, [this] { panel.Display8VU(8, 8); });
}

TEST_F(NameLineGlyphTest, SixteenSlotLayoutShowsEveryGlyphWhole) {
    StartRack(2, 16);
    CheckEveryGlyph(16, panel.fonts().Font12, [this] { panel.Display16VU(16, 16); });
}

TEST_F(NameLineGlyphTest, TwentyFourSlotLayoutShowsEveryGlyphWhole) {
    StartRack(3, 24);
    CheckEveryGlyph(24, panel.fonts().Font12, [this] { panel.Display24VU(24, 24); });
}

} // namespace
} // namespace k7
