#include "CrewView.h"

#include "CrewHttpServer.h"
#include "CrewKey.h"
#include "monitor/AlertWatch.h"
#include "monitor/Monitor.h"
#include "platform/Clock.h"
#include "platform/Timer.h"

#include <QNetworkInterface>

namespace k7 {
namespace {

const QByteArray kText = "text/plain; charset=utf-8";

QString Where(const CrewEndpoint& endpoint) {
    return EndpointOrigin(endpoint).mid(7);
}

QByteArray RefusalText(CrewRefusal refusal) {
    switch (refusal) {
    case CrewRefusal::Method:
        return "The crew view only shows: it takes GET requests only.\n";
    case CrewRefusal::Host:
    case CrewRefusal::Origin:
        return "The crew view answers only requests for its own address.\n";
    case CrewRefusal::Key:
        return "The crew view needs its access key: scan the code in the station's "
               "View > Crew view... dialog.\n";
    case CrewRefusal::NotFound:
        return "Not found.\n";
    case CrewRefusal::Full:
        return "The crew view has as many viewers as it serves; try again later.\n";
    case CrewRefusal::None:
        break;
    }
    return {};
}

} // namespace

CrewView::CrewView(const Wiring& wiring)
    : monitor_(wiring.monitor), store_(wiring.settings), clock_(wiring.clock),
      settings_(ReadCrewSettings(wiring.settings)),
      model_(CrewModel::Sources{wiring.rack, wiring.devices, wiring.monitor.alerts(), wiring.clock,
                                [&monitor = wiring.monitor] { return monitor.WallOrigin(); },
                                wiring.monitor.labels()}),
      stream_(model_), server_(std::make_unique<CrewHttpServer>(static_cast<CrewServerHost&>(*this),
                                                                wiring.timerFactory, wiring.clock)),
      flushTimer_(wiring.timerFactory.createTimer()) {
    flushTimer_->setInterval(kFlushMs);
    flushTimer_->setHandler([this] { stream_.Flush(clock_.nowMicros()); });
    monitor_.alerts().AddObserver(*this);
    state_.endpoint = {settings_.address, settings_.port};
}

CrewView::~CrewView() {
    monitor_.alerts().RemoveObserver(*this);
    server_.reset();
}

QList<QHostAddress> CrewView::AddressChoices() {
    QList<QHostAddress> choices{QHostAddress(QHostAddress::LocalHost)};
    for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback() &&
            !choices.contains(address)) {
            choices.append(address);
        }
    }
    return choices;
}

void CrewView::StartFromSettings() {
    if (settings_.enabled) {
        serve({settings_.address, settings_.port});
    }
}

bool CrewView::Apply(const CrewSettings& choice) {
    const bool moved = choice.address != settings_.address || choice.port != settings_.port;
    settings_.enabled = choice.enabled;
    settings_.address = choice.address;
    settings_.port = choice.port;
    SaveCrewSettings(store_, settings_);
    if (!settings_.enabled) {
        Stop();
        return true;
    }
    if (state_.serving && !moved) {
        return true;
    }
    return serve({settings_.address, settings_.port});
}

bool CrewView::ServeForRun(const CrewEndpoint& endpoint) {
    return serve(endpoint);
}

bool CrewView::serve(const CrewEndpoint& endpoint) {
    const bool wasServing = state_.serving;
    closeAll(1001, QStringLiteral("the crew view moves to another address"));
    server_->Close();
    state_.serving = false;
    state_.url.clear();
    state_.endpoint = endpoint;
    QString error;
    if (!server_->Listen(endpoint, &error)) {
        state_.error = QStringLiteral("The crew view cannot listen on %1: %2. Choose another "
                                      "port, or end the program that uses it.")
                           .arg(Where(endpoint), error);
        if (wasServing) {
            log(QStringLiteral("crew-view"), QStringLiteral("off"));
        }
        update();
        return false;
    }
    state_.error.clear();
    state_.serving = true;
    state_.endpoint = server_->endpoint();
    state_.url = EndpointOrigin(state_.endpoint) + QStringLiteral("/?key=") + settings_.key;
    log(QStringLiteral("crew-view"), QStringLiteral("on at %1").arg(Where(state_.endpoint)));
    update();
    return true;
}

void CrewView::Stop() {
    const bool wasServing = state_.serving;
    closeAll(1001, QStringLiteral("the station stopped serving the crew view"));
    server_->Close();
    state_.serving = false;
    state_.url.clear();
    state_.error.clear();
    if (wasServing) {
        log(QStringLiteral("crew-view"), QStringLiteral("off"));
    }
    update();
}

void CrewView::NewKey() {
    settings_.key = NewCrewKey();
    SaveCrewSettings(store_, settings_);
    closeAll(1008, QStringLiteral("the access key has changed"));
    if (state_.serving) {
        state_.url = EndpointOrigin(state_.endpoint) + QStringLiteral("/?key=") + settings_.key;
    }
    log(QStringLiteral("crew-view"), QStringLiteral("new key; every viewer closed"));
    update();
}

void CrewView::closeAll(int code, const QString& reason) {
    // Each close ends in ViewerClosed, which takes the watcher out.
    const auto watchers = watchers_;
    for (const Watcher& watcher : watchers) {
        watcher.connection->Close(code, reason);
    }
}

void CrewView::MeterAnswered(int slot, int /*position*/) {
    model_.MeterAnswered(slot);
    stream_.MeterAnswered(slot, model_.Audio(slot));
}

void CrewView::SettingsAnswered(int slot) {
    stream_.SlotChanged(slot);
}

void CrewView::ReceiverBlanked(int slot) {
    model_.SetAnswering(slot, false);
    stream_.SlotChanged(slot);
}

void CrewView::ReceiverAnsweringAgain(int slot) {
    model_.SetAnswering(slot, true);
    stream_.SlotChanged(slot);
}

void CrewView::ActivityChanged(RackActivity activity) {
    model_.SetActivity(activity);
    stream_.ActivityChanged();
    // A pass or the end may have changed any receiver's settings.
    everySlotChanged();
}

// A rescan may have changed the rack's size and who sits where: every viewer starts again from
// a snapshot, as the page does when it connects.
void CrewView::RescanEnded(int /*before*/, int /*after*/) {
    stream_.RackChanged();
}

void CrewView::AlertStarted(const Alert& alert) {
    stream_.AlertsChanged();
    stream_.SlotChanged(alert.slot);
}

void CrewView::AlertEnded(const Alert& alert) {
    stream_.AlertsChanged();
    stream_.SlotChanged(alert.slot);
}

void CrewView::AlertsAcknowledged() {
    stream_.AlertsChanged();
    everySlotChanged();
}

void CrewView::AlertsTrimmed() {
    stream_.AlertsChanged();
    everySlotChanged();
}

void CrewView::everySlotChanged() {
    for (int slot = 1; slot <= kMaxSlots; ++slot) {
        stream_.SlotChanged(slot);
    }
}

CrewAnswer CrewView::AnswerRequest(const CrewRequest& request) {
    const CrewRefusal refusal = JudgeRequest(request, state_.endpoint, settings_.key.toLatin1(),
                                             stream_.full() && request.path == u"/");
    if (refusal != CrewRefusal::None) {
        return {HttpStatusOf(refusal), kText, RefusalText(refusal)};
    }
    if (request.path == u"/api/rack") {
        return {200, "application/json", model_.Snapshot()};
    }
    if (request.path == u"/crew.css") {
        return {200, "text/css; charset=utf-8", page_.Style()};
    }
    if (request.path == u"/crew.js") {
        return {200, "text/javascript; charset=utf-8", page_.Script()};
    }
    return {200, "text/html; charset=utf-8", page_.Html(settings_.key.toLatin1())};
}

int CrewView::ViewerOpened(ViewerConnection& viewer, const CrewRequest& request) {
    const CrewRefusal refusal =
        JudgeRequest(request, state_.endpoint, settings_.key.toLatin1(), stream_.full());
    if (refusal != CrewRefusal::None || !state_.serving) {
        return CloseCodeOf(refusal);
    }
    const std::int64_t now = clock_.nowMicros();
    const int id = stream_.Add(viewer, now);
    watchers_.push_back({&viewer, id, now});
    flushTimer_->setEnabled(true);
    log(QStringLiteral("crew-viewer start"), viewer.peer().toString());
    update();
    return 0;
}

void CrewView::ViewerSentData(ViewerConnection& viewer) {
    viewer.Close(1008, QStringLiteral("the crew view takes no messages"));
}

void CrewView::ViewerClosed(ViewerConnection& viewer) {
    for (auto it = watchers_.begin(); it != watchers_.end(); ++it) {
        if (it->connection == &viewer) {
            stream_.Remove(it->id);
            log(QStringLiteral("crew-viewer end"),
                QStringLiteral("%1 after %2")
                    .arg(viewer.peer().toString(),
                         DurationText(clock_.nowMicros() - it->sinceMicros)));
            watchers_.erase(it);
            flushTimer_->setEnabled(!watchers_.empty());
            update();
            return;
        }
    }
}

void CrewView::log(const QString& event, const QString& detail) {
    monitor_.log().Write(0, {}, event, detail);
}

void CrewView::update() {
    CrewViewState next = state_;
    next.viewers = stream_.viewers();
    state_ = next;
    for (const auto& observer : observers_) {
        observer();
    }
}

} // namespace k7
