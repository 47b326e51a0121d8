// The reference server's store: schema migrations, connections, transactions, the demo data set,
// the login and mail methods on a fresh store, and the catalogue import.
#include "appserver/catalogueimport.h"
#include "appserver/database.h"
#include "appserver/demodata.h"
#include "appserver/dispatcher.h"
#include "appserver/methods.h"
#include "server/baglantiu.h"
#include "server/json.h"
#include "server/mobilstokunit.h"
#include "server/wire.h"
#include "tests/support/testserver.h"

#include <QCryptographicHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>
#include <optional>

using namespace velun;
using namespace velun::appserver;

namespace {

const QDate kToday(2025, 6, 2);
const QString kDealerMachine = QStringLiteral("TEST-MACHINE-0001");

// A store of its own in a temporary folder.
struct ScratchStore
{
    QTemporaryDir dir;
    std::unique_ptr<Database> database;

    explicit ScratchStore(std::optional<DemoOptions> demo = std::nullopt)
    {
        database = std::make_unique<Database>(path());
        database->migrate();
        if (demo)
            loadDemoData(*database, *demo);
    }
    QString path() const { return dir.filePath(QStringLiteral("store.db")); }
    QSqlDatabase db() { return database->connection(); }
};

DemoOptions demoOptions(int items = 300)
{
    DemoOptions o;
    o.items = items;
    o.machineId = kDealerMachine;
    o.today = kToday;
    return o;
}

QVariant scalar(QSqlDatabase db, const QString& sql, const QVariantList& binds = {})
{
    QSqlQuery q = exec(db, sql, binds);
    return q.next() ? q.value(0) : QVariant();
}

// Every row of a table in key order, hashed; equal hashes mean equal contents.
QByteArray tableChecksum(QSqlDatabase db, const QString& table)
{
    QSqlQuery q = exec(db, QStringLiteral("SELECT * FROM %1 ORDER BY 1, 2").arg(table));
    QCryptographicHash hash(QCryptographicHash::Sha256);
    while (q.next()) {
        for (int i = 0; i < q.record().count(); ++i) {
            const QVariant v = q.value(i);
            hash.addData(v.isNull() ? QByteArrayLiteral("<null>") : v.toString().toUtf8() + v.toByteArray().toHex());
            hash.addData(QByteArrayLiteral("|"));
        }
        hash.addData(QByteArrayLiteral("\n"));
    }
    return hash.result().toHex();
}

// One call through the dispatcher, as the wire server makes it; throws ServerError for an error reply.
std::vector<wire::OrdinalValue> call(Dispatcher& dispatcher, const QString& method, json::Array params)
{
    const QByteArray reply = dispatcher.handle(json::write(wire::makeRequest(method, std::move(params))));
    return wire::parseReply(json::parse(reply));
}

const json::Value& resultOf(const std::vector<wire::OrdinalValue>& values, int ordinal)
{
    for (const wire::OrdinalValue& v : values)
        if (v.ordinal == ordinal)
            return v.value;
    throw std::runtime_error("no value at the result ordinal");
}

TSonucBilgisi login(Dispatcher& d, const QString& machine)
{
    const std::vector<wire::OrdinalValue> values = call(d, QStringLiteral("BuyukGetir"), {wire::text(machine)});
    return records::fromJson<TSonucBilgisi>(wire::toRecord(resultOf(values, 1)));
}

std::optional<TMobilCariBilgisi> customerOf(Dispatcher& d, qint32 sirano, const QString& machine)
{
    const std::vector<wire::OrdinalValue> values =
        call(d, QStringLiteral("MobilCariBilgisiGetir"), {wire::int32(sirano), wire::text(machine)});
    const json::Value& rec = wire::toRecord(resultOf(values, 2));
    if (rec.isNull())
        return std::nullopt;
    return records::fromJson<TMobilCariBilgisi>(rec);
}

QStringList mailTexts(const QString& machine, int count)
{
    QStringList t = {machine,
                     QStringLiteral("B2B Yeni Kullanıcı İstek"),
                     QStringLiteral("IŞIK OTO ÇAĞDAŞ YEDEK PARÇA"),
                     QStringLiteral("Gül Sok. No: 5"),
                     QString(), // adres2 may stay empty
                     QStringLiteral("Şişli"),
                     QStringLiteral("İstanbul"),
                     QStringLiteral("0212 444 55 66"),
                     QString(),
                     QStringLiteral("Şişli VD"),
                     QStringLiteral("1234567890"),
                     QStringLiteral("Ömer Günay"),
                     QStringLiteral("YENİKULLANICI"),
                     QStringLiteral("ŞİFRE1"),
                     QStringLiteral("omer@isikoto.example"),
                     QStringLiteral("  Güney Ambarı  ")}; // sent as typed, blanks kept
    if (count == 17)
        t.append(QStringLiteral("\"Merhaba, fren diski\",stokta var mı?\nİyi çalışmalar"));
    return t;
}

json::Array textParams(const QStringList& texts)
{
    json::Array a;
    for (const QString& t : texts)
        a.push_back(wire::text(t));
    return a;
}

const QStringList kMailColumns = {QStringLiteral("BILGISAYARID"), QStringLiteral("BASLIK"),     QStringLiteral("FIRMAADI"),
                                  QStringLiteral("ADRES1"),       QStringLiteral("ADRES2"),     QStringLiteral("ILCE"),
                                  QStringLiteral("SEHIR"),        QStringLiteral("TELEFON"),    QStringLiteral("FAX"),
                                  QStringLiteral("VD"),           QStringLiteral("VN"),         QStringLiteral("YETKILI"),
                                  QStringLiteral("KULLANICIADI"), QStringLiteral("SIFRE"),      QStringLiteral("MAIL"),
                                  QStringLiteral("KARGOAMBAR"),   QStringLiteral("KONU")};

} // namespace

class TestStore : public QObject
{
    Q_OBJECT

    std::unique_ptr<test::TestServer> m_server;
    Dispatcher& dispatcher() { return m_server->dispatcher(); }
    QSqlDatabase serverDb() { return m_server->database().connection(); }

private slots:
    void initTestCase() { m_server = std::make_unique<test::TestServer>(); }
    void cleanupTestCase() { m_server.reset(); }

    // ---- schema and connections -------------------------------------------------------------

    void migratesAnEmptyFileAndReRunsHarmlessly()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s.db"));
        {
            Database database(path);
            QCOMPARE(database.schemaVersion(), 0);
            database.migrate();
            QCOMPARE(database.schemaVersion(), Database::latestSchemaVersion());
            QSqlDatabase db = database.connection();
            const QStringList tables = {
                QStringLiteral("settings"), QStringLiteral("saticilar"), QStringLiteral("cariler"),
                QStringLiteral("kullanicilar"), QStringLiteral("makineler"), QStringLiteral("depolar"),
                QStringLiteral("stoklar"), QStringLiteral("stok_oem"), QStringLiteral("stok_depo"),
                QStringLiteral("stok_resim"), QStringLiteral("teslim_secenekleri"), QStringLiteral("kargo_turleri"),
                QStringLiteral("kargo_firmalari"), QStringLiteral("sepet"), QStringLiteral("sepet_silinenler"),
                QStringLiteral("siparis_durumlari"), QStringLiteral("siparisler"), QStringLiteral("siparis_satirlari"),
                QStringLiteral("bakiye_hareketleri"), QStringLiteral("cari_hareketler"), QStringLiteral("faturalar"),
                QStringLiteral("fatura_satirlari"), QStringLiteral("tahsilat_satirlari"), QStringLiteral("sanalpos_odemeler"),
                QStringLiteral("dosyalar"), QStringLiteral("acilis_ekranlari"), QStringLiteral("bannerlar"),
                QStringLiteral("kayan_yazilar"), QStringLiteral("kurlar"), QStringLiteral("giden_mailler")};
            for (const QString& t : tables)
                QVERIFY2(scalar(db, QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = ?"), {t})
                                 .toInt() == 1,
                         qPrintable(t));
            QCOMPARE(database.setting(QStringLiteral("client_version")), QStringLiteral("13"));
            QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM siparis_durumlari")).toInt(), 6);
            database.setSetting(QStringLiteral("kept"), QStringLiteral("evet"));
            database.migrate();
            QCOMPARE(database.setting(QStringLiteral("kept")), QStringLiteral("evet"));
        }
        Database again(path); // a second process opening the same file
        again.migrate();
        QCOMPARE(again.schemaVersion(), Database::latestSchemaVersion());
        QCOMPARE(again.setting(QStringLiteral("kept")), QStringLiteral("evet"));
        QCOMPARE(scalar(again.connection(), QStringLiteral("SELECT COUNT(*) FROM depolar")).toInt(), 2);
    }

    void refusesASchemaNewerThanItKnows()
    {
        ScratchStore store;
        QSqlDatabase db = store.db();
        exec(db, QStringLiteral("PRAGMA user_version = %1").arg(Database::latestSchemaVersion() + 1));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, store.database->migrate());
    }

    void refusesAnInMemoryStore()
    {
        QVERIFY_THROWS_EXCEPTION(DatabaseError, Database{QStringLiteral(":memory:")});
        QVERIFY_THROWS_EXCEPTION(DatabaseError, Database{QString()});
    }

    void everyConnectionHasTheStoresPragmas()
    {
        ScratchStore store;
        QString otherName;
        QVariantList otherPragmas;
        std::unique_ptr<QThread> worker(QThread::create([&] {
            QSqlDatabase db = store.database->connection();
            otherName = db.connectionName();
            otherPragmas = {scalar(db, QStringLiteral("PRAGMA journal_mode")), scalar(db, QStringLiteral("PRAGMA foreign_keys")),
                            scalar(db, QStringLiteral("PRAGMA busy_timeout"))};
        }));
        worker->start();
        QVERIFY(worker->wait(10000));
        const QVariantList expected = {QStringLiteral("wal"), 1, 5000};
        QCOMPARE(otherPragmas, expected);
        QSqlDatabase mine = store.db();
        QCOMPARE((QVariantList{scalar(mine, QStringLiteral("PRAGMA journal_mode")), scalar(mine, QStringLiteral("PRAGMA foreign_keys")),
                               scalar(mine, QStringLiteral("PRAGMA busy_timeout"))}),
                 expected);
        QVERIFY(mine.connectionName() != otherName);
        // The worker's connection was closed when its thread ended.
        QVERIFY(!QSqlDatabase::connectionNames().contains(otherName));
    }

    void destroyingTheDatabaseClosesItsConnections()
    {
        QTemporaryDir dir;
        auto database = std::make_unique<Database>(dir.filePath(QStringLiteral("c.db")));
        const QString name = database->connection().connectionName();
        QVERIFY(QSqlDatabase::connectionNames().contains(name));
        database.reset();
        QVERIFY(!QSqlDatabase::connectionNames().contains(name));
    }

    void aFailedTransactionLeavesNothing()
    {
        ScratchStore store;
        QSqlDatabase db = store.db();
        const auto insert = [&](const QString& key) {
            exec(db, QStringLiteral("INSERT INTO settings(key, value) VALUES(?, 'x')"), {key});
        };
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, inTransaction(db, [&] {
                                     insert(QStringLiteral("a"));
                                     throw std::runtime_error("stop");
                                 }));
        QVERIFY(store.database->setting(QStringLiteral("a")).isNull());

        // An inner failure undoes only the inner part; the outer transaction goes on and commits.
        inTransaction(db, [&] {
            insert(QStringLiteral("outer"));
            try {
                inTransaction(db, [&] {
                    insert(QStringLiteral("inner"));
                    insert(QStringLiteral("inner")); // a duplicate key: DatabaseError
                });
                QFAIL("the duplicate key was accepted");
            } catch (const DatabaseError& e) {
                QVERIFY(e.message().contains(QStringLiteral("UNIQUE")));
            }
        });
        QCOMPARE(store.database->setting(QStringLiteral("outer")), QStringLiteral("x"));
        QVERIFY(store.database->setting(QStringLiteral("inner")).isNull());
        QCOMPARE(store.database->setting(QStringLiteral("yok"), QStringLiteral("öntanım")), QStringLiteral("öntanım"));
    }

    // ---- demo data --------------------------------------------------------------------------

    void demoDataIsTheSameOnEveryLoad()
    {
        ScratchStore first(demoOptions(2000));
        ScratchStore second(demoOptions(2000));
        const QStringList tables = {
            QStringLiteral("stoklar"),          QStringLiteral("stok_oem"),         QStringLiteral("stok_depo"),
            QStringLiteral("stok_resim"),       QStringLiteral("cariler"),          QStringLiteral("kullanicilar"),
            QStringLiteral("makineler"),        QStringLiteral("siparisler"),       QStringLiteral("siparis_satirlari"),
            QStringLiteral("cari_hareketler"),  QStringLiteral("faturalar"),        QStringLiteral("fatura_satirlari"),
            QStringLiteral("tahsilat_satirlari"), QStringLiteral("sanalpos_odemeler"), QStringLiteral("sepet"),
            QStringLiteral("acilis_ekranlari"), QStringLiteral("dosyalar"),         QStringLiteral("kargo_firmalari")};
        for (const QString& t : tables)
            QVERIFY2(tableChecksum(first.db(), t) == tableChecksum(second.db(), t), qPrintable(t));
        QCOMPARE(scalar(first.db(), QStringLiteral("SELECT COUNT(*) FROM stoklar")).toInt(), 2000);
    }

    void demoDataCoversTheDomain()
    {
        ScratchStore store(demoOptions(1000));
        QSqlDatabase db = store.db();
        // Every stock state, overall and in each warehouse.
        QCOMPARE(scalar(db, QStringLiteral("SELECT group_concat(DURUM) FROM (SELECT DISTINCT DURUM FROM stok_durum ORDER BY 1)")).toString(),
                 QStringLiteral("0,1,2,3,4,5"));
        for (int warehouse : {1, 2})
            QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(DISTINCT DURUM) FROM stok_depo_durum WHERE DEPONO = ?"), {warehouse}).toInt(), 6);
        QVERIFY(scalar(db, QStringLiteral("SELECT COUNT(*) FROM stoklar WHERE KAMPANYALI = 1 AND KAMPFIYAT > 0")).toInt() > 0);
        QVERIFY(scalar(db, QStringLiteral("SELECT COUNT(*) FROM stoklar WHERE YENI = 1")).toInt() > 0);
        QVERIFY(scalar(db, QStringLiteral("SELECT COUNT(*) FROM stok_oem GROUP BY STOKNO ORDER BY 1 DESC LIMIT 1")).toInt() > 1);

        // Pictures are JPEG files; most items have none.
        const int pictures = scalar(db, QStringLiteral("SELECT COUNT(*) FROM stok_resim")).toInt();
        QVERIFY(pictures > 0 && pictures < 1000);
        QSqlQuery pics = exec(db, QStringLiteral("SELECT RESIM FROM stok_resim"));
        while (pics.next()) {
            const QByteArray jpeg = pics.value(0).toByteArray();
            QVERIFY(jpeg.startsWith("\xFF\xD8") && jpeg.endsWith("\xFF\xD9"));
        }
        QVERIFY(scalar(db, QStringLiteral("SELECT RESIM FROM bannerlar")).toByteArray().startsWith("GIF89a"));
        QVERIFY(scalar(db, QStringLiteral("SELECT DEKONT FROM sanalpos_odemeler")).toByteArray().startsWith("%PDF-"));
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM dosyalar")).toInt(), 3);

        // The demo logins.
        QSqlQuery users = exec(db, QStringLiteral("SELECT ADI, SIFRE, MUSTERITIPI, AKTIF FROM kullanicilar ORDER BY SIRANO"));
        QStringList seen;
        while (users.next())
            seen << QStringLiteral("%1/%2/%3/%4").arg(users.value(0).toString(), users.value(1).toString(),
                                                      users.value(2).toString(), users.value(3).toString());
        QCOMPARE(seen, (QStringList{QStringLiteral("DEMO/1234/3/1"), QStringLiteral("TEMSILCI/1234/1/1"),
                                    QStringLiteral("PASIF/1234/3/0"), QStringLiteral("YONETICI/1234/2/1"),
                                    QStringLiteral("BAYI/1234/4/1")}));
        QCOMPARE(scalar(db, QStringLiteral("SELECT k.ADI FROM makineler m JOIN kullanicilar k ON k.SIRANO = m.KULLANICI "
                                           "WHERE m.BILGISAYARID = ?"),
                        {kDealerMachine})
                     .toString(),
                 kDemoDealerUser);

        // Orders in every state, open backorders, every kind of account movement.
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(DISTINCT DURUM) FROM siparisler WHERE CARINO = ?"), {kDemoDealerCustomer}).toInt(), 6);
        QVERIFY(scalar(db, QStringLiteral("SELECT COUNT(*) FROM siparis_satirlari WHERE KALAN > 0")).toInt() > 0);
        QCOMPARE(scalar(db, QStringLiteral("SELECT group_concat(TURADI) FROM (SELECT DISTINCT TURADI FROM cari_hareketler ORDER BY 1)")).toString(),
                 QStringLiteral("Devir Bakiyesi,Satış Faturası,Tahsilat,Tediye,İade Faturası"));

        // Only the overdue customer owes money that has fallen due.
        QSqlQuery due = exec(db, QStringLiteral(
                                     "SELECT CARINO, SUM(CASE WHEN VADETARIHI < ? THEN BORC ELSE 0 END) - SUM(ALACAK) "
                                     "FROM cari_hareketler GROUP BY CARINO"),
                             {kToday.toString(Qt::ISODate)});
        while (due.next()) {
            const bool overdue = due.value(1).toDouble() > 0.005;
            QVERIFY2(overdue == (due.value(0).toInt() == kDemoOverdueCustomer), qPrintable(due.value(0).toString()));
        }

        // Notices: search keys that open the campaign and new-item tabs, one announcement without a picture.
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM acilis_ekranlari WHERE TUR = 1 AND ARAMA = '#YENİ#'")).toInt(), 1);
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM acilis_ekranlari WHERE TUR = 2 AND ARAMA = '#KAMPANYA#'")).toInt(), 1);
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM acilis_ekranlari WHERE RESIM IS NULL")).toInt(), 1);
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM kargo_firmalari WHERE UYARI <> ''")).toInt(), 5);
        QCOMPARE(scalar(db, QStringLiteral("SELECT group_concat(KUR) FROM kurlar")).toString(), QStringLiteral("EUR,USD"));
        QVERIFY(scalar(db, QStringLiteral("SELECT METIN FROM kayan_yazilar WHERE SIRA = 1")).toString().contains(QStringLiteral("hoş geldiniz")));
    }

    void demoDataSizes_data()
    {
        QTest::addColumn<int>("items");
        QTest::newRow("one item") << 1;
        QTest::newRow("a few hundred") << 300;
        QTest::newRow("thousands") << 5000;
    }
    void demoDataSizes()
    {
        QFETCH(int, items);
        ScratchStore store(demoOptions(items));
        QCOMPARE(scalar(store.db(), QStringLiteral("SELECT COUNT(*) FROM stoklar")).toInt(), items);
        QCOMPARE(scalar(store.db(), QStringLiteral("SELECT COUNT(*) FROM stok_depo")).toInt(), items * 2);
        QVERIFY(scalar(store.db(), QStringLiteral("SELECT COUNT(*) FROM siparis_satirlari")).toInt() > 0);
    }

    void demoDataRefusesAFilledStoreOrABadSize()
    {
        ScratchStore store(demoOptions(50));
        const QByteArray before = tableChecksum(store.db(), QStringLiteral("stoklar"));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, loadDemoData(*store.database, demoOptions(50)));
        QCOMPARE(tableChecksum(store.db(), QStringLiteral("stoklar")), before);
        ScratchStore empty;
        QVERIFY_THROWS_EXCEPTION(DatabaseError, loadDemoData(*empty.database, demoOptions(0)));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, loadDemoData(*empty.database, demoOptions(1000001)));
    }

    // ---- BuyukGetir ---------------------------------------------------------------------------

    void loginRecordOfAMachine_data()
    {
        QTest::addColumn<QString>("machine");
        QTest::addColumn<bool>("varmi");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("active");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("customer");
        QTest::addColumn<QString>("customerName");
        QTest::addColumn<QString>("rep");

        QTest::newRow("dealer") << kDealerMachine << true << kDemoDealerUser << 1 << 3 << kDemoDealerCustomer
                                << QStringLiteral("ÖZ KARDEŞLER OTO YEDEK PARÇA LTD. ŞTİ.") << QStringLiteral("AHMET YILMAZ");
        QTest::newRow("representative") << kDemoRepMachine << true << kDemoRepUser << 1 << 1 << 0 << QString()
                                        << QStringLiteral("AHMET YILMAZ");
        QTest::newRow("manager") << kDemoManagerMachine << true << kDemoManagerUser << 1 << 2 << 0 << QString()
                                 << QStringLiteral("AYŞE ÇELİK");
        QTest::newRow("inactive user") << kDemoInactiveMachine << true << kDemoInactiveUser << 0 << 3 << 1002
                                       << QStringLiteral("GÜNEŞ OTOMOTİV TİC. A.Ş.") << QStringLiteral("AHMET YILMAZ");
        QTest::newRow("type 4 takes the customer's representative")
            << kDemoType4Machine << true << kDemoType4User << 1 << 4 << 1004 << QStringLiteral("DOĞAN YEDEK PARÇA")
            << QStringLiteral("AYŞE ÇELİK");
        QTest::newRow("unknown machine") << QStringLiteral("HİÇ-KAYITLI-DEĞİL") << false << QString() << 0 << 1 << 0
                                         << QString() << QString();
        QTest::newRow("empty machine id") << QString() << false << QString() << 0 << 1 << 0 << QString() << QString();
        QTest::newRow("case matters") << kDealerMachine.toLower() << false << QString() << 0 << 1 << 0 << QString()
                                      << QString();
    }
    void loginRecordOfAMachine()
    {
        QFETCH(QString, machine);
        QFETCH(bool, varmi);
        QFETCH(QString, name);
        QFETCH(int, active);
        QFETCH(int, type);
        QFETCH(int, customer);
        QFETCH(QString, customerName);
        QFETCH(QString, rep);

        const TSonucBilgisi r = login(dispatcher(), machine);
        QCOMPARE(r.Varmi(), varmi);
        QCOMPARE(r.Version(), 13);
        QCOMPARE(r.BILGISAYARID(), machine);
        QCOMPARE(r.ADI(), name);
        QCOMPARE(r.SIFRE(), varmi ? QStringLiteral("1234") : QString());
        QCOMPARE(r.AKTIF(), active);
        QCOMPARE(r.MusteriTipi(), type);
        QCOMPARE(r.CARINO(), customer);
        QCOMPARE(r.CariAdi(), customerName);
        QCOMPARE(r.SaticiAdi(), rep);
        QCOMPARE(r.Sirano() > 0, varmi);
        if (!rep.isEmpty()) {
            QVERIFY(r.SaticiTelefon().startsWith(QStringLiteral("053")));
            QVERIFY(r.SaticiMail().endsWith(QStringLiteral("@velun.example")));
            QVERIFY(r.SaticiNo() > 0);
        }
        if (customer > 0)
            QVERIFY(r.carikod().startsWith(QStringLiteral("120.")));
        QVERIFY(r.BilgiSayarAdi().isEmpty() && r.Disip().isEmpty() && r.Icip().isEmpty());
    }

    void loginRecordIsTheReflectedJsonForm()
    {
        const std::vector<wire::OrdinalValue> values = call(dispatcher(), QStringLiteral("BuyukGetir"), {wire::text(kDealerMachine)});
        QCOMPARE(values.size(), size_t(1));
        QCOMPARE(values[0].ordinal, 1);
        QCOMPARE(wire::kindOf(values[0].value), wire::Kind::Record);
        const json::Value& rec = wire::toRecord(values[0].value);
        QCOMPARE(rec.find(u"type")->toString(), QStringLiteral("baglantiu.TSonucBilgisi"));
        const json::Object& fields = rec.find(u"fields")->toObject();
        QCOMPARE(fields.size(), TSonucBilgisi::fieldTable().size());
        for (size_t i = 0; i < fields.size(); ++i)
            QCOMPARE(fields[i].key, QString::fromUtf16(TSonucBilgisi::fieldTable()[i].jsonName));
        QCOMPARE(rec.find(u"fields")->find(u"FSirano")->toInt(), 1);
    }

    void versionFollowsTheSetting()
    {
        m_server->database().setSetting(QStringLiteral("client_version"), QStringLiteral("14"));
        const int registered = login(dispatcher(), kDealerMachine).Version();
        const int unknown = login(dispatcher(), QStringLiteral("YOK")).Version();
        m_server->database().setSetting(QStringLiteral("client_version"), QStringLiteral("bozuk"));
        const int broken = login(dispatcher(), kDealerMachine).Version();
        m_server->database().setSetting(QStringLiteral("client_version"), QStringLiteral("13"));
        QCOMPARE(registered, 14);
        QCOMPARE(unknown, 14);
        QCOMPARE(broken, 13); // a setting that is not a version falls back to the current one
    }

    void aClosedCustomerAccountCannotLogIn()
    {
        QSqlDatabase db = serverDb();
        exec(db, QStringLiteral("UPDATE cariler SET AKTIF = 0 WHERE CARINO = ?"), {kDemoDealerCustomer});
        const TSonucBilgisi r = login(dispatcher(), kDealerMachine);
        exec(db, QStringLiteral("UPDATE cariler SET AKTIF = 1 WHERE CARINO = ?"), {kDemoDealerCustomer});
        QVERIFY(r.Varmi());
        QCOMPARE(r.AKTIF(), 0);
        QCOMPARE(login(dispatcher(), kDealerMachine).AKTIF(), 1);
    }

    // ---- MobilCariBilgisiGetir ----------------------------------------------------------------

    void customerDetailsOfAMachine_data()
    {
        QTest::addColumn<QString>("machine");
        QTest::addColumn<int>("sirano");
        QTest::addColumn<int>("expected"); // 0: no record

        QTest::newRow("dealer, own customer") << kDealerMachine << 0 << kDemoDealerCustomer;
        QTest::newRow("dealer, own number") << kDealerMachine << kDemoDealerCustomer << kDemoDealerCustomer;
        QTest::newRow("dealer, someone else's") << kDealerMachine << 1002 << 0;
        QTest::newRow("representative has no own customer") << kDemoRepMachine << 0 << 0;
        QTest::newRow("representative, a customer of theirs") << kDemoRepMachine << 1002 << 1002;
        QTest::newRow("representative, another representative's") << kDemoRepMachine << 1003 << 0;
        QTest::newRow("manager, any customer") << kDemoManagerMachine << 1003 << 1003;
        QTest::newRow("manager, no such customer") << kDemoManagerMachine << 99999 << 0;
        QTest::newRow("negative number") << kDemoManagerMachine << -1 << 0;
        QTest::newRow("unknown machine") << QStringLiteral("YOK") << 0 << 0;
        QTest::newRow("unknown machine asking a number") << QStringLiteral("YOK") << kDemoDealerCustomer << 0;
    }
    void customerDetailsOfAMachine()
    {
        QFETCH(QString, machine);
        QFETCH(int, sirano);
        QFETCH(int, expected);
        const std::optional<TMobilCariBilgisi> c = customerOf(dispatcher(), sirano, machine);
        QCOMPARE(c.has_value(), expected != 0);
        if (c) {
            QCOMPARE(c->CARINO(), expected);
            QCOMPARE(c->BILGISAYARID(), machine);
        }
    }

    void customerDetailsCarryEveryField()
    {
        const std::optional<TMobilCariBilgisi> c = customerOf(dispatcher(), 0, kDealerMachine);
        QVERIFY(c);
        QCOMPARE(c->CARIADI(), QStringLiteral("ÖZ KARDEŞLER OTO YEDEK PARÇA LTD. ŞTİ."));
        QCOMPARE(c->CARIKOD(), QStringLiteral("120.01.001"));
        QCOMPARE(c->ADRES1(), QStringLiteral("Sanayi Mah. Çınar Sok. No: 12"));
        QCOMPARE(c->ADRES2(), QStringLiteral("Oto Sanayi Sitesi 3. Blok"));
        QCOMPARE(c->ILCE(), QStringLiteral("Bağcılar"));
        QCOMPARE(c->SEHIR(), QStringLiteral("İstanbul"));
        QCOMPARE(c->ULKE(), QStringLiteral("TÜRKİYE"));
        QCOMPARE(c->TEL1(), QStringLiteral("0212 555 01 01"));
        QCOMPARE(c->FAX1(), QStringLiteral("0212 555 01 02"));
        QCOMPARE(c->GSM(), QStringLiteral("0532 555 01 03"));
        QCOMPARE(c->VERGIDAIRESI(), QStringLiteral("Bağcılar"));
        QCOMPARE(c->VERGINO(), QStringLiteral("6480012345"));
        QCOMPARE(c->YETKILI(), QStringLiteral("Hüseyin Öz"));
        QCOMPARE(c->EMAIL(), QStringLiteral("bilgi@ozkardesler.example"));
        QCOMPARE(c->OzelKod(), QStringLiteral("BAYİ"));
        QCOMPARE(c->AnaGrup(), QStringLiteral("MARMARA"));
        QCOMPARE(c->AltGrup(), QStringLiteral("A GRUBU"));
        QCOMPARE(c->SATICIADI(), QStringLiteral("AHMET YILMAZ"));
        QCOMPARE(c->SATICITELEFON(), QStringLiteral("0532 410 12 34"));
        QCOMPARE(c->SATICIMAIL(), QStringLiteral("ahmet.yilmaz@velun.example"));
        // What the mail forms send back as the sender's login data.
        QCOMPARE(c->KULLANICIADI(), kDemoDealerUser);
        QCOMPARE(c->SIFRE(), kDemoDealerPassword);
        QCOMPARE(c->MAIL(), QStringLiteral("siparis@ozkardesler.example"));
        const double debit = scalar(serverDb(), QStringLiteral("SELECT SUM(BORC) FROM cari_hareketler WHERE CARINO = ?"), {kDemoDealerCustomer}).toDouble();
        const double credit = scalar(serverDb(), QStringLiteral("SELECT SUM(ALACAK) FROM cari_hareketler WHERE CARINO = ?"), {kDemoDealerCustomer}).toDouble();
        QVERIFY(debit > 0 && credit > 0);
        QCOMPARE(c->TLBORC(), debit);
        QCOMPARE(c->TLALACAK(), credit);
        QCOMPARE(c->TLBAKIYE(), debit - credit);
    }

    // ---- MailGonserCari, MailGonserCariNormal -------------------------------------------------

    void mailsKeepEveryField_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<int>("texts");
        QTest::addColumn<QString>("machine");
        QTest::addColumn<QVariant>("user");
        QTest::addColumn<QString>("recipient");

        QTest::newRow("new-user request from an unknown machine")
            << QStringLiteral("MailGonserCari") << 16 << QStringLiteral("YENİ-MAKİNE-42") << QVariant() << QStringLiteral("b2b@velun.example");
        QTest::newRow("password-change request") << QStringLiteral("MailGonserCari") << 16 << kDealerMachine << QVariant(1)
                                                 << QStringLiteral("b2b@velun.example");
        QTest::newRow("mail to the representative") << QStringLiteral("MailGonserCariNormal") << 17 << kDealerMachine
                                                     << QVariant(1) << QStringLiteral("ahmet.yilmaz@velun.example");
    }
    void mailsKeepEveryField()
    {
        QFETCH(QString, method);
        QFETCH(int, texts);
        QFETCH(QString, machine);
        QFETCH(QVariant, user);
        QFETCH(QString, recipient);
        m_server->database().setSetting(QStringLiteral("distributor_mail"), QStringLiteral("b2b@velun.example"));

        const QStringList sent = mailTexts(machine, texts);
        const int before = scalar(serverDb(), QStringLiteral("SELECT COALESCE(MAX(SIRANO), 0) FROM giden_mailler")).toInt();
        for (int round = 0; round < 2; ++round) { // sending twice sends two requests
            const std::vector<wire::OrdinalValue> values = call(dispatcher(), method, textParams(sent));
            QCOMPARE(wire::toInt32(resultOf(values, texts)), 1);
        }
        QSqlDatabase db = serverDb();
        QSqlQuery q = exec(db, QStringLiteral("SELECT YONTEM, KULLANICI, ALICI, DURUM, TARIH, %1 FROM giden_mailler "
                                                      "WHERE SIRANO > ? ORDER BY SIRANO")
                                           .arg(kMailColumns.join(QStringLiteral(", "))),
                           {before});
        int rows = 0;
        while (q.next()) {
            ++rows;
            QCOMPARE(q.value(0).toString(), method);
            QCOMPARE(q.value(1).isNull(), user.isNull());
            if (!user.isNull())
                QCOMPARE(q.value(1).toInt(), user.toInt());
            QCOMPARE(q.value(2).toString(), recipient);
            QCOMPARE(q.value(3).toInt(), 0); // waiting for delivery
            QVERIFY(!q.value(4).toString().isEmpty());
            for (int i = 0; i < texts; ++i) {
                QCOMPARE(q.value(5 + i).isNull(), false);
                QCOMPARE(q.value(5 + i).toString(), sent[i].isNull() ? QStringLiteral("") : sent[i]);
            }
            if (texts == 16)
                QVERIFY(q.value(5 + 16).isNull()); // a request has no message
        }
        QCOMPARE(rows, 2);
    }

    void oversizedMailFieldsAreRefused_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("characters"); // of "ş", two bytes each in UTF-8
        QTest::addColumn<bool>("accepted");
        QTest::newRow("64 KiB exactly") << QStringLiteral("MailGonserCari") << 2 << 32768 << true;
        QTest::newRow("one byte more") << QStringLiteral("MailGonserCari") << 2 << 32769 << false;
        QTest::newRow("long message") << QStringLiteral("MailGonserCariNormal") << 16 << 40000 << false;
        QTest::newRow("long machine id") << QStringLiteral("MailGonserCariNormal") << 0 << 40000 << false;
    }
    void oversizedMailFieldsAreRefused()
    {
        QFETCH(QString, method);
        QFETCH(int, field);
        QFETCH(int, characters);
        QFETCH(bool, accepted);
        QStringList texts = mailTexts(kDealerMachine, method == u"MailGonserCari" ? 16 : 17);
        texts[field] = QString(characters, QChar(u'ş'));
        const int before = scalar(serverDb(), QStringLiteral("SELECT COUNT(*) FROM giden_mailler")).toInt();
        try {
            call(dispatcher(), method, textParams(texts));
            QVERIFY(accepted);
        } catch (const ServerError& e) {
            QVERIFY2(!accepted, qPrintable(e.message()));
            QCOMPARE(e.className(), QStringLiteral("EVelunError"));
            QVERIFY(e.message().contains(QStringLiteral("64 KiB")));
        }
        QCOMPARE(scalar(serverDb(), QStringLiteral("SELECT COUNT(*) FROM giden_mailler")).toInt(), before + (accepted ? 1 : 0));
    }

    // ---- catalogue import ---------------------------------------------------------------------

    void importsAGoodCatalogue()
    {
        ScratchStore store(demoOptions(20));
        QSqlDatabase db = store.db();
        const QString existing = scalar(db, QStringLiteral("SELECT BARKOD FROM stoklar WHERE STOKNO = 3")).toString();
        const QByteArray csv = QByteArrayLiteral("\xEF\xBB\xBF") +
                               QStringLiteral(
                                   "barkod;ADI;Fiyat;MARKA;OEM1;OEM2;ISTANBUL;ANTEP_YOLDA;KDV;KAMPANYALI;DIGERADI\r\n"
                                   "8690000999991;\"ŞANZIMAN YAĞI 75W-90; 1 LT\";249,90;ÖZGÜÇ;1A2 345 678;9Z8 765 432;12;4;20;0;\"Dişli \"\"yağı\"\"\"\r\n"
                                   "8690000999992;\"FAR AMPULÜ\nH4 12V\";45.5;ÇINAR;;;0;10;;1;\r\n"
                                   "\r\n"
                                   "%1;;1234.5;;7K7 777 777;;;;;;\r\n")
                                   .arg(existing)
                                   .toUtf8();
        const CatalogueImportResult r = importCatalogue(*store.database, csv);
        QCOMPARE(r.added, 2);
        QCOMPARE(r.updated, 1);

        QSqlQuery first = exec(db, QStringLiteral("SELECT STOKNO, ADI, FIYAT, MARKA, DIGERADI, BIRIM, KDV FROM stoklar WHERE BARKOD = '8690000999991'"));
        QVERIFY(first.next());
        const int stockNo = first.value(0).toInt();
        QCOMPARE(first.value(1).toString(), QStringLiteral("ŞANZIMAN YAĞI 75W-90; 1 LT"));
        QCOMPARE(first.value(2).toDouble(), 249.90);
        QCOMPARE(first.value(3).toString(), QStringLiteral("ÖZGÜÇ"));
        QCOMPARE(first.value(4).toString(), QStringLiteral("Dişli \"yağı\""));
        QCOMPARE(first.value(5).toString(), QStringLiteral("ADET"));
        QCOMPARE(scalar(db, QStringLiteral("SELECT group_concat(OEMNO, '|') FROM (SELECT OEMNO FROM stok_oem WHERE STOKNO = ? ORDER BY SIRA)"), {stockNo}).toString(),
                 QStringLiteral("1A2 345 678|9Z8 765 432"));
        QCOMPARE(scalar(db, QStringLiteral("SELECT MIKTAR FROM stok_depo WHERE STOKNO = ? AND DEPONO = 1"), {stockNo}).toDouble(), 12.0);
        QCOMPARE(scalar(db, QStringLiteral("SELECT YOLDA FROM stok_depo WHERE STOKNO = ? AND DEPONO = 2"), {stockNo}).toDouble(), 4.0);
        QCOMPARE(scalar(db, QStringLiteral("SELECT ADI FROM stoklar WHERE BARKOD = '8690000999992'")).toString(),
                 QStringLiteral("FAR AMPULÜ\nH4 12V"));
        QCOMPARE(scalar(db, QStringLiteral("SELECT DURUM FROM stok_durum s JOIN stoklar t ON t.STOKNO = s.STOKNO WHERE t.BARKOD = '8690000999992'")).toInt(), 3);

        // The update changed only what the row gave.
        QSqlQuery updated = exec(db, QStringLiteral("SELECT FIYAT, ADI FROM stoklar WHERE STOKNO = 3"));
        QVERIFY(updated.next());
        QCOMPARE(updated.value(0).toDouble(), 1234.5);
        QVERIFY(!updated.value(1).toString().isEmpty());
        QCOMPARE(scalar(db, QStringLiteral("SELECT group_concat(OEMNO) FROM stok_oem WHERE STOKNO = 3")).toString(), QStringLiteral("7K7 777 777"));
    }

    void refusesABadCatalogueWhole_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("message");

        const QByteArray good = QByteArrayLiteral("BARKOD,ADI,FIYAT\n8690000888881,YAĞ FİLTRESİ,99.9\n");
        QTest::newRow("not a number") << good + "8690000888882,HAVA FİLTRESİ,on iki\n" << QStringLiteral("Satır 3: FIYAT sayı olmalı");
        QTest::newRow("thousands separator") << good + "8690000888882,HAVA FİLTRESİ,\"1.234,50\"\n" << QStringLiteral("Satır 3: FIYAT sayı olmalı");
        QTest::newRow("too few fields") << good + "8690000888882,HAVA FİLTRESİ\n" << QStringLiteral("Satır 3: 3 alan bekleniyordu, 2 alan var");
        QTest::newRow("out of range") << QByteArrayLiteral("BARKOD,ADI,FIYAT,KDV\n8690000888881,A,1,20\n8690000888882,B,1,150\n")
                                      << QStringLiteral("Satır 3: KDV 0 ile 100 arasında olmalı");
        QTest::newRow("flag not 0 or 1") << QByteArrayLiteral("BARKOD,ADI,FIYAT,YENI\n8690000888881,A,1,2\n") << QStringLiteral("Satır 2: YENI");
        QTest::newRow("unknown column") << QByteArrayLiteral("BARKOD,ADI,FIYAT,RENGI\n1,A,1,KIRMIZI\n") << QStringLiteral("Satır 1: bilinmeyen sütun: \"RENGI\"");
        QTest::newRow("repeated column") << QByteArrayLiteral("BARKOD,ADI,adi\n1,A,B\n") << QStringLiteral("Satır 1: sütun iki kez var: ADI");
        QTest::newRow("no key column") << QByteArrayLiteral("ADI,FIYAT\nA,1\n") << QStringLiteral("Satır 1: BARKOD sütunu zorunlu");
        QTest::newRow("empty key") << good + ",HAVA FİLTRESİ,5\n" << QStringLiteral("Satır 3: BARKOD boş olamaz");
        QTest::newRow("key twice") << good + "8690000888881,AYNI,5\n" << QStringLiteral("Satır 3: BARKOD 8690000888881 2. satırda da var");
        QTest::newRow("new item without price") << good + "8690000888882,HAVA FİLTRESİ,\n" << QStringLiteral("Satır 3: yeni stok için FIYAT boş olamaz");
        QTest::newRow("unterminated quote") << good + "\n8690000888882,\"HAVA FİLTRESİ,5\n" << QStringLiteral("Satır 4: kapanmamış tırnak");
        QTest::newRow("text after a quote") << good + "8690000888882,\"HAVA\" FİLTRESİ,5\n" << QStringLiteral("Satır 3: kapanan tırnaktan sonra");
        QTest::newRow("invalid UTF-8") << good + "8690000888882,HAVA F\xDDLTRES\xDD,5\n" << QStringLiteral("Satır 3: geçersiz UTF-8");
        QTest::newRow("quoted line break counts lines") << QByteArrayLiteral("BARKOD,ADI,FIYAT\n1,\"İKİ\nSATIR\",5\n2,B,x\n")
                                                        << QStringLiteral("Satır 4: FIYAT sayı olmalı");
        QTest::newRow("empty file") << QByteArray() << QStringLiteral("Satır 1: başlık satırı yok");
    }
    void refusesABadCatalogueWhole()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QString, message);
        ScratchStore store(demoOptions(20));
        const QByteArray items = tableChecksum(store.db(), QStringLiteral("stoklar"));
        const QByteArray oems = tableChecksum(store.db(), QStringLiteral("stok_oem"));
        try {
            importCatalogue(*store.database, csv);
            QFAIL("the file was accepted");
        } catch (const CatalogueImportError& e) {
            QVERIFY2(e.message().startsWith(message), qPrintable(e.message()));
        }
        QCOMPARE(tableChecksum(store.db(), QStringLiteral("stoklar")), items);
        QCOMPARE(tableChecksum(store.db(), QStringLiteral("stok_oem")), oems);
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
