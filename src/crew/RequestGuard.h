// The rules every request to the crew view passes before anything is answered, as plain
// functions over what the request said (no socket): only GET; the Host header names the address
// the view listens on, and so does the Origin header where one is sent (a page of another site,
// or a name rebound to this address, is refused); the access key in the query; a known address;
// room for one more viewer. The first rule a request breaks is its refusal.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHostAddress>
#include <QString>

namespace k7 {

struct CrewRequest {
    QByteArray method; // as sent: "GET", "POST", ...
    QString path;      // "/", "/api/rack", "/ws", ...
    QByteArray key;    // the query's "key" (empty when none)
    QByteArray host;   // the Host header as sent
    QByteArray origin; // the Origin header; empty when none was sent
    bool webSocket = false;
    QHostAddress peer;
};

// Where the view listens.
struct CrewEndpoint {
    QHostAddress address;
    quint16 port = 0;
};

enum class CrewRefusal { None, Method, Host, Origin, Key, NotFound, Full };

// full: the view has its most viewers already (a page would start one more).
CrewRefusal JudgeRequest(const CrewRequest& request, const CrewEndpoint& endpoint,
                         QByteArrayView key, bool full);

// What an HTTP request refused so is answered with (405, 403, 404, 503), and the close code a
// WebSocket refused so is closed with (1008 policy violation, 1013 try again later).
int HttpStatusOf(CrewRefusal refusal);
int CloseCodeOf(CrewRefusal refusal);

// The Host values that name the endpoint: "192.168.1.20:8470" ("[::1]:8470" for IPv6), and
// "localhost:8470" on a loopback address; the port may be left out on port 80.
bool HostNamesEndpoint(QByteArrayView host, const CrewEndpoint& endpoint);

// The view's own address for a browser: "http://192.168.1.20:8470".
QString EndpointOrigin(const CrewEndpoint& endpoint);

} // namespace k7
