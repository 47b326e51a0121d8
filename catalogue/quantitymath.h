#pragma once
// The quantity dialog's arithmetic: what its boxes are pre-filled with, and how they are recomputed
// as the user types. Every amount goes through the two-decimal rounding of the client.

#include <QLocale>
#include <QString>

namespace velun {

class MemDataset;

// Where the dialog was opened from.
enum class QuantitySource { StockList, NewItems, Campaign, BasketLine };

struct QuantityBoxes
{
    double birimfiyat = 0;    // unit price before discount
    double indoran = 0;       // discount rate in percent
    double indtutar = 0;      // net unit price
    double kdvdahiltutar = 0; // net unit price with VAT
    double geneltutar = 0;    // line total with VAT
    double kdvlifiyat = 0;    // the VAT-inclusive unit price "Tutar:" is first shown with
    QString indirimoran = QStringLiteral("İndirim:"); // the discount label's text
    bool discountLeftEmpty = false; // a campaign item from the stock list: the rate box shows nothing
};

// The pre-fill of the boxes from the source dataset's current row (geneltutar is not set here).
QuantityBoxes PrefillQuantityBoxes(QuantitySource source, const MemDataset& row, int rowIndex,
                                   const QLocale& locale = QLocale::system());

// The shown-price rule: the total the dialog first shows for a quantity.
double ShownTotal(double quantity, double kdvlifiyat, const QLocale& locale = QLocale::system());

// The recompute rule after a change of the quantity or a key in an amount box: indtutar,
// kdvdahiltutar and geneltutar follow from the unit price, the rate, the VAT rate and the quantity.
void RecomputeQuantityBoxes(QuantityBoxes& boxes, double kdvoran, double quantity,
                            const QLocale& locale = QLocale::system());

} // namespace velun
