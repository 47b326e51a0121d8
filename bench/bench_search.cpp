// The catalogue search on a large demo catalogue: a few typical queries end to end (server search,
// encode, loopback, decode, copy into the client dataset) beside the raw index query for the same
// text, plus the index's size and the time to build it.
//
//   bench_search [ITEMS] [--db FILE]
// ITEMS defaults to 1,000,000. With --db an existing demo store is reused (it is created and filled
// when the file does not exist yet), so the catalogue is built once for many runs.
#include "appserver/database.h"
#include "appserver/demodata.h"
#include "appserver/dispatcher.h"
#include "appserver/methods.h"
#include "appserver/searchindex.h"
#include "appserver/serverthread.h"
#include "bench/benchutil.h"
#include "server/connection.h"
#include "server/dataset.h"
#include "server/servermethods1client.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

using namespace velun;

namespace {

const QString kMachine = QStringLiteral("BENCH-SEARCH-PC");

QVariant scalar(QSqlDatabase db, const QString& sql, const QVariantList& binds = {})
{
    QSqlQuery q = appserver::exec(db, sql, binds);
    return q.next() ? q.value(0) : QVariant();
}

// The raw index query the search runs for a text of long words, without prices or columns.
int rawIndexRows(QSqlDatabase db, const QString& text)
{
    QStringList phrases;
    for (const QString& w : appserver::search::searchWords(text))
        phrases << u'"' + w + u'"';
    QSqlQuery q = appserver::exec(db,
                                  QStringLiteral("SELECT rowid FROM stok_arama WHERE stok_arama MATCH ? "
                                                 "ORDER BY rowid LIMIT 500"),
                                  {phrases.join(QStringLiteral(" AND "))});
    int n = 0;
    while (q.next())
        ++n;
    return n;
}

double megabytes(QSqlDatabase db, const QString& namePattern)
{
    return scalar(db, QStringLiteral("SELECT COALESCE(SUM(pgsize), 0) FROM dbstat WHERE name LIKE ?"), {namePattern})
               .toDouble() /
           (1024.0 * 1024.0);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    int items = 1000000;
    QString path;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == u"--db" && i + 1 < args.size())
            path = args[++i];
        else
            items = args[i].toInt();
    }
    QTextStream out(stdout);
    QTemporaryDir dir;
    if (path.isEmpty())
        path = dir.filePath(QStringLiteral("bench.db"));
    const bool fresh = !QFileInfo::exists(path);
    appserver::Database database(path);
    database.migrate();

    double loadSeconds = 0;
    if (fresh) {
        appserver::DemoOptions demo;
        demo.items = items;
        demo.machineId = kMachine;
        QElapsedTimer t;
        t.start();
        appserver::loadDemoData(database, demo);
        loadSeconds = static_cast<double>(t.elapsed()) / 1000.0;
    }
    QSqlDatabase db = database.connection();
    const int catalogue = scalar(db, QStringLiteral("SELECT COUNT(*) FROM stoklar")).toInt();

    // The index built once more from the catalogue, inside a transaction that is then undone.
    QElapsedTimer build;
    build.start();
    appserver::exec(db, QStringLiteral("BEGIN"));
    appserver::search::rebuildIndex(db);
    const double buildSeconds = static_cast<double>(build.elapsed()) / 1000.0;
    appserver::exec(db, QStringLiteral("ROLLBACK"));

    // Typical texts, taken from the catalogue itself so they match whatever its size.
    const QString oem = scalar(db, QStringLiteral("SELECT OEMNO FROM stok_oem WHERE STOKNO = ? AND SIRA = 1"), {catalogue / 3}).toString();
    const QString fragment = appserver::search::foldWord(oem).mid(1, 6);
    QSqlQuery item = appserver::exec(db, QStringLiteral("SELECT MARKA, ADI FROM stoklar WHERE STOKNO = ?"), {catalogue / 2});
    item.next();
    const QString brandAndName = item.value(0).toString() + u' ' + item.value(1).toString().section(u' ', 0, 0);
    const QString dashedOem = oem.trimmed().replace(u' ', u'-');
    const QList<std::pair<QString, QString>> queries = {
        {QStringLiteral("code fragment"), fragment},
        {QStringLiteral("brand + name word"), brandAndName},
        {QStringLiteral("full OEM number with dashes"), dashedOem},
    };

    appserver::Dispatcher dispatcher(database);
    appserver::registerAllMethods(dispatcher);
    appserver::ServerOptions options;
    options.port = 0;
    appserver::ServerThread server(dispatcher, options);
    const quint16 port = server.port();

    ServerConnection connection;
    connection.Params.setValue(connparam::HostName, QStringLiteral("127.0.0.1"));
    connection.Params.setValue(connparam::Port, QString::number(port));
    connection.open();
    TServerMethods1Client proxy(connection.dbxConnection());
    // The demo dealer's machine, whichever name the store was built with.
    const QString machine = scalar(db, QStringLiteral("SELECT m.BILGISAYARID FROM makineler m JOIN kullanicilar k "
                                                      "ON k.SIRANO = m.KULLANICI WHERE k.ADI = ? LIMIT 1"),
                                   {appserver::kDemoDealerUser})
                                .toString();
    const std::optional<TSonucBilgisi> login = proxy.BuyukGetir(machine);
    if (!login || !login->Varmi()) {
        out << "the store has no machine of the demo dealer\n";
        return 1;
    }

    const int runs = 7;
    out << catalogue << " items" << (fresh ? QStringLiteral(", demo load with index %1 s").arg(loadSeconds, 0, 'f', 1) : QString())
        << "\n";
    out << "  index build alone:  " << QString::number(buildSeconds, 'f', 1) << " s\n";
    out << "  index size:         trigram " << QString::number(megabytes(db, QStringLiteral("stok_arama%")), 'f', 1)
        << " MB, codes " << QString::number(megabytes(db, QStringLiteral("stok_kod%")), 'f', 1) << " MB\n";
    out << "queries (median of " << runs << " runs)\n";
    MemDataset stok;
    for (const auto& [label, text] : queries) {
        qsizetype rows = 0;
        const double endToEnd = bench::medianMs(runs, [&] {
            TableReader reader = proxy.VelunStokAra(text, *login);
            stok.DisableControls();
            CopyReaderToDataset(reader, stok);
            SetFloatDisplayFormat(stok);
            stok.EnableControls();
            rows = stok.RecordCount();
        });
        int rawRows = 0;
        const double raw = bench::medianMs(runs, [&] { rawRows = rawIndexRows(database.connection(), text); });
        out << "  " << label.leftJustified(28) << " \"" << text << "\": " << rows << " rows, end to end "
            << QString::number(endToEnd, 'f', 1) << " ms; raw index " << rawRows << " rows "
            << QString::number(raw, 'f', 2) << " ms\n";
    }
    connection.close();

    return 0;
}
