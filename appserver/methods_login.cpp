// Login record, customer details of a machine, and the requests and mails users send.

#include "appserver/database.h"
#include "appserver/dispatcher.h"
#include "appserver/methods.h"
#include "appserver/storequeries.h"

#include "server/baglantiu.h"
#include "server/mobilstokunit.h"

#include <QSqlQuery>
#include <QVariant>

namespace velun::appserver {
namespace {

// Beyond this a field is not a typed form value; refusing it keeps the mail table sane.
constexpr qsizetype kMaxMailFieldBytes = 64 * 1024;

void buyukGetir(CallContext& ctx, const Args& args, Reply& reply)
{
    const QString machineId = args.text(0);
    TSonucBilgisi record;
    record.setBILGISAYARID(machineId);
    record.setVersion(store::clientVersion(ctx.database));
    if (const std::optional<store::MachineUser> user = store::machineUser(ctx.db, machineId)) {
        record.setVarmi(true);
        record.setADI(user->name);
        record.setSIFRE(user->password);
        record.setAKTIF(user->mayLogIn() ? 1 : 0);
        record.setMusteriTipi(user->type);
        record.setSirano(user->userId);
        record.setKullanicimail(user->mail);
        record.setCARINO(user->customerNo);
        record.setCariAdi(user->customerName);
        record.setcarikod(user->customerCode);
        record.setSaticiNo(user->repNo);
        record.setSaticiAdi(user->repName);
        record.setSaticiTelefon(user->repPhone);
        record.setSaticiMail(user->repMail);
    }
    reply.result(wire::record(records::toJson(record)));
}

// sirano 0: the customer of the machine's user; otherwise that customer number, if the user may see it.
void mobilCariBilgisiGetir(CallContext& ctx, const Args& args, Reply& reply)
{
    const qint32 requested = args.int32(0);
    const QString machineId = args.text(1);
    const std::optional<store::MachineUser> user = store::machineUser(ctx.db, machineId);
    if (!user || requested < 0) {
        reply.result(wire::record(json::Value()));
        return;
    }
    const int customerNo = requested == 0 ? user->customerNo : requested;
    if (customerNo <= 0 || !store::maySeeCustomer(ctx.db, *user, customerNo)) {
        reply.result(wire::record(json::Value()));
        return;
    }

    QSqlQuery q = exec(ctx.db,
                       QStringLiteral(
                           "SELECT c.CARINO, c.CARIKOD, c.CARIADI, c.YETKILI, c.ADRES1, c.ADRES2, c.ILCE, c.SEHIR, c.ULKE, "
                           "c.TEL1, c.TEL2, c.FAX1, c.FAX2, c.GSM, c.EMAIL, c.VERGIDAIRESI, c.VERGINO, c.OZELKOD, "
                           "c.ANAGRUP, c.ALTGRUP, b.TLBORC, b.TLALACAK, b.TLBAKIYE, "
                           "COALESCE(s.SATICIADI, ''), COALESCE(s.SATICITELEFON, ''), COALESCE(s.SATICIMAIL, '') "
                           "FROM cariler c JOIN cari_bakiyeler b ON b.CARINO = c.CARINO "
                           "LEFT JOIN saticilar s ON s.SATICINO = c.SATICINO WHERE c.CARINO = ?"),
                       {customerNo});
    if (!q.next()) {
        reply.result(wire::record(json::Value()));
        return;
    }
    const auto text = [&q](int i) { return q.value(i).toString(); };
    TMobilCariBilgisi c;
    c.setBILGISAYARID(machineId);
    c.setCARINO(q.value(0).toInt());
    c.setCARIKOD(text(1));
    c.setCARIADI(text(2));
    c.setYETKILI(text(3));
    c.setADRES1(text(4));
    c.setADRES2(text(5));
    c.setILCE(text(6));
    c.setSEHIR(text(7));
    c.setULKE(text(8));
    c.setTEL1(text(9));
    c.setTEL2(text(10));
    c.setFAX1(text(11));
    c.setFAX2(text(12));
    c.setGSM(text(13));
    c.setEMAIL(text(14));
    c.setVERGIDAIRESI(text(15));
    c.setVERGINO(text(16));
    c.setOzelKod(text(17));
    c.setAnaGrup(text(18));
    c.setAltGrup(text(19));
    c.setTLBORC(q.value(20).toDouble());
    c.setTLALACAK(q.value(21).toDouble());
    c.setTLBAKIYE(q.value(22).toDouble());
    c.setSATICIADI(text(23));
    c.setSATICITELEFON(text(24));
    c.setSATICIMAIL(text(25));
    // The mail forms send these back as the sender's own login data.
    c.setKULLANICIADI(user->name);
    c.setSIFRE(user->password);
    c.setMAIL(user->mail);
    reply.result(wire::record(records::toJson(c)));
}

// Both mail methods share the first sixteen texts; MailGonserCariNormal adds the message (konu).
void storeMail(CallContext& ctx, const Args& args, Reply& reply, bool withMessage)
{
    const int count = withMessage ? 17 : 16;
    QStringList texts;
    for (int i = 0; i < count; ++i) {
        texts.append(store::nonNull(args.text(i)));
        if (texts.last().toUtf8().size() > kMaxMailFieldBytes)
            throw BusinessError(QStringLiteral("%1 alanı çok uzun (en çok 64 KiB)").arg(args.signature().params[static_cast<size_t>(i)].name));
    }

    const std::optional<store::MachineUser> user = store::machineUser(ctx.db, texts[0]);
    const QString distributor = ctx.database.setting(QStringLiteral("distributor_mail"));
    // A request goes to the distributor; a mail goes to the sender's representative when there is one.
    const QString recipient = store::nonNull(withMessage && user && !user->repMail.isEmpty() ? user->repMail : distributor);

    QVariantList binds;
    binds << (withMessage ? QStringLiteral("MailGonserCariNormal") : QStringLiteral("MailGonserCari"));
    binds << texts[0] << (user ? QVariant(user->userId) : QVariant(QMetaType::fromType<int>())) << recipient;
    for (int i = 1; i < 16; ++i)
        binds << texts[i];
    binds << (withMessage ? QVariant(texts[16]) : QVariant(QMetaType::fromType<QString>()));
    binds << store::nowText();

    inTransaction(ctx.db, [&] {
        exec(ctx.db,
             QStringLiteral("INSERT INTO giden_mailler(YONTEM, BILGISAYARID, KULLANICI, ALICI, BASLIK, FIRMAADI, ADRES1, "
                            "ADRES2, ILCE, SEHIR, TELEFON, FAX, VD, VN, YETKILI, KULLANICIADI, SIFRE, MAIL, KARGOAMBAR, "
                            "KONU, TARIH) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
             binds);
    });
    reply.result(wire::int32(1));
}

} // namespace

void registerLoginMethods(Dispatcher& dispatcher)
{
    dispatcher.add(QStringLiteral("BuyukGetir"), buyukGetir);
    dispatcher.add(QStringLiteral("MobilCariBilgisiGetir"), mobilCariBilgisiGetir);
    dispatcher.add(QStringLiteral("MailGonserCari"),
                   [](CallContext& ctx, const Args& args, Reply& reply) { storeMail(ctx, args, reply, false); });
    dispatcher.add(QStringLiteral("MailGonserCariNormal"),
                   [](CallContext& ctx, const Args& args, Reply& reply) { storeMail(ctx, args, reply, true); });
}

} // namespace velun::appserver
