// Catalogue search, product pictures, the new-item and campaign lists, and the overdue-debt notice.
//
// Search rules: the text is split into words at blanks; every word, folded like the index (see
// searchindex.h), must occur in some searchable field of the item. Words of 3 or more characters go to
// the trigram index; shorter ones are checked against the folded text of the candidates the long words
// give, and a text of short words only looks them up as code prefixes on the folded-code index, so no
// search reads the whole catalogue. Items one of whose codes equals the whole text (all words joined)
// come first, then the rest by stock number; at most kMaxRows rows.
//
// Prices for a customer: a normal item gets the better of the customer's discount and the item's own
// (ISK1); a campaign item (KAMPANYALI with a campaign price) gets its campaign price as net price and no
// discount.

#include "appserver/database.h"
#include "appserver/dispatcher.h"
#include "appserver/methods.h"
#include "appserver/pricing.h"
#include "appserver/searchindex.h"
#include "appserver/storequeries.h"

#include "server/baglantiu.h"

#include <QDate>
#include <QLocale>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <optional>
#include <set>

namespace velun::appserver {
namespace {

constexpr int kMaxRows = 500;
// Index entries a search of short words only may read.
constexpr int kShortWordScan = 20000;

// ---------------------------------------------------------------------------------------------
// Item rows

enum class ListKind { Stock, Campaign };

QList<ColumnDef> itemColumns(ListKind kind)
{
    const auto t = [](const char16_t* n) { return ColumnDef{QString::fromUtf16(n), FieldType::Text}; };
    const auto i = [](const char16_t* n) { return ColumnDef{QString::fromUtf16(n), FieldType::Int32}; };
    const auto d = [](const char16_t* n) { return ColumnDef{QString::fromUtf16(n), FieldType::Double}; };
    QList<ColumnDef> c = {
        i(u"STOK_STOKNO"), t(u"BARKOD"), i(u"BARKOD_BARKODNO"), t(u"FINISHKOD"), t(u"PKOD"), t(u"DPKOD"),
        t(u"OEMNO"), t(u"OEM1"), t(u"OEM2"), t(u"OEM3"), t(u"OEM4"), t(u"URETICIKODU"), t(u"ADI"),
        t(u"DIGERADI"), t(u"MARKA"), t(u"MODEL"), t(u"OZELKOD"), t(u"ANAGRUP"), t(u"BIRIM"), d(u"KDV"),
        d(u"FIYAT"), d(u"INDIRIM"), d(u"NETFIYAT"), d(u"KDVDAHIL"), d(u"LISTEFIYAT1"), d(u"KAMPFIYAT"),
        i(u"K"), i(u"Y"), i(u"RESIM"), i(u"DURUM"), i(u"ISTANBUL"), i(u"ANTEP"), d(u"KALAN"),
        d(u"ISTANBULADET"), d(u"ANTEPADET"), d(u"ALINANSIPARIS"), d(u"VERILENSIPARIS"),
    };
    if (kind == ListKind::Campaign)
        c.append(d(u"ESKIFIYAT"));
    return c;
}

// The raw item columns, in this order, for the stock numbers of a JSON array (bound twice), in the
// array's order. The states follow the rule of the stok_depo_durum and stok_durum views; the totals are
// summed here for the asked items only, where the stok_durum view would sum every item's stock.
const QString kItemRowsSql = QStringLiteral(
    "SELECT s.STOKNO, s.BARKOD, s.BARKODNO, s.FINISHKOD, s.PKOD, s.DPKOD, "
    "COALESCE((SELECT group_concat(OEMNO, ' ') FROM (SELECT OEMNO FROM stok_oem WHERE STOKNO = s.STOKNO ORDER BY SIRA)), ''), "
    "COALESCE((SELECT OEMNO FROM stok_oem WHERE STOKNO = s.STOKNO AND SIRA = 1), ''), "
    "COALESCE((SELECT OEMNO FROM stok_oem WHERE STOKNO = s.STOKNO AND SIRA = 2), ''), "
    "COALESCE((SELECT OEMNO FROM stok_oem WHERE STOKNO = s.STOKNO AND SIRA = 3), ''), "
    "COALESCE((SELECT OEMNO FROM stok_oem WHERE STOKNO = s.STOKNO AND SIRA = 4), ''), "
    "s.URETICIKODU, s.ADI, s.DIGERADI, s.MARKA, s.MODEL, s.OZELKOD, s.ANAGRUP, s.BIRIM, s.KDV, s.FIYAT, s.ISK1, "
    "s.KAMPANYALI, s.KAMPFIYAT, s.YENI, EXISTS (SELECT 1 FROM stok_resim r WHERE r.STOKNO = s.STOKNO), "
    "CASE WHEN COALESCE(t.MIKTAR, 0) > 0 AND t.MIKTAR >= s.KRITIKMIKTAR THEN 1 WHEN COALESCE(t.MIKTAR, 0) > 0 THEN 2 "
    "     WHEN COALESCE(t.YOLDA, 0) > 0 THEN 3 WHEN s.TEDARIKDURUMU = 2 THEN 4 WHEN s.TEDARIKDURUMU = 1 THEN 5 ELSE 0 END, "
    "COALESCE((SELECT dd.DURUM FROM stok_depo_durum dd JOIN depolar w ON w.DEPONO = dd.DEPONO "
    "          WHERE dd.STOKNO = s.STOKNO AND w.DEPOADI = 'ISTANBUL'), "
    "         CASE s.TEDARIKDURUMU WHEN 2 THEN 4 WHEN 1 THEN 5 ELSE 0 END), "
    "COALESCE((SELECT dd.DURUM FROM stok_depo_durum dd JOIN depolar w ON w.DEPONO = dd.DEPONO "
    "          WHERE dd.STOKNO = s.STOKNO AND w.DEPOADI = 'ANTEP'), "
    "         CASE s.TEDARIKDURUMU WHEN 2 THEN 4 WHEN 1 THEN 5 ELSE 0 END), "
    "COALESCE(t.MIKTAR, 0), "
    "COALESCE((SELECT d.MIKTAR FROM stok_depo d JOIN depolar w ON w.DEPONO = d.DEPONO "
    "          WHERE d.STOKNO = s.STOKNO AND w.DEPOADI = 'ISTANBUL'), 0), "
    "COALESCE((SELECT d.MIKTAR FROM stok_depo d JOIN depolar w ON w.DEPONO = d.DEPONO "
    "          WHERE d.STOKNO = s.STOKNO AND w.DEPOADI = 'ANTEP'), 0), "
    "COALESCE((SELECT SUM(ss.KALAN) FROM siparis_satirlari ss WHERE ss.STOKNO = s.STOKNO AND ss.KALAN > 0), 0), "
    "COALESCE(t.YOLDA, 0) "
    "FROM json_each(?) j JOIN stoklar s ON s.STOKNO = j.value "
    "LEFT JOIN (SELECT STOKNO, SUM(MIKTAR) AS MIKTAR, SUM(YOLDA) AS YOLDA FROM stok_depo "
    "           WHERE STOKNO IN (SELECT value FROM json_each(?)) GROUP BY STOKNO) t ON t.STOKNO = s.STOKNO "
    "ORDER BY j.key");

QString idArray(const std::vector<qint64>& ids)
{
    QString s = QStringLiteral("[");
    for (size_t n = 0; n < ids.size(); ++n) {
        if (n)
            s += u',';
        s += QString::number(ids[n]);
    }
    return s + u']';
}

struct Pricing
{
    double customerDiscount = 0;
};

TableData itemTable(QSqlDatabase& db, const std::vector<qint64>& stockNumbers, const Pricing& pricing, ListKind kind)
{
    TableData table;
    table.columns = itemColumns(kind);
    if (stockNumbers.empty())
        return table;
    const QString array = idArray(stockNumbers);
    QSqlQuery q = exec(db, kItemRowsSql, {array, array});
    const auto text = [&q](int i) { return QVariant(q.value(i).toString()); };
    const auto integer = [&q](int i) { return QVariant(q.value(i).toInt()); };
    const auto number = [&q](int i) { return QVariant(q.value(i).toDouble()); };
    while (q.next()) {
        const double vat = q.value(19).toDouble();
        const double listPrice = q.value(20).toDouble();
        const double campaignPrice = q.value(23).toDouble();
        const bool campaign = q.value(22).toInt() == 1 && campaignPrice > 0;
        const double discount = campaign ? 0.0 : std::max(pricing.customerDiscount, q.value(21).toDouble());
        const double net = campaign ? RoundMoney(campaignPrice) : NetUnitPrice(listPrice, discount);
        Row row;
        row.reserve(static_cast<size_t>(table.columns.size()));
        row.push_back(integer(0));
        row.push_back(text(1));
        row.push_back(integer(2));
        for (int i = 3; i <= 18; ++i)
            row.push_back(text(i));
        row.push_back(vat);
        row.push_back(kind == ListKind::Campaign && campaign ? campaignPrice : listPrice); // FIYAT
        row.push_back(discount);                                                          // INDIRIM
        row.push_back(net);                                                               // NETFIYAT
        row.push_back(WithVat(net, vat));                                                 // KDVDAHIL
        row.push_back(listPrice);                                                         // LISTEFIYAT1
        row.push_back(campaign ? campaignPrice : 0.0);                                    // KAMPFIYAT
        row.push_back(campaign ? 1 : 0);                                                  // K
        row.push_back(q.value(24).toInt() == 1 ? 1 : 0);                                  // Y
        row.push_back(q.value(25).toInt() != 0 ? 1 : 0);                                  // RESIM
        for (int i = 26; i <= 28; ++i)
            row.push_back(integer(i));                                                    // DURUM, ISTANBUL, ANTEP
        for (int i = 29; i <= 33; ++i)
            row.push_back(number(i));                       // KALAN, ISTANBULADET, ANTEPADET, ALINANSIPARIS, VERILENSIPARIS
        if (kind == ListKind::Campaign)
            row.push_back(listPrice);                                                     // ESKIFIYAT
        table.rows.push_back(std::move(row));
    }
    return table;
}

// ---------------------------------------------------------------------------------------------
// Search

std::vector<qint64> ids(QSqlQuery& q)
{
    std::vector<qint64> out;
    while (q.next())
        out.push_back(q.value(0).toLongLong());
    return out;
}

// Active items one of whose folded codes equals the whole folded text.
std::vector<qint64> exactCodeHits(QSqlDatabase& db, const QString& whole)
{
    QSqlQuery q = exec(db,
                       QStringLiteral("SELECT DISTINCT k.STOKNO FROM stok_kod k JOIN stoklar s ON s.STOKNO = k.STOKNO "
                                      "WHERE k.KOD = ? AND s.AKTIF = 1 ORDER BY k.STOKNO LIMIT %1")
                           .arg(kMaxRows),
                       {whole});
    return ids(q);
}

// "instr(...) > 0" for each short word: a plain substring test on the candidates' folded text.
QString shortWordFilter(const QString& textColumn, const QStringList& shortWords, QVariantList& binds)
{
    QString sql;
    for (const QString& w : shortWords) {
        sql += QStringLiteral(" AND instr(%1, ?) > 0").arg(textColumn);
        binds.append(w);
    }
    return sql;
}

std::vector<qint64> indexMatches(QSqlDatabase& db, const QStringList& longWords, const QStringList& shortWords, int limit)
{
    // The words hold letters and digits only, so quoting each as a phrase leaves no index syntax to inject.
    QStringList phrases;
    for (const QString& w : longWords)
        phrases.append(u'"' + w + u'"');
    QVariantList binds{phrases.join(QStringLiteral(" AND "))};
    const QString filter = shortWordFilter(QStringLiteral("stok_arama.METIN"), shortWords, binds);
    binds.append(limit);
    QSqlQuery q = exec(db,
                       QStringLiteral("SELECT stok_arama.rowid FROM stok_arama JOIN stoklar s ON s.STOKNO = stok_arama.rowid "
                                      "WHERE stok_arama MATCH ? AND s.AKTIF = 1%1 ORDER BY stok_arama.rowid LIMIT ?")
                           .arg(filter),
                       binds);
    return ids(q);
}

// No word is long enough for the trigram index: the longest one is looked up as a code prefix.
std::vector<qint64> codePrefixMatches(QSqlDatabase& db, const QStringList& shortWords, int limit)
{
    QString prefix;
    for (const QString& w : shortWords)
        if (w.size() > prefix.size())
            prefix = w;
    QVariantList binds{prefix, QString(prefix + QChar(0xFFFF))};
    const QString filter = shortWordFilter(QStringLiteral("a.METIN"), shortWords, binds);
    binds.append(limit);
    QSqlQuery q = exec(db,
                       QStringLiteral("SELECT DISTINCT c.STOKNO FROM "
                                      "(SELECT STOKNO FROM stok_kod WHERE KOD >= ? AND KOD < ? LIMIT %1) c "
                                      "JOIN stoklar s ON s.STOKNO = c.STOKNO JOIN stok_arama a ON a.rowid = c.STOKNO "
                                      "WHERE s.AKTIF = 1%2 ORDER BY c.STOKNO LIMIT ?")
                           .arg(kShortWordScan)
                           .arg(filter),
                       binds);
    return ids(q);
}

std::vector<qint64> searchStockNumbers(QSqlDatabase& db, const QString& text)
{
    const QStringList words = search::searchWords(text);
    if (words.isEmpty())
        return {};
    QStringList longWords, shortWords;
    for (const QString& w : words)
        (w.size() >= 3 ? longWords : shortWords).append(w);

    std::vector<qint64> result = exactCodeHits(db, words.join(QString()));
    const int wanted = kMaxRows + static_cast<int>(result.size());
    const std::vector<qint64> matches =
        longWords.isEmpty() ? codePrefixMatches(db, shortWords, wanted) : indexMatches(db, longWords, shortWords, wanted);

    const std::set<qint64> exact(result.begin(), result.end());
    for (qint64 id : matches) {
        if (result.size() >= static_cast<size_t>(kMaxRows))
            break;
        if (!exact.count(id))
            result.push_back(id);
    }
    return result;
}

// ---------------------------------------------------------------------------------------------

std::optional<double> customerDiscount(QSqlDatabase& db, int customerNo)
{
    QSqlQuery q = exec(db, QStringLiteral("SELECT INDIRIM FROM cariler WHERE CARINO = ?"), {customerNo});
    if (!q.next())
        return std::nullopt;
    return q.value(0).toDouble();
}

// Customer 0 stands for "no customer chosen yet" and gets list prices; an unknown customer nothing.
std::optional<Pricing> pricingFor(QSqlDatabase& db, int customerNo)
{
    if (customerNo < 0)
        return std::nullopt;
    if (customerNo == 0)
        return Pricing{};
    const std::optional<double> discount = customerDiscount(db, customerNo);
    if (!discount)
        return std::nullopt;
    return Pricing{*discount};
}

void velunStokAra(CallContext& ctx, const Args& args, Reply& reply)
{
    const QString text = args.text(0);
    const std::optional<TSonucBilgisi> login = args.login(1);
    std::optional<Pricing> pricing;
    // The login record only names the machine and the customer; who may see that customer's prices is ours to say.
    if (login) {
        const std::optional<store::MachineUser> user = store::machineUser(ctx.db, login->BILGISAYARID());
        const int customerNo = login->CARINO();
        if (user && user->mayLogIn() && (customerNo == 0 || store::maySeeCustomer(ctx.db, *user, customerNo)))
            pricing = pricingFor(ctx.db, customerNo);
    }
    const std::vector<qint64> found = pricing ? searchStockNumbers(ctx.db, text) : std::vector<qint64>{};
    reply.result(wire::table(itemTable(ctx.db, found, pricing.value_or(Pricing{}), ListKind::Stock)));
}

void resimVer5(CallContext& ctx, const Args& args, Reply& reply)
{
    QSqlQuery q = exec(ctx.db, QStringLiteral("SELECT RESIM FROM stok_resim WHERE STOKNO = ?"), {args.int32(0)});
    const QByteArray picture = q.next() ? q.value(0).toByteArray() : QByteArray();
    reply.out(QStringLiteral("boy"), wire::int64(picture.size()));
    reply.result(wire::stream(picture));
}

void yenilerVer(CallContext& ctx, const Args& args, Reply& reply)
{
    const std::optional<Pricing> pricing = pricingFor(ctx.db, args.int32(0));
    std::vector<qint64> found;
    if (pricing) {
        // Newest first: the most recently added items have the highest numbers.
        QSqlQuery q = exec(ctx.db, QStringLiteral("SELECT STOKNO FROM stoklar WHERE YENI = 1 AND AKTIF = 1 "
                                                  "ORDER BY STOKNO DESC LIMIT %1")
                                       .arg(kMaxRows));
        found = ids(q);
    }
    reply.result(wire::table(itemTable(ctx.db, found, pricing.value_or(Pricing{}), ListKind::Stock)));
}

// Representatives (types 1, 2) see every campaign item; a dealer of type 3 only those with something
// to deliver (a state other than "Yok"); type 4 has no campaign prices at all.
void kampanyaliVer(CallContext& ctx, const Args& args, Reply& reply)
{
    const std::optional<Pricing> pricing = pricingFor(ctx.db, args.int32(0));
    const qint32 userType = args.int32(1);
    std::vector<qint64> found;
    if (pricing && userType >= 1 && userType <= 3) {
        const QString available = userType == 3 ? QStringLiteral(
                                                      " AND (s.TEDARIKDURUMU <> 0 "
                                                      "OR (SELECT SUM(d.MIKTAR) FROM stok_depo d WHERE d.STOKNO = s.STOKNO) > 0 "
                                                      "OR (SELECT SUM(d.YOLDA) FROM stok_depo d WHERE d.STOKNO = s.STOKNO) > 0)")
                                                : QString();
        QSqlQuery q = exec(ctx.db, QStringLiteral("SELECT s.STOKNO FROM stoklar s WHERE s.KAMPANYALI = 1 AND s.AKTIF = 1 "
                                                  "AND s.KAMPFIYAT > 0%1 ORDER BY s.STOKNO LIMIT %2")
                                       .arg(available)
                                       .arg(kMaxRows));
        found = ids(q);
    }
    reply.result(wire::table(itemTable(ctx.db, found, pricing.value_or(Pricing{}), ListKind::Campaign)));
}

// ---------------------------------------------------------------------------------------------
// Overdue debts

struct Overdue
{
    double amount = 0;
    int days = 0;
};

// Payments settle the oldest debts first; what stays unpaid of a debt more than the customer's
// tolerance (VADEKONTROLGUN) past its due date is overdue. Debts without a due date never are.
std::optional<Overdue> overdueOf(QSqlDatabase& db, int customerNo, const QDate& today)
{
    QSqlQuery c = exec(db, QStringLiteral("SELECT VADEKONTROLGUN FROM cariler WHERE CARINO = ?"), {customerNo});
    if (!c.next())
        return std::nullopt;
    const int tolerance = c.value(0).toInt();
    QSqlQuery paid = exec(db, QStringLiteral("SELECT COALESCE(SUM(ALACAK), 0) FROM cari_hareketler WHERE CARINO = ?"), {customerNo});
    double credit = paid.next() ? paid.value(0).toDouble() : 0.0;

    QSqlQuery debts = exec(db, QStringLiteral("SELECT BORC, VADETARIHI FROM cari_hareketler WHERE CARINO = ? AND BORC > 0 "
                                              "ORDER BY COALESCE(VADETARIHI, TARIH), TARIH, IDNO"),
                           {customerNo});
    Overdue o;
    while (debts.next()) {
        const double debt = debts.value(0).toDouble();
        const double settled = std::min(debt, credit);
        credit -= settled;
        const double open = RoundMoney(debt - settled);
        if (open <= 0 || debts.value(1).isNull())
            continue;
        const QDate due = QDate::fromString(debts.value(1).toString().left(10), Qt::ISODate);
        if (!due.isValid())
            continue;
        const qint64 late = due.daysTo(today);
        if (late <= tolerance)
            continue;
        o.amount = RoundMoney(o.amount + open);
        o.days = std::max(o.days, static_cast<int>(late));
    }
    if (o.amount <= 0)
        return std::nullopt;
    return o;
}

void cariVadeGunGecmismiBul(CallContext& ctx, const Args& args, Reply& reply)
{
    const std::optional<Overdue> o = overdueOf(ctx.db, args.int32(0), QDate::currentDate());
    QString sentence;
    if (o) {
        const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
        sentence = QStringLiteral("Vadesi geçmiş %1 TL borcunuz bulunmaktadır; en eski borcunuzun vadesi %2 gün önce dolmuştur.")
                       .arg(turkish.toString(o->amount, 'f', 2))
                       .arg(o->days);
    }
    reply.result(wire::text(sentence));
}

} // namespace

void registerCatalogueMethods(Dispatcher& dispatcher)
{
    dispatcher.add(QStringLiteral("VelunStokAra"), velunStokAra);
    dispatcher.add(QStringLiteral("ResimVer5"), resimVer5);
    dispatcher.add(QStringLiteral("YenilerVer"), yenilerVer);
    dispatcher.add(QStringLiteral("KampanyaliVer"), kampanyaliVer);
    dispatcher.add(QStringLiteral("CariVadeGunGecmismiBul"), cariVadeGunGecmismiBul);
}

} // namespace velun::appserver
