// The rack engine over scripted receivers on the manual clock: device tables set by hand as
// identification leaves them, receivers that answer identify and meter queries from their own
// settings while a test lets them, and the recording doubles of the ports.
#pragma once

#include "link/Identification.h"
#include "link/LinkModule.h"
#include "platform/TimerBank.h"
#include "rack/FileState.h"
#include "rack/RackEngine.h"
#include "support/ManualClock.h"
#include "support/RackDoubles.h"
#include "support/ScriptedDriver.h"
#include "support/ScriptedPrompter.h"

#include <vector>

namespace k7::test {

struct ScriptedReceiver {
    bool answersIdentify = true;
    bool answersMeter = true;
    QByteArray name = "RX    ";
    std::uint8_t band = 66;
    std::uint8_t mute = 5;
    std::uint8_t f1 = 61, f2 = 35, f3 = 75;
};

class EngineRig {
public:
    explicit EngineRig(int count) : driver(count), receivers(static_cast<std::size_t>(count)) {
        devices.DeviceCount = count;
        devices.LastDeviceIndex = count - 1;
        devices.PollCount = count;
        devices.RackLayout = count <= 8 ? 1 : count <= 16 ? 2 : count <= 24 ? 3 : 0;
        devices.PollInterval = PollIntervalFor(devices.RackLayout, count);
        for (int d = 0; d < count; ++d) {
            const auto i = static_cast<std::size_t>(d);
            devices.SlotDevice[i + 1] = d;
            devices.DeviceGroup[i] = d / 8;
            devices.DeviceGroupPos[i] = static_cast<std::uint8_t>(d % 8 + 1);
            link.DeviceHandles[i] = static_cast<FT_HANDLE>(d) + 1;
        }
        driver.respond = [this](int device, const QByteArray& frame) {
            return answer(receivers.at(static_cast<std::size_t>(device)), frame);
        };
        engine.InitialiseRackTables();
        engine.CreateTimers();
        engine.StartDiscovery();
    }

    // Time since the start in ms (discovery started at 0).
    double now() const { return clock.nowMs(); }
    bool runUntil(const std::function<bool()>& done, double limitMs) {
        return clock.runUntil(done, limitMs);
    }
    // Metering, with no pass or question pending.
    bool monitoring() const {
        return engine.Activity() == RackActivity::Monitoring && timers.enabled(PollTimer);
    }
    int framesOf(int device, char letter) const {
        return static_cast<int>(driver.framesOf(device, letter).size());
    }

    ManualClock clock;
    ScriptedDriver driver;
    std::vector<ScriptedReceiver> receivers;
    DeviceTables devices;
    LinkModule link{driver, devices, clock};
    RackTables rack;
    FileState files;
    TimerBank timers{clock};
    ScriptedPrompter prompter;
    RecordingMeterDisplay display;
    RecordingStartupDialog dialog;
    RecordingShell shell;
    RecordingPanel panel;
    FakeRackFiles rackFiles{rack, files, devices.DeviceCount, timers};
    ListGuard guard;
    RackEngine engine{devices,  link,
                      rack,     files,
                      timers,   clock,
                      prompter, RackEnginePorts{display, dialog, shell, rackFiles, guard, &panel}};

private:
    static QByteArray answer(const ScriptedReceiver& rx, const QByteArray& frame) {
        if (frame.size() != 3 || frame.at(0) != 'R') {
            return {};
        }
        if (frame.at(2) == '?' && rx.answersIdentify) {
            QByteArray a(19, '\0');
            a[0] = 'R';
            a[2] = '!';
            a[7] = static_cast<char>(rx.band);
            a[8] = static_cast<char>(rx.mute);
            a[9] = static_cast<char>(rx.f1);
            a[10] = static_cast<char>(rx.f2);
            a[11] = static_cast<char>(rx.f3);
            a.replace(12, 6, rx.name.leftJustified(6, ' ', true));
            return a;
        }
        if (frame.at(2) == 'D' && rx.answersMeter) {
            QByteArray a(14, '\0');
            a[0] = 'R';
            a[2] = 'D';
            a[3] = 100;
            a[4] = 90;
            a[6] = 50;
            a[7] = 120;
            return a;
        }
        return {};
    }
};

} // namespace k7::test
