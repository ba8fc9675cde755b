// One simulated receiver: the receiver's side of the command protocol, byte for byte. It takes
// the byte stream the station writes, answers the identify, meter and upload requests, applies
// the settings frames and the download block, and records every frame it receives.
#pragma once

#include "MeterModel.h"
#include "Scenario.h"

#include <array>
#include <cstdint>
#include <deque>
#include <random>
#include <vector>

namespace k7::sim {

struct ReceivedFrame {
    std::vector<std::uint8_t> bytes;
    std::int64_t atMicros = 0;
    char command = 0;     // "?", "D", "M", "m", "I", "U", "S"; 0 for bytes out of frame
    bool accepted = true; // false: recorded and ignored (bad checksum, bad field, no frame)
};

class SimulatedReceiver {
public:
    static constexpr int kIdentifyAnswerSize = 19;
    static constexpr int kMeterAnswerSize = 14;
    static constexpr int kUploadAnswerSize = 404;
    // Bytes of an unfinished frame are dropped after this pause, as the firmware would.
    static constexpr std::int64_t kFrameGapMicros = 100'000;
    // The record keeps the latest frames only, so that a demonstration left running stays
    // flat: at 24 receivers a receiver takes about ten meter queries a second, so the record
    // is full within the first minute.
    static constexpr std::size_t kFrameRecordLimit = 512;

    SimulatedReceiver(const ReceiverSetup& setup, std::uint32_t seed, int position);

    // Feeds bytes the station wrote at the given time; returns the answer bytes, if any.
    std::vector<std::uint8_t> receive(const std::uint8_t* data, std::size_t count,
                                      std::int64_t nowMicros);

    const ReceiverSetup& setup() const { return setup_; }
    // Fault switches can be thrown while the rack runs (a test unplugs or silences a receiver).
    FaultSwitches& faults() { return setup_.faults; }
    // The latest frames, oldest first (at most kFrameRecordLimit).
    const std::deque<ReceivedFrame>& frames() const { return frames_; }
    std::vector<ReceivedFrame> framesOf(char command) const;
    // Every frame of the command since the start or the last clearFrames, however many the
    // record has let go.
    int countOf(char command) const;
    void clearFrames();

    std::array<char, 6> name() const { return name_; }
    std::array<std::uint8_t, 3> frequency() const { return frequency_; }
    int muteLevel() const { return mute_; }
    bool muteHighBit() const { return muteHighBit_; }
    std::uint8_t bandType() const { return bandType_; }
    bool userMute() const { return (bandType_ & 0x40) != 0; }
    int presetCount() const { return presetCount_; }
    const std::array<PresetEntry, kPresetStoreSize>& presets() const { return presets_; }
    int meterAnswers() const { return meterAnswers_; }

private:
    // Length of the frame at the start of pending_, 0 while it is still incomplete.
    std::size_t frameLength() const;
    std::vector<std::uint8_t> handleFrame(ReceivedFrame& frame, std::int64_t nowMicros);
    void applyChanges(std::int64_t nowMicros);
    void applyLevels(std::int64_t nowMicros);
    std::vector<std::uint8_t> identifyAnswer();
    std::vector<std::uint8_t> meterAnswer(std::int64_t nowMicros);
    std::vector<std::uint8_t> uploadAnswer() const;
    bool acceptSettings(const ReceivedFrame& frame);
    bool acceptFrequency(const ReceivedFrame& frame);
    bool acceptDownload(const ReceivedFrame& frame);
    void applyFaults(std::vector<std::uint8_t>& answer);
    std::uint8_t muteByte() const;
    bool chance(double probability);

    ReceiverSetup setup_;
    MeterModel model_;
    std::mt19937 faults_;
    std::vector<std::uint8_t> pending_;
    std::int64_t lastByteMicros_ = 0;
    void record(ReceivedFrame frame);

    std::deque<ReceivedFrame> frames_;
    std::array<int, 256> counts_{}; // by command byte

    std::array<char, 6> name_;
    std::array<std::uint8_t, 3> frequency_;
    int mute_;
    bool muteHighBit_;
    std::uint8_t bandType_;
    std::array<PresetEntry, kPresetStoreSize> presets_{};
    int presetCount_ = 0;
    std::size_t nextChange_ = 0;
    std::size_t nextLevels_ = 0;
    bool settingsChanged_ = false;
    int identifies_ = 0;
    int meterAnswers_ = 0;
};

} // namespace k7::sim
