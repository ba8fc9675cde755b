// The History window (non-modal): one receiver's last minutes as a timeline (HistoryTimeline),
// the receiver chooser, the span shown (from half a minute to the hour), a scroll bar over the
// hour kept, "Live" to follow the newest answers, and the export of the history to CSV. It is a
// view over HistoryView; it follows the answers while it is shown and costs nothing while not.
#pragma once

#include "HistoryView.h"

#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QPushButton;
class QScrollBar;

namespace k7 {

class HistoryExportDialog;
class HistoryTimeline;
class Monitor;
class Prompter;
class Timer;
class TimerFactory;

class HistoryWindow final : public QWidget {
    Q_OBJECT
public:
    // How often the window moves on while no answer comes (the time axis, the names).
    static constexpr int kTickMs = 1000;
    // The scroll bar's step.
    static constexpr std::int64_t kScrollUnitMicros = 100'000;

    HistoryWindow(Monitor& monitor, const Clock& clock, TimerFactory& timers, Prompter& prompter,
                  QWidget* parent = nullptr);
    ~HistoryWindow() override;

    // Shows the window (raised) on the slot's receiver, live.
    void ShowReceiver(int slot);
    // Shows the export dialog; with the span the window shows when asked from the window.
    void OpenExport(bool fromWindow);

    HistoryView& view() { return view_; }
    HistoryTimeline* timeline() const { return timeline_; }
    QComboBox* receiverChooser() const { return receivers_; }
    QComboBox* spanChooser() const { return spans_; }
    QPushButton* liveButton() const { return live_; }
    QPushButton* exportButton() const { return export_; }
    QScrollBar* scrollBar() const { return scroll_; }
    QLabel* statusLine() const { return status_; }
    HistoryExportDialog* exportDialog() const { return exportDialog_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void changed();
    void tick();
    void refreshReceivers();
    // "3 VOX_3_" for a slot, "VOX_3_ (disconnected)" for a receiver no longer attached.
    QString receiverText(int key) const;
    void syncControls();
    void refreshStatus();

    Monitor& monitor_;
    HistoryView view_;
    std::unique_ptr<Timer> ticker_;
    HistoryTimeline* timeline_;
    QComboBox* receivers_;
    QComboBox* spans_;
    QPushButton* live_;
    QPushButton* export_;
    QScrollBar* scroll_;
    QLabel* status_;
    HistoryExportDialog* exportDialog_;
    bool syncing_ = false;
};

} // namespace k7
