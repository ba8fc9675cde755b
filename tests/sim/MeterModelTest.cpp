// The meter model over a minute of polling: seeded and repeatable, RF inside its range except
// in fades, both antennas used, squelch under the threshold, speech with pauses; over an hour
// fades of one antenna at a time, both only for moments, and a battery that lasts hours.
#include "sim/MeterModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace k7::sim {
namespace {

std::vector<MeterReading> run(std::uint32_t seed, int muteLevel, double seconds,
                              const MeterRanges& ranges = {}) {
    MeterModel model(ranges, seed, 0);
    std::vector<MeterReading> out;
    for (std::int64_t t = 0; t < static_cast<std::int64_t>(seconds * 1e6); t += 20'000) {
        out.push_back(model.sample(t, muteLevel, false));
    }
    return out;
}

bool same(const MeterReading& a, const MeterReading& b) {
    return a.rfA == b.rfA && a.rfB == b.rfB && a.audio == b.audio && a.voltage == b.voltage &&
           a.antennaB == b.antennaB && a.squelched == b.squelched;
}

TEST(MeterModel, IsRepeatableForASeed) {
    const auto a = run(7, 5, 10);
    const auto b = run(7, 5, 10);
    const auto c = run(8, 5, 10);
    EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin(), same));
    EXPECT_FALSE(std::equal(a.begin(), a.end(), c.begin(), same));
}

TEST(MeterModel, BehavesLikeARadioLink) {
    const auto readings = run(3, 5, 300);
    int onB = 0;
    int squelched = 0;
    int quiet = 0;
    int loud = 0;
    for (const MeterReading& r : readings) {
        EXPECT_LE(r.rfA, 170);
        EXPECT_LE(r.rfB, 170);
        onB += r.antennaB;
        squelched += r.squelched;
        EXPECT_EQ(r.squelched, std::max(r.rfA, r.rfB) < MeterModel::SquelchThreshold(5));
        if (r.squelched) {
            EXPECT_EQ(r.audio, 0);
        }
        quiet += !r.squelched && r.audio < 30;
        loud += r.audio > 80;
    }
    const auto n = static_cast<int>(readings.size());
    EXPECT_GT(onB, n / 10);
    EXPECT_LT(onB, n * 9 / 10);
    EXPECT_GT(squelched, 0) << "fades take the RF under the threshold now and then";
    EXPECT_LT(squelched, n / 10);
    EXPECT_GT(quiet, n / 10) << "speech pauses";
    EXPECT_GT(loud, n / 10) << "speech bursts";

    // A receiver whose threshold lies above the whole RF range is always squelched.
    const auto muted = run(3, 10, 5, MeterRanges{100, 140, 12, 160, 190});
    EXPECT_TRUE(std::all_of(muted.begin(), muted.end(),
                            [](const MeterReading& r) { return r.squelched && r.audio == 0; }));
}

// An hour as a demonstration shows it: one antenna dips often while the other holds, the pair
// together only for moments (a second would be an RF-lost alert: a real dropout, rare), and the
// battery falls by some twenty steps (the low mark hours away).
TEST(MeterModel, FadesLikeARealRackAndTheBatteryLastsHours) {
    const auto readings = run(11, 5, 3600);
    const int threshold = MeterModel::SquelchThreshold(5);
    int oneAntennaDips = 0;
    int under = 0, longRuns = 0; // 20 ms readings under the threshold in a row; runs over 1 s
    for (std::size_t i = 1; i < readings.size(); ++i) {
        const MeterReading& r = readings[i];
        const bool aDown = r.rfA < threshold && readings[i - 1].rfA >= threshold;
        const bool bDown = r.rfB < threshold && readings[i - 1].rfB >= threshold;
        oneAntennaDips += (aDown && r.rfB >= threshold) || (bDown && r.rfA >= threshold);
        under = r.squelched ? under + 1 : 0;
        longRuns += under == 50;
    }
    EXPECT_GT(oneAntennaDips, 200);
    EXPECT_LE(longRuns, 1) << "a real dropout is rare";
    const int fall = readings.front().voltage - readings.back().voltage;
    EXPECT_GE(fall, 18);
    EXPECT_LE(fall, 22);
}

} // namespace
} // namespace k7::sim
