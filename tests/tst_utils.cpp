// The shared helpers every window uses: the Turkish message dialog (real box and test hook), the URL
// and folder helpers, the default error handler, the connection-failure message, the artwork, the
// busy animation and the style "velun".

#include "app/artwork.h"
#include "app/busyindicator.h"
#include "app/utils.h"
#include "app/velunapplication.h"
#include "app/velunstyle.h"
#include "platform/pause.h"
#include "server/backgroundtask.h"
#include "server/connection.h"
#include "server/connectwithretry.h"
#include "server/errors.h"
#include "tests/support/guitest.h"
#include "tests/support/testserver.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <atomic>

using namespace velun;
using B = TMsgDlgBtn;
using K = TMsgDlgType;

Q_DECLARE_METATYPE(velun::TMsgDlgBtn)
Q_DECLARE_METATYPE(velun::TMsgDlgType)

namespace {

const QString kAppTitle = QStringLiteral("VELUN B2B Programı");
const QString kEscape = QStringLiteral("<Esc>");

const TMsgDlgButtons kEveryButton{B::mbClose,  B::mbHelp,  B::mbYesToAll, B::mbNoToAll, B::mbAll, B::mbIgnore,
                                  B::mbRetry, B::mbAbort, B::mbCancel,   B::mbOK,      B::mbNo,  B::mbYes};
const QStringList kEveryCaption{QStringLiteral("Evet"),   QStringLiteral("Hayır"),        QStringLiteral("Tamam"),
                                QStringLiteral("Vazgeç"), QStringLiteral("İptal"),        QStringLiteral("Tekrar"),
                                QStringLiteral("Atla"),   QStringLiteral("Tümü"),         QStringLiteral("Tümüne Hayır"),
                                QStringLiteral("Tümüne Evet"), QStringLiteral("Yardım"), QStringLiteral("Kapat")};

QString fileNameOf(QString tag)
{
    for (QChar& c : tag) {
        if (!c.isLetterOrNumber())
            c = u'_';
    }
    return tag;
}

// What the real box showed, read while it was open.
struct SeenBox
{
    bool seen = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList captions; // left to right
    QString focused;
    QString focusedAfterTab;
    int pointSize = 0;
    QPoint centreOffset;
};

QStringList captionsLeftToRight(QMessageBox* box)
{
    QList<QAbstractButton*> buttons = box->buttons();
    std::sort(buttons.begin(), buttons.end(), [box](QAbstractButton* a, QAbstractButton* b) {
        return a->mapTo(box, QPoint()).x() < b->mapTo(box, QPoint()).x();
    });
    QStringList captions;
    for (QAbstractButton* b : std::as_const(buttons))
        captions.push_back(b->text());
    return captions;
}

QString textOf(QWidget* w)
{
    auto* b = qobject_cast<QAbstractButton*>(w);
    return b ? b->text() : QString();
}

// Reads the box, then presses a button (or Escape) so that exec() returns whatever was seen.
void readAndPress(QWidget* w, SeenBox& seen, const QString& press, const QString& screenshot = {})
{
    auto* box = qobject_cast<QMessageBox*>(w);
    if (box) {
        seen.seen = true;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.captions = captionsLeftToRight(box);
        seen.focused = textOf(box->focusWidget());
        if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
            seen.pointSize = label->font().pointSize();
        // A box as wide as the screen is placed by the platform.
        const QScreen* screen = box->screen();
        if (screen && box->width() < screen->availableGeometry().width())
            seen.centreOffset = box->geometry().center() - screen->availableGeometry().center();
        if (!screenshot.isEmpty())
            test::saveScreenshot(box, screenshot);
        if (QWidget* focused = box->focusWidget()) {
            QTest::keyClick(focused, Qt::Key_Tab);
            seen.focusedAfterTab = textOf(box->focusWidget());
        }
    }
    if (press == kEscape || !box || !test::clickButton(w, press))
        QTest::keyClick(w, Qt::Key_Escape);
    // Whatever happened, the window under test must not stay open and block the test.
    if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible())
        dialog->done(QDialog::Rejected);
}

// An object whose handler of one event throws whatever it was told to.
class Thrower : public QObject
{
public:
    std::function<void()> action;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User) {
            action();
            return true;
        }
        return QObject::event(e);
    }
};

std::function<void()> throwing(const QString& kind, const QString& text)
{
    if (kind == u"VelunError")
        return [text] { throw VelunError(text); };
    if (kind == u"ServerError")
        return [text] { throw ServerError(QStringLiteral("EDatabaseError"), text); };
    if (kind == u"std::runtime_error")
        return [text] { throw std::runtime_error(text.toStdString()); };
    return [] { throw 42; };
}

QImage iconImage(const QIcon& icon, int side = 24)
{
    return icon.pixmap(QSize(side, side)).toImage().convertToFormat(QImage::Format_ARGB32);
}

double paintedShare(const QImage& image)
{
    qsizetype painted = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 0)
                ++painted;
        }
    }
    return double(painted) / double(image.width() * image.height());
}

bool near(QColor a, QColor b, int tolerance = 12)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

struct NamedIcon
{
    QString name;
    QIcon icon;
};

QList<NamedIcon> everyIcon()
{
    using artwork::ButtonIcon;
    using artwork::TabIcon;
    QList<NamedIcon> all;
    const QList<std::pair<TabIcon, QString>> tabs{
        {TabIcon::StokListesi, QStringLiteral("Stok Listesi")},   {TabIcon::Sepet, QStringLiteral("Sepet")},
        {TabIcon::OncekiSiparisler, QStringLiteral("Önceki Sip.")}, {TabIcon::CariEkstre, QStringLiteral("Cari Ekstre")},
        {TabIcon::YeniStoklar, QStringLiteral("Yeni Stoklar")},   {TabIcon::KampanyaliStoklar, QStringLiteral("Kampanyalı")},
        {TabIcon::Duyurular, QStringLiteral("Duyurular")},        {TabIcon::Bakiyeler, QStringLiteral("Bakiyeler")},
        {TabIcon::SanalPos, QStringLiteral("Sanal Pos")},         {TabIcon::Dosyalar, QStringLiteral("Dosyalar")}};
    for (const auto& [which, name] : tabs)
        all.push_back({name, artwork::tabIcon(which)});
    const QList<std::pair<ButtonIcon, QString>> buttons{
        {ButtonIcon::Search, QStringLiteral("Search")}, {ButtonIcon::Ara, QStringLiteral("Ara")},
        {ButtonIcon::Temizle, QStringLiteral("Temizle")}, {ButtonIcon::Menu, QStringLiteral("Menu")},
        {ButtonIcon::CariSec, QStringLiteral("CariSec")}, {ButtonIcon::Excel, QStringLiteral("Excel")},
        {ButtonIcon::Gonder, QStringLiteral("Gonder")},   {ButtonIcon::Sil, QStringLiteral("Sil")},
        {ButtonIcon::Kapat, QStringLiteral("Kapat")},     {ButtonIcon::Yenile, QStringLiteral("Yenile")}};
    for (const auto& [which, name] : buttons)
        all.push_back({name, artwork::buttonIcon(which)});
    const QStringList stockNames{QStringLiteral("0 Var"), QStringLiteral("1 Özel Sip."), QStringLiteral("2 Yolda"),
                                 QStringLiteral("3 -"),   QStringLiteral("4 Yok"),        QStringLiteral("5 Tedarik"),
                                 QStringLiteral("6 -"),   QStringLiteral("7 -"),          QStringLiteral("8 Telefon"),
                                 QStringLiteral("9 -")};
    for (int i = 0; i < 10; ++i)
        all.push_back({stockNames[i], artwork::stockIconAt(i)});
    all.push_back({QStringLiteral("Resim"), artwork::pictureIcon()});
    all.push_back({QStringLiteral("Evet"), artwork::yesNoIcon(true)});
    all.push_back({QStringLiteral("Hayır"), artwork::yesNoIcon(false)});
    return all;
}

} // namespace

class TstUtils : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void messageBox_data();
    void messageBox();
    void messageHook_data();
    void messageHook();
    void recorderAnswersInOrder();
    void workerMessageShownOnUiThread();
    void standardWarning();

    void urlEncode_data();
    void urlEncode();
    void dataFolderCreated();
    void findChromePath();

    void errorHandler_data();
    void errorHandler();
    void errorHandlerShowsRealBox();
    void connectionFailureMessage_data();
    void connectionFailureMessage();

    void stockStateIcons_data();
    void stockStateIcons();
    void everyIconDrawn();
    void loginArtwork();
    void busyIndicator();
    void styleLooks();

private:
    QList<SystemSound> m_sounds;
};

void TstUtils::initTestCase()
{
    QCOMPARE(QApplication::style()->objectName(), QString::fromLatin1(kVelunStyleName));
    setSystemSoundHook([this](SystemSound s) { m_sounds.push_back(s); });
    using namespace std::chrono_literals;
    platform::setPauseFunction([](std::chrono::milliseconds) {});
}

void TstUtils::cleanup()
{
    test::dropAllModalHandlers();
    m_sounds.clear();
}

void TstUtils::messageBox_data()
{
    QTest::addColumn<TMsgDlgType>("kind");
    QTest::addColumn<TMsgDlgButtons>("buttons");
    QTest::addColumn<TMsgDlgBtn>("defaultButton");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("sound"); // -1: none
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<TMsgDlgBtn>("shownDefault");
    QTest::addColumn<QString>("afterTab");
    QTest::addColumn<QString>("press");
    QTest::addColumn<TMsgDlgBtn>("answer");

    const QString ok = QStringLiteral("Tamam");
    const QString yes = QStringLiteral("Evet");
    const QString no = QStringLiteral("Hayır");
    QTest::newRow("warning, OK") << K::mtWarning << TMsgDlgButtons{B::mbOK} << B::mbOK << QStringLiteral("Uyarı")
                                 << int(QMessageBox::Warning) << int(SystemSound::Exclamation) << QStringList{ok}
                                 << B::mbOK << ok << ok << B::mbOK;
    QTest::newRow("error, OK") << K::mtError << TMsgDlgButtons{B::mbOK} << B::mbOK << QStringLiteral("Hata")
                               << int(QMessageBox::Critical) << int(SystemSound::Hand) << QStringList{ok} << B::mbOK
                               << ok << ok << B::mbOK;
    QTest::newRow("information, OK, Escape")
        << K::mtInformation << TMsgDlgButtons{B::mbOK} << B::mbOK << QStringLiteral("Bilgi")
        << int(QMessageBox::Information) << int(SystemSound::Asterisk) << QStringList{ok} << B::mbOK << ok << kEscape
        << B::mbOK;
    QTest::newRow("question, default Yes") << K::mtConfirmation << TMsgDlgButtons{B::mbYes, B::mbNo} << B::mbYes
                                           << QStringLiteral("Soru") << int(QMessageBox::Question)
                                           << int(SystemSound::Question) << QStringList{yes, no} << B::mbYes << no
                                           << yes << B::mbYes;
    QTest::newRow("question, default No, named in reverse")
        << K::mtConfirmation << TMsgDlgButtons{B::mbNo, B::mbYes} << B::mbNo << QStringLiteral("Soru")
        << int(QMessageBox::Question) << int(SystemSound::Question) << QStringList{yes, no} << B::mbNo << yes
        << yes << B::mbYes;
    QTest::newRow("question, Escape answers No")
        << K::mtConfirmation << TMsgDlgButtons{B::mbYes, B::mbNo} << B::mbYes << QStringLiteral("Soru")
        << int(QMessageBox::Question) << int(SystemSound::Question) << QStringList{yes, no} << B::mbYes << no
        << kEscape << B::mbNo;
    QTest::newRow("custom kind, every button in table order")
        << K::mtCustom << kEveryButton << B::mbRetry << kAppTitle << int(QMessageBox::NoIcon) << -1 << kEveryCaption
        << B::mbRetry << QStringLiteral("Evet") << QStringLiteral("Tümüne Evet") << B::mbYesToAll;
    QTest::newRow("Escape prefers Cancel") << K::mtWarning << TMsgDlgButtons{B::mbOK, B::mbCancel, B::mbNo} << B::mbOK
                                           << QStringLiteral("Uyarı") << int(QMessageBox::Warning)
                                           << int(SystemSound::Exclamation)
                                           << QStringList{no, ok, QStringLiteral("Vazgeç")} << B::mbOK
                                           << QStringLiteral("Hayır") << kEscape << B::mbCancel;
    QTest::newRow("default not shown falls back to the first button")
        << K::mtWarning << TMsgDlgButtons{B::mbOK, B::mbCancel} << B::mbYes << QStringLiteral("Uyarı")
        << int(QMessageBox::Warning) << int(SystemSound::Exclamation) << QStringList{ok, QStringLiteral("Vazgeç")}
        << B::mbOK << QStringLiteral("Vazgeç") << QStringLiteral("Vazgeç") << B::mbCancel;
    QTest::newRow("no buttons gets OK") << K::mtInformation << TMsgDlgButtons{} << B::mbYes << QStringLiteral("Bilgi")
                                        << int(QMessageBox::Information) << int(SystemSound::Asterisk)
                                        << QStringList{ok} << B::mbOK << ok << ok << B::mbOK;
    QTest::newRow("a button named twice is shown once")
        << K::mtConfirmation << TMsgDlgButtons{B::mbNo, B::mbYes, B::mbNo} << B::mbNo << QStringLiteral("Soru")
        << int(QMessageBox::Question) << int(SystemSound::Question) << QStringList{yes, no} << B::mbNo << yes << no
        << B::mbNo;
}

void TstUtils::messageBox()
{
    QFETCH(TMsgDlgType, kind);
    QFETCH(TMsgDlgButtons, buttons);
    QFETCH(TMsgDlgBtn, defaultButton);
    QFETCH(QString, caption);
    QFETCH(int, icon);
    QFETCH(int, sound);
    QFETCH(QStringList, captions);
    QFETCH(TMsgDlgBtn, shownDefault);
    QFETCH(QString, afterTab);
    QFETCH(QString, press);
    QFETCH(TMsgDlgBtn, answer);

    const QString text = QStringLiteral("Sepetteki satır silinsin mi ?");
    SeenBox seen;
    test::onNextModal([&](QWidget* w) {
        readAndPress(w, seen, press, QStringLiteral("messagebox_") + fileNameOf(QString::fromLatin1(QTest::currentDataTag())));
    });
    const TMsgDlgBtn pressed = ShowMessageDialog(text, kind, buttons, defaultButton);

    QVERIFY(seen.seen);
    QCOMPARE(pressed, answer);
    QCOMPARE(seen.title, caption);
    QCOMPARE(seen.text, text);
    QCOMPARE(int(seen.icon), icon);
    QCOMPARE(seen.captions, captions);
    QCOMPARE(seen.focused, MessageButtonCaption(shownDefault));
    QCOMPARE(seen.focusedAfterTab, afterTab);
    QCOMPARE(seen.pointSize, 15);
    QVERIFY2(seen.centreOffset.manhattanLength() <= 2,
             qPrintable(QStringLiteral("the box stands in the middle of the screen, off by %1,%2")
                            .arg(seen.centreOffset.x()).arg(seen.centreOffset.y())));
    if (sound < 0)
        QVERIFY(m_sounds.isEmpty());
    else
        QCOMPARE(m_sounds, QList<SystemSound>{SystemSound(sound)});
}

void TstUtils::messageHook_data()
{
    messageBox_data();
}

void TstUtils::messageHook()
{
    QFETCH(TMsgDlgType, kind);
    QFETCH(TMsgDlgButtons, buttons);
    QFETCH(TMsgDlgBtn, defaultButton);
    QFETCH(QString, caption);
    QFETCH(QStringList, captions);
    QFETCH(TMsgDlgBtn, shownDefault);

    test::MessageDialogRecorder recorder;
    const QString text = QStringLiteral("Kayıt değişti");
    // Unanswered, the recorder answers with the default the box would have focused.
    QCOMPARE(ShowMessageDialog(text, kind, buttons, defaultButton), shownDefault);
    QCOMPARE(recorder.count(), 1);
    const MessageDialogRequest r = recorder.last();
    QCOMPARE(r.text, text);
    QCOMPARE(r.kind, kind);
    QCOMPARE(r.caption, caption);
    QCOMPARE(r.buttonCaptions, captions);
    QCOMPARE(r.defaultButton, shownDefault);
    QCOMPARE(r.buttons.size(), captions.size());
    QVERIFY(!r.standardWarning);
    const QWidgetList windows = QApplication::topLevelWidgets();
    QVERIFY2(std::none_of(windows.cbegin(), windows.cend(), [](QWidget* w) { return qobject_cast<QMessageBox*>(w); }),
             "an answered request makes no window");
    QVERIFY2(m_sounds.isEmpty(), "nor plays a sound");
}

void TstUtils::recorderAnswersInOrder()
{
    const TMsgDlgButtons yesNo{B::mbYes, B::mbNo};
    {
        test::MessageDialogRecorder outer;
        outer.answerNext(B::mbNo);
        {
            test::MessageDialogRecorder inner;
            inner.answerNext(B::mbNo);
            inner.answerNext(B::mbYes);
            QCOMPARE(ShowMessageDialog(QStringLiteral("1"), K::mtConfirmation, yesNo, B::mbYes), B::mbNo);
            QCOMPARE(ShowMessageDialog(QStringLiteral("2"), K::mtConfirmation, yesNo, B::mbNo), B::mbYes);
            QCOMPARE(ShowMessageDialog(QStringLiteral("3"), K::mtConfirmation, yesNo, B::mbNo), B::mbNo);
            QCOMPARE(inner.texts(), (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
        }
        // The inner recorder gave the hook back to the outer one.
        QCOMPARE(ShowMessageDialog(QStringLiteral("4"), K::mtConfirmation, yesNo, B::mbYes), B::mbNo);
        QCOMPARE(outer.texts(), QStringList{QStringLiteral("4")});
    }
    // With no recorder left the real box comes again.
    bool shown = false;
    test::onNextModal([&](QWidget* w) {
        shown = true;
        test::clickButton(w, QStringLiteral("Evet"));
    });
    QCOMPARE(ShowMessageDialog(QStringLiteral("5"), K::mtConfirmation, yesNo, B::mbNo), B::mbYes);
    QVERIFY(shown);
}

void TstUtils::workerMessageShownOnUiThread()
{
    QThread* hookThread = nullptr;
    const MessageDialogHook previous = setMessageDialogHook([&](const MessageDialogRequest&) {
        hookThread = QThread::currentThread();
        return std::optional<TMsgDlgBtn>(B::mbNo);
    });
    std::atomic<int> answer{-1};
    QObject owner;
    RunTask(&owner, [&](TaskState&) {
        answer = int(ShowMessageDialog(QStringLiteral("İşçiden"), K::mtConfirmation, {B::mbYes, B::mbNo}, B::mbYes));
    });
    QVERIFY(QTest::qWaitFor([&] { return answer.load() >= 0; }, 20000));
    setMessageDialogHook(previous);
    QCOMPARE(TMsgDlgBtn(answer.load()), B::mbNo);
    QCOMPARE(hookThread, QCoreApplication::instance()->thread());
}

void TstUtils::standardWarning()
{
    const QString text = QStringLiteral("Lütfen kullanıcı adını giriniz !");
    {
        test::MessageDialogRecorder recorder;
        ShowStandardWarning(text);
        QCOMPARE(recorder.count(), 1);
        const MessageDialogRequest r = recorder.last();
        QVERIFY(r.standardWarning);
        QCOMPARE(r.text, text);
        QCOMPARE(r.kind, K::mtWarning);
        QCOMPARE(r.buttons, TMsgDlgButtons{B::mbOK});
        QCOMPARE(r.buttonCaptions, QStringList{QStringLiteral("Tamam")});
    }
    SeenBox seen;
    test::onNextModal([&](QWidget* w) { readAndPress(w, seen, QStringLiteral("Tamam"), QStringLiteral("standard_warning")); });
    ShowStandardWarning(text);
    QVERIFY(seen.seen);
    QCOMPARE(seen.text, text);
    QCOMPARE(seen.title, kAppTitle);
    QCOMPARE(seen.icon, QMessageBox::Warning);
    QCOMPARE(seen.captions, QStringList{QStringLiteral("Tamam")});
    QVERIFY2(seen.pointSize != 15, "the plain box keeps the platform's font");
    QVERIFY2(m_sounds.isEmpty(), "the caller plays the sound it wants");
}

void TstUtils::urlEncode_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("encoded");

    const QString plain = QStringLiteral("http://www.velun-demo.example/onlineodeme.aspx?carino=1042&tutar=150.25#ust");
    QTest::newRow("plain ASCII unchanged") << plain << plain;
    QTest::newRow("host only") << QStringLiteral("https://velun.example") << QStringLiteral("https://velun.example");
    QTest::newRow("port and user kept")
        << QStringLiteral("http://bayi@velun.example:8080/a b") << QStringLiteral("http://bayi@velun.example:8080/a%20b");
    QTest::newRow("blanks in path and query")
        << QStringLiteral("http://velun.example/dosya listesi/fiyat listesi.pdf?ad=ali veli")
        << QStringLiteral("http://velun.example/dosya%20listesi/fiyat%20listesi.pdf?ad=ali%20veli");
    QTest::newRow("Turkish letters in UTF-8")
        << QStringLiteral("http://velun.example/döküman/şartname.pdf?firma=ÇAĞRI IŞIK ğüİı")
        << QStringLiteral("http://velun.example/d%C3%B6k%C3%BCman/%C5%9Fartname.pdf"
                          "?firma=%C3%87A%C4%9ERI%20I%C5%9EIK%20%C4%9F%C3%BC%C4%B0%C4%B1");
    QTest::newRow("host with Turkish letters kept")
        << QStringLiteral("http://çarşı.example/ürün") << QStringLiteral("http://çarşı.example/%C3%BCr%C3%BCn");
    QTest::newRow("delimiters kept") << QStringLiteral("http://h.example/a;b=c/d,e?x=1&y=(2)+3*4!$'@:~/?z")
                                     << QStringLiteral("http://h.example/a;b=c/d,e?x=1&y=(2)+3*4!$'@:~/?z");
    QTest::newRow("unsafe ASCII encoded")
        << QStringLiteral("http://h.example/a\"b<c>d\\e^f`g{h|i}j[k]?q=%zz%4")
        << QStringLiteral("http://h.example/a%22b%3Cc%3Ed%5Ce%5Ef%60g%7Bh%7Ci%7Dj%5Bk%5D?q=%25zz%254");
    QTest::newRow("already encoded stays") << QStringLiteral("http://h.example/a%20b?x=%C5%9F")
                                           << QStringLiteral("http://h.example/a%20b?x=%C5%9F");
    QTest::newRow("second hash encoded") << QStringLiteral("http://h.example/a#b#c ç")
                                         << QStringLiteral("http://h.example/a#b%23c%20%C3%A7");
    QTest::newRow("no scheme") << QStringLiteral("www.velun.example/kampanya listesi")
                               << QStringLiteral("www.velun.example/kampanya%20listesi");
    QTest::newRow("scheme-like text in the query")
        << QStringLiteral("http://h.example/git?adres=http://x.example/a b")
        << QStringLiteral("http://h.example/git?adres=http://x.example/a%20b");
    QTest::newRow("empty") << QString() << QString();
}

void TstUtils::urlEncode()
{
    QFETCH(QString, url);
    QFETCH(QString, encoded);
    QCOMPARE(UrlEncode(url), encoded);
    QCOMPARE(UrlEncode(encoded), encoded); // encoding is stable
}

void TstUtils::dataFolderCreated()
{
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
    const QString config = home.filePath(QStringLiteral("ayarlar/config"));
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    const QString folder = DataFolder();
    qputenv("XDG_CONFIG_HOME", previous);

    QCOMPARE(folder, config + QStringLiteral("/VELUN"));
    const QFileInfo info(folder);
    QVERIFY(info.isDir());
    QCOMPARE(info.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
             QFile::Permissions());

    // An existing folder is used as it is, its files kept.
    QFile marker(folder + QStringLiteral("/ayar.ini"));
    QVERIFY(marker.open(QIODevice::WriteOnly));
    marker.close();
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    QCOMPARE(DataFolder(), folder);
    qputenv("XDG_CONFIG_HOME", previous);
    QVERIFY(marker.exists());
}

void TstUtils::findChromePath()
{
    const QString path = FindChromePath();
    if (path.isEmpty())
        return; // no browser on this machine
    QVERIFY2(QFileInfo(path).isFile(), qPrintable(path));
    const QStringList places{QStringLiteral("/usr/bin/google-chrome"),     QStringLiteral("/usr/bin/google-chrome-stable"),
                             QStringLiteral("/opt/google/chrome/chrome"),  QStringLiteral("/usr/bin/chromium"),
                             QStringLiteral("/usr/bin/chromium-browser"), QStringLiteral("/snap/bin/chromium")};
    QVERIFY(places.contains(path));
}

void TstUtils::errorHandler_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("shown");

    QTest::newRow("posted event, VelunError") << QStringLiteral("event") << QStringLiteral("VelunError")
                                              << QStringLiteral("Kayıt bulunamadı");
    QTest::newRow("timer, ServerError") << QStringLiteral("timer") << QStringLiteral("ServerError")
                                        << QStringLiteral("Tablo kilitli: SEPET");
    QTest::newRow("button click, std::runtime_error") << QStringLiteral("click") << QStringLiteral("std::runtime_error")
                                                      << QStringLiteral("Dosya yazılamadı: çıktı.xls");
    QTest::newRow("posted event, not an exception class")
        << QStringLiteral("event") << QStringLiteral("int") << VelunApplication::unknownErrorText();
}

void TstUtils::errorHandler()
{
    QFETCH(QString, trigger);
    QFETCH(QString, error);
    QFETCH(QString, shown);

    test::MessageDialogRecorder recorder;
    const std::function<void()> fail = throwing(error, shown);
    Thrower thrower;
    QPushButton button(QStringLiteral("Sil"));
    if (trigger == u"event") {
        thrower.action = fail;
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    } else if (trigger == u"timer") {
        QTimer::singleShot(0, &thrower, fail);
    } else {
        QObject::connect(&button, &QPushButton::clicked, &button, fail);
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        QTest::mouseClick(&button, Qt::LeftButton);
    }
    QVERIFY(recorder.waitForCount(1));
    const MessageDialogRequest r = recorder.last();
    QCOMPARE(r.text, shown);
    QCOMPARE(r.kind, K::mtError);
    QCOMPARE(r.caption, QStringLiteral("Hata"));
    QCOMPARE(r.buttons, TMsgDlgButtons{B::mbOK});
    QCOMPARE(r.defaultButton, B::mbOK);

    // The program goes on: the next events are delivered as usual.
    bool delivered = false;
    QTimer::singleShot(0, &thrower, [&] { delivered = true; });
    QVERIFY(QTest::qWaitFor([&] { return delivered; }));
    QCOMPARE(recorder.count(), 1);
}

void TstUtils::errorHandlerShowsRealBox()
{
    SeenBox seen;
    test::onNextModal([&](QWidget* w) { readAndPress(w, seen, QStringLiteral("Tamam"), QStringLiteral("error_handler_box")); });
    Thrower thrower;
    QTimer::singleShot(0, &thrower, [] { throw ConnectionError(QStringLiteral("Sunucuya ulaşılamıyor")); });
    QVERIFY(QTest::qWaitFor([&] { return seen.seen; }));
    QCOMPARE(seen.title, QStringLiteral("Hata"));
    QCOMPARE(seen.text, QStringLiteral("Sunucuya ulaşılamıyor"));
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QCOMPARE(seen.captions, QStringList{QStringLiteral("Tamam")});
    QVERIFY(QTest::qWaitFor([] { return QApplication::activeModalWidget() == nullptr; }));
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &timer, [&] { ++ticks; });
    timer.start(1);
    QVERIFY(QTest::qWaitFor([&] { return ticks >= 3; }));
}

void TstUtils::connectionFailureMessage_data()
{
    QTest::addColumn<bool>("reachable");
    QTest::addColumn<int>("showMessage");
    QTest::addColumn<bool>("fromWorker");
    QTest::addColumn<bool>("reported");

    QTest::newRow("unreachable, UI thread") << false << 1 << false << true;
    QTest::newRow("unreachable, worker") << false << 1 << true << true;
    QTest::newRow("unreachable, silent") << false << 0 << true << false;
    QTest::newRow("real server answers") << true << 1 << false << false;
}

void TstUtils::connectionFailureMessage()
{
    QFETCH(bool, reachable);
    QFETCH(int, showMessage);
    QFETCH(bool, fromWorker);
    QFETCH(bool, reported);

    std::unique_ptr<test::TestServer> server;
    quint16 port = 0;
    if (reachable) {
        server = std::make_unique<test::TestServer>(test::TestServerOptions{.demoItems = 10});
        port = server->port();
    } else {
        port = test::deadPort();
    }
    ServerConnection connection;
    connection.Params.setValue(connparam::HostName, QStringLiteral("127.0.0.1"));
    connection.Params.setValue(connparam::Port, QString::number(port));

    test::MessageDialogRecorder recorder;
    std::atomic<int> result{-1};
    if (fromWorker) {
        const std::shared_ptr<ServerConnection> clone = connection.clone();
        QObject owner;
        RunTask(&owner, [&, clone](TaskState&) { result = ConnectWithRetry(*clone, showMessage) ? 1 : 0; });
        QVERIFY(QTest::qWaitFor([&] { return result.load() >= 0; }, 60000));
    } else {
        result = ConnectWithRetry(connection, showMessage) ? 1 : 0;
    }
    QCOMPARE(result.load(), reachable ? 1 : 0);
    if (!reported) {
        QCOMPARE(recorder.count(), 0);
        return;
    }
    QCOMPARE(recorder.count(), 1);
    const MessageDialogRequest r = recorder.last();
    QCOMPARE(r.text, QStringLiteral("Bağlantı Kurulamıyor Lütfen Tekrar Deneyin ...!"));
    QCOMPARE(r.kind, K::mtError);
    QCOMPARE(r.buttons, TMsgDlgButtons{B::mbOK});
    QCOMPARE(r.defaultButton, B::mbOK);
}

void TstUtils::stockStateIcons_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("index");
    QTest::newRow("0 Yok") << 0 << 4;
    QTest::newRow("1 Var") << 1 << 0;
    QTest::newRow("2 Telefon Açınız") << 2 << 8;
    QTest::newRow("3 Yolda") << 3 << 2;
    QTest::newRow("4 Özel Sipariş") << 4 << 1;
    QTest::newRow("5 Tedarik Sürecinde") << 5 << 5;
    QTest::newRow("-1 none") << -1 << -1;
    QTest::newRow("6 none") << 6 << -1;
    QTest::newRow("99 none") << 99 << -1;
}

void TstUtils::stockStateIcons()
{
    QFETCH(int, state);
    QFETCH(int, index);
    QCOMPARE(artwork::stockStateIconIndex(state), index);
    const QIcon icon = artwork::stockStateIcon(state);
    if (index < 0) {
        QVERIFY(icon.isNull());
        return;
    }
    QCOMPARE(iconImage(icon), iconImage(artwork::stockIconAt(index)));
}

void TstUtils::everyIconDrawn()
{
    QVERIFY(artwork::stockIconAt(-1).isNull());
    QVERIFY(artwork::stockIconAt(10).isNull());

    const QList<NamedIcon> all = everyIcon();
    QList<QImage> seen;
    for (const NamedIcon& n : all) {
        QVERIFY2(!n.icon.isNull(), qPrintable(n.name));
        for (int side : {16, 24, 32}) {
            const QImage image = iconImage(n.icon, side);
            QCOMPARE(image.size(), QSize(side, side));
            QVERIFY2(paintedShare(image) > 0.15, qPrintable(n.name + QStringLiteral(" is drawn")));
        }
        const QImage image = iconImage(n.icon);
        QVERIFY2(!seen.contains(image), qPrintable(n.name + QStringLiteral(" has a picture of its own")));
        seen.push_back(image);
    }

    // The contact sheet: every icon at 16, 24 and 48 px with its name, on light and on white.
    constexpr int kCell = 120;
    constexpr int kColumns = 6;
    const int rows = int((all.size() + kColumns - 1) / kColumns);
    QImage sheet(kCell * kColumns, kCell * rows, QImage::Format_ARGB32);
    sheet.fill(QColor(0xF6, 0xF9, 0xFB));
    QPainter p(&sheet);
    p.setFont(VelunFont(11, false));
    for (int i = 0; i < all.size(); ++i) {
        const QRect cell((i % kColumns) * kCell, (i / kColumns) * kCell, kCell, kCell);
        p.fillRect(cell.adjusted(4, 4, -4, -4), Qt::white);
        p.drawPixmap(cell.left() + 10, cell.top() + 12, all[i].icon.pixmap(48, 48));
        p.drawPixmap(cell.left() + 66, cell.top() + 12, all[i].icon.pixmap(24, 24));
        p.drawPixmap(cell.left() + 96, cell.top() + 12, all[i].icon.pixmap(16, 16));
        p.setPen(QColor(0x43, 0x4C, 0x58));
        p.drawText(cell.adjusted(4, 70, -4, -4), Qt::AlignHCenter | Qt::AlignTop, all[i].name);
    }
    p.end();
    const QString path = test::artifactsDir() + QStringLiteral("/artwork_icons.png");
    QVERIFY(sheet.save(path));
}

void TstUtils::loginArtwork()
{
    QVERIFY(artwork::loginBackground(QSize()).isNull());
    const QPixmap background = artwork::loginBackground(QSize(368, 550));
    QCOMPARE(background.size(), QSize(368, 550));
    const QImage image = background.toImage();
    QVERIFY2(near(image.pixelColor(20, 20), QColor(0x4A, 0x54, 0x62), 16), "dark slate header");
    QVERIFY2(near(image.pixelColor(184, 330), Qt::white, 4), "white card behind the fields");
    QVERIFY2(near(image.pixelColor(10, 470), QColor(0xF6, 0xF9, 0xFB), 4), "light ground under the contact block");

    const QString contact = artwork::contactBlockHtml();
    for (const QString& part : {QStringLiteral("VELUN Otomotiv Yedek Parça A.Ş."), QStringLiteral("İSTANBUL"),
                                QStringLiteral("info@velun.example"), QStringLiteral("Tel: ")})
        QVERIFY2(contact.contains(part), qPrintable(part));

    // The login window's ground as the login lays it out: captions, edits and the contact block.
    QWidget window;
    window.setFixedSize(368, 550);
    auto* ground = new QLabel(&window);
    ground->setGeometry(0, 0, 368, 550);
    ground->setPixmap(background);
    auto* caption = new QLabel(QStringLiteral(" Kullanıcı Adı:"), &window);
    caption->setObjectName(QStringLiteral("loginCaption"));
    caption->setGeometry(44, 238, 280, 22);
    (new QLineEdit(&window))->setGeometry(44, 262, 280, 28);
    auto* caption2 = new QLabel(QStringLiteral(" Şifre:"), &window);
    caption2->setObjectName(QStringLiteral("loginCaption"));
    caption2->setGeometry(44, 300, 280, 22);
    (new QLineEdit(&window))->setGeometry(44, 324, 280, 28);
    (new QPushButton(QStringLiteral("Giriş"), &window))->setGeometry(44, 392, 130, 34);
    (new QPushButton(QStringLiteral("Vazgeç"), &window))->setGeometry(204, 392, 120, 34);
    auto* block = new QLabel(&window);
    block->setGeometry(24, 446, 320, 96);
    block->setTextFormat(Qt::RichText);
    block->setAlignment(Qt::AlignCenter);
    block->setWordWrap(true);
    block->setText(contact);
    window.setFont(VelunFont());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY2(block->heightForWidth(320) <= 96, qPrintable(QString::number(block->heightForWidth(320))));
    const QImage shot = window.grab().toImage();
    QVERIFY2(near(shot.pixelColor(46, 249), QColor(0xF2, 0x8C, 0x28)), "orange login caption");
    test::saveScreenshot(&window, QStringLiteral("login_artwork"));
}

void TstUtils::busyIndicator()
{
    QWidget host;
    auto* busy = new BusyIndicator(&host);
    busy->setGeometry(8, 8, 24, 24);
    host.resize(40, 40);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    QVERIFY(!busy->isVisible());
    QVERIFY(!busy->isRunning());

    busy->start();
    QVERIFY(busy->isVisible());
    QVERIFY(busy->isRunning());
    const QImage first = busy->grab().toImage();
    QVERIFY(paintedShare(first) > 0.1);
    QVERIFY2(QTest::qWaitFor([&] { return busy->grab().toImage() != first; }), "the spinner turns");
    test::saveScreenshot(busy, QStringLiteral("busy_indicator"));

    busy->stop();
    QVERIFY(!busy->isVisible());
    QVERIFY(!busy->isRunning());
    busy->start();
    busy->start();
    QVERIFY(busy->isRunning());
    busy->stop();
}

void TstUtils::styleLooks()
{
    QWidget window;
    window.setFont(VelunFont());
    auto* layout = new QVBoxLayout(&window);
    auto* header = new QWidget;
    header->setObjectName(QStringLiteral("velunHeader"));
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->addWidget(new QLabel(QStringLiteral("Kullanıcı: DEMO")));
    layout->addWidget(header);
    auto* bar = new QHBoxLayout;
    auto* edit = new QLineEdit;
    edit->setPlaceholderText(QStringLiteral("Stok kodu"));
    bar->addWidget(edit);
    auto* ara = new QPushButton(artwork::buttonIcon(artwork::ButtonIcon::Ara), QStringLiteral("Ara"));
    bar->addWidget(ara);
    auto* disabled = new QPushButton(QStringLiteral("Gönder"));
    disabled->setEnabled(false);
    bar->addWidget(disabled);
    layout->addLayout(bar);
    auto* tabs = new QTabWidget;
    tabs->setIconSize(QSize(32, 32));
    QStandardItemModel model(3, 3);
    model.setHorizontalHeaderLabels({QStringLiteral("Stok Kodu"), QStringLiteral("Stok Adı"), QStringLiteral("Fiyat")});
    auto* table = new QTableView;
    table->setModel(&model);
    table->setAlternatingRowColors(true);
    table->selectRow(1);
    tabs->addTab(table, artwork::tabIcon(artwork::TabIcon::StokListesi), QStringLiteral("Stok Listesi"));
    tabs->addTab(new QWidget, artwork::tabIcon(artwork::TabIcon::Sepet), QStringLiteral("12=Sepet"));
    layout->addWidget(tabs);
    window.resize(640, 360);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    edit->setFocus();
    test::saveScreenshot(&window, QStringLiteral("velun_style"));
    // The window's own font reaches controls put in through layouts.
    QVERIFY(ara->font().bold());
    QVERIFY(edit->font().bold());
    QVERIFY(header->findChild<QLabel*>()->font().bold());

    const QImage shot = window.grab().toImage();
    const QPoint inHeader = header->mapTo(&window, QPoint(header->width() - 4, header->height() / 2));
    QVERIFY2(near(shot.pixelColor(inHeader), QColor(0x43, 0x4C, 0x58)), "slate header");
    QTabBar* tabBar = tabs->tabBar();
    const QPoint selectedTab = tabBar->mapTo(&window, tabBar->tabRect(0).topLeft() + QPoint(6, 6));
    const QPoint otherTab = tabBar->mapTo(&window, tabBar->tabRect(1).topLeft() + QPoint(6, 6));
    QVERIFY2(near(shot.pixelColor(selectedTab), QColor(0xF2, 0x8C, 0x28)), "orange selected tab");
    QVERIFY2(near(shot.pixelColor(otherTab), QColor(0x43, 0x4C, 0x58)), "slate tab");
    QHeaderView* columns = table->horizontalHeader();
    const QPoint inColumnHeader = columns->mapTo(&window, QPoint(4, columns->height() / 2));
    QVERIFY2(near(shot.pixelColor(inColumnHeader), QColor(0x43, 0x4C, 0x58)), "slate column header");
    QCOMPARE(QApplication::palette().color(QPalette::Highlight), QColor(0xF2, 0x8C, 0x28));
    QVERIFY(QApplication::font().families().contains(QStringLiteral("DejaVu Sans")));
}

int main(int argc, char** argv)
{
    VelunApplication app(argc, argv);
    ApplyVelunStyle(app);
    QApplication::setApplicationDisplayName(kAppTitle);
    TstUtils tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_utils.moc"
