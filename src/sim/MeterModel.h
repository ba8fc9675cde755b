// The seeded model behind a simulated receiver's meter answers: two antennas whose RF levels
// wander inside their range with fades as a real rack shows them (one antenna at a time, both
// only briefly, a real dropout rarely), diversity switching, speech-like audio in
// bursts and pauses, a slowly falling battery and squelch when the RF drops under the mute
// threshold. The same seed and the same query times give the same readings.
#pragma once

#include <cstdint>
#include <random>

namespace k7::sim {

struct MeterReading {
    std::uint8_t rfA = 0;
    std::uint8_t rfB = 0;
    std::uint8_t audio = 0;
    std::uint8_t voltage = 0;
    bool antennaB = false; // diversity: antenna B in use
    bool squelched = false;
};

struct MeterRanges {
    int rfLow = 110;
    int rfHigh = 170;
    int audioLow = 12;
    int audioHigh = 160;
    int battery = 190;
};

class MeterModel {
public:
    MeterModel(const MeterRanges& ranges, std::uint32_t seed, int position);

    // Advances the model to the given time and returns its reading. muteLevel 1..10 sets the
    // squelch threshold; a user-muted receiver reports no audio.
    MeterReading sample(std::int64_t nowMicros, int muteLevel, bool userMuted);

    // From now on the RF levels or the audio wander in a new range (the walk is pulled into it
    // at once), or the battery falls from a new voltage, counted from the given time.
    void SetRf(int low, int high);
    void SetAudio(int low, int high);
    void SetBattery(int raw, std::int64_t fromMicros);

    // The battery's fall: one raw step in this many seconds.
    static constexpr double kSecondsPerBatteryStep = 180.0;

    // The raw RF level under which a receiver at this mute level squelches its audio.
    static int SquelchThreshold(int muteLevel) { return 50 + 10 * muteLevel; }

private:
    double uniform(double low, double high);

    MeterRanges ranges_;
    double batteryFrom_ = 0; // seconds: when the battery was last at ranges_.battery
    std::mt19937 random_;
    std::int64_t last_ = -1;
    double rfA_ = 0;
    double rfB_ = 0;
    bool antennaB_ = false;
    struct Fade {
        double until = -1; // seconds
        double depth = 0;  // raw RF taken off
    };
    Fade fadeA_, fadeB_; // multipath, one antenna
    Fade shadow_;        // both antennas, briefly
    Fade dropout_;       // both antennas, long enough to be lost (rare)
    bool talking_ = false;
    double phaseEnd_ = 0; // seconds: end of the current burst or pause
    double level_ = 0;    // audio envelope 0..1
};

} // namespace k7::sim
