// The receiver's side of the protocol, byte for byte: answers, settings frames, the "I"
// checksum, the preset store through download and upload, and the byte-stream framing.
#include "sim/SimulatedReceiver.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

namespace k7::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

ReceiverSetup setup() {
    ReceiverSetup s;
    s.serial = QStringLiteral("5K000101");
    s.name = {'V', 'O', 'X', '_', '1', '_'};
    s.frequency = {61, 35, 75};
    s.mute = 5;
    s.muteHighBit = true;
    s.bandType = 36;
    return s;
}

Bytes send(SimulatedReceiver& rx, const Bytes& frame, std::int64_t at = 0) {
    return rx.receive(frame.data(), frame.size(), at);
}

Bytes frequencyFrame(std::uint8_t f1, std::uint8_t f2, std::uint8_t f3, std::uint8_t mute) {
    Bytes f{'R', 0, 'I', f1, f2, f3, mute, 0, 0, 0, 1, 0, 0};
    auto sum = static_cast<std::uint8_t>(std::accumulate(f.begin() + 3, f.begin() + 12, 0u));
    if (sum == 0x52) {
        f[10] = 0;
        sum = 0x51;
    }
    f[12] = sum;
    return f;
}

TEST(SimulatedReceiver, AnswersIdentifyAndSettingsByteForByte) {
    SimulatedReceiver rx(setup(), 7, 0);
    EXPECT_EQ(send(rx, {'R', 0, '?'}), (Bytes{'R', 0, '!', 0, 0, 0, 0, 36, 0x85, 61, 35, 75, 'V',
                                              'O', 'X', '_', '1', '_', 0}));

    // "M" sets name, mute and the whole band/type byte; bit 6 of it is the user mute.
    EXPECT_TRUE(send(rx, {'R', 0, 'M', 'B', 'A', 'S', 7, 'S', '2', '_', 0, 36 | 0x40, 0}).empty());
    EXPECT_EQ(rx.name(), (std::array<char, 6>{'B', 'A', 'S', 'S', '2', '_'}));
    EXPECT_EQ(rx.muteLevel(), 7);
    EXPECT_TRUE(rx.userMute());
    EXPECT_TRUE(rx.muteHighBit()) << "the receiver's own flag is not the station's to clear";
    const Bytes meter = send(rx, {'R', 0, 'D'});
    ASSERT_EQ(meter.size(), 14u);
    EXPECT_EQ(meter[8] & 0x03, 0x02) << "meter variant with the user mute reported";

    // "m" changes mute and band/type but leaves the name alone.
    send(rx, {'R', 0, 'm', 0, 0, 0, 3, 0, 0, 0, 0, 36, 0});
    EXPECT_EQ(rx.muteLevel(), 3);
    EXPECT_FALSE(rx.userMute());
    EXPECT_EQ(rx.name()[0], 'B');
    EXPECT_EQ(send(rx, {'R', 0, '?'})[8], 0x83);

    // A mute level out of range is recorded and ignored.
    send(rx, {'R', 0, 'm', 0, 0, 0, 0, 0, 0, 0, 0, 36, 0});
    EXPECT_EQ(rx.muteLevel(), 3);
    EXPECT_FALSE(rx.frames().back().accepted);
    EXPECT_EQ(rx.countOf('m'), 2);
    EXPECT_EQ(rx.countOf('?'), 2);
}

TEST(SimulatedReceiver, ChecksFrequencyFrames) {
    SimulatedReceiver rx(setup(), 7, 0);
    send(rx, frequencyFrame(60, 75, 50, 4), 1000);
    EXPECT_EQ(rx.frequency(), (std::array<std::uint8_t, 3>{60, 75, 50}));
    EXPECT_EQ(rx.muteLevel(), 4);
    EXPECT_EQ(rx.framesOf('I').at(0).atMicros, 1000);

    Bytes bad = frequencyFrame(61, 0, 0, 5);
    bad[12] ^= 0x10;
    send(rx, bad);
    EXPECT_EQ(rx.frequency(), (std::array<std::uint8_t, 3>{60, 75, 50}));
    ASSERT_EQ(rx.countOf('I'), 2);
    EXPECT_FALSE(rx.framesOf('I')[1].accepted);
    EXPECT_EQ(rx.framesOf('I')[1].bytes, bad);

    // Bytes 3..11 summing to 0x52: byte 10 lowered to 0 and checksum 0x51 is still valid.
    const Bytes lowered = frequencyFrame(60, 20, 0, 1);
    ASSERT_EQ(lowered[12], 0x51);
    ASSERT_EQ(lowered[10], 0);
    send(rx, lowered);
    EXPECT_TRUE(rx.frames().back().accepted);
    EXPECT_EQ(rx.frequency(), (std::array<std::uint8_t, 3>{60, 20, 0}));

    // A frequency byte above 99 cannot be a frequency even with a matching checksum.
    send(rx, frequencyFrame(61, 100, 0, 5));
    EXPECT_FALSE(rx.frames().back().accepted);
}

TEST(SimulatedReceiver, ReportsSettingsOnlyAfterItsOwnChangeOrEveryNth) {
    ReceiverSetup s = setup();
    ScheduledChange change;
    change.atMs = 15000;
    change.name = std::array<char, 6>{'N', 'E', 'W', 'N', 'A', 'M'};
    change.frequency = std::array<std::uint8_t, 3>{60, 70, 0};
    change.mute = 3;
    change.userMute = true;
    s.changes.push_back(change);
    SimulatedReceiver rx(s, 7, 0);

    send(rx, frequencyFrame(61, 0, 0, 5), 1000); // the station's own change is not reported
    EXPECT_EQ(send(rx, {'R', 0, 'D'}, 14'999'000)[8] & 1, 0);
    EXPECT_EQ(send(rx, {'R', 0, 'D'}, 15'000'000),
              (Bytes{'R', 0, 'D', 60, 70, 0, 0x83, 'N', 0x03, 'E', 'W', 'N', 'A', 'M'}));
    EXPECT_EQ(send(rx, {'R', 0, 'D'}, 15'020'000)[8] & 1, 0) << "reported once";

    ReceiverSetup every = setup();
    every.settingsEvery = 3;
    SimulatedReceiver periodic(every, 7, 0);
    std::vector<int> variants;
    for (int i = 0; i < 6; ++i) {
        variants.push_back(send(periodic, {'R', 0, 'D'}, i * 20'000)[8] & 1);
    }
    EXPECT_EQ(variants, (std::vector<int>{0, 0, 1, 0, 0, 1}));
}

TEST(SimulatedReceiver, KeepsDownloadedPresetsAndUploadsThemWithChecksum) {
    ReceiverSetup s = setup();
    s.presets.push_back({{'O', 'L', 'D', ' ', ' ', ' '}, {60, 66, 0}, 5});
    SimulatedReceiver rx(s, 7, 0);
    Bytes block{'R', 'S', 0x01, 'U', 2};
    for (const Bytes& entry : {Bytes{'A', 'B', 'C', ' ', ' ', ' ', 85, 4, 0, 69},
                               Bytes{'L', 'E', 'A', 'D', '_', '_', 61, 35, 75, 3}}) {
        block.insert(block.end(), entry.begin(), entry.end());
    }
    ASSERT_EQ(block.size(), 25u);
    EXPECT_TRUE(send(rx, block).empty());
    EXPECT_TRUE(rx.frames().back().accepted);
    EXPECT_EQ(rx.presetCount(), 2);

    const Bytes up = send(rx, {'R', 'U'});
    ASSERT_EQ(up.size(), 404u);
    EXPECT_EQ(up[2], 2);
    EXPECT_EQ(Bytes(up.begin() + 3, up.begin() + 23), Bytes(block.begin() + 5, block.end()));
    EXPECT_EQ(up[403],
              static_cast<std::uint8_t>(std::accumulate(up.begin(), up.begin() + 403, 0u)));

    // A block announcing more than 40 entries is refused as a whole.
    Bytes tooMany{'R', 'S', 0x01, 'U', 41};
    tooMany.resize(5 + 410, '_');
    send(rx, tooMany);
    EXPECT_FALSE(rx.frames().back().accepted);
    EXPECT_EQ(rx.presetCount(), 2);

    s.faults.uploadChecksumError = true;
    SimulatedReceiver faulty(s, 7, 0);
    const Bytes wrong = send(faulty, {'R', 'U'});
    EXPECT_NE(wrong[403],
              static_cast<std::uint8_t>(std::accumulate(wrong.begin(), wrong.begin() + 403, 0u)));
}

TEST(SimulatedReceiver, ReadsFramesFromAByteStream) {
    SimulatedReceiver rx(setup(), 7, 0);
    // Split across writes, after a stray byte, two frames in one write.
    EXPECT_TRUE(send(rx, {0x00, 'R', 0}, 0).empty());
    EXPECT_EQ(send(rx, {'?', 'R', 0, 'D'}, 1000).size(), 19u + 14u);
    EXPECT_EQ(rx.frames().front().command, 0);
    EXPECT_FALSE(rx.frames().front().accepted);

    // The rest of an unfinished frame after a long pause starts nothing: the frame is dropped.
    send(rx, {'R', 0, 'M', 'A'}, 2000);
    EXPECT_EQ(send(rx, {'R', 0, '?'}, 2000 + SimulatedReceiver::kFrameGapMicros + 1).size(), 19u);
    EXPECT_EQ(rx.countOf('M'), 0);
}

TEST(SimulatedReceiver, FaultSwitchesShapeTheAnswers) {
    // Which probe a late or silent receiver answers: the discovery tests (RackStartTest).
    ReceiverSetup s = setup();
    s.faults.identifyFrom = 3;
    SimulatedReceiver late(s, 7, 0);
    EXPECT_TRUE(send(late, {'R', 0, '?'}).empty());
    EXPECT_EQ(send(late, {'R', 0, 'D'}).size(), 14u) << "meter queries are answered throughout";

    s = setup();
    s.faults.wrongFirstByte = 0.5;
    s.faults.shortAnswer = 0.5;
    SimulatedReceiver flaky(s, 7, 0);
    int wrong = 0;
    int shortened = 0;
    for (int i = 0; i < 400; ++i) {
        const Bytes answer = send(flaky, {'R', 0, 'D'}, i * 20'000);
        ASSERT_FALSE(answer.empty());
        wrong += answer[0] != 'R';
        shortened += answer.size() < 14;
    }
    EXPECT_GT(wrong, 150);
    EXPECT_LT(wrong, 250);
    EXPECT_GT(shortened, 150);
    EXPECT_LT(shortened, 250);
}

TEST(SimulatedReceiver, AnswersOnlyWholeFramesToAnyByteStream) {
    SimulatedReceiver rx(setup(), 7, 0);
    std::mt19937 random(42);
    // Mostly frame starts and command letters, so that many frames form, some broken.
    const Bytes alphabet{'R', 0, '?', 'D', 'M', 'm', 'I', 'U', 'S', 1, 3, 0xff, 0x52, 45};
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<std::size_t> length(1, 40);
    std::size_t answered = 0;
    for (int write = 0; write < 5000; ++write) {
        Bytes chunk(length(random));
        for (auto& b : chunk) {
            b = alphabet[pick(random)];
        }
        Bytes out = send(rx, chunk, write * 1000);
        // Answers come back to back; each starts with "R" and has one of the three lengths.
        std::size_t at = 0;
        while (at < out.size()) {
            ASSERT_EQ(out[at], 'R');
            const std::size_t size = out[at + 1] == 'U' ? 404 : out[at + 2] == '!' ? 19 : 14;
            ASSERT_LE(at + size, out.size());
            at += size;
            ++answered;
        }
        ASSERT_GE(rx.muteLevel(), 1);
        ASSERT_LE(rx.muteLevel(), 10);
        ASSERT_LE(rx.presetCount(), kPresetStoreSize);
    }
    EXPECT_GT(answered, 100u);
}

TEST(SimulatedReceiver, ALongRunKeepsTheRecordWithinItsCapAndStillCountsEveryFrame) {
    SimulatedReceiver rx(setup(), 7, 0);
    send(rx, {'R', 0, '?'}, 0);
    for (int i = 1; i <= 100'000; ++i) {
        send(rx, {'R', 0, 'D'}, i * 1000);
        ASSERT_LE(rx.frames().size(), SimulatedReceiver::kFrameRecordLimit) << i;
    }
    send(rx, {'R', 0, 'm', 0, 0, 0, 4, 0, 0, 0, 0, 0, 0}, 200'000'000);
    EXPECT_EQ(rx.frames().size(), SimulatedReceiver::kFrameRecordLimit);
    EXPECT_EQ(rx.frames().back().command, 'm') << "the latest frames are the ones kept";
    const auto kept = static_cast<std::int64_t>(SimulatedReceiver::kFrameRecordLimit);
    EXPECT_EQ(rx.frames().front().atMicros, (100'000 - (kept - 2)) * 1000); // "m" and the rest
    EXPECT_EQ(rx.countOf('D'), 100'000);
    EXPECT_EQ(rx.countOf('?'), 1);
    EXPECT_EQ(rx.countOf('m'), 1);
    rx.clearFrames();
    EXPECT_TRUE(rx.frames().empty());
    EXPECT_EQ(rx.countOf('D'), 0);
}

// The meter readings of answers every 50 ms from `from` to `to` (ms).
std::vector<Bytes> MeterAnswers(SimulatedReceiver& rx, std::int64_t from, std::int64_t to) {
    std::vector<Bytes> answers;
    for (std::int64_t t = from; t < to; t += 50) {
        answers.push_back(send(rx, {'R', 0, 'D'}, t * 1000));
    }
    return answers;
}

TEST(SimulatedReceiver, ScriptedLevelsTakeOverAtTheirTime) {
    ReceiverSetup s = setup();
    s.mute = 1;
    s.rf = {150, 200};
    s.battery = 190;
    s.levels = {{8000, std::array{0, 0}, {}, {}}, {12000, std::array{150, 200}, {}, 100}};
    SimulatedReceiver rx(s, 3, 0);
    for (const Bytes& a : MeterAnswers(rx, 7000, 8000)) {
        EXPECT_GE(std::max(a[3], a[4]), 40) << "the transmitter is there";
        EXPECT_GE(a[7], 188);
    }
    for (const Bytes& a : MeterAnswers(rx, 8000, 12000)) {
        EXPECT_EQ(a[3], 0);
        EXPECT_EQ(a[4], 0);
        EXPECT_TRUE(a[8] & 0x20) << "squelched";
    }
    for (const Bytes& a : MeterAnswers(rx, 12000, 13000)) {
        EXPECT_GE(std::max(a[3], a[4]), 40);
        EXPECT_GE(a[7], 99);
        EXPECT_LE(a[7], 101) << "the battery falls from its new voltage";
    }
}

} // namespace
} // namespace k7::sim
