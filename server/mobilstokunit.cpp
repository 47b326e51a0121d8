#include "server/mobilstokunit.h"

namespace velun {

void TMobilCariBilgisi::Kopyala(const TMobilCariBilgisi& s)
{
    setBILGISAYARID(s.BILGISAYARID());
    setSEHIR(s.SEHIR());
    setFAX1(s.FAX1());
    setSATICIMAIL(s.SATICIMAIL());
    setSATICIADI(s.SATICIADI());
    setCARIADI(s.CARIADI());
    setEMAIL(s.EMAIL());
    setVERGIDAIRESI(s.VERGIDAIRESI());
    setYETKILI(s.YETKILI());
    setAltGrup(s.AltGrup());
    setTEL2(s.TEL2());
    setSIFRE(s.SIFRE());
    setGSM(s.GSM());
    setTEL1(s.TEL1());
    setADRES2(s.ADRES2());
    setTLBORC(s.TLBORC());
    setTLALACAK(s.TLALACAK());
    setADRES1(s.ADRES1());
    setULKE(s.ULKE());
    setAnaGrup(s.AnaGrup());
    setCARINO(s.CARINO());
    setTLBAKIYE(s.TLBAKIYE());
    setVERGINO(s.VERGINO());
    setMAIL(s.MAIL());
    setOzelKod(s.OzelKod());
    setKULLANICIADI(s.KULLANICIADI());
    setSATICITELEFON(s.SATICITELEFON());
    setCARIKOD(s.CARIKOD());
    setFAX2(s.FAX2());
    setILCE(s.ILCE());
}

const std::vector<records::Field<TMobilCariBilgisi>>& TMobilCariBilgisi::fieldTable()
{
    using R = TMobilCariBilgisi;
    static const std::vector<records::Field<R>> t = {
        {u"FBILGISAYARID", &R::FBILGISAYARID},
        {u"FSEHIR", &R::FSEHIR},
        {u"FFAX1", &R::FFAX1},
        {u"FSATICIMAIL", &R::FSATICIMAIL},
        {u"FSATICIADI", &R::FSATICIADI},
        {u"FCARIADI", &R::FCARIADI},
        {u"FEMAIL", &R::FEMAIL},
        {u"FVERGIDAIRESI", &R::FVERGIDAIRESI},
        {u"FYETKILI", &R::FYETKILI},
        {u"FAltGrup", &R::FAltGrup},
        {u"FTEL2", &R::FTEL2},
        {u"FSIFRE", &R::FSIFRE},
        {u"FGSM", &R::FGSM},
        {u"FTEL1", &R::FTEL1},
        {u"FADRES2", &R::FADRES2},
        {u"FTLBORC", &R::FTLBORC},
        {u"FTLALACAK", &R::FTLALACAK},
        {u"FADRES1", &R::FADRES1},
        {u"FULKE", &R::FULKE},
        {u"FAnaGrup", &R::FAnaGrup},
        {u"FCARINO", &R::FCARINO},
        {u"FTLBAKIYE", &R::FTLBAKIYE},
        {u"FVERGINO", &R::FVERGINO},
        {u"FMAIL", &R::FMAIL},
        {u"FOzelKod", &R::FOzelKod},
        {u"FKULLANICIADI", &R::FKULLANICIADI},
        {u"FSATICITELEFON", &R::FSATICITELEFON},
        {u"FCARIKOD", &R::FCARIKOD},
        {u"FFAX2", &R::FFAX2},
        {u"FILCE", &R::FILCE},
    };
    return t;
}

const std::vector<records::Field<TAcilisEkran>>& TAcilisEkran::fieldTable()
{
    using R = TAcilisEkran;
    static const std::vector<records::Field<R>> t = {
        {u"FSiraNo", &R::FSiraNo},
        {u"FResim", &R::FResim},
        {u"FBaslik", &R::FBaslik},
        {u"FArama", &R::FArama},
    };
    return t;
}

namespace {
int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}
} // namespace

QByteArray DecodePictureText(const QString& text)
{
    QByteArray out;
    out.reserve((text.size() + 1) / 2);
    for (qsizetype i = 0; i < text.size(); i += 2) {
        const int hi = hexDigit(text[i]);
        const int lo = i + 1 < text.size() ? hexDigit(text[i + 1]) : 0;
        if (hi < 0 || lo < 0)
            throw ProtocolError(QStringLiteral("'%1' geçerli bir onaltılık sayı değil").arg(text.mid(i, 2)));
        // A lone last digit is read as a number of its own, so "F" gives 0x0F.
        out.append(static_cast<char>(i + 1 < text.size() ? hi * 16 + lo : hi));
    }
    return out;
}

QString EncodePictureText(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}

namespace records {

template <>
json::Value toJson<TAcilisEkranlar>(const TAcilisEkranlar& list, int id)
{
    json::Array items;
    items.reserve(list.items().size());
    int next = id + 1;
    for (const TAcilisEkran& e : list.items())
        items.push_back(toJson(e, next++));
    return envelope(TAcilisEkranlar::kTypeName, id,
                    json::Object{{QStringLiteral("FOwnsObjects"), json::Value(true)},
                                 {QStringLiteral("FCount"), json::Value(list.Count())},
                                 {QStringLiteral("FItems"), std::move(items)}});
}

template <>
TAcilisEkranlar fromJson<TAcilisEkranlar>(const json::Value& record)
{
    const json::Value& fields = checkedFields(record, TAcilisEkranlar::kTypeName);
    TAcilisEkranlar list;
    const json::Value* items = fields.find(u"FItems");
    if (!items || items->isNull())
        return list;
    if (!items->isArray())
        throw ProtocolError(QStringLiteral("FItems bir dizi olmalı"));
    for (const json::Value& e : items->toArray())
        list.items().push_back(fromJson<TAcilisEkran>(e));
    return list;
}

} // namespace records
} // namespace velun
