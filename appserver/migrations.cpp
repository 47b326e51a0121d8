// The store's schema, one migration per version. A migration is never edited once released:
// a change of the schema is a new migration at the end of the list.
//
// Conventions: table names are Turkish and lower case; column names are the upper-case names the
// client's lists use (CARINO, STOKNO, SIRANO, BARKOD, ...), so list queries need few aliases.
// Dates are ISO 8601 texts in local time ("2025-06-02" or "2025-06-02 14:30:00").

#include "appserver/database.h"

#include <QStringList>

namespace velun::appserver {
namespace {

struct Migration
{
    int version;
    const char16_t* sql; // statements separated by ";" at the end of a line
};

const char16_t kSchemaV1[] = uR"SQL(
CREATE TABLE IF NOT EXISTS settings (
    key   TEXT PRIMARY KEY,
    value TEXT NOT NULL
);
INSERT OR IGNORE INTO settings(key, value) VALUES ('client_version', '13');

-- Sales representatives.
CREATE TABLE IF NOT EXISTS saticilar (
    SATICINO      INTEGER PRIMARY KEY,
    SATICIADI     TEXT NOT NULL,
    SATICITELEFON TEXT NOT NULL DEFAULT '',
    SATICIMAIL    TEXT NOT NULL DEFAULT '',
    AKTIF         INTEGER NOT NULL DEFAULT 1 CHECK (AKTIF IN (0, 1))
);

-- Customer accounts (cari). Balances come from cari_hareketler (view cari_bakiyeler).
CREATE TABLE IF NOT EXISTS cariler (
    CARINO         INTEGER PRIMARY KEY,
    CARIKOD        TEXT NOT NULL UNIQUE,
    CARIADI        TEXT NOT NULL,
    YETKILI        TEXT NOT NULL DEFAULT '',
    ADRES1         TEXT NOT NULL DEFAULT '',
    ADRES2         TEXT NOT NULL DEFAULT '',
    ILCE           TEXT NOT NULL DEFAULT '',
    SEHIR          TEXT NOT NULL DEFAULT '',
    ULKE           TEXT NOT NULL DEFAULT 'TÜRKİYE',
    TEL1           TEXT NOT NULL DEFAULT '',
    TEL2           TEXT NOT NULL DEFAULT '',
    FAX1           TEXT NOT NULL DEFAULT '',
    FAX2           TEXT NOT NULL DEFAULT '',
    GSM            TEXT NOT NULL DEFAULT '',
    EMAIL          TEXT NOT NULL DEFAULT '',
    VERGIDAIRESI   TEXT NOT NULL DEFAULT '',
    VERGINO        TEXT NOT NULL DEFAULT '',
    OZELKOD        TEXT NOT NULL DEFAULT '',
    ANAGRUP        TEXT NOT NULL DEFAULT '',
    ALTGRUP        TEXT NOT NULL DEFAULT '',
    KOD1           TEXT NOT NULL DEFAULT '',
    KOD2           TEXT NOT NULL DEFAULT '',
    KOD3           TEXT NOT NULL DEFAULT '',
    KOD4           TEXT NOT NULL DEFAULT '',
    KOD5           TEXT NOT NULL DEFAULT '',
    SATICINO       INTEGER REFERENCES saticilar(SATICINO) ON DELETE SET NULL,
    INDIRIM        REAL NOT NULL DEFAULT 0 CHECK (INDIRIM BETWEEN 0 AND 100),
    VADE           INTEGER NOT NULL DEFAULT 30 CHECK (VADE >= 0),
    VADEKONTROLGUN INTEGER NOT NULL DEFAULT 0 CHECK (VADEKONTROLGUN >= 0),
    VADEKONTROLAY  INTEGER NOT NULL DEFAULT 0 CHECK (VADEKONTROLAY >= 0),
    RISKLIMITI     REAL NOT NULL DEFAULT 0 CHECK (RISKLIMITI >= 0),
    AKTIF          INTEGER NOT NULL DEFAULT 1 CHECK (AKTIF IN (0, 1))
);
CREATE INDEX IF NOT EXISTS cariler_satici ON cariler(SATICINO);

-- Logins. MUSTERITIPI: 1 and 2 sales representatives, 3 and 4 dealers.
-- SIFRE is kept as the user types it: the login compares it on the client.
CREATE TABLE IF NOT EXISTS kullanicilar (
    SIRANO      INTEGER PRIMARY KEY,
    ADI         TEXT NOT NULL UNIQUE CHECK (length(ADI) > 0),
    SIFRE       TEXT NOT NULL,
    MUSTERITIPI INTEGER NOT NULL DEFAULT 3 CHECK (MUSTERITIPI BETWEEN 1 AND 4),
    AKTIF       INTEGER NOT NULL DEFAULT 1 CHECK (AKTIF IN (0, 1)),
    CARINO      INTEGER REFERENCES cariler(CARINO) ON DELETE SET NULL,
    SATICINO    INTEGER REFERENCES saticilar(SATICINO) ON DELETE SET NULL,
    MAIL        TEXT NOT NULL DEFAULT ''
);

-- A machine identifier belongs to exactly one user; a user may have several machines.
CREATE TABLE IF NOT EXISTS makineler (
    BILGISAYARID TEXT PRIMARY KEY CHECK (length(trim(BILGISAYARID)) > 0),
    KULLANICI    INTEGER NOT NULL REFERENCES kullanicilar(SIRANO) ON DELETE CASCADE,
    KAYITTARIHI  TEXT NOT NULL
);
CREATE INDEX IF NOT EXISTS makineler_kullanici ON makineler(KULLANICI);

-- Warehouses; their names are the stock-state columns of the lists (ISTANBUL, ANTEP).
CREATE TABLE IF NOT EXISTS depolar (
    DEPONO  INTEGER PRIMARY KEY,
    DEPOADI TEXT NOT NULL UNIQUE,
    SIRA    INTEGER NOT NULL DEFAULT 0
);
INSERT OR IGNORE INTO depolar(DEPONO, DEPOADI, SIRA) VALUES (1, 'ISTANBUL', 1), (2, 'ANTEP', 2);

-- Stock items. TEDARIKDURUMU: 0 normal, 1 in supply ("Tedarik Sürecinde"), 2 special order ("Özel Sipariş").
CREATE TABLE IF NOT EXISTS stoklar (
    STOKNO        INTEGER PRIMARY KEY,
    BARKOD        TEXT NOT NULL UNIQUE CHECK (length(BARKOD) > 0),
    BARKODNO      INTEGER NOT NULL DEFAULT 0,
    FINISHKOD     TEXT NOT NULL DEFAULT '',
    PKOD          TEXT NOT NULL DEFAULT '',
    DPKOD         TEXT NOT NULL DEFAULT '',
    URETICIKODU   TEXT NOT NULL DEFAULT '',
    ADI           TEXT NOT NULL,
    DIGERADI      TEXT NOT NULL DEFAULT '',
    MARKA         TEXT NOT NULL DEFAULT '',
    MODEL         TEXT NOT NULL DEFAULT '',
    OZELKOD       TEXT NOT NULL DEFAULT '',
    ANAGRUP       TEXT NOT NULL DEFAULT '',
    ALTGRUP       TEXT NOT NULL DEFAULT '',
    DEPARTMAN     TEXT NOT NULL DEFAULT '',
    RENK          TEXT NOT NULL DEFAULT '',
    BEDEN         TEXT NOT NULL DEFAULT '',
    BIRIM         TEXT NOT NULL DEFAULT 'ADET',
    KDV           REAL NOT NULL DEFAULT 20 CHECK (KDV BETWEEN 0 AND 100),
    FIYAT         REAL NOT NULL DEFAULT 0 CHECK (FIYAT >= 0),
    ISK1          REAL NOT NULL DEFAULT 0 CHECK (ISK1 BETWEEN 0 AND 100),
    ISK2          REAL NOT NULL DEFAULT 0 CHECK (ISK2 BETWEEN 0 AND 100),
    ISK3          REAL NOT NULL DEFAULT 0 CHECK (ISK3 BETWEEN 0 AND 100),
    ISK4          REAL NOT NULL DEFAULT 0 CHECK (ISK4 BETWEEN 0 AND 100),
    KAMPANYALI    INTEGER NOT NULL DEFAULT 0 CHECK (KAMPANYALI IN (0, 1)),
    KAMPFIYAT     REAL NOT NULL DEFAULT 0 CHECK (KAMPFIYAT >= 0),
    YENI          INTEGER NOT NULL DEFAULT 0 CHECK (YENI IN (0, 1)),
    TEDARIKDURUMU INTEGER NOT NULL DEFAULT 0 CHECK (TEDARIKDURUMU BETWEEN 0 AND 2),
    KRITIKMIKTAR  REAL NOT NULL DEFAULT 5 CHECK (KRITIKMIKTAR >= 0),
    AKTIF         INTEGER NOT NULL DEFAULT 1 CHECK (AKTIF IN (0, 1))
);

-- Original equipment numbers, several per item, in their order (SIRA 1 is OEM1 ...).
CREATE TABLE IF NOT EXISTS stok_oem (
    STOKNO INTEGER NOT NULL REFERENCES stoklar(STOKNO) ON DELETE CASCADE,
    SIRA   INTEGER NOT NULL CHECK (SIRA >= 1),
    OEMNO  TEXT NOT NULL CHECK (length(OEMNO) > 0),
    PRIMARY KEY (STOKNO, SIRA)
) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS stok_oem_no ON stok_oem(OEMNO);

-- Quantity at hand and goods on the way, per warehouse.
CREATE TABLE IF NOT EXISTS stok_depo (
    STOKNO INTEGER NOT NULL REFERENCES stoklar(STOKNO) ON DELETE CASCADE,
    DEPONO INTEGER NOT NULL REFERENCES depolar(DEPONO),
    MIKTAR REAL NOT NULL DEFAULT 0,
    YOLDA  REAL NOT NULL DEFAULT 0 CHECK (YOLDA >= 0),
    PRIMARY KEY (STOKNO, DEPONO)
) WITHOUT ROWID;

-- Product pictures (JPEG files).
CREATE TABLE IF NOT EXISTS stok_resim (
    STOKNO INTEGER PRIMARY KEY REFERENCES stoklar(STOKNO) ON DELETE CASCADE,
    RESIM  BLOB NOT NULL
);

-- Stock state of an item in one warehouse, the codes of the state icons:
-- 1 Var, 2 Telefon Açınız (below the critical quantity), 3 Yolda, 4 Özel Sipariş, 5 Tedarik Sürecinde, 0 Yok.
CREATE VIEW IF NOT EXISTS stok_depo_durum AS
SELECT d.STOKNO, d.DEPONO, d.MIKTAR, d.YOLDA,
       CASE WHEN d.MIKTAR > 0 AND d.MIKTAR >= s.KRITIKMIKTAR THEN 1
            WHEN d.MIKTAR > 0 THEN 2
            WHEN d.YOLDA > 0 THEN 3
            WHEN s.TEDARIKDURUMU = 2 THEN 4
            WHEN s.TEDARIKDURUMU = 1 THEN 5
            ELSE 0 END AS DURUM
FROM stok_depo d JOIN stoklar s ON s.STOKNO = d.STOKNO;

-- The same rule over all warehouses together (the DURUM column of the lists).
CREATE VIEW IF NOT EXISTS stok_durum AS
SELECT s.STOKNO,
       COALESCE(t.MIKTAR, 0) AS MIKTAR,
       COALESCE(t.YOLDA, 0) AS YOLDA,
       CASE WHEN COALESCE(t.MIKTAR, 0) > 0 AND t.MIKTAR >= s.KRITIKMIKTAR THEN 1
            WHEN COALESCE(t.MIKTAR, 0) > 0 THEN 2
            WHEN COALESCE(t.YOLDA, 0) > 0 THEN 3
            WHEN s.TEDARIKDURUMU = 2 THEN 4
            WHEN s.TEDARIKDURUMU = 1 THEN 5
            ELSE 0 END AS DURUM
FROM stoklar s
LEFT JOIN (SELECT STOKNO, SUM(MIKTAR) AS MIKTAR, SUM(YOLDA) AS YOLDA FROM stok_depo GROUP BY STOKNO) t
       ON t.STOKNO = s.STOKNO;

-- Choices of the order form.
CREATE TABLE IF NOT EXISTS teslim_secenekleri (
    SIRANO INTEGER PRIMARY KEY,
    ADI    TEXT NOT NULL,
    SIRA   INTEGER NOT NULL DEFAULT 0,
    AKTIF  INTEGER NOT NULL DEFAULT 1 CHECK (AKTIF IN (0, 1))
);
CREATE TABLE IF NOT EXISTS kargo_turleri (
    SIRANO INTEGER PRIMARY KEY,
    ADI    TEXT NOT NULL,
    SIRA   INTEGER NOT NULL DEFAULT 0,
    AKTIF  INTEGER NOT NULL DEFAULT 1 CHECK (AKTIF IN (0, 1))
);
CREATE TABLE IF NOT EXISTS kargo_firmalari (
    SIRANO    INTEGER PRIMARY KEY,
    KARGOTURU INTEGER NOT NULL REFERENCES kargo_turleri(SIRANO) ON DELETE CASCADE,
    ADI       TEXT NOT NULL,
    UYARI     TEXT NOT NULL DEFAULT '',
    SIRA      INTEGER NOT NULL DEFAULT 0,
    AKTIF     INTEGER NOT NULL DEFAULT 1 CHECK (AKTIF IN (0, 1))
);
CREATE INDEX IF NOT EXISTS kargo_firmalari_tur ON kargo_firmalari(KARGOTURU, SIRA);

-- The server-side basket, one per customer. Amounts are priced by the server when a line is written.
CREATE TABLE IF NOT EXISTS sepet (
    SIRANO        INTEGER PRIMARY KEY,
    CARINO        INTEGER NOT NULL REFERENCES cariler(CARINO) ON DELETE CASCADE,
    STOKNO        INTEGER NOT NULL REFERENCES stoklar(STOKNO),
    BARKOD        TEXT NOT NULL DEFAULT '',
    STOKADI       TEXT NOT NULL DEFAULT '',
    MIKTAR        REAL NOT NULL CHECK (MIKTAR > 0),
    BIRIMFIYAT    REAL NOT NULL DEFAULT 0 CHECK (BIRIMFIYAT >= 0),
    INDIRIMORANI1 REAL NOT NULL DEFAULT 0 CHECK (INDIRIMORANI1 BETWEEN 0 AND 100),
    INDIRIMORANI2 REAL NOT NULL DEFAULT 0 CHECK (INDIRIMORANI2 BETWEEN 0 AND 100),
    INDIRIMORANI3 REAL NOT NULL DEFAULT 0 CHECK (INDIRIMORANI3 BETWEEN 0 AND 100),
    KDV           REAL NOT NULL DEFAULT 20 CHECK (KDV BETWEEN 0 AND 100),
    KAMPANYALI    INTEGER NOT NULL DEFAULT 0,
    TUTAR         REAL NOT NULL DEFAULT 0,
    INDIRIMTUTAR  REAL NOT NULL DEFAULT 0,
    NETBIRIMFIYAT REAL NOT NULL DEFAULT 0,
    NETTUTAR      REAL NOT NULL DEFAULT 0,
    VERGITUTARI   REAL NOT NULL DEFAULT 0,
    KDVLITUTAR    REAL NOT NULL DEFAULT 0,
    SEC           INTEGER NOT NULL DEFAULT 1 CHECK (SEC IN (0, 1)),
    VERENIDNO     INTEGER REFERENCES kullanicilar(SIRANO) ON DELETE SET NULL,
    TARIH         TEXT NOT NULL,
    KUR           TEXT NOT NULL DEFAULT 'TL',
    KURTL         REAL NOT NULL DEFAULT 1,
    ACIKLAMA      TEXT NOT NULL DEFAULT ''
);
CREATE INDEX IF NOT EXISTS sepet_cari ON sepet(CARINO, SIRANO);

-- Basket lines deleted by a user, with the note the client sends, so a deletion can be traced.
CREATE TABLE IF NOT EXISTS sepet_silinenler (
    SIRANO   INTEGER PRIMARY KEY,
    CARINO   INTEGER NOT NULL,
    STOKNO   INTEGER NOT NULL,
    MIKTAR   REAL NOT NULL,
    ACIKLAMA TEXT NOT NULL DEFAULT '',
    SILEN    INTEGER REFERENCES kullanicilar(SIRANO) ON DELETE SET NULL,
    TARIH    TEXT NOT NULL
);

-- Order states; the numbers are the list numbers of the customer selection minus one.
CREATE TABLE IF NOT EXISTS siparis_durumlari (
    DURUMNO  INTEGER PRIMARY KEY,
    DURUMADI TEXT NOT NULL UNIQUE
);
INSERT OR IGNORE INTO siparis_durumlari(DURUMNO, DURUMADI) VALUES
    (1, 'Alındı'), (2, 'Onaylandı'), (3, 'Görüldü'), (4, 'Parçalı Hazırlandı'), (5, 'Hazırlandı'), (6, 'Sevk Edildi');

CREATE TABLE IF NOT EXISTS siparisler (
    IDNO         INTEGER PRIMARY KEY,
    CARINO       INTEGER NOT NULL REFERENCES cariler(CARINO),
    TARIH        TEXT NOT NULL,
    VERENIDNO    INTEGER REFERENCES kullanicilar(SIRANO) ON DELETE SET NULL,
    TESLIMID     INTEGER REFERENCES teslim_secenekleri(SIRANO),
    KARGOID      INTEGER REFERENCES kargo_turleri(SIRANO),
    KARGOFIRMAID INTEGER REFERENCES kargo_firmalari(SIRANO),
    DURUM        INTEGER NOT NULL DEFAULT 1 REFERENCES siparis_durumlari(DURUMNO),
    VERENINNOTU  TEXT NOT NULL DEFAULT '',
    ALANNOTU     TEXT NOT NULL DEFAULT '',
    SATICINOTU   TEXT NOT NULL DEFAULT '',
    KUR          TEXT NOT NULL DEFAULT 'TL',
    KURTL        REAL NOT NULL DEFAULT 1
);
CREATE INDEX IF NOT EXISTS siparisler_cari ON siparisler(CARINO, TARIH);
CREATE INDEX IF NOT EXISTS siparisler_durum ON siparisler(DURUM, CARINO);

-- Order lines; KALAN is the open backorder balance (not yet delivered nor cancelled).
CREATE TABLE IF NOT EXISTS siparis_satirlari (
    SIRANO        INTEGER PRIMARY KEY,
    IDNO          INTEGER NOT NULL REFERENCES siparisler(IDNO) ON DELETE CASCADE,
    STOKNO        INTEGER NOT NULL REFERENCES stoklar(STOKNO),
    BARKOD        TEXT NOT NULL DEFAULT '',
    STOKADI       TEXT NOT NULL DEFAULT '',
    MIKTAR        REAL NOT NULL CHECK (MIKTAR > 0),
    ILKFIYAT      REAL NOT NULL DEFAULT 0,
    BIRIMFIYAT    REAL NOT NULL DEFAULT 0 CHECK (BIRIMFIYAT >= 0),
    INDIRIMORANI1 REAL NOT NULL DEFAULT 0 CHECK (INDIRIMORANI1 BETWEEN 0 AND 100),
    INDIRIMORANI2 REAL NOT NULL DEFAULT 0 CHECK (INDIRIMORANI2 BETWEEN 0 AND 100),
    INDIRIMORANI3 REAL NOT NULL DEFAULT 0 CHECK (INDIRIMORANI3 BETWEEN 0 AND 100),
    KDV           REAL NOT NULL DEFAULT 20 CHECK (KDV BETWEEN 0 AND 100),
    KAMPANYALI    INTEGER NOT NULL DEFAULT 0,
    TUTAR         REAL NOT NULL DEFAULT 0,
    INDIRIMTUTAR  REAL NOT NULL DEFAULT 0,
    NETBIRIMFIYAT REAL NOT NULL DEFAULT 0,
    NETTUTAR      REAL NOT NULL DEFAULT 0,
    VERGITUTARI   REAL NOT NULL DEFAULT 0,
    KDVLITUTAR    REAL NOT NULL DEFAULT 0,
    TESLIMEDILEN  REAL NOT NULL DEFAULT 0 CHECK (TESLIMEDILEN >= 0),
    KALAN         REAL NOT NULL DEFAULT 0 CHECK (KALAN >= 0),
    SEPETSIRANO   INTEGER,
    VERENIDNO     INTEGER REFERENCES kullanicilar(SIRANO) ON DELETE SET NULL,
    VERILISTARIHI TEXT NOT NULL,
    ACIKLAMA      TEXT NOT NULL DEFAULT ''
);
CREATE INDEX IF NOT EXISTS siparis_satirlari_siparis ON siparis_satirlari(IDNO);
CREATE INDEX IF NOT EXISTS siparis_satirlari_stok ON siparis_satirlari(STOKNO);
CREATE INDEX IF NOT EXISTS siparis_satirlari_acik ON siparis_satirlari(IDNO) WHERE KALAN > 0;

-- Every change of a backorder balance or its price, with who made it.
CREATE TABLE IF NOT EXISTS bakiye_hareketleri (
    SIRANO     INTEGER PRIMARY KEY,
    SATIRNO    INTEGER NOT NULL REFERENCES siparis_satirlari(SIRANO) ON DELETE CASCADE,
    ISLEM      TEXT NOT NULL CHECK (ISLEM IN ('SIL', 'DEGISTIR', 'FIYAT')),
    ESKIKALAN  REAL NOT NULL,
    YENIKALAN  REAL NOT NULL,
    ESKIFIYAT  REAL NOT NULL,
    YENIFIYAT  REAL NOT NULL,
    ESKIIND    REAL NOT NULL,
    YENIIND    REAL NOT NULL,
    DEGISTIREN INTEGER REFERENCES kullanicilar(SIRANO) ON DELETE SET NULL,
    TARIH      TEXT NOT NULL
);

-- Account movements: the rows of the statement. TURADI names the kind ("Satış Faturası", "Tahsilat", "Tediye" ...);
-- VADETARIHI is when a debit falls due (NULL for movements without a term).
CREATE TABLE IF NOT EXISTS cari_hareketler (
    IDNO       INTEGER PRIMARY KEY,
    CARINO     INTEGER NOT NULL REFERENCES cariler(CARINO),
    TARIH      TEXT NOT NULL,
    TURADI     TEXT NOT NULL,
    EVRAK      TEXT NOT NULL DEFAULT '',
    BORC       REAL NOT NULL DEFAULT 0 CHECK (BORC >= 0),
    ALACAK     REAL NOT NULL DEFAULT 0 CHECK (ALACAK >= 0),
    KUR        TEXT NOT NULL DEFAULT 'TL',
    VADETARIHI TEXT,
    ACIKLAMA   TEXT NOT NULL DEFAULT ''
);
CREATE INDEX IF NOT EXISTS cari_hareketler_cari ON cari_hareketler(CARINO, TARIH, IDNO);

CREATE VIEW IF NOT EXISTS cari_bakiyeler AS
SELECT c.CARINO,
       COALESCE(SUM(h.BORC), 0) AS TLBORC,
       COALESCE(SUM(h.ALACAK), 0) AS TLALACAK,
       COALESCE(SUM(h.BORC), 0) - COALESCE(SUM(h.ALACAK), 0) AS TLBAKIYE
FROM cariler c LEFT JOIN cari_hareketler h ON h.CARINO = c.CARINO
GROUP BY c.CARINO;

-- Invoice headers and footers, keyed by their account movement.
CREATE TABLE IF NOT EXISTS faturalar (
    IDNO            INTEGER PRIMARY KEY REFERENCES cari_hareketler(IDNO) ON DELETE CASCADE,
    EVRAKNO         TEXT NOT NULL,
    HAREKETTIPI     TEXT NOT NULL DEFAULT 'Satış Faturası',
    TARIH           TEXT NOT NULL,
    SATICINO        INTEGER REFERENCES saticilar(SATICINO) ON DELETE SET NULL,
    VADE            INTEGER NOT NULL DEFAULT 0 CHECK (VADE >= 0),
    IRSALIYEEVRAKNO TEXT NOT NULL DEFAULT '',
    IRSTARIHI       TEXT,
    IRSALIYETIP2    TEXT NOT NULL DEFAULT '',
    SIPARISIDNO     INTEGER REFERENCES siparisler(IDNO) ON DELETE SET NULL,
    SIPARISEVRAKNO  TEXT NOT NULL DEFAULT '',
    SIPARISTARIHI   TEXT,
    TOPLAM          REAL NOT NULL DEFAULT 0,
    TOPLAMINDIRIM   REAL NOT NULL DEFAULT 0,
    MATRAH          REAL NOT NULL DEFAULT 0,
    KDVTUTAR        REAL NOT NULL DEFAULT 0,
    KDVDAHIL        REAL NOT NULL DEFAULT 0
);

-- Invoice lines keep the item texts as printed on the invoice.
CREATE TABLE IF NOT EXISTS fatura_satirlari (
    SIRANO                   INTEGER PRIMARY KEY,
    IDNO                     INTEGER NOT NULL REFERENCES faturalar(IDNO) ON DELETE CASCADE,
    STOKNO                   INTEGER REFERENCES stoklar(STOKNO) ON DELETE SET NULL,
    BARKOD                   TEXT NOT NULL DEFAULT '',
    STOKADI                  TEXT NOT NULL DEFAULT '',
    STOKHAR_MIKTAR           REAL NOT NULL DEFAULT 0,
    STOKHAR_TLBIRIMFIYATI    REAL NOT NULL DEFAULT 0,
    STOKHAR_TLTUTAR          REAL NOT NULL DEFAULT 0,
    STOKHAR_INDIRIM1         REAL NOT NULL DEFAULT 0,
    STOKHAR_INDIRIM2         REAL NOT NULL DEFAULT 0,
    STOKHAR_INDIRIM3         REAL NOT NULL DEFAULT 0,
    KDV                      REAL NOT NULL DEFAULT 20,
    STOKHAR_TOPLAMINDIRIM    REAL NOT NULL DEFAULT 0,
    STOKHAR_TOPLAMMASRAF     REAL NOT NULL DEFAULT 0,
    STOKHAR_NETTLBIRIMFIYATI REAL NOT NULL DEFAULT 0,
    STOKHAR_NETTLTUTAR       REAL NOT NULL DEFAULT 0,
    STOKHAR_TLVERGI          REAL NOT NULL DEFAULT 0,
    STOKHAR_DOVIZBIRIMFIYATI REAL NOT NULL DEFAULT 0,
    STOKHAR_DOVIZTUTAR       REAL NOT NULL DEFAULT 0,
    STOKHAR_KURTL            REAL NOT NULL DEFAULT 1,
    KUR_KURSIMGE             TEXT NOT NULL DEFAULT 'TL',
    STOKHAR_SAAT             TEXT NOT NULL DEFAULT '',
    SATIRACIKLMASI           TEXT NOT NULL DEFAULT '',
    STOKHAR_PARTI            TEXT NOT NULL DEFAULT '',
    STOKHAR_BEDEN            TEXT NOT NULL DEFAULT '',
    STOKHAR_RENK             TEXT NOT NULL DEFAULT ''
);
CREATE INDEX IF NOT EXISTS fatura_satirlari_fatura ON fatura_satirlari(IDNO);

-- The rows of a collection or payment (cash, card, cheque, bill, transfer).
CREATE TABLE IF NOT EXISTS tahsilat_satirlari (
    SIRANO     INTEGER PRIMARY KEY,
    IDNO       INTEGER NOT NULL REFERENCES cari_hareketler(IDNO) ON DELETE CASCADE,
    TARIH      TEXT NOT NULL,
    TURU       TEXT NOT NULL,
    CINS       TEXT NOT NULL DEFAULT '',
    EVRAKNO    TEXT NOT NULL DEFAULT '',
    VADE       TEXT,
    TUTAR      REAL NOT NULL,
    KUR        TEXT NOT NULL DEFAULT 'TL',
    KURTL      REAL NOT NULL DEFAULT 1,
    ACIKLAMA   TEXT NOT NULL DEFAULT '',
    DOVIZTUTAR REAL NOT NULL DEFAULT 0,
    REF        TEXT NOT NULL DEFAULT '',
    SAAT       TEXT NOT NULL DEFAULT ''
);
CREATE INDEX IF NOT EXISTS tahsilat_satirlari_hareket ON tahsilat_satirlari(IDNO);

-- Card payments through the virtual card terminal, with their PDF receipts.
CREATE TABLE IF NOT EXISTS sanalpos_odemeler (
    SIRANO     INTEGER PRIMARY KEY,
    IDNO       INTEGER UNIQUE REFERENCES cari_hareketler(IDNO) ON DELETE SET NULL,
    CARINO     INTEGER NOT NULL REFERENCES cariler(CARINO),
    TARIH      TEXT NOT NULL,
    TUTAR      REAL NOT NULL CHECK (TUTAR > 0),
    TAKSIT     INTEGER NOT NULL DEFAULT 1 CHECK (TAKSIT >= 1),
    KARTSAHIBI TEXT NOT NULL DEFAULT '',
    KARTNO     TEXT NOT NULL DEFAULT '',
    ONAYKODU   TEXT NOT NULL DEFAULT '',
    DEKONT     BLOB
);

-- Downloadable documents. DOSYAADI is the name the client saves under: never a path.
CREATE TABLE IF NOT EXISTS dosyalar (
    SIRANO   INTEGER PRIMARY KEY,
    ACIKLAMA TEXT NOT NULL,
    DOSYAADI TEXT NOT NULL CHECK (length(DOSYAADI) > 0 AND DOSYAADI NOT GLOB '*[/\]*'
                                  AND DOSYAADI NOT IN ('.', '..')),
    DOSYAYOL TEXT NOT NULL DEFAULT '',
    ICERIK   BLOB NOT NULL,
    TARIH    TEXT NOT NULL,
    SIRA     INTEGER NOT NULL DEFAULT 0,
    AKTIF    INTEGER NOT NULL DEFAULT 1 CHECK (AKTIF IN (0, 1))
);

-- Opening screens. TUR 1: announcement (the announcements tab), 2: opening advertisement.
-- RESIM holds the picture file; it travels as picture text.
CREATE TABLE IF NOT EXISTS acilis_ekranlari (
    SIRANO INTEGER PRIMARY KEY,
    TUR    INTEGER NOT NULL CHECK (TUR IN (1, 2)),
    SIRA   INTEGER NOT NULL DEFAULT 0,
    BASLIK TEXT NOT NULL DEFAULT '',
    ARAMA  TEXT NOT NULL DEFAULT '',
    RESIM  BLOB,
    AKTIF  INTEGER NOT NULL DEFAULT 1 CHECK (AKTIF IN (0, 1))
);
CREATE INDEX IF NOT EXISTS acilis_ekranlari_tur ON acilis_ekranlari(TUR, SIRA);

-- Banner pictures (animated GIF).
CREATE TABLE IF NOT EXISTS bannerlar (
    SIRANO INTEGER PRIMARY KEY,
    RESIM  BLOB NOT NULL,
    SIRA   INTEGER NOT NULL DEFAULT 0,
    AKTIF  INTEGER NOT NULL DEFAULT 1 CHECK (AKTIF IN (0, 1))
);

-- Texts of the scrolling news line.
CREATE TABLE IF NOT EXISTS kayan_yazilar (
    SIRANO INTEGER PRIMARY KEY,
    METIN  TEXT NOT NULL,
    SIRA   INTEGER NOT NULL DEFAULT 0,
    AKTIF  INTEGER NOT NULL DEFAULT 1 CHECK (AKTIF IN (0, 1))
);

-- Exchange rates in TL (USD, EUR).
CREATE TABLE IF NOT EXISTS kurlar (
    KUR   TEXT PRIMARY KEY,
    DEGER REAL NOT NULL CHECK (DEGER > 0),
    TARIH TEXT NOT NULL
);

-- Requests and mails users send, kept until delivered. YONTEM is the server method that took them;
-- KONU is the message of a mail to the representative (NULL for requests).
-- DURUM: 0 waiting, 1 delivered, 2 delivery failed (HATA tells why).
CREATE TABLE IF NOT EXISTS giden_mailler (
    SIRANO         INTEGER PRIMARY KEY,
    YONTEM         TEXT NOT NULL,
    BILGISAYARID   TEXT NOT NULL,
    KULLANICI      INTEGER REFERENCES kullanicilar(SIRANO) ON DELETE SET NULL,
    ALICI          TEXT NOT NULL DEFAULT '',
    BASLIK         TEXT NOT NULL,
    FIRMAADI       TEXT NOT NULL,
    ADRES1         TEXT NOT NULL,
    ADRES2         TEXT NOT NULL,
    ILCE           TEXT NOT NULL,
    SEHIR          TEXT NOT NULL,
    TELEFON        TEXT NOT NULL,
    FAX            TEXT NOT NULL,
    VD             TEXT NOT NULL,
    VN             TEXT NOT NULL,
    YETKILI        TEXT NOT NULL,
    KULLANICIADI   TEXT NOT NULL,
    SIFRE          TEXT NOT NULL,
    MAIL           TEXT NOT NULL,
    KARGOAMBAR     TEXT NOT NULL,
    KONU           TEXT,
    TARIH          TEXT NOT NULL,
    DURUM          INTEGER NOT NULL DEFAULT 0 CHECK (DURUM IN (0, 1, 2)),
    GONDERIMTARIHI TEXT,
    HATA           TEXT NOT NULL DEFAULT ''
);
CREATE INDEX IF NOT EXISTS giden_mailler_durum ON giden_mailler(DURUM, SIRANO);
)SQL";

const char16_t kSchemaV2[] = uR"SQL(
-- Catalogue search. Every searchable text of an item is folded the same way: Turkish and ASCII letters to
-- plain upper case (İ, i, ı and I all become I), blanks, dashes, dots, slashes and the like dropped, so
-- "0 986 494 ABC", "0986-494-abc" and "0986494ABC" read alike. The fields are joined with "|", which the
-- folded search words never contain, so a word never matches across two fields.
-- Two steps, letters then punctuation, to keep each expression within what SQLite's parser nests.
CREATE VIEW IF NOT EXISTS stok_arama_metni AS
SELECT f.STOKNO,
       replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(f.METIN
           , ' ', ''), '-', ''), '.', ''), '/', ''), '(', ''), ')', ''), ',', ''), '_', ''), '+', ''), '"', '')
           , '*', ''), ':', ''), ';', ''), '\', ''), '#', ''), '!', ''), '?', ''), '=', ''), '''', ''), char(9), '') AS METIN
FROM (SELECT s.STOKNO,
             upper(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace((s.BARKOD || '|' || s.FINISHKOD || '|' || s.PKOD || '|' || s.DPKOD || '|' || s.URETICIKODU || '|' ||
                   s.ADI || '|' || s.DIGERADI || '|' || s.MARKA || '|' || s.MODEL || '|' || s.OZELKOD || '|' ||
                   COALESCE((SELECT group_concat(o.OEMNO, '|') FROM stok_oem o WHERE o.STOKNO = s.STOKNO), ''))
                 , 'ı', 'I'), 'İ', 'I'), 'ş', 'S'), 'Ş', 'S'), 'ğ', 'G'), 'Ğ', 'G'), 'ü', 'U'), 'Ü', 'U'), 'ö', 'O')
                 , 'Ö', 'O'), 'ç', 'C'), 'Ç', 'C'), 'â', 'A'), 'Â', 'A'), 'î', 'I'), 'Î', 'I'), 'û', 'U'), 'Û', 'U')) AS METIN
      FROM stoklar s) f;

-- Every code of an item (barcode, codes, producer code, OEM numbers), folded as above.
CREATE VIEW IF NOT EXISTS stok_kodlari AS
SELECT f.STOKNO,
       replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(f.KOD
           , ' ', ''), '-', ''), '.', ''), '/', ''), '(', ''), ')', ''), ',', ''), '_', ''), '+', ''), '"', '')
           , '*', ''), ':', ''), ';', ''), '\', ''), '#', ''), '!', ''), '?', ''), '=', ''), '''', ''), char(9), '') AS KOD
FROM (SELECT k.STOKNO,
             upper(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(replace(k.KOD
                 , 'ı', 'I'), 'İ', 'I'), 'ş', 'S'), 'Ş', 'S'), 'ğ', 'G'), 'Ğ', 'G'), 'ü', 'U'), 'Ü', 'U'), 'ö', 'O')
                 , 'Ö', 'O'), 'ç', 'C'), 'Ç', 'C'), 'â', 'A'), 'Â', 'A'), 'î', 'I'), 'Î', 'I'), 'û', 'U'), 'Û', 'U')) AS KOD
      FROM (SELECT STOKNO, BARKOD AS KOD FROM stoklar
            UNION ALL SELECT STOKNO, FINISHKOD FROM stoklar
            UNION ALL SELECT STOKNO, PKOD FROM stoklar
            UNION ALL SELECT STOKNO, DPKOD FROM stoklar
            UNION ALL SELECT STOKNO, URETICIKODU FROM stoklar
            UNION ALL SELECT o.STOKNO, o.OEMNO FROM stok_oem o JOIN stoklar s ON s.STOKNO = o.STOKNO) k) f;

-- Substring search over the folded text (rowid = STOKNO). Trigram queries need words of 3 characters.
CREATE VIRTUAL TABLE IF NOT EXISTS stok_arama USING fts5(METIN, tokenize = 'trigram');

-- Folded codes for exact hits and for the prefix lookup of words shorter than 3 characters.
CREATE TABLE IF NOT EXISTS stok_kod (
    KOD    TEXT NOT NULL,
    STOKNO INTEGER NOT NULL,
    PRIMARY KEY (KOD, STOKNO)
) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS stok_kod_stok ON stok_kod(STOKNO);

-- A row here suspends the triggers below while a bulk load runs; the loader rebuilds the index at its end.
CREATE TABLE IF NOT EXISTS stok_arama_askida (
    ASKIDA INTEGER PRIMARY KEY CHECK (ASKIDA = 1)
);

-- Inserting a stock number here brings its search rows up to date (nothing is stored in the view).
CREATE VIEW IF NOT EXISTS stok_arama_yenile AS SELECT 0 AS STOKNO WHERE 0;
CREATE TRIGGER IF NOT EXISTS stok_arama_yenile_ekle INSTEAD OF INSERT ON stok_arama_yenile
BEGIN
    DELETE FROM stok_arama WHERE rowid = NEW.STOKNO;
    INSERT INTO stok_arama(rowid, METIN) SELECT STOKNO, METIN FROM stok_arama_metni WHERE STOKNO = NEW.STOKNO;
    DELETE FROM stok_kod WHERE STOKNO = NEW.STOKNO;
    INSERT OR IGNORE INTO stok_kod(KOD, STOKNO)
        SELECT KOD, STOKNO FROM stok_kodlari WHERE STOKNO = NEW.STOKNO AND KOD <> '';
END;

CREATE TRIGGER IF NOT EXISTS stoklar_arama_ekle AFTER INSERT ON stoklar
WHEN NOT EXISTS (SELECT 1 FROM stok_arama_askida)
BEGIN
    INSERT INTO stok_arama_yenile(STOKNO) VALUES (NEW.STOKNO);
END;
CREATE TRIGGER IF NOT EXISTS stoklar_arama_degistir
AFTER UPDATE OF STOKNO, BARKOD, FINISHKOD, PKOD, DPKOD, URETICIKODU, ADI, DIGERADI, MARKA, MODEL, OZELKOD ON stoklar
WHEN NOT EXISTS (SELECT 1 FROM stok_arama_askida)
BEGIN
    INSERT INTO stok_arama_yenile(STOKNO) VALUES (OLD.STOKNO);
    INSERT INTO stok_arama_yenile(STOKNO) SELECT NEW.STOKNO WHERE NEW.STOKNO <> OLD.STOKNO;
END;
CREATE TRIGGER IF NOT EXISTS stoklar_arama_sil AFTER DELETE ON stoklar
WHEN NOT EXISTS (SELECT 1 FROM stok_arama_askida)
BEGIN
    INSERT INTO stok_arama_yenile(STOKNO) VALUES (OLD.STOKNO);
END;
CREATE TRIGGER IF NOT EXISTS stok_oem_arama_ekle AFTER INSERT ON stok_oem
WHEN NOT EXISTS (SELECT 1 FROM stok_arama_askida)
BEGIN
    INSERT INTO stok_arama_yenile(STOKNO) VALUES (NEW.STOKNO);
END;
CREATE TRIGGER IF NOT EXISTS stok_oem_arama_degistir AFTER UPDATE ON stok_oem
WHEN NOT EXISTS (SELECT 1 FROM stok_arama_askida)
BEGIN
    INSERT INTO stok_arama_yenile(STOKNO) VALUES (OLD.STOKNO);
    INSERT INTO stok_arama_yenile(STOKNO) SELECT NEW.STOKNO WHERE NEW.STOKNO <> OLD.STOKNO;
END;
CREATE TRIGGER IF NOT EXISTS stok_oem_arama_sil AFTER DELETE ON stok_oem
WHEN NOT EXISTS (SELECT 1 FROM stok_arama_askida)
BEGIN
    INSERT INTO stok_arama_yenile(STOKNO) VALUES (OLD.STOKNO);
END;

-- The new-item and campaign lists read only their few items.
CREATE INDEX IF NOT EXISTS stoklar_yeni ON stoklar(STOKNO) WHERE YENI = 1 AND AKTIF = 1;
CREATE INDEX IF NOT EXISTS stoklar_kampanyali ON stoklar(STOKNO) WHERE KAMPANYALI = 1 AND AKTIF = 1;

-- The items already in the store.
INSERT INTO stok_arama(rowid, METIN) SELECT STOKNO, METIN FROM stok_arama_metni;
INSERT OR IGNORE INTO stok_kod(KOD, STOKNO) SELECT KOD, STOKNO FROM stok_kodlari WHERE KOD <> '';
)SQL";

const Migration kMigrations[] = {
    {1, kSchemaV1},
    {2, kSchemaV2},
};

QStringList statementsOf(const char16_t* sql)
{
    QStringList statements;
    QString current;
    for (const QString& line : QString::fromUtf16(sql).split(u'\n')) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u"--") || trimmed.isEmpty())
            continue;
        current += line;
        current += u'\n';
        // A trigger's body holds statements of its own; the trigger ends at its "END;".
        const bool inTrigger = current.trimmed().startsWith(u"CREATE TRIGGER", Qt::CaseInsensitive);
        if (inTrigger ? trimmed.compare(u"END;", Qt::CaseInsensitive) == 0 : trimmed.endsWith(u';')) {
            statements.append(current.trimmed());
            current.clear();
        }
    }
    if (!current.trimmed().isEmpty())
        statements.append(current.trimmed());
    return statements;
}

int userVersion(QSqlDatabase& db)
{
    QSqlQuery q = exec(db, QStringLiteral("PRAGMA user_version"));
    return q.next() ? q.value(0).toInt() : 0;
}

} // namespace

int Database::latestSchemaVersion()
{
    return kMigrations[std::size(kMigrations) - 1].version;
}

int Database::schemaVersion()
{
    QSqlDatabase db = connection();
    return userVersion(db);
}

void Database::migrate()
{
    QSqlDatabase db = connection();
    const int found = userVersion(db);
    if (found > latestSchemaVersion())
        throw DatabaseError(QStringLiteral("Veritabanının şema sürümü (%1) bu sunucunun bildiğinden (%2) yeni; "
                                           "sunucuyu güncelleyiniz")
                                .arg(found)
                                .arg(latestSchemaVersion()));
    for (const Migration& m : kMigrations) {
        inTransaction(db, [&] {
            // Read again under the write lock: another process may have migrated meanwhile.
            if (userVersion(db) >= m.version)
                return;
            for (const QString& statement : statementsOf(m.sql))
                exec(db, statement);
            exec(db, QStringLiteral("PRAGMA user_version = %1").arg(m.version));
        });
    }
}

} // namespace velun::appserver
