// The alarm tone the audio port plays: two beeps of 16-bit samples (low byte first) with a
// silent pause between them, loud but never clipped, and edges that start and end at silence so
// that the speaker does not click.
#include "platform/QtTonePort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace k7 {
namespace {

TEST(AlarmTone, TwoSoftEdgedBeepsWithASilentPauseNeverClipped) {
    const QByteArray pcm = QtTonePort::ToneSamples();
    ASSERT_EQ(pcm.size() % 2, 0);
    std::vector<int> samples;
    for (qsizetype i = 0; i < pcm.size(); i += 2) {
        samples.push_back(static_cast<std::int16_t>(static_cast<std::uint8_t>(pcm[i]) |
                                                    static_cast<std::uint8_t>(pcm[i + 1]) << 8));
    }
    const int rate = QtTonePort::kSampleRate;
    EXPECT_NEAR(double(samples.size()) / rate, 0.36, 0.01) << "two 140-ms beeps, 80 ms apart";
    int peak = 0;
    for (int sample : samples) {
        peak = std::max(peak, std::abs(sample));
    }
    EXPECT_GT(peak, 15000);
    EXPECT_LE(peak, 16384);
    // The edges: silent at both ends and around the pause, rising over a few milliseconds.
    const std::size_t beep = static_cast<std::size_t>(rate * 140 / 1000);
    for (std::size_t at : {std::size_t{0}, beep - 1, samples.size() - beep, samples.size() - 1}) {
        EXPECT_LT(std::abs(samples[at]), 200) << at;
    }
    const auto pause = samples.begin() + static_cast<std::ptrdiff_t>(beep);
    EXPECT_TRUE(std::all_of(pause, pause + rate * 80 / 1000, [](int s) { return s == 0; }));
}

} // namespace
} // namespace k7
