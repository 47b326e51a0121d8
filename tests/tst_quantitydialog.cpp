// The quantity dialog as a user drives it: the recompute as keys are released, the quantity rule,
// Enter in each box, which boxes a user type may change; the add and change commands against the
// real server.
#include "catalogue/tstokayarinti.h"
#include "platform/pause.h"
#include "server/baglantiu.h"
#include "server/connection.h"
#include "server/dataset.h"
#include "server/servermethods1client.h"
#include "app/velunstyle.h"
#include "tests/support/guitest.h"
#include "tests/support/testserver.h"

#include <QLineEdit>
#include <QSqlQuery>
#include <QSpinBox>
#include <QApplication>
#include <QTest>

using namespace velun;

class TestQuantityDialog : public QObject
{
    Q_OBJECT

    static void prefill(Tstokayarinti& d, double price, double rate, double vat)
    {
        QuantityBoxes b;
        b.birimfiyat = price;
        b.indoran = rate;
        b.kdvlifiyat = price * (vat / 100 + 1);
        d.kdvoran = vat;
        d.setBoxes(b);
    }

    std::unique_ptr<test::TestServer> m_server;
    ServerConnection m_bagc;
    TSonucBilgisi m_sbilgi;

    BasketContext context(int& reloads)
    {
        BasketContext c;
        c.bagc = &m_bagc;
        c.sbilgi = &m_sbilgi;
        c.reloadBasket = [&reloads] { ++reloads; };
        return c;
    }
    // The basket line of a stock number as the server now holds it.
    std::optional<double> basketQuantity(int stokno)
    {
        QSqlDatabase db = m_server->database().connection();
        QSqlQuery q(db);
        q.prepare(u"SELECT MIKTAR FROM sepet WHERE CARINO = ? AND STOKNO = ?"_qs);
        q.addBindValue(m_sbilgi.CARINO());
        q.addBindValue(stokno);
        q.exec();
        if (!q.next())
            return std::nullopt;
        return q.value(0).toDouble();
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
        platform::setPauseFunction([](std::chrono::milliseconds) {});
        ApplyVelunStyle(*qApp); // as the program runs
        m_server = std::make_unique<test::TestServer>();
        m_bagc.Params.setValue(connparam::HostName, u"127.0.0.1"_qs);
        m_bagc.Params.setValue(connparam::Port, QString::number(m_server->port()));
        m_sbilgi.Kopyala(test::loginRecord(*m_server));
    }
    void cleanupTestCase()
    {
        platform::setPauseFunction({});
        m_server.reset();
    }

    // A dealer finds a part, adds 3, then changes the line to 5: the server holds 5.
    void addThreeThenChangeToFive()
    {
        m_bagc.open();
        TableReader reader = TServerMethods1Client(m_bagc.dbxConnection()).VelunStokAra(u"FREN"_qs, m_sbilgi);
        m_bagc.close();
        MemDataset stok;
        CopyReaderToDataset(reader, stok);
        SetFloatDisplayFormat(stok);
        // A part the demo basket does not hold yet.
        int stokno = 0;
        for (stok.first(); !stok.eof(); stok.next()) {
            const int candidate = stok.fieldByName(u"STOK_STOKNO").toInt();
            if (!basketQuantity(candidate)) {
                stokno = candidate;
                break;
            }
        }
        QVERIFY(stokno > 0);
        int reloads = 0;
        test::onNextModal([](QWidget* w) {
            auto* d = qobject_cast<Tstokayarinti*>(w);
            QVERIFY(d);
            d->adet->setValue(3);
            d->accept();
        });
        Tstokayarinti::AddCommand(context(reloads), stok, QuantitySource::StockList, stokno);
        QCOMPARE(reloads, 1);
        QCOMPARE(basketQuantity(stokno), std::optional<double>(3));

        MemDataset sepet;
        m_bagc.open();
        AssignDataPacket(TServerMethods1Client(m_bagc.dbxConnection()).SepetVerVelun(m_sbilgi.CARINO()), sepet);
        m_bagc.close();
        QVERIFY(sepet.locate(u"STOKNO"_qs, stokno));
        const int sirano = sepet.fieldByName(u"SIRANO").toInt();
        int shownQuantity = 0;
        test::onNextModal([&](QWidget* w) {
            auto* d = qobject_cast<Tstokayarinti*>(w);
            QVERIFY(d);
            shownQuantity = d->adet->value();
            d->adet->setValue(5);
            d->accept();
        });
        Tstokayarinti::ChangeCommand(context(reloads), sepet, sirano);
        QCOMPARE(shownQuantity, 3); // the dialog opened with the line's quantity
        QCOMPARE(reloads, 2);
        QCOMPARE(basketQuantity(stokno), std::optional<double>(5));
    }

    void cancelSendsNothing()
    {
        m_bagc.open();
        TableReader reader = TServerMethods1Client(m_bagc.dbxConnection()).VelunStokAra(u"FILTRE"_qs, m_sbilgi);
        m_bagc.close();
        MemDataset stok;
        CopyReaderToDataset(reader, stok);
        QVERIFY(stok.RecordCount() > 0);
        stok.first();
        const int stokno = stok.fieldByName(u"STOK_STOKNO").toInt();
        const std::optional<double> before = basketQuantity(stokno);
        int reloads = 0;
        test::onNextModal([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
        Tstokayarinti::AddCommand(context(reloads), stok, QuantitySource::StockList, stokno);
        QCOMPARE(reloads, 0);
        QCOMPARE(basketQuantity(stokno), before);
    }

    // The dialog for a part with a picture, quantity 3, as a dealer sees it.
    void screenshot()
    {
        m_bagc.open();
        TableReader reader = TServerMethods1Client(m_bagc.dbxConnection()).VelunStokAra(u"FREN"_qs, m_sbilgi);
        m_bagc.close();
        MemDataset stok;
        CopyReaderToDataset(reader, stok);
        SetFloatDisplayFormat(stok);
        QVERIFY(stok.locate(u"RESIM"_qs, 1));
        const int stokno = stok.fieldByName(u"STOK_STOKNO").toInt();
        int reloads = 0;
        bool picture = false;
        test::onNextModal([&](QWidget* w) {
            auto* d = qobject_cast<Tstokayarinti*>(w);
            QVERIFY(d);
            d->adet->setValue(3);
            picture = d->hasProductPicture();
            QVERIFY(!test::saveScreenshot(d, u"quantity-dialog"_qs).isEmpty());
            d->reject();
        });
        Tstokayarinti::AddCommand(context(reloads), stok, QuantitySource::StockList, stokno);
        QVERIFY(picture);
    }

    void quantityChangeRecomputes()
    {
        Tstokayarinti d(nullptr);
        prefill(d, 100, 10, 20);
        d.show();
        d.adet->setValue(3);
        QCOMPARE(d.indtutar->text(), u"90,00"_qs);
        QCOMPARE(d.kdvdahiltutar->text(), u"108,00"_qs);
        QCOMPARE(d.geneltutar->text(), u"324,00"_qs);
    }

    void keyReleaseInAnAmountBoxRecomputes()
    {
        Tstokayarinti d(nullptr);
        prefill(d, 33.33, 0, 20);
        d.setPricesEditable(true);
        d.show();
        d.indoran->setFocus();
        d.indoran->clear();
        QTest::keyClicks(d.indoran, u"15"_qs);
        QCOMPARE(d.indtutar->text(), u"28,33"_qs); // the discount is r(4.9995) = 5.00
    }

    void enterKeys()
    {
        Tstokayarinti d(nullptr);
        prefill(d, 10, 0, 20);
        d.setPricesEditable(true);
        d.show();
        QApplication::setActiveWindow(&d);
        QTest::keyClick(d.birimfiyat, Qt::Key_Return);
        QCOMPARE(d.focusWidget(), d.indoran);
        QTest::keyClick(d.indoran, Qt::Key_Return);
        QCOMPARE(d.focusWidget(), d.birimfiyat);
        QTest::keyClick(d.adet, Qt::Key_Return);
        QCOMPARE(d.result(), int(QDialog::Accepted));
    }

    void dealersChangeOnlyTheQuantity()
    {
        Tstokayarinti d(nullptr);
        d.setPricesEditable(false);
        for (QLineEdit* e : {d.birimfiyat, d.indoran, d.indtutar, d.kdvdahiltutar, d.geneltutar})
            QVERIFY(e->isReadOnly());
        d.setPricesEditable(true);
        QVERIFY(!d.birimfiyat->isReadOnly());
        QVERIFY(!d.indoran->isReadOnly());
        QVERIFY(d.indtutar->isReadOnly());
    }
};

QTEST_MAIN(TestQuantityDialog)
#include "tst_quantitydialog.moc"
