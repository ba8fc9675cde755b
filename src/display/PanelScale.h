// How the meter panel, drawn at its native size, is shown in a window of any size: scaled to fit
// with its aspect kept and centred between black margins, counted in the screen's device pixels
// (so a HiDPI screen gets a sharp panel too), and the way back from the pointer to the panel
// pixel under it.
#pragma once

#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>

#include <optional>

namespace k7 {

class PanelScale {
public:
    // A whole factor is taken instead of the fit when it fills at least this share of it: a few
    // per cent of margin buy crisp bars.
    static constexpr double kWholeFactorShare = 0.96;

    PanelScale() = default;
    // panel: the native panel (pixels of the panel buffer); widget: the window area in logical
    // pixels; devicePixelRatio: device pixels per logical pixel.
    PanelScale(QSize panel, QSize widget, double devicePixelRatio);

    // Device pixels per panel pixel.
    double factor() const { return factor_; }
    // Device pixels per logical pixel.
    double devicePixelRatio() const { return ratio_; }
    // A whole factor: shown nearest-neighbour, every panel pixel a block of device pixels.
    bool whole() const { return whole_; }
    bool empty() const { return panel_.isEmpty() || factor_ <= 0.0; }
    // Where the panel lands, in logical pixels.
    QRectF target() const;
    // The panel pixel under a pointer at this logical position; none in the margins.
    std::optional<QPoint> toPanel(QPointF logical) const;
    // The logical rectangle that shows this rectangle of the panel, with the neighbours a smooth
    // scaling blends into it.
    QRect toWidget(const QRect& panelRect) const;

private:
    QSize panel_;
    double ratio_ = 1.0;
    double factor_ = 0.0;
    bool whole_ = false;
    QPoint offset_; // device pixels
};

} // namespace k7
