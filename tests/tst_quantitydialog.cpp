// The quantity dialog as a user drives it: the recompute as keys are released, the quantity rule,
// Enter in each box, which boxes a user type may change; the add and change commands against the
// real server.
#include "catalogue/tstokayarinti.h"
#include "platform/pause.h"
#include "server/baglantiu.h"
#include "server/connection.h"
#include "server/dataset.h"
#include "tests/support/guitest.h"
#include "tests/support/testserver.h"

#include <QLineEdit>
#include <QSpinBox>
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

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey)); }

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
