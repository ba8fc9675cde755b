// The crew view's HTTP and WebSocket server: the one adapter over Qt HttpServer (whose API still
// moves between Qt versions; this is written against 6.4). It reads requests into plain
// CrewRequests for the view, writes the view's answers with the safety headers, and hands the
// view each WebSocket once upgraded, checked before anything is sent on it. At the transport it
// keeps its own bounds: a request of more than 4 KiB is answered 413 and closed, a data frame of
// more than 4 KiB closes the WebSocket, at most 64 connections are open at once, and one that
// has sent no whole request for 15 s is closed. Nothing in it waits on the network.
#pragma once

#include "CrewServerPort.h"

#include <QString>

#include <list>
#include <memory>

class QWebSocket;

namespace k7 {

class Clock;
class TimerFactory;
class Timer;

class CrewHttpServer {
public:
    static constexpr qint64 kMostRequestBytes = 4096;
    static constexpr int kMostConnections = 64;
    static constexpr int kIdleMs = 15000;

    CrewHttpServer(CrewServerHost& host, TimerFactory& timers, const Clock& clock);
    ~CrewHttpServer();
    CrewHttpServer(const CrewHttpServer&) = delete;
    CrewHttpServer& operator=(const CrewHttpServer&) = delete;

    // Listens on the endpoint (port 0: one the system chooses); false, with the system's reason,
    // when it cannot (a port in use, an address this machine does not have).
    bool Listen(const CrewEndpoint& endpoint, QString* error);
    // The endpoint listened on (its port as bound).
    const CrewEndpoint& endpoint() const { return endpoint_; }
    bool listening() const;
    // Ends every connection: viewers are told the view is going away (1001).
    void Close();

    class Listener;
    class HttpServer;
    class Viewer;

private:
    friend class HttpServer;
    friend class Listener;
    void viewerArrived(std::unique_ptr<QWebSocket> socket);
    void viewerGone(Viewer* viewer);
    void sweep();

    CrewServerHost& host_;
    const Clock& clock_;
    std::unique_ptr<Timer> sweepTimer_;
    std::unique_ptr<HttpServer> server_;
    Listener* listener_ = nullptr; // owned by server_
    std::list<std::unique_ptr<Viewer>> viewers_;
    CrewEndpoint endpoint_;
};

} // namespace k7
