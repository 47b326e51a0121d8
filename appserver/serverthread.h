#pragma once
// A WireServer listening on a thread of its own, for programs that run the server beside other work
// (tests, benchmarks). Stops and joins the thread when destroyed.

#include "appserver/wireserver.h"

#include <QThread>

namespace velun::appserver {

class ServerThread
{
public:
    ServerThread(Dispatcher& dispatcher, ServerOptions options);
    ~ServerThread();
    ServerThread(const ServerThread&) = delete;
    ServerThread& operator=(const ServerThread&) = delete;

    bool listening() const { return m_port != 0; }
    quint16 port() const { return m_port; }

private:
    QThread m_thread;
    WireServer* m_server; // lives in m_thread
    quint16 m_port = 0;
};

} // namespace velun::appserver
