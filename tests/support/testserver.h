#pragma once
// The real reference server on a loopback port with a fresh store, for one test case or one test class.

#include "appserver/database.h"
#include "appserver/demodata.h"
#include "appserver/dispatcher.h"
#include "appserver/serverthread.h"
#include "server/baglantiu.h"

#include <QTemporaryDir>
#include <QThread>

#include <memory>

namespace velun::test {

struct TestServerOptions
{
    bool demoData = true;
    int demoItems = 300;
    QString machineId = QStringLiteral("TEST-MACHINE-0001"); // registered for the demo dealer
    int threads = 4;
};

class TestServer
{
public:
    explicit TestServer(TestServerOptions options = {});
    ~TestServer();

    quint16 port() const { return m_port; }
    QString host() const { return QStringLiteral("127.0.0.1"); }
    appserver::FaultPlan& faults() { return m_dispatcher->faults(); }
    appserver::Database& database() { return *m_database; }
    appserver::Dispatcher& dispatcher() { return *m_dispatcher; }
    QString databasePath() const;
    const TestServerOptions& options() const { return m_options; }

private:
    TestServerOptions m_options;
    QTemporaryDir m_dir;
    std::unique_ptr<appserver::Database> m_database;
    std::unique_ptr<appserver::Dispatcher> m_dispatcher;
    std::unique_ptr<appserver::ServerThread> m_server;
    quint16 m_port = 0;
};

// The login record the server answers for a machine, as the login fills it (the demo dealer by default).
TSonucBilgisi loginRecord(const TestServer& server, const QString& machine = QStringLiteral("TEST-MACHINE-0001"));

// A port on which nothing listens (bound once, then released).
quint16 deadPort();

// Where tests put files for a person to look at (screenshots); created on demand.
QString artifactsDir();

} // namespace velun::test
