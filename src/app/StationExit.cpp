// The station's way out: the exit request and "Continue", the load-last-file answers, the timer
// hold on polling while the exit question is up, and the orderly stop.
#include "Station.h"

#include "SingleInstance.h"
#include "Trace.h"
#include "platform/EventPump.h"
#include "platform/Prompter.h"

#include <QJsonValue>

#include <algorithm>

namespace k7 {
void Station::RequestExit(ExitSource) {
    if (!started_ || stopping_) {
        return;
    }
    if (!exitPending_) {
        exitPending_ = true;
        core_.engine().HoldForExit();
    }
    // A second request while the question is up only shows the same state again.
    dialog_.ShowExitConfirmation();
    updateFileCommands();
}

void Station::ContinueAfterExitRequest() {
    if (!exitPending_ || stopping_) {
        return;
    }
    exitPending_ = false;
    updateFileCommands();
    // The dialog goes back to what the rack is doing; then the held timers restart.
    core_.engine().EndExitHold([this, now = core_.engine().Activity()] {
        switch (now) {
        case RackActivity::Closing:
            // The USB system changed (or discovery gave up): the program still has to end.
            dialog_.ShowCloseCountdown();
            return;
        case RackActivity::LoadQuestion:
            dialog_.ShowQuery();
            return;
        case RackActivity::Pass:
        case RackActivity::Discovery:
            dialog_.ShowProgress(); // the progress goes on where it was
            return;
        case RackActivity::Monitoring:
        case RackActivity::Settling: // the meter panel says that the devices settle
            dialog_.HideDialog();
            return;
        }
    });
}

void Station::Rescan() {
    if (!started_ || stopping_ || exitPending_) {
        return;
    }
    dialog_.StopCountdown();
    const RescanStart rescan = core_.engine().Rescan();
    if (!rescan.started) {
        const QString refusal = RefusalText(rescan.connect);
        if (refusal.isEmpty()) {
            return; // the station stops
        }
        // Told in front of everything, then the countdown the operator can still rescan from.
        dialog_.HideDialog();
        MessageBoxSpec box;
        box.text = refusal;
        box.title = QStringLiteral("USB hardware detection");
        box.icon = MsgIcon::Critical;
        box.buttons = MsgButtons::OK;
        box.defaultButton = 1;
        box.foreground = true;
        ports_.prompter.ShowMessage(box);
        if (!stopping_) {
            dialog_.ShowCloseCountdown();
        }
        updateFileCommands();
        return;
    }
    // The rack found may be of another size: the dialog counts it, the panel takes its size.
    FillReceiverCount();
    dialog_.SetActivity(QStringLiteral("Checking Rx:"));
    dialog_.ShowProgress();
    if (const RackWindowSize size = SizeForDevices(core_.devices().DeviceCount);
        size.panel != windowSize_.panel) {
        windowSize_ = size;
        view_->ResizePanel(size);
    }
    updateFileCommands();
    updateMeterNotice();
}

void Station::QueryAnswered(bool loadLastFile) {
    RackFile& file = core_.rackFile();
    if (!loadLastFile) {
        file.CurrentFromRack();
        return;
    }
    if (const FileResult saved = file.SaveRackSnapshot(); !saved) {
        tell(QStringLiteral("The receivers' settings could not be saved to Rack_Data.frq.\r\n"
                            "%1\r\nThe file is loaded all the same.\r\n")
                 .arg(saved.why()),
             MsgIcon::Exclamation);
    }
    file.AcceptLoadedFile();
}

void Station::CloseNowPressed() {
    window_.SetExitConfirmed(true);
    CloseApplication();
}

void Station::CloseApplication() {
    if (stopping_) {
        return;
    }
    if (core_.engine().InTimerHandler()) {
        // Releasing the timers and the graphics under a running timer handler would pull them
        // from under it: nothing more runs, and the stop follows as soon as it returns.
        exitPending_ = false;
        core_.engine().EnterClosing();
        dialog_.StopCountdown();
        core_.engine().HaltTimers();
        core_.engine().WhenHandlerReturns([this] { stop(); });
        return;
    }
    stop();
}

void Station::stop() {
    if (stopping_) {
        return;
    }
    stopping_ = true;
    exitPending_ = false;
    core_.engine().EnterClosing();
    updateFileCommands();
    dialog_.StopCountdown();

    // 1. Slow link settings, every device emptied.
    core_.link().SetSlowLink();
    // 2. Every timer stopped.
    core_.engine().StopTimers();
    // 3. Graphics released (a snapshot shows the alerts as the operator last saw them); then
    // the alerts still up end, and the event log records the stop.
    view_->CloseGraphics();
    crew_.Stop();
    core_.alarms().Stop();
    core_.monitor().Stop();
    // 4. The load-at-start choice saved, and the window as the operator leaves it.
    core_.rackFile().SaveLoadAtStart();
    if (const std::optional<WindowPlacement> left = view_->WindowLeft()) {
        SavePanelWindow(ports_.settings, {core_.devices().DeviceCount, *left});
    }
    // 5. Timers released.
    ports_.pump.LetPendingMessagesRun();
    core_.engine().ReleaseTimers(); // at the end of a timer's handler they go with the station
    ports_.pump.LetPendingMessagesRun();
    // 6. Every device closed.
    for (int index = 0; index <= std::min(core_.devices().LastDeviceIndex, kMaxDevices - 1);
         ++index) {
        core_.link().CloseDevice(index);
    }
    // 7. The windows unloaded, the program ends.
    ports_.pump.LetPendingMessagesRun();
    ports_.pump.LetPendingMessagesRun();
    core_.panel().Unload(window_.ExitConfirmed());
    core_.editor().Unload(false); // closed; no timer starts again
    dialog_.HideDialog();
    instance_.reset(); // the next station may start
    stopped_ = true;
    exitCode_ = kExitOk;
    ports_.trace.Exit(exitCode_);
    view_->Stopped(exitCode_);
}

} // namespace k7
