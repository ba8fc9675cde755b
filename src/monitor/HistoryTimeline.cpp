#include "HistoryTimeline.h"

#include "HistoryView.h"
#include "display/ScaleMarks.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <cmath>

namespace k7 {
namespace {

constexpr int kLeft = 62, kRight = 18, kTop = 30, kAxis = 26, kGap = 20;

const QColor kBackground(0x14, 0x17, 0x1b);
const QColor kLane(0x1c, 0x21, 0x27);
const QColor kGrid(0x2d, 0x34, 0x3c);
const QColor kText(0xb4, 0xbc, 0xc6);
const QColor kDim(0x7d, 0x86, 0x91);
const QColor kRfA(0x5c, 0xd6, 0x6e);
const QColor kRfB(0x4c, 0xb2, 0xf0);
const QColor kAudio(0xf4, 0xc1, 0x4f);
const QColor kThreshold(0xe5, 0x48, 0x4d);

// Steps of the time axis, in seconds: the first that leaves room for its labels is taken.
constexpr std::array<int, 14> kTickSeconds{1,   2,   5,   10,  15,   30,   60,
                                           120, 300, 600, 900, 1800, 3600, 7200};
constexpr int kTickRoom = 90;
constexpr std::int64_t kDayMs = 86'400'000;

QBrush MutedBrush() {
    return QBrush(QColor(0x9a, 0xa3, 0xad, 110), Qt::BDiagPattern);
}

} // namespace

HistoryTimeline::HistoryTimeline(HistoryView& view, std::function<QDateTime()> wallOrigin,
                                 QWidget* parent)
    : QWidget(parent), view_(view), wallOrigin_(std::move(wallOrigin)) {
    setObjectName(QStringLiteral("picHistory"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

HistoryTimeline::Lanes HistoryTimeline::lanes() const {
    const QRect plot = plotArea();
    const int height = plot.height() - kGap;
    const int rfHeight = height * 58 / 100;
    Lanes l;
    l.rf = QRect(plot.left(), plot.top(), plot.width(), rfHeight);
    l.audio = QRect(plot.left(), l.rf.bottom() + 1 + kGap, plot.width(), height - rfHeight);
    l.axis = QRect(plot.left(), plot.bottom() + 1, plot.width(), kAxis);
    return l;
}

QRect HistoryTimeline::plotArea() const {
    return QRect(kLeft, kTop, std::max(width() - kLeft - kRight, 1),
                 std::max(height() - kTop - kAxis, kGap + 20));
}

std::int64_t HistoryTimeline::timeAt(int x) const {
    const QRect plot = plotArea();
    const double fraction = static_cast<double>(x - plot.left()) / plot.width();
    return view_.fromMicros() + static_cast<std::int64_t>(fraction * view_.spanMicros());
}

void HistoryTimeline::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    p.fillRect(rect(), kBackground);
    const Lanes l = lanes();
    const HistoryPicture picture = view_.Compose(l.rf.width());
    drawLane(p, l.rf, true);
    drawLane(p, l.audio, false);

    p.setRenderHint(QPainter::Antialiasing, false);
    for (const auto& [x0, x1] : picture.muted) {
        p.fillRect(
            QRectF(l.audio.left() + x0, l.audio.top(), std::max(x1 - x0, 1.0), l.audio.height()),
            MutedBrush());
    }
    for (const HistorySpan& span : picture.alerts) {
        QColor shade = AlertColour(span.kind);
        const double w = std::max(span.x1 - span.x0, 2.0);
        shade.setAlpha(52);
        for (const QRect& lane : {l.rf, l.audio}) {
            p.fillRect(QRectF(lane.left() + span.x0, lane.top(), w, lane.height()), shade);
        }
        p.fillRect(QRectF(l.rf.left() + span.x0, l.rf.top(), w, 4), AlertColour(span.kind));
    }

    p.setRenderHint(QPainter::Antialiasing, true);
    drawLine(p, l.rf, picture.threshold, kThreshold, 1.0, Qt::DashLine);
    drawLine(p, l.rf, picture.rfB, kRfB, 1.0);
    drawLine(p, l.rf, picture.rfA, kRfA, 1.0);
    drawLine(p, l.audio, picture.audio, kAudio, 1.0);
    p.setRenderHint(QPainter::Antialiasing, false);

    drawAxis(p, l.axis, picture);
    drawLegend(p);
    if (picture.answers == 0) {
        p.setPen(kDim);
        p.drawText(l.rf, Qt::AlignCenter,
                   QStringLiteral("No answers from this receiver in this span"));
    }
    drawReadout(p, l);
}

void HistoryTimeline::drawLane(QPainter& p, const QRect& lane, bool rf) const {
    p.fillRect(lane, kLane);
    const double step = lane.height() / HistoryScale::kPlotMarks;
    // Every mark labelled while there is room, else every other one.
    const int every = step >= 15 ? 1 : 2;
    QFont small = font();
    small.setPointSizeF(font().pointSizeF() * 0.85);
    p.setFont(small);
    for (int mark = 1; mark <= 10; ++mark) {
        const int y = lane.bottom() - static_cast<int>(std::lround(mark * step));
        p.setPen(kGrid);
        p.drawLine(lane.left(), y, lane.right(), y);
        if (mark % every == 0) {
            p.setPen(kText);
            p.drawText(QRect(0, y - 8, lane.left() - 8, 16), Qt::AlignRight | Qt::AlignVCenter,
                       rf ? HistoryScale::RfMark(mark) : HistoryScale::AudioMark(mark));
        }
    }
    p.setPen(kDim);
    p.drawText(QRect(0, lane.bottom() - 16, lane.left() - 8, 16), Qt::AlignRight | Qt::AlignVCenter,
               rf ? MicroVolt() : QStringLiteral("dB"));
    p.setPen(kText);
    p.drawText(lane.adjusted(8, 6, 0, 0), Qt::AlignLeft | Qt::AlignTop,
               rf ? QStringLiteral("RF") : QStringLiteral("Audio"));
    p.setFont(font());
    p.setPen(kGrid);
    p.drawRect(lane.adjusted(0, 0, -1, -1));
}

void HistoryTimeline::drawLine(QPainter& p, const QRect& lane, const HistoryLine& line,
                               const QColor& colour, qreal width, Qt::PenStyle style) const {
    if (line.empty()) {
        return;
    }
    const double perMark = lane.height() / HistoryScale::kPlotMarks;
    const auto at = [&](const QPointF& point) {
        return QPointF(lane.left() + point.x(), lane.bottom() + 0.5 - point.y() * perMark);
    };
    p.save();
    p.setClipRect(lane);
    QPen pen(colour, width, style, Qt::RoundCap, Qt::RoundJoin);
    pen.setCosmetic(true);
    p.setPen(pen);
    std::vector<QPointF> mapped;
    for (std::size_t r = 0; r < line.runStarts.size(); ++r) {
        const std::size_t begin = line.runStarts[r];
        const std::size_t end =
            r + 1 < line.runStarts.size() ? line.runStarts[r + 1] : line.points.size();
        mapped.clear();
        for (std::size_t i = begin; i < end; ++i) {
            mapped.push_back(at(line.points[i]));
        }
        if (mapped.size() == 1) {
            p.drawPoint(mapped.front());
        } else {
            p.drawPolyline(mapped.data(), static_cast<int>(mapped.size()));
        }
    }
    p.restore();
}

void HistoryTimeline::drawAxis(QPainter& p, const QRect& axis,
                               const HistoryPicture& picture) const {
    const std::int64_t span = picture.toMicros - picture.fromMicros;
    const double perSecond = axis.width() / (span / 1e6);
    int stepSeconds = kTickSeconds.back();
    for (int seconds : kTickSeconds) {
        if (seconds * perSecond >= kTickRoom) {
            stepSeconds = seconds;
            break;
        }
    }
    const QDateTime origin = wallOrigin_();
    const QDateTime from = origin.addMSecs(picture.fromMicros / 1000);
    const std::int64_t fromLocalMs = from.time().msecsSinceStartOfDay();
    const std::int64_t stepMs = std::int64_t{stepSeconds} * 1000;
    const Lanes l = lanes();
    for (std::int64_t offset = (stepMs - fromLocalMs % stepMs) % stepMs; offset * 1000 <= span;
         offset += stepMs) {
        const int x =
            axis.left() +
            static_cast<int>(std::lround(offset * 1000 * axis.width() / static_cast<double>(span)));
        p.setPen(kGrid);
        p.drawLine(x, l.rf.top() + 1, x, l.rf.bottom());
        p.drawLine(x, l.audio.top() + 1, x, l.audio.bottom());
        p.setPen(kText);
        p.drawLine(x, axis.top(), x, axis.top() + 4);
        const QTime time =
            QTime::fromMSecsSinceStartOfDay(static_cast<int>((fromLocalMs + offset) % kDayMs));
        const QString text =
            time.toString(stepSeconds >= 60 ? QStringLiteral("HH:mm") : QStringLiteral("HH:mm:ss"));
        p.drawText(QRect(x - 45, axis.top() + 5, 90, axis.height() - 5),
                   Qt::AlignHCenter | Qt::AlignTop, text);
    }
}

void HistoryTimeline::drawLegend(QPainter& p) const {
    int x = kLeft;
    const int y = kTop / 2;
    const QFontMetrics metrics(font());
    const auto entry = [&](const QString& text, const std::function<void(const QRect&)>& swatch) {
        const QRect box(x, y - 6, 18, 12);
        swatch(box);
        p.setPen(kText);
        p.drawText(QPoint(x + 24, y + metrics.ascent() / 2 - 1), text);
        x += 24 + metrics.horizontalAdvance(text) + 18;
    };
    const auto stroke = [&p](const QColor& colour, Qt::PenStyle style) {
        return [&p, colour, style](const QRect& box) {
            p.setPen(QPen(colour, 2, style));
            p.drawLine(box.left(), box.center().y(), box.right(), box.center().y());
        };
    };
    entry(QStringLiteral("RF A"), stroke(kRfA, Qt::SolidLine));
    entry(QStringLiteral("RF B"), stroke(kRfB, Qt::SolidLine));
    entry(QStringLiteral("Audio"), stroke(kAudio, Qt::SolidLine));
    entry(QStringLiteral("Mute threshold"), stroke(kThreshold, Qt::DashLine));
    entry(QStringLiteral("Muted"), [&p](const QRect& box) { p.fillRect(box, MutedBrush()); });
    for (AlertKind kind : kAllAlertKinds) {
        entry(AlertCaption(kind), [&p, kind](const QRect& box) {
            QColor shade = AlertColour(kind);
            p.fillRect(box, shade);
        });
    }
}

QString HistoryTimeline::readout() const {
    if (!pointerX_) {
        return {};
    }
    const std::optional<HistorySample> answer = view_.AnswerNear(timeAt(*pointerX_));
    if (!answer) {
        return {};
    }
    const HistoryScale& scale = view_.scale();
    const QString time =
        wallOrigin_().addMSecs(answer->micros / 1000).toString(QStringLiteral("HH:mm:ss.zzz"));
    return QStringLiteral("%1   RF A %2   RF B %3   Audio %4%5")
        .arg(time, HistoryScale::RfReading(scale.RfPosition(answer->rfA)),
             HistoryScale::RfReading(scale.RfPosition(answer->rfB)),
             HistoryScale::AudioReading(scale.AudioPosition(answer->audio)),
             answer->muted ? QStringLiteral("   muted") : QString());
}

void HistoryTimeline::drawReadout(QPainter& p, const Lanes& l) const {
    if (!pointerX_ || *pointerX_ < l.rf.left() || *pointerX_ > l.rf.right()) {
        return;
    }
    p.setPen(QPen(QColor(255, 255, 255, 110), 1));
    p.drawLine(*pointerX_, l.rf.top(), *pointerX_, l.audio.bottom());
    const QString text = readout();
    if (text.isEmpty()) {
        return;
    }
    const QFontMetrics metrics(font());
    QRect box(0, 0, metrics.horizontalAdvance(text) + 16, metrics.height() + 8);
    box.moveTop(l.rf.top() + 10);
    box.moveLeft(std::clamp(*pointerX_ + 12, l.rf.left() + 4, l.rf.right() - box.width() - 4));
    p.fillRect(box, QColor(0x0c, 0x0e, 0x11, 225));
    p.setPen(kGrid);
    p.drawRect(box.adjusted(0, 0, -1, -1));
    p.setPen(Qt::white);
    p.drawText(box, Qt::AlignCenter, text);
}

void HistoryTimeline::mouseMoveEvent(QMouseEvent* event) {
    const int x = static_cast<int>(event->position().x());
    pointerX_ = x;
    if (dragFrom_) {
        const double dx = x - dragFrom_->x();
        view_.ScrollTo(dragEnd_ -
                       static_cast<std::int64_t>(dx / plotArea().width() * view_.spanMicros()));
    }
    update();
}

void HistoryTimeline::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragFrom_ = event->position().toPoint();
        dragEnd_ = view_.endMicros();
        setCursor(Qt::ClosedHandCursor);
    }
}

void HistoryTimeline::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragFrom_.reset();
        unsetCursor();
    }
}

void HistoryTimeline::leaveEvent(QEvent* event) {
    pointerX_.reset();
    update();
    QWidget::leaveEvent(event);
}

void HistoryTimeline::wheelEvent(QWheelEvent* event) {
    const QPoint delta = event->angleDelta();
    const bool sideways =
        delta.x() != 0 || (event->modifiers() & Qt::ShiftModifier) != Qt::NoModifier;
    const int notches = (sideways ? (delta.x() != 0 ? delta.x() : delta.y()) : delta.y()) / 120;
    if (notches == 0) {
        return;
    }
    if (sideways) {
        view_.ScrollBy(-notches * view_.spanMicros() / 10);
    } else {
        const QRect plot = plotArea();
        const double anchor = (event->position().x() - plot.left()) / plot.width();
        view_.Zoom(-notches, anchor);
    }
    event->accept();
}

} // namespace k7
