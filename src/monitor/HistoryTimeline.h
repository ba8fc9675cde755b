// The History window's timeline: the picture of the view's span drawn with QPainter, RF A and
// RF B on the meters' microvolt scale above, audio on their dB scale below, one time axis of
// local clock times. The mute threshold is a red line on the RF scale, alerts are shaded spans
// in their colours, muted stretches are hatched under the audio. The pointer reads the answer
// under it; the wheel zooms about the pointer, a drag or a sideways wheel scrolls.
#pragma once

#include <QDateTime>
#include <QWidget>

#include <functional>
#include <optional>

namespace k7 {

class HistoryView;
struct HistoryPicture;
struct HistoryLine;

class HistoryTimeline final : public QWidget {
    Q_OBJECT
public:
    // wallOrigin: the local time at the clock's origin (the axis's times).
    HistoryTimeline(HistoryView& view, std::function<QDateTime()> wallOrigin,
                    QWidget* parent = nullptr);

    // The plot's columns (the widget less its axis margins): the picture's width.
    QRect plotArea() const;
    // The text the pointer's readout shows (empty when the pointer is away or no answer is
    // near it).
    QString readout() const;

    QSize sizeHint() const override { return {900, 460}; }
    QSize minimumSizeHint() const override { return {420, 260}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    struct Lanes {
        QRect rf, audio, axis;
    };
    Lanes lanes() const;
    std::int64_t timeAt(int x) const;
    void drawLane(QPainter& p, const QRect& lane, bool rf) const;
    void drawLine(QPainter& p, const QRect& lane, const HistoryLine& line, const QColor& colour,
                  qreal width, Qt::PenStyle style = Qt::SolidLine) const;
    void drawAxis(QPainter& p, const QRect& axis, const HistoryPicture& picture) const;
    void drawLegend(QPainter& p) const;
    void drawReadout(QPainter& p, const Lanes& lanes) const;

    HistoryView& view_;
    std::function<QDateTime()> wallOrigin_;
    std::optional<int> pointerX_;
    std::optional<QPoint> dragFrom_;
    std::int64_t dragEnd_ = 0;
};

} // namespace k7
