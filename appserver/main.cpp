// velun-server: serves the client over TCP, or runs an admin subcommand on the store.
#include "appserver/admin.h"
#include "appserver/database.h"
#include "appserver/dispatcher.h"
#include "appserver/methods.h"
#include "appserver/wireserver.h"

#include <QCoreApplication>
#include <QTextStream>


namespace {

using namespace velun::appserver;

QString optionValue(const QStringList& args, const QString& name, const QString& fallback = {})
{
    const int i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args[i + 1] : fallback;
}

int serve(const QStringList& args)
{
    QTextStream err(stderr);
    const QString dbPath = optionValue(args, QStringLiteral("--db"));
    if (dbPath.isEmpty()) {
        err << "serve için --db DOSYA gerekli\n\n" << adminUsage();
        return 2;
    }
    ServerOptions options;
    options.address = QHostAddress(optionValue(args, QStringLiteral("--listen"), QStringLiteral("127.0.0.1")));
    bool ok = true;
    options.port = static_cast<quint16>(optionValue(args, QStringLiteral("--port"), QStringLiteral("9090")).toUInt(&ok));
    if (!ok || options.address.isNull()) {
        err << "Geçersiz --listen ya da --port\n";
        return 2;
    }
    options.threads = optionValue(args, QStringLiteral("--threads"), QStringLiteral("16")).toInt();

    Database database(dbPath);
    database.migrate();
    Dispatcher dispatcher(database);
    registerAllMethods(dispatcher);
    WireServer server(dispatcher, options);
    if (!server.start()) {
        err << "Dinlenemiyor " << options.address.toString() << ':' << options.port << ": " << server.errorString() << '\n';
        return 1;
    }
    QTextStream(stdout) << "velun-server " << server.serverAddress().toString() << ':' << server.serverPort()
                        << " adresinde hizmette (veritabanı " << dbPath << ")" << Qt::endl;
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velun-server"));
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args.first() == QStringLiteral("serve"))
        return serve(args.mid(1));
    try {
        return runAdmin(args);
    } catch (const std::exception& e) {
        QTextStream(stderr) << QString::fromUtf8(e.what()) << '\n';
        return 1;
    }
}
