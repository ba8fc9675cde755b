#include "SimulatedReceiver.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace k7::sim {
namespace {

constexpr std::uint8_t kStart = 'R';

std::uint8_t sum(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t to) {
    return static_cast<std::uint8_t>(std::accumulate(bytes.begin() + static_cast<long>(from),
                                                     bytes.begin() + static_cast<long>(to), 0u));
}

bool frequencyInRange(std::uint8_t f1, std::uint8_t f2, std::uint8_t f3) {
    return f1 <= 99 && f2 <= 99 && f3 <= 99;
}

} // namespace

SimulatedReceiver::SimulatedReceiver(const ReceiverSetup& setup, std::uint32_t seed, int position)
    : setup_(setup),
      model_(MeterRanges{setup.rf[0], setup.rf[1], setup.audio[0], setup.audio[1], setup.battery},
             seed, position),
      name_(setup.name), frequency_(setup.frequency), mute_(setup.mute),
      muteHighBit_(setup.muteHighBit), bandType_(setup.bandType) {
    std::seed_seq sequence{seed, static_cast<std::uint32_t>(position), 0xfa17u};
    faults_.seed(sequence);
    for (PresetEntry& entry : presets_) {
        entry.frequency = {0, 0, 0};
    }
    presetCount_ = static_cast<int>(std::min<std::size_t>(setup.presets.size(), kPresetStoreSize));
    std::copy_n(setup.presets.begin(), presetCount_, presets_.begin());
}

std::vector<ReceivedFrame> SimulatedReceiver::framesOf(char command) const {
    std::vector<ReceivedFrame> out;
    std::copy_if(frames_.begin(), frames_.end(), std::back_inserter(out),
                 [command](const ReceivedFrame& f) { return f.command == command; });
    return out;
}

int SimulatedReceiver::countOf(char command) const {
    return counts_[static_cast<unsigned char>(command)];
}

void SimulatedReceiver::clearFrames() {
    frames_.clear();
    counts_.fill(0);
}

void SimulatedReceiver::record(ReceivedFrame frame) {
    ++counts_[static_cast<unsigned char>(frame.command)];
    if (frames_.size() >= kFrameRecordLimit) {
        frames_.pop_front();
    }
    frames_.push_back(std::move(frame));
}

std::size_t SimulatedReceiver::frameLength() const {
    const std::size_t have = pending_.size();
    if (have < 2) {
        return 0;
    }
    if (pending_[1] == 'U') {
        return 2; // the upload request carries no address byte
    }
    if (pending_[1] == 'S') {
        return have < 5 ? 0 : 5 + 10 * static_cast<std::size_t>(pending_[4]);
    }
    if (have < 3) {
        return 0;
    }
    switch (pending_[2]) {
    case 'M':
    case 'm':
    case 'I':
        return 13;
    default:
        return 3; // "?", "D" and anything unknown
    }
}

std::vector<std::uint8_t> SimulatedReceiver::receive(const std::uint8_t* data, std::size_t count,
                                                     std::int64_t nowMicros) {
    applyChanges(nowMicros);
    if (!pending_.empty() && nowMicros - lastByteMicros_ > kFrameGapMicros) {
        record({pending_, lastByteMicros_, 0, false});
        pending_.clear();
    }
    if (data && count > 0) {
        pending_.insert(pending_.end(), data, data + count);
        lastByteMicros_ = nowMicros;
    }
    std::vector<std::uint8_t> answers;
    while (!pending_.empty()) {
        if (pending_[0] != kStart) {
            // Out of frame: skip to the next frame start.
            const auto next = std::find(pending_.begin() + 1, pending_.end(), kStart);
            record({{pending_.begin(), next}, nowMicros, 0, false});
            pending_.erase(pending_.begin(), next);
            continue;
        }
        const std::size_t length = frameLength();
        if (length == 0 || pending_.size() < length) {
            break;
        }
        ReceivedFrame frame{
            {pending_.begin(), pending_.begin() + static_cast<long>(length)}, nowMicros, 0, true};
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(length));
        std::vector<std::uint8_t> answer = handleFrame(frame, nowMicros);
        record(std::move(frame));
        if (!answer.empty() && !setup_.faults.silent) {
            applyFaults(answer);
            if (answers.empty()) {
                answers = std::move(answer); // the usual single answer: no copy
            } else {
                answers.insert(answers.end(), answer.begin(), answer.end());
            }
        }
    }
    return answers;
}

std::vector<std::uint8_t> SimulatedReceiver::handleFrame(ReceivedFrame& frame,
                                                         std::int64_t nowMicros) {
    const auto& b = frame.bytes;
    if (b[1] == 'U' && b.size() == 2) {
        frame.command = 'U';
        return uploadAnswer();
    }
    if (b[1] == 'S') {
        frame.command = 'S';
        frame.accepted = acceptDownload(frame);
        return {};
    }
    frame.command = static_cast<char>(b[2]);
    switch (frame.command) {
    case '?':
        ++identifies_;
        if (identifies_ < setup_.faults.identifyFrom) {
            return {};
        }
        return identifyAnswer();
    case 'D':
        return meterAnswer(nowMicros);
    case 'M':
    case 'm':
        frame.accepted = acceptSettings(frame);
        return {};
    case 'I':
        frame.accepted = acceptFrequency(frame);
        return {};
    default:
        frame.accepted = false;
        return {};
    }
}

void SimulatedReceiver::applyChanges(std::int64_t nowMicros) {
    while (nextChange_ < setup_.changes.size() &&
           setup_.changes[nextChange_].atMs * 1000 <= nowMicros) {
        const ScheduledChange& change = setup_.changes[nextChange_++];
        if (change.name) {
            name_ = *change.name;
        }
        if (change.frequency) {
            frequency_ = *change.frequency;
        }
        if (change.mute) {
            mute_ = *change.mute;
        }
        if (change.userMute) {
            bandType_ =
                static_cast<std::uint8_t>(*change.userMute ? bandType_ | 0x40 : bandType_ & ~0x40);
        }
        settingsChanged_ = true;
    }
}

void SimulatedReceiver::applyLevels(std::int64_t nowMicros) {
    while (nextLevels_ < setup_.levels.size() &&
           setup_.levels[nextLevels_].atMs * 1000 <= nowMicros) {
        const ScheduledLevels& levels = setup_.levels[nextLevels_++];
        if (levels.rf) {
            model_.SetRf((*levels.rf)[0], (*levels.rf)[1]);
        }
        if (levels.audio) {
            model_.SetAudio((*levels.audio)[0], (*levels.audio)[1]);
        }
        if (levels.battery) {
            model_.SetBattery(*levels.battery, levels.atMs * 1000);
        }
    }
}

std::uint8_t SimulatedReceiver::muteByte() const {
    return static_cast<std::uint8_t>(mute_ | (muteHighBit_ ? 0x80 : 0));
}

std::vector<std::uint8_t> SimulatedReceiver::identifyAnswer() {
    std::vector<std::uint8_t> a(kIdentifyAnswerSize, 0);
    a[0] = kStart;
    a[2] = '!';
    a[7] = bandType_;
    a[8] = muteByte();
    std::copy(frequency_.begin(), frequency_.end(), a.begin() + 9);
    std::copy(name_.begin(), name_.end(), a.begin() + 12);
    return a;
}

std::vector<std::uint8_t> SimulatedReceiver::meterAnswer(std::int64_t nowMicros) {
    ++meterAnswers_;
    std::vector<std::uint8_t> a(kMeterAnswerSize, 0);
    a[0] = kStart;
    a[2] = 'D';
    const std::uint8_t userMuteFlag = userMute() ? 0x02 : 0x00;
    const bool everyNth = setup_.settingsEvery > 0 && meterAnswers_ % setup_.settingsEvery == 0;
    if (settingsChanged_ || everyNth) {
        settingsChanged_ = false;
        std::copy(frequency_.begin(), frequency_.end(), a.begin() + 3);
        a[6] = muteByte();
        a[7] = static_cast<std::uint8_t>(name_[0]);
        a[8] = static_cast<std::uint8_t>(0x01 | userMuteFlag);
        std::copy(name_.begin() + 1, name_.end(), a.begin() + 9);
        return a;
    }
    applyLevels(nowMicros);
    const MeterReading reading = model_.sample(nowMicros, mute_, userMute());
    a[3] = reading.rfA;
    a[4] = reading.rfB;
    a[6] = reading.audio;
    a[7] = reading.voltage;
    a[8] = static_cast<std::uint8_t>(userMuteFlag | (reading.squelched ? 0x20 : 0x00) |
                                     (reading.antennaB ? 0x80 : 0x00));
    return a;
}

std::vector<std::uint8_t> SimulatedReceiver::uploadAnswer() const {
    std::vector<std::uint8_t> a(kUploadAnswerSize, 0);
    a[0] = kStart;
    a[1] = 'U';
    a[2] = static_cast<std::uint8_t>(setup_.faults.uploadCount.value_or(presetCount_));
    for (std::size_t e = 0; e < presets_.size(); ++e) {
        const PresetEntry& entry = presets_[e];
        const std::size_t at = 3 + 10 * e;
        std::copy(entry.name.begin(), entry.name.end(), a.begin() + static_cast<long>(at));
        std::copy(entry.frequency.begin(), entry.frequency.end(),
                  a.begin() + static_cast<long>(at + 6));
        a[at + 9] = entry.muteByte;
    }
    a[403] = sum(a, 0, 403);
    if (setup_.faults.uploadChecksumError) {
        a[403] = static_cast<std::uint8_t>(a[403] + 1);
    }
    return a;
}

bool SimulatedReceiver::acceptSettings(const ReceivedFrame& frame) {
    const auto& b = frame.bytes;
    const int mute = b[6] & 0x7f;
    if (mute < 1 || mute > 10) {
        return false;
    }
    if (frame.command == 'M') {
        name_ = {static_cast<char>(b[3]), static_cast<char>(b[4]), static_cast<char>(b[5]),
                 static_cast<char>(b[7]), static_cast<char>(b[8]), static_cast<char>(b[9])};
    }
    mute_ = mute;
    bandType_ = b[11];
    return true;
}

bool SimulatedReceiver::acceptFrequency(const ReceivedFrame& frame) {
    const auto& b = frame.bytes;
    if (b[12] != sum(b, 3, 12) || !frequencyInRange(b[3], b[4], b[5])) {
        return false;
    }
    frequency_ = {b[3], b[4], b[5]};
    if (b[6] >= 1 && b[6] <= 10) {
        mute_ = b[6];
    }
    return true;
}

bool SimulatedReceiver::acceptDownload(const ReceivedFrame& frame) {
    const auto& b = frame.bytes;
    const std::size_t n = b[4];
    if (b[2] != 0x01 || b[3] != 'U' || n > kPresetStoreSize) {
        return false;
    }
    for (std::size_t e = 0; e < n; ++e) {
        const std::size_t at = 5 + 10 * e;
        if (!frequencyInRange(b[at + 6], b[at + 7], b[at + 8])) {
            return false;
        }
    }
    for (std::size_t e = 0; e < n; ++e) {
        const std::size_t at = 5 + 10 * e;
        PresetEntry& entry = presets_[e];
        std::copy_n(b.begin() + static_cast<long>(at), 6, entry.name.begin());
        entry.frequency = {b[at + 6], b[at + 7], b[at + 8]};
        entry.muteByte = b[at + 9];
    }
    presetCount_ = static_cast<int>(n);
    return true;
}

bool SimulatedReceiver::chance(double probability) {
    if (probability <= 0.0) {
        return false;
    }
    return std::generate_canonical<double, 32>(faults_) < probability;
}

void SimulatedReceiver::applyFaults(std::vector<std::uint8_t>& answer) {
    if (chance(setup_.faults.wrongFirstByte)) {
        answer[0] = 0x00;
    }
    if (chance(setup_.faults.shortAnswer)) {
        std::uniform_int_distribution<std::size_t> keep(1, answer.size() - 1);
        answer.resize(keep(faults_));
    }
}

} // namespace k7::sim
