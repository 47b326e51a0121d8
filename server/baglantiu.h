#pragma once
// Records of the module "baglantiu": the login record, the order footer and the order state counters.

#include "server/recordcodec.h"

namespace velun {

// Who is logged in, from which machine, and for which customer.
class TSonucBilgisi
{
    VELUN_RECORD_FIELD(QString, BILGISAYARID)
    VELUN_RECORD_FIELD(QString, SaticiMail)
    VELUN_RECORD_FIELD(qint32, Sirano)
    VELUN_RECORD_FIELD(QString, CariAdi)
    VELUN_RECORD_FIELD(QString, SIFRE)
    VELUN_RECORD_FIELD(qint32, SaticiNo)
    VELUN_RECORD_FIELD(qint32, CARINO)
    VELUN_RECORD_FIELD(qint32, AKTIF)
    VELUN_RECORD_FIELD(QString, Kullanicimail)
    VELUN_RECORD_FIELD(QString, ADI)
    VELUN_RECORD_FIELD(QString, SaticiTelefon)
    VELUN_RECORD_FIELD(QString, carikod)
    VELUN_RECORD_FIELD(bool, Varmi)
    VELUN_RECORD_FIELD(QString, SaticiAdi)
    VELUN_RECORD_FIELD(QString, BilgiSayarAdi)
    VELUN_RECORD_FIELD(QString, Disip)
    VELUN_RECORD_FIELD(QString, Icip)
    VELUN_RECORD_FIELD(QString, BilgisayarKullanici)
    VELUN_RECORD_FIELD(qint32, MusteriTipi)
    VELUN_RECORD_FIELD(qint32, Version)

public:
    static constexpr QStringView kTypeName = u"baglantiu.TSonucBilgisi";
    TSonucBilgisi();
    void Kopyala(const TSonucBilgisi& source);
    static const std::vector<records::Field<TSonucBilgisi>>& fieldTable();
};

// The footer of one order.
class TSiparisDipAyrinti
{
    VELUN_RECORD_FIELD(QString, SizinMesaj)
    VELUN_RECORD_FIELD(QString, Durumu)
    VELUN_RECORD_FIELD(QString, Veren)
    VELUN_RECORD_FIELD(QString, Kargo)
    VELUN_RECORD_FIELD(QString, BizimMesaj)
    VELUN_RECORD_FIELD(QString, TeslimCinsi)
    VELUN_RECORD_FIELD(QString, KargoCinsi)
    VELUN_RECORD_FIELD(QString, SaticiNotu)

public:
    static constexpr QStringView kTypeName = u"baglantiu.TSiparisDipAyrinti";
    void Kopyala(const TSiparisDipAyrinti& source);
    static const std::vector<records::Field<TSiparisDipAyrinti>>& fieldTable();
};

// Order state counters shown on the customer selection's buttons.
class TTusSonuclari
{
    VELUN_RECORD_FIELD(qint32, Alindi)
    VELUN_RECORD_FIELD(qint32, Onaylandi)
    VELUN_RECORD_FIELD(qint32, ParcaliHazirlandi)
    VELUN_RECORD_FIELD(qint32, SevkEdildi)
    VELUN_RECORD_FIELD(qint32, Hazirlandi)
    VELUN_RECORD_FIELD(qint32, Goruldu)

public:
    static constexpr QStringView kTypeName = u"baglantiu.TTusSonuclari";
    void Kopyala(const TTusSonuclari& source);
    static const std::vector<records::Field<TTusSonuclari>>& fieldTable();
};

} // namespace velun
