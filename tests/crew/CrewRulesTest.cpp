// The crew view's rules without a socket: keys (random, compared whole), the kept settings
// (damaged values fall back, a missing key is made and kept), and the refusal each request
// earns (method, Host, Origin, key, address, room).
#include "crew/CrewKey.h"
#include "crew/CrewSettings.h"
#include "crew/RequestGuard.h"
#include "platform/SettingsStore.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

namespace k7 {
namespace {

TEST(CrewKey, KeysAre128RandomBitsAsHexAndDiffer) {
    std::set<QString> keys;
    for (int i = 0; i < 50; ++i) {
        const QString key = NewCrewKey();
        EXPECT_TRUE(IsCrewKey(key)) << qPrintable(key);
        keys.insert(key);
    }
    EXPECT_EQ(keys.size(), 50u);
    EXPECT_FALSE(IsCrewKey(QStringLiteral("0123456789ABCDEF0123456789abcdef")));
    EXPECT_FALSE(IsCrewKey(QStringLiteral("0123")));
}

TEST(CrewKey, OnlyTheWholeKeyMatches) {
    const QByteArray key = "0123456789abcdef0123456789abcdef";
    EXPECT_TRUE(CrewKeyMatches(key, key));
    for (qsizetype i = 0; i < key.size(); ++i) {
        QByteArray guess = key;
        guess[i] = guess[i] == 'a' ? 'b' : 'a';
        EXPECT_FALSE(CrewKeyMatches(key, guess)) << i;
    }
    EXPECT_FALSE(CrewKeyMatches(key, key.left(31)));
    EXPECT_FALSE(CrewKeyMatches(key, key + "0"));
    EXPECT_FALSE(CrewKeyMatches(key, ""));
    EXPECT_FALSE(CrewKeyMatches("", "")) << "no key never lets anyone in";
}

TEST(CrewSettings, KeptAsChosenAndDamagedValuesFallBack) {
    QTemporaryDir dir;
    QtSettingsStore store(dir.filePath(QStringLiteral("s.ini")));
    const CrewSettings first = ReadCrewSettings(store);
    EXPECT_FALSE(first.enabled);
    EXPECT_EQ(first.address, QHostAddress(QHostAddress::LocalHost));
    EXPECT_EQ(first.port, 8470);
    EXPECT_TRUE(IsCrewKey(first.key));
    EXPECT_EQ(store.GetSetting(QStringLiteral("CrewView"), QStringLiteral("Key"), {}), first.key)
        << "a key made is kept at once, so that links given out still work after a restart";
    EXPECT_EQ(ReadCrewSettings(store).key, first.key);

    CrewSettings chosen = first;
    chosen.enabled = true;
    chosen.address = QHostAddress(QStringLiteral("192.168.1.20"));
    chosen.port = 9000;
    SaveCrewSettings(store, chosen);
    EXPECT_EQ(ReadCrewSettings(store), chosen);

    store.SaveSetting(QStringLiteral("CrewView"), QStringLiteral("Address"), QStringLiteral("x"));
    store.SaveSetting(QStringLiteral("CrewView"), QStringLiteral("Port"), QStringLiteral("70000"));
    store.SaveSetting(QStringLiteral("CrewView"), QStringLiteral("Key"), QStringLiteral("short"));
    const CrewSettings damaged = ReadCrewSettings(store);
    EXPECT_EQ(damaged.address, QHostAddress(QHostAddress::LocalHost));
    EXPECT_EQ(damaged.port, 8470);
    EXPECT_TRUE(IsCrewKey(damaged.key));
    EXPECT_NE(damaged.key, QStringLiteral("short"));
}

class Guard : public ::testing::Test {
protected:
    CrewRequest Good(const char* path = "/", bool webSocket = false) const {
        CrewRequest request;
        request.method = "GET";
        request.path = QString::fromLatin1(path);
        request.key = key;
        request.host = "192.168.1.20:8470";
        request.webSocket = webSocket;
        return request;
    }
    CrewRefusal Judge(const CrewRequest& request, bool full = false) const {
        return JudgeRequest(request, endpoint, key, full);
    }
    const QByteArray key = "0123456789abcdef0123456789abcdef";
    const CrewEndpoint endpoint{QHostAddress(QStringLiteral("192.168.1.20")), 8470};
};

TEST_F(Guard, TheViewsOwnRequestsPass) {
    for (const char* path : {"/", "/crew.css", "/crew.js", "/api/rack"}) {
        EXPECT_EQ(Judge(Good(path)), CrewRefusal::None) << path;
    }
    CrewRequest ws = Good("/ws", true);
    ws.origin = "http://192.168.1.20:8470";
    EXPECT_EQ(Judge(ws), CrewRefusal::None);
    CrewRequest named = Good();
    named.host = "192.168.1.20:8470 ";
    EXPECT_EQ(Judge(named), CrewRefusal::None);
}

// Each refusal the guard names (its status or close code through a socket, and a POST or no
// key at all: CrewServerTest).
TEST_F(Guard, EachRefusalOfItsKind) {
    CrewRequest wrongKey = Good("/ws", true);
    wrongKey.key[5] = 'x';
    EXPECT_EQ(Judge(wrongKey), CrewRefusal::Key);

    // A name rebound to the address, another port, another site's page.
    for (const QByteArray host :
         {"evil.example:8470", "192.168.1.20:8471", "192.168.1.20", "localhost:8470", ""}) {
        CrewRequest request = Good();
        request.host = host;
        EXPECT_EQ(Judge(request), CrewRefusal::Host) << host.constData();
    }
    for (const QByteArray origin : {"http://evil.example:8470", "https://192.168.1.20:8470",
                                    "http://192.168.1.20:8471", "null"}) {
        CrewRequest request = Good("/ws", true);
        request.origin = origin;
        EXPECT_EQ(Judge(request), CrewRefusal::Origin) << origin.constData();
    }

    // An unknown address tells nothing without the key.
    CrewRequest unknown = Good("/etc/passwd");
    EXPECT_EQ(Judge(unknown), CrewRefusal::NotFound);
    unknown.key.clear();
    EXPECT_EQ(Judge(unknown), CrewRefusal::Key);
    EXPECT_EQ(Judge(Good("/api/rack"), false), CrewRefusal::None);
    EXPECT_EQ(Judge(Good("/ws"), false), CrewRefusal::NotFound) << "the stream is a WebSocket";

    EXPECT_EQ(Judge(Good(), true), CrewRefusal::Full);
}

TEST_F(Guard, LoopbackIsAlsoLocalhostAndIPv6IsBracketed) {
    const CrewEndpoint loopback{QHostAddress(QHostAddress::LocalHost), 8470};
    EXPECT_TRUE(HostNamesEndpoint("localhost:8470", loopback));
    EXPECT_TRUE(HostNamesEndpoint("127.0.0.1:8470", loopback));
    EXPECT_FALSE(HostNamesEndpoint("127.0.0.2:8470", loopback));
    const CrewEndpoint v6{QHostAddress(QStringLiteral("fe80::1")), 8470};
    EXPECT_TRUE(HostNamesEndpoint("[fe80::1]:8470", v6));
    EXPECT_EQ(EndpointOrigin(v6), QStringLiteral("http://[fe80::1]:8470"));
    const CrewEndpoint web{QHostAddress(QStringLiteral("10.0.0.5")), 80};
    EXPECT_TRUE(HostNamesEndpoint("10.0.0.5", web));
    EXPECT_TRUE(HostNamesEndpoint("10.0.0.5:80", web));
}

} // namespace
} // namespace k7
