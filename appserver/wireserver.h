#pragma once
// The TCP side of velun-server: accepts connections and serves each on a pool thread,
// one request then one reply, until the peer closes or stays idle too long.

#include "appserver/dispatcher.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QThreadPool>

#include <atomic>
#include <cstdint>

namespace velun::appserver {

struct ServerOptions
{
    QHostAddress address = QHostAddress::LocalHost;
    quint16 port = 9090; // 0 picks a free port
    int threads = 8;
    int idleTimeoutMs = 60000;
    std::uint32_t maxFrame = 64u * 1024u * 1024u;
};

class WireServer : public QTcpServer
{
    Q_OBJECT
public:
    WireServer(Dispatcher& dispatcher, ServerOptions options, QObject* parent = nullptr);
    ~WireServer() override;
    bool start(); // listen; false with errorString() on failure
    FaultPlan& faults() { return m_dispatcher.faults(); }
    int activeConnections() const { return m_active.load(); }

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    void serve(qintptr socketDescriptor);
    QByteArray applyReplyFaults(QByteArray frame, bool& closeAfter);

    Dispatcher& m_dispatcher;
    ServerOptions m_options;
    QThreadPool m_pool;
    std::atomic<int> m_active{0};
    std::atomic<bool> m_stopping{false};
};

} // namespace velun::appserver
