// The crew view's server on loopback, through real sockets: the page, its style and script and
// GET /api/rack with the four safety headers; every refusal with its status or close code and
// no rack data in it (no key, a wrong key, a POST, an oversized request, a text frame, a 33rd
// viewer, a foreign Host or Origin); a new key closes every viewer; viewers reach the event log.
#include "CrewRig.h"

#include <QFile>
#include <QNetworkRequest>
#include <QTcpSocket>
#include <QWebSocket>

namespace k7::test {
namespace {

struct Reply {
    int status = 0;
    QByteArray head;
    QByteArray body;
    bool closed = false;
};

// One raw HTTP exchange: what came back, and whether the server closed the connection.
Reply Exchange(quint16 port, const QByteArray& request) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
    Spin([&] { return socket.state() == QAbstractSocket::ConnectedState; });
    socket.write(request);
    QByteArray got;
    Reply reply;
    Spin([&] {
        got += socket.readAll();
        reply.closed = socket.state() == QAbstractSocket::UnconnectedState;
        const qsizetype end = got.indexOf("\r\n\r\n");
        if (end < 0) {
            return reply.closed;
        }
        const QByteArray head = got.left(end);
        const qsizetype at = head.toLower().indexOf("content-length: ");
        const qsizetype length = at < 0 ? 0 : head.mid(at + 16).split('\r').first().toLongLong();
        return got.size() >= end + 4 + length;
    });
    const qsizetype end = got.indexOf("\r\n\r\n");
    reply.head = got.left(end);
    reply.body = got.mid(end + 4);
    reply.status = got.mid(9, 3).toInt();
    return reply;
}

// A WebSocket opened by hand, with whatever Host and Origin a test gives: the server's answer
// to the upgrade, and the frames that follow it, read as they are on the wire.
struct RawWebSocket {
    RawWebSocket(quint16 port, const QByteArray& target, const QByteArray& host,
                 const QByteArray& origin) {
        socket.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
        Spin([&] { return socket.state() == QAbstractSocket::ConnectedState; });
        socket.write(UpgradeRequest(target, host, origin));
    }
    // Reads until a close frame came (its code), or 3 s passed (0).
    int CloseCode() {
        Spin([&] {
            got += socket.readAll();
            frames();
            return closeCode != 0 || socket.state() == QAbstractSocket::UnconnectedState;
        });
        return closeCode;
    }
    void frames() {
        const qsizetype end = got.indexOf("\r\n\r\n");
        if (end < 0) {
            return;
        }
        QByteArray rest = got.mid(end + 4);
        while (rest.size() >= 2) {
            const int opcode = rest[0] & 0x0f;
            const int length = rest[1] & 0x7f; // the refusals and small frames only
            if (length > 125 || rest.size() < 2 + length) {
                ++dataFrames;
                return;
            }
            if (opcode == 0x8 && length >= 2) {
                closeCode = (static_cast<quint8>(rest[2]) << 8) | static_cast<quint8>(rest[3]);
                return;
            }
            ++dataFrames;
            rest = rest.mid(2 + length);
        }
    }
    QTcpSocket socket;
    QByteArray got;
    int closeCode = 0;
    int dataFrames = 0;
};

struct Client {
    explicit Client(const QUrl& url, const QByteArray& origin = {}) {
        QObject::connect(&socket, &QWebSocket::textMessageReceived,
                         [this](const QString& text) { messages << text; });
        QObject::connect(&socket, &QWebSocket::disconnected, [this] {
            closed = true;
            code = socket.closeCode();
        });
        QNetworkRequest request(url);
        if (!origin.isEmpty()) {
            request.setRawHeader("Origin", origin);
        }
        socket.open(request);
    }
    QWebSocket socket;
    QStringList messages;
    bool closed = false;
    int code = 0;
};

class CrewServer : public ::testing::Test {
protected:
    CrewServer() : rig(sim::Scenario::simulated(2)) {
        EXPECT_EQ(rig.h->Start(), 2);
        EXPECT_TRUE(rig.h->RunToMonitoring());
        rig.h->clock.advanceMs(300);
        port = rig.view.state().endpoint.port;
        key = rig.view.settings().key.toLatin1();
    }
    QByteArray Get(const QByteArray& target, const QByteArray& extra = {}) const {
        return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
               "\r\n" + extra + "\r\n";
    }
    QByteArray Post(const QByteArray& body) const {
        return "POST /api/rack?key=" + key +
               " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
               "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
    }
    QUrl WsUrl(const QByteArray& withKey) const {
        return QUrl(QStringLiteral("ws://127.0.0.1:%1/ws?key=%2")
                        .arg(port)
                        .arg(QString::fromLatin1(withKey)));
    }
    QByteArray Origin() const { return "http://127.0.0.1:" + QByteArray::number(port); }
    // Nothing of the rack in a refusal: neither a receiver's name nor a frequency.
    void ExpectNoRackData(const QByteArray& data) const {
        EXPECT_FALSE(data.contains(rig.h->rack.CurData[1].Name.toLatin1())) << data.constData();
        EXPECT_FALSE(data.contains("frequency")) << data.constData();
    }
    QString Log() const {
        QFile file(rig.h->LogFile());
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll());
    }

    CrewRig rig;
    quint16 port = 0;
    QByteArray key;
};

TEST_F(CrewServer, ThePageItsPartsAndTheSnapshotCarryTheSafetyHeaders) {
    const Reply page = Exchange(port, Get("/?key=" + key));
    EXPECT_EQ(page.status, 200);
    EXPECT_TRUE(page.head.contains("Content-Type: text/html; charset=utf-8"));
    for (const auto& [name, value] : kCrewSafetyHeaders) {
        EXPECT_TRUE(page.head.contains(QByteArray(name) + ": " + value)) << name;
    }
    // The page runs nothing inline: its style and script come from the view, with the key.
    EXPECT_FALSE(page.body.contains("<script>"));
    EXPECT_FALSE(page.body.contains("<style>"));
    EXPECT_TRUE(page.body.contains("crew.js?key=" + key));
    EXPECT_FALSE(page.body.contains("http"));
    const Reply script = Exchange(port, Get("/crew.js?key=" + key));
    EXPECT_EQ(script.status, 200);
    EXPECT_TRUE(script.body.contains("new WebSocket"));
    EXPECT_TRUE(Exchange(port, Get("/crew.css?key=" + key)).body.contains("#grid"));
    const Reply rack = Exchange(port, Get("/api/rack?key=" + key));
    EXPECT_EQ(rack.status, 200);
    const QJsonObject snapshot = QJsonDocument::fromJson(rack.body).object();
    EXPECT_EQ(snapshot.value("type").toString(), QStringLiteral("snapshot"));
    EXPECT_EQ(snapshot.value("slots").toArray().size(), 2);
}

TEST_F(CrewServer, HttpRefusalsTellTheirStatusAndNoRackData) {
    struct Case {
        const char* what;
        QByteArray request;
        int status;
    };
    const std::vector<Case> cases{
        {"no key", Get("/api/rack"), 403},
        {"a POST", Post("{}"), 405},
        {"a foreign Host",
         "GET /api/rack?key=" + key +
             " HTTP/1.1\r\nHost: evil.example:" + QByteArray::number(port) + "\r\n\r\n",
         403},
        {"a foreign Origin", Get("/api/rack?key=" + key, "Origin: http://evil.example\r\n"), 403},
        {"an unknown address", Get("/secret?key=" + key), 404},
    };
    for (const Case& c : cases) {
        const Reply reply = Exchange(port, c.request);
        EXPECT_EQ(reply.status, c.status) << c.what;
        for (const auto& [name, value] : kCrewSafetyHeaders) {
            EXPECT_TRUE(reply.head.contains(QByteArray(name) + ": " + value)) << c.what;
        }
        ExpectNoRackData(reply.head + reply.body);
    }
}

TEST_F(CrewServer, AnOversizedRequestIsRefusedAndClosedBeforeItIsHandled) {
    const Reply reply = Exchange(port, Post(QByteArray(5000, 'x')));
    EXPECT_EQ(reply.status, 413);
    EXPECT_TRUE(reply.closed);
    ExpectNoRackData(reply.head + reply.body);
    // Headers alone over the bound, on a GET with the right key.
    const Reply headers =
        Exchange(port, Get("/api/rack?key=" + key, "X-Pad: " + QByteArray(4200, 'p') + "\r\n"));
    EXPECT_EQ(headers.status, 413);
    ExpectNoRackData(headers.head + headers.body);
}

TEST_F(CrewServer, WebSocketRefusalsCloseBeforeAnyData) {
    const QByteArray host = "127.0.0.1:" + QByteArray::number(port);
    struct Case {
        const char* what;
        QByteArray target;
        QByteArray host;
        QByteArray origin;
    };
    const std::vector<Case> cases{
        {"no key", "/ws", host, Origin()},
        {"a foreign Origin", "/ws?key=" + key, host, "http://evil.example"},
        {"a foreign Host", "/ws?key=" + key, "evil.example:" + QByteArray::number(port), {}},
    };
    for (const Case& c : cases) {
        RawWebSocket ws(port, c.target, c.host, c.origin);
        EXPECT_EQ(ws.CloseCode(), 1008) << c.what;
        EXPECT_TRUE(ws.got.startsWith("HTTP/1.1 101")) << c.what;
        EXPECT_EQ(ws.dataFrames, 0) << c.what;
        ExpectNoRackData(ws.got);
    }
    EXPECT_EQ(rig.view.state().viewers, 0);
}

TEST_F(CrewServer, AViewerThatSendsAMessageIsClosed) {
    Client client(WsUrl(key), Origin());
    ASSERT_TRUE(Spin([&] { return !client.messages.isEmpty(); }));
    EXPECT_TRUE(client.messages.first().contains(QStringLiteral("\"snapshot\"")));
    EXPECT_EQ(rig.view.state().viewers, 1);
    client.socket.sendTextMessage(QStringLiteral("{\"command\":\"mute\"}"));
    ASSERT_TRUE(Spin([&] { return client.closed; }));
    EXPECT_EQ(client.code, 1008);
    EXPECT_TRUE(Spin([&] { return rig.view.state().viewers == 0; }));
    EXPECT_TRUE(Log().contains(QStringLiteral("crew-viewer start,127.0.0.1")));
    EXPECT_TRUE(Log().contains(QStringLiteral("crew-viewer end,127.0.0.1 after")));
}

TEST_F(CrewServer, The33rdViewerAndPageAreTurnedAwayAndANewKeyClosesEveryone) {
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < CrewStream::kMaxViewers; ++i) {
        clients.push_back(std::make_unique<Client>(WsUrl(key), Origin()));
        ASSERT_TRUE(Spin([&] { return !clients.back()->messages.isEmpty(); })) << i;
    }
    EXPECT_EQ(rig.view.state().viewers, 32);
    RawWebSocket extra(port, "/ws?key=" + key, "127.0.0.1:" + QByteArray::number(port), Origin());
    EXPECT_EQ(extra.CloseCode(), 1013);
    EXPECT_EQ(extra.dataFrames, 0);
    EXPECT_EQ(Exchange(port, Get("/?key=" + key)).status, 503);
    EXPECT_EQ(Exchange(port, Get("/api/rack?key=" + key)).status, 200);

    // Every viewer keeps getting changes while the rack meters.
    rig.h->clock.advanceMs(300);
    Spin([&] { return clients.front()->messages.size() > 1; });
    EXPECT_GT(clients.front()->messages.size(), 1);

    rig.view.NewKey();
    ASSERT_TRUE(Spin([&] {
        return std::all_of(clients.begin(), clients.end(), [](const auto& c) { return c->closed; });
    }));
    for (const auto& client : clients) {
        EXPECT_EQ(client->code, 1008);
    }
    EXPECT_EQ(Exchange(port, Get("/api/rack?key=" + key)).status, 403) << "the old link is dead";
    EXPECT_EQ(Exchange(port, Get("/api/rack?key=" + rig.view.settings().key.toLatin1())).status,
              200);
}

TEST_F(CrewServer, APortInUseIsToldAndTheViewServesNothing) {
    CrewRig other;
    EXPECT_FALSE(other.view.ServeForRun({QHostAddress(QHostAddress::LocalHost), port}));
    EXPECT_FALSE(other.view.state().serving);
    EXPECT_TRUE(other.view.state().url.isEmpty());
    EXPECT_TRUE(other.view.state().error.contains(QStringLiteral("127.0.0.1:%1").arg(port)))
        << qPrintable(other.view.state().error);
}

} // namespace
} // namespace k7::test
