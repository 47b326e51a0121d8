// The catalogue methods of the reference server, called through the client proxy on a loopback port:
// the search (folding of codes, every word must match, exact code hits first, bounded size, hostile
// texts), per-customer prices, stock states and flags, pictures, the new-item and campaign lists, the
// overdue-debt sentence, and the search index following catalogue changes.
#include "appserver/catalogueimport.h"
#include "appserver/database.h"
#include "appserver/demodata.h"
#include "server/baglantiu.h"
#include "server/connection.h"
#include "server/connectwithretry.h"
#include "server/resultvalues.h"
#include "server/servermethods1client.h"
#include "tests/support/testserver.h"

#include <QCryptographicHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

#include <memory>

using namespace velun;
using namespace velun::appserver;

namespace {

const QString kDealerMachine = QStringLiteral("TEST-MACHINE-0001");

// Items of known texts, numbered apart from the demo catalogue.
constexpr int kPart = 900001;        // a brake pad with codes written in many ways
constexpr int kCampaignPart = 900002; // a campaign item without any stock
constexpr int kDiscountPart = 900003; // an item whose own discount beats the customer's

QVariant scalar(QSqlDatabase db, const QString& sql, const QVariantList& binds = {})
{
    QSqlQuery q = exec(db, sql, binds);
    return q.next() ? q.value(0) : QVariant();
}

// Every row of every table (the index's own tables too); equal digests mean an unchanged store.
QByteArray storeDigest(QSqlDatabase db)
{
    QStringList tables;
    QSqlQuery names = exec(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                              "AND name NOT LIKE 'sqlite_%' ORDER BY name"));
    while (names.next())
        tables << names.value(0).toString();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString& t : tables) {
        if (t == QStringLiteral("stok_arama"))
            continue; // a virtual table: its shadow tables are read instead
        QSqlQuery q = exec(db, QStringLiteral("SELECT * FROM \"%1\"").arg(t));
        hash.addData(t.toUtf8());
        while (q.next())
            for (int i = 0; i < q.record().count(); ++i)
                hash.addData(QByteArray(q.value(i).toString().toUtf8() + q.value(i).toByteArray().toHex() + '|'));
    }
    return hash.result().toHex();
}

int column(const TableReader& r, const char16_t* name)
{
    for (int i = 0; i < r.columnCount(); ++i)
        if (r.columnName(i) == QString::fromUtf16(name))
            return i;
    return -1;
}

// The rows of a reader as maps from column name to value.
QList<QVariantMap> rowsOf(TableReader reader)
{
    QList<QVariantMap> rows;
    while (reader.next()) {
        QVariantMap m;
        for (int i = 0; i < reader.columnCount(); ++i)
            m.insert(reader.columnName(i), reader.value(i));
        rows.append(m);
    }
    return rows;
}

QList<int> stockNumbers(const QList<QVariantMap>& rows)
{
    QList<int> out;
    for (const QVariantMap& r : rows)
        out.append(r.value(QStringLiteral("STOK_STOKNO")).toInt());
    return out;
}

const QVariantMap* rowOf(const QList<QVariantMap>& rows, int stockNo)
{
    for (const QVariantMap& r : rows)
        if (r.value(QStringLiteral("STOK_STOKNO")).toInt() == stockNo)
            return &r;
    return nullptr;
}

} // namespace

class TstCatalogueServer : public QObject
{
    Q_OBJECT

    std::unique_ptr<test::TestServer> m_server;
    std::unique_ptr<ServerConnection> m_connection;
    std::unique_ptr<TServerMethods1Client> m_proxy;
    TSonucBilgisi m_dealer;

    QSqlDatabase db() { return m_server->database().connection(); }
    TServerMethods1Client& proxy() { return *m_proxy; }

    QList<QVariantMap> search(const QString& text, const TSonucBilgisi& who)
    {
        return rowsOf(proxy().VelunStokAra(text, who));
    }
    QList<QVariantMap> search(const QString& text) { return search(text, m_dealer); }

    TSonucBilgisi loginOf(const QString& machine)
    {
        const std::optional<TSonucBilgisi> r = proxy().BuyukGetir(machine);
        if (!r || !r->Varmi())
            qFatal("no login record for the machine");
        return *r;
    }

    void addItem(int stockNo, const QVariantMap& fields, const QStringList& oems = {})
    {
        QSqlDatabase c = db();
        QStringList names{QStringLiteral("STOKNO")};
        QVariantList values{stockNo};
        for (auto it = fields.begin(); it != fields.end(); ++it) {
            names << it.key();
            values << it.value();
        }
        exec(c, QStringLiteral("INSERT INTO stoklar(%1) VALUES(%2)")
                    .arg(names.join(u','), QStringList(names.size(), QStringLiteral("?")).join(u',')),
             values);
        for (int i = 0; i < oems.size(); ++i)
            exec(c, QStringLiteral("INSERT INTO stok_oem(STOKNO, SIRA, OEMNO) VALUES(?, ?, ?)"), {stockNo, i + 1, oems[i]});
    }

private slots:
    void initTestCase()
    {
        test::TestServerOptions options;
        options.demoItems = 1200; // more than one bounded result of a common fragment
        m_server = std::make_unique<test::TestServer>(options);
        m_connection = std::make_unique<ServerConnection>();
        m_connection->Params.setValue(connparam::HostName, m_server->host());
        m_connection->Params.setValue(connparam::Port, QString::number(m_server->port()));
        QVERIFY(ConnectWithRetry(*m_connection, 1));
        m_proxy = std::make_unique<TServerMethods1Client>(m_connection->dbxConnection());
        m_dealer = loginOf(kDealerMachine);
        QCOMPARE(m_dealer.CARINO(), kDemoDealerCustomer);

        addItem(kPart, {{QStringLiteral("BARKOD"), QStringLiteral("TST0001")},
                        {QStringLiteral("FINISHKOD"), QStringLiteral("BSH.FR.0042")},
                        {QStringLiteral("PKOD"), QStringLiteral("0 986 494 ABC")},
                        {QStringLiteral("URETICIKODU"), QStringLiteral("ÇİĞ-42/ş")},
                        {QStringLiteral("ADI"), QStringLiteral("Fren Balatası Ön")},
                        {QStringLiteral("DIGERADI"), QStringLiteral("Disk Pabucu")},
                        {QStringLiteral("MARKA"), QStringLiteral("Işıklar")},
                        {QStringLiteral("MODEL"), QStringLiteral("Doblo 1.3 (2010-2015)")},
                        {QStringLiteral("OZELKOD"), QStringLiteral("FİAT")},
                        {QStringLiteral("FIYAT"), 19.99},
                        {QStringLiteral("KDV"), 20.0}},
                {QStringLiteral("7701-208.265"), QStringLiteral("55 19 12 34")});
        addItem(kCampaignPart, {{QStringLiteral("BARKOD"), QStringLiteral("TST0002")},
                                {QStringLiteral("ADI"), QStringLiteral("Kampanya Silecek Süpürgesi")},
                                {QStringLiteral("FIYAT"), 100.0},
                                {QStringLiteral("KAMPANYALI"), 1},
                                {QStringLiteral("KAMPFIYAT"), 80.0}});
        addItem(kDiscountPart, {{QStringLiteral("BARKOD"), QStringLiteral("TST0003")},
                                {QStringLiteral("ADI"), QStringLiteral("Indirimli Yağ Filtresi")},
                                {QStringLiteral("FIYAT"), 200.0},
                                {QStringLiteral("ISK1"), 15.0}});
        // An open backorder of the brake pad, for the representatives' ALINANSIPARIS.
        QSqlDatabase c = db();
        exec(c, QStringLiteral("INSERT INTO siparisler(IDNO, CARINO, TARIH) VALUES(990001, 1001, '2025-06-01')"));
        exec(c, QStringLiteral("INSERT INTO siparis_satirlari(IDNO, STOKNO, MIKTAR, KALAN, VERILISTARIHI) "
                               "VALUES(990001, ?, 10, 7, '2025-06-01')"),
             {kPart});
    }

    void cleanupTestCase()
    {
        m_proxy.reset();
        m_connection.reset();
        m_server.reset();
    }

    // Every spelling of a code finds the part; every word must match some field.
    void searchFoldsCodesAndWords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("found");
        QTest::addColumn<bool>("first"); // an exact code hit leads the list
        QTest::newRow("code with blanks") << QStringLiteral("0 986 494 ABC") << true << true;
        QTest::newRow("code with dashes, lower case") << QStringLiteral("0986-494-abc") << true << true;
        QTest::newRow("code run together") << QStringLiteral("0986494ABC") << true << true;
        QTest::newRow("code with dots and slashes") << QStringLiteral("0986.494/abc") << true << true;
        QTest::newRow("blanks around") << QStringLiteral("   0986494abc  ") << true << true;
        QTest::newRow("code fragment") << QStringLiteral("986494") << true << false;
        QTest::newRow("finish code") << QStringLiteral("bsh-fr-0042") << true << true;
        QTest::newRow("OEM with dashes and dots") << QStringLiteral("7701208265") << true << true;
        QTest::newRow("second OEM spaced differently") << QStringLiteral("5519-1234") << true << true;
        QTest::newRow("producer code, Turkish letters folded") << QStringLiteral("CIG42S") << true << true;
        QTest::newRow("producer code as stored") << QStringLiteral("çiğ-42/Ş") << true << true;
        QTest::newRow("name words, Turkish lower case") << QStringLiteral("balatası fiat") << true << false;
        QTest::newRow("name words, dotted capital I") << QStringLiteral("BALATASI FİAT") << true << false;
        QTest::newRow("brand with dotless i") << QStringLiteral("ışıklar") << true << false;
        QTest::newRow("brand as the client types it") << QStringLiteral("ISIKLAR") << true << false;
        QTest::newRow("other name and model") << QStringLiteral("pabucu doblo") << true << false;
        QTest::newRow("model year") << QStringLiteral("DOBLO 2010") << true << false;
        QTest::newRow("short word checked on the long word's hits") << QStringLiteral("ön balata") << true << false;
        QTest::newRow("short word that does not occur") << QStringLiteral("QZ balata") << false << false;
        QTest::newRow("one word misses") << QStringLiteral("fren xyzzyq") << false << false;
        QTest::newRow("no match across two fields") << QStringLiteral("ABCBSH") << false << false;
        QTest::newRow("short words only: code prefix") << QStringLiteral("TS 01") << true << false;
    }

    void searchFoldsCodesAndWords()
    {
        QFETCH(QString, text);
        QFETCH(bool, found);
        QFETCH(bool, first);
        const QList<QVariantMap> rows = search(text);
        QCOMPARE(rowOf(rows, kPart) != nullptr, found);
        if (first)
            QCOMPARE(stockNumbers(rows).value(0), kPart);
    }

    // Exact hits first, then by stock number, never more than 500 rows.
    void resultIsOrderedAndBounded()
    {
        // Every demo barcode starts with 869; the demo catalogue has more items than one result holds.
        const QList<int> all = stockNumbers(search(QStringLiteral("869")));
        QCOMPARE(all.size(), 500);
        QVERIFY(std::is_sorted(all.begin(), all.end()));
        QCOMPARE(all.first(), 1);

        // A full barcode finds its item first.
        const QString barcode = scalar(db(), QStringLiteral("SELECT BARKOD FROM stoklar WHERE STOKNO = 700")).toString();
        const QList<int> exact = stockNumbers(search(barcode));
        QCOMPARE(exact.value(0), 700);

        // A code fragment: the item whose code equals it comes before items that merely contain it.
        addItem(900010, {{QStringLiteral("BARKOD"), QStringLiteral("ORD-1")}, {QStringLiteral("ADI"), QStringLiteral("Sıra Deneme")},
                         {QStringLiteral("URETICIKODU"), QStringLiteral("XQW77 EK")}});
        addItem(900011, {{QStringLiteral("BARKOD"), QStringLiteral("ORD-2")}, {QStringLiteral("ADI"), QStringLiteral("Sıra Deneme")},
                         {QStringLiteral("URETICIKODU"), QStringLiteral("XQW77")}});
        QCOMPARE(stockNumbers(search(QStringLiteral("xqw77"))), (QList<int>{900011, 900010}));
        QCOMPARE(stockNumbers(search(QStringLiteral("SIRA DENEME"))), (QList<int>{900010, 900011}));
        // The same text gives the same rows in the same order.
        QCOMPARE(stockNumbers(search(QStringLiteral("869"))), all);
    }

    // Texts the index cannot use give rows or an empty table with every column, never an error, and never
    // change the store.
    void unusableTextsAreHarmless_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("punctuation only") << QStringLiteral("!!! ... --- ///");
        QTest::newRow("double quote") << QStringLiteral("\"");
        QTest::newRow("unbalanced quotes") << QStringLiteral("fren\" balata");
        QTest::newRow("star") << QStringLiteral("*");
        QTest::newRow("prefix star") << QStringLiteral("fre*");
        QTest::newRow("NEAR group") << QStringLiteral("NEAR(fren balata");
        QTest::newRow("column filter") << QStringLiteral("METIN:fren");
        QTest::newRow("boolean operators") << QStringLiteral("fren OR NOT AND");
        QTest::newRow("caret and braces") << QStringLiteral("^fren {METIN}");
        QTest::newRow("SQL comment injection") << QStringLiteral("' OR 1=1 --");
        QTest::newRow("statement injection") << QStringLiteral("'; DROP TABLE stoklar; --");
        QTest::newRow("500 letters") << QString(500, u'A');
        QTest::newRow("500 mixed characters") << QStringLiteral("Çğ\"*(-) ").repeated(63).left(500);
        QTest::newRow("many short words") << QStringLiteral("a1 ").repeated(166);
        QTest::newRow("tabs and line breaks") << QStringLiteral("\t\n\r ");
        QTest::newRow("empty") << QString();
        QTest::newRow("control characters") << QString(QChar(0)) + QStringLiteral("fren") + QChar(27);
    }

    void unusableTextsAreHarmless()
    {
        QFETCH(QString, text);
        const QByteArray before = storeDigest(db());
        const TableReader reader = proxy().VelunStokAra(text, m_dealer);
        QVERIFY(column(reader, u"STOK_STOKNO") >= 0);
        QVERIFY(column(reader, u"KDVDAHIL") >= 0);
        QVERIFY(reader.rowCount() <= 500);
        QCOMPARE(storeDigest(db()), before);
        // The connection still serves an ordinary search afterwards.
        QVERIFY(rowOf(search(QStringLiteral("0986494ABC")), kPart));
    }

    // List price, the customer's discount (or the item's, when better), net and VAT-inclusive, campaign price.
    void pricesForTheCustomerOfTheLogin_data()
    {
        QTest::addColumn<QString>("machine");
        QTest::addColumn<int>("customer"); // 0: as logged in
        QTest::addColumn<int>("stockNo");
        QTest::addColumn<double>("discount");
        QTest::addColumn<double>("net");
        QTest::addColumn<double>("withVat");
        QTest::addColumn<int>("campaign");
        // Customer 1001 has 10 %: 19.99 − 1.999 = 17.99; VAT 3.598 → 3.60; 21.59.
        QTest::newRow("dealer, customer discount") << kDealerMachine << 0 << kPart << 10.0 << 17.99 << 21.59 << 0;
        QTest::newRow("dealer, item's own discount is better") << kDealerMachine << 0 << kDiscountPart << 15.0 << 170.0 << 204.0 << 0;
        QTest::newRow("dealer, campaign price is net") << kDealerMachine << 0 << kCampaignPart << 0.0 << 80.0 << 96.0 << 1;
        // Customer 1002 has 5 %: 19.99 − 0.9995 = 18.99; VAT 3.798 → 3.80; 22.79.
        QTest::newRow("representative chose customer 1002") << kDemoRepMachine << 1002 << kPart << 5.0 << 18.99 << 22.79 << 0;
        QTest::newRow("representative without a customer: list price") << kDemoRepMachine << -1 << kPart << 0.0 << 19.99 << 23.99 << 0;
    }

    void pricesForTheCustomerOfTheLogin()
    {
        QFETCH(QString, machine);
        QFETCH(int, customer);
        QFETCH(int, stockNo);
        QFETCH(double, discount);
        QFETCH(double, net);
        QFETCH(double, withVat);
        QFETCH(int, campaign);
        TSonucBilgisi who = loginOf(machine);
        if (customer != 0)
            who.setCARINO(customer < 0 ? 0 : customer);
        const QString barcode = scalar(db(), QStringLiteral("SELECT BARKOD FROM stoklar WHERE STOKNO = ?"), {stockNo}).toString();
        const QList<QVariantMap> rows = search(barcode, who);
        const QVariantMap* r = rowOf(rows, stockNo);
        QVERIFY(r);
        const double listPrice = scalar(db(), QStringLiteral("SELECT FIYAT FROM stoklar WHERE STOKNO = ?"), {stockNo}).toDouble();
        QCOMPARE(r->value(QStringLiteral("FIYAT")).toDouble(), listPrice);
        QCOMPARE(r->value(QStringLiteral("LISTEFIYAT1")).toDouble(), listPrice);
        QCOMPARE(r->value(QStringLiteral("INDIRIM")).toDouble(), discount);
        QCOMPARE(r->value(QStringLiteral("NETFIYAT")).toDouble(), net);
        QCOMPARE(r->value(QStringLiteral("KDVDAHIL")).toDouble(), withVat);
        QCOMPARE(r->value(QStringLiteral("K")).toInt(), campaign);
        QCOMPARE(r->value(QStringLiteral("KAMPFIYAT")).toDouble(), campaign ? net : 0.0);
    }

    // A login may only price customers it may see; an unknown machine gets nothing.
    void foreignCustomersGetNoRows_data()
    {
        QTest::addColumn<QString>("machine");
        QTest::addColumn<int>("customer");
        QTest::newRow("dealer claims another customer") << kDealerMachine << 1002;
        QTest::newRow("representative, customer of another representative") << kDemoRepMachine << 1003;
        QTest::newRow("unknown machine") << QStringLiteral("KAYITSIZ-MAKINE") << 1001;
    }

    void foreignCustomersGetNoRows()
    {
        QFETCH(QString, machine);
        QFETCH(int, customer);
        TSonucBilgisi who = m_dealer;
        who.setBILGISAYARID(machine);
        who.setCARINO(customer);
        const TableReader reader = proxy().VelunStokAra(QStringLiteral("0986494ABC"), who);
        QCOMPARE(reader.rowCount(), 0);
        QVERIFY(column(reader, u"NETFIYAT") >= 0);
    }

    // The first demo items hold one stock state each; the warehouses, flags and representatives' quantities.
    void stockStatesFlagsAndQuantities_data()
    {
        QTest::addColumn<int>("stockNo");
        QTest::addColumn<int>("istanbul");
        QTest::addColumn<int>("antep");
        QTest::addColumn<int>("overall");
        QTest::addColumn<double>("istanbulQty");
        QTest::addColumn<double>("antepQty");
        QTest::addColumn<double>("onTheWay");
        QTest::newRow("Var") << 1 << 1 << 1 << 1 << 40.0 << 12.0 << 0.0;
        QTest::newRow("Telefon Açınız in one, Yok in the other") << 2 << 2 << 0 << 2 << 2.0 << 0.0 << 0.0;
        QTest::newRow("Yolda") << 3 << 3 << 3 << 3 << 0.0 << 0.0 << 25.0;
        QTest::newRow("Özel Sipariş") << 4 << 4 << 4 << 4 << 0.0 << 0.0 << 0.0;
        QTest::newRow("Tedarik Sürecinde") << 5 << 5 << 5 << 5 << 0.0 << 0.0 << 0.0;
        QTest::newRow("Yok") << 6 << 0 << 0 << 0 << 0.0 << 0.0 << 0.0;
        QTest::newRow("no warehouse rows at all") << kPart << 0 << 0 << 0 << 0.0 << 0.0 << 0.0;
    }

    void stockStatesFlagsAndQuantities()
    {
        QFETCH(int, stockNo);
        QFETCH(int, istanbul);
        QFETCH(int, antep);
        QFETCH(int, overall);
        QFETCH(double, istanbulQty);
        QFETCH(double, antepQty);
        QFETCH(double, onTheWay);
        const QString barcode = scalar(db(), QStringLiteral("SELECT BARKOD FROM stoklar WHERE STOKNO = ?"), {stockNo}).toString();
        const QList<QVariantMap> rows = search(barcode);
        QVERIFY(!rows.isEmpty());
        const QVariantMap& r = rows.first();
        QCOMPARE(r.value(QStringLiteral("STOK_STOKNO")).toInt(), stockNo);
        QCOMPARE(r.value(QStringLiteral("ISTANBUL")).toInt(), istanbul);
        QCOMPARE(r.value(QStringLiteral("ANTEP")).toInt(), antep);
        QCOMPARE(r.value(QStringLiteral("DURUM")).toInt(), overall);
        QCOMPARE(r.value(QStringLiteral("ISTANBULADET")).toDouble(), istanbulQty);
        QCOMPARE(r.value(QStringLiteral("ANTEPADET")).toDouble(), antepQty);
        QCOMPARE(r.value(QStringLiteral("KALAN")).toDouble(), istanbulQty + antepQty);
        QCOMPARE(r.value(QStringLiteral("VERILENSIPARIS")).toDouble(), onTheWay);
        // Demo rules: pictures for numbers ending in 3; the new and campaign items of demodata.h.
        if (stockNo < kPart) {
            QCOMPARE(r.value(QStringLiteral("RESIM")).toInt(), stockNo % 10 == 3 ? 1 : 0);
            QCOMPARE(r.value(QStringLiteral("Y")).toInt(), isDemoNewItem(stockNo) ? 1 : 0);
            QCOMPARE(r.value(QStringLiteral("K")).toInt(), isDemoCampaignItem(stockNo) ? 1 : 0);
        } else {
            QCOMPARE(r.value(QStringLiteral("ALINANSIPARIS")).toDouble(), 7.0);
            QCOMPARE(r.value(QStringLiteral("OEM1")).toString(), QStringLiteral("7701-208.265"));
            QCOMPARE(r.value(QStringLiteral("OEM2")).toString(), QStringLiteral("55 19 12 34"));
            QCOMPARE(r.value(QStringLiteral("OEM3")).toString(), QString());
            QCOMPARE(r.value(QStringLiteral("MARKA")).toString(), QStringLiteral("Işıklar"));
        }
    }

    void everyColumnTheListsReadIsThere()
    {
        const TableReader stock = proxy().VelunStokAra(QStringLiteral("0986494ABC"), m_dealer);
        const TableReader campaign = proxy().KampanyaliVer(kDemoDealerCustomer, 3);
        for (const char16_t* name : {u"STOK_STOKNO", u"BARKOD", u"ADI", u"MARKA", u"FINISHKOD", u"MODEL", u"KDV", u"FIYAT",
                                     u"INDIRIM", u"NETFIYAT", u"KDVDAHIL", u"LISTEFIYAT1", u"KAMPFIYAT", u"K", u"Y",
                                     u"RESIM", u"DURUM", u"ISTANBUL", u"ANTEP", u"DPKOD", u"PKOD", u"OEMNO", u"OEM1",
                                     u"OEM2", u"OEM3", u"OEM4", u"URETICIKODU", u"BARKOD_BARKODNO", u"DIGERADI", u"BIRIM",
                                     u"ANAGRUP", u"OZELKOD", u"KALAN", u"ANTEPADET", u"ISTANBULADET", u"ALINANSIPARIS",
                                     u"VERILENSIPARIS"}) {
            QVERIFY2(column(stock, name) >= 0, qPrintable(QString::fromUtf16(name)));
            QVERIFY2(column(campaign, name) >= 0, qPrintable(QString::fromUtf16(name)));
        }
        QVERIFY(column(campaign, u"ESKIFIYAT") >= 0);
        QCOMPARE(stock.columnType(column(stock, u"STOK_STOKNO")), FieldType::Int32);
        QCOMPARE(stock.columnType(column(stock, u"KDVDAHIL")), FieldType::Double);
        QCOMPARE(stock.columnType(column(stock, u"K")), FieldType::Int32);
    }

    void pictureOrNothing_data()
    {
        QTest::addColumn<int>("stockNo");
        QTest::addColumn<bool>("hasPicture");
        QTest::newRow("item with a picture") << 3 << true;
        QTest::newRow("item without") << 1 << false;
        QTest::newRow("unknown item") << 123456789 << false;
        QTest::newRow("negative number") << -4 << false;
    }

    void pictureOrNothing()
    {
        QFETCH(int, stockNo);
        QFETCH(bool, hasPicture);
        qint64 length = -1;
        const ByteStream picture = proxy().ResimVer5(stockNo, length);
        QCOMPARE(length, picture.size());
        QCOMPARE(length > 0, hasPicture);
        if (hasPicture)
            QVERIFY(picture.bytes().startsWith("\xFF\xD8"));
    }

    void newItems()
    {
        const QList<QVariantMap> rows = rowsOf(proxy().YenilerVer(kDemoDealerCustomer));
        const int expected = scalar(db(), QStringLiteral("SELECT COUNT(*) FROM stoklar WHERE YENI = 1 AND AKTIF = 1")).toInt();
        QVERIFY(expected > 0);
        QCOMPARE(rows.size(), expected);
        QList<int> numbers = stockNumbers(rows);
        QVERIFY(std::is_sorted(numbers.rbegin(), numbers.rend())); // newest first
        for (const QVariantMap& r : rows) {
            QCOMPARE(r.value(QStringLiteral("Y")).toInt(), 1);
            if (r.value(QStringLiteral("K")).toInt() == 0)
                QVERIFY(r.value(QStringLiteral("INDIRIM")).toDouble() >= 10.0); // at least the customer's 10 %
        }
        QCOMPARE(proxy().YenilerVer(987654).rowCount(), 0);
    }

    // Representatives see every campaign item, a type 3 dealer those it can get, type 4 none.
    void campaignListByUserType_data()
    {
        QTest::addColumn<int>("userType");
        QTest::addColumn<bool>("withoutStock"); // the campaign item with state "Yok" is listed
        QTest::addColumn<bool>("empty");
        QTest::newRow("representative") << 1 << true << false;
        QTest::newRow("manager") << 2 << true << false;
        QTest::newRow("dealer") << 3 << false << false;
        QTest::newRow("type 4") << 4 << false << true;
        QTest::newRow("unknown type") << 9 << false << true;
    }

    void campaignListByUserType()
    {
        QFETCH(int, userType);
        QFETCH(bool, withoutStock);
        QFETCH(bool, empty);
        const QList<QVariantMap> rows = rowsOf(proxy().KampanyaliVer(kDemoDealerCustomer, userType));
        QCOMPARE(rows.isEmpty(), empty);
        QCOMPARE(rowOf(rows, kCampaignPart) != nullptr, withoutStock);
        for (const QVariantMap& r : rows) {
            QCOMPARE(r.value(QStringLiteral("K")).toInt(), 1);
            QVERIFY(r.value(QStringLiteral("FIYAT")).toDouble() < r.value(QStringLiteral("ESKIFIYAT")).toDouble());
            QCOMPARE(r.value(QStringLiteral("NETFIYAT")).toDouble(), r.value(QStringLiteral("FIYAT")).toDouble());
            if (userType == 3)
                QVERIFY(r.value(QStringLiteral("DURUM")).toInt() != 0);
        }
        if (const QVariantMap* c = rowOf(rows, kCampaignPart)) {
            QCOMPARE(c->value(QStringLiteral("FIYAT")).toDouble(), 80.0);
            QCOMPARE(c->value(QStringLiteral("ESKIFIYAT")).toDouble(), 100.0);
            QCOMPARE(c->value(QStringLiteral("KDVDAHIL")).toDouble(), 96.0);
        }
    }

    // Payments settle the oldest debts first; a debt counts once it is more than the tolerance past due.
    void overdueSentence_data()
    {
        QTest::addColumn<int>("customer");
        QTest::addColumn<QString>("expected");
        QTest::newRow("overdue") << 1091
                                 << QStringLiteral("Vadesi geçmiş 12.000,50 TL borcunuz bulunmaktadır; "
                                                   "en eski borcunuzun vadesi 40 gün önce dolmuştur.");
        QTest::newRow("paid up") << 1092 << QString();
        QTest::newRow("within the tolerance") << 1093 << QString();
        QTest::newRow("unknown customer") << 999999 << QString();
    }

    void overdueSentence()
    {
        QFETCH(int, customer);
        QFETCH(QString, expected);
        static bool loaded = false;
        if (!loaded) {
            loaded = true;
            QSqlDatabase c = db();
            const QDate today = QDate::currentDate();
            const auto day = [&](int daysAgo) { return today.addDays(-daysAgo).toString(Qt::ISODate); };
            for (int n : {1091, 1092, 1093})
                exec(c, QStringLiteral("INSERT INTO cariler(CARINO, CARIKOD, CARIADI, VADEKONTROLGUN) VALUES(?, ?, ?, 7)"),
                     {n, QStringLiteral("T.%1").arg(n), QStringLiteral("Deneme %1").arg(n)});
            const QString movement = QStringLiteral(
                "INSERT INTO cari_hareketler(CARINO, TARIH, TURADI, BORC, ALACAK, VADETARIHI) VALUES(?, ?, ?, ?, ?, ?)");
            const QString invoice = QStringLiteral("Satış Faturası");
            const QString payment = QStringLiteral("Tahsilat");
            // 1091: 10,000.50 and 5,000 fell due 40 and 20 days ago, 3,000 paid; 800 is within the tolerance.
            exec(c, movement, {1091, day(70), invoice, 10000.50, 0.0, day(40)});
            exec(c, movement, {1091, day(50), invoice, 5000.0, 0.0, day(20)});
            exec(c, movement, {1091, day(30), invoice, 800.0, 0.0, day(5)});
            exec(c, movement, {1091, day(10), payment, 0.0, 3000.0, QVariant()});
            // 1092: everything paid.
            exec(c, movement, {1092, day(70), invoice, 1000.0, 0.0, day(40)});
            exec(c, movement, {1092, day(10), payment, 0.0, 1000.0, QVariant()});
            // 1093: due 7 days ago, the tolerance is 7 days.
            exec(c, movement, {1093, day(40), invoice, 1000.0, 0.0, day(7)});
        }
        QCOMPARE(proxy().CariVadeGunGecmismiBul(customer), expected);
    }

    // The index follows inserts, updates and deletes of items and OEM numbers, and the catalogue import.
    void indexFollowsCatalogueChanges()
    {
        QSqlDatabase c = db();
        addItem(900020, {{QStringLiteral("BARKOD"), QStringLiteral("TST0020")}, {QStringLiteral("ADI"), QStringLiteral("Eski Adı Kalpazan")}});
        QVERIFY(rowOf(search(QStringLiteral("kalpazan")), 900020));

        exec(c, QStringLiteral("UPDATE stoklar SET ADI = 'Yeni Adı Zümrüt' WHERE STOKNO = 900020"));
        QVERIFY(!rowOf(search(QStringLiteral("kalpazan")), 900020));
        QVERIFY(rowOf(search(QStringLiteral("ZUMRUT")), 900020));

        exec(c, QStringLiteral("INSERT INTO stok_oem(STOKNO, SIRA, OEMNO) VALUES(900020, 1, 'QK-771.23')"));
        QCOMPARE(stockNumbers(search(QStringLiteral("QK77123"))).value(0), 900020);
        exec(c, QStringLiteral("UPDATE stok_oem SET OEMNO = 'QK-771.24' WHERE STOKNO = 900020"));
        QVERIFY(!rowOf(search(QStringLiteral("QK77123")), 900020));
        QCOMPARE(stockNumbers(search(QStringLiteral("QK 771 24"))).value(0), 900020);

        exec(c, QStringLiteral("UPDATE stoklar SET AKTIF = 0 WHERE STOKNO = 900020"));
        QVERIFY(!rowOf(search(QStringLiteral("ZUMRUT")), 900020)); // inactive items are not offered
        exec(c, QStringLiteral("DELETE FROM stoklar WHERE STOKNO = 900020"));
        QCOMPARE(scalar(c, QStringLiteral("SELECT COUNT(*) FROM stok_arama WHERE rowid = 900020")).toInt(), 0);
        QCOMPARE(scalar(c, QStringLiteral("SELECT COUNT(*) FROM stok_kod WHERE STOKNO = 900020")).toInt(), 0);

        const CatalogueImportResult imported = importCatalogue(
            m_server->database(), QStringLiteral("BARKOD;ADI;FIYAT;MARKA;OEM1\nIMP-77;Debriyaj Seti Zebercet;450;Çınarlıköy;44-55 66\n").toUtf8());
        QCOMPARE(imported.added, 1);
        const QList<QVariantMap> rows = search(QStringLiteral("zebercet cinarlikoy"));
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.first().value(QStringLiteral("BARKOD")).toString(), QStringLiteral("IMP-77"));
        QCOMPARE(stockNumbers(search(QStringLiteral("445566"))), stockNumbers(rows));
    }
};

QTEST_GUILESS_MAIN(TstCatalogueServer)
#include "tst_catalogue_server.moc"
