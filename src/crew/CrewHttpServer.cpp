#include "CrewHttpServer.h"

#include "platform/Clock.h"
#include "platform/Timer.h"

#include <QAbstractHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QMetaEnum>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>
#include <QWebSocket>

#include <algorithm>
#include <vector>

namespace k7 {
namespace {

constexpr int kSweepMs = 1000;

QByteArray MethodText(QHttpServerRequest::Method method) {
    const char* key =
        QMetaEnum::fromType<QHttpServerRequest::Method>().valueToKey(static_cast<int>(method));
    return key ? QByteArray(key).toUpper() : QByteArray("UNKNOWN");
}

// What the view judges of a request: its method, path, key and the two headers.
CrewRequest PlainRequest(const QByteArray& method, const QUrl& url, const QByteArray& host,
                         const QByteArray& origin, bool webSocket, const QHostAddress& peer) {
    CrewRequest plain;
    plain.method = method;
    plain.path = url.path();
    plain.key = QUrlQuery(url).queryItemValue(QStringLiteral("key"), QUrl::FullyDecoded).toLatin1();
    plain.host = host;
    plain.origin = origin;
    plain.webSocket = webSocket;
    plain.peer = peer;
    return plain;
}

} // namespace

// The accepted connections, each with what it has sent of its request so far. A socket's
// bytes are counted before the HTTP server parses them (this counter is connected first, and
// the server reads all that is there on each signal), so that an oversized request is refused
// before it is ever handled.
class CrewHttpServer::Listener final : public QTcpServer {
public:
    Listener(CrewHttpServer& owner, QObject* parent) : QTcpServer(parent), owner_(owner) {}

    // A whole request arrived within its bound: the next one counts from nothing.
    void RequestDone(QTcpSocket* socket) {
        if (State* state = find(socket)) {
            state->bytes = 0;
            state->requestMicros = -1;
        }
    }

    // Closes what has sent part of a request and nothing more for too long.
    void Sweep(std::int64_t nowMicros) {
        prune();
        std::vector<QPointer<QTcpSocket>> stale;
        for (const State& state : open_) {
            if (!state.upgraded && state.requestMicros >= 0 &&
                nowMicros - state.requestMicros > std::int64_t{kIdleMs} * 1000) {
                stale.push_back(state.socket);
            }
        }
        for (const QPointer<QTcpSocket>& socket : stale) {
            if (socket) {
                socket->abort();
            }
        }
    }

    // The peer's socket has been upgraded to a WebSocket: its bytes are the WebSocket's to judge.
    void Upgraded(const QHostAddress& peer, quint16 port) {
        prune();
        for (State& state : open_) {
            if (state.socket->peerPort() == port && state.socket->peerAddress() == peer) {
                state.upgraded = true;
            }
        }
    }

protected:
    void incomingConnection(qintptr descriptor) override {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        prune();
        if (static_cast<int>(open_.size()) >= kMostConnections) {
            socket->abort();
            socket->deleteLater();
            return;
        }
        open_.push_back(State{socket});
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { counted(socket); });
        addPendingConnection(socket);
    }

private:
    struct State {
        // Held weakly: the WebSocket that takes a socket over drops every connection of it.
        QPointer<QTcpSocket> socket;
        qint64 bytes = 0;
        std::int64_t requestMicros = -1; // when the request's first bytes came
        bool upgraded = false;
    };

    void prune() {
        open_.erase(std::remove_if(open_.begin(), open_.end(),
                                   [](const State& state) { return state.socket.isNull(); }),
                    open_.end());
    }
    State* find(QTcpSocket* socket) {
        for (State& state : open_) {
            if (state.socket == socket) {
                return &state;
            }
        }
        return nullptr;
    }

    void counted(QTcpSocket* socket) {
        State* state = find(socket);
        if (!state || state->upgraded) {
            return;
        }
        if (state->requestMicros < 0) {
            state->requestMicros = owner_.clock_.nowMicros();
        }
        state->bytes += socket->bytesAvailable();
        if (state->bytes <= kMostRequestBytes) {
            return;
        }
        // The server never sees it: its reader goes with ours, and the socket closes once the
        // refusal is out.
        disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
        QByteArray refusal = "HTTP/1.1 413 Payload Too Large\r\n";
        for (const auto& [name, value] : kCrewSafetyHeaders) {
            refusal += QByteArray(name) + ": " + value + "\r\n";
        }
        refusal += "Connection: close\r\nContent-Length: 0\r\n\r\n";
        socket->write(refusal);
        socket->disconnectFromHost();
    }

    CrewHttpServer& owner_;
    std::vector<State> open_;
};

class CrewHttpServer::HttpServer final : public QAbstractHttpServer {
public:
    explicit HttpServer(CrewHttpServer& owner) : owner_(owner) {
        QObject::connect(this, &QAbstractHttpServer::newWebSocketConnection, this, [this] {
            while (hasPendingWebSocketConnections()) {
                owner_.viewerArrived(nextPendingWebSocketConnection());
            }
        });
    }

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
        // Qt HttpServer 6.4 asks first, and upgrades a WebSocket request that was taken here
        // with nothing written; the WebSocket is judged once upgraded, before anything is sent.
        if (request.value("upgrade").compare("websocket", Qt::CaseInsensitive) == 0) {
            return true;
        }
        if (owner_.listener_) {
            owner_.listener_->RequestDone(socket);
        }
        const CrewAnswer answer = owner_.host_.AnswerRequest(
            PlainRequest(MethodText(request.method()), request.url(), request.value("host"),
                         request.value("origin"), false, request.remoteAddress()));
        QHttpServerResponder responder = makeResponder(request, socket);
        responder.writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(answer.status));
        for (const auto& [name, value] : kCrewSafetyHeaders) {
            responder.writeHeader(name, value);
        }
        if (answer.status == 405) {
            responder.writeHeader("Allow", "GET");
        }
        if (!answer.contentType.isEmpty()) {
            responder.writeHeader("Content-Type", answer.contentType);
        }
        responder.writeHeader("Content-Length", QByteArray::number(answer.body.size()));
        responder.writeBody(answer.body);
        return true;
    }

    void missingHandler(const QHttpServerRequest& /*request*/, QTcpSocket* socket) override {
        socket->abort();
    }

private:
    CrewHttpServer& owner_;
};

class CrewHttpServer::Viewer final : public ViewerConnection {
public:
    Viewer(CrewHttpServer& owner, std::unique_ptr<QWebSocket> socket)
        : owner_(owner), socket_(socket.release()) {
        socket_->setMaxAllowedIncomingFrameSize(kMostRequestBytes);
        socket_->setMaxAllowedIncomingMessageSize(kMostRequestBytes);
        peer_ = socket_->peerAddress();
    }
    ~Viewer() override {
        if (socket_) {
            socket_->disconnect();
            socket_->abort();
            socket_->deleteLater();
        }
    }

    // Connected only once the view has taken it: nothing is heard from a refused one.
    void Listen() {
        QObject::connect(socket_, &QWebSocket::textFrameReceived, socket_,
                         [this] { owner_.host_.ViewerSentData(*this); });
        QObject::connect(socket_, &QWebSocket::binaryFrameReceived, socket_,
                         [this] { owner_.host_.ViewerSentData(*this); });
        QObject::connect(socket_, &QWebSocket::bytesWritten, socket_,
                         [this] { owner_.host_.ViewerDrained(*this); });
    }
    void WatchEnd() {
        QObject::connect(socket_, &QWebSocket::disconnected, socket_,
                         [this] { owner_.viewerGone(this); });
    }

    QWebSocket* socket() const { return socket_; }
    qint64 Queued() const override { return socket_ ? socket_->bytesToWrite() : 0; }
    void Send(const QByteArray& json) override {
        if (socket_) {
            socket_->sendTextMessage(QString::fromUtf8(json));
        }
    }
    void Close(int code, const QString& reason) override {
        if (socket_) {
            socket_->close(static_cast<QWebSocketProtocol::CloseCode>(code), reason);
        }
    }
    QHostAddress peer() const override { return peer_; }

private:
    CrewHttpServer& owner_;
    QPointer<QWebSocket> socket_;
    QHostAddress peer_;
};

CrewHttpServer::CrewHttpServer(CrewServerHost& host, TimerFactory& timers, const Clock& clock)
    : host_(host), clock_(clock), sweepTimer_(timers.createTimer()) {
    sweepTimer_->setInterval(kSweepMs);
    sweepTimer_->setHandler([this] { sweep(); });
}

CrewHttpServer::~CrewHttpServer() {
    Close();
}

bool CrewHttpServer::listening() const {
    return listener_ && listener_->isListening();
}

bool CrewHttpServer::Listen(const CrewEndpoint& endpoint, QString* error) {
    Close();
    auto server = std::make_unique<HttpServer>(*this);
    auto* listener = new Listener(*this, server.get());
    if (!listener->listen(endpoint.address, endpoint.port)) {
        if (error) {
            *error = listener->errorString();
        }
        return false;
    }
    server->bind(listener);
    server_ = std::move(server);
    listener_ = listener;
    endpoint_ = {endpoint.address, listener->serverPort()};
    sweepTimer_->setEnabled(true);
    return true;
}

void CrewHttpServer::Close() {
    sweepTimer_->setEnabled(false);
    // Told first, while each is still whole; then every connection ends at once.
    auto viewers = std::move(viewers_);
    for (auto& viewer : viewers) {
        if (QWebSocket* socket = viewer->socket()) {
            socket->disconnect();
            socket->close(QWebSocketProtocol::CloseCodeGoingAway,
                          QStringLiteral("the station stopped serving the crew view"));
            socket->flush();
        }
        host_.ViewerClosed(*viewer);
    }
    viewers.clear();
    listener_ = nullptr;
    server_.reset();
}

void CrewHttpServer::viewerArrived(std::unique_ptr<QWebSocket> socket) {
    if (!socket) {
        return;
    }
    if (listener_) {
        listener_->Upgraded(socket->peerAddress(), socket->peerPort());
    }
    const QNetworkRequest request = socket->request();
    const CrewRequest plain = PlainRequest("GET", socket->requestUrl(), request.rawHeader("Host"),
                                           socket->origin().toUtf8(), true, socket->peerAddress());
    auto viewer = std::make_unique<Viewer>(*this, std::move(socket));
    Viewer* raw = viewer.get();
    viewers_.push_back(std::move(viewer));
    raw->WatchEnd();
    const int refusal = host_.ViewerOpened(*raw, plain);
    if (refusal != 0) {
        raw->Close(refusal, refusal == 1013 ? QStringLiteral("the crew view is full")
                                            : QStringLiteral("refused"));
        return;
    }
    raw->Listen();
}

void CrewHttpServer::viewerGone(Viewer* viewer) {
    for (auto it = viewers_.begin(); it != viewers_.end(); ++it) {
        if (it->get() == viewer) {
            host_.ViewerClosed(*viewer);
            viewers_.erase(it);
            return;
        }
    }
}

void CrewHttpServer::sweep() {
    if (listener_) {
        listener_->Sweep(clock_.nowMicros());
    }
}

} // namespace k7
