#include "LayoutProfiles.h"

namespace k7 {
namespace {

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

} // namespace k7
