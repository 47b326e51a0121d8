// velun-call: calls one server method and prints the reply as JSON.
//   velun-call [--host H] [--port P] METHOD [kind:value ...]
// kinds: text, int32, int64, double, boolean, record (the record's JSON, or null).
#include "server/connection.h"
#include "server/errors.h"
#include "server/json.h"
#include "server/methodcatalogue.h"
#include "server/wire.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace velun;

namespace {

json::Value parseArgument(const QString& arg)
{
    const qsizetype colon = arg.indexOf(QLatin1Char(':'));
    if (colon < 0)
        throw VelunError(QStringLiteral("Argüman tür:değer biçiminde olmalı: %1").arg(arg));
    const QString kind = arg.left(colon);
    const QString value = arg.mid(colon + 1);
    bool ok = true;
    json::Value out;
    if (kind == u"text")
        out = wire::text(value);
    else if (kind == u"int32")
        out = wire::int32(value.toInt(&ok));
    else if (kind == u"int64")
        out = wire::int64(value.toLongLong(&ok));
    else if (kind == u"double")
        out = wire::dbl(value.toDouble(&ok));
    else if (kind == u"boolean") {
        ok = value == u"true" || value == u"false";
        out = wire::boolean(value == u"true");
    } else if (kind == u"record")
        out = wire::record(value == u"null" ? json::Value() : json::parse(value.toUtf8()));
    else
        throw VelunError(QStringLiteral("Bilinmeyen tür: %1").arg(kind));
    if (!ok)
        throw VelunError(QStringLiteral("Değer %1 türüne uymuyor: %2").arg(kind, value));
    return out;
}

void usage(QTextStream& err)
{
    err << "Kullanım: velun-call [--host HOST] [--port PORT] [--timeout MS] YONTEM [tür:değer ...]\n"
           "  türler: text, int32, int64, double, boolean, record (kaydın JSON'u ya da null)\n"
           "  örnek:  velun-call BuyukGetir text:TEST-MACHINE-0001\n"
           "  yöntemler:";
    for (const MethodSignature& m : methodCatalogue())
        err << ' ' << m.name;
    err << '\n';
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = QCoreApplication::arguments().mid(1);
    QString host = qEnvironmentVariable("VELUN_SERVER_HOST", QStringLiteral("127.0.0.1"));
    quint16 port = static_cast<quint16>(qEnvironmentVariable("VELUN_SERVER_PORT", QStringLiteral("9090")).toUInt());
    int timeoutMs = 30000;
    while (!args.isEmpty() && args.first().startsWith(QStringLiteral("--"))) {
        const QString opt = args.takeFirst();
        if (opt == u"--help" || args.isEmpty()) {
            usage(err);
            return opt == u"--help" ? 0 : 2;
        }
        const QString v = args.takeFirst();
        if (opt == u"--host")
            host = v;
        else if (opt == u"--port")
            port = static_cast<quint16>(v.toUInt());
        else if (opt == u"--timeout")
            timeoutMs = v.toInt();
        else {
            usage(err);
            return 2;
        }
    }
    if (args.isEmpty()) {
        usage(err);
        return 2;
    }
    try {
        const QString method = args.takeFirst();
        json::Array params;
        for (const QString& a : args)
            params.push_back(parseArgument(a));
        LinkOptions options;
        options.callTimeout = std::chrono::milliseconds(timeoutMs);
        DBXConnection link(options);
        link.open(host, port);
        const QByteArray reply = link.call(json::write(wire::makeRequest(method, std::move(params))));
        link.close();
        const json::Value parsed = json::parse(reply);
        out << QString::fromUtf8(json::writeIndented(parsed)) << '\n';
        return parsed.find(u"error") ? 1 : 0;
    } catch (const VelunError& e) {
        err << e.className() << ": " << e.message() << '\n';
        return 1;
    } catch (const std::exception& e) {
        err << QString::fromUtf8(e.what()) << '\n';
        return 1;
    }
}
