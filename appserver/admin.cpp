#include "appserver/admin.h"

#include "appserver/catalogueimport.h"
#include "appserver/database.h"
#include "appserver/demodata.h"
#include "appserver/storequeries.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlQuery>
#include <QVariant>

#include <functional>
#include <optional>

namespace velun::appserver {
namespace {

// The command line was wrong; the message and the usage text go to stderr, exit code 2.
struct UsageError
{
    QString message;
};

struct Options
{
    QStringList positional;
    QHash<QString, QString> values;

    bool has(const QString& name) const { return values.contains(name); }
    QString value(const QString& name, const QString& fallback = {}) const { return values.value(name, fallback); }
};

Options parseOptions(const QStringList& args, qsizetype from, const QStringList& allowed)
{
    Options o;
    for (qsizetype i = from; i < args.size(); ++i) {
        const QString& a = args[i];
        if (!a.startsWith(u"--")) {
            o.positional.append(a);
            continue;
        }
        QString name = a;
        QString value;
        bool hasValue = false;
        if (const qsizetype eq = a.indexOf(u'='); eq > 0) {
            name = a.left(eq);
            value = a.mid(eq + 1);
            hasValue = true;
        }
        if (!allowed.contains(name))
            throw UsageError{QStringLiteral("Bilinmeyen seçenek: %1").arg(name)};
        if (!hasValue) {
            if (i + 1 >= args.size() || args[i + 1].startsWith(u"--"))
                throw UsageError{QStringLiteral("%1 bir değer bekliyor").arg(name)};
            value = args[++i];
        }
        if (o.values.contains(name))
            throw UsageError{QStringLiteral("%1 iki kez verilmiş").arg(name)};
        o.values.insert(name, value);
    }
    return o;
}

void noPositional(const Options& o)
{
    if (!o.positional.isEmpty())
        throw UsageError{QStringLiteral("Beklenmeyen değer: %1").arg(o.positional.first())};
}

int intOption(const Options& o, const QString& name, int fallback, int min, int max)
{
    if (!o.has(name))
        return fallback;
    bool ok = false;
    const int v = o.value(name).toInt(&ok);
    if (!ok || v < min || v > max)
        throw UsageError{QStringLiteral("%1 %2 ile %3 arasında bir tam sayı olmalı").arg(name).arg(min).arg(max)};
    return v;
}

QString required(const Options& o, const QString& name, const QString& what)
{
    const QString v = o.value(name);
    if (v.trimmed().isEmpty())
        throw UsageError{QStringLiteral("%1 %2 gerekli").arg(name, what)};
    return v;
}

// Opens the store named by --db. Only init and demo may create a new file: elsewhere a typo
// in the path must not silently make an empty store.
std::unique_ptr<Database> openStore(const Options& o, bool mayCreate)
{
    const QString path = required(o, QStringLiteral("--db"), QStringLiteral("DOSYA"));
    if (!mayCreate && !QFileInfo::exists(path))
        throw DatabaseError(QStringLiteral("Veritabanı dosyası yok: %1 (önce 'init --db %1' çalıştırınız)").arg(path));
    auto db = std::make_unique<Database>(path);
    db->migrate();
    return db;
}

bool hasLowerCase(const QString& s)
{
    for (QChar c : s)
        if (c.isLower())
            return true;
    return false;
}

QVariant nullInt() { return QVariant(QMetaType::fromType<int>()); }

class Admin
{
public:
    Admin(QTextStream& out, QTextStream& err) : m_out(out), m_err(err) {}

    int run(const QStringList& args)
    {
        const QString command = args.value(0);
        const QString sub = args.value(1);
        if (command.isEmpty())
            throw UsageError{QStringLiteral("Alt komut verilmedi")};
        if (command == u"help" || command == u"--help" || command == u"-h") {
            m_out << adminUsage();
            return 0;
        }
        if (command == u"init")
            return init(parseOptions(args, 1, {QStringLiteral("--db")}));
        if (command == u"demo")
            return demo(parseOptions(args, 1, {QStringLiteral("--db"), QStringLiteral("--items"), QStringLiteral("--machine")}));
        if (command == u"user") {
            const QStringList fields = {QStringLiteral("--db"),     QStringLiteral("--name"),     QStringLiteral("--password"),
                                        QStringLiteral("--type"),   QStringLiteral("--active"),   QStringLiteral("--customer"),
                                        QStringLiteral("--rep"),    QStringLiteral("--mail")};
            if (sub == u"add")
                return userAdd(parseOptions(args, 2, fields));
            if (sub == u"set")
                return userSet(parseOptions(args, 2, fields));
            if (sub == u"list")
                return userList(parseOptions(args, 2, {QStringLiteral("--db")}));
            throw UsageError{QStringLiteral("user add | set | list bekleniyor")};
        }
        if (command == u"machine") {
            if (sub == u"register")
                return machineRegister(parseOptions(args, 2, {QStringLiteral("--db"), QStringLiteral("--id"), QStringLiteral("--user")}));
            if (sub == u"unregister")
                return machineUnregister(parseOptions(args, 2, {QStringLiteral("--db"), QStringLiteral("--id")}));
            if (sub == u"list")
                return machineList(parseOptions(args, 2, {QStringLiteral("--db")}));
            throw UsageError{QStringLiteral("machine register | unregister | list bekleniyor")};
        }
        if (command == u"version") {
            if (sub == u"set")
                return versionSet(parseOptions(args, 2, {QStringLiteral("--db")}));
            if (sub == u"show")
                return versionShow(parseOptions(args, 2, {QStringLiteral("--db")}));
            throw UsageError{QStringLiteral("version set | show bekleniyor")};
        }
        if (command == u"import-catalogue")
            return importCsv(parseOptions(args, 1, {QStringLiteral("--db")}));
        if (command == u"mails") {
            if (sub == u"list")
                return mailsList(parseOptions(args, 2, {QStringLiteral("--db")}));
            throw UsageError{QStringLiteral("mails list bekleniyor")};
        }
        throw UsageError{QStringLiteral("Bilinmeyen alt komut: %1").arg(command)};
    }

private:
    int init(const Options& o)
    {
        noPositional(o);
        const auto db = openStore(o, true);
        m_out << QStringLiteral("Veritabanı hazır: %1 (şema sürümü %2)\n").arg(db->path()).arg(db->schemaVersion());
        return 0;
    }

    int demo(const Options& o)
    {
        noPositional(o);
        DemoOptions options;
        options.items = intOption(o, QStringLiteral("--items"), options.items, 1, 1000000);
        options.machineId = o.value(QStringLiteral("--machine"));
        const auto db = openStore(o, true);
        QElapsedTimer timer;
        timer.start();
        loadDemoData(*db, options);
        m_out << QStringLiteral("Demo verisi yüklendi: %1 stok kalemi, %2 sn\n")
                     .arg(options.items)
                     .arg(static_cast<double>(timer.elapsed()) / 1000.0, 0, 'f', 2);
        if (!options.machineId.isEmpty())
            m_out << QStringLiteral("Makine %1, %2 kullanıcısına kaydedildi\n").arg(options.machineId, kDemoDealerUser);
        return 0;
    }

    // Checks the values common to add and set; returns the columns to write. Needs no store, so that
    // a wrong value is a usage error whatever the store holds.
    QList<std::pair<QString, QVariant>> userFields(const Options& o)
    {
        QList<std::pair<QString, QVariant>> fields;
        if (o.has(QStringLiteral("--password"))) {
            const QString password = o.value(QStringLiteral("--password"));
            if (password.isEmpty())
                throw UsageError{QStringLiteral("--password boş olamaz")};
            fields.append({QStringLiteral("SIFRE"), password});
        }
        if (o.has(QStringLiteral("--type")))
            fields.append({QStringLiteral("MUSTERITIPI"), intOption(o, QStringLiteral("--type"), 3, 1, 4)});
        if (o.has(QStringLiteral("--active")))
            fields.append({QStringLiteral("AKTIF"), intOption(o, QStringLiteral("--active"), 1, 0, 1)});
        if (o.has(QStringLiteral("--customer"))) {
            const int customer = intOption(o, QStringLiteral("--customer"), 0, 0, 2147483647);
            fields.append({QStringLiteral("CARINO"), customer > 0 ? QVariant(customer) : nullInt()});
        }
        if (o.has(QStringLiteral("--rep"))) {
            const int rep = intOption(o, QStringLiteral("--rep"), 0, 0, 2147483647);
            fields.append({QStringLiteral("SATICINO"), rep > 0 ? QVariant(rep) : nullInt()});
        }
        if (o.has(QStringLiteral("--mail")))
            fields.append({QStringLiteral("MAIL"), store::nonNull(o.value(QStringLiteral("--mail")))});
        return fields;
    }

    // The customer and representative named must exist; the password is warned about once it is valid.
    void checkUserFields(const QList<std::pair<QString, QVariant>>& fields, QSqlDatabase& db)
    {
        for (const auto& [column, value] : fields) {
            if (column == u"CARINO" && !value.isNull() &&
                !exists(db, QStringLiteral("SELECT 1 FROM cariler WHERE CARINO = ?"), value))
                throw DatabaseError(QStringLiteral("Cari bulunamadı: %1").arg(value.toInt()));
            if (column == u"SATICINO" && !value.isNull() &&
                !exists(db, QStringLiteral("SELECT 1 FROM saticilar WHERE SATICINO = ?"), value))
                throw DatabaseError(QStringLiteral("Satış temsilcisi bulunamadı: %1").arg(value.toInt()));
            if (column == u"SIFRE" && hasLowerCase(value.toString()))
                warn(QStringLiteral("Şifrede küçük harf var; giriş ekranı yazılanı büyük harfe çevirdiği için bu şifre "
                                    "hiçbir zaman eşleşmez"));
        }
    }

    QString userName(const Options& o)
    {
        const QString name = required(o, QStringLiteral("--name"), QStringLiteral("AD"));
        if (name != name.trimmed())
            throw UsageError{QStringLiteral("--name başında ya da sonunda boşluk olamaz")};
        if (hasLowerCase(name))
            warn(QStringLiteral("Kullanıcı adında küçük harf var; giriş ekranı yazılanı büyük harfe çevirdiği için bu ad "
                                "hiçbir zaman eşleşmez"));
        return name;
    }

    int userAdd(const Options& o)
    {
        noPositional(o);
        const QString name = userName(o);
        required(o, QStringLiteral("--password"), QStringLiteral("ŞİFRE"));
        QList<std::pair<QString, QVariant>> fields = userFields(o);
        const auto store = openStore(o, false);
        QSqlDatabase db = store->connection();
        checkUserFields(fields, db);
        if (exists(db, QStringLiteral("SELECT 1 FROM kullanicilar WHERE ADI = ?"), name))
            throw DatabaseError(QStringLiteral("Kullanıcı zaten var: %1 (değiştirmek için 'user set')").arg(name));
        fields.prepend({QStringLiteral("ADI"), name});
        QStringList columns, marks;
        QVariantList binds;
        for (const auto& [column, value] : fields) {
            columns.append(column);
            marks.append(QStringLiteral("?"));
            binds.append(value);
        }
        int id = 0;
        inTransaction(db, [&] {
            QSqlQuery q = exec(db,
                               QStringLiteral("INSERT INTO kullanicilar(%1) VALUES(%2)")
                                   .arg(columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
                               binds);
            id = q.lastInsertId().toInt();
        });
        warnDealerWithoutCustomer(db, name);
        m_out << QStringLiteral("Kullanıcı eklendi: %1 (sıra no %2)\n").arg(name).arg(id);
        return 0;
    }

    int userSet(const Options& o)
    {
        noPositional(o);
        const QString name = userName(o);
        const QList<std::pair<QString, QVariant>> fields = userFields(o);
        if (fields.isEmpty())
            throw UsageError{QStringLiteral("Değiştirilecek bir alan verilmedi (--password, --type, --active, --customer, "
                                            "--rep, --mail)")};
        const auto store = openStore(o, false);
        QSqlDatabase db = store->connection();
        checkUserFields(fields, db);
        QStringList sets;
        QVariantList binds;
        for (const auto& [column, value] : fields) {
            sets.append(column + QStringLiteral(" = ?"));
            binds.append(value);
        }
        binds.append(name);
        int changed = 0;
        inTransaction(db, [&] {
            QSqlQuery q = exec(db, QStringLiteral("UPDATE kullanicilar SET %1 WHERE ADI = ?").arg(sets.join(QStringLiteral(", "))),
                               binds);
            changed = q.numRowsAffected();
        });
        if (changed == 0)
            throw DatabaseError(QStringLiteral("Kullanıcı bulunamadı: %1").arg(name));
        warnDealerWithoutCustomer(db, name);
        m_out << QStringLiteral("Kullanıcı güncellendi: %1\n").arg(name);
        return 0;
    }

    int userList(const Options& o)
    {
        noPositional(o);
        const auto store = openStore(o, false);
        QSqlDatabase db = store->connection();
        QSqlQuery q = exec(db, QStringLiteral(
                                   "SELECT k.SIRANO, k.ADI, k.MUSTERITIPI, k.AKTIF, COALESCE(k.CARINO, 0), "
                                   "COALESCE(c.CARIADI, ''), COALESCE(k.SATICINO, 0), k.MAIL, "
                                   "(SELECT COUNT(*) FROM makineler m WHERE m.KULLANICI = k.SIRANO) "
                                   "FROM kullanicilar k LEFT JOIN cariler c ON c.CARINO = k.CARINO ORDER BY k.SIRANO"));
        m_out << QStringLiteral("SIRANO  ADI                 TİP AKTİF CARİNO SATICINO MAKİNE CARİ ADI / MAİL\n");
        while (q.next())
            m_out << QStringLiteral("%1  %2 %3 %4 %5 %6 %7 %8 %9\n")
                         .arg(q.value(0).toInt(), 6)
                         .arg(q.value(1).toString(), -19)
                         .arg(q.value(2).toInt(), 3)
                         .arg(q.value(3).toInt(), 5)
                         .arg(q.value(4).toInt(), 6)
                         .arg(q.value(6).toInt(), 8)
                         .arg(q.value(8).toInt(), 6)
                         .arg(q.value(5).toString(), q.value(7).toString());
        return 0;
    }

    int machineRegister(const Options& o)
    {
        noPositional(o);
        const QString id = required(o, QStringLiteral("--id"), QStringLiteral("MAKİNE-NO"));
        const QString user = required(o, QStringLiteral("--user"), QStringLiteral("AD"));
        const auto store = openStore(o, false);
        QSqlDatabase db = store->connection();
        QString previous;
        inTransaction(db, [&] {
            QSqlQuery who = exec(db, QStringLiteral("SELECT SIRANO FROM kullanicilar WHERE ADI = ?"), {user});
            if (!who.next())
                throw DatabaseError(QStringLiteral("Kullanıcı bulunamadı: %1").arg(user));
            const int userId = who.value(0).toInt();
            QSqlQuery before = exec(db, QStringLiteral("SELECT k.ADI FROM makineler m JOIN kullanicilar k ON k.SIRANO = m.KULLANICI "
                                                       "WHERE m.BILGISAYARID = ?"),
                                    {id});
            if (before.next())
                previous = before.value(0).toString();
            exec(db,
                 QStringLiteral("INSERT INTO makineler(BILGISAYARID, KULLANICI, KAYITTARIHI) VALUES(?, ?, ?) "
                                "ON CONFLICT(BILGISAYARID) DO UPDATE SET KULLANICI = excluded.KULLANICI, "
                                "KAYITTARIHI = excluded.KAYITTARIHI"),
                 {id, userId, store::nowText()});
        });
        m_out << QStringLiteral("Makine kaydedildi: %1 -> %2").arg(id, user);
        if (!previous.isEmpty() && previous != user)
            m_out << QStringLiteral(" (önceden %1 kullanıcısına kayıtlıydı)").arg(previous);
        m_out << u'\n';
        return 0;
    }

    int machineUnregister(const Options& o)
    {
        noPositional(o);
        const QString id = required(o, QStringLiteral("--id"), QStringLiteral("MAKİNE-NO"));
        const auto store = openStore(o, false);
        QSqlDatabase db = store->connection();
        int removed = 0;
        inTransaction(db, [&] {
            removed = exec(db, QStringLiteral("DELETE FROM makineler WHERE BILGISAYARID = ?"), {id}).numRowsAffected();
        });
        if (removed == 0)
            throw DatabaseError(QStringLiteral("Kayıtlı makine yok: %1").arg(id));
        m_out << QStringLiteral("Makine kaydı silindi: %1\n").arg(id);
        return 0;
    }

    int machineList(const Options& o)
    {
        noPositional(o);
        const auto store = openStore(o, false);
        QSqlDatabase db = store->connection();
        QSqlQuery q = exec(db, QStringLiteral("SELECT m.BILGISAYARID, k.ADI, m.KAYITTARIHI FROM makineler m "
                                              "JOIN kullanicilar k ON k.SIRANO = m.KULLANICI ORDER BY m.BILGISAYARID"));
        while (q.next())
            m_out << QStringLiteral("%1  %2  %3\n").arg(q.value(0).toString(), -32).arg(q.value(1).toString(), -16).arg(q.value(2).toString());
        return 0;
    }

    int versionSet(const Options& o)
    {
        if (o.positional.size() != 1)
            throw UsageError{QStringLiteral("version set --db DOSYA SÜRÜM bekleniyor")};
        bool ok = false;
        const int version = o.positional.first().toInt(&ok);
        if (!ok || version < 1)
            throw UsageError{QStringLiteral("Sürüm pozitif bir tam sayı olmalı: %1").arg(o.positional.first())};
        const auto store = openStore(o, false);
        store->setSetting(store::kClientVersionKey, QString::number(version));
        m_out << QStringLiteral("İstemci sürümü: %1\n").arg(version);
        return 0;
    }

    int versionShow(const Options& o)
    {
        noPositional(o);
        const auto store = openStore(o, false);
        m_out << store::clientVersion(*store) << u'\n';
        return 0;
    }

    int importCsv(const Options& o)
    {
        if (o.positional.size() != 1)
            throw UsageError{QStringLiteral("import-catalogue --db DOSYA KATALOG.csv bekleniyor")};
        QFile file(o.positional.first());
        if (!file.open(QIODevice::ReadOnly))
            throw DatabaseError(QStringLiteral("Dosya açılamadı: %1: %2").arg(file.fileName(), file.errorString()));
        const QByteArray csv = file.readAll();
        const auto store = openStore(o, false);
        const CatalogueImportResult r = importCatalogue(*store, csv);
        m_out << QStringLiteral("Katalog içe aktarıldı: %1 yeni, %2 güncellenen stok kalemi\n").arg(r.added).arg(r.updated);
        return 0;
    }

    int mailsList(const Options& o)
    {
        noPositional(o);
        const auto store = openStore(o, false);
        QSqlDatabase db = store->connection();
        QSqlQuery q = exec(db, QStringLiteral(
                                   "SELECT g.SIRANO, g.TARIH, g.YONTEM, g.DURUM, g.BILGISAYARID, COALESCE(k.ADI, ''), g.ALICI, "
                                   "g.BASLIK, g.FIRMAADI, g.ADRES1, g.ADRES2, g.ILCE, g.SEHIR, g.TELEFON, g.FAX, g.VD, g.VN, "
                                   "g.YETKILI, g.KULLANICIADI, g.SIFRE, g.MAIL, g.KARGOAMBAR, g.KONU, g.GONDERIMTARIHI, g.HATA "
                                   "FROM giden_mailler g LEFT JOIN kullanicilar k ON k.SIRANO = g.KULLANICI ORDER BY g.SIRANO"));
        static const char16_t* kLabels[] = {u"Başlık",  u"Firma Adı", u"Adres",    u"Adres2",       u"İlçe",
                                            u"Şehir",   u"Telefon",   u"Fax",      u"Vergi Dairesi", u"Vergi No",
                                            u"Yetkili", u"Kullanıcı Adı", u"Şifre", u"Mail",        u"Kargo Ambar"};
        int count = 0;
        while (q.next()) {
            ++count;
            const int state = q.value(3).toInt();
            const QString stateText = state == 1 ? QStringLiteral("gönderildi %1").arg(q.value(23).toString())
                                    : state == 2 ? QStringLiteral("gönderilemedi: %1").arg(q.value(24).toString())
                                                 : QStringLiteral("bekliyor");
            m_out << QStringLiteral("#%1  %2  %3  %4\n").arg(q.value(0).toInt()).arg(q.value(1).toString(), q.value(2).toString(), stateText);
            m_out << QStringLiteral("  Makine: %1  Kullanıcı: %2  Alıcı: %3\n")
                         .arg(q.value(4).toString(), q.value(5).toString(), q.value(6).toString());
            for (int i = 0; i < 15; ++i)
                m_out << QStringLiteral("  %1: %2\n").arg(QString::fromUtf16(kLabels[i]), q.value(7 + i).toString());
            if (!q.value(22).isNull())
                m_out << QStringLiteral("  Konu:\n    %1\n").arg(q.value(22).toString().replace(u'\n', QStringLiteral("\n    ")));
        }
        if (count == 0)
            m_out << QStringLiteral("Giden posta yok\n");
        return 0;
    }

    bool exists(QSqlDatabase& db, const QString& sql, const QVariant& key)
    {
        QSqlQuery q = exec(db, sql, {key});
        return q.next();
    }

    void warnDealerWithoutCustomer(QSqlDatabase& db, const QString& name)
    {
        QSqlQuery q = exec(db, QStringLiteral("SELECT MUSTERITIPI, CARINO FROM kullanicilar WHERE ADI = ?"), {name});
        if (q.next() && q.value(0).toInt() >= 3 && q.value(1).isNull())
            warn(QStringLiteral("Bayi kullanıcısının (tip %1) carisi yok; sipariş veremez (--customer CARINO)").arg(q.value(0).toInt()));
    }

    void warn(const QString& text) { m_err << QStringLiteral("Uyarı: ") << text << u'\n'; }

    QTextStream& m_out;
    QTextStream& m_err;
};

} // namespace

QString adminUsage()
{
    return QStringLiteral(
        "Kullanım: velun-server ALT-KOMUT [SEÇENEKLER]\n"
        "\n"
        "  serve --db DOSYA [--listen ADRES] [--port 9090] [--threads N]   sunucuyu çalıştırır\n"
        "  init --db DOSYA                          veritabanını oluşturur ya da şemasını günceller\n"
        "  demo --db DOSYA [--items N] [--machine MAKİNE-NO]\n"
        "                                           boş veritabanına demo verisi yükler (N: 1 - 1.000.000, 500)\n"
        "  user add --db DOSYA --name AD --password ŞİFRE [--type 1-4] [--active 0|1]\n"
        "           [--customer CARİNO] [--rep SATICINO] [--mail E-POSTA]\n"
        "                                           kullanıcı ekler (tip 3, aktif varsayılır)\n"
        "  user set --db DOSYA --name AD [--password ŞİFRE] [--type 1-4] [--active 0|1]\n"
        "           [--customer CARİNO] [--rep SATICINO] [--mail E-POSTA]\n"
        "                                           kullanıcıyı değiştirir (--customer 0: carisiz)\n"
        "  user list --db DOSYA                     kullanıcıları listeler\n"
        "  machine register --db DOSYA --id MAKİNE-NO --user AD\n"
        "                                           makineyi kullanıcıya kaydeder\n"
        "  machine unregister --db DOSYA --id MAKİNE-NO\n"
        "                                           makine kaydını siler\n"
        "  machine list --db DOSYA                  kayıtlı makineleri listeler\n"
        "  version set --db DOSYA SÜRÜM             istemcilerin olması gereken sürümü ayarlar\n"
        "  version show --db DOSYA                  bu sürümü gösterir (varsayılan 13)\n"
        "  import-catalogue --db DOSYA KATALOG.csv  stok kalemlerini CSV dosyasından alır (ya hepsi ya hiçbiri)\n"
        "  mails list --db DOSYA                    kullanıcıların gönderdiği istek ve postaları gösterir\n"
        "\n"
        "Kullanıcı tipleri: 1 satış temsilcisi, 2 satış yöneticisi, 3 bayi, 4 bayi (kampanyasız).\n"
        "CSV sütunları: BARKOD (zorunlu, anahtar), ADI ve FIYAT (yeni kalemde zorunlu), FINISHKOD, PKOD, DPKOD,\n"
        "  URETICIKODU, DIGERADI, MARKA, MODEL, OZELKOD, ANAGRUP, ALTGRUP, DEPARTMAN, RENK, BEDEN, BIRIM,\n"
        "  BARKODNO, KDV, ISK1-ISK4, KAMPANYALI, KAMPFIYAT, YENI, TEDARIKDURUMU (0-2), KRITIKMIKTAR,\n"
        "  OEM1, OEM2, ..., depo adları (ISTANBUL, ANTEP: eldeki miktar) ve DEPO_YOLDA (yoldaki miktar).\n"
        "  Ayraç ';', ',' ya da sekme; tırnaklı alanlar; UTF-8. Boş alan eski değeri korur.\n"
        "\n"
        "Çıkış kodu: 0 tamam, 1 hata, 2 hatalı kullanım.\n");
}

int runAdmin(const QStringList& args, QTextStream& out, QTextStream& err)
{
    try {
        Admin admin(out, err);
        const int code = admin.run(args);
        out.flush();
        return code;
    } catch (const UsageError& e) {
        err << e.message << QStringLiteral("\n\n") << adminUsage();
        err.flush();
        return 2;
    } catch (const VelunError& e) {
        err << QStringLiteral("Hata: ") << e.message() << u'\n';
        err.flush();
        return 1;
    } catch (const std::exception& e) {
        err << QStringLiteral("Hata: ") << QString::fromUtf8(e.what()) << u'\n';
        err.flush();
        return 1;
    }
}

int runAdmin(const QStringList& args)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runAdmin(args, out, err);
}

} // namespace velun::appserver
