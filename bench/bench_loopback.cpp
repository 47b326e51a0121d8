// A 10,000-row × 40-column table read from SQLite, encoded by the server, sent over loopback and
// copied into a client dataset — beside the time SQLite alone takes to read those rows.
#include "appserver/database.h"
#include "appserver/dispatcher.h"
#include "appserver/tablequery.h"
#include "appserver/serverthread.h"
#include "bench/benchutil.h"
#include "server/connection.h"
#include "server/dataset.h"
#include "server/json.h"
#include "server/servermethods1client.h"
#include "server/wire.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

using namespace velun;

namespace {

QString createSql(const TableData& t)
{
    QStringList cols;
    for (const ColumnDef& c : t.columns)
        cols << c.name + (c.type == FieldType::Text ? QStringLiteral(" TEXT") : QStringLiteral(" NUMERIC"));
    return QStringLiteral("CREATE TABLE bench_rows (%1)").arg(cols.join(QStringLiteral(", ")));
}

void fill(QSqlDatabase& db, const TableData& t)
{
    appserver::exec(db, createSql(t));
    QStringList marks;
    for (int i = 0; i < t.columns.size(); ++i)
        marks << QStringLiteral("?");
    appserver::inTransaction(db, [&] {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO bench_rows VALUES (%1)").arg(marks.join(QLatin1Char(','))));
        for (const Row& r : t.rows) {
            for (int i = 0; i < t.columns.size(); ++i) {
                const QVariant& v = r[static_cast<size_t>(i)];
                q.bindValue(i, t.columns[i].type == FieldType::DateTime ? QVariant(dateTimeToOle(v.toDateTime()))
                               : t.columns[i].type == FieldType::Boolean ? QVariant(v.toBool() ? 1 : 0)
                                                                          : v);
            }
            appserver::exec(q);
        }
    });
}

TableData readAll(QSqlDatabase db, const QList<ColumnDef>& columns)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.exec(QStringLiteral("SELECT * FROM bench_rows"));
    return appserver::readTable(q, columns);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    const int runs = 7;
    QTextStream out(stdout);
    QTemporaryDir dir;
    appserver::Database database(dir.filePath(QStringLiteral("bench.db")));
    database.migrate();
    const TableData source = bench::makeStockLikeTable(rows);
    {
        QSqlDatabase db = database.connection();
        fill(db, source);
    }

    const double sqliteMs = bench::medianMs(runs, [&] { (void)readAll(database.connection(), source.columns); });
    const TableData once = readAll(database.connection(), source.columns);
    const double encodeMs = bench::medianMs(runs, [&] {
        std::vector<wire::OrdinalValue> values;
        values.push_back({2, wire::table(once)}); // moved, as the dispatcher does
        (void)json::write(wire::makeReply(std::move(values)));
    });

    // The stock search method stands in for any table method: it answers with the bench rows.
    appserver::Dispatcher dispatcher(database);
    dispatcher.add(QStringLiteral("VelunStokAra"), [&](appserver::CallContext& ctx, const appserver::Args&, appserver::Reply& reply) {
        QSqlQuery q(ctx.db);
        q.setForwardOnly(true);
        q.exec(QStringLiteral("SELECT * FROM bench_rows"));
        reply.result(wire::table(appserver::readTable(q, source.columns)));
    });
    appserver::ServerOptions options;
    options.port = 0;
    appserver::ServerThread server(dispatcher, options);
    const quint16 port = server.port();

    ServerConnection connection;
    connection.Params.setValue(connparam::HostName, QStringLiteral("127.0.0.1"));
    connection.Params.setValue(connparam::Port, QString::number(port));
    MemDataset stok;
    const double endToEndMs = bench::medianMs(runs, [&] {
        connection.open();
        TServerMethods1Client proxy(connection.dbxConnection());
        TableReader reader = proxy.VelunStokAra(QStringLiteral("FREN"), TSonucBilgisi());
        stok.DisableControls();
        CopyReaderToDataset(reader, stok);
        SetFloatDisplayFormat(stok);
        stok.EnableControls();
        connection.close();
    });
    if (stok.RecordCount() != rows)
        return 1;

    out << rows << " rows x 40 columns (median of " << runs << " runs)\n";
    out << "  SQLite read into a table:                 " << QString::number(sqliteMs, 'f', 1) << " ms\n";
    out << "  server encode (cells -> JSON text):       " << QString::number(encodeMs, 'f', 1) << " ms\n";
    out << "  end to end (query, encode, loopback,\n"
           "  decode, copy into the dataset):          " << QString::number(endToEndMs, 'f', 1) << " ms\n";

    return 0;
}
