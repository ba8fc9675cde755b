#include "HistoryView.h"

#include "platform/Clock.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace k7 {
namespace {

// The lowest, highest, first and last reading of a pixel column, with where each was.
struct Column {
    struct Point {
        std::size_t index;
        double x, v;
    };
    Point first{}, low{}, high{}, last{};
    bool used = false;

    void add(std::size_t index, double x, double v) {
        const Point p{index, x, v};
        if (!used) {
            first = low = high = last = p;
            used = true;
            return;
        }
        last = p;
        if (v < low.v) {
            low = p;
        }
        if (v > high.v) {
            high = p;
        }
    }
    // The column's points in the order they were read, each once.
    void appendTo(std::vector<QPointF>& points) const {
        std::array<Point, 4> order{first, low, high, last};
        std::sort(order.begin(), order.end(),
                  [](const Point& a, const Point& b) { return a.index < b.index; });
        std::size_t previous = std::numeric_limits<std::size_t>::max();
        for (const Point& p : order) {
            if (p.index != previous) {
                points.emplace_back(p.x, p.v);
                previous = p.index;
            }
        }
    }
};

} // namespace

HistoryView::HistoryView(MeterHistory& history, const Clock& clock)
    : history_(history), clock_(clock) {
    history_.AddObserver(*this);
}

HistoryView::~HistoryView() {
    history_.RemoveObserver(*this);
}

std::int64_t HistoryView::now() const {
    return clock_.nowMicros();
}

void HistoryView::SetSlot(int slot) {
    if (slot < 1 || (slot > kMaxSlots && history_.RingOf(slot) == 0)) {
        return;
    }
    ring_ = history_.RingOf(slot);
    if (slot != slot_) {
        slot_ = slot;
        if (!live_) {
            ScrollTo(end_); // the new receiver's hour may start later
        }
        tell();
    }
}

void HistoryView::SetZoom(int zoom) {
    Zoom(std::clamp(zoom, 0, static_cast<int>(kSpans.size()) - 1) - zoom_);
}

void HistoryView::FitRecorded() {
    if (zoomChosen_ || !live_) {
        return;
    }
    const std::int64_t recorded =
        history_.size(slot_) > 0 ? now() - history_.at(slot_, 0).micros : 0;
    int zoom = 0;
    while (zoom < kDefaultZoom && kSpans[static_cast<std::size_t>(zoom)] < recorded) {
        ++zoom;
    }
    if (zoom != zoom_) {
        zoom_ = zoom;
        tell();
    }
}

void HistoryView::Zoom(int steps, double anchor) {
    zoomChosen_ = true;
    const int zoom = std::clamp(zoom_ + steps, 0, static_cast<int>(kSpans.size()) - 1);
    if (zoom == zoom_) {
        return;
    }
    anchor = std::clamp(anchor, 0.0, 1.0);
    const auto at = fromMicros() + static_cast<std::int64_t>(anchor * spanMicros());
    zoom_ = zoom;
    if (live_ && anchor >= 1.0) {
        tell();
        return;
    }
    ScrollTo(at + static_cast<std::int64_t>((1.0 - anchor) * spanMicros()));
    tell();
}

std::int64_t HistoryView::endMicros() const {
    return live_ ? now() : end_;
}

std::int64_t HistoryView::earliestEnd() const {
    const std::int64_t current = now();
    std::int64_t start = current - MeterHistory::kSpanMicros;
    if (history_.size(slot_) > 0) {
        start = std::max(start, history_.at(slot_, 0).micros);
    }
    return std::min(start + spanMicros(), current);
}

void HistoryView::ScrollTo(std::int64_t endMicros) {
    const std::int64_t current = now();
    const std::int64_t end = std::clamp(endMicros, earliestEnd(), current);
    const bool live = end >= current;
    if (live == live_ && (live || end == end_)) {
        return;
    }
    live_ = live;
    end_ = end;
    tell();
}

void HistoryView::GoLive() {
    if (!live_) {
        live_ = true;
        tell();
    }
}

void HistoryView::Recorded(int slot, std::int64_t /*micros*/) {
    if (slot != slot_) {
        return;
    }
    if (ring_ == 0) {
        ring_ = history_.RingOf(slot); // shown before the rings were allocated
    }
    if (live_) {
        tell();
    }
}

void HistoryView::Reseated() {
    // The receiver shown keeps being shown, under its new slot or, gone, its away key; a view
    // that had none yet stays on its slot.
    const int key = history_.KeyOfRing(ring_);
    if (key != 0) {
        slot_ = key;
    } else if (history_.RingOf(slot_) == 0 && slot_ > kMaxSlots) {
        slot_ = 1;
    }
    ring_ = history_.RingOf(slot_);
    tell();
}

void HistoryView::MarksChanged(int slot) {
    if (slot == slot_) {
        tell();
    }
}

void HistoryView::tell() const {
    if (changed_) {
        changed_();
    }
}

HistoryPicture HistoryView::Compose(int width) const {
    HistoryPicture picture;
    picture.width = std::max(width, 1);
    picture.toMicros = endMicros();
    picture.fromMicros = picture.toMicros - spanMicros();
    // One answer beyond each edge, so that the lines run out of the picture.
    const std::size_t count = history_.size(slot_);
    std::size_t first = history_.LowerBound(slot_, picture.fromMicros);
    const std::size_t inside = first;
    first = first > 0 ? first - 1 : 0;
    std::size_t last = history_.LowerBound(slot_, picture.toMicros + 1);
    picture.answers = last - inside;
    last = std::min(last + 1, count);
    std::vector<HistorySample> samples;
    samples.reserve(last - first);
    for (std::size_t i = first; i < last; ++i) {
        samples.push_back(history_.at(slot_, i));
    }
    picture.rfA = line(samples, picture, &HistoryView::rfA);
    picture.rfB = line(samples, picture, &HistoryView::rfB);
    picture.audio = line(samples, picture, &HistoryView::audio);
    picture.threshold = line(samples, picture, &HistoryView::threshold);

    const double perMicro = picture.width / static_cast<double>(spanMicros());
    const auto x = [&](std::int64_t micros) {
        return std::clamp((micros - picture.fromMicros) * perMicro, 0.0,
                          static_cast<double>(picture.width));
    };
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (!samples[i].muted) {
            continue;
        }
        std::size_t j = i;
        while (j + 1 < samples.size() && samples[j + 1].muted &&
               samples[j + 1].micros - samples[j].micros <= kGapMicros) {
            ++j;
        }
        // A stretch lasts until the next answer says otherwise.
        const std::int64_t end = j + 1 < samples.size() ? samples[j + 1].micros : samples[j].micros;
        picture.muted.emplace_back(x(samples[i].micros), x(end));
        i = j;
    }
    for (const HistoryMark& mark : history_.Marks(slot_, picture.fromMicros, picture.toMicros)) {
        picture.alerts.push_back(HistorySpan{
            x(mark.sinceMicros), x(mark.open() ? now() : mark.endMicros), mark.kind, mark.open()});
    }
    return picture;
}

HistoryLine HistoryView::line(const std::vector<HistorySample>& samples,
                              const HistoryPicture& picture,
                              double (HistoryView::*position)(const HistorySample&) const) const {
    HistoryLine out;
    const double perMicro = picture.width / static_cast<double>(spanMicros());
    Column column;
    auto columnIndex = std::numeric_limits<std::int64_t>::min();
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double x = (samples[i].micros - picture.fromMicros) * perMicro;
        const auto index = static_cast<std::int64_t>(std::floor(x));
        const bool gap = i > 0 && samples[i].micros - samples[i - 1].micros > kGapMicros;
        if (gap || index != columnIndex) {
            if (column.used) {
                column.appendTo(out.points);
            }
            if (gap || out.runStarts.empty()) {
                out.runStarts.push_back(out.points.size());
            }
            column = Column{};
            columnIndex = index;
        }
        column.add(i, x, (this->*position)(samples[i]));
    }
    if (column.used) {
        column.appendTo(out.points);
    }
    return out;
}

std::optional<HistorySample> HistoryView::AnswerNear(std::int64_t micros) const {
    const std::size_t count = history_.size(slot_);
    const std::size_t next = history_.LowerBound(slot_, micros);
    std::optional<HistorySample> best;
    for (std::size_t i : {next - 1, next}) {
        if (i < count) {
            const HistorySample s = history_.at(slot_, i);
            if (std::llabs(s.micros - micros) <= kGapMicros &&
                (!best || std::llabs(s.micros - micros) < std::llabs(best->micros - micros))) {
                best = s;
            }
        }
    }
    return best;
}

} // namespace k7
