#include "tests/support/testserver.h"

#include "appserver/methods.h"

#include <QDir>
#include <QStandardPaths>
#include <QTcpServer>

#include <stdexcept>

namespace velun::test {

TestServer::TestServer(TestServerOptions options) : m_options(std::move(options))
{
    if (!m_dir.isValid())
        throw std::runtime_error("temporary folder unavailable");
    m_database = std::make_unique<appserver::Database>(databasePath());
    m_database->migrate();
    if (m_options.demoData) {
        appserver::DemoOptions demo;
        demo.items = m_options.demoItems;
        demo.machineId = m_options.machineId;
        appserver::loadDemoData(*m_database, demo);
    }
    m_dispatcher = std::make_unique<appserver::Dispatcher>(*m_database);
    appserver::registerAllMethods(*m_dispatcher);

    appserver::ServerOptions so;
    so.address = QHostAddress::LocalHost;
    so.port = 0;
    so.threads = m_options.threads;
    m_server = new appserver::WireServer(*m_dispatcher, so);
    m_server->moveToThread(&m_thread);
    m_thread.start();
    bool started = false;
    QMetaObject::invokeMethod(
        m_server, [&] { started = m_server->start(); }, Qt::BlockingQueuedConnection);
    if (!started)
        throw std::runtime_error("test server could not listen");
    m_port = m_server->serverPort();
}

TestServer::~TestServer()
{
    QMetaObject::invokeMethod(
        m_server, [this] { delete m_server; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

QString TestServer::databasePath() const
{
    return m_dir.filePath(QStringLiteral("velun-test.db"));
}

quint16 deadPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

QString artifactsDir()
{
    QString dir = qEnvironmentVariable("VELUN_TEST_ARTIFACTS");
    if (dir.isEmpty())
        dir = QDir::temp().filePath(QStringLiteral("velun-test-artifacts"));
    QDir().mkpath(dir);
    return dir;
}

} // namespace velun::test
