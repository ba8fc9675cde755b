#include "ChartsTimeline.h"

#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

namespace k7::bench {
namespace {

QLineSeries* Series(QChart* chart, const QString& name, const QColor& colour,
                    Qt::PenStyle style = Qt::SolidLine) {
    auto* series = new QLineSeries(chart);
    series->setName(name);
    series->setPen(QPen(colour, 1.4, style));
    chart->addSeries(series);
    return series;
}

} // namespace

ChartsTimeline::ChartsTimeline(MeterHistory& history, int slot, std::int64_t spanMicros,
                               QWidget* parent)
    : QChartView(parent), history_(history), slot_(slot), span_(spanMicros) {
    auto* chart = new QChart;
    chart->setTheme(QChart::ChartThemeDark);
    chart->setAnimationOptions(QChart::NoAnimation);
    rfA_ = Series(chart, QStringLiteral("RF A"), QColor(0x5c, 0xd6, 0x6e));
    rfB_ = Series(chart, QStringLiteral("RF B"), QColor(0x4c, 0xb2, 0xf0));
    threshold_ = Series(chart, QStringLiteral("Mute threshold"), QColor(0xe5, 0x48, 0x4d),
                        Qt::DashLine);
    audio_ = Series(chart, QStringLiteral("Audio"), QColor(0xf4, 0xc1, 0x4f));
    time_ = new QValueAxis(chart);
    auto* rf = new QValueAxis(chart);
    auto* db = new QValueAxis(chart);
    rf->setRange(0, 10);
    db->setRange(-10, 10); // audio in the lower half, as two lanes would show it
    rf->setTickCount(11);
    chart->addAxis(time_, Qt::AlignBottom);
    chart->addAxis(rf, Qt::AlignLeft);
    chart->addAxis(db, Qt::AlignRight);
    for (QLineSeries* s : {rfA_, rfB_, threshold_}) {
        s->attachAxis(time_);
        s->attachAxis(rf);
    }
    audio_->attachAxis(time_);
    audio_->attachAxis(db);
    setChart(chart);
    setRenderHint(QPainter::Antialiasing);
    history_.AddObserver(*this);
}

ChartsTimeline::~ChartsTimeline() {
    history_.RemoveObserver(*this);
}

void ChartsTimeline::load() {
    const std::size_t count = history_.size(slot_);
    if (count == 0) {
        return;
    }
    const std::int64_t end = history_.at(slot_, count - 1).micros;
    QList<QPointF> a, b, t, au;
    for (const HistorySample& s : history_.Samples(slot_, end - span_, end)) {
        const double x = s.micros / 1e6;
        a.append({x, scale_.RfPosition(s.rfA)});
        b.append({x, scale_.RfPosition(s.rfB)});
        t.append({x, scale_.ThresholdPosition(s.muteLevel)});
        au.append({x, scale_.AudioPosition(s.audio) - 10});
    }
    rfA_->replace(a);
    rfB_->replace(b);
    threshold_->replace(t);
    audio_->replace(au);
    time_->setRange((end - span_) / 1e6, end / 1e6);
}

std::size_t ChartsTimeline::points() const {
    return static_cast<std::size_t>(rfA_->count());
}

void ChartsTimeline::Recorded(int slot, std::int64_t /*micros*/) {
    if (slot == slot_) {
        append(history_.at(slot_, history_.size(slot_) - 1));
    }
}

void ChartsTimeline::append(const HistorySample& s) {
    const double x = s.micros / 1e6;
    const double from = (s.micros - span_) / 1e6;
    rfA_->append(x, scale_.RfPosition(s.rfA));
    rfB_->append(x, scale_.RfPosition(s.rfB));
    threshold_->append(x, scale_.ThresholdPosition(s.muteLevel));
    audio_->append(x, scale_.AudioPosition(s.audio) - 10);
    // The points that left the span go, as a live chart lets them.
    int gone = 0;
    while (gone < rfA_->count() && rfA_->at(gone).x() < from) {
        ++gone;
    }
    if (gone > 0) {
        for (QLineSeries* series : {rfA_, rfB_, threshold_, audio_}) {
            series->removePoints(0, gone);
        }
    }
    time_->setRange(from, x);
}

} // namespace k7::bench
