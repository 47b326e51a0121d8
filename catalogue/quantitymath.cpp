#include "catalogue/quantitymath.h"

#include "server/dataset.h"
#include "server/displayformat.h"

namespace velun {
namespace {

double field(const MemDataset& d, int row, QStringView name)
{
    const int c = d.columnIndex(name);
    return c < 0 ? 0.0 : d.value(row, c).toDouble();
}

QString displayText(const MemDataset& d, int row, QStringView name)
{
    const int c = d.columnIndex(name);
    return c < 0 ? QString() : d.displayText(row, c);
}

} // namespace

QuantityBoxes PrefillQuantityBoxes(QuantitySource source, const MemDataset& d, int row, const QLocale& locale)
{
    QuantityBoxes b;
    const double kdv = field(d, row, u"KDV");
    const double vatFactor = kdv / 100.0 + 1.0;
    const auto r = [&](double v) { return RoundMoney2(v, locale); };
    const QString discountLabel = QStringLiteral("İndirim:  % ") + displayText(d, row, u"INDIRIM");

    if (source == QuantitySource::BasketLine) {
        b.birimfiyat = field(d, row, u"BIRIMFIYAT");
        b.indoran = field(d, row, u"INDIRIMORANI1");
        b.indtutar = field(d, row, u"NETBIRIMFIYAT");
        b.kdvdahiltutar = r(b.indtutar * vatFactor);
        b.kdvlifiyat = r(b.birimfiyat * vatFactor); // before discount
        return b;
    }
    b.birimfiyat = field(d, row, u"FIYAT");
    b.indoran = field(d, row, u"INDIRIM");
    b.indtutar = field(d, row, u"NETFIYAT");
    b.kdvlifiyat = field(d, row, u"KDVDAHIL");
    if (source == QuantitySource::Campaign) {
        b.kdvdahiltutar = r(b.indtutar * vatFactor);
        return b;
    }
    const int kColumn = d.columnIndex(u"K");
    const QVariant kValue = kColumn < 0 ? QVariant() : d.value(row, kColumn);
    const bool kKnown = !kValue.isNull() && kValue.toInt() >= 0;
    const int k = kValue.toInt();
    if (source == QuantitySource::StockList) {
        if (!kKnown)
            return QuantityBoxes(); // a row with a negative or empty flag shows nothing
        b.kdvdahiltutar = field(d, row, u"KDVDAHIL");
        if (k > 0) {
            b.indoran = 0;
            b.discountLeftEmpty = true;
            b.indirimoran = QStringLiteral("Kampanyalı");
        } else {
            b.indirimoran = discountLabel;
        }
        return b;
    }
    // New items: a flag that is not > 0 counts as 0.
    if (kKnown && k > 0) {
        b.kdvdahiltutar = field(d, row, u"KDVDAHIL");
        b.indirimoran = QStringLiteral("Kampanyalı");
    } else {
        b.kdvdahiltutar = r(b.indtutar * vatFactor);
        b.indirimoran = discountLabel;
    }
    return b;
}

double ShownTotal(double quantity, double kdvlifiyat, const QLocale& locale)
{
    return RoundMoney2(quantity * kdvlifiyat, locale);
}

void RecomputeQuantityBoxes(QuantityBoxes& b, double kdvoran, double quantity, const QLocale& locale)
{
    const auto r = [&](double v) { return RoundMoney2(v, locale); };
    const double f = kdvoran / 100.0 + 1.0;
    double p = b.birimfiyat;
    if (b.indoran > 0.0001)
        p = p - r(b.indoran * p / 100.0);
    b.indtutar = p;
    b.kdvdahiltutar = r(b.indtutar * f);
    b.geneltutar = r(b.kdvdahiltutar * quantity);
}

} // namespace velun
