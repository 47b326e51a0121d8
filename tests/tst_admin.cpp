// The admin command line of velun-server, run on temporary stores: every subcommand, its
// errors (exit code 1) and wrong usage (exit code 2).
#include "appserver/admin.h"
#include "appserver/database.h"
#include "appserver/demodata.h"
#include "appserver/dispatcher.h"
#include "appserver/methods.h"
#include "server/json.h"
#include "server/wire.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace velun;
using namespace velun::appserver;

namespace {

struct Run
{
    int code = -1;
    QString out;
    QString err;
};

Run admin(const QStringList& args)
{
    Run r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    r.code = runAdmin(args, out, err);
    out.flush();
    err.flush();
    return r;
}

QVariant scalar(const QString& path, const QString& sql, const QVariantList& binds = {})
{
    Database database(path);
    QSqlDatabase db = database.connection();
    QSqlQuery q = exec(db, sql, binds);
    return q.next() ? q.value(0) : QVariant();
}

QString describe(const Run& r)
{
    return QStringLiteral("exit %1\nout: %2\nerr: %3").arg(r.code).arg(r.out, r.err);
}

#define EXPECT_EXIT(run, expected) QVERIFY2((run).code == (expected), qPrintable(describe(run)))

} // namespace

class TestAdmin : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_db; // demo store shared by the cases below, in the order they run

    QString file(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        m_db = file(QStringLiteral("admin.db"));
        EXPECT_EXIT(admin({QStringLiteral("demo"), QStringLiteral("--db"), m_db, QStringLiteral("--items"),
                           QStringLiteral("300"), QStringLiteral("--machine"), QStringLiteral("ADMIN-TEST-PC")}),
                    0);
    }

    void wrongUsage_data()
    {
        QTest::addColumn<QStringList>("args");
        const QString db = QStringLiteral("--db");
        const QString x = QStringLiteral("unused.db");
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("unknown subcommand") << QStringList{QStringLiteral("frobnicate")};
        QTest::newRow("init without --db") << QStringList{QStringLiteral("init")};
        QTest::newRow("--db without a value") << QStringList{QStringLiteral("init"), db};
        QTest::newRow("unknown option") << QStringList{QStringLiteral("init"), db, x, QStringLiteral("--frob"), QStringLiteral("1")};
        QTest::newRow("option twice") << QStringList{QStringLiteral("init"), db, x, db, x};
        QTest::newRow("stray value") << QStringList{QStringLiteral("init"), db, x, QStringLiteral("extra")};
        QTest::newRow("demo with 0 items") << QStringList{QStringLiteral("demo"), db, x, QStringLiteral("--items"), QStringLiteral("0")};
        QTest::newRow("demo with too many items")
            << QStringList{QStringLiteral("demo"), db, x, QStringLiteral("--items"), QStringLiteral("1000001")};
        QTest::newRow("demo with a word for items")
            << QStringList{QStringLiteral("demo"), db, x, QStringLiteral("--items"), QStringLiteral("çok")};
        QTest::newRow("user without action") << QStringList{QStringLiteral("user")};
        QTest::newRow("user bogus") << QStringList{QStringLiteral("user"), QStringLiteral("bogus"), db, x};
        QTest::newRow("user add without name") << QStringList{QStringLiteral("user"), QStringLiteral("add"), db, x,
                                                              QStringLiteral("--password"), QStringLiteral("1")};
        QTest::newRow("user add without password") << QStringList{QStringLiteral("user"), QStringLiteral("add"), db, x,
                                                                  QStringLiteral("--name"), QStringLiteral("ALI")};
        QTest::newRow("user add with type 7") << QStringList{QStringLiteral("user"), QStringLiteral("add"), db, x,
                                                             QStringLiteral("--name"), QStringLiteral("ALI"),
                                                             QStringLiteral("--password"), QStringLiteral("1"),
                                                             QStringLiteral("--type"), QStringLiteral("7")};
        QTest::newRow("user add with active 2") << QStringList{QStringLiteral("user"), QStringLiteral("add"), db, x,
                                                               QStringLiteral("--name"), QStringLiteral("ALI"),
                                                               QStringLiteral("--password"), QStringLiteral("1"),
                                                               QStringLiteral("--active"), QStringLiteral("2")};
        QTest::newRow("user set with nothing to set")
            << QStringList{QStringLiteral("user"), QStringLiteral("set"), db, m_db, QStringLiteral("--name"), QStringLiteral("DEMO")};
        QTest::newRow("machine register without id") << QStringList{QStringLiteral("machine"), QStringLiteral("register"), db, x,
                                                                    QStringLiteral("--user"), QStringLiteral("DEMO")};
        QTest::newRow("machine register with a blank id")
            << QStringList{QStringLiteral("machine"), QStringLiteral("register"), db, x, QStringLiteral("--id"), QStringLiteral("  "),
                           QStringLiteral("--user"), QStringLiteral("DEMO")};
        QTest::newRow("machine without action") << QStringList{QStringLiteral("machine")};
        QTest::newRow("version set without a number") << QStringList{QStringLiteral("version"), QStringLiteral("set"), db, x};
        QTest::newRow("version set to a word") << QStringList{QStringLiteral("version"), QStringLiteral("set"), db, x,
                                                              QStringLiteral("on üç")};
        QTest::newRow("version set to 0") << QStringList{QStringLiteral("version"), QStringLiteral("set"), db, x, QStringLiteral("0")};
        QTest::newRow("import without a file") << QStringList{QStringLiteral("import-catalogue"), db, x};
        QTest::newRow("mails without action") << QStringList{QStringLiteral("mails"), db, x};
    }
    void wrongUsage()
    {
        QFETCH(QStringList, args);
        const Run r = admin(args);
        EXPECT_EXIT(r, 2);
        QVERIFY(r.err.contains(QStringLiteral("Kullanım: velun-server")));
        QVERIFY(r.out.isEmpty());
        QVERIFY(!QFile::exists(QStringLiteral("unused.db")));
    }

    void helpListsEverySubcommand()
    {
        const Run r = admin({QStringLiteral("--help")});
        EXPECT_EXIT(r, 0);
        for (const char* word : {"init", "demo", "user add", "user set", "machine register", "machine unregister",
                                 "version set", "version show", "import-catalogue", "mails list", "BARKOD"})
            QVERIFY2(r.out.contains(QString::fromLatin1(word)), word);
    }

    void initCreatesAndUpgrades()
    {
        const QString path = file(QStringLiteral("init.db"));
        Run r = admin({QStringLiteral("init"), QStringLiteral("--db"), path});
        EXPECT_EXIT(r, 0);
        QVERIFY(r.out.contains(QStringLiteral("şema sürümü %1").arg(Database::latestSchemaVersion())));
        QCOMPARE(scalar(path, QStringLiteral("PRAGMA user_version")).toInt(), Database::latestSchemaVersion());
        EXPECT_EXIT(admin({QStringLiteral("init"), QStringLiteral("--db=") + path}), 0); // again, and the = form
        QCOMPARE(scalar(path, QStringLiteral("SELECT value FROM settings WHERE key = 'client_version'")).toString(), QStringLiteral("13"));
    }

    void commandsOtherThanInitNeedAnExistingStore()
    {
        const QString path = file(QStringLiteral("typo.db"));
        const Run r = admin({QStringLiteral("user"), QStringLiteral("list"), QStringLiteral("--db"), path});
        EXPECT_EXIT(r, 1);
        QVERIFY(r.err.contains(QStringLiteral("Veritabanı dosyası yok")));
        QVERIFY(!QFile::exists(path));
    }

    void demoLoadsOnceAndRegistersTheMachine()
    {
        QCOMPARE(scalar(m_db, QStringLiteral("SELECT COUNT(*) FROM stoklar")).toInt(), 300);
        QCOMPARE(scalar(m_db, QStringLiteral("SELECT k.ADI FROM makineler m JOIN kullanicilar k ON k.SIRANO = m.KULLANICI "
                                             "WHERE BILGISAYARID = 'ADMIN-TEST-PC'"))
                     .toString(),
                 kDemoDealerUser);
        const Run again = admin({QStringLiteral("demo"), QStringLiteral("--db"), m_db});
        EXPECT_EXIT(again, 1);
        QVERIFY(again.err.contains(QStringLiteral("zaten veri var")));
        QCOMPARE(scalar(m_db, QStringLiteral("SELECT COUNT(*) FROM stoklar")).toInt(), 300);
    }

    void userAddAndSet()
    {
        const QString db = QStringLiteral("--db");
        Run r = admin({QStringLiteral("user"), QStringLiteral("add"), db, m_db, QStringLiteral("--name"), QStringLiteral("ÇİĞDEM"),
                       QStringLiteral("--password"), QStringLiteral("ŞİFRE9"), QStringLiteral("--type"), QStringLiteral("4"),
                       QStringLiteral("--customer"), QStringLiteral("1005"), QStringLiteral("--mail"), QStringLiteral("cigdem@isikmotor.example")});
        EXPECT_EXIT(r, 0);
        QVERIFY(r.err.isEmpty());
        QCOMPARE(scalar(m_db, QStringLiteral("SELECT SIFRE || '/' || MUSTERITIPI || '/' || AKTIF || '/' || CARINO || '/' || MAIL "
                                             "FROM kullanicilar WHERE ADI = 'ÇİĞDEM'"))
                     .toString(),
                 QStringLiteral("ŞİFRE9/4/1/1005/cigdem@isikmotor.example"));

        EXPECT_EXIT(admin({QStringLiteral("user"), QStringLiteral("add"), db, m_db, QStringLiteral("--name"), QStringLiteral("ÇİĞDEM"),
                           QStringLiteral("--password"), QStringLiteral("1")}),
                    1);
        EXPECT_EXIT(admin({QStringLiteral("user"), QStringLiteral("add"), db, m_db, QStringLiteral("--name"), QStringLiteral("YENİ"),
                           QStringLiteral("--password"), QStringLiteral("1"), QStringLiteral("--customer"), QStringLiteral("424242")}),
                    1);

        r = admin({QStringLiteral("user"), QStringLiteral("set"), db, m_db, QStringLiteral("--name"), QStringLiteral("ÇİĞDEM"),
                   QStringLiteral("--active"), QStringLiteral("0"), QStringLiteral("--customer"), QStringLiteral("0")});
        EXPECT_EXIT(r, 0);
        QVERIFY(r.err.contains(QStringLiteral("carisi yok"))); // a dealer without a customer is warned about
        QCOMPARE(scalar(m_db, QStringLiteral("SELECT AKTIF || '/' || COALESCE(CARINO, 'yok') FROM kullanicilar WHERE ADI = 'ÇİĞDEM'")).toString(),
                 QStringLiteral("0/yok"));
        EXPECT_EXIT(admin({QStringLiteral("user"), QStringLiteral("set"), db, m_db, QStringLiteral("--name"), QStringLiteral("KİMSE"),
                           QStringLiteral("--active"), QStringLiteral("1")}),
                    1);

        // A lower-case password can never be typed into the login window: allowed, but warned about.
        r = admin({QStringLiteral("user"), QStringLiteral("add"), db, m_db, QStringLiteral("--name"), QStringLiteral("KUCUK"),
                   QStringLiteral("--password"), QStringLiteral("abc"), QStringLiteral("--customer"), QStringLiteral("1001")});
        EXPECT_EXIT(r, 0);
        QVERIFY(r.err.contains(QStringLiteral("Uyarı: Şifrede küçük harf var")));

        r = admin({QStringLiteral("user"), QStringLiteral("list"), db, m_db});
        EXPECT_EXIT(r, 0);
        QVERIFY(r.out.contains(QStringLiteral("ÇİĞDEM")) && r.out.contains(QStringLiteral("TEMSILCI")));
    }

    void machineRegisterAndUnregister()
    {
        const QString db = QStringLiteral("--db");
        Run r = admin({QStringLiteral("machine"), QStringLiteral("register"), db, m_db, QStringLiteral("--id"),
                       QStringLiteral("WD-WX11A2B3C4D5"), QStringLiteral("--user"), kDemoRepUser});
        EXPECT_EXIT(r, 0);
        r = admin({QStringLiteral("machine"), QStringLiteral("register"), db, m_db, QStringLiteral("--id"),
                   QStringLiteral("WD-WX11A2B3C4D5"), QStringLiteral("--user"), kDemoDealerUser});
        EXPECT_EXIT(r, 0);
        QVERIFY(r.out.contains(QStringLiteral("önceden TEMSILCI")));
        QCOMPARE(scalar(m_db, QStringLiteral("SELECT k.ADI FROM makineler m JOIN kullanicilar k ON k.SIRANO = m.KULLANICI "
                                             "WHERE BILGISAYARID = 'WD-WX11A2B3C4D5'"))
                     .toString(),
                 kDemoDealerUser);
        EXPECT_EXIT(admin({QStringLiteral("machine"), QStringLiteral("register"), db, m_db, QStringLiteral("--id"),
                           QStringLiteral("X"), QStringLiteral("--user"), QStringLiteral("KİMSE")}),
                    1);

        r = admin({QStringLiteral("machine"), QStringLiteral("list"), db, m_db});
        QVERIFY(r.out.contains(QStringLiteral("WD-WX11A2B3C4D5")));
        EXPECT_EXIT(admin({QStringLiteral("machine"), QStringLiteral("unregister"), db, m_db, QStringLiteral("--id"),
                           QStringLiteral("WD-WX11A2B3C4D5")}),
                    0);
        QCOMPARE(scalar(m_db, QStringLiteral("SELECT COUNT(*) FROM makineler WHERE BILGISAYARID = 'WD-WX11A2B3C4D5'")).toInt(), 0);
        r = admin({QStringLiteral("machine"), QStringLiteral("unregister"), db, m_db, QStringLiteral("--id"),
                   QStringLiteral("WD-WX11A2B3C4D5")});
        EXPECT_EXIT(r, 1);
        QVERIFY(r.err.contains(QStringLiteral("Kayıtlı makine yok")));
    }

    void versionSetAndShow()
    {
        Run r = admin({QStringLiteral("version"), QStringLiteral("show"), QStringLiteral("--db"), m_db});
        EXPECT_EXIT(r, 0);
        QCOMPARE(r.out, QStringLiteral("13\n"));
        EXPECT_EXIT(admin({QStringLiteral("version"), QStringLiteral("set"), QStringLiteral("--db"), m_db, QStringLiteral("15")}), 0);
        r = admin({QStringLiteral("version"), QStringLiteral("show"), QStringLiteral("--db"), m_db});
        QCOMPARE(r.out, QStringLiteral("15\n"));
        EXPECT_EXIT(admin({QStringLiteral("version"), QStringLiteral("set"), QStringLiteral("--db"), m_db, QStringLiteral("13")}), 0);
    }

    void importCatalogue()
    {
        const QString good = file(QStringLiteral("good.csv"));
        const QString bad = file(QStringLiteral("bad.csv"));
        {
            QFile f(good);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QStringLiteral("BARKOD;ADI;FIYAT;ISTANBUL\n8690000777771;\"DİSK; ÖN\";1250,00;3\n").toUtf8());
            QFile g(bad);
            QVERIFY(g.open(QIODevice::WriteOnly));
            g.write(QStringLiteral("BARKOD;ADI;FIYAT\n8690000777772;A;5\n8690000777773;B;beş\n").toUtf8());
        }
        const int before = scalar(m_db, QStringLiteral("SELECT COUNT(*) FROM stoklar")).toInt();
        Run r = admin({QStringLiteral("import-catalogue"), QStringLiteral("--db"), m_db, good});
        EXPECT_EXIT(r, 0);
        QVERIFY(r.out.contains(QStringLiteral("1 yeni, 0 güncellenen")));
        QCOMPARE(scalar(m_db, QStringLiteral("SELECT ADI FROM stoklar WHERE BARKOD = '8690000777771'")).toString(), QStringLiteral("DİSK; ÖN"));

        r = admin({QStringLiteral("import-catalogue"), QStringLiteral("--db"), m_db, bad});
        EXPECT_EXIT(r, 1);
        QVERIFY(r.err.contains(QStringLiteral("Satır 3: FIYAT sayı olmalı")));
        QCOMPARE(scalar(m_db, QStringLiteral("SELECT COUNT(*) FROM stoklar")).toInt(), before + 1);

        r = admin({QStringLiteral("import-catalogue"), QStringLiteral("--db"), m_db, file(QStringLiteral("yok.csv"))});
        EXPECT_EXIT(r, 1);
        QVERIFY(r.err.contains(QStringLiteral("Dosya açılamadı")));
    }

    void mailsListShowsEveryField()
    {
        const QString path = file(QStringLiteral("mails.db"));
        EXPECT_EXIT(admin({QStringLiteral("init"), QStringLiteral("--db"), path}), 0);
        Run r = admin({QStringLiteral("mails"), QStringLiteral("list"), QStringLiteral("--db"), path});
        EXPECT_EXIT(r, 0);
        QVERIFY(r.out.contains(QStringLiteral("Giden posta yok")));

        const QStringList texts = {QStringLiteral("MAKİNE-77"),   QStringLiteral("Şifre Değiştirme İsteği"),
                                   QStringLiteral("ÖZ FİRMA"),   QStringLiteral("Adres bir"),  QStringLiteral("Adres iki"),
                                   QStringLiteral("Çankaya"),    QStringLiteral("Ankara"),     QStringLiteral("0312 1"),
                                   QStringLiteral("0312 2"),     QStringLiteral("Kavaklıdere"), QStringLiteral("998877"),
                                   QStringLiteral("Gökay Ünlü"), QStringLiteral("GÖKAY"),      QStringLiteral("YENİŞİFRE"),
                                   QStringLiteral("gokay@oz.example"), QStringLiteral("Ambar Ğ"),
                                   QStringLiteral("satır bir\nsatır iki")};
        {
            Database database(path);
            Dispatcher dispatcher(database);
            registerAllMethods(dispatcher);
            json::Array params;
            for (const QString& t : texts)
                params.push_back(wire::text(t));
            const QByteArray reply = dispatcher.handle(json::write(wire::makeRequest(QStringLiteral("MailGonserCariNormal"), params)));
            QVERIFY2(!reply.contains("\"error\""), reply.constData());
        }
        r = admin({QStringLiteral("mails"), QStringLiteral("list"), QStringLiteral("--db"), path});
        EXPECT_EXIT(r, 0);
        for (const QString& t : texts)
            QVERIFY2(r.out.contains(t.section(u'\n', 0, 0)), qPrintable(t));
        QVERIFY(r.out.contains(QStringLiteral("MailGonserCariNormal")));
        QVERIFY(r.out.contains(QStringLiteral("bekliyor")));
        QVERIFY(r.out.contains(QStringLiteral("    satır iki")));
    }
};

QTEST_GUILESS_MAIN(TestAdmin)
#include "tst_admin.moc"
