// The login window against the real server: the decisions in their order, "ayar.ini", the keys.
#include "account/tseccari.h"
#include "app/utils.h"
#include "login/ayarini.h"
#include "login/tdosyaindir.h"
#include "login/tgirisform.h"
#include "login/tkullanicikayit.h"
#include "platform/processend.h"
#include "platform/pause.h"
#include "server/connection.h"
#include "tests/support/testserver.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace velun;

namespace {

// Answers every message box with its default button and remembers the texts.
struct Dialogs
{
    QStringList texts;
    QList<TMsgDlgType> kinds;
    MessageDialogHook previous;
    Dialogs()
    {
        previous = setMessageDialogHook([this](const MessageDialogRequest& r) -> std::optional<TMsgDlgBtn> {
            texts << r.text;
            kinds << r.kind;
            return r.defaultButton;
        });
    }
    ~Dialogs() { setMessageDialogHook(previous); }
};

struct Ends
{
    QList<int> codes;
    platform::EndProcessHook previous;
    Ends() { previous = platform::setEndProcessHook([this](int c) { codes << c; }); }
    ~Ends() { platform::setEndProcessHook(previous); }
};

// Closes modal windows the code under test opens, and notes their class names in order.
class ModalCloser : public QObject
{
public:
    QStringList seen;
    bool acceptThem = true;
    ModalCloser()
    {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            auto* w = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!w || qobject_cast<Tgirisform*>(w))
                return;
            seen << QString::fromLatin1(w->metaObject()->className());
            if (acceptThem)
                w->accept();
            else
                w->reject();
        });
        m_timer.start();
    }

private:
    QTimer m_timer;
};

} // namespace

class TestLogin : public QObject
{
    Q_OBJECT

    QTemporaryDir m_config;
    std::unique_ptr<test::TestServer> m_server;
    ServerConnection m_bagc;
    TSonucBilgisi m_sbilgi;

    std::unique_ptr<Tgirisform> openLogin(const QString& machine)
    {
        qputenv("VELUN_MACHINE_ID", machine.toUtf8());
        m_sbilgi = TSonucBilgisi();
        auto form = std::make_unique<Tgirisform>(nullptr);
        form->bagim = &m_bagc;
        form->Bilgim = &m_sbilgi;
        form->show();
        return form;
    }
    // Types into the edits as a user would, then clicks "Giriş" and waits for the answer.
    void login(Tgirisform& form, const QString& name, const QString& password)
    {
        form.adi->clear();
        form.sifre->clear();
        QTest::keyClicks(form.adi, name);
        QTest::keyClicks(form.sifre, password);
        QTest::mouseClick(form.Button1, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!form.connecting(), 10000);
    }
    QString iniPath() const { return AyarIni::defaultPath(); }

private slots:
    void initTestCase()
    {
        // A configuration folder of this test's own: other test programs run at the same time.
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
        platform::setPauseFunction([](std::chrono::milliseconds) {});
        m_server = std::make_unique<test::TestServer>();
        qputenv("VELUN_SERVER_HOST", "127.0.0.1");
        m_bagc.Params.setValue(connparam::Port, QString::number(m_server->port()));
    }
    void init()
    {
        QFile::remove(iniPath());
        m_server->database().setSetting(QStringLiteral("client_version"), QStringLiteral("13"));
    }
    void cleanupTestCase()
    {
        platform::setPauseFunction({});
        m_server.reset();
    }

    void decisionsInOrder_data()
    {
        QTest::addColumn<QString>("machine");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("windows");
        QTest::addColumn<bool>("ended");
        QTest::addColumn<bool>("settingsSaved");
        const QString wrong = QStringLiteral("Kullanıcı Adı ve Şifre Hatalı Lütfen Tekrar Deneyiniz !");
        const QString dealer = QStringLiteral("TEST-MACHINE-0001");
        QTest::newRow("dealer logs in") << dealer << u"DEMO"_qs << u"1234"_qs << u"13"_qs << true << QString()
                                        << QStringList() << false << true;
        QTest::newRow("wrong name") << dealer << u"DEMOX"_qs << u"1234"_qs << u"13"_qs << false << wrong
                                    << QStringList() << false << false;
        QTest::newRow("wrong password") << dealer << u"DEMO"_qs << u"12345"_qs << u"13"_qs << false << wrong
                                        << QStringList() << false << false;
        QTest::newRow("inactive user saves the settings")
            << appserver::kDemoInactiveMachine << appserver::kDemoInactiveUser << u"1234"_qs << u"13"_qs << false
            << wrong << QStringList() << false << true;
        QTest::newRow("version 12 opens the update first")
            << dealer << u"DEMO"_qs << u"1234"_qs << u"12"_qs << true << QString()
            << QStringList{u"velun::Tdosyaindir"_qs} << false << true;
        QTest::newRow("unregistered machine") << u"NO-SUCH-MACHINE"_qs << u"DEMO"_qs << u"1234"_qs << u"13"_qs
                                              << false << QString() << QStringList{u"velun::Tkullanicikayit"_qs}
                                              << true << false;
        QTest::newRow("unregistered machine, old version: update, then request")
            << u"NO-SUCH-MACHINE"_qs << u"DEMO"_qs << u"1234"_qs << u"12"_qs << false << QString()
            << QStringList{u"velun::Tdosyaindir"_qs, u"velun::Tkullanicikayit"_qs} << true << false;
        QTest::newRow("representative picks the customer")
            << appserver::kDemoRepMachine << appserver::kDemoRepUser << u"1234"_qs << u"13"_qs << true << QString()
            << QStringList{u"velun::Tseccari"_qs} << false << true;
    }
    void decisionsInOrder()
    {
        QFETCH(QString, machine);
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(QString, version);
        QFETCH(bool, accepted);
        QFETCH(QString, message);
        QFETCH(QStringList, windows);
        QFETCH(bool, ended);
        QFETCH(bool, settingsSaved);
        m_server->database().setSetting(QStringLiteral("client_version"), version);

        Dialogs dialogs;
        Ends ends;
        ModalCloser modals;
        auto form = openLogin(machine);
        login(*form, name, password);

        QCOMPARE(modals.seen, windows);
        QCOMPARE(form->result() == QDialog::Accepted, accepted);
        QCOMPARE(dialogs.texts, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(!ends.codes.isEmpty(), ended);
        if (ended)
            QCOMPARE(ends.codes, QList<int>{0});
        QCOMPARE(QFile::exists(iniPath()), settingsSaved);
        if (!accepted && !ended) {
            // Back to idle: the user may try again.
            QVERIFY(form->Button1->isEnabled());
            QCOMPARE(form->Button1->text(), u"Giriş!"_qs);
            QCOMPARE(form->adi->selectedText(), form->adi->text());
        }
        if (accepted) {
            QCOMPARE(m_sbilgi.ADI(), name);
            QCOMPARE(m_sbilgi.Disip(), u"127.0.0.1"_qs);
            QCOMPARE(m_sbilgi.BILGISAYARID(), machine);
            QVERIFY(m_sbilgi.Varmi());
        }
    }

    void representativeCancellingTheSelectionEndsTheProcess()
    {
        Dialogs dialogs;
        Ends ends;
        ModalCloser modals;
        modals.acceptThem = false;
        auto form = openLogin(appserver::kDemoRepMachine);
        login(*form, appserver::kDemoRepUser, u"1234"_qs);
        QCOMPARE(modals.seen, QStringList{u"velun::Tseccari"_qs});
        QCOMPARE(ends.codes, QList<int>{0});
    }

    void unreachableServer()
    {
        Dialogs dialogs;
        Ends ends;
        ServerConnection dead;
        dead.Params.setValue(connparam::Port, QString::number(test::deadPort()));
        qputenv("VELUN_MACHINE_ID", "TEST-MACHINE-0001");
        Tgirisform form(nullptr);
        form.bagim = &dead;
        form.Bilgim = &m_sbilgi;
        form.show();
        login(form, u"DEMO"_qs, u"1234"_qs);
        QCOMPARE(dialogs.texts, QStringList{u"Bağlantı Kurulamadı !"_qs});
        QCOMPARE(dialogs.kinds, QList<TMsgDlgType>{TMsgDlgType::mtError});
        QVERIFY(form.Button1->isEnabled());
        QVERIFY(ends.codes.isEmpty());
    }

    // A null answer and a server error are failed logins, like an unreachable server.
    void serverFaultsFailTheLogin_data()
    {
        QTest::addColumn<int>("fault");
        QTest::newRow("null login record") << 0;
        QTest::newRow("server error") << 1;
        QTest::newRow("dropped connection") << 2;
    }
    void serverFaultsFailTheLogin()
    {
        QFETCH(int, fault);
        Dialogs dialogs;
        Ends ends;
        auto form = openLogin(u"TEST-MACHINE-0001"_qs);
        auto& faults = m_server->faults();
        (fault == 0 ? faults.nullNextRecord : fault == 1 ? faults.errorNextCall : faults.dropNextRequest) = true;
        login(*form, u"DEMO"_qs, u"1234"_qs);
        QCOMPARE(dialogs.texts, QStringList{u"Bağlantı Kurulamadı !"_qs});
        QVERIFY(form->result() != QDialog::Accepted);
        QVERIFY(form->Button1->isEnabled());
        QVERIFY(!QFile::exists(iniPath()));
        // The next attempt goes through.
        dialogs.texts.clear();
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!form->connecting(), 10000);
        QCOMPARE(form->result(), int(QDialog::Accepted));
        QVERIFY(ends.codes.isEmpty());
    }

    void unreadableSettingsFileIsIgnored()
    {
        // A folder where the file should be: nothing to read, the save fails quietly, the login goes on.
        QDir().mkpath(iniPath());
        Dialogs dialogs;
        auto form = openLogin(u"TEST-MACHINE-0001"_qs);
        QVERIFY(form->benihatirla->isChecked());
        QVERIFY(form->adi->text().isEmpty());
        login(*form, u"DEMO"_qs, u"1234"_qs);
        QCOMPARE(form->result(), int(QDialog::Accepted));
        QVERIFY(dialogs.texts.isEmpty());
        QDir(iniPath()).removeRecursively();
    }

    void cancelEndsTheProcess()
    {
        Ends ends;
        auto form = openLogin(u"TEST-MACHINE-0001"_qs);
        QTest::mouseClick(form->Button2, Qt::LeftButton);
        QCOMPARE(ends.codes, QList<int>{0});
    }

    void enterKeys_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("inName");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("empty name") << QString() << QString() << true << u"Lütfen kullanıcı adını giriniz !"_qs << u"adi"_qs;
        QTest::newRow("blank name") << u"   "_qs << QString() << true << u"Lütfen kullanıcı adını giriniz !"_qs << u"adi"_qs;
        QTest::newRow("name goes on") << u"DEMO"_qs << QString() << true << QString() << u"sifre"_qs;
        QTest::newRow("empty password") << u"DEMO"_qs << u" "_qs << false << u"Lütfen kullanıcı şifresini giriniz !"_qs << u"sifre"_qs;
    }
    void enterKeys()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(bool, inName);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        Dialogs dialogs;
        auto form = openLogin(u"TEST-MACHINE-0001"_qs);
        QApplication::setActiveWindow(form.get());
        form->adi->setText(name);
        form->sifre->setText(password);
        QLineEdit* target = inName ? form->adi : form->sifre;
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Return);
        QCOMPARE(dialogs.texts, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        QVERIFY(!form->connecting());
    }

    void editsForceUpperCase()
    {
        auto form = openLogin(u"TEST-MACHINE-0001"_qs);
        QTest::keyClicks(form->adi, u"demo i"_qs);
        // Letters outside ASCII arrive as key events carrying their text.
        QKeyEvent dotless(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, u"ı"_qs);
        QApplication::sendEvent(form->adi, &dotless);
        QCOMPARE(form->adi->text(), u"DEMO İI"_qs);
        QTest::keyClicks(form->sifre, u"abc"_qs);
        QCOMPARE(form->sifre->text(), u"ABC"_qs);
    }

    void settingsFile_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::newRow("no file") << QByteArray() << true << QString() << QString();
        QTest::newRow("remembered") << QByteArray("[kullanici]\r\nisim=DEMO\r\nsifre=1234\r\nhatırla=1\r\n") << true
                                    << u"DEMO"_qs << u"1234"_qs;
        QTest::newRow("not remembered") << QByteArray("[kullanici]\nisim=DEMO\nsifre=1234\nhatırla=0\n") << false
                                        << QString() << QString();
        QTest::newRow("missing key counts as ticked") << QByteArray("[kullanici]\nisim=DEMO\nsifre=1234\n") << true
                                                      << u"DEMO"_qs << u"1234"_qs;
        QTest::newRow("ansi file from an older client")
            << QByteArray("[KULLANICI]\r\nisim=\xDE\xDDR\xDDN\r\nsifre=\xD0\r\nhat\xFDrla=1\r\n") << true
            << u"ŞİRİN"_qs << u"Ğ"_qs;
        QTest::newRow("garbage") << QByteArray("\x00\x01\x02 = = [[[", 12) << true << QString() << QString();
    }
    void settingsFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, ticked);
        QFETCH(QString, name);
        QFETCH(QString, password);
        if (!content.isEmpty()) {
            QDir().mkpath(QFileInfo(iniPath()).absolutePath());
            QFile f(iniPath());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        auto form = openLogin(u"TEST-MACHINE-0001"_qs);
        QCOMPARE(form->benihatirla->isChecked(), ticked);
        QCOMPARE(form->adi->text(), name);
        QCOMPARE(form->sifre->text(), password);
        QCOMPARE(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : u"adi"_qs, u"adi"_qs);
    }

    void settingsRoundTripKeepsOtherLinesAndIsPrivate()
    {
        QDir().mkpath(QFileInfo(iniPath()).absolutePath());
        {
            QFile f(iniPath());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[genel]\r\ntema=koyu\r\n\r\n[kullanici]\r\nisim=ESKI\r\n");
        }
        AyarIni ini(iniPath());
        QVERIFY(ini.write({u"ÖZGÜR"_qs, u"ŞİFRE"_qs, false}));
        const LoginSettings back = ini.read();
        QCOMPARE(back.isim, u"ÖZGÜR"_qs);
        QCOMPARE(back.sifre, u"ŞİFRE"_qs);
        QCOMPARE(back.hatirla, false);

        QFile f(iniPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith("\xFF\xFE")); // UTF-16LE with a byte order mark: a Windows INI reader reads it
        const QString text = decodeIniBytes(bytes);
        QCOMPARE(text, u"[genel]\r\ntema=koyu\r\n\r\n[kullanici]\r\nisim=ÖZGÜR\r\nsifre=ŞİFRE\r\nhatırla=0\r\n"_qs);
        QCOMPARE(QFile::permissions(iniPath()) & (QFileDevice::ReadGroup | QFileDevice::ReadOther), QFileDevice::Permissions());
    }
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
