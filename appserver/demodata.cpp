#include "appserver/demodata.h"

#include "appserver/database.h"
#include "appserver/demoassets.h"
#include "appserver/pricing.h"
#include "appserver/searchindex.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <cmath>
#include <vector>

namespace velun::appserver {
namespace {

// SplitMix64: small, fast and the same sequence on every platform (rand() is neither).
class Prng
{
public:
    explicit Prng(quint64 seed) : m_state(seed) {}
    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<quint64>(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool percent(int p) { return below(100) < p; }
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }

private:
    quint64 m_state;
};

double round2(double v) { return RoundMoney(v); }

QString isoDate(const QDate& d) { return d.toString(Qt::ISODate); }
QString isoDateTime(const QDate& d, int hour, int minute)
{
    return isoDate(d) + QStringLiteral(" %1:%2:00").arg(hour, 2, 10, QLatin1Char('0')).arg(minute, 2, 10, QLatin1Char('0'));
}

// ---------------------------------------------------------------------------------------------
// Fixed texts. Every firm, brand and vehicle make below is invented.

struct PartType
{
    const char16_t* name;
    const char16_t* otherName;
    const char16_t* group;
    const char16_t* subGroup;
    const char16_t* groupCode;
    const char16_t* unit;
    int minPrice;
    int maxPrice;
    int picture;
};

const PartType kPartTypes[] = {
    {u"FREN BALATASI ÖN", u"ÖN DİSK FREN PEDİ", u"FREN SİSTEMİ", u"BALATA", u"FR", u"TAKIM", 350, 1800, 1},
    {u"FREN BALATASI ARKA", u"ARKA DİSK FREN PEDİ", u"FREN SİSTEMİ", u"BALATA", u"FR", u"TAKIM", 300, 1500, 1},
    {u"FREN DİSKİ ÖN", u"ÖN FREN AYNASI", u"FREN SİSTEMİ", u"DİSK", u"FR", u"ADET", 600, 3500, 0},
    {u"FREN DİSKİ ARKA", u"ARKA FREN AYNASI", u"FREN SİSTEMİ", u"DİSK", u"FR", u"ADET", 500, 3000, 0},
    {u"FREN KALİPERİ ÖN SOL", u"KALİPER", u"FREN SİSTEMİ", u"KALİPER", u"FR", u"ADET", 1200, 6500, 0},
    {u"FREN HORTUMU ÖN", u"", u"FREN SİSTEMİ", u"HORTUM", u"FR", u"ADET", 90, 420, 3},
    {u"FREN ANA MERKEZİ", u"FREN MERKEZ POMPASI", u"FREN SİSTEMİ", u"MERKEZ", u"FR", u"ADET", 900, 4200, 0},
    {u"YAĞ FİLTRESİ", u"MOTOR YAĞ SÜZGECİ", u"FİLTRE", u"YAĞ FİLTRESİ", u"FL", u"ADET", 80, 450, 1},
    {u"HAVA FİLTRESİ", u"MOTOR HAVA SÜZGECİ", u"FİLTRE", u"HAVA FİLTRESİ", u"FL", u"ADET", 110, 600, 1},
    {u"POLEN FİLTRESİ", u"KABİN FİLTRESİ", u"FİLTRE", u"POLEN FİLTRESİ", u"FL", u"ADET", 90, 480, 1},
    {u"YAKIT FİLTRESİ", u"MAZOT FİLTRESİ", u"FİLTRE", u"YAKIT FİLTRESİ", u"FL", u"ADET", 120, 900, 1},
    {u"AMORTİSÖR ÖN SAĞ", u"ÖN SAĞ AMORTİSÖR", u"SÜSPANSİYON", u"AMORTİSÖR", u"SP", u"ADET", 900, 4800, 3},
    {u"AMORTİSÖR ÖN SOL", u"ÖN SOL AMORTİSÖR", u"SÜSPANSİYON", u"AMORTİSÖR", u"SP", u"ADET", 900, 4800, 3},
    {u"AMORTİSÖR ARKA", u"ARKA AMORTİSÖR", u"SÜSPANSİYON", u"AMORTİSÖR", u"SP", u"ADET", 700, 3900, 3},
    {u"ROT BAŞI", u"ROT UCU", u"SÜSPANSİYON", u"ROT", u"SP", u"ADET", 150, 900, 3},
    {u"ROTİL", u"SALINCAK ROTİLİ", u"SÜSPANSİYON", u"ROT", u"SP", u"ADET", 180, 1100, 3},
    {u"SALINCAK ÖN ALT", u"ALT TABLA", u"SÜSPANSİYON", u"SALINCAK", u"SP", u"ADET", 600, 3200, 3},
    {u"Z ROT", u"VİRAJ DEMİRİ BAĞLANTISI", u"SÜSPANSİYON", u"ROT", u"SP", u"ADET", 140, 700, 3},
    {u"VİRAJ DEMİRİ LASTİĞİ", u"", u"SÜSPANSİYON", u"BURÇ", u"SP", u"ADET", 40, 260, 3},
    {u"AKS KAFASI", u"HOMOKİNETİK", u"SÜSPANSİYON", u"AKS", u"SP", u"ADET", 800, 4200, 0},
    {u"PORYA RULMANI", u"TEKER RULMANI", u"SÜSPANSİYON", u"RULMAN", u"SP", u"ADET", 350, 2400, 0},
    {u"TRİGER SETİ", u"EKSANTRİK KAYIŞ SETİ", u"MOTOR", u"TRİGER", u"MT", u"TAKIM", 1200, 6900, 3},
    {u"DEVİRDAİM POMPASI", u"SU POMPASI", u"MOTOR", u"SOĞUTMA POMPASI", u"MT", u"ADET", 700, 3600, 0},
    {u"TERMOSTAT", u"", u"MOTOR", u"TERMOSTAT", u"MT", u"ADET", 150, 950, 0},
    {u"MOTOR TAKOZU SAĞ", u"MOTOR KULAĞI", u"MOTOR", u"TAKOZ", u"MT", u"ADET", 300, 1900, 3},
    {u"SİLİNDİR KAPAK CONTASI", u"SKC", u"MOTOR", u"CONTA", u"MT", u"ADET", 250, 1700, 3},
    {u"YAĞ POMPASI", u"", u"MOTOR", u"POMPA", u"MT", u"ADET", 900, 5200, 0},
    {u"V KAYIŞI", u"ALTERNATÖR KAYIŞI", u"MOTOR", u"KAYIŞ", u"MT", u"ADET", 90, 520, 3},
    {u"KAYIŞ GERGİ RULMANI", u"GERGİ MAKARASI", u"MOTOR", u"RULMAN", u"MT", u"ADET", 250, 1300, 0},
    {u"BUJİ", u"ATEŞLEME BUJİSİ", u"ELEKTRİK", u"ATEŞLEME", u"EL", u"ADET", 60, 380, 2},
    {u"ATEŞLEME BOBİNİ", u"BOBİN", u"ELEKTRİK", u"ATEŞLEME", u"EL", u"ADET", 450, 2600, 2},
    {u"MARŞ MOTORU", u"STARTER", u"ELEKTRİK", u"MARŞ", u"EL", u"ADET", 2200, 9800, 2},
    {u"ALTERNATÖR", u"ŞARJ DİNAMOSU", u"ELEKTRİK", u"ŞARJ", u"EL", u"ADET", 2800, 12500, 2},
    {u"AKÜ 60 AH", u"AKÜMÜLATÖR", u"ELEKTRİK", u"AKÜ", u"EL", u"ADET", 1900, 4800, 2},
    {u"OKSİJEN SENSÖRÜ", u"LAMBDA SONDASI", u"ELEKTRİK", u"SENSÖR", u"EL", u"ADET", 700, 3900, 2},
    {u"FAR SOL", u"ÖN FAR SOL", u"AYDINLATMA", u"FAR", u"AY", u"ADET", 1400, 9500, 2},
    {u"FAR SAĞ", u"ÖN FAR SAĞ", u"AYDINLATMA", u"FAR", u"AY", u"ADET", 1400, 9500, 2},
    {u"STOP LAMBASI SOL", u"ARKA STOP SOL", u"AYDINLATMA", u"STOP", u"AY", u"ADET", 500, 3200, 2},
    {u"SİS FARI", u"", u"AYDINLATMA", u"SİS FARI", u"AY", u"ADET", 350, 1900, 2},
    {u"H7 AMPUL", u"HALOJEN AMPUL", u"AYDINLATMA", u"AMPUL", u"AY", u"ADET", 40, 280, 2},
    {u"RADYATÖR", u"MOTOR SU RADYATÖRÜ", u"SOĞUTMA", u"RADYATÖR", u"SG", u"ADET", 1500, 7800, 0},
    {u"FAN MOTORU", u"RADYATÖR FANI", u"SOĞUTMA", u"FAN", u"SG", u"ADET", 1100, 5600, 0},
    {u"ANTİFRİZ 1,5 LT", u"SOĞUTMA SIVISI", u"SOĞUTMA", u"SIVI", u"SG", u"ADET", 120, 420, 1},
    {u"SU HORTUMU ÜST", u"RADYATÖR HORTUMU", u"SOĞUTMA", u"HORTUM", u"SG", u"ADET", 90, 650, 3},
    {u"DEBRİYAJ SETİ", u"KAVRAMA SETİ", u"ŞANZIMAN", u"DEBRİYAJ", u"SZ", u"TAKIM", 2400, 11500, 0},
    {u"DEBRİYAJ BASKI RULMANI", u"", u"ŞANZIMAN", u"DEBRİYAJ", u"SZ", u"ADET", 350, 1900, 0},
    {u"ŞANZIMAN TAKOZU", u"", u"ŞANZIMAN", u"TAKOZ", u"SZ", u"ADET", 280, 1600, 3},
    {u"DİKİZ AYNASI SOL", u"YAN AYNA SOL", u"KAPORTA", u"AYNA", u"KP", u"ADET", 600, 3800, 2},
    {u"KAPI KOLU DIŞ", u"", u"KAPORTA", u"KAPI", u"KP", u"ADET", 120, 780, 3},
    {u"CAM KRİKOSU ÖN SOL", u"CAM MEKANİZMASI", u"KAPORTA", u"KAPI", u"KP", u"ADET", 650, 3300, 3},
    {u"SİLECEK SÜPÜRGESİ 600 MM", u"SİLECEK LASTİĞİ", u"KAPORTA", u"SİLECEK", u"KP", u"ADET", 90, 520, 3},
    {u"TAMPON ÖN", u"ÖN TAMPON", u"KAPORTA", u"TAMPON", u"KP", u"ADET", 1800, 8500, 3},
    {u"EGZOZ SUSTURUCU ARKA", u"ARKA SUSTURUCU", u"EGZOZ", u"SUSTURUCU", u"EG", u"ADET", 700, 3900, 0},
    {u"KATALİTİK KONVERTÖR", u"KATALİZÖR", u"EGZOZ", u"KATALİZÖR", u"EG", u"ADET", 4200, 18500, 0},
    {u"EGZOZ CONTASI", u"", u"EGZOZ", u"CONTA", u"EG", u"ADET", 30, 180, 3},
};

struct Brand
{
    const char16_t* name;
    const char16_t* prefix;
};

const Brand kBrands[] = {
    {u"KARAYEL", u"KRY"}, {u"ÖZGÜÇ", u"OZG"},  {u"DORUK", u"DRK"}, {u"TUNAPARTS", u"TNP"}, {u"ŞİMŞEK", u"SMS"},
    {u"MARTI", u"MRT"},   {u"ÇINAR", u"CNR"},  {u"İPEKYOL", u"IPK"}, {u"ERGÜN", u"ERG"},   {u"BOZOK", u"BZK"},
};

struct Make
{
    const char16_t* name;
    const char16_t* models[3];
};

const Make kMakes[] = {
    {u"VEGA", {u"VEGA 1.4", u"VEGA 1.6 DİZEL", u"VEGA SW 1.3"}},
    {u"ORKA", {u"ORKA 2.0 TDİ", u"ORKA 1.5 DCİ", u"ORKA 1.6 BENZİNLİ"}},
    {u"SERA", {u"SERA 1.2 16V", u"SERA SEDAN 1.6", u"SERA HB 1.4"}},
    {u"LİMA", {u"LİMA 1.0 TURBO", u"LİMA 1.4 LPG", u"LİMA 1.2"}},
    {u"NEVA", {u"NEVA VAN 2.2", u"NEVA PANELVAN 1.9", u"NEVA KOMBİ 1.6"}},
    {u"KARTAL", {u"KARTAL 1.6", u"KARTAL SLX 2.0", u"KARTAL ŞAHİN 1.4"}},
    {u"ATLAS", {u"ATLAS KAMYONET 2.5", u"ATLAS 3.0 CRDİ", u"ATLAS ÇİFT KABİN 2.8"}},
    {u"TİRA", {u"TİRA 1.3 MULTİJET", u"TİRA CROSS 1.6", u"TİRA 1.4 FİRE"}},
};

struct Rep
{
    int number;
    const char16_t* name;
    const char16_t* phone;
    const char16_t* mail;
};

const Rep kReps[] = {
    {1, u"AHMET YILMAZ", u"0532 410 12 34", u"ahmet.yilmaz@velun.example"},
    {2, u"AYŞE ÇELİK", u"0533 520 23 45", u"ayse.celik@velun.example"},
    {3, u"MEHMET ÖZTÜRK", u"0535 630 34 56", u"mehmet.ozturk@velun.example"},
};

struct Customer
{
    int number;
    const char16_t* code;
    const char16_t* name;
    const char16_t* contact;
    const char16_t* address1;
    const char16_t* address2;
    const char16_t* district;
    const char16_t* city;
    const char16_t* phone;
    const char16_t* fax;
    const char16_t* gsm;
    const char16_t* mail;
    const char16_t* taxOffice;
    const char16_t* taxNumber;
    const char16_t* specialCode;
    const char16_t* group;
    const char16_t* subGroup;
    int rep;
    double discount;
    int term;
};

const Customer kCustomers[] = {
    {1001, u"120.01.001", u"ÖZ KARDEŞLER OTO YEDEK PARÇA LTD. ŞTİ.", u"Hüseyin Öz", u"Sanayi Mah. Çınar Sok. No: 12",
     u"Oto Sanayi Sitesi 3. Blok", u"Bağcılar", u"İstanbul", u"0212 555 01 01", u"0212 555 01 02", u"0532 555 01 03",
     u"bilgi@ozkardesler.example", u"Bağcılar", u"6480012345", u"BAYİ", u"MARMARA", u"A GRUBU", 1, 10, 30},
    {1002, u"120.01.002", u"GÜNEŞ OTOMOTİV TİC. A.Ş.", u"Gülşen Güneş", u"Esenkent Mah. Ilgın Cad. No: 44", u"",
     u"Ümraniye", u"İstanbul", u"0216 555 02 01", u"", u"0533 555 02 03", u"muhasebe@gunesoto.example", u"Ümraniye",
     u"3970023456", u"BAYİ", u"MARMARA", u"B GRUBU", 1, 5, 45},
    {1003, u"120.02.001", u"ÇAĞLAR OTO ELEKTRİK", u"Çağlar Şimşek", u"Küsget Sanayi Sitesi 4. Cad. No: 7", u"",
     u"Şahinbey", u"Gaziantep", u"0342 555 03 01", u"0342 555 03 02", u"0534 555 03 03", u"caglar@caglaroto.example",
     u"Şahinbey", u"2050034567", u"SERVİS", u"GÜNEYDOĞU", u"C GRUBU", 2, 0, 30},
    {1004, u"120.02.002", u"DOĞAN YEDEK PARÇA", u"İbrahim Doğan", u"Başpınar OSB 2. Bölge No: 19", u"",
     u"Şehitkamil", u"Gaziantep", u"0342 555 04 01", u"", u"0535 555 04 03", u"dogan@doganparca.example",
     u"Şehitkamil", u"3090045678", u"BAYİ", u"GÜNEYDOĞU", u"A GRUBU", 2, 12, 60},
    {1005, u"120.03.001", u"IŞIK MOTOR SANAYİ", u"Işıl Işık", u"Ostim OSB 1250. Cad. No: 3", u"", u"Yenimahalle",
     u"Ankara", u"0312 555 05 01", u"0312 555 05 02", u"0536 555 05 03", u"isik@isikmotor.example", u"Ostim",
     u"4780056789", u"SERVİS", u"İÇ ANADOLU", u"B GRUBU", 3, 7.5, 30},
    {1006, u"120.03.002", u"ŞAHİN ROT BALANS", u"Şükrü Şahin", u"Kazımdirik Mah. 372. Sok. No: 8", u"", u"Bornova",
     u"İzmir", u"0232 555 06 01", u"", u"0537 555 06 03", u"sahin@sahinrot.example", u"Bornova", u"8010067890",
     u"SERVİS", u"EGE", u"C GRUBU", 3, 0, 15},
    {1007, u"120.01.003", u"YILDIRIM FREN SİSTEMLERİ", u"Ayşegül Yıldırım", u"Nilüfer OSB Mavi Cad. No: 21", u"",
     u"Nilüfer", u"Bursa", u"0224 555 07 01", u"0224 555 07 02", u"0538 555 07 03", u"info@yildirimfren.example",
     u"Nilüfer", u"9650078901", u"BAYİ", u"MARMARA", u"A GRUBU", 1, 15, 60},
    {1008, u"120.02.003", u"ÜNAL OTOMOTİV", u"Ümit Ünal", u"Yeşiloba Mah. 46023. Sok. No: 5", u"", u"Seyhan",
     u"Adana", u"0322 555 08 01", u"", u"0539 555 08 03", u"unal@unaloto.example", u"Seyhan", u"8890089012",
     u"BAYİ", u"AKDENİZ", u"B GRUBU", 2, 5, 30},
    {1009, u"120.02.004", u"GÖKÇE OTO MARKET", u"Gökhan Gökçe", u"Küçük Sanayi Sitesi 12. Blok No: 4", u"",
     u"Onikişubat", u"Kahramanmaraş", u"0344 555 09 01", u"", u"0530 555 09 03", u"gokce@gokceoto.example",
     u"Aslanbey", u"3960090123", u"PERAKENDE", u"AKDENİZ", u"C GRUBU", 2, 3, 30},
};

QString u16(const char16_t* s) { return QString::fromUtf16(s); }

// ---------------------------------------------------------------------------------------------

struct CatalogueItem
{
    int stockNo;
    QString barcode;
    QString name;
    double price;
    double vat;
    int campaign;
    double campaignPrice;
};

struct LineAmounts
{
    double gross, discount, netUnit, net, tax, total;
};

// The demo's lines are priced as the server prices a line the client adds.
LineAmounts priceLine(double quantity, double unitPrice, double discountRate, double vat)
{
    const velun::appserver::LineAmounts p = ComputeLineAmounts(quantity, unitPrice, discountRate, vat);
    return {p.tutar, p.indirimTutar, p.netBirimFiyat, p.netTutar, p.vergiTutari, p.kdvliTutar};
}

// EAN-13 with the 869 prefix: 9 digits from the stock number and the check digit.
QString ean13(int stockNo)
{
    QString digits = QStringLiteral("869") + QString::number(stockNo).rightJustified(9, u'0');
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += (digits[i].unicode() - u'0') * (i % 2 == 0 ? 1 : 3);
    digits += QChar(u'0' + (10 - sum % 10) % 10);
    return digits;
}

QString oemNumber(Prng& rng)
{
    static const char16_t letters[] = u"ABCDEFGHJKLMNPRSTUVWXYZ";
    const int letterCount = static_cast<int>(std::size(letters)) - 1;
    QString s;
    s.reserve(16);
    s += QChar(u'0' + rng.below(10));
    s += QChar(letters[rng.below(letterCount)]);
    s += QChar(u'0' + rng.below(10));
    s += u' ';
    s += QString::number(rng.between(100, 999));
    s += u' ';
    s += QString::number(rng.between(100, 999));
    if (rng.percent(40)) {
        s += u' ';
        s += QChar(letters[rng.below(letterCount)]);
        if (rng.percent(30))
            s += QChar(letters[rng.below(letterCount)]);
    }
    return s;
}

QString compactCode(const QString& code)
{
    QString out;
    out.reserve(code.size());
    for (QChar c : code)
        if (c.isLetterOrNumber())
            out += c;
    return out;
}

class DemoLoader
{
public:
    DemoLoader(QSqlDatabase db, const DemoOptions& options)
        : m_db(std::move(db)), m_options(options),
          m_today(options.today.isValid() ? options.today : QDate::currentDate()), m_rng(0x56454C554E42ull)
    {
    }

    void load()
    {
        refuseFilledStore();
        loadReferenceData();
        loadPeople();
        // One index build at the end is much cheaper than keeping it current row by row.
        search::suspendIndex(m_db);
        loadCatalogue();
        search::rebuildIndex(m_db);
        loadOrdersAndAccounts();
        loadBaskets();
        loadNotices();
        loadFiles();
    }

private:
    QSqlQuery prepare(const QString& sql)
    {
        QSqlQuery q(m_db);
        if (!q.prepare(sql))
            throw DatabaseError(QStringLiteral("%1 (%2)").arg(q.lastError().text(), sql));
        return q;
    }

    void run(QSqlQuery& q, const QVariantList& values)
    {
        for (int i = 0; i < values.size(); ++i) {
            const QVariant& v = values[i];
            if (v.typeId() == QMetaType::QString && v.toString().isNull())
                q.bindValue(i, QStringLiteral("")); // an empty text, not NULL
            else
                q.bindValue(i, v);
        }
        exec(q);
    }

    void refuseFilledStore()
    {
        QSqlQuery q = exec(m_db, QStringLiteral("SELECT (SELECT COUNT(*) FROM kullanicilar) + (SELECT COUNT(*) FROM cariler) "
                                                "+ (SELECT COUNT(*) FROM stoklar)"));
        if (q.next() && q.value(0).toLongLong() > 0)
            throw DatabaseError(QStringLiteral("Veritabanında zaten veri var; demo verisi yalnızca boş bir veritabanına yüklenir"));
    }

    void loadReferenceData()
    {
        QSqlQuery delivery = prepare(QStringLiteral("INSERT INTO teslim_secenekleri(SIRANO, ADI, SIRA) VALUES(?, ?, ?)"));
        run(delivery, {1, QStringLiteral("Kargo ile Gönderim"), 1});
        run(delivery, {2, QStringLiteral("Depodan Teslim Alınacak"), 2});
        run(delivery, {3, QStringLiteral("Servis Aracı ile"), 3});

        QSqlQuery kind = prepare(QStringLiteral("INSERT INTO kargo_turleri(SIRANO, ADI, SIRA) VALUES(?, ?, ?)"));
        run(kind, {1, QStringLiteral("Anlaşmalı Kargo"), 1});
        run(kind, {2, QStringLiteral("Alıcı Ödemeli Kargo"), 2});
        run(kind, {3, QStringLiteral("Ambar ile Gönderim"), 3});

        QSqlQuery firm = prepare(QStringLiteral("INSERT INTO kargo_firmalari(SIRANO, KARGOTURU, ADI, UYARI, SIRA) VALUES(?, ?, ?, ?, ?)"));
        run(firm, {1, 1, QStringLiteral("HIZIR KARGO"),
                   QStringLiteral("Saat 16:00'dan sonraki siparişler ertesi iş günü kargoya verilir."), 1});
        run(firm, {2, 1, QStringLiteral("YOLDAŞ KARGO"),
                   QStringLiteral("Desi hesabı teslimde yapılır; ağır parçalarda ek ücret çıkabilir."), 2});
        run(firm, {3, 2, QStringLiteral("HIZIR KARGO"),
                   QStringLiteral("Alıcı ödemeli gönderilerde kargo ücreti teslimatta ödenir."), 1});
        run(firm, {4, 2, QStringLiteral("ŞİMŞEK EKSPRES"), QString(), 2});
        run(firm, {5, 3, QStringLiteral("GÜNEY AMBARI"),
                   QStringLiteral("Ambar teslimatlarında mal, irsaliye ile ambardan teslim alınır."), 1});
        run(firm, {6, 3, QStringLiteral("KUZEY NAKLİYAT"), QStringLiteral("Ambar gönderileri 2-4 iş gününde ulaşır."), 2});

        QSqlQuery rate = prepare(QStringLiteral("INSERT INTO kurlar(KUR, DEGER, TARIH) VALUES(?, ?, ?)"));
        run(rate, {QStringLiteral("USD"), 32.4512, isoDate(m_today)});
        run(rate, {QStringLiteral("EUR"), 35.1278, isoDate(m_today)});
    }

    void loadPeople()
    {
        QSqlQuery rep = prepare(QStringLiteral("INSERT INTO saticilar(SATICINO, SATICIADI, SATICITELEFON, SATICIMAIL) VALUES(?, ?, ?, ?)"));
        for (const Rep& r : kReps)
            run(rep, {r.number, u16(r.name), u16(r.phone), u16(r.mail)});

        QSqlQuery customer = prepare(QStringLiteral(
            "INSERT INTO cariler(CARINO, CARIKOD, CARIADI, YETKILI, ADRES1, ADRES2, ILCE, SEHIR, TEL1, TEL2, FAX1, GSM, "
            "EMAIL, VERGIDAIRESI, VERGINO, OZELKOD, ANAGRUP, ALTGRUP, KOD1, SATICINO, INDIRIM, VADE, VADEKONTROLGUN, "
            "RISKLIMITI) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        for (const Customer& c : kCustomers)
            run(customer, {c.number, u16(c.code), u16(c.name), u16(c.contact), u16(c.address1), u16(c.address2),
                           u16(c.district), u16(c.city), u16(c.phone), QString(), u16(c.fax), u16(c.gsm), u16(c.mail),
                           u16(c.taxOffice), u16(c.taxNumber), u16(c.specialCode), u16(c.group), u16(c.subGroup),
                           QStringLiteral("B2B"), c.rep, c.discount, c.term, 7, 250000});

        QSqlQuery user = prepare(QStringLiteral(
            "INSERT INTO kullanicilar(SIRANO, ADI, SIFRE, MUSTERITIPI, AKTIF, CARINO, SATICINO, MAIL) VALUES(?, ?, ?, ?, ?, ?, ?, ?)"));
        const QVariant none(QMetaType::fromType<int>());
        run(user, {1, kDemoDealerUser, kDemoDealerPassword, 3, 1, kDemoDealerCustomer, 1,
                   QStringLiteral("siparis@ozkardesler.example")});
        run(user, {2, kDemoRepUser, kDemoRepPassword, 1, 1, none, 1, QStringLiteral("ahmet.yilmaz@velun.example")});
        run(user, {3, kDemoInactiveUser, QStringLiteral("1234"), 3, 0, 1002, 1, QStringLiteral("eski@gunesoto.example")});
        run(user, {4, kDemoManagerUser, QStringLiteral("1234"), 2, 1, none, 2, QStringLiteral("ayse.celik@velun.example")});
        run(user, {5, kDemoType4User, QStringLiteral("1234"), 4, 1, 1004, 2, QStringLiteral("siparis@doganparca.example")});

        QSqlQuery machine = prepare(QStringLiteral(
            "INSERT INTO makineler(BILGISAYARID, KULLANICI, KAYITTARIHI) VALUES(?, ?, ?) "
            "ON CONFLICT(BILGISAYARID) DO UPDATE SET KULLANICI = excluded.KULLANICI"));
        const QString registered = isoDateTime(m_today.addDays(-200), 9, 0);
        run(machine, {kDemoRepMachine, 2, registered});
        run(machine, {kDemoInactiveMachine, 3, registered});
        run(machine, {kDemoManagerMachine, 4, registered});
        run(machine, {kDemoType4Machine, 5, registered});
        if (!m_options.machineId.trimmed().isEmpty())
            run(machine, {m_options.machineId, 1, registered});
    }

    // States of the first six items are fixed so that every stock state exists in any catalogue size.
    void stockLayout(int stockNo, int& supply, double qty[2], double onTheWay[2])
    {
        qty[0] = qty[1] = onTheWay[0] = onTheWay[1] = 0;
        supply = 0;
        switch (stockNo) {
        case 1: qty[0] = 40; qty[1] = 12; return;                 // Var
        case 2: qty[0] = 2; return;                               // Telefon Açınız
        case 3: onTheWay[0] = 20; onTheWay[1] = 5; return;        // Yolda
        case 4: supply = 2; return;                               // Özel Sipariş
        case 5: supply = 1; return;                               // Tedarik Sürecinde
        case 6: return;                                           // Yok
        default: break;
        }
        const int s = m_rng.below(100);
        supply = s < 8 ? 2 : (s < 18 ? 1 : 0);
        for (int w = 0; w < 2; ++w) {
            const int r = m_rng.below(100);
            if (r < 58)
                qty[w] = m_rng.between(5, 150);
            else if (r < 70)
                qty[w] = m_rng.between(1, 4);
            else if (r < 80)
                onTheWay[w] = m_rng.between(5, 60);
        }
    }

    void loadCatalogue()
    {
        QSqlQuery item = prepare(QStringLiteral(
            "INSERT INTO stoklar(STOKNO, BARKOD, BARKODNO, FINISHKOD, PKOD, DPKOD, URETICIKODU, ADI, DIGERADI, MARKA, "
            "MODEL, OZELKOD, ANAGRUP, ALTGRUP, BIRIM, KDV, FIYAT, ISK1, KAMPANYALI, KAMPFIYAT, YENI, TEDARIKDURUMU) "
            "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        QSqlQuery oem = prepare(QStringLiteral("INSERT INTO stok_oem(STOKNO, SIRA, OEMNO) VALUES(?, ?, ?)"));
        QSqlQuery stock = prepare(QStringLiteral("INSERT INTO stok_depo(STOKNO, DEPONO, MIKTAR, YOLDA) VALUES(?, ?, ?, ?)"));
        QSqlQuery picture = prepare(QStringLiteral("INSERT INTO stok_resim(STOKNO, RESIM) VALUES(?, ?)"));

        const QByteArray pictures[4] = {demo::partPicture(0), demo::partPicture(1), demo::partPicture(2),
                                        demo::partPicture(3)};
        static const double kDiscounts[] = {0, 0, 0, 5, 10, 15};
        const int partTypes = static_cast<int>(std::size(kPartTypes));
        const int brands = static_cast<int>(std::size(kBrands));
        const int makes = static_cast<int>(std::size(kMakes));
        m_pool.clear();

        for (int n = 1; n <= m_options.items; ++n) {
            const PartType& type = kPartTypes[m_rng.below(partTypes)];
            const Brand& brand = kBrands[m_rng.below(brands)];
            const Make& make = kMakes[m_rng.below(makes)];
            const int fromYear = m_rng.between(2008, 2020);
            const QString model = u16(make.models[m_rng.below(3)]) + QStringLiteral(" (%1-%2)").arg(fromYear).arg(fromYear + m_rng.between(3, 8));
            const double price = round2(type.minPrice + m_rng.uniform() * (type.maxPrice - type.minPrice));
            const double discount = kDiscounts[m_rng.below(static_cast<int>(std::size(kDiscounts)))];
            const int campaign = isDemoCampaignItem(n) ? 1 : 0;
            const double campaignPrice = campaign ? round2(price * 0.85) : 0.0;
            const int isNew = isDemoNewItem(n) ? 1 : 0;
            const int oemCount = m_rng.between(1, 4);
            QString oems[4];
            for (int i = 0; i < oemCount; ++i)
                oems[i] = oemNumber(m_rng);
            const QString barcode = ean13(n);
            const QString name = u16(type.name);
            const QString producerCode =
                u16(brand.prefix) + u'-' + QString::number(m_rng.between(10000, 99999)) + QChar(u'A' + m_rng.below(6));
            int supply = 0;
            double qty[2], onTheWay[2];
            stockLayout(n, supply, qty, onTheWay);

            const QString finishCode =
                u16(brand.prefix) + u'.' + u16(type.groupCode) + u'.' + QString::number(n).rightJustified(6, u'0');
            run(item, {n, barcode, n, finishCode,
                       oems[0], compactCode(oems[0]), producerCode, name, u16(type.otherName), u16(brand.name), model,
                       u16(make.name), u16(type.group), u16(type.subGroup), u16(type.unit), 20.0, price, discount,
                       campaign, campaignPrice, isNew, supply});
            for (int i = 0; i < oemCount; ++i)
                run(oem, {n, i + 1, oems[i]});
            for (int w = 0; w < 2; ++w)
                run(stock, {n, w + 1, qty[w], onTheWay[w]});
            if (n % 10 == 3 && (n <= 20000 || n % 100 == 3))
                run(picture, {n, pictures[type.picture]});
            if (m_pool.size() < 400)
                m_pool.push_back(CatalogueItem{n, barcode, name, price, 20.0, campaign, campaignPrice});
        }
    }

    const CatalogueItem& poolItem(int index) const { return m_pool[static_cast<size_t>(index) % m_pool.size()]; }

    // A small item for the return invoice, so the return does not outweigh the dealer's purchases.
    const CatalogueItem& cheapPoolItem() const
    {
        for (const CatalogueItem& it : m_pool)
            if (it.price < 1000)
                return it;
        return m_pool.front();
    }

    double unitPriceOf(const CatalogueItem& item) const { return item.campaign ? item.campaignPrice : item.price; }

    void loadOrdersAndAccounts()
    {
        QSqlQuery order = prepare(QStringLiteral(
            "INSERT INTO siparisler(IDNO, CARINO, TARIH, VERENIDNO, TESLIMID, KARGOID, KARGOFIRMAID, DURUM, VERENINNOTU, "
            "ALANNOTU, SATICINOTU) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        QSqlQuery line = prepare(QStringLiteral(
            "INSERT INTO siparis_satirlari(SIRANO, IDNO, STOKNO, BARKOD, STOKADI, MIKTAR, ILKFIYAT, BIRIMFIYAT, "
            "INDIRIMORANI1, KDV, KAMPANYALI, TUTAR, INDIRIMTUTAR, NETBIRIMFIYAT, NETTUTAR, VERGITUTARI, KDVLITUTAR, "
            "TESLIMEDILEN, KALAN, VERENIDNO, VERILISTARIHI) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        QSqlQuery movement = prepare(QStringLiteral(
            "INSERT INTO cari_hareketler(IDNO, CARINO, TARIH, TURADI, EVRAK, BORC, ALACAK, VADETARIHI, ACIKLAMA) "
            "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        QSqlQuery invoice = prepare(QStringLiteral(
            "INSERT INTO faturalar(IDNO, EVRAKNO, HAREKETTIPI, TARIH, SATICINO, VADE, IRSALIYEEVRAKNO, IRSTARIHI, "
            "IRSALIYETIP2, SIPARISIDNO, SIPARISEVRAKNO, SIPARISTARIHI, TOPLAM, TOPLAMINDIRIM, MATRAH, KDVTUTAR, KDVDAHIL) "
            "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        QSqlQuery invoiceLine = prepare(QStringLiteral(
            "INSERT INTO fatura_satirlari(IDNO, STOKNO, BARKOD, STOKADI, STOKHAR_MIKTAR, STOKHAR_TLBIRIMFIYATI, "
            "STOKHAR_TLTUTAR, STOKHAR_INDIRIM1, KDV, STOKHAR_TOPLAMINDIRIM, STOKHAR_NETTLBIRIMFIYATI, STOKHAR_NETTLTUTAR, "
            "STOKHAR_TLVERGI, STOKHAR_SAAT) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));

        static const char16_t* kCustomerNotes[] = {u"", u"Acil gönderim rica ederiz.", u"Faturayı şirket adına kesiniz.",
                                                   u"", u"Parçaları tek koli yapınız lütfen."};
        static const char16_t* kOurNotes[] = {u"", u"Siparişiniz onaylandı, yarın sevk edilecek.",
                                              u"Eksik parçalar tedarik edilince gönderilecek.", u""};

        int orderId = 5000;
        int lineId = 70000;
        int invoiceSerial = 100;
        const int customers = static_cast<int>(std::size(kCustomers));
        for (int ci = 0; ci < customers; ++ci) {
            const Customer& c = kCustomers[ci];
            const int giver = c.number == kDemoDealerCustomer ? 1 : (c.rep == 1 ? 2 : 4);
            newMovement(movement, c.number, m_today.addDays(-180), QStringLiteral("Devir Bakiyesi"),
                        QStringLiteral("DVR%1").arg(c.number), 1500.0 + 250.0 * ci, 0.0, m_today.addDays(-170),
                        QStringLiteral("Önceki dönemden devreden bakiye"));
            if (c.number != kDemoOverdueCustomer)
                newCollection(movement, c.number, m_today.addDays(-165), 1500.0 + 250.0 * ci, QStringLiteral("Havale"));

            // The demo dealer has an order in every state; the others a few each.
            const int orders = c.number == kDemoDealerCustomer ? 7 : 3 + ci % 3;
            for (int k = 0; k < orders; ++k) {
                ++orderId;
                const QDate orderDate = m_today.addDays(-(orders - k) * 12 - ci);
                const int state = (ci + k) % 6 + 1;
                const int kind = 1 + m_rng.below(3);
                const int firm = kind * 2 - 1 + m_rng.below(2);
                run(order, {orderId, c.number, isoDateTime(orderDate, 9 + k, 15 + ci), giver, 1 + m_rng.below(3), kind, firm,
                            state, u16(kCustomerNotes[m_rng.below(5)]), state > 1 ? u16(kOurNotes[m_rng.below(4)]) : QString(),
                            k % 3 == 1 ? QStringLiteral("Müşteriye özel fiyat uygulandı.") : QString()});

                struct Delivered
                {
                    const CatalogueItem* item;
                    double quantity, unitPrice, discountRate;
                };
                std::vector<Delivered> delivered;
                const int lines = m_rng.between(1, 5);
                const int first = m_rng.below(static_cast<int>(m_pool.size()));
                for (int l = 0; l < lines; ++l) {
                    const CatalogueItem& it = poolItem(first + l * 7);
                    const double quantity = m_rng.between(1, 10);
                    const double unitPrice = unitPriceOf(it);
                    const double rate = it.campaign ? 0.0 : c.discount;
                    const LineAmounts a = priceLine(quantity, unitPrice, rate, it.vat);
                    double shipped = 0;
                    if (state == 6)
                        shipped = m_rng.percent(25) ? std::floor(quantity / 2) : quantity;
                    ++lineId;
                    run(line, {lineId, orderId, it.stockNo, it.barcode, it.name, quantity, it.price, unitPrice, rate, it.vat,
                               it.campaign, a.gross, a.discount, a.netUnit, a.net, a.tax, a.total, shipped,
                               quantity - shipped, giver, isoDateTime(orderDate.addDays(-(l % 2)), 8, 30 + l)});
                    if (shipped > 0)
                        delivered.push_back(Delivered{&it, shipped, unitPrice, rate});
                }
                if (delivered.empty())
                    continue;

                // A shipped order is invoiced the next day; the invoice falls due after the customer's term.
                const QDate invoiceDate = orderDate.addDays(1);
                const QDate due = invoiceDate.addDays(c.term);
                double gross = 0, discount = 0, tax = 0;
                for (const Delivered& d : delivered) {
                    const LineAmounts a = priceLine(d.quantity, d.unitPrice, d.discountRate, d.item->vat);
                    gross = round2(gross + a.gross);
                    discount = round2(discount + a.discount);
                    tax = round2(tax + a.tax);
                }
                const double net = round2(gross - discount);
                const double total = round2(net + tax);
                const QString number = QStringLiteral("VLN%1%2").arg(m_today.year()).arg(++invoiceSerial, 6, 10, QLatin1Char('0'));
                const int movementId = newMovement(movement, c.number, invoiceDate, QStringLiteral("Satış Faturası"), number,
                                                   total, 0.0, due, QStringLiteral("Sipariş %1").arg(orderId));
                run(invoice, {movementId, number, QStringLiteral("Satış Faturası"), isoDate(invoiceDate), c.rep, c.term,
                              QStringLiteral("IRS%1").arg(invoiceSerial, 6, 10, QLatin1Char('0')), isoDate(invoiceDate),
                              QStringLiteral("Satış İrsaliyesi"), orderId, QStringLiteral("SIP%1").arg(orderId),
                              isoDate(orderDate), gross, discount, net, tax, total});
                for (const Delivered& d : delivered) {
                    const LineAmounts a = priceLine(d.quantity, d.unitPrice, d.discountRate, d.item->vat);
                    run(invoiceLine, {movementId, d.item->stockNo, d.item->barcode, d.item->name, d.quantity, d.unitPrice,
                                      a.gross, d.discountRate, d.item->vat, a.discount, a.netUnit, a.net, a.tax,
                                      QStringLiteral("10:30")});
                }
                // Invoices that fell due are paid on time, except by the overdue customer.
                if (due <= m_today && c.number != kDemoOverdueCustomer)
                    newCollection(movement, c.number, due, total, k % 2 ? QStringLiteral("Çek") : QStringLiteral("Havale"));
            }
        }

        // The overdue customer's old invoice, three months past due and unpaid.
        const QDate oldInvoice = m_today.addDays(-120);
        const QString oldNumber = QStringLiteral("VLN%1%2").arg(m_today.year()).arg(++invoiceSerial, 6, 10, QLatin1Char('0'));
        const int oldId = newMovement(movement, kDemoOverdueCustomer, oldInvoice, QStringLiteral("Satış Faturası"), oldNumber,
                                      8640.0, 0.0, oldInvoice.addDays(30), QStringLiteral("Akü ve şarj grubu"));
        run(invoice, {oldId, oldNumber, QStringLiteral("Satış Faturası"), isoDate(oldInvoice), 2, 30, QString(), QVariant(),
                      QString(), QVariant(), QString(), QVariant(), 7200.0, 0.0, 7200.0, 1440.0, 8640.0});
        const CatalogueItem& battery = poolItem(0);
        run(invoiceLine, {oldId, battery.stockNo, battery.barcode, battery.name, 6.0, 1200.0, 7200.0, 0.0, 20.0, 0.0,
                          1200.0, 7200.0, 1440.0, QStringLiteral("15:10")});

        // A return invoice and a payment to a customer, so the statement shows every kind of movement.
        const CatalogueItem& returned = cheapPoolItem();
        const LineAmounts back = priceLine(1, returned.price, 10, returned.vat);
        const QString returnNumber = QStringLiteral("VLI%1%2").arg(m_today.year()).arg(1, 6, 10, QLatin1Char('0'));
        const int returnId = newMovement(movement, kDemoDealerCustomer, m_today.addDays(-20), QStringLiteral("İade Faturası"),
                                         returnNumber, 0.0, back.total, QVariant(), QStringLiteral("Hatalı parça iadesi"));
        run(invoice, {returnId, returnNumber, QStringLiteral("İade Faturası"), isoDate(m_today.addDays(-20)), 1, 0, QString(),
                      QVariant(), QString(), QVariant(), QString(), QVariant(), back.gross, back.discount, back.net, back.tax,
                      back.total});
        run(invoiceLine, {returnId, returned.stockNo, returned.barcode, returned.name, 1.0, returned.price, back.gross, 10.0,
                          returned.vat, back.discount, back.netUnit, back.net, back.tax, QStringLiteral("11:45")});
        const int refund = newMovement(movement, 1002, m_today.addDays(-15), QStringLiteral("Tediye"),
                                       QStringLiteral("TED000001"), 350.0, 0.0, QVariant(),
                                       QStringLiteral("Fazla ödeme iadesi"));
        collectionRow(refund, m_today.addDays(-15), QStringLiteral("Havale"), 350.0, QStringLiteral("Fazla ödeme iadesi"));

        loadCardPayment(movement);
    }

    int newMovement(QSqlQuery& movement, int customer, const QDate& date, const QString& kind, const QString& document,
                    double debit, double credit, const QVariant& due, const QString& note)
    {
        const int id = ++m_movementId;
        const QVariant dueText = due.canConvert<QDate>() && due.toDate().isValid() ? QVariant(isoDate(due.toDate())) : QVariant();
        run(movement, {id, customer, isoDateTime(date, 10, 0), kind, document, debit, credit, dueText, note});
        return id;
    }

    int newCollection(QSqlQuery& movement, int customer, const QDate& date, double amount, const QString& how)
    {
        const int id = newMovement(movement, customer, date, QStringLiteral("Tahsilat"),
                                   QStringLiteral("THS%1").arg(m_movementId + 1, 6, 10, QLatin1Char('0')), 0.0, amount,
                                   QVariant(), QStringLiteral("%1 ile ödeme").arg(how));
        collectionRow(id, date, how, amount, QStringLiteral("Fatura ödemesi"));
        return id;
    }

    void collectionRow(int movementId, const QDate& date, const QString& how, double amount, const QString& note)
    {
        QSqlQuery row = prepare(QStringLiteral(
            "INSERT INTO tahsilat_satirlari(IDNO, TARIH, TURU, CINS, EVRAKNO, VADE, TUTAR, ACIKLAMA, REF, SAAT) "
            "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        const bool cheque = how == u"Çek";
        run(row, {movementId, isoDate(date), how, QStringLiteral("TL"),
                  QStringLiteral("%1-%2").arg(cheque ? QStringLiteral("CEK") : QStringLiteral("HVL")).arg(movementId),
                  cheque ? QVariant(isoDate(date.addDays(30))) : QVariant(), amount, note,
                  QStringLiteral("R%1").arg(movementId), QStringLiteral("14:20")});
    }

    void loadCardPayment(QSqlQuery& movement)
    {
        const QDate paid = m_today.addDays(-5);
        const double amount = 2500.0;
        const int id = newMovement(movement, kDemoDealerCustomer, paid, QStringLiteral("Tahsilat"), QStringLiteral("SPOS000001"),
                                   0.0, amount, QVariant(), QStringLiteral("Sanal pos ile kredi kartı ödemesi"));
        collectionRow(id, paid, QStringLiteral("Kredi Kartı"), amount, QStringLiteral("Sanal pos tahsilatı"));
        const QByteArray receipt = demo::simplePdf(
            QStringLiteral("VELUN Sanal POS Ödeme Dekontu"),
            {QStringLiteral("Cari: ÖZ KARDEŞLER OTO YEDEK PARÇA LTD. ŞTİ."), QStringLiteral("Tarih: %1").arg(isoDate(paid)),
             QStringLiteral("Tutar: 2.500,00 TL"), QStringLiteral("Kart: 5401 **** **** 1234"),
             QStringLiteral("Onay kodu: 604211")});
        QSqlQuery pos = prepare(QStringLiteral(
            "INSERT INTO sanalpos_odemeler(SIRANO, IDNO, CARINO, TARIH, TUTAR, TAKSIT, KARTSAHIBI, KARTNO, ONAYKODU, DEKONT) "
            "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        run(pos, {1, id, kDemoDealerCustomer, isoDateTime(paid, 16, 5), amount, 1, QStringLiteral("HÜSEYİN ÖZ"),
                  QStringLiteral("5401 **** **** 1234"), QStringLiteral("604211"), receipt});
    }

    void loadBaskets()
    {
        QSqlQuery basket = prepare(QStringLiteral(
            "INSERT INTO sepet(CARINO, STOKNO, BARKOD, STOKADI, MIKTAR, BIRIMFIYAT, INDIRIMORANI1, KDV, KAMPANYALI, TUTAR, "
            "INDIRIMTUTAR, NETBIRIMFIYAT, NETTUTAR, VERGITUTARI, KDVLITUTAR, SEC, VERENIDNO, TARIH) "
            "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        struct Line
        {
            int customer, poolIndex;
            double quantity, discount;
            int selected, giver;
        };
        const Line lines[] = {
            {kDemoDealerCustomer, 0, 2, 10, 1, 1}, {kDemoDealerCustomer, 1, 1, 10, 1, 1},
            {kDemoDealerCustomer, 2, 4, 10, 0, 1}, {kDemoDealerCustomer, 7, 1, 10, 1, 2},
            {1002, 3, 5, 5, 1, 2},                 {1002, 4, 2, 5, 1, 2},
            {1005, 5, 1, 7.5, 1, 4},
        };
        int minute = 0;
        for (const Line& l : lines) {
            const CatalogueItem& it = poolItem(l.poolIndex);
            const double unitPrice = unitPriceOf(it);
            const double rate = it.campaign ? 0.0 : l.discount;
            const LineAmounts a = priceLine(l.quantity, unitPrice, rate, it.vat);
            run(basket, {l.customer, it.stockNo, it.barcode, it.name, l.quantity, unitPrice, rate, it.vat, it.campaign,
                         a.gross, a.discount, a.netUnit, a.net, a.tax, a.total, l.selected, l.giver,
                         isoDateTime(m_today, 8, minute += 7)});
        }
    }

    void loadNotices()
    {
        QSqlQuery screen = prepare(QStringLiteral("INSERT INTO acilis_ekranlari(TUR, SIRA, BASLIK, ARAMA, RESIM) VALUES(?, ?, ?, ?, ?)"));
        const QVariant noPicture(QMetaType::fromType<QByteArray>());
        run(screen, {1, 1, QStringLiteral("Kış Kampanyası Başladı"), QStringLiteral("#KAMPANYA#"), demo::campaignPicture()});
        run(screen, {1, 2, QStringLiteral("Yeni Gelen Ürünler"), QStringLiteral("#YENİ#"), demo::newItemsPicture()});
        run(screen, {1, 3, QStringLiteral("Fren Sistemlerinde Yeni Marka: ÖZGÜÇ"), QStringLiteral("FREN"), demo::brakePicture()});
        run(screen, {1, 4, QStringLiteral("Bayram Tatili Çalışma Saatleri"), QString(), noPicture});
        run(screen, {2, 1, QStringLiteral("Akü ve Silecekte %15 İndirim"), QStringLiteral("#KAMPANYA#"), demo::campaignPicture()});
        run(screen, {2, 2, QStringLiteral("Yeni Ürünlerimizi İnceleyin"), QStringLiteral("#YENİ#"), demo::newItemsPicture()});
        run(screen, {2, 3, QStringLiteral("Fren Balatasında Stok Fırsatı"), QStringLiteral("BALATA"), demo::brakePicture()});

        QSqlQuery banner = prepare(QStringLiteral("INSERT INTO bannerlar(RESIM, SIRA) VALUES(?, ?)"));
        run(banner, {demo::bannerGif(), 1});

        QSqlQuery news = prepare(QStringLiteral("INSERT INTO kayan_yazilar(METIN, SIRA) VALUES(?, ?)"));
        run(news, {QStringLiteral("VELUN B2B'ye hoş geldiniz! Hafta içi saat 16:00'ya kadar verilen siparişler aynı gün "
                                  "kargoya teslim edilir."),
                   1});
        run(news, {QStringLiteral("Kış kampanyasında akü, silecek ve antifrizde %15'e varan indirim fırsatını kaçırmayın."), 2});
    }

    void loadFiles()
    {
        QSqlQuery file = prepare(QStringLiteral("INSERT INTO dosyalar(ACIKLAMA, DOSYAADI, DOSYAYOL, ICERIK, TARIH, SIRA) VALUES(?, ?, ?, ?, ?, ?)"));
        const QString date = isoDate(m_today.addDays(-30));
        run(file, {QStringLiteral("%1 Fiyat Listesi").arg(m_today.year()), QStringLiteral("Fiyat_Listesi.pdf"),
                   QStringLiteral("belgeler/Fiyat_Listesi.pdf"),
                   demo::simplePdf(QStringLiteral("VELUN Fiyat Listesi %1").arg(m_today.year()),
                                   {QStringLiteral("Fiyatlarımıza KDV dahil değildir."),
                                    QStringLiteral("Kampanyalı ürünlerde stoklarla sınırlıdır.")}),
                   date, 1});
        run(file, {QStringLiteral("Kampanya Duyurusu"), QStringLiteral("Kampanya_Duyurusu.txt"),
                   QStringLiteral("belgeler/Kampanya_Duyurusu.txt"),
                   QStringLiteral("Değerli bayimiz,\nKış kampanyamız kapsamında akü, silecek ve antifriz ürünlerinde %15 "
                                  "indirim uygulanmaktadır.\nİyi çalışmalar dileriz.\nVELUN Otomotiv\n")
                       .toUtf8(),
                   date, 2});
        run(file, {QStringLiteral("İade ve Değişim Formu"), QStringLiteral("Iade_Formu.pdf"), QStringLiteral("belgeler/Iade_Formu.pdf"),
                   demo::simplePdf(QStringLiteral("İade ve Değişim Formu"),
                                   {QStringLiteral("Firma adı:"), QStringLiteral("Fatura no:"), QStringLiteral("İade nedeni:")}),
                   date, 3});
    }

    QSqlDatabase m_db;
    const DemoOptions& m_options;
    QDate m_today;
    Prng m_rng;
    std::vector<CatalogueItem> m_pool; // the first items, which orders and baskets refer to
    int m_movementId = 20000;
};

} // namespace

void loadDemoData(Database& database, const DemoOptions& options)
{
    if (options.items < 1 || options.items > 1000000)
        throw DatabaseError(QStringLiteral("Demo katalog boyu 1 ile 1.000.000 arasında olmalı (%1 verildi)").arg(options.items));
    database.migrate();
    QSqlDatabase db = database.connection();
    // A bigger page cache for the one large transaction of a big catalogue.
    exec(db, QStringLiteral("PRAGMA cache_size = -65536"));
    try {
        inTransaction(db, [&] { DemoLoader(db, options).load(); });
    } catch (...) {
        exec(db, QStringLiteral("PRAGMA cache_size = -2000"));
        throw;
    }
    exec(db, QStringLiteral("PRAGMA cache_size = -2000"));
}

} // namespace velun::appserver
