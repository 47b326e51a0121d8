// The server-side basket (one per customer), the order form's choices and the saving of an order.
//
// Pricing: the server prices every line itself. A sales representative (types 1 and 2) may set the
// unit price and the discount rate; for a dealer the catalogue decides: the campaign price without
// discount for a campaign item, otherwise the list price with the customer's discount. The VAT rate,
// barcode and name always come from the catalogue, and the line's giver is the user of the login record.
//
// Adding a part that is already in the customer's basket adds the quantity to that line (one line per
// part), reprices it with the terms of this add and selects it; a sum outside 1-10000 is refused.

#include "appserver/database.h"
#include "appserver/dispatcher.h"
#include "appserver/methods.h"
#include "appserver/pricing.h"
#include "appserver/storequeries.h"
#include "appserver/tablequery.h"

#include "server/baglantiu.h"
#include "server/wire.h"

#include <QSqlQuery>
#include <QVariant>

#include <cmath>

namespace velun::appserver {
namespace {

constexpr double kMinQuantity = 1;
constexpr double kMaxQuantity = 10000;
// A message longer than this is not something a person typed into the order form.
constexpr qsizetype kMaxOrderNoteChars = 4000;

// The user behind a login record who may act for customerNo; anything else is refused.
store::MachineUser actingUser(CallContext& ctx, const std::optional<TSonucBilgisi>& login, int customerNo)
{
    if (!login)
        throw BusinessError(QStringLiteral("Oturum bilgisi gönderilmedi"));
    const std::optional<store::MachineUser> user = store::machineUser(ctx.db, login->BILGISAYARID());
    if (!user || !user->mayLogIn())
        throw BusinessError(QStringLiteral("Bu bilgisayar için geçerli bir kullanıcı yok"));
    if (!store::maySeeCustomer(ctx.db, *user, customerNo))
        throw BusinessError(QStringLiteral("Bu cari için işlem yetkiniz yok"));
    return *user;
}

void checkQuantity(double quantity)
{
    if (!std::isfinite(quantity) || quantity < kMinQuantity || quantity > kMaxQuantity || quantity != std::floor(quantity))
        throw BusinessError(QStringLiteral("Miktar 1 ile 10000 arasında bir tam sayı olmalı"));
}

struct LineTerms
{
    QString barcode;
    QString name;
    double unitPrice = 0;
    double discount = 0;
    double vat = 0;
    int campaign = 0;
};

// The price terms of one part for one customer, as the pricing rule above says.
LineTerms termsFor(CallContext& ctx, const store::MachineUser& user, int customerNo, int stockNo, double sentPrice,
                   double sentDiscount)
{
    QSqlQuery q = exec(ctx.db,
                       QStringLiteral("SELECT s.BARKOD, s.ADI, s.FIYAT, s.KDV, s.KAMPANYALI, s.KAMPFIYAT, "
                                      "COALESCE((SELECT INDIRIM FROM cariler WHERE CARINO = ?), 0) "
                                      "FROM stoklar s WHERE s.STOKNO = ? AND s.AKTIF = 1"),
                       {customerNo, stockNo});
    if (!q.next())
        throw BusinessError(QStringLiteral("Stok bulunamadı (stok no %1)").arg(stockNo));
    LineTerms t;
    t.barcode = q.value(0).toString();
    t.name = q.value(1).toString();
    t.vat = q.value(3).toDouble();
    const bool campaign = q.value(4).toInt() == 1 && q.value(5).toDouble() > 0;
    t.campaign = campaign ? 1 : 0;
    if (user.isRepresentative()) {
        if (!std::isfinite(sentPrice) || sentPrice < 0 || sentPrice > 1e12)
            throw BusinessError(QStringLiteral("Birim fiyat geçersiz"));
        if (!std::isfinite(sentDiscount) || sentDiscount < 0 || sentDiscount > 100)
            throw BusinessError(QStringLiteral("İndirim oranı 0 ile 100 arasında olmalı"));
        t.unitPrice = RoundMoney(sentPrice);
        t.discount = sentDiscount;
    } else if (campaign) {
        t.unitPrice = q.value(5).toDouble();
        t.discount = 0;
    } else {
        t.unitPrice = q.value(2).toDouble();
        t.discount = q.value(6).toDouble();
    }
    return t;
}

// Writes quantity and amounts of an existing line; its texts and terms are refreshed with them.
void repriceLine(CallContext& ctx, int lineNo, double quantity, const LineTerms& t, int giver)
{
    const LineAmounts a = ComputeLineAmounts(quantity, t.unitPrice, t.discount, t.vat);
    exec(ctx.db,
         QStringLiteral("UPDATE sepet SET BARKOD = ?, STOKADI = ?, MIKTAR = ?, BIRIMFIYAT = ?, INDIRIMORANI1 = ?, KDV = ?, "
                        "KAMPANYALI = ?, TUTAR = ?, INDIRIMTUTAR = ?, NETBIRIMFIYAT = ?, NETTUTAR = ?, VERGITUTARI = ?, "
                        "KDVLITUTAR = ?, SEC = 1, VERENIDNO = ? WHERE SIRANO = ?"),
         {t.barcode, t.name, quantity, t.unitPrice, t.discount, t.vat, t.campaign, a.tutar, a.indirimTutar,
          a.netBirimFiyat, a.netTutar, a.vergiTutari, a.kdvliTutar, giver, lineNo});
}

void sepetEkle(CallContext& ctx, const Args& args, Reply& reply)
{
    const int customerNo = args.int32(1);
    const int stockNo = args.int32(2);
    const double quantity = args.dbl(5);
    checkQuantity(quantity);
    const store::MachineUser user = actingUser(ctx, args.login(0), customerNo);

    inTransaction(ctx.db, [&] {
        const LineTerms t = termsFor(ctx, user, customerNo, stockNo, args.dbl(7), args.dbl(8));
        QSqlQuery existing = exec(ctx.db,
                                  QStringLiteral("SELECT SIRANO, MIKTAR FROM sepet WHERE CARINO = ? AND STOKNO = ? "
                                                 "ORDER BY SIRANO LIMIT 1"),
                                  {customerNo, stockNo});
        if (existing.next()) {
            const double sum = existing.value(1).toDouble() + quantity;
            if (sum > kMaxQuantity)
                throw BusinessError(QStringLiteral("Sepetteki miktarla birlikte %1 adet olur; en çok 10000 adet eklenebilir")
                                        .arg(sum));
            repriceLine(ctx, existing.value(0).toInt(), sum, t, user.userId);
            return;
        }
        const LineAmounts a = ComputeLineAmounts(quantity, t.unitPrice, t.discount, t.vat);
        exec(ctx.db,
             QStringLiteral("INSERT INTO sepet(CARINO, STOKNO, BARKOD, STOKADI, MIKTAR, BIRIMFIYAT, INDIRIMORANI1, KDV, "
                            "KAMPANYALI, TUTAR, INDIRIMTUTAR, NETBIRIMFIYAT, NETTUTAR, VERGITUTARI, KDVLITUTAR, SEC, "
                            "VERENIDNO, TARIH) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1, ?, ?)"),
             {customerNo, stockNo, t.barcode, t.name, quantity, t.unitPrice, t.discount, t.vat, t.campaign, a.tutar,
              a.indirimTutar, a.netBirimFiyat, a.netTutar, a.vergiTutari, a.kdvliTutar, user.userId, store::nowText()});
    });
    reply.result(wire::int32(1));
}

// Sets the quantity of one line (not added to it) and prices it again.
void sepetGuncelle(CallContext& ctx, const Args& args, Reply& reply)
{
    const int customerNo = args.int32(1);
    const double quantity = args.dbl(5);
    const int lineNo = args.int32(10);
    checkQuantity(quantity);
    const store::MachineUser user = actingUser(ctx, args.login(0), customerNo);

    inTransaction(ctx.db, [&] {
        QSqlQuery line = exec(ctx.db, QStringLiteral("SELECT STOKNO FROM sepet WHERE SIRANO = ? AND CARINO = ?"),
                              {lineNo, customerNo});
        if (!line.next())
            throw BusinessError(QStringLiteral("Sepet satırı bulunamadı (satır %1)").arg(lineNo));
        const LineTerms t = termsFor(ctx, user, customerNo, line.value(0).toInt(), args.dbl(7), args.dbl(8));
        repriceLine(ctx, lineNo, quantity, t, user.userId);
    });
    reply.result(wire::int32(1));
}

void sepetVerVelun(CallContext& ctx, const Args& args, Reply& reply)
{
    using F = FieldType;
    const QList<ColumnDef> columns = {
        {QStringLiteral("SEC"), F::Int32},           {QStringLiteral("DURUM"), F::Int32},
        {QStringLiteral("ANTEP"), F::Int32},         {QStringLiteral("VERILISTARIHI"), F::DateTime},
        {QStringLiteral("SIRANO"), F::Int32},        {QStringLiteral("SIPARISNO"), F::Int32},
        {QStringLiteral("CARINO"), F::Int32},        {QStringLiteral("TARIH"), F::DateTime},
        {QStringLiteral("AKTAR"), F::Int32},         {QStringLiteral("STOKNO"), F::Int32},
        {QStringLiteral("BARKOD"), F::Text},         {QStringLiteral("FINISHKOD"), F::Text},
        {QStringLiteral("OEMNO"), F::Text},          {QStringLiteral("STOKADI"), F::Text},
        {QStringLiteral("MIKTAR"), F::Double},       {QStringLiteral("BIRIMFIYAT"), F::Double},
        {QStringLiteral("TUTAR"), F::Double},        {QStringLiteral("INDIRIMORANI1"), F::Double},
        {QStringLiteral("INDIRIMORANI2"), F::Double}, {QStringLiteral("INDIRIMORANI3"), F::Double},
        {QStringLiteral("INDIRIMTUTAR"), F::Double}, {QStringLiteral("NETBIRIMFIYAT"), F::Double},
        {QStringLiteral("KDV"), F::Double},          {QStringLiteral("VERGITUTARI"), F::Double},
        {QStringLiteral("NETTUTAR"), F::Double},     {QStringLiteral("KDVLITUTAR"), F::Double},
        {QStringLiteral("KUR"), F::Text},            {QStringLiteral("KURTL"), F::Double},
        {QStringLiteral("VERENIDNO"), F::Int32},     {QStringLiteral("SAAT"), F::Text},
        {QStringLiteral("TESLIMID"), F::Int32},      {QStringLiteral("KARGOID"), F::Int32},
        {QStringLiteral("ACIKLAMA"), F::Text},       {QStringLiteral("IDNO"), F::Int32},
        {QStringLiteral("VERENSIRANO"), F::Int32},   {QStringLiteral("VEREN"), F::Text},
        {QStringLiteral("CARIKOD"), F::Text},        {QStringLiteral("CARIADI"), F::Text},
        {QStringLiteral("OEM1"), F::Text},           {QStringLiteral("OEM2"), F::Text},
        {QStringLiteral("OEM3"), F::Text},           {QStringLiteral("OEM4"), F::Text},
        {QStringLiteral("STOK_STOKNO"), F::Int32},   {QStringLiteral("URETICIKODU"), F::Text},
        {QStringLiteral("DIGERADI"), F::Text},       {QStringLiteral("DPKOD"), F::Text},
        {QStringLiteral("MARKA"), F::Text},          {QStringLiteral("MODEL"), F::Text},
        {QStringLiteral("ANAGRUP"), F::Text},        {QStringLiteral("OZELKOD"), F::Text},
        {QStringLiteral("PKOD"), F::Text},           {QStringLiteral("KALAN"), F::Double},
    };
    // DURUM is the Istanbul warehouse's state (its column is headed ISTANBUL), ANTEP the other's.
    QSqlQuery q = exec(
        ctx.db,
        QStringLiteral(
            "SELECT b.SEC, COALESCE(d1.DURUM, 0), COALESCE(d2.DURUM, 0), b.TARIH, b.SIRANO, 0, b.CARINO, b.TARIH, 0, "
            "b.STOKNO, b.BARKOD, s.FINISHKOD, "
            "COALESCE((SELECT group_concat(OEMNO, ' ') FROM (SELECT OEMNO FROM stok_oem o WHERE o.STOKNO = b.STOKNO "
            "ORDER BY o.SIRA)), ''), "
            "b.STOKADI, b.MIKTAR, b.BIRIMFIYAT, b.TUTAR, b.INDIRIMORANI1, b.INDIRIMORANI2, b.INDIRIMORANI3, "
            "b.INDIRIMTUTAR, b.NETBIRIMFIYAT, b.KDV, b.VERGITUTARI, b.NETTUTAR, b.KDVLITUTAR, b.KUR, b.KURTL, "
            "b.VERENIDNO, substr(b.TARIH, 12, 5), 0, 0, b.ACIKLAMA, 0, b.VERENIDNO, COALESCE(k.ADI, ''), "
            "c.CARIKOD, c.CARIADI, "
            "COALESCE((SELECT OEMNO FROM stok_oem WHERE STOKNO = b.STOKNO AND SIRA = 1), ''), "
            "COALESCE((SELECT OEMNO FROM stok_oem WHERE STOKNO = b.STOKNO AND SIRA = 2), ''), "
            "COALESCE((SELECT OEMNO FROM stok_oem WHERE STOKNO = b.STOKNO AND SIRA = 3), ''), "
            "COALESCE((SELECT OEMNO FROM stok_oem WHERE STOKNO = b.STOKNO AND SIRA = 4), ''), "
            "b.STOKNO, s.URETICIKODU, s.DIGERADI, s.DPKOD, s.MARKA, s.MODEL, s.ANAGRUP, s.OZELKOD, s.PKOD, "
            "COALESCE((SELECT SUM(l.KALAN) FROM siparis_satirlari l JOIN siparisler o ON o.IDNO = l.IDNO "
            "WHERE o.CARINO = b.CARINO AND l.STOKNO = b.STOKNO), 0) "
            "FROM sepet b JOIN stoklar s ON s.STOKNO = b.STOKNO JOIN cariler c ON c.CARINO = b.CARINO "
            "LEFT JOIN kullanicilar k ON k.SIRANO = b.VERENIDNO "
            "LEFT JOIN stok_depo_durum d1 ON d1.STOKNO = b.STOKNO AND d1.DEPONO = 1 "
            "LEFT JOIN stok_depo_durum d2 ON d2.STOKNO = b.STOKNO AND d2.DEPONO = 2 "
            "WHERE b.CARINO = ? ORDER BY b.SIRANO"),
        {args.int32(0)});
    reply.result(wire::table(readTable(q, columns), wire::Kind::DataPacket));
}

// Each deleted line is kept with the client's note, so a deletion can be traced.
void logDeleted(CallContext& ctx, const QString& where, const QVariantList& binds, const QString& note, int userId)
{
    QVariantList all = {note, userId, store::nowText()};
    all += binds;
    exec(ctx.db,
         QStringLiteral("INSERT INTO sepet_silinenler(CARINO, STOKNO, MIKTAR, ACIKLAMA, SILEN, TARIH) "
                        "SELECT CARINO, STOKNO, MIKTAR, ?, ?, ? FROM sepet WHERE ") +
             where,
         all);
}

// 1 when the line was deleted, 0 when it was already gone.
void sepetSatirSil(CallContext& ctx, const Args& args, Reply& reply)
{
    const std::optional<TSonucBilgisi> login = args.login(0);
    const int lineNo = args.int32(1);
    int deleted = 0;
    inTransaction(ctx.db, [&] {
        QSqlQuery line = exec(ctx.db, QStringLiteral("SELECT CARINO FROM sepet WHERE SIRANO = ?"), {lineNo});
        const int customerNo = line.next() ? line.value(0).toInt() : (login ? login->CARINO() : 0);
        const store::MachineUser user = actingUser(ctx, login, customerNo);
        if (!line.isValid())
            return;
        logDeleted(ctx, QStringLiteral("SIRANO = ?"), {lineNo}, store::nonNull(args.text(2)).left(kMaxOrderNoteChars),
                   user.userId);
        exec(ctx.db, QStringLiteral("DELETE FROM sepet WHERE SIRANO = ?"), {lineNo});
        deleted = 1;
    });
    reply.result(wire::int32(deleted));
}

// Empties the basket of the login record's customer; the number of lines removed.
void sepetHepsiniSil(CallContext& ctx, const Args& args, Reply& reply)
{
    const std::optional<TSonucBilgisi> login = args.login(0);
    const int customerNo = login ? login->CARINO() : 0;
    const store::MachineUser user = actingUser(ctx, login, customerNo);
    int deleted = 0;
    inTransaction(ctx.db, [&] {
        logDeleted(ctx, QStringLiteral("CARINO = ?"), {customerNo}, QStringLiteral("Hepsini Sil"), user.userId);
        QSqlQuery q = exec(ctx.db, QStringLiteral("DELETE FROM sepet WHERE CARINO = ?"), {customerNo});
        deleted = q.numRowsAffected();
    });
    reply.result(wire::int32(deleted));
}

void sepetSecimGuncelle(CallContext& ctx, const Args& args, Reply&)
{
    const int lineNo = args.int32(0);
    const int mark = args.int32(1);
    if (mark != 0 && mark != 1)
        throw BusinessError(QStringLiteral("Seçim 0 ya da 1 olmalı"));
    QSqlQuery q = exec(ctx.db, QStringLiteral("UPDATE sepet SET SEC = ? WHERE SIRANO = ?"), {mark, lineNo});
    if (q.numRowsAffected() != 1)
        throw BusinessError(QStringLiteral("Sepet satırı bulunamadı (satır %1)").arg(lineNo));
}

// Identifier first, name second: the client reads these two by position.
void choiceTable(CallContext& ctx, Reply& reply, const QString& table)
{
    QSqlQuery q = exec(ctx.db, QStringLiteral("SELECT SIRANO, ADI FROM %1 WHERE AKTIF = 1 ORDER BY SIRA, SIRANO").arg(table));
    reply.result(wire::table(readTable(q, {{QStringLiteral("SIRANO"), FieldType::Int32}, {QStringLiteral("ADI"), FieldType::Text}})));
}

void kargolarVer(CallContext& ctx, const Args& args, Reply& reply)
{
    QSqlQuery q = exec(ctx.db,
                       QStringLiteral("SELECT ADI, SIRANO, UYARI FROM kargo_firmalari WHERE KARGOTURU = ? AND AKTIF = 1 "
                                      "ORDER BY SIRA, SIRANO"),
                       {args.int32(0)});
    reply.result(wire::table(readTable(q, {{QStringLiteral("ADI"), FieldType::Text},
                                           {QStringLiteral("SIRANO"), FieldType::Int32},
                                           {QStringLiteral("UYARI"), FieldType::Text}})));
}

bool exists(CallContext& ctx, const QString& sql, const QVariantList& binds)
{
    QSqlQuery q = exec(ctx.db, sql, binds);
    return q.next();
}

// The selected lines of the customer's basket become one order in state "Alındı" and leave the basket,
// all in one write transaction: a second send that waited for the lock finds nothing selected.
bool saveOrder(CallContext& ctx, const Args& args)
{
    const int customerNo = args.int32(1);
    const int delivery = args.int32(2);
    const int cargoKind = args.int32(3);
    const QString note = store::nonNull(args.text(4));
    const int cargoFirm = args.int32(6);
    const store::MachineUser user = actingUser(ctx, args.login(0), customerNo);
    if (note.size() > kMaxOrderNoteChars)
        throw BusinessError(QStringLiteral("Sipariş açıklaması çok uzun (en çok 4000 karakter)"));

    bool saved = false;
    inTransaction(ctx.db, [&] {
        if (!exists(ctx, QStringLiteral("SELECT 1 FROM teslim_secenekleri WHERE SIRANO = ? AND AKTIF = 1"), {delivery})
            || !exists(ctx, QStringLiteral("SELECT 1 FROM kargo_turleri WHERE SIRANO = ? AND AKTIF = 1"), {cargoKind})
            || !exists(ctx, QStringLiteral("SELECT 1 FROM kargo_firmalari WHERE SIRANO = ? AND KARGOTURU = ? AND AKTIF = 1"),
                       {cargoFirm, cargoKind})
            || !exists(ctx, QStringLiteral("SELECT 1 FROM sepet WHERE CARINO = ? AND SEC = 1"), {customerNo}))
            return;
        const QString now = store::nowText();
        QSqlQuery order = exec(ctx.db,
                               QStringLiteral("INSERT INTO siparisler(CARINO, TARIH, VERENIDNO, TESLIMID, KARGOID, "
                                              "KARGOFIRMAID, DURUM, VERENINNOTU) "
                                              "VALUES(?, ?, ?, ?, ?, ?, (SELECT DURUMNO FROM siparis_durumlari "
                                              "WHERE DURUMADI = 'Alındı'), ?)"),
                               {customerNo, now, user.userId, delivery, cargoKind, cargoFirm, note});
        const qlonglong orderNo = order.lastInsertId().toLongLong();
        exec(ctx.db,
             QStringLiteral("INSERT INTO siparis_satirlari(IDNO, STOKNO, BARKOD, STOKADI, MIKTAR, ILKFIYAT, BIRIMFIYAT, "
                            "INDIRIMORANI1, INDIRIMORANI2, INDIRIMORANI3, KDV, KAMPANYALI, TUTAR, INDIRIMTUTAR, "
                            "NETBIRIMFIYAT, NETTUTAR, VERGITUTARI, KDVLITUTAR, KALAN, SEPETSIRANO, VERENIDNO, "
                            "VERILISTARIHI, ACIKLAMA) "
                            "SELECT ?, b.STOKNO, b.BARKOD, b.STOKADI, b.MIKTAR, s.FIYAT, b.BIRIMFIYAT, b.INDIRIMORANI1, "
                            "b.INDIRIMORANI2, b.INDIRIMORANI3, b.KDV, b.KAMPANYALI, b.TUTAR, b.INDIRIMTUTAR, "
                            "b.NETBIRIMFIYAT, b.NETTUTAR, b.VERGITUTARI, b.KDVLITUTAR, b.MIKTAR, b.SIRANO, b.VERENIDNO, "
                            "?, b.ACIKLAMA FROM sepet b JOIN stoklar s ON s.STOKNO = b.STOKNO "
                            "WHERE b.CARINO = ? AND b.SEC = 1 ORDER BY b.SIRANO"),
             {orderNo, now, customerNo});
        exec(ctx.db, QStringLiteral("DELETE FROM sepet WHERE CARINO = ? AND SEC = 1"), {customerNo});
        saved = true;
    });
    return saved;
}

} // namespace

void registerBasketMethods(Dispatcher& dispatcher)
{
    dispatcher.add(QStringLiteral("SepetEkle"), sepetEkle);
    dispatcher.add(QStringLiteral("SepetGuncelle"), sepetGuncelle);
    dispatcher.add(QStringLiteral("SepetVerVelun"), sepetVerVelun);
    dispatcher.add(QStringLiteral("SepetSatirSil"), sepetSatirSil);
    dispatcher.add(QStringLiteral("SepetHepsiniSil"), sepetHepsiniSil);
    dispatcher.add(QStringLiteral("SepetSecimGuncelle"), sepetSecimGuncelle);
    dispatcher.add(QStringLiteral("TeslimVer"),
                   [](CallContext& ctx, const Args&, Reply& reply) { choiceTable(ctx, reply, QStringLiteral("teslim_secenekleri")); });
    dispatcher.add(QStringLiteral("KargoVer"),
                   [](CallContext& ctx, const Args&, Reply& reply) { choiceTable(ctx, reply, QStringLiteral("kargo_turleri")); });
    dispatcher.add(QStringLiteral("KargolarVer"), kargolarVer);
    dispatcher.add(QStringLiteral("SiparisKaydet"),
                   [](CallContext& ctx, const Args& args, Reply& reply) { reply.result(wire::boolean(saveOrder(ctx, args))); });
}

} // namespace velun::appserver
