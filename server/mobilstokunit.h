#pragma once
// Records of the module "mobilstokunit" that the client receives, and the picture text they carry.

#include "server/recordcodec.h"

#include <QByteArray>

#include <vector>

namespace velun {

// The details of one customer account.
class TMobilCariBilgisi
{
    VELUN_RECORD_FIELD(QString, BILGISAYARID)
    VELUN_RECORD_FIELD(QString, SEHIR)
    VELUN_RECORD_FIELD(QString, FAX1)
    VELUN_RECORD_FIELD(QString, SATICIMAIL)
    VELUN_RECORD_FIELD(QString, SATICIADI)
    VELUN_RECORD_FIELD(QString, CARIADI)
    VELUN_RECORD_FIELD(QString, EMAIL)
    VELUN_RECORD_FIELD(QString, VERGIDAIRESI)
    VELUN_RECORD_FIELD(QString, YETKILI)
    VELUN_RECORD_FIELD(QString, AltGrup)
    VELUN_RECORD_FIELD(QString, TEL2)
    VELUN_RECORD_FIELD(QString, SIFRE)
    VELUN_RECORD_FIELD(QString, GSM)
    VELUN_RECORD_FIELD(QString, TEL1)
    VELUN_RECORD_FIELD(QString, ADRES2)
    VELUN_RECORD_FIELD(double, TLBORC)
    VELUN_RECORD_FIELD(double, TLALACAK)
    VELUN_RECORD_FIELD(QString, ADRES1)
    VELUN_RECORD_FIELD(QString, ULKE)
    VELUN_RECORD_FIELD(QString, AnaGrup)
    VELUN_RECORD_FIELD(qint32, CARINO)
    VELUN_RECORD_FIELD(double, TLBAKIYE)
    VELUN_RECORD_FIELD(QString, VERGINO)
    VELUN_RECORD_FIELD(QString, MAIL)
    VELUN_RECORD_FIELD(QString, OzelKod)
    VELUN_RECORD_FIELD(QString, KULLANICIADI)
    VELUN_RECORD_FIELD(QString, SATICITELEFON)
    VELUN_RECORD_FIELD(QString, CARIKOD)
    VELUN_RECORD_FIELD(QString, FAX2)
    VELUN_RECORD_FIELD(QString, ILCE)

public:
    static constexpr QStringView kTypeName = u"mobilstokunit.TMobilCariBilgisi";
    void Kopyala(const TMobilCariBilgisi& source);
    static const std::vector<records::Field<TMobilCariBilgisi>>& fieldTable();
};

// One opening screen: an advertisement or an announcement.
class TAcilisEkran
{
    VELUN_RECORD_FIELD(qint32, SiraNo)
    VELUN_RECORD_FIELD(QString, Resim)
    VELUN_RECORD_FIELD(QString, Baslik)
    VELUN_RECORD_FIELD(QString, Arama)

public:
    static constexpr QStringView kTypeName = u"mobilstokunit.TAcilisEkran";
    static const std::vector<records::Field<TAcilisEkran>>& fieldTable();
};

// An ordered list of opening screens; the list owns its elements by value.
class TAcilisEkranlar
{
public:
    static constexpr QStringView kTypeName = u"mobilstokunit.TAcilisEkranlar";
    std::vector<TAcilisEkran>& items() { return m_items; }
    const std::vector<TAcilisEkran>& items() const { return m_items; }
    int Count() const { return static_cast<int>(m_items.size()); }

private:
    std::vector<TAcilisEkran> m_items;
};

// The bytes of a picture written as two hexadecimal digits per byte (a lone last digit is one byte).
// Throws ProtocolError for a pair that is not hexadecimal.
QByteArray DecodePictureText(const QString& text);
QString EncodePictureText(const QByteArray& bytes);

namespace records {
// The list travels with its elements as an array of records in "FItems".
template <>
json::Value toJson<TAcilisEkranlar>(const TAcilisEkranlar& list, int id);
template <>
TAcilisEkranlar fromJson<TAcilisEkranlar>(const json::Value& record);
} // namespace records

} // namespace velun
