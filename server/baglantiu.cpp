#include "server/baglantiu.h"

namespace velun {

TSonucBilgisi::TSonucBilgisi()
{
    FVarmi = false;
    FMusteriTipi = 1;
    FVersion = 1;
}

void TSonucBilgisi::Kopyala(const TSonucBilgisi& s)
{
    setBILGISAYARID(s.BILGISAYARID());
    setSaticiMail(s.SaticiMail());
    setSirano(s.Sirano());
    setCariAdi(s.CariAdi());
    setSIFRE(s.SIFRE());
    setSaticiNo(s.SaticiNo());
    setCARINO(s.CARINO());
    setAKTIF(s.AKTIF());
    setKullanicimail(s.Kullanicimail());
    setADI(s.ADI());
    setSaticiTelefon(s.SaticiTelefon());
    setcarikod(s.carikod());
    setVarmi(s.Varmi());
    setSaticiAdi(s.SaticiAdi());
    setBilgiSayarAdi(s.BilgiSayarAdi());
    setDisip(s.Disip());
    setIcip(s.Icip());
    setBilgisayarKullanici(s.BilgisayarKullanici());
    setMusteriTipi(s.MusteriTipi());
    setVersion(s.Version());
}

const std::vector<records::Field<TSonucBilgisi>>& TSonucBilgisi::fieldTable()
{
    using R = TSonucBilgisi;
    static const std::vector<records::Field<R>> t = {
        {u"FBILGISAYARID", &R::FBILGISAYARID},
        {u"FSaticiMail", &R::FSaticiMail},
        {u"FSirano", &R::FSirano},
        {u"FCariAdi", &R::FCariAdi},
        {u"FSIFRE", &R::FSIFRE},
        {u"FSaticiNo", &R::FSaticiNo},
        {u"FCARINO", &R::FCARINO},
        {u"FAKTIF", &R::FAKTIF},
        {u"FKullanicimail", &R::FKullanicimail},
        {u"FADI", &R::FADI},
        {u"FSaticiTelefon", &R::FSaticiTelefon},
        {u"Fcarikod", &R::Fcarikod},
        {u"FVarmi", &R::FVarmi},
        {u"FSaticiAdi", &R::FSaticiAdi},
        {u"FBilgiSayarAdi", &R::FBilgiSayarAdi},
        {u"FDisip", &R::FDisip},
        {u"FIcip", &R::FIcip},
        {u"FBilgisayarKullanici", &R::FBilgisayarKullanici},
        {u"FMusteriTipi", &R::FMusteriTipi},
        {u"FVersion", &R::FVersion},
    };
    return t;
}

void TSiparisDipAyrinti::Kopyala(const TSiparisDipAyrinti& s)
{
    setSizinMesaj(s.SizinMesaj());
    setDurumu(s.Durumu());
    setVeren(s.Veren());
    setKargo(s.Kargo());
    setBizimMesaj(s.BizimMesaj());
    setTeslimCinsi(s.TeslimCinsi());
    setKargoCinsi(s.KargoCinsi());
    setSaticiNotu(s.SaticiNotu());
}

const std::vector<records::Field<TSiparisDipAyrinti>>& TSiparisDipAyrinti::fieldTable()
{
    using R = TSiparisDipAyrinti;
    static const std::vector<records::Field<R>> t = {
        {u"FSizinMesaj", &R::FSizinMesaj}, {u"FDurumu", &R::FDurumu},
        {u"FVeren", &R::FVeren},           {u"FKargo", &R::FKargo},
        {u"FBizimMesaj", &R::FBizimMesaj}, {u"FTeslimCinsi", &R::FTeslimCinsi},
        {u"FKargoCinsi", &R::FKargoCinsi}, {u"FSaticiNotu", &R::FSaticiNotu},
    };
    return t;
}

void TTusSonuclari::Kopyala(const TTusSonuclari& s)
{
    setAlindi(s.Alindi());
    setOnaylandi(s.Onaylandi());
    setParcaliHazirlandi(s.ParcaliHazirlandi());
    setSevkEdildi(s.SevkEdildi());
    setHazirlandi(s.Hazirlandi());
    setGoruldu(s.Goruldu());
}

const std::vector<records::Field<TTusSonuclari>>& TTusSonuclari::fieldTable()
{
    using R = TTusSonuclari;
    static const std::vector<records::Field<R>> t = {
        {u"FAlindi", &R::FAlindi},         {u"FOnaylandi", &R::FOnaylandi}, {u"FParcaliHazirlandi", &R::FParcaliHazirlandi},
        {u"FSevkEdildi", &R::FSevkEdildi}, {u"FHazirlandi", &R::FHazirlandi}, {u"FGoruldu", &R::FGoruldu},
    };
    return t;
}

} // namespace velun
