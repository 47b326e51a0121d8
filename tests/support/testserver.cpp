#include "tests/support/testserver.h"

#include "appserver/methods.h"
#include "server/connection.h"
#include "server/servermethods1client.h"

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
    m_server = std::make_unique<appserver::ServerThread>(*m_dispatcher, so);
    if (!m_server->listening())
        throw std::runtime_error("test server could not listen");
    m_port = m_server->port();
}

TestServer::~TestServer()
{
    m_server.reset(); // before the dispatcher and the store it serves
}

QString TestServer::databasePath() const
{
    return m_dir.filePath(QStringLiteral("velun-test.db"));
}

TSonucBilgisi loginRecord(const TestServer& server, const QString& machine)
{
    ServerConnection c;
    c.Params.setValue(connparam::HostName, server.host());
    c.Params.setValue(connparam::Port, QString::number(server.port()));
    c.open();
    CloseOnExit closer(c);
    const std::optional<TSonucBilgisi> answer = TServerMethods1Client(c.dbxConnection()).BuyukGetir(machine);
    if (!answer)
        throw std::runtime_error("no login record for the machine");
    return *answer;
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
