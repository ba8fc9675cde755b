// What the crew view's server adapter asks of the view, and the little it needs to answer:
// the plain requests it has read, and the viewers whose WebSocket it has opened. The adapter is
// the one place that knows the HTTP server library; the view knows only this.
#pragma once

#include "CrewStream.h"
#include "RequestGuard.h"

#include <QByteArray>
#include <QHostAddress>

namespace k7 {

struct CrewAnswer {
    int status = 200;
    QByteArray contentType;
    QByteArray body;
};

// A viewer's WebSocket as the adapter holds it.
class ViewerConnection : public ViewerLink {
public:
    virtual QHostAddress peer() const = 0;
};

class CrewServerHost {
public:
    virtual ~CrewServerHost() = default;
    // An HTTP request (any method, path and headers): what to answer.
    virtual CrewAnswer AnswerRequest(const CrewRequest& request) = 0;
    // A WebSocket has been upgraded; before anything is sent on it, the view takes it (0) or
    // names the close code it is closed with at once.
    virtual int ViewerOpened(ViewerConnection& viewer, const CrewRequest& request) = 0;
    // The viewer sent a text or binary message: nothing a viewer sends is taken.
    virtual void ViewerSentData(ViewerConnection& viewer) = 0;
    // The viewer's queue went out to the network (in part).
    virtual void ViewerDrained(ViewerConnection& /*viewer*/) {}
    // The viewer's connection ended; the adapter drops it once this returns.
    virtual void ViewerClosed(ViewerConnection& viewer) = 0;
};

// The headers of every answer of the crew view, refusals too.
inline constexpr std::array<std::pair<const char*, const char*>, 4> kCrewSafetyHeaders{{
    {"Content-Security-Policy", "default-src 'self'"},
    {"X-Content-Type-Options", "nosniff"},
    {"Referrer-Policy", "no-referrer"},
    {"Cache-Control", "no-store"},
}};

} // namespace k7
