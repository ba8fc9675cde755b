// The History window's picture: raw readings on the meters' ten-mark scales and read back in µV
// and dB; a pixel column keeps its first, lowest, highest and last reading, so no peak of an
// hour is lost; a gap in the answers breaks the line; zoom and scroll stay within the hour kept,
// and live follows the newest answer while a held span does not move.
#include "monitor/HistoryView.h"
#include "display/ScaleMarks.h"
#include "support/ManualClock.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace k7::test {
namespace {

constexpr std::int64_t kMs = 1000;

TEST(HistoryScale, RawReadingsStandOnTheMetersMarksAndReadBackInTheirUnits) {
    const HistoryScale scale;
    // The calibration points of the bars: 74 is the RF scale's foot, 175 its top (500 µV).
    EXPECT_EQ(scale.RfPosition(0), 0.0);
    EXPECT_EQ(scale.RfPosition(74), 0.0);
    EXPECT_EQ(scale.RfPosition(79), 1.0);
    EXPECT_DOUBLE_EQ(scale.RfPosition(82), 1.5);
    EXPECT_EQ(scale.RfPosition(175), 10.0);
    EXPECT_EQ(scale.RfPosition(255), 10.0);
    EXPECT_EQ(scale.AudioPosition(83), 7.0); // the seventh mark, -3 dB
    EXPECT_EQ(HistoryScale::RfReading(1.5), QStringLiteral("1.4 ") + MicroVolt());
    EXPECT_EQ(HistoryScale::RfReading(6.0), QStringLiteral("30 ") + MicroVolt()); // mark 6
    EXPECT_EQ(HistoryScale::RfReading(0.5), QStringLiteral("< 1 ") + MicroVolt());
    EXPECT_EQ(HistoryScale::AudioReading(7.0), QStringLiteral("-3.0 dB"));
    EXPECT_EQ(HistoryScale::AudioReading(7.5), QStringLiteral("-1.5 dB"));
    EXPECT_EQ(HistoryScale::AudioReading(0.2), QStringLiteral("< -30 dB"));
    // A higher mute level stands higher on the RF scale.
    for (int level = 2; level <= 10; ++level) {
        EXPECT_GT(scale.ThresholdPosition(level), scale.ThresholdPosition(level - 1)) << level;
    }
    EXPECT_EQ(scale.ThresholdPosition(0), 0.0);
}

struct ViewOfOne : ::testing::Test {
    ViewOfOne() {
        history.Allocate(1, 50);
        view.SetChangeListener([this] { ++changes; });
    }
    // Answers of slot 1 every 50 ms from..to (ms), RF A at rf.
    void Answers(std::int64_t fromMs, std::int64_t toMs, std::uint8_t rf = 120) {
        for (std::int64_t t = fromMs; t <= toMs; t += 50) {
            clock.advanceMs(static_cast<double>(t * kMs - clock.nowMicros()) / kMs);
            history.Record(1, t * kMs, rf, 100, 60, 3, false);
        }
    }

    ManualClock clock;
    MeterHistory history;
    HistoryView view{history, clock};
    int changes = 0;
};

TEST_F(ViewOfOne, AColumnKeepsItsPeaksAndAGapBreaksTheLine) {
    Answers(0, 300'000);
    history.Record(1, 300'025 * kMs, 175, 100, 60, 3, false);       // the one peak
    Answers(300'050, 400'000);                                      // to 400 s, then a 10 s gap
    Answers(410'000, 600'000);                                      // to 600 s
    view.SetZoom(static_cast<int>(HistoryView::kSpans.size()) - 1); // the hour
    ASSERT_EQ(view.spanMicros(), MeterHistory::kSpanMicros);
    const HistoryPicture picture = view.Compose(600);
    EXPECT_EQ(picture.toMicros, clock.nowMicros());
    EXPECT_EQ(picture.answers, history.size(1));
    // 11800 answers over 100 columns (6 s each): at most four points a column.
    EXPECT_LE(picture.rfA.points.size(), 4u * 102);
    ASSERT_EQ(picture.rfA.runStarts.size(), 2u) << "the gap breaks the line";
    const auto x = [](double ms) { return (ms + 3'000'000) / 3'600'000 * 600; };
    EXPECT_LE(picture.rfA.points[picture.rfA.runStarts[1] - 1].x(), x(400'000) + 1e-6);
    EXPECT_GE(picture.rfA.points[picture.rfA.runStarts[1]].x(), x(410'000) - 1e-6);
    // The one peak of the hour survives the columns.
    const auto top =
        std::max_element(picture.rfA.points.begin(), picture.rfA.points.end(),
                         [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
    EXPECT_EQ(top->y(), 10.0);
    EXPECT_EQ(view.scale().RfPosition(120), picture.rfA.points.front().y());
}

TEST_F(ViewOfOne, ZoomAndScrollStayInTheHourAndLiveFollowsTheNewest) {
    Answers(0, 4'000'000); // past the hour: 66 min
    view.SetZoom(0);       // 30 s
    EXPECT_TRUE(view.live());
    const int before = changes;
    Answers(4'000'050, 4'000'050);
    EXPECT_GT(changes, before) << "a new answer of the receiver redraws while live";
    EXPECT_EQ(view.endMicros(), clock.nowMicros());

    view.ScrollBy(-10'000 * kMs * 1000); // far before the hour: held at its start
    EXPECT_FALSE(view.live());
    EXPECT_EQ(view.fromMicros(), clock.nowMicros() - MeterHistory::kSpanMicros);
    // Zooming out about the left edge keeps its time there.
    const std::int64_t left = view.fromMicros();
    view.Zoom(1, 0.0);
    EXPECT_EQ(view.fromMicros(), left);
    EXPECT_EQ(view.spanMicros(), HistoryView::kSpans[1]);

    const std::int64_t held = view.endMicros();
    const int heldChanges = changes;
    Answers(4'000'100, 4'001'000);
    EXPECT_EQ(view.endMicros(), held) << "a held span does not move";
    EXPECT_EQ(changes, heldChanges);
    view.ScrollBy(MeterHistory::kSpanMicros); // past now: live again
    EXPECT_TRUE(view.live());
    // Near an answer the pointer reads it; in a gap nothing.
    EXPECT_EQ(view.AnswerNear(4'000'120 * kMs)->micros, 4'000'100 * kMs);
    EXPECT_FALSE(view.AnswerNear(5'000'000 * kMs).has_value());
}

} // namespace
} // namespace k7::test
