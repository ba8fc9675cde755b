// The History window's controller: which receiver is shown, how much of the hour (the zoom) and
// which part of it (the scroll, or live: the span ends now and follows each new answer), and the
// picture of that span composed from the meter history: RF A, RF B and audio as lines on the
// meters' ten-mark scales, the mute threshold, the muted stretches and the alerts. The lines
// carry at most four points per pixel column (first, lowest, highest, last), so that an hour
// costs no more to draw than a minute and no peak is lost.
#pragma once

#include "AlertKinds.h"
#include "HistoryScale.h"
#include "MeterHistory.h"

#include <QPointF>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace k7 {

class Clock;

// One line of the picture: points in (pixel column, scale position 0..10), in runs that are
// drawn apart (a gap in the answers breaks the line).
struct HistoryLine {
    std::vector<QPointF> points;
    std::vector<std::size_t> runStarts; // the index of each run's first point
    bool empty() const { return points.empty(); }
};

struct HistorySpan {
    double x0 = 0, x1 = 0; // pixel columns, clipped to the picture
    AlertKind kind = AlertKind::Battery;
    bool open = false; // the alert is still up
};

struct HistoryPicture {
    std::int64_t fromMicros = 0, toMicros = 0;
    int width = 0;
    HistoryLine rfA, rfB, audio;
    HistoryLine threshold; // the mute threshold's marker, a step at each change of mute level
    std::vector<HistorySpan> alerts;
    std::vector<std::pair<double, double>> muted; // column ranges
    std::size_t answers = 0;                      // answers in the span
};

class HistoryView final : private HistoryEvents {
public:
    // Zoom levels: the span shown, from half a minute to the whole hour.
    static constexpr std::array<std::int64_t, 8> kSpans{
        30'000'000,  60'000'000,  120'000'000,   300'000'000,
        600'000'000, 900'000'000, 1'800'000'000, MeterHistory::kSpanMicros};
    static constexpr int kDefaultZoom = 3; // five minutes
    // Answers further apart than this are not joined by a line.
    static constexpr std::int64_t kGapMicros = 1'000'000;

    HistoryView(MeterHistory& history, const Clock& clock);
    ~HistoryView() override;
    HistoryView(const HistoryView&) = delete;
    HistoryView& operator=(const HistoryView&) = delete;

    // Called whenever what the view shows changed (a new answer of its receiver while live, a
    // new alert mark, a zoom, a scroll, another receiver).
    void SetChangeListener(std::function<void()> listener) { changed_ = std::move(listener); }

    // The receiver shown: its slot, or the key of one no longer attached (MeterHistory's away
    // keys). A rescan keeps the view on its receiver wherever it went.
    int slot() const { return slot_; }
    void SetSlot(int slot);

    int zoom() const { return zoom_; }
    std::int64_t spanMicros() const { return kSpans[static_cast<std::size_t>(zoom_)]; }
    // Zooms in (negative steps) or out, keeping the time at anchor (0 left edge, 1 right edge)
    // where it is; live stays live. The operator's choice: it holds from then on.
    void Zoom(int steps, double anchor = 1.0);
    void SetZoom(int zoom);
    // Until the operator chooses a span: the shortest that holds what the receiver has recorded
    // (a minute once a minute is kept), at most the default.
    void FitRecorded();

    bool live() const { return live_; }
    // The span's right edge: now while live.
    std::int64_t endMicros() const;
    std::int64_t fromMicros() const { return endMicros() - spanMicros(); }
    // Moves the right edge (clamped to the hour kept); at now the view goes live again.
    void ScrollTo(std::int64_t endMicros);
    void ScrollBy(std::int64_t micros) { ScrollTo(endMicros() + micros); }
    void GoLive();
    // The right edges the scroll can take: from the hour's start plus a span, to now.
    std::int64_t earliestEnd() const;
    std::int64_t now() const;

    // The picture of the span shown, width pixel columns wide.
    HistoryPicture Compose(int width) const;
    // The receiver's answer nearest to the time (none when it has no answer within a gap).
    std::optional<HistorySample> AnswerNear(std::int64_t micros) const;

    const HistoryScale& scale() const { return scale_; }
    const MeterHistory& history() const { return history_; }

private:
    // HistoryEvents
    void Recorded(int slot, std::int64_t micros) override;
    void MarksChanged(int slot) override;
    void Reseated() override;

    void tell() const;
    HistoryLine line(const std::vector<HistorySample>& samples, const HistoryPicture& picture,
                     double (HistoryView::*position)(const HistorySample&) const) const;
    double rfA(const HistorySample& s) const { return scale_.RfPosition(s.rfA); }
    double rfB(const HistorySample& s) const { return scale_.RfPosition(s.rfB); }
    double audio(const HistorySample& s) const { return scale_.AudioPosition(s.audio); }
    double threshold(const HistorySample& s) const { return scale_.ThresholdPosition(s.muteLevel); }

    MeterHistory& history_;
    const Clock& clock_;
    HistoryScale scale_;
    std::function<void()> changed_;
    int slot_ = 1;
    int ring_ = 0; // the shown receiver's ring, which a rescan may put under another key
    int zoom_ = kDefaultZoom;
    bool zoomChosen_ = false;
    bool live_ = true;
    std::int64_t end_ = 0; // the right edge while not live
};

} // namespace k7
