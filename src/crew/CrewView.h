// The crew view: the rack's meters and alerts served read-only to browsers on the venue
// network. It watches the rack through its observer port and the alerts through theirs, like
// the monitor, and adds no traffic on the wire; it serves a page, GET /api/rack and a WebSocket
// stream (CrewStream), and nothing a viewer sends reaches a receiver, a file or a setting. Off
// by default; the operator's choice (address, port, key) is kept in the settings section
// "CrewView". Viewers coming and going are written to the event log with their address.
#pragma once

#include "CrewModel.h"
#include "CrewPage.h"
#include "CrewServerPort.h"
#include "CrewSettings.h"
#include "CrewStream.h"
#include "monitor/AlertList.h"
#include "rack/RackEvents.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace k7 {

class Clock;
class CrewHttpServer;
class Monitor;
class SettingsStore;
class Timer;
class TimerFactory;

// What the crew view's dialog shows.
struct CrewViewState {
    bool serving = false;
    CrewEndpoint endpoint; // where it listens (or was asked to)
    QString url;           // the page's address with its key; empty when not serving
    int viewers = 0;
    QString error; // why it does not serve what was asked; empty when it does
    bool operator==(const CrewViewState& other) const {
        return serving == other.serving && endpoint.address == other.endpoint.address &&
               endpoint.port == other.endpoint.port && url == other.url &&
               viewers == other.viewers && error == other.error;
    }
};

class CrewView final : public RackEvents, private AlertEvents, public CrewServerHost {
public:
    static constexpr int kFlushMs = 20;

    struct Wiring {
        const RackTables& rack;
        const DeviceTables& devices;
        Monitor& monitor;
        SettingsStore& settings;
        TimerFactory& timerFactory;
        const Clock& clock;
    };

    explicit CrewView(const Wiring& wiring);
    ~CrewView() override;
    CrewView(const CrewView&) = delete;
    CrewView& operator=(const CrewView&) = delete;

    // As the settings say (the station's start): serves when the operator left it on.
    void StartFromSettings();
    // The operator's choice, kept in the settings: on or off, address, port. A change of
    // address or port while serving starts again there. False when it cannot serve (the state's
    // error says why).
    bool Apply(const CrewSettings& choice);
    // For this run only (the command line): serves on the endpoint with the kept key.
    bool ServeForRun(const CrewEndpoint& endpoint);
    void Stop();
    // A new key, kept at once: every viewer is closed (1008) and old links stop working.
    void NewKey();

    const CrewSettings& settings() const { return settings_; }
    const CrewViewState& state() const { return state_; }
    const CrewStream& stream() const { return stream_; }
    const CrewModel& model() const { return model_; }
    void AddObserver(std::function<void()> observer) { observers_.push_back(std::move(observer)); }

    // The addresses the view may listen on: this computer only (127.0.0.1) first, then the
    // machine's own IPv4 network addresses.
    static QList<QHostAddress> AddressChoices();

    // RackEvents
    void MeterAnswered(int slot, int position) override;
    void SettingsAnswered(int slot) override;
    void ReceiverBlanked(int slot) override;
    void ReceiverAnsweringAgain(int slot) override;
    void ActivityChanged(RackActivity activity) override;
    void RescanEnded(int before, int after) override;

private:
    struct Watcher {
        ViewerConnection* connection = nullptr;
        int id = 0;
        std::int64_t sinceMicros = 0;
    };

    // AlertEvents
    void AlertStarted(const Alert& alert) override;
    void AlertEnded(const Alert& alert) override;
    void AlertsAcknowledged() override;
    void AlertsTrimmed() override;
    // CrewServerHost
    CrewAnswer AnswerRequest(const CrewRequest& request) override;
    int ViewerOpened(ViewerConnection& viewer, const CrewRequest& request) override;
    void ViewerSentData(ViewerConnection& viewer) override;
    void ViewerClosed(ViewerConnection& viewer) override;

    bool serve(const CrewEndpoint& endpoint);
    void closeAll(int code, const QString& reason);
    void everySlotChanged();
    void log(const QString& event, const QString& detail);
    void update();

    Monitor& monitor_;
    SettingsStore& store_;
    const Clock& clock_;
    CrewSettings settings_;
    CrewModel model_;
    CrewStream stream_;
    CrewPage page_;
    std::unique_ptr<CrewHttpServer> server_;
    std::unique_ptr<Timer> flushTimer_;
    std::vector<Watcher> watchers_;
    CrewViewState state_;
    std::vector<std::function<void()>> observers_;
};

} // namespace k7
