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
        return test::CountWhere(scratch.rect(), [&](int x, int y) {
            return scratch.pixel(x, y) != Colour::Black.rgb();
        });
    }
    static int DifferingPixels(const QImage& a, const QImage& b) {
        return test::CountWhere(a.rect(),
                                [&](int x, int y) { return a.pixel(x, y) != b.pixel(x, y); });
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

TEST_F(NameLineGlyphTest, TheEightSixteenAndTwentyFourSlotLayoutsShowEveryGlyphWhole) {
    const std::pair<int, QFont MeterFonts::*> layouts[] = {
        {1, &MeterFonts::FontB18}, {2, &MeterFonts::Font12}, {3, &MeterFonts::Font12}};
    for (const auto& [layout, font] : layouts) {
        const int slot = LayoutProfileOf(layout).slotCount; // the last cell
        StartRack(layout, slot);
        CheckEveryGlyph(slot, panel.fonts().*font, [this, layout = layout, slot] {
            test::DisplayInLayout(panel, layout, slot, slot);
        });
        panel.CloseGraphics();
    }
}

} // namespace
} // namespace k7
