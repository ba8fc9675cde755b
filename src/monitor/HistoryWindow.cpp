#include "HistoryWindow.h"

#include "HistoryExportDialog.h"
#include "HistoryTimeline.h"
#include "Monitor.h"
#include "files/ReceiverLabels.h"
#include "platform/Timer.h"
#include "platform/WindowOrder.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <utility>
#include <vector>

namespace k7 {
namespace {

QString SpanText(std::int64_t micros) {
    const std::int64_t seconds = micros / 1'000'000;
    return seconds < 60 ? QStringLiteral("%1 s").arg(seconds)
                        : QStringLiteral("%1 min").arg(seconds / 60);
}

} // namespace

HistoryWindow::HistoryWindow(Monitor& monitor, const Clock& clock, TimerFactory& timers,
                             Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window), monitor_(monitor), view_(monitor.history(), clock),
      ticker_(timers.createTimer()), timeline_(new HistoryTimeline(
                                         view_, [&monitor] { return monitor.WallOrigin(); }, this)),
      receivers_(new QComboBox(this)), spans_(new QComboBox(this)),
      live_(new QPushButton(QStringLiteral("Live"), this)),
      export_(new QPushButton(QStringLiteral("Export CSV…"), this)),
      scroll_(new QScrollBar(Qt::Horizontal, this)), status_(new QLabel(this)),
      exportDialog_(new HistoryExportDialog(monitor, prompter, this)) {
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(QStringLiteral("Meter history"));
    receivers_->setObjectName(QStringLiteral("cmbReceiver"));
    spans_->setObjectName(QStringLiteral("cmbSpan"));
    live_->setObjectName(QStringLiteral("cmdLive"));
    export_->setObjectName(QStringLiteral("cmdExportHistory"));
    receivers_->setMinimumContentsLength(14);
    for (std::int64_t span : HistoryView::kSpans) {
        spans_->addItem(SpanText(span));
    }
    live_->setCheckable(true);
    live_->setToolTip(QStringLiteral("Follow the newest answers (End)"));
    spans_->setToolTip(QStringLiteral("How much of the hour is shown (+ and -, or the wheel "
                                      "over the timeline)"));
    export_->setToolTip(QStringLiteral("Writes the history of every receiver to a CSV file in "
                                       "the data folder"));
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("Receiver:"), this));
    bar->addWidget(receivers_);
    bar->addSpacing(12);
    bar->addWidget(new QLabel(QStringLiteral("Span:"), this));
    bar->addWidget(spans_);
    bar->addWidget(live_);
    bar->addStretch();
    bar->addWidget(export_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(timeline_, 1);
    layout->addWidget(scroll_);
    layout->addWidget(status_);
    resize(980, 600);

    connect(receivers_, &QComboBox::activated, this,
            [this](int index) { view_.SetSlot(receivers_->itemData(index).toInt()); });
    connect(spans_, &QComboBox::activated, this, [this](int index) { view_.SetZoom(index); });
    connect(live_, &QPushButton::clicked, this, [this](bool on) {
        if (on) {
            view_.GoLive();
        } else {
            view_.ScrollTo(view_.now() - 1); // held where it is
        }
    });
    connect(export_, &QPushButton::clicked, this, [this] { OpenExport(true); });
    connect(scroll_, &QScrollBar::valueChanged, this, [this](int value) {
        if (syncing_) {
            return;
        }
        if (value >= scroll_->maximum()) {
            view_.GoLive();
        } else {
            view_.ScrollTo(view_.earliestEnd() + value * kScrollUnitMicros);
        }
    });
    view_.SetChangeListener([this] { changed(); });
    ticker_->setInterval(kTickMs);
    ticker_->setHandler([this] { tick(); });
}

HistoryWindow::~HistoryWindow() {
    view_.SetChangeListener({});
}

void HistoryWindow::ShowReceiver(int slot) {
    refreshReceivers();
    view_.SetSlot(slot);
    view_.GoLive();
    view_.FitRecorded();
    show();
    RaiseWindow(*this);
    activateWindow();
    syncControls();
    refreshStatus();
}

void HistoryWindow::OpenExport(bool fromWindow) {
    exportDialog_->Open(
        fromWindow ? std::optional(HistoryExportDialog::Span{view_.fromMicros(), view_.endMicros()})
                   : std::nullopt);
}

void HistoryWindow::changed() {
    if (!isVisible()) {
        return;
    }
    timeline_->update();
    syncControls();
}

void HistoryWindow::tick() {
    refreshReceivers();
    view_.FitRecorded();
    if (view_.live()) {
        timeline_->update();
    }
    syncControls();
    refreshStatus();
}

void HistoryWindow::refreshReceivers() {
    // The rack's receivers by slot, then those a rescan no longer found, until the stop.
    std::vector<std::pair<int, QString>> items;
    const int count = std::clamp(monitor_.receivers(), 0, kMaxSlots);
    for (int slot = 1; slot <= count; ++slot) {
        items.emplace_back(slot, QStringLiteral("%1  %2").arg(slot).arg(
                                     NameWithLabel(monitor_.nameOf(slot), monitor_.labelOf(slot))));
    }
    const MeterHistory& history = monitor_.history();
    for (const int key : history.AwayKeys()) {
        items.emplace_back(key, history.AwayName(key) + QStringLiteral(" (disconnected)"));
    }
    if (receivers_->count() != static_cast<int>(items.size())) {
        receivers_->clear();
        for (const auto& [key, text] : items) {
            receivers_->addItem(text, key);
        }
        return;
    }
    for (int i = 0; i < receivers_->count(); ++i) {
        const auto& [key, text] = items[static_cast<std::size_t>(i)];
        if (receivers_->itemData(i).toInt() != key || receivers_->itemText(i) != text) {
            receivers_->setItemData(i, key);
            receivers_->setItemText(i, text);
        }
    }
}

QString HistoryWindow::receiverText(int key) const {
    if (key > kMaxSlots) {
        return monitor_.history().AwayName(key) + QStringLiteral(" (disconnected)");
    }
    return QStringLiteral("%1 %2").arg(key).arg(
        NameWithLabel(monitor_.nameOf(key), monitor_.labelOf(key)));
}

void HistoryWindow::syncControls() {
    syncing_ = true;
    const int index = receivers_->findData(view_.slot());
    if (index >= 0 && receivers_->currentIndex() != index) {
        receivers_->setCurrentIndex(index);
    }
    spans_->setCurrentIndex(view_.zoom());
    live_->setChecked(view_.live());
    const std::int64_t earliest = view_.earliestEnd();
    const auto units = [](std::int64_t micros) {
        return static_cast<int>(std::max<std::int64_t>(micros / kScrollUnitMicros, 0));
    };
    scroll_->setRange(0, units(view_.now() - earliest));
    scroll_->setPageStep(std::max(units(view_.spanMicros()), 1));
    scroll_->setSingleStep(std::max(units(view_.spanMicros() / 10), 1));
    scroll_->setValue(view_.live() ? scroll_->maximum() : units(view_.endMicros() - earliest));
    const QString title = QStringLiteral("Meter history: ") + receiverText(view_.slot());
    if (windowTitle() != title) {
        setWindowTitle(title);
    }
    syncing_ = false;
}

void HistoryWindow::refreshStatus() {
    const MeterHistory& history = monitor_.history();
    if (!history.allocated()) {
        status_->setText(QStringLiteral("Nothing recorded yet: the history starts with metering."));
        return;
    }
    const int slot = view_.slot();
    const std::int64_t from = view_.fromMicros();
    const std::int64_t to = view_.endMicros();
    const std::size_t shown = history.LowerBound(slot, to + 1) - history.LowerBound(slot, from);
    const std::size_t alerts = history.Marks(slot, from, to).size();
    QString text = QStringLiteral("%1 answers in view").arg(shown);
    if (history.size(slot) > 0) {
        const std::int64_t oldest =
            std::max(history.at(slot, 0).micros, view_.now() - MeterHistory::kSpanMicros);
        text += QStringLiteral("; kept since %1")
                    .arg(monitor_.WallOrigin()
                             .addMSecs(oldest / 1000)
                             .toString(QStringLiteral("HH:mm:ss")));
    }
    if (alerts > 0) {
        text += alerts == 1 ? QStringLiteral("; 1 alert in view")
                            : QStringLiteral("; %1 alerts in view").arg(alerts);
    }
    text += view_.live() ? QStringLiteral("; live") : QStringLiteral("; held (End: live)");
    status_->setText(text);
}

void HistoryWindow::showEvent(QShowEvent* event) {
    ticker_->setEnabled(true);
    refreshReceivers();
    syncControls();
    refreshStatus();
    QWidget::showEvent(event);
}

void HistoryWindow::hideEvent(QHideEvent* event) {
    ticker_->setEnabled(false);
    QWidget::hideEvent(event);
}

void HistoryWindow::keyPressEvent(QKeyEvent* event) {
    const std::int64_t tenth = view_.spanMicros() / 10;
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        view_.Zoom(-1);
        break;
    case Qt::Key_Minus:
        view_.Zoom(1);
        break;
    case Qt::Key_Left:
        view_.ScrollBy(-tenth);
        break;
    case Qt::Key_Right:
        view_.ScrollBy(tenth);
        break;
    case Qt::Key_PageUp:
        view_.ScrollBy(-view_.spanMicros());
        break;
    case Qt::Key_PageDown:
        view_.ScrollBy(view_.spanMicros());
        break;
    case Qt::Key_End:
        view_.GoLive();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

} // namespace k7
