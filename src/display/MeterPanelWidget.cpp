#include "display/MeterPanelWidget.h"

#include "display/Raster.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <vector>

namespace k7 {

namespace {

// The most rows one copy of the panel onto the window takes.
constexpr int kCopyRows = 64;

} // namespace

MeterPanelWidget::MeterPanelWidget(MeterPanel& panel, RackSettings& rack,
                                   const DeviceTables& devices, TimerFactory& timers,
                                   const Clock& clock, QWidget* parent)
    : QWidget(parent), panel_(panel), rack_(rack), devices_(devices), clock_(clock),
      repaintTimer_(timers.createTimer()) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    repaintTimer_->setInterval(repaintIntervalMs());
    refreshMicros_ = repaintTimer_->interval() * std::int64_t{1000};
    repaintTimer_->setHandler([this] { repaintChanged(); });
    panel_.setPasteListener([this](const QRect& rect) { pasted(rect); });
    panel_.setRedrawnListener([this] { redrawn(); });
}

MeterPanelWidget::~MeterPanelWidget() {
    panel_.setPasteListener({}); // the panel may draw on after the window is gone
    panel_.setRedrawnListener({});
}

void MeterPanelWidget::setPanelSize(QSize size) {
    panelSize_ = size;
    update();
}

void MeterPanelWidget::setArrangement(PanelArrangement arrangement) {
    panel_.Arrange(arrangement, size());
    update();
}

void MeterPanelWidget::resizeEvent(QResizeEvent* event) {
    if (panel_.arrangement() == PanelArrangement::Wide) {
        panel_.Arrange(PanelArrangement::Wide, size());
    }
    QWidget::resizeEvent(event);
}

QSize MeterPanelWidget::panelSize() const {
    if (const QSize arranged = panel_.ArrangedSize(); !arranged.isEmpty()) {
        return arranged;
    }
    if (!panelSize_.isEmpty()) {
        return panelSize_;
    }
    const QSize buffer = panel_.PanelBuf().size();
    return buffer.isEmpty() ? kNativePanelSize : buffer;
}

PanelScale MeterPanelWidget::scale() const {
    return PanelScale(panelSize(), size(), devicePixelRatioF());
}

int MeterPanelWidget::repaintIntervalMs() const {
    const QScreen* shown = screen();
    const double hz = shown && shown->refreshRate() > 1.0
                          ? std::min<double>(shown->refreshRate(), kMaxRepaintHz)
                          : kMaxRepaintHz;
    return static_cast<int>(std::ceil(1000.0 / hz));
}

void MeterPanelWidget::pasted(const QRect& rect) {
    if (changed_.panel() != panelSize()) {
        if (!changed_.panel().isEmpty()) {
            update(); // a panel of another size is shown at another scale: the margins change too
        }
        changed_.reset(panelSize());
    }
    // An element of a cell is noted with its cell, so that a repaint copies each changed cell
    // once.
    const QPoint centre = rect.center();
    const int slot = panel_.SlotAt(centre);
    if (RackTables::validSlot(slot) && panel_.CellRect(slot).contains(rect)) {
        changed_.markWithin(slot, rect);
    } else {
        changed_.mark(rect);
    }
    if (!repaintTimer_->enabled()) {
        waitForRefresh();
    }
}

void MeterPanelWidget::redrawn() {
    const std::int64_t since = clock_.nowMicros() - askedAt_;
    if (since >= refreshMicros_ && since < 2 * refreshMicros_) {
        repaintChanged(); // answers keep coming: this one is shown now
    }
}

void MeterPanelWidget::waitForRefresh() {
    // The first change after a quiet spell shows one refresh later; so does a change that comes
    // within a refresh of the last repaint, unless the redraw of a later answer shows it first.
    repaintTimer_->setInterval(repaintIntervalMs());
    refreshMicros_ = repaintTimer_->interval() * std::int64_t{1000};
    repaintTimer_->setEnabled(true);
}

void MeterPanelWidget::repaintChanged() {
    repaintTimer_->setEnabled(false);
    if (changed_.empty()) {
        return;
    }
    askedAt_ = clock_.nowMicros();
    const PanelScale shown = scale();
    std::vector<QRect> rects = changed_.take();
    // Top to bottom: a rectangle wholly below the region so far joins it at its end, with no
    // merge of the two.
    std::sort(rects.begin(), rects.end(), [](const QRect& a, const QRect& b) {
        return a.top() != b.top() ? a.top() < b.top() : a.left() < b.left();
    });
    QRegion area;
    for (const QRect& rect : rects) {
        area += shown.toWidget(rect);
    }
    repaintScale_ = shown; // what the paint event would work out again
    repaint(area);
    repaintScale_.reset();
}

bool MeterPanelWidget::copyOntoWindowImage(const QRegion& region, const QImage& buffer,
                                           const PanelScale& shown) {
    const QRectF target = shown.target();
    const QRect onePixelEach = target.toRect();
    if (shown.factor() != 1.0 || shown.devicePixelRatio() != 1.0 ||
        QRectF(onePixelEach) != target || !onePixelEach.contains(region.boundingRect()) ||
        sharedPainter() != nullptr) {
        return false;
    }
    // Where this paint goes: the window's image (with the widget's place in it) when the window
    // is painted, a pixmap or a printer when the widget is rendered elsewhere.
    QPoint offset;
    QPaintDevice* device = redirected(&offset);
    if (device == nullptr || device->devType() != QInternal::Image) {
        return false;
    }
    auto& image = *static_cast<QImage*>(device);
    if (!CopiesStraight(buffer, image) || image.devicePixelRatio() != 1.0) {
        return false;
    }
    for (const QRect& rect : region) {
        const QRect onto = rect.translated(-offset);
        CopyRect(buffer, rect.translated(-onePixelEach.topLeft()), image, onto.bottomLeft());
    }
    return true;
}

void MeterPanelWidget::paintEvent(QPaintEvent* event) {
    const QImage& buffer = panel_.PanelBuf();
    const PanelScale shown = repaintScale_ ? *repaintScale_ : scale();
    // The panel at its own size, wholly inside the widget: each rectangle is copied straight
    // into the window's image, as a painter would copy it, without setting a painter up.
    if (!buffer.isNull() && !shown.empty() && copyOntoWindowImage(event->region(), buffer, shown)) {
        return;
    }
    QPainter painter(this);
    if (buffer.isNull() || shown.empty()) {
        painter.fillRect(event->rect(), Qt::black);
        return;
    }
    const QRectF target = shown.target();
    const QRectF source(QPointF(0, 0), QSizeF(panelSize()));
    // The logical pixels wholly inside the panel; the rest of the widget is margin.
    const QRect inner(QPoint(static_cast<int>(std::ceil(target.left())),
                             static_cast<int>(std::ceil(target.top()))),
                      QPoint(static_cast<int>(std::floor(target.right())) - 1,
                             static_cast<int>(std::floor(target.bottom())) - 1));
    const QRect onePixelEach = target.toRect();
    if (shown.factor() == 1.0 && devicePixelRatioF() == 1.0 && QRectF(onePixelEach) == target) {
        // The panel at its own size: each rectangle is a plain copy of the same rectangle of
        // the buffer, and the margins are filled where the rectangle reaches them.
        for (const QRect& rect : event->region()) {
            if (!inner.contains(rect)) {
                painter.fillRect(rect, Qt::black);
            }
            // In bands of a few rows: a taller copy is handed out to helper threads, whose
            // wake-ups cost far more than copying a cell's changes here.
            const QRect inPanel = rect.intersected(onePixelEach);
            for (int top = inPanel.top(); top <= inPanel.bottom(); top += kCopyRows) {
                const QRect band(inPanel.left(), top, inPanel.width(),
                                 std::min(kCopyRows, inPanel.bottom() + 1 - top));
                painter.drawImage(band.topLeft(), buffer, band.translated(-onePixelEach.topLeft()));
            }
        }
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, !shown.whole());
    // One rectangle at a time: under a plain rectangular clip a copy or a whole-factor scaling
    // is a straight copy, where a clip of many rectangles would go span by span.
    for (const QRect& rect : event->region()) {
        painter.setClipRect(rect);
        if (!inner.contains(rect)) {
            painter.fillRect(rect, Qt::black); // the margins
        }
        painter.drawImage(target, buffer, source);
    }
}

QString MeterPanelWidget::toolTipAt(QPoint point) const {
    QStringList lines;
    const int slot = cellHeading_ || cellToolTip_ ? panel_.SlotAt(point) : 0;
    if (cellHeading_ && RackTables::validSlot(slot)) {
        lines << cellHeading_(slot);
    }
    if (devices_.ModelVariant == ModelK75) {
        lines << toolTipText();
    }
    if (cellToolTip_ && RackTables::validSlot(slot)) {
        lines << cellToolTip_(slot);
    }
    lines.removeAll(QString());
    return lines.join(QLatin1Char('\n'));
}

void MeterPanelWidget::mouseMoveEvent(QMouseEvent* event) {
    const std::optional<QPoint> at = scale().toPanel(event->position());
    pointer_ = at.value_or(QPoint(-1, -1));
    if (const QString tip = toolTipAt(pointer_); !tip.isEmpty() || cellToolTip_ || cellHeading_) {
        setToolTip(tip);
    }
    QWidget::mouseMoveEvent(event);
}

int MeterPanelWidget::slotUnder(QPointF position) {
    const std::optional<QPoint> at = scale().toPanel(position);
    pointer_ = at.value_or(QPoint(-1, -1));
    // A click in the margins is on no cell.
    return at ? panel_.SlotAt(*at) : 0;
}

void MeterPanelWidget::mouseReleaseEvent(QMouseEvent* event) {
    const int slot = slotUnder(event->position());
    // A click in the margins selects and opens nothing.
    if (event->button() != Qt::RightButton || pointer_ == QPoint(-1, -1)) {
        return;
    }
    rack_.SelectSlot(slot);
    if (!RackTables::validSlot(slot)) {
        return;
    }
    // Shift with the right button asks for the cell's menu instead.
    if (event->modifiers() & Qt::ShiftModifier) {
        return;
    }
    if (rack_.tables().SlotState[slot] != 0 && devices_.ModelVariant == ModelK75 && openPanel_) {
        openPanel_(slot);
    }
}

void MeterPanelWidget::contextMenuEvent(QContextMenuEvent* event) {
    // On a K7.5 set-up a plain right click opens the control panel when the button is released.
    if (event->reason() == QContextMenuEvent::Mouse && devices_.ModelVariant == ModelK75 &&
        !(event->modifiers() & Qt::ShiftModifier)) {
        return;
    }
    const QPoint at = event->reason() == QContextMenuEvent::Mouse
                          ? event->pos()
                          : scale().toWidget(panel_.CellRect(rack_.tables().SelectedSlot)).center();
    const std::optional<QPoint> inPanel = scale().toPanel(QPointF(at));
    const int slot = inPanel ? panel_.SlotAt(*inPanel) : 0;
    if (!labelReceiver_ || !RackTables::validSlot(slot) || rack_.tables().SlotState[slot] == 0) {
        return;
    }
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("mnuCell"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* label = menu->addAction(QStringLiteral("&Label..."));
    label->setObjectName(QStringLiteral("mnuLabel"));
    connect(label, &QAction::triggered, this, [this, slot] {
        if (labelReceiver_) {
            labelReceiver_(slot);
        }
    });
    menu->popup(mapToGlobal(at));
}

void MeterPanelWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    const int slot = slotUnder(event->position());
    if (event->button() != Qt::LeftButton || !openHistory_) {
        return;
    }
    if (RackTables::validSlot(slot) && rack_.tables().SlotState[slot] != 0) {
        openHistory_(slot);
    }
}

} // namespace k7
