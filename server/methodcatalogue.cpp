#include "server/methodcatalogue.h"

namespace velun {
namespace {

using K = ParamKind;

ParamSignature in(const char16_t* name, ParamKind k) { return ParamSignature{QString::fromUtf16(name), k, false, {}}; }
ParamSignature out(const char16_t* name, ParamKind k) { return ParamSignature{QString::fromUtf16(name), k, true, {}}; }
ParamSignature login(const char16_t* name) { return ParamSignature{QString::fromUtf16(name), K::LoginRecord, false, QStringLiteral("baglantiu.TSonucBilgisi")}; }

MethodSignature m(const char16_t* name, std::vector<ParamSignature> params, ParamKind result, const char16_t* recordType = u"")
{
    return MethodSignature{QString::fromUtf16(name), std::move(params), result, QString::fromUtf16(recordType)};
}

std::vector<ParamSignature> texts(std::initializer_list<const char16_t*> names)
{
    std::vector<ParamSignature> v;
    for (const char16_t* n : names)
        v.push_back(in(n, K::Text));
    return v;
}

std::vector<ParamSignature> basketLine(const char16_t* last)
{
    return {login(u"bilgim"),        in(u"carino", K::Int32), in(u"stokno", K::Int32), in(u"barkod", K::Text),
            in(u"stokadi", K::Text), in(u"miktar", K::Double), in(u"kdv", K::Double),    in(u"fiyat", K::Double),
            in(u"indirim", K::Double), in(u"verenid", K::Int32), in(last, K::Int32)};
}

std::vector<ParamSignature> balanceEdit()
{
    return {login(u"k"),           in(u"stokno", K::Int32), in(u"sepetsirano", K::Int32), in(u"siparissirano", K::Int32),
            in(u"Adet", K::Double), in(u"Bakiye", K::Double), in(u"barkod", K::Text)};
}

std::vector<MethodSignature> build()
{
    const auto mail = texts({u"idsi", u"baslik", u"firmaadi", u"adres1", u"adres2", u"ilce", u"sehir", u"telefon",
                             u"fax", u"vd", u"vn", u"yetkili", u"kullaniciadi", u"sifre", u"mail", u"kargoambar"});
    auto mailNormal = mail;
    mailNormal.push_back(in(u"konu", K::Text));
    auto balancePrice = balanceEdit();
    balancePrice.push_back(in(u"fiyat", K::Double));
    balancePrice.push_back(in(u"ind", K::Double));

    return {
        m(u"BuyukGetir", {in(u"idsi", K::Text)}, K::LoginRecord, u"baglantiu.TSonucBilgisi"),
        m(u"MailGonserCari", mail, K::Int32),
        m(u"MobilCariBilgisiGetir", {in(u"sirano", K::Int32), in(u"_idsi", K::Text)}, K::Record,
          u"mobilstokunit.TMobilCariBilgisi"),
        m(u"VelunStokAra", {in(u"kod", K::Text), login(u"bilgi")}, K::Table),
        m(u"ResimVer5", {in(u"stokno", K::Int32), out(u"boy", K::Int64)}, K::Stream),
        m(u"SepetEkle", basketLine(u"k"), K::Int32),
        m(u"SepetVerVelun", {in(u"carino", K::Int32)}, K::DataPacket),
        m(u"SepetGuncelle", basketLine(u"_sepetsirano"), K::Int32),
        m(u"SepetSatirSil", {login(u"bilgi"), in(u"satirno", K::Int32), in(u"aciklamam", K::Text)}, K::Int32),
        m(u"SepetHepsiniSil", {login(u"bilgi")}, K::Int32),
        m(u"SepetSecimGuncelle", {in(u"sirano", K::Int32), in(u"secim", K::Int32)}, K::Nothing),
        m(u"TeslimVer", {}, K::Table),
        m(u"KargoVer", {}, K::Table),
        m(u"KargolarVer", {in(u"gn", K::Int32)}, K::Table),
        m(u"SiparisKaydet",
          {login(u"BB"), in(u"_carino", K::Int32), in(u"_teslim", K::Int32), in(u"_kargo", K::Int32),
           in(u"_aciklama", K::Text), in(u"_verenid", K::Int32), in(u"_kargoyeni", K::Int32)},
          K::Boolean),
        m(u"YenilerVer", {in(u"carino", K::Int32)}, K::Table),
        m(u"KampanyaliVer", {in(u"cario", K::Int32), in(u"satici", K::Int32)}, K::Table),
        m(u"OncekiSiparisler2", {in(u"carino", K::Int32)}, K::Table),
        m(u"SiparisAyrintisi", {in(u"carino", K::Int32), in(u"idnosu", K::Int32)}, K::Table),
        m(u"SiparisAytintisiDip", {in(u"carino", K::Int32), in(u"siranosu", K::Int32)}, K::Record,
          u"baglantiu.TSiparisDipAyrinti"),
        m(u"TumSiparislerVer", {in(u"carino", K::Int32), in(u"stokno", K::Int32)}, K::Table),
        m(u"CariEkstreVer", {in(u"carino", K::Int32)}, K::Table),
        m(u"FaturaGetir", {in(u"carino", K::Int32), in(u"idnosu", K::Int32)}, K::Table),
        m(u"FaturaAltGetir", {in(u"idnosu", K::Int32)}, K::Table),
        m(u"Tahsilat", {in(u"idnosu", K::Int32)}, K::Table),
        m(u"SanalposSiranoVer", {in(u"idnosu", K::Int32)}, K::Int32),
        m(u"SAnalPosPdfVer", {in(u"sirano", K::Int32), out(u"boy", K::Int64)}, K::Stream),
        m(u"BakiyelerVer", {in(u"carino", K::Int32)}, K::Table),
        m(u"BakiyeDuzenle", balanceEdit(), K::Int32),
        m(u"BakiyeDegistir", balanceEdit(), K::Int32),
        m(u"BakiyeFiyatDegistir", balancePrice, K::Int32),
        m(u"CariAra", {login(u"bil"), in(u"aranan", K::Text)}, K::Table),
        m(u"CariSepetVer", {login(u"bil"), in(u"n", K::Int32)}, K::Table),
        m(u"SepetSayisi", {login(u"bil")}, K::Int32),
        m(u"TusSonuclariVer", {login(u"bil")}, K::Record, u"baglantiu.TTusSonuclari"),
        m(u"RaporGetir",
          {in(u"raporno", K::Int32), in(u"bolum", K::Int32), in(u"idno", K::Int32), in(u"carino", K::Int32),
           in(u"saticiadi", K::Text), in(u"tarih1", K::Double), in(u"tarih2", K::Double), out(u"size", K::Int64)},
          K::Stream),
        m(u"CariVadeGunGecmismiBul", {in(u"carino", K::Int32)}, K::Text),
        m(u"DosyaListesi", {}, K::Table),
        m(u"BelgeIndir", {in(u"sirano", K::Int32), out(u"size", K::Int64), out(u"adi", K::Text)}, K::Stream),
        m(u"MailGonserCariNormal", mailNormal, K::Int32),
        m(u"KayanYaziGetir", {}, K::Text),
        m(u"KurlariAl", {out(u"usd", K::Double), out(u"eur", K::Double)}, K::Int32),
        m(u"BalonGetir", {login(u"bil")}, K::Table),
        m(u"AcilisEkranlarVer", {}, K::Record, u"mobilstokunit.TAcilisEkranlar"),
        m(u"AcilisReklamAdet", {}, K::Int32),
        m(u"AcilisREklamVer", {in(u"sira", K::Int32)}, K::Record, u"mobilstokunit.TAcilisEkran"),
        m(u"BannerResimVer", {out(u"size", K::Int64)}, K::Stream),
    };
}

} // namespace

wire::Kind wireKindOf(ParamKind k)
{
    switch (k) {
    case K::Text: return wire::Kind::Text;
    case K::Int32: return wire::Kind::Int32;
    case K::Int64: return wire::Kind::Int64;
    case K::Double: return wire::Kind::Double;
    case K::Boolean: return wire::Kind::Boolean;
    case K::LoginRecord:
    case K::Record: return wire::Kind::Record;
    case K::Table: return wire::Kind::Table;
    case K::DataPacket: return wire::Kind::DataPacket;
    case K::Stream: return wire::Kind::Stream;
    case K::Nothing: break;
    }
    return wire::Kind::Text;
}

int MethodSignature::inputCount() const
{
    int n = 0;
    for (const ParamSignature& p : params)
        n += p.out ? 0 : 1;
    return n;
}

const std::vector<MethodSignature>& methodCatalogue()
{
    static const std::vector<MethodSignature> catalogue = build();
    return catalogue;
}

const MethodSignature* findMethod(QStringView name)
{
    for (const MethodSignature& s : methodCatalogue())
        if (s.name == name)
            return &s;
    return nullptr;
}

} // namespace velun
