// The crew view over the rack core on the manual clock (RackHarness), serving on a port of
// loopback the system chooses, with a viewer that records what it is sent (its queue as deep
// as a test says) and the JSON of those messages.
#pragma once

#include "crew/CrewView.h"
#include "support/RackHarness.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace k7::test {

// Lets the sockets on both sides work until done() holds or 3 s have passed; whether it holds.
inline bool Spin(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 3000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return done();
}

// The request that opens a WebSocket on `target`, with this Host and (when given) Origin.
inline QByteArray UpgradeRequest(const QByteArray& target, const QByteArray& host,
                                 const QByteArray& origin = {}) {
    QByteArray request =
        "GET " + target + " HTTP/1.1\r\nHost: " + host +
        "\r\nConnection: Upgrade\r\nUpgrade: websocket\r\n"
        "Sec-WebSocket-Version: 13\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n";
    if (!origin.isEmpty()) {
        request += "Origin: " + origin + "\r\n";
    }
    return request + "\r\n";
}

class RecordingViewer final : public ViewerConnection {
public:
    qint64 Queued() const override { return queued; }
    void Send(const QByteArray& json) override {
        sent.push_back(json);
        if (!draining) {
            queued += json.size() + 4;
        }
    }
    void Close(int /*code*/, const QString& /*reason*/) override {}
    QHostAddress peer() const override { return QHostAddress(QHostAddress::LocalHost); }

    QJsonObject Message(std::size_t i) const { return QJsonDocument::fromJson(sent[i]).object(); }
    QJsonObject Last() const { return Message(sent.size() - 1); }
    // The messages of a type ("snapshot", "changes", "alive").
    std::vector<QJsonObject> OfType(const QString& type) const {
        std::vector<QJsonObject> found;
        for (std::size_t i = 0; i < sent.size(); ++i) {
            if (Message(i).value(QStringLiteral("type")).toString() == type) {
                found.push_back(Message(i));
            }
        }
        return found;
    }

    std::vector<QByteArray> sent;
    qint64 queued = 0;
    bool draining = true; // what is sent leaves at once; false: it stays queued
};

// A slot's object in a message's "slots"; empty when the message has none for it.
inline QJsonObject SlotIn(const QJsonObject& message, int slot) {
    for (const QJsonValue& value : message.value(QStringLiteral("slots")).toArray()) {
        if (value.toObject().value(QStringLiteral("slot")).toInt() == slot) {
            return value.toObject();
        }
    }
    return {};
}

struct CrewRig {
    explicit CrewRig(const sim::Scenario& scenario = {})
        : h(std::make_unique<RackHarness>(scenario)),
          view(CrewView::Wiring{h->rack, h->devices, h->core.monitor(), h->settings, h->clock,
                                h->clock}) {
        h->engine.AddObserver(view);
        EXPECT_TRUE(view.ServeForRun({QHostAddress(QHostAddress::LocalHost), 0}));
    }

    // A request as a browser on this computer makes it.
    CrewRequest Request(const QString& path, bool webSocket) const {
        CrewRequest request;
        request.method = "GET";
        request.path = path;
        request.key = view.settings().key.toLatin1();
        request.host = "127.0.0.1:" + QByteArray::number(view.state().endpoint.port);
        request.webSocket = webSocket;
        return request;
    }
    // Opens a viewer as the server would once its WebSocket is upgraded; its close code, or 0.
    int Open(RecordingViewer& viewer) {
        return static_cast<CrewServerHost&>(view).ViewerOpened(
            viewer, Request(QStringLiteral("/ws"), true));
    }

    std::unique_ptr<RackHarness> h;
    CrewView view;
};

} // namespace k7::test
