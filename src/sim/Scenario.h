// What a simulated rack is made of: its receivers, their settings, meter ranges, scheduled
// front-panel changes and fault switches. Read from a JSON scenario file or built for
// "--simulate N".
#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace k7::sim {

// One entry of a receiver's own preset store, as it travels in the download block.
struct PresetEntry {
    std::array<char, 6> name{' ', ' ', ' ', ' ', ' ', ' '};
    std::array<std::uint8_t, 3> frequency{}; // F1 F2 F3
    std::uint8_t muteByte = 0;               // band/type bits plus mute level
};

// A change made at the receiver's front panel at a given moment.
struct ScheduledChange {
    std::int64_t atMs = 0;
    std::optional<std::array<char, 6>> name;
    std::optional<std::array<std::uint8_t, 3>> frequency;
    std::optional<int> mute;
    std::optional<bool> userMute;
};

// Levels the meter model takes from a given moment on, as the receiver's own fields set them
// at the start.
struct ScheduledLevels {
    std::int64_t atMs = 0;
    std::optional<std::array<int, 2>> rf;
    std::optional<std::array<int, 2>> audio;
    std::optional<int> battery;
};

struct FaultSwitches {
    bool silent = false;
    int identifyFrom = 1;        // answers the k-th identify and every one after it
    double wrongFirstByte = 0.0; // probability per answer
    double shortAnswer = 0.0;    // probability per answer
    std::optional<std::int64_t> unplugAtMs;
    // The unplugged device comes back (same serial number, same location) at this time.
    std::optional<std::int64_t> replugAtMs;
    bool refuseBaudRate = false;
    bool uploadChecksumError = false;
    bool holdCts = false;
    // The chip refuses a purge; a timeout setting with this read timeout; this latency timer.
    bool purgeError = false;
    std::optional<std::uint32_t> refuseReadTimeoutMs;
    std::optional<int> refuseLatencyMs;
    // The entry count the upload answer reports (its checksum still right), whatever the store
    // holds.
    std::optional<int> uploadCount;
};

struct ReceiverSetup {
    QString serial;
    std::uint32_t location = 0;
    std::array<char, 6> name{'R', 'X', '_', '_', '_', '_'};
    std::array<std::uint8_t, 3> frequency{60, 66, 0}; // 606.600
    int mute = 5;
    bool muteHighBit = false;
    std::uint8_t bandType = 0; // the whole byte; bit 6 is the user mute
    std::array<int, 2> rf{110, 170};
    std::array<int, 2> audio{12, 160};
    int battery = 190;
    int settingsEvery = 0;
    std::vector<PresetEntry> presets;
    std::vector<ScheduledChange> changes;
    std::vector<ScheduledLevels> levels;
    FaultSwitches faults;
    // A device plugged in later (the scenario's "plugIn" list): attached from this time on.
    std::optional<std::int64_t> plugInAtMs;
};

struct Scenario {
    std::uint32_t seed = 1;
    bool immediateAnswers = false; // "answers": "immediate" rather than "latency"
    // Those attached at the start, then those of "plugIn" (with their plugInAtMs).
    std::vector<ReceiverSetup> receivers;

    // Reads a scenario file. On failure returns nothing and sets error to a text naming the
    // file and what is wrong with it.
    static std::optional<Scenario> fromFile(const QString& path, QString* error);
    static std::optional<Scenario> fromJson(const QByteArray& json, const QString& source,
                                            QString* error);
    // N receivers of band code 36 at increasing locations, with varied names, the band's
    // preset frequencies and realistic levels, reporting the mute byte's high bit.
    static Scenario simulated(int count, std::uint32_t seed = 1);
};

inline constexpr int kMaxSimulatedReceivers = 48; // more than a station takes, to try its refusal
inline constexpr int kPresetStoreSize = 40;
// Scenario files are written by hand; a larger one is refused before it is read whole.
inline constexpr qint64 kMaxScenarioBytes = 4 * 1024 * 1024;

// "613.575" -> 61, 35, 75. Nothing when the text is not ddd.ddd.
std::optional<std::array<std::uint8_t, 3>> FrequencyBytes(const QString& text);
// The location a receiver at enumeration position i gets when its file names none: the
// physical-port rule of the device directory for receivers on eight-port hubs on bus 1.
std::uint32_t DefaultLocation(int position);

} // namespace k7::sim
