#include "display/Layouts.h"

namespace k7 {

namespace {

constexpr int kRowHeight = 175;

// The index of the first bound that value is below, plus one; past the last bound, the count of
// bounds plus one.
template <std::size_t N>
int Band(float value, const std::array<float, N>& bounds) {
    int band = 1;
    for (float bound : bounds) {
        if (value >= bound) {
            ++band;
        }
    }
    return band;
}

constexpr std::array<float, 3> kColumns8{200, 400, 600};
constexpr std::array<float, 5> kColumns24{134, 267, 400, 534, 667};
constexpr std::array<float, 1> kRows8{350};
constexpr std::array<float, 3> kRows16{175, 350, 525};
constexpr std::array<float, 7> kColumns40{100, 200, 300, 400, 500, 600, 700};
constexpr std::array<float, 4> kRows40{140, 280, 420, 560};

} // namespace

void BuildLayout16(LayoutTable& table) {
    table.fill(CellPositions{});
    for (int slot = 1; slot <= 16; ++slot) {
        const int x0 = (slot - 1) % 4 * 200;
        const int y0 = (slot - 1) / 4 * kRowHeight;
        auto& cell = table[slot];
        cell.rfA = {x0 + 15, y0 + 162};
        cell.rfB = {x0 + 66, y0 + 162};
        cell.audio = {x0 + 105, y0 + 162};
        cell.gauge = {x0 + 165, y0 + 171};
        cell.textBox = {x0 + 5, y0 + 29};
        cell.lampA = {x0 + 89, y0 + 50};
        cell.lampB = {x0 + 89, y0 + 90};
        cell.muteIcon = {x0 + 158, y0 + 96};
        cell.hasLamps = true;
    }
}

void BuildLayout24(LayoutTable& table) {
    table.fill(CellPositions{});
    for (int slot = 1; slot <= 24; ++slot) {
        const int x0 = (slot - 1) % 6 * 133;
        const int y0 = (slot - 1) / 6 * kRowHeight;
        auto& cell = table[slot];
        cell.rfA = {x0 + 7, y0 + 162};
        cell.rfB = {x0 + 21, y0 + 162};
        cell.audio = {x0 + 55, y0 + 162};
        cell.gauge = {x0 + 105, y0 + 171};
        cell.textBox = {x0 + 5, y0 + 31};
        cell.muteIcon = {x0 + 95, y0 + 96};
        cell.hasLamps = false;
    }
}

QPoint CellOrigin8(int position) {
    const int row = position < 5 ? 0 : 1;
    const int column = position < 5 ? position - 1 : position - 5;
    return {column * 200, row * 350};
}

int FindMedRx(float x, float y) {
    return (Band(y, kRows8) - 1) * 4 + Band(x, kColumns8);
}

int Find16Rx(float x, float y) {
    return (Band(y, kRows16) - 1) * 4 + Band(x, kColumns8);
}

int Find24Rx(float x, float y) {
    return (Band(y, kRows16) - 1) * 6 + Band(x, kColumns24);
}

int Find40Rx(float x, float y) {
    return (Band(y, kRows40) - 1) * 8 + Band(x, kColumns40);
}

int FindRx(int rackLayout, float x, float y) {
    switch (rackLayout) {
    case 1:
        return FindMedRx(x, y);
    case 2:
        return Find16Rx(x, y);
    case 3:
        return Find24Rx(x, y);
    default:
        return Find40Rx(x, y);
    }
}

} // namespace k7
