#include "display/PanelScale.h"

#include <algorithm>
#include <cmath>

namespace k7 {

PanelScale::PanelScale(QSize panel, QSize widget, double devicePixelRatio)
    : panel_(panel), ratio_(devicePixelRatio > 0.0 ? devicePixelRatio : 1.0) {
    if (panel_.isEmpty() || widget.isEmpty()) {
        return;
    }
    const double width = widget.width() * ratio_;
    const double height = widget.height() * ratio_;
    const double fit = std::min(width / panel_.width(), height / panel_.height());
    const double wholeFactor = std::floor(fit);
    if (wholeFactor >= 1.0 && wholeFactor >= kWholeFactorShare * fit) {
        factor_ = wholeFactor;
        whole_ = true;
    } else {
        factor_ = fit;
    }
    offset_ = {static_cast<int>(std::floor((width - panel_.width() * factor_) / 2.0)),
               static_cast<int>(std::floor((height - panel_.height() * factor_) / 2.0))};
}

QRectF PanelScale::target() const {
    return {offset_.x() / ratio_, offset_.y() / ratio_, panel_.width() * factor_ / ratio_,
            panel_.height() * factor_ / ratio_};
}

std::optional<QPoint> PanelScale::toPanel(QPointF logical) const {
    if (empty()) {
        return std::nullopt;
    }
    // The pointer's position rounded to a whole device pixel, taken at that pixel's centre: on
    // a whole factor exactly the panel pixel that device pixel shows.
    const auto along = [this](double position, int offset) {
        return static_cast<int>(std::floor((position * ratio_ - offset + 0.5) / factor_));
    };
    const QPoint pixel(along(logical.x(), offset_.x()), along(logical.y(), offset_.y()));
    if (pixel.x() < 0 || pixel.y() < 0 || pixel.x() >= panel_.width() ||
        pixel.y() >= panel_.height()) {
        return std::nullopt;
    }
    return pixel;
}

QRect PanelScale::toWidget(const QRect& panelRect) const {
    if (empty() || panelRect.isEmpty()) {
        return {};
    }
    // A smooth scaling blends each device pixel from its two nearest panel pixels.
    const double spill = whole_ ? 0.0 : 1.0;
    const QRectF device(offset_.x() + panelRect.x() * factor_ - spill,
                        offset_.y() + panelRect.y() * factor_ - spill,
                        panelRect.width() * factor_ + 2 * spill,
                        panelRect.height() * factor_ + 2 * spill);
    const QRectF logical(device.x() / ratio_, device.y() / ratio_, device.width() / ratio_,
                         device.height() / ratio_);
    return logical.toAlignedRect();
}

} // namespace k7
