// The History window's timeline as Qt Charts would draw it, kept for the measurement that
// chose QPainter: a chart view with RF A, RF B, the mute threshold (on the RF scale) and audio
// (on the dB scale) as line series over one receiver's answers of the span, fed with each new
// answer as a live chart is (the point appended, the points that left the span removed, the
// time axis moved).
#pragma once

#include "monitor/HistoryScale.h"
#include "monitor/MeterHistory.h"

#include <QtCharts/QChartView>

class QLineSeries;
class QValueAxis;

namespace k7::bench {

class ChartsTimeline final : public QChartView, private HistoryEvents {
public:
    ChartsTimeline(MeterHistory& history, int slot, std::int64_t spanMicros,
                   QWidget* parent = nullptr);
    ~ChartsTimeline() override;

    // Loads the span ending at the slot's newest answer.
    void load();
    std::size_t points() const;

private:
    void Recorded(int slot, std::int64_t micros) override;
    void append(const HistorySample& sample);

    MeterHistory& history_;
    int slot_;
    std::int64_t span_;
    HistoryScale scale_;
    QLineSeries* rfA_;
    QLineSeries* rfB_;
    QLineSeries* threshold_;
    QLineSeries* audio_;
    QValueAxis* time_;
};

} // namespace k7::bench
