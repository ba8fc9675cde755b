#include "RequestGuard.h"

#include "CrewKey.h"

namespace k7 {
namespace {

QByteArray HostPart(const QHostAddress& address) {
    const QByteArray text = address.toString().toLatin1();
    return address.protocol() == QAbstractSocket::IPv6Protocol ? "[" + text + "]" : text;
}

bool SameText(QByteArrayView a, QByteArrayView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

bool HostNamesEndpoint(QByteArrayView host, const CrewEndpoint& endpoint) {
    const QByteArray port = ":" + QByteArray::number(endpoint.port);
    QByteArrayView name = host.trimmed();
    if (name.endsWith(port)) {
        name.chop(port.size());
    } else if (endpoint.port != 80) {
        return false;
    }
    return SameText(name, HostPart(endpoint.address)) ||
           (endpoint.address.isLoopback() && SameText(name, "localhost"));
}

QString EndpointOrigin(const CrewEndpoint& endpoint) {
    return QStringLiteral("http://%1:%2")
        .arg(QString::fromLatin1(HostPart(endpoint.address)))
        .arg(endpoint.port);
}

CrewRefusal JudgeRequest(const CrewRequest& request, const CrewEndpoint& endpoint,
                         QByteArrayView key, bool full) {
    if (request.method != "GET") {
        return CrewRefusal::Method;
    }
    if (!HostNamesEndpoint(request.host, endpoint)) {
        return CrewRefusal::Host;
    }
    if (!request.origin.isEmpty()) {
        constexpr QByteArrayView kScheme = "http://";
        const QByteArrayView origin(request.origin);
        if (!origin.startsWith(kScheme) ||
            !HostNamesEndpoint(origin.sliced(kScheme.size()), endpoint)) {
            return CrewRefusal::Origin;
        }
    }
    if (!CrewKeyMatches(key, request.key)) {
        return CrewRefusal::Key;
    }
    const bool known = request.webSocket
                           ? request.path == u"/ws"
                           : request.path == u"/" || request.path == u"/crew.css" ||
                                 request.path == u"/crew.js" || request.path == u"/api/rack";
    if (!known) {
        return CrewRefusal::NotFound;
    }
    return full ? CrewRefusal::Full : CrewRefusal::None;
}

int HttpStatusOf(CrewRefusal refusal) {
    switch (refusal) {
    case CrewRefusal::None:
        return 200;
    case CrewRefusal::Method:
        return 405;
    case CrewRefusal::Host:
    case CrewRefusal::Origin:
    case CrewRefusal::Key:
        return 403;
    case CrewRefusal::NotFound:
        return 404;
    case CrewRefusal::Full:
        return 503;
    }
    return 403;
}

int CloseCodeOf(CrewRefusal refusal) {
    return refusal == CrewRefusal::Full ? 1013 : 1008;
}

} // namespace k7
