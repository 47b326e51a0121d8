// The server-side basket and the saving of orders against the real reference server: money rounding
// and line amounts, who may change which basket, refusals that change nothing, selection marks,
// deletes, the order form's choices, and one order per basket even when two sends race.
#include "appserver/demodata.h"
#include "appserver/pricing.h"
#include "server/connection.h"
#include "server/connectwithretry.h"
#include "server/errors.h"
#include "server/servermethods1client.h"
#include "tests/support/testserver.h"

#include <QCryptographicHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

#include <atomic>
#include <cmath>
#include <memory>
#include <thread>

using namespace velun;
using namespace velun::appserver;

namespace {

const QString kDealerMachine = QStringLiteral("TEST-MACHINE-0001");

// One user on one connection of its own, as a client window holds it.
struct Client
{
    std::unique_ptr<ServerConnection> connection = std::make_unique<ServerConnection>();
    std::unique_ptr<TServerMethods1Client> proxy;
    TSonucBilgisi login;

    Client(quint16 port, const QString& machine, int customerNo = 0)
    {
        connection->Params.setValue(connparam::HostName, QStringLiteral("127.0.0.1"));
        connection->Params.setValue(connparam::Port, QString::number(port));
        if (!ConnectWithRetry(*connection, 0))
            throw std::runtime_error("the test server cannot be reached");
        proxy = std::make_unique<TServerMethods1Client>(connection->dbxConnection());
        login = proxy->BuyukGetir(machine).value();
        // A representative works for the customer chosen in the customer selection.
        if (customerNo > 0)
            login.setCARINO(customerNo);
    }
    int customer() const { return login.CARINO(); }
    qint32 add(int stockNo, double quantity, double price = 0, double discount = 0)
    {
        return proxy->SepetEkle(login, customer(), stockNo, QString(), QString(), quantity, 20, price, discount,
                                login.Sirano(), 0);
    }
};

using Line = QVariantMap;

QList<Line> linesOf(const DataPacket& packet)
{
    QList<Line> lines;
    for (const Row& row : packet.data().rows) {
        Line line;
        for (qsizetype i = 0; i < packet.columns().size(); ++i)
            line.insert(packet.columns()[i].name, row[static_cast<size_t>(i)]);
        lines.append(line);
    }
    return lines;
}

QVariant scalar(QSqlDatabase db, const QString& sql, const QVariantList& binds = {})
{
    QSqlQuery q(db);
    q.prepare(sql);
    for (const QVariant& b : binds)
        q.addBindValue(b);
    if (!q.exec() || !q.next())
        return {};
    return q.value(0);
}

// The rows of the tables an order or a basket change touches, hashed: equal hashes mean nothing changed.
QByteArray storeChecksum(QSqlDatabase db)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const char16_t* table : {u"sepet", u"siparisler", u"siparis_satirlari", u"sepet_silinenler"}) {
        QSqlQuery q(db);
        q.exec(QStringLiteral("SELECT * FROM %1 ORDER BY 1").arg(QString::fromUtf16(table)));
        while (q.next())
            for (int i = 0; i < q.record().count(); ++i)
                hash.addData(QByteArray(q.value(i).toString().toUtf8() + '|'));
    }
    return hash.result().toHex();
}

QString serverErrorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const ServerError& e) {
        return e.className();
    }
    return QStringLiteral("no error");
}

} // namespace

class TstBasketServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void roundMoney_data();
    void roundMoney();
    void lineAmounts_data();
    void lineAmounts();

    void dealerLinesArePricedByTheCatalogue();
    void representativeSetsPriceAndDiscount();
    void addingAPartAgainAddsToItsLine();
    void refusedChangesLeaveTheStoreAsItWas_data();
    void refusedChangesLeaveTheStoreAsItWas();
    void updateSetsTheQuantityOfOneLine();
    void selectionMarksAndDeletes();
    void orderFormChoices();

    void orderTakesTheSelectedLines();
    void orderRefusedWithoutAValidChoice_data();
    void orderRefusedWithoutAValidChoice();
    void racingSendsMakeOneOrder();

private:
    QSqlDatabase db() { return m_server->database().connection(); }
    int stockWhere(const QString& condition, int skip = 0);
    std::unique_ptr<test::TestServer> m_server;
    std::unique_ptr<Client> m_dealer;
};

void TstBasketServer::initTestCase()
{
    m_server = std::make_unique<test::TestServer>();
    m_dealer = std::make_unique<Client>(m_server->port(), kDealerMachine);
    QCOMPARE(m_dealer->customer(), kDemoDealerCustomer);
}

// Every case starts from an empty basket of the demo dealer.
void TstBasketServer::init()
{
    m_dealer->proxy->SepetHepsiniSil(m_dealer->login);
    QCOMPARE(m_dealer->proxy->SepetVerVelun(kDemoDealerCustomer).rowCount(), 0);
}

int TstBasketServer::stockWhere(const QString& condition, int skip)
{
    return scalar(db(), QStringLiteral("SELECT STOKNO FROM stoklar WHERE AKTIF = 1 AND %1 ORDER BY STOKNO LIMIT 1 OFFSET %2")
                            .arg(condition)
                            .arg(skip))
        .toInt();
}

void TstBasketServer::roundMoney_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("rounded");
    QTest::newRow("1.005 stored just below") << 1.005 << 1.01;
    QTest::newRow("2.675 stored just below") << 2.675 << 2.68;
    QTest::newRow("half of a cent upwards") << 0.125 << 0.13;
    QTest::newRow("negative half away from zero") << -1.005 << -1.01;
    QTest::newRow("below the half") << 1.0049 << 1.0;
    QTest::newRow("sum with binary noise") << 0.1 + 0.2 << 0.3;
    QTest::newRow("large amount") << 1234567.895 << 1234567.9;
    QTest::newRow("whole number") << 10.0 << 10.0;
    QTest::newRow("three decimals") << 123.456 << 123.46;
}

void TstBasketServer::roundMoney()
{
    QFETCH(double, value);
    QFETCH(double, rounded);
    QCOMPARE(RoundMoney(value), rounded);
}

void TstBasketServer::lineAmounts_data()
{
    QTest::addColumn<double>("quantity");
    QTest::addColumn<double>("price");
    QTest::addColumn<double>("discount");
    QTest::addColumn<double>("vat");
    QTest::addColumn<QList<double>>("amounts"); // TUTAR, INDIRIMTUTAR, NETBIRIMFIYAT, NETTUTAR, VERGITUTARI, KDVLITUTAR
    QTest::newRow("plain") << 2.0 << 100.0 << 10.0 << 20.0 << QList<double>{200, 20, 90, 180, 36, 216};
    QTest::newRow("half cents round up at every step")
        << 7.0 << 12.49 << 12.5 << 20.0 << QList<double>{87.43, 10.93, 10.93, 76.5, 15.3, 91.8};
    QTest::newRow("no discount, 18 % VAT") << 3.0 << 0.335 << 0.0 << 18.0 << QList<double>{1.01, 0, 0.34, 1.01, 0.18, 1.19};
    QTest::newRow("full discount") << 5.0 << 19.99 << 100.0 << 20.0 << QList<double>{99.95, 99.95, 0, 0, 0, 0};
}

void TstBasketServer::lineAmounts()
{
    QFETCH(double, quantity);
    QFETCH(double, price);
    QFETCH(double, discount);
    QFETCH(double, vat);
    QFETCH(QList<double>, amounts);
    const LineAmounts a = ComputeLineAmounts(quantity, price, discount, vat);
    QCOMPARE((QList<double>{a.tutar, a.indirimTutar, a.netBirimFiyat, a.netTutar, a.vergiTutari, a.kdvliTutar}), amounts);
}

void TstBasketServer::dealerLinesArePricedByTheCatalogue()
{
    const int normal = stockWhere(QStringLiteral("KAMPANYALI = 0 AND FIYAT > 0"));
    const int campaign = stockWhere(QStringLiteral("KAMPANYALI = 1 AND KAMPFIYAT > 0"));
    QVERIFY(normal > 0 && campaign > 0);
    // A dealer's price and discount boxes are read-only; whatever arrives in them is not the price.
    QCOMPARE(m_dealer->add(normal, 3, 0.01, 99), 1);
    QCOMPARE(m_dealer->add(campaign, 2, 0.01, 99), 1);

    const QList<Line> lines = linesOf(m_dealer->proxy->SepetVerVelun(kDemoDealerCustomer));
    QCOMPARE(lines.size(), 2);
    const double customerDiscount = scalar(db(), QStringLiteral("SELECT INDIRIM FROM cariler WHERE CARINO = ?"),
                                           {kDemoDealerCustomer}).toDouble();
    QVERIFY(customerDiscount > 0);
    struct Expected
    {
        int stockNo;
        QString priceColumn;
        double discount;
        double quantity;
    };
    const Expected expected[] = {{normal, QStringLiteral("FIYAT"), customerDiscount, 3},
                                 {campaign, QStringLiteral("KAMPFIYAT"), 0, 2}};
    for (int i = 0; i < 2; ++i) {
        const Line& line = lines[i];
        const Expected& e = expected[i];
        QSqlQuery item(db());
        item.prepare(QStringLiteral("SELECT %1, KDV, BARKOD, ADI FROM stoklar WHERE STOKNO = ?").arg(e.priceColumn));
        item.addBindValue(e.stockNo);
        QVERIFY(item.exec() && item.next());
        const double price = item.value(0).toDouble();
        const double vat = item.value(1).toDouble();
        const LineAmounts a = ComputeLineAmounts(e.quantity, price, e.discount, vat);
        QCOMPARE(line.value(QStringLiteral("STOKNO")).toInt(), e.stockNo);
        QCOMPARE(line.value(QStringLiteral("STOK_STOKNO")).toInt(), e.stockNo);
        QCOMPARE(line.value(QStringLiteral("BARKOD")).toString(), item.value(2).toString());
        QCOMPARE(line.value(QStringLiteral("STOKADI")).toString(), item.value(3).toString());
        QCOMPARE(line.value(QStringLiteral("MIKTAR")).toDouble(), e.quantity);
        QCOMPARE(line.value(QStringLiteral("BIRIMFIYAT")).toDouble(), price);
        QCOMPARE(line.value(QStringLiteral("INDIRIMORANI1")).toDouble(), e.discount);
        QCOMPARE(line.value(QStringLiteral("KDV")).toDouble(), vat);
        QCOMPARE(line.value(QStringLiteral("TUTAR")).toDouble(), a.tutar);
        QCOMPARE(line.value(QStringLiteral("INDIRIMTUTAR")).toDouble(), a.indirimTutar);
        QCOMPARE(line.value(QStringLiteral("NETBIRIMFIYAT")).toDouble(), a.netBirimFiyat);
        QCOMPARE(line.value(QStringLiteral("NETTUTAR")).toDouble(), a.netTutar);
        QCOMPARE(line.value(QStringLiteral("VERGITUTARI")).toDouble(), a.vergiTutari);
        QCOMPARE(line.value(QStringLiteral("KDVLITUTAR")).toDouble(), a.kdvliTutar);
        QCOMPARE(line.value(QStringLiteral("SEC")).toInt(), 1);
        QCOMPARE(line.value(QStringLiteral("CARINO")).toInt(), kDemoDealerCustomer);
        QCOMPARE(line.value(QStringLiteral("VEREN")).toString(), kDemoDealerUser);
        QVERIFY(line.value(QStringLiteral("VERILISTARIHI")).toDateTime().isValid());
    }
    // The columns the basket grid shows are all there, typed.
    const DataPacket packet = m_dealer->proxy->SepetVerVelun(kDemoDealerCustomer);
    for (const char16_t* column : {u"DURUM", u"ANTEP", u"OEMNO", u"FINISHKOD", u"MARKA", u"MODEL", u"KALAN", u"CARIADI",
                                   u"OEM1", u"OEM4", u"SAAT", u"KUR"})
        QVERIFY2(packet.data().columnIndex(column) >= 0, qPrintable(QString::fromUtf16(column)));
}

void TstBasketServer::representativeSetsPriceAndDiscount()
{
    Client rep(m_server->port(), kDemoRepMachine, kDemoDealerCustomer);
    const int stockNo = stockWhere(QStringLiteral("KAMPANYALI = 0"));
    QCOMPARE(rep.add(stockNo, 4, 123.45, 12.5), 1);

    const QList<Line> lines = linesOf(rep.proxy->SepetVerVelun(kDemoDealerCustomer));
    QCOMPARE(lines.size(), 1);
    const double vat = scalar(db(), QStringLiteral("SELECT KDV FROM stoklar WHERE STOKNO = ?"), {stockNo}).toDouble();
    const LineAmounts a = ComputeLineAmounts(4, 123.45, 12.5, vat);
    QCOMPARE(lines[0].value(QStringLiteral("BIRIMFIYAT")).toDouble(), 123.45);
    QCOMPARE(lines[0].value(QStringLiteral("INDIRIMORANI1")).toDouble(), 12.5);
    QCOMPARE(lines[0].value(QStringLiteral("NETTUTAR")).toDouble(), a.netTutar);
    QCOMPARE(lines[0].value(QStringLiteral("KDVLITUTAR")).toDouble(), a.kdvliTutar);
    QCOMPARE(lines[0].value(QStringLiteral("VEREN")).toString(), kDemoRepUser);

    // A discount over 100 % is no price a representative can give.
    const QByteArray before = storeChecksum(db());
    QCOMPARE(serverErrorOf([&] { rep.add(stockNo, 1, 10, 150); }), QStringLiteral("EVelunError"));
    QCOMPARE(storeChecksum(db()), before);
}

void TstBasketServer::addingAPartAgainAddsToItsLine()
{
    const int stockNo = stockWhere(QStringLiteral("1"));
    QCOMPARE(m_dealer->add(stockNo, 3), 1);
    QCOMPARE(m_dealer->add(stockNo, 9997), 1);
    QList<Line> lines = linesOf(m_dealer->proxy->SepetVerVelun(kDemoDealerCustomer));
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines[0].value(QStringLiteral("MIKTAR")).toDouble(), 10000.0);

    // One more would pass the bound: refused, the line keeps its quantity.
    QCOMPARE(serverErrorOf([&] { m_dealer->add(stockNo, 1); }), QStringLiteral("EVelunError"));
    lines = linesOf(m_dealer->proxy->SepetVerVelun(kDemoDealerCustomer));
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines[0].value(QStringLiteral("MIKTAR")).toDouble(), 10000.0);
}

void TstBasketServer::refusedChangesLeaveTheStoreAsItWas_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<double>("quantity");
    QTest::addColumn<int>("stockNo"); // -1: an existing part
    QTest::addColumn<int>("customerNo");
    QTest::addColumn<bool>("withLogin");
    QTest::newRow("quantity 0") << "SepetEkle" << 0.0 << -1 << kDemoDealerCustomer << true;
    QTest::newRow("quantity 10001") << "SepetEkle" << 10001.0 << -1 << kDemoDealerCustomer << true;
    QTest::newRow("negative quantity") << "SepetEkle" << -5.0 << -1 << kDemoDealerCustomer << true;
    QTest::newRow("fractional quantity") << "SepetEkle" << 2.5 << -1 << kDemoDealerCustomer << true;
    QTest::newRow("unknown part") << "SepetEkle" << 1.0 << 99999999 << kDemoDealerCustomer << true;
    QTest::newRow("another dealer's customer") << "SepetEkle" << 1.0 << -1 << 1002 << true;
    QTest::newRow("no login record") << "SepetEkle" << 1.0 << -1 << kDemoDealerCustomer << false;
    QTest::newRow("update to 0") << "SepetGuncelle" << 0.0 << -1 << kDemoDealerCustomer << true;
    QTest::newRow("update to 10001") << "SepetGuncelle" << 10001.0 << -1 << kDemoDealerCustomer << true;
    QTest::newRow("update another customer's basket") << "SepetGuncelle" << 2.0 << -1 << 1002 << true;
}

void TstBasketServer::refusedChangesLeaveTheStoreAsItWas()
{
    QFETCH(QString, method);
    QFETCH(double, quantity);
    QFETCH(int, stockNo);
    QFETCH(int, customerNo);
    QFETCH(bool, withLogin);
    const int existing = stockWhere(QStringLiteral("1"));
    QCOMPARE(m_dealer->add(existing, 2), 1);
    const int lineNo = linesOf(m_dealer->proxy->SepetVerVelun(kDemoDealerCustomer))[0].value(QStringLiteral("SIRANO")).toInt();
    const std::optional<TSonucBilgisi> login = withLogin ? std::optional(m_dealer->login) : std::nullopt;
    const int part = stockNo < 0 ? existing : stockNo;

    const QByteArray before = storeChecksum(db());
    const QString error = serverErrorOf([&] {
        if (method == u"SepetEkle")
            m_dealer->proxy->SepetEkle(login, customerNo, part, QString(), QString(), quantity, 20, 10, 0, 1, 0);
        else
            m_dealer->proxy->SepetGuncelle(login, customerNo, 0, QString(), QString(), quantity, 20, 10, 0, 1, lineNo);
    });
    QCOMPARE(error, QStringLiteral("EVelunError"));
    QCOMPARE(storeChecksum(db()), before);
}

void TstBasketServer::updateSetsTheQuantityOfOneLine()
{
    const int first = stockWhere(QStringLiteral("1"));
    const int second = stockWhere(QStringLiteral("1"), 1);
    m_dealer->add(first, 2);
    m_dealer->add(second, 5);
    QList<Line> lines = linesOf(m_dealer->proxy->SepetVerVelun(kDemoDealerCustomer));
    const int lineNo = lines[0].value(QStringLiteral("SIRANO")).toInt();
    const double unitPrice = lines[0].value(QStringLiteral("BIRIMFIYAT")).toDouble();
    const double discount = lines[0].value(QStringLiteral("INDIRIMORANI1")).toDouble();
    const double vat = lines[0].value(QStringLiteral("KDV")).toDouble();

    QCOMPARE(m_dealer->proxy->SepetGuncelle(m_dealer->login, kDemoDealerCustomer, 0, QString(), QString(), 7, vat,
                                            unitPrice, discount, m_dealer->login.Sirano(), lineNo),
             1);
    lines = linesOf(m_dealer->proxy->SepetVerVelun(kDemoDealerCustomer));
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0].value(QStringLiteral("SIRANO")).toInt(), lineNo);
    QCOMPARE(lines[0].value(QStringLiteral("MIKTAR")).toDouble(), 7.0);
    QCOMPARE(lines[0].value(QStringLiteral("TUTAR")).toDouble(), ComputeLineAmounts(7, unitPrice, discount, vat).tutar);
    QCOMPARE(lines[1].value(QStringLiteral("MIKTAR")).toDouble(), 5.0);

    QCOMPARE(serverErrorOf([&] {
                 m_dealer->proxy->SepetGuncelle(m_dealer->login, kDemoDealerCustomer, 0, QString(), QString(), 3, vat,
                                                unitPrice, discount, m_dealer->login.Sirano(), 99999999);
             }),
             QStringLiteral("EVelunError"));
}

void TstBasketServer::selectionMarksAndDeletes()
{
    for (int i = 0; i < 3; ++i)
        m_dealer->add(stockWhere(QStringLiteral("1"), i), 1);
    QList<Line> lines = linesOf(m_dealer->proxy->SepetVerVelun(kDemoDealerCustomer));
    QCOMPARE(lines.size(), 3);
    const int lineNo = lines[1].value(QStringLiteral("SIRANO")).toInt();

    m_dealer->proxy->SepetSecimGuncelle(lineNo, 0);
    lines = linesOf(m_dealer->proxy->SepetVerVelun(kDemoDealerCustomer));
    QCOMPARE(lines[0].value(QStringLiteral("SEC")).toInt(), 1);
    QCOMPARE(lines[1].value(QStringLiteral("SEC")).toInt(), 0);
    m_dealer->proxy->SepetSecimGuncelle(lineNo, 1);
    QCOMPARE(linesOf(m_dealer->proxy->SepetVerVelun(kDemoDealerCustomer))[1].value(QStringLiteral("SEC")).toInt(), 1);

    // Only an existing line takes a mark, and only 0 or 1.
    const QByteArray before = storeChecksum(db());
    QCOMPARE(serverErrorOf([&] { m_dealer->proxy->SepetSecimGuncelle(99999999, 1); }), QStringLiteral("EVelunError"));
    QCOMPARE(serverErrorOf([&] { m_dealer->proxy->SepetSecimGuncelle(lineNo, 2); }), QStringLiteral("EVelunError"));
    QCOMPARE(storeChecksum(db()), before);

    // A deleted line leaves a trace with the client's note; deleting it again changes nothing.
    const QString note = QStringLiteral("8690000000001-FREN DİSKİ");
    QCOMPARE(m_dealer->proxy->SepetSatirSil(m_dealer->login, lineNo, note), 1);
    QCOMPARE(m_dealer->proxy->SepetSatirSil(m_dealer->login, lineNo, note), 0);
    lines = linesOf(m_dealer->proxy->SepetVerVelun(kDemoDealerCustomer));
    QCOMPARE(lines.size(), 2);
    for (const Line& l : lines)
        QVERIFY(l.value(QStringLiteral("SIRANO")).toInt() != lineNo);
    QCOMPARE(scalar(db(), QStringLiteral("SELECT ACIKLAMA FROM sepet_silinenler WHERE CARINO = ? ORDER BY SIRANO DESC LIMIT 1"),
                    {kDemoDealerCustomer}).toString(),
             note);

    // Another customer's line cannot be deleted by this dealer.
    const int foreignLine = scalar(db(), QStringLiteral("SELECT SIRANO FROM sepet WHERE CARINO = 1002 LIMIT 1")).toInt();
    QVERIFY(foreignLine > 0);
    QCOMPARE(serverErrorOf([&] { m_dealer->proxy->SepetSatirSil(m_dealer->login, foreignLine, QString()); }),
             QStringLiteral("EVelunError"));
    QVERIFY(scalar(db(), QStringLiteral("SELECT 1 FROM sepet WHERE SIRANO = ?"), {foreignLine}).isValid());

    // Emptying the basket touches only this customer's basket.
    const int othersBefore = scalar(db(), QStringLiteral("SELECT COUNT(*) FROM sepet WHERE CARINO <> ?"), {kDemoDealerCustomer}).toInt();
    m_dealer->proxy->SepetHepsiniSil(m_dealer->login);
    QCOMPARE(m_dealer->proxy->SepetVerVelun(kDemoDealerCustomer).rowCount(), 0);
    QCOMPARE(scalar(db(), QStringLiteral("SELECT COUNT(*) FROM sepet WHERE CARINO <> ?"), {kDemoDealerCustomer}).toInt(),
             othersBefore);
}

void TstBasketServer::orderFormChoices()
{
    TableReader delivery = m_dealer->proxy->TeslimVer();
    QVERIFY(delivery.rowCount() > 0);
    QCOMPARE(delivery.columnType(0), FieldType::Int32);
    QCOMPARE(delivery.columnType(1), FieldType::Text);

    TableReader kinds = m_dealer->proxy->KargoVer();
    QVERIFY(kinds.rowCount() > 0);
    QVERIFY(kinds.next());
    const int kind = kinds.value(0).toInt();
    TableReader firms = m_dealer->proxy->KargolarVer(kind);
    QVERIFY(firms.rowCount() > 0);
    const int adi = firms.columns().indexOf(ColumnDef{QStringLiteral("ADI"), FieldType::Text});
    const int sirano = firms.columns().indexOf(ColumnDef{QStringLiteral("SIRANO"), FieldType::Int32});
    const int uyari = firms.columns().indexOf(ColumnDef{QStringLiteral("UYARI"), FieldType::Text});
    QVERIFY(adi >= 0 && sirano >= 0 && uyari >= 0);
    while (firms.next())
        QCOMPARE(scalar(db(), QStringLiteral("SELECT KARGOTURU FROM kargo_firmalari WHERE SIRANO = ?"), {firms.value(sirano)})
                     .toInt(),
                 kind);
    QCOMPARE(m_dealer->proxy->KargolarVer(99999).rowCount(), 0);
}

void TstBasketServer::orderTakesTheSelectedLines()
{
    for (int i = 0; i < 3; ++i)
        m_dealer->add(stockWhere(QStringLiteral("1"), i), i + 1);
    QList<Line> lines = linesOf(m_dealer->proxy->SepetVerVelun(kDemoDealerCustomer));
    const int keptLine = lines[2].value(QStringLiteral("SIRANO")).toInt();
    m_dealer->proxy->SepetSecimGuncelle(keptLine, 0);

    const int delivery = scalar(db(), QStringLiteral("SELECT MIN(SIRANO) FROM teslim_secenekleri")).toInt();
    const int firm = scalar(db(), QStringLiteral("SELECT MIN(SIRANO) FROM kargo_firmalari")).toInt();
    const int kind = scalar(db(), QStringLiteral("SELECT KARGOTURU FROM kargo_firmalari WHERE SIRANO = ?"), {firm}).toInt();
    const QString note = QStringLiteral("Öğleden önce gönderiniz; \"acil\"");
    QVERIFY(m_dealer->proxy->SiparisKaydet(m_dealer->login, kDemoDealerCustomer, delivery, kind, note,
                                           m_dealer->login.Sirano(), firm));

    // The unselected line stays in the basket, the others are now the lines of one new order.
    lines = linesOf(m_dealer->proxy->SepetVerVelun(kDemoDealerCustomer));
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines[0].value(QStringLiteral("SIRANO")).toInt(), keptLine);

    QSqlQuery order(db());
    QVERIFY(order.exec(QStringLiteral("SELECT o.IDNO, d.DURUMADI, o.TESLIMID, o.KARGOID, o.KARGOFIRMAID, o.VERENINNOTU, "
                                      "o.VERENIDNO, o.CARINO FROM siparisler o JOIN siparis_durumlari d ON d.DURUMNO = o.DURUM "
                                      "ORDER BY o.IDNO DESC LIMIT 1")));
    QVERIFY(order.next());
    QCOMPARE(order.value(1).toString(), QStringLiteral("Alındı"));
    QCOMPARE(order.value(2).toInt(), delivery);
    QCOMPARE(order.value(3).toInt(), kind);
    QCOMPARE(order.value(4).toInt(), firm);
    QCOMPARE(order.value(5).toString(), note);
    QCOMPARE(order.value(6).toInt(), m_dealer->login.Sirano());
    QCOMPARE(order.value(7).toInt(), kDemoDealerCustomer);
    const int orderNo = order.value(0).toInt();
    QCOMPARE(scalar(db(), QStringLiteral("SELECT COUNT(*) FROM siparis_satirlari WHERE IDNO = ?"), {orderNo}).toInt(), 2);
    QCOMPARE(scalar(db(), QStringLiteral("SELECT SUM(MIKTAR) FROM siparis_satirlari WHERE IDNO = ?"), {orderNo}).toDouble(), 3.0);
    QCOMPARE(scalar(db(), QStringLiteral("SELECT SUM(KALAN) FROM siparis_satirlari WHERE IDNO = ?"), {orderNo}).toDouble(), 3.0);
}

void TstBasketServer::orderRefusedWithoutAValidChoice_data()
{
    QTest::addColumn<bool>("selectLines");
    QTest::addColumn<int>("delivery"); // 0: a valid one
    QTest::addColumn<int>("kind");     // 0: the firm's own kind
    QTest::addColumn<int>("firm");     // 0: a valid one
    QTest::newRow("nothing selected") << false << 0 << 0 << 0;
    QTest::newRow("unknown delivery") << true << 99999 << 0 << 0;
    QTest::newRow("unknown cargo kind") << true << 0 << 99999 << 0;
    QTest::newRow("unknown cargo firm") << true << 0 << 0 << 99999;
    QTest::newRow("firm of another kind") << true << 0 << -1 << 0;
}

void TstBasketServer::orderRefusedWithoutAValidChoice()
{
    QFETCH(bool, selectLines);
    QFETCH(int, delivery);
    QFETCH(int, kind);
    QFETCH(int, firm);
    m_dealer->add(stockWhere(QStringLiteral("1")), 1);
    if (!selectLines)
        for (const Line& l : linesOf(m_dealer->proxy->SepetVerVelun(kDemoDealerCustomer)))
            m_dealer->proxy->SepetSecimGuncelle(l.value(QStringLiteral("SIRANO")).toInt(), 0);
    const int validFirm = scalar(db(), QStringLiteral("SELECT MIN(SIRANO) FROM kargo_firmalari")).toInt();
    const int firmKind = scalar(db(), QStringLiteral("SELECT KARGOTURU FROM kargo_firmalari WHERE SIRANO = ?"), {validFirm}).toInt();
    if (delivery == 0)
        delivery = scalar(db(), QStringLiteral("SELECT MIN(SIRANO) FROM teslim_secenekleri")).toInt();
    if (kind == 0)
        kind = firmKind;
    else if (kind < 0)
        kind = scalar(db(), QStringLiteral("SELECT MIN(SIRANO) FROM kargo_turleri WHERE SIRANO <> ?"), {firmKind}).toInt();
    if (firm == 0)
        firm = validFirm;

    const QByteArray before = storeChecksum(db());
    QVERIFY(!m_dealer->proxy->SiparisKaydet(m_dealer->login, kDemoDealerCustomer, delivery, kind, QString(),
                                            m_dealer->login.Sirano(), firm));
    QCOMPARE(storeChecksum(db()), before);
}

void TstBasketServer::racingSendsMakeOneOrder()
{
    const int delivery = scalar(db(), QStringLiteral("SELECT MIN(SIRANO) FROM teslim_secenekleri")).toInt();
    const int firm = scalar(db(), QStringLiteral("SELECT MIN(SIRANO) FROM kargo_firmalari")).toInt();
    const int kind = scalar(db(), QStringLiteral("SELECT KARGOTURU FROM kargo_firmalari WHERE SIRANO = ?"), {firm}).toInt();
    const quint16 port = m_server->port();
    // A few rounds, so the two sends meet in different orders.
    for (int round = 0; round < 5; ++round) {
        for (int i = 0; i < 5; ++i)
            m_dealer->add(stockWhere(QStringLiteral("1"), i), 1);
        const int ordersBefore = scalar(db(), QStringLiteral("SELECT COUNT(*) FROM siparisler")).toInt();
        const int linesBefore = scalar(db(), QStringLiteral("SELECT COUNT(*) FROM siparis_satirlari")).toInt();

        // Two windows of the same dealer press "Gönder" at once, each on its own connection.
        std::atomic<int> ready{0};
        std::atomic<int> saved{0};
        std::atomic<int> failed{0};
        const auto send = [&] {
            try {
                Client client(port, kDealerMachine);
                ++ready;
                while (ready.load() < 2)
                    std::this_thread::yield();
                if (client.proxy->SiparisKaydet(client.login, kDemoDealerCustomer, delivery, kind, QString(),
                                                client.login.Sirano(), firm))
                    ++saved;
            } catch (...) {
                ++failed;
                ++ready;
            }
        };
        std::thread a(send);
        std::thread b(send);
        a.join();
        b.join();

        QCOMPARE(failed.load(), 0);
        QCOMPARE(saved.load(), 1);
        QCOMPARE(scalar(db(), QStringLiteral("SELECT COUNT(*) FROM siparisler")).toInt(), ordersBefore + 1);
        QCOMPARE(scalar(db(), QStringLiteral("SELECT COUNT(*) FROM siparis_satirlari")).toInt(), linesBefore + 5);
        QCOMPARE(m_dealer->proxy->SepetVerVelun(kDemoDealerCustomer).rowCount(), 0);
    }
}

QTEST_GUILESS_MAIN(TstBasketServer)
#include "tst_basket_server.moc"
