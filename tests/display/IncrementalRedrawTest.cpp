// A redraw places only what changed since the cell was last drawn: elements that would show the
// same pixels are skipped and a bar is composed again only in its changed rows. Whatever the
// answers, the cell must come out exactly as a redraw onto freshly prepared cells draws it.
#include "DisplayFixture.h"

#include <random>

namespace k7::test {
namespace {

class IncrementalRedrawTest : public DisplayTest, public ::testing::WithParamInterface<LayoutCase> {
protected:
    void Prepare(MeterPanel& on) { PrepareLayout(on, GetParam().layout); }
    void Display(MeterPanel& on, int slot) { DisplayInLayout(on, GetParam().layout, slot, slot); }
};

// Levels wander and jump, peaks rise and fall, the mute level, the style, the antenna, the user
// mute, the battery and the name change now and then, as a rack's answers do.
TEST_P(IncrementalRedrawTest, EveryAnswerLeavesTheCellAsAFreshRedrawDoes) {
    const LayoutCase shape = GetParam();
    StartRack(shape.layout, shape.count);
    // The reference: a second panel whose cells are prepared afresh before every answer, so
    // that it places every element whole.
    MeterPanel fresh{rack, devices, prompter};
    fresh.BuildScaling();
    ASSERT_TRUE(fresh.InitGraphics(assets.path(), QSize(800, 700)));
    fresh.ResetPeaks();

    std::mt19937 random(0x4b37 + static_cast<unsigned>(shape.layout));
    auto chance = [&random](int percent) {
        return std::uniform_int_distribution<int>(0, 99)(random) < percent;
    };
    auto wander = [&random](std::uint8_t value, int step) {
        const int moved = value + std::uniform_int_distribution<int>(-step, step)(random);
        return static_cast<std::uint8_t>(std::clamp(moved, 0, 255));
    };
    auto any = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const int answers = 1500;
    for (int answer = 0; answer < answers; ++answer) {
        // A few receivers, so that each is drawn again many times.
        const int slot = any(1, std::min(shape.count, 6));
        auto& meter = rack.MeterData[slot];
        const bool jump = chance(10);
        SetLevels(slot, jump ? static_cast<std::uint8_t>(any(0, 255)) : wander(meter[RfA], 6),
                  chance(50) ? meter[RfB] : wander(meter[RfB], 3),
                  jump ? static_cast<std::uint8_t>(any(0, 255)) : wander(meter[AudioLevel], 20));
        if (chance(3)) {
            rack.CurData[slot].MuteLevel = QString::number(any(0, 10));
        }
        if (chance(4)) {
            rack.UserMute[slot] = !rack.UserMute[slot];
        }
        if (chance(2)) {
            rack.CurData[slot].Name = QStringLiteral("CH %1").arg(any(1, 99));
        }
        rack.VoltageKnown[slot] = !chance(3);
        meter[Voltage] = chance(30) ? static_cast<std::uint8_t>(any(90, 120)) : meter[Voltage];
        rack.LastMuted = chance(8) ? 1 : 0;
        rack.LastAntenna = chance(50) ? 1 : 0;

        Display(panel, slot);
        Prepare(fresh);
        Display(fresh, slot);
        const QRect cell = panel.CellRect(slot);
        ASSERT_EQ(panel.PanelBuf().copy(cell), fresh.PanelBuf().copy(cell))
            << "answer " << answer << ", slot " << slot;
        if (chance(1)) {
            // The panel prepared again: everything is placed whole once more.
            Prepare(panel);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryLayout, IncrementalRedrawTest, kEveryLayout, LayoutCaseName);

} // namespace
} // namespace k7::test
