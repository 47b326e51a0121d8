// The quantity dialog's arithmetic: the worked examples, the pre-fill by source, the campaign flag.
#include "catalogue/quantitymath.h"
#include "catalogue/tsepet.h"
#include "server/dataset.h"

#include <QTest>

using namespace velun;

namespace {

const QLocale kTurkish(QLocale::Turkish, QLocale::Turkey);

MemDataset& stockRow(MemDataset& d, const QVariant& k)
{
    d.setColumns({{u"FIYAT"_qs, FieldType::Double}, {u"INDIRIM"_qs, FieldType::Double},
                  {u"NETFIYAT"_qs, FieldType::Double}, {u"KDVDAHIL"_qs, FieldType::Double},
                  {u"KDV"_qs, FieldType::Double}, {u"K"_qs, FieldType::Int32}});
    d.setLocale(kTurkish);
    d.setDisplayFormat(1, u"#,###,##0.00"_qs);
    d.appendRow({100.0, 10.0, 90.0, 107.99, 20.0, k});
    return d;
}

} // namespace

class TestQuantityMath : public QObject
{
    Q_OBJECT

private slots:
    void recompute_data()
    {
        QTest::addColumn<double>("price");
        QTest::addColumn<double>("rate");
        QTest::addColumn<double>("vat");
        QTest::addColumn<double>("quantity");
        QTest::addColumn<double>("net");
        QTest::addColumn<double>("withVat");
        QTest::addColumn<double>("total");
        QTest::newRow("100, 10 %, 20 % VAT, 3 pieces") << 100.0 << 10.0 << 20.0 << 3.0 << 90.0 << 108.0 << 324.0;
        QTest::newRow("a rate of 0.0001 is no discount") << 50.0 << 0.0001 << 20.0 << 1.0 << 50.0 << 60.0 << 60.0;
        QTest::newRow("33.33 at 15 %: discount r(4.9995) = 5.00") << 33.33 << 15.0 << 20.0 << 2.0 << 28.33 << 34.0 << 68.0;
        QTest::newRow("no VAT") << 10.0 << 0.0 << 0.0 << 7.0 << 10.0 << 10.0 << 70.0;
        QTest::newRow("half away from zero") << 0.125 << 0.0 << 0.0 << 1.0 << 0.125 << 0.13 << 0.13;
    }
    void recompute()
    {
        QFETCH(double, price);
        QFETCH(double, rate);
        QFETCH(double, vat);
        QFETCH(double, quantity);
        QFETCH(double, net);
        QFETCH(double, withVat);
        QFETCH(double, total);
        QuantityBoxes b;
        b.birimfiyat = price;
        b.indoran = rate;
        RecomputeQuantityBoxes(b, vat, quantity, kTurkish);
        QCOMPARE(b.indtutar, net);
        QCOMPARE(b.kdvdahiltutar, withVat);
        QCOMPARE(b.geneltutar, total);
    }

    void stockListPrefill_data()
    {
        QTest::addColumn<QVariant>("k");
        QTest::addColumn<double>("rate");
        QTest::addColumn<double>("withVat");
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("empty");
        QTest::newRow("normal item") << QVariant(0) << 10.0 << 107.99 << u"İndirim:  % 10,00"_qs << false;
        QTest::newRow("campaign item") << QVariant(2) << 0.0 << 107.99 << u"Kampanyalı"_qs << true;
        QTest::newRow("negative flag") << QVariant(-1) << 0.0 << 0.0 << u"İndirim:"_qs << false;
        QTest::newRow("empty flag") << QVariant() << 0.0 << 0.0 << u"İndirim:"_qs << false;
    }
    void stockListPrefill()
    {
        QFETCH(QVariant, k);
        QFETCH(double, rate);
        QFETCH(double, withVat);
        QFETCH(QString, label);
        QFETCH(bool, empty);
        MemDataset d;
        const QuantityBoxes b = PrefillQuantityBoxes(QuantitySource::StockList, stockRow(d, k), 0, kTurkish);
        QCOMPARE(b.indoran, rate);
        QCOMPARE(b.kdvdahiltutar, withVat);
        QCOMPARE(b.kdvlifiyat, withVat);
        QCOMPARE(b.indirimoran, label);
        QCOMPARE(b.discountLeftEmpty, empty);
    }

    void listPrefillsComputeTheVatPrice()
    {
        MemDataset d;
        stockRow(d, 0);
        // New items with K = 0 and the campaign list compute r(NETFIYAT × 1.2) instead of taking KDVDAHIL.
        const QuantityBoxes fresh = PrefillQuantityBoxes(QuantitySource::NewItems, d, 0, kTurkish);
        QCOMPARE(fresh.kdvdahiltutar, 108.0);
        QCOMPARE(fresh.kdvlifiyat, 107.99);
        const QuantityBoxes campaign = PrefillQuantityBoxes(QuantitySource::Campaign, d, 0, kTurkish);
        QCOMPARE(campaign.kdvdahiltutar, 108.0);
        QCOMPARE(campaign.indirimoran, u"İndirim:"_qs);
        MemDataset c;
        stockRow(c, 1);
        QCOMPARE(PrefillQuantityBoxes(QuantitySource::NewItems, c, 0, kTurkish).kdvdahiltutar, 107.99);
    }

    void basketTotals_data()
    {
        QTest::addColumn<QList<QVariantList>>("lines"); // SEC, TUTAR, INDIRIMTUTAR, KDV
        QTest::addColumn<QList<double>>("totals");     // gross, discount, net, tax, grand
        QTest::newRow("two selected lines, whatever their VAT")
            << QList<QVariantList>{{1, 100.0, 10.0, 8.0}, {1, 50.0, 0.0, 18.0}}
            << QList<double>{150.0, 10.0, 140.0, 28.0, 168.0};
        QTest::newRow("unselected lines do not count")
            << QList<QVariantList>{{1, 100.0, 10.0, 20.0}, {0, 999.0, 0.0, 20.0}}
            << QList<double>{100.0, 10.0, 90.0, 18.0, 108.0};
        QTest::newRow("nothing selected") << QList<QVariantList>{{0, 100.0, 10.0, 20.0}}
                                          << QList<double>{0, 0, 0, 0, 0};
        QTest::newRow("rounded step by step") << QList<QVariantList>{{1, 0.333, 0.0, 20.0}, {1, 0.333, 0.0, 20.0}}
                                              << QList<double>{0.66, 0.0, 0.66, 0.13, 0.79};
    }
    void basketTotals()
    {
        QFETCH(QList<QVariantList>, lines);
        QFETCH(QList<double>, totals);
        MemDataset sepet;
        sepet.setColumns({{u"SEC"_qs, FieldType::Int32}, {u"TUTAR"_qs, FieldType::Double},
                          {u"INDIRIMTUTAR"_qs, FieldType::Double}, {u"KDV"_qs, FieldType::Double}});
        for (const QVariantList& l : lines)
            sepet.appendRow(Row(l.begin(), l.end()));
        const BasketTotals t = ComputeBasketTotals(sepet);
        QCOMPARE(t.gross, totals[0]);
        QCOMPARE(t.discount, totals[1]);
        QCOMPARE(t.net, totals[2]);
        QVERIFY(qAbs(t.tax - totals[3]) < 1e-9);
        QCOMPARE(t.grand, totals[4]);
    }

    void basketLineShowsThePriceBeforeDiscountFirst()
    {
        MemDataset sepet;
        sepet.setColumns({{u"BIRIMFIYAT"_qs, FieldType::Double}, {u"INDIRIMORANI1"_qs, FieldType::Double},
                          {u"NETBIRIMFIYAT"_qs, FieldType::Double}, {u"KDV"_qs, FieldType::Double}});
        sepet.appendRow({100.0, 10.0, 90.0, 20.0});
        QuantityBoxes b = PrefillQuantityBoxes(QuantitySource::BasketLine, sepet, 0, kTurkish);
        QCOMPARE(b.kdvlifiyat, 120.0);
        QCOMPARE(b.kdvdahiltutar, 108.0);
        QCOMPARE(ShownTotal(3, b.kdvlifiyat, kTurkish), 360.0); // before the first recompute
        RecomputeQuantityBoxes(b, 20.0, 3, kTurkish);
        QCOMPARE(b.geneltutar, 324.0);
    }
};

QTEST_GUILESS_MAIN(TestQuantityMath)
#include "tst_quantitymath.moc"
