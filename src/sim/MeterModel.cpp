#include "MeterModel.h"

#include <algorithm>
#include <cmath>

namespace k7::sim {

MeterModel::MeterModel(const MeterRanges& ranges, std::uint32_t seed, int position)
    : ranges_(ranges) {
    std::seed_seq sequence{seed, static_cast<std::uint32_t>(position), 0x4b37u};
    random_.seed(sequence);
    const double middle = (ranges_.rfLow + ranges_.rfHigh) / 2.0;
    rfA_ = middle;
    rfB_ = middle;
}

double MeterModel::uniform(double low, double high) {
    // Drawn from the raw generator, so that the sequence is the same with every library.
    const double unit = static_cast<double>(random_() - std::mt19937::min()) /
                        (static_cast<double>(std::mt19937::max() - std::mt19937::min()) + 1.0);
    return low + (high - low) * unit;
}

MeterReading MeterModel::sample(std::int64_t nowMicros, int muteLevel, bool userMuted) {
    const double now = static_cast<double>(nowMicros) / 1e6;
    const double dt =
        last_ < 0 ? 0.0 : std::clamp(static_cast<double>(nowMicros - last_) / 1e6, 0.0, 10.0);
    last_ = nowMicros;

    // RF: a random walk pulled back to the middle of the range, each antenna on its own.
    const double low = ranges_.rfLow;
    const double high = ranges_.rfHigh;
    const double middle = (low + high) / 2.0;
    const double spread = std::max(1.0, (high - low) / 2.0);
    const double pull = std::min(1.0, dt * 0.8);
    const double step = spread * std::sqrt(std::max(dt, 0.004)) * 0.6;
    rfA_ = std::clamp(rfA_ + (middle - rfA_) * pull + uniform(-step, step), low, high);
    rfB_ = std::clamp(rfB_ + (middle - rfB_) * pull + uniform(-step, step), low, high);

    // Fades as a real rack shows them. Multipath takes one antenna down for a moment (each on
    // its own, about every 8 s): diversity rides through it. A body or a set piece shadows both
    // now and then (about every 45 s), briefly. Both fades end within 0.45 s, so that even when
    // they meet the receiver is under its threshold for less than a second. Only a real dropout
    // (the transmitter out of range, about once in six hours per receiver) lasts long enough
    // to be lost; the scripted levels are the way to show that on purpose.
    for (Fade* fade : {&fadeA_, &fadeB_, &shadow_}) {
        const double every = fade == &shadow_ ? 45.0 : 8.0;
        if (now >= fade->until && uniform(0.0, 1.0) < dt / every) {
            fade->until = now + uniform(0.1, 0.45);
            fade->depth = fade == &shadow_ ? uniform(20.0, 60.0) : uniform(30.0, 90.0);
        }
    }
    if (now >= dropout_.until && uniform(0.0, 1.0) < dt / (6 * 3600.0)) {
        dropout_.until = now + uniform(1.5, 4.0);
        dropout_.depth = 255.0;
    }
    const auto depth = [now](const Fade& fade) { return now < fade.until ? fade.depth : 0.0; };
    const double both = depth(shadow_) + depth(dropout_);
    const int a =
        static_cast<int>(std::lround(std::clamp(rfA_ - depth(fadeA_) - both, 0.0, 255.0)));
    const int b =
        static_cast<int>(std::lround(std::clamp(rfB_ - depth(fadeB_) - both * 0.8, 0.0, 255.0)));

    // Diversity: the other antenna takes over when it is clearly stronger.
    if (antennaB_ ? a > b + 3 : b > a + 3) {
        antennaB_ = !antennaB_;
    }
    const bool squelched = std::max(a, b) < SquelchThreshold(muteLevel);

    // Speech: bursts of 0.3 to 3 s with syllables, pauses of 0.2 to 1.5 s near the floor.
    if (now >= phaseEnd_) {
        talking_ = !talking_;
        phaseEnd_ = now + (talking_ ? uniform(0.3, 3.0) : uniform(0.2, 1.5));
    }
    const double target = talking_ ? uniform(0.35, 1.0) : uniform(0.0, 0.08);
    level_ += (target - level_) * std::min(1.0, std::max(dt, 0.004) * 12.0);
    const double audioRange = ranges_.audioHigh - ranges_.audioLow;
    int audio = static_cast<int>(std::lround(ranges_.audioLow + audioRange * level_));
    if (squelched || userMuted) {
        audio = 0;
    }

    // The battery loses one step every 3 minutes (a fresh one reaches the low mark after some
    // four hours), with a little noise on the reading.
    const double voltage =
        ranges_.battery - (now - batteryFrom_) / kSecondsPerBatteryStep + uniform(-0.6, 0.6);

    MeterReading reading;
    reading.rfA = static_cast<std::uint8_t>(a);
    reading.rfB = static_cast<std::uint8_t>(b);
    reading.audio = static_cast<std::uint8_t>(std::clamp(audio, 0, 255));
    reading.voltage = static_cast<std::uint8_t>(std::clamp(std::lround(voltage), 0L, 255L));
    reading.antennaB = antennaB_;
    reading.squelched = squelched;
    return reading;
}

void MeterModel::SetRf(int low, int high) {
    ranges_.rfLow = low;
    ranges_.rfHigh = high;
    rfA_ = std::clamp(rfA_, static_cast<double>(low), static_cast<double>(high));
    rfB_ = std::clamp(rfB_, static_cast<double>(low), static_cast<double>(high));
}

void MeterModel::SetAudio(int low, int high) {
    ranges_.audioLow = low;
    ranges_.audioHigh = high;
}

void MeterModel::SetBattery(int raw, std::int64_t fromMicros) {
    ranges_.battery = raw;
    batteryFrom_ = static_cast<double>(fromMicros) / 1e6;
}

} // namespace k7::sim
