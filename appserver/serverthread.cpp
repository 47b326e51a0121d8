#include "appserver/serverthread.h"

namespace velun::appserver {

ServerThread::ServerThread(Dispatcher& dispatcher, ServerOptions options)
    : m_server(new WireServer(dispatcher, std::move(options)))
{
    m_server->moveToThread(&m_thread);
    m_thread.start();
    QMetaObject::invokeMethod(
        m_server, [this] { m_port = m_server->start() ? m_server->serverPort() : 0; }, Qt::BlockingQueuedConnection);
}

ServerThread::~ServerThread()
{
    QMetaObject::invokeMethod(m_server, [this] { delete m_server; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

} // namespace velun::appserver
