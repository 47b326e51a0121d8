// The main window against the real server: start-up with the login, the header, the user types,
// the close question, the search bar, the tabs, the legend and the general menu.
#include "app/artwork.h"
#include "app/busyindicator.h"
#include "app/tform1.h"
#include "app/utils.h"
#include "app/velunstyle.h"
#include "login/tgirisform.h"
#include "login/tkullanicikayit.h"
#include "platform/pause.h"
#include "platform/processend.h"
#include "server/backgroundtask.h"
#include "tests/support/guitest.h"
#include "tests/support/testserver.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

using namespace velun;

namespace {

void waitForIdleWorkers()
{
    // Processing events meanwhile: a worker may be waiting for the user-interface thread.
    QTRY_VERIFY_WITH_TIMEOUT(BackgroundThreadPool().activeThreadCount() == 0, 20000);
}

// Types text key by key; QTest's key clicks stop at Latin-1, Turkish letters are beyond it.
void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

QStringList tabCaptions(const QTabWidget* tabs)
{
    QStringList captions;
    for (int i = 0; i < tabs->count(); ++i)
        captions << tabs->tabText(i);
    return captions;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<test::TestServer> m_server;
    QTemporaryDir m_config;

    // A started window: the login answered with name and password, and start-up finished.
    std::unique_ptr<TForm1> loggedIn(const QString& machine, const QString& name, const QString& password)
    {
        qputenv("VELUN_MACHINE_ID", machine.toUtf8());
        auto form = std::make_unique<TForm1>();
        QSignalSpy started(form.get(), &TForm1::startupCompleted);
        test::onNextModal([name, password](QWidget* window) {
            auto* login = qobject_cast<Tgirisform*>(window);
            QVERIFY(login);
            login->adi->setText(name);
            login->sifre->setText(password);
            QTest::mouseClick(login->Button1, Qt::LeftButton);
        });
        form->FormCreate();
        if (!started.count())
            started.wait(20000);
        return form;
    }

private slots:
    void initTestCase()
    {
        ApplyVelunStyle(*qobject_cast<QApplication*>(QCoreApplication::instance()));
        QStandardPaths::setTestModeEnabled(true);
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
        platform::setPauseFunction([](std::chrono::milliseconds) {});
        m_server = std::make_unique<test::TestServer>();
        qputenv("VELUN_SERVER_HOST", "127.0.0.1");
        qputenv("VELUN_SERVER_PORT", QByteArray::number(m_server->port()));
        qputenv("VELUN_WEB_HOST", "velun-test.example");
        qputenv("VELUN_MACHINE_ID", "TEST-MACHINE-0001");
    }

    void cleanup() { waitForIdleWorkers(); }

    void startupLogsInAndFillsTheHeader_data()
    {
        QTest::addColumn<QString>("machine");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("firm");
        QTest::addColumn<QString>("rep");
        QTest::newRow("dealer")
            << QStringLiteral("TEST-MACHINE-0001") << QStringLiteral("DEMO") << 3
            << QStringLiteral("ÖZ KARDEŞLER OTO YEDEK PARÇA LTD. ŞTİ.")
            << QStringLiteral("AHMET YILMAZ Telefonu: 0532 410 12 34 email: ahmet.yilmaz@velun.example");
        QTest::newRow("dealer without campaigns")
            << QStringLiteral("DEMO-BAYI-PC") << QStringLiteral("BAYI") << 4
            << QStringLiteral("DOĞAN YEDEK PARÇA")
            << QStringLiteral("AYŞE ÇELİK Telefonu: 0533 520 23 45 email: ayse.celik@velun.example");
    }
    void startupLogsInAndFillsTheHeader()
    {
        QFETCH(QString, machine);
        QFETCH(QString, name);
        QFETCH(int, type);
        QFETCH(QString, firm);
        QFETCH(QString, rep);
        test::MessageDialogRecorder dialogs;
        test::EndProcessRecorder ends;
        std::unique_ptr<TForm1> form = loggedIn(machine, name, QStringLiteral("1234"));

        QVERIFY2(!ends.ended(), "a successful login must not end the process");
        QVERIFY2(dialogs.count() == 0, qPrintable(dialogs.texts().join(u'|')));
        QCOMPARE(form->sbilgi.ADI(), name);
        QCOMPARE(form->sbilgi.MusteriTipi(), type);
        QCOMPARE(form->sbilgi.BILGISAYARID(), machine);
        QCOMPARE(form->sbilgi.Disip(), QStringLiteral("127.0.0.1"));
        QCOMPARE(form->_acilisadet, 0);

        QCOMPARE(form->kullanicilbl->text(), name);
        QCOMPARE(form->cariadilbl->text(), firm);
        QCOMPARE(form->saticilbl->text(), rep);

        QCOMPARE(form->windowTitle(), QStringLiteral("VELUN B2B Programı"));
        QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("VELUN B2B Programı"));
        QCOMPARE(form->websitesi1->text(), QStringLiteral("www.velun-test.example"));
        QCOMPARE(form->bagc.Params.value(connparam::Port), QString::number(m_server->port()));
        QCOMPARE(form->bagc.Params.value(connparam::HostName), QStringLiteral("127.0.0.1"));
        QCOMPARE(form->customerTypeRules().musteriTipi, type);
        QCOMPARE(form->sPageControl1->isTabVisible(form->sPageControl1->indexOf(form->skampanyali)),
                 type != 4);
        QVERIFY(form->musteritus->isHidden());
    }

    void loginThatDoesNotSucceedEndsTheProcess_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("Vazgeç") << true;
        QTest::newRow("closed with OK but no server host") << false;
    }
    void loginThatDoesNotSucceedEndsTheProcess()
    {
        QFETCH(bool, cancel);
        test::MessageDialogRecorder dialogs;
        test::EndProcessRecorder ends;
        TForm1 form;
        QSignalSpy applied(&form, &TForm1::customerTypeApplied);
        QSignalSpy started(&form, &TForm1::startupCompleted);
        test::onNextModal([cancel](QWidget* window) {
            auto* login = qobject_cast<Tgirisform*>(window);
            QVERIFY(login);
            if (cancel) {
                QTest::mouseClick(login->Button2, Qt::LeftButton);
                login->reject(); // the intercepted end returns; the window must still go away
            } else {
                login->accept();
            }
        });
        form.FormCreate();

        QVERIFY(ends.ended());
        QCOMPARE(ends.codes().last(), 0);
        QCOMPARE(applied.count(), 0);
        QTest::qWait(50);
        QCOMPARE(started.count(), 0);
        QCOMPARE(form.kullanicilbl->text(), QString());
    }

    void customerTypeShapesTheWindow_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("customerButton");
        QTest::addColumn<bool>("campaignTab");
        QTest::newRow("sales representative") << 1 << true << true;
        QTest::newRow("manager") << 2 << true << true;
        QTest::newRow("dealer") << 3 << false << true;
        QTest::newRow("dealer without campaigns") << 4 << false << false;
        QTest::newRow("unknown type") << 7 << false << true;
    }
    void customerTypeShapesTheWindow()
    {
        QFETCH(int, type);
        QFETCH(bool, customerButton);
        QFETCH(bool, campaignTab);
        TForm1 form;
        QSignalSpy applied(&form, &TForm1::customerTypeApplied);
        form.sbilgi.setMusteriTipi(type);
        form.applyCustomerType();

        QCOMPARE(!form.musteritus->isHidden(), customerButton);
        QCOMPARE(form.sPageControl1->isTabVisible(form.sPageControl1->indexOf(form.skampanyali)),
                 campaignTab);
        QCOMPARE(applied.count(), 1);
        QCOMPARE(applied.first().first().value<CustomerTypeRules>().musteriTipi, type);
        // The other nine tabs stay.
        for (int i = 0; i < form.sPageControl1->count(); ++i) {
            if (form.sPageControl1->widget(i) != form.skampanyali)
                QVERIFY(form.sPageControl1->isTabVisible(i));
        }
    }

    void customerTypeColumnRules_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("grid");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("removed");
        const auto g = [](RuleGrid grid) { return static_cast<int>(grid); };
        const QStringList repStock{QStringLiteral("KALAN"), QStringLiteral("ISTANBULADET"),
                                   QStringLiteral("ANTEPADET"), QStringLiteral("ALINANSIPARIS"),
                                   QStringLiteral("VERILENSIPARIS")};
        const QStringList repLists{QStringLiteral("KALAN"), QStringLiteral("ALINANSIPARIS"),
                                   QStringLiteral("VERILENSIPARIS")};
        for (int type : {1, 2}) {
            QTest::addRow("type %d stock", type)
                << type << g(RuleGrid::StokListesi) << repStock << QStringList{};
            QTest::addRow("type %d basket", type)
                << type << g(RuleGrid::Sepet) << QStringList{QStringLiteral("KALAN")} << QStringList{};
            QTest::addRow("type %d new", type)
                << type << g(RuleGrid::YeniStoklar) << repLists << QStringList{};
            QTest::addRow("type %d campaign", type)
                << type << g(RuleGrid::KampanyaliStoklar) << repLists << QStringList{};
        }
        QTest::newRow("type 3 basket")
            << 3 << g(RuleGrid::Sepet) << QStringList{} << QStringList{QStringLiteral("DURUM")};
        QTest::newRow("type 3 stock") << 3 << g(RuleGrid::StokListesi) << QStringList{} << QStringList{};
        QTest::newRow("type 4 stock") << 4 << g(RuleGrid::StokListesi) << QStringList{}
                                      << QStringList{QStringLiteral("KAMPFIYAT"), QStringLiteral("K")};
        QTest::newRow("type 4 new") << 4 << g(RuleGrid::YeniStoklar) << QStringList{}
                                    << QStringList{QStringLiteral("K"), QStringLiteral("KAMPFIYAT")};
        QTest::newRow("type 4 basket") << 4 << g(RuleGrid::Sepet) << QStringList{} << QStringList{};
        QTest::newRow("type 0") << 0 << g(RuleGrid::StokListesi) << QStringList{} << QStringList{};
    }
    void customerTypeColumnRules()
    {
        QFETCH(int, type);
        QFETCH(int, grid);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, removed);
        const CustomerTypeRules rules = CustomerTypeRulesFor(type);
        const auto which = static_cast<RuleGrid>(grid);
        QCOMPARE(rules.columns(which).size(), shown.size() + removed.size());
        for (const QString& field : shown) {
            const ColumnRule* rule =
                rules.ruleFor(which, field.toLower()); // field names compare case-insensitively
            QVERIFY2(rule, qPrintable(field));
            QVERIFY(rule->visible && rule->customisable);
        }
        for (const QString& field : removed) {
            const ColumnRule* rule = rules.ruleFor(which, field);
            QVERIFY2(rule, qPrintable(field));
            QVERIFY(!rule->visible && !rule->customisable);
        }
        QVERIFY(!rules.ruleFor(which, QStringLiteral("BARKOD")));
    }

    void customerTypeColumnCaptions()
    {
        QCOMPARE(CustomerTypeRulesFor(1).ruleFor(RuleGrid::Sepet, u"KALAN")->caption,
                 QStringLiteral("Kalan"));
        QCOMPARE(CustomerTypeRulesFor(3).ruleFor(RuleGrid::Sepet, u"DURUM")->caption,
                 QStringLiteral("ISTANBUL"));
        QCOMPARE(CustomerTypeRulesFor(4).ruleFor(RuleGrid::YeniStoklar, u"KAMPFIYAT")->caption,
                 QStringLiteral("Kampanyalı Fiyatı"));
    }

    void closeQuestion_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("fromMenu");
        QTest::newRow("Hayır, close box") << false << false;
        QTest::newRow("Hayır, Çıkış") << false << true;
        QTest::newRow("Evet, close box") << true << false;
        QTest::newRow("Evet, Çıkış") << true << true;
    }
    void closeQuestion()
    {
        QFETCH(bool, yes);
        QFETCH(bool, fromMenu);
        test::MessageDialogRecorder dialogs;
        dialogs.answerNext(yes ? TMsgDlgBtn::mbYes : TMsgDlgBtn::mbNo);
        test::EndProcessRecorder ends;
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.sPageControl1->setCurrentWidget(form.sonceki);
        form.stok.setColumns({{QStringLiteral("ADI"), FieldType::Text}});
        form.stok.appendRow({QStringLiteral("FREN BALATASI")});
        form.araedit->setText(QStringLiteral("FREN"));

        if (fromMenu)
            form.G1->trigger();
        else
            form.close();

        QCOMPARE(dialogs.count(), 1);
        const MessageDialogRequest asked = dialogs.last();
        QCOMPARE(asked.text, QStringLiteral("Programdan Çıkmak İstiyor musunuz ?"));
        QCOMPARE(asked.kind, TMsgDlgType::mtConfirmation);
        QCOMPARE(asked.buttons, (TMsgDlgButtons{TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}));
        QCOMPARE(asked.defaultButton, TMsgDlgBtn::mbYes);
        QCOMPARE(ends.codes(), yes ? QList<int>{0} : QList<int>{});
        // On Hayır everything stays as it was (on Evet the process would already be gone).
        QVERIFY(form.isVisible());
        QCOMPARE(form.sPageControl1->currentWidget(), form.sonceki);
        QCOMPARE(form.stok.rowCount(), 1);
        QCOMPARE(form.araedit->text(), QStringLiteral("FREN"));
    }

    void searchButtonsWhileSearchRuns()
    {
        TForm1 form;
        QSignalSpy searches(&form, &TForm1::searchRequested);
        QSignalSpy cleared(&form, &TForm1::stockListCleared);
        form.stok.setColumns({{QStringLiteral("ADI"), FieldType::Text}});
        form.stok.appendRow({QStringLiteral("FREN BALATASI")});
        form.sPageControl1->setTabText(0, QStringLiteral("1=Stok Listesi"));
        form.sPageControl1->setCurrentWidget(form.ssepet);
        form.araedit->setText(QStringLiteral("FREN"));
        form.araedit->setEnabled(false);

        QTest::mouseClick(form.SpeedButton1, Qt::LeftButton);
        QTest::mouseClick(form.SpeedButton2, Qt::LeftButton);

        QCOMPARE(searches.count(), 0);
        QCOMPARE(cleared.count(), 0);
        QCOMPARE(form.stok.rowCount(), 1);
        QCOMPARE(form.sPageControl1->tabText(0), QStringLiteral("1=Stok Listesi"));
        QCOMPARE(form.sPageControl1->currentWidget(), form.ssepet);
        QCOMPARE(form.araedit->text(), QStringLiteral("FREN"));
    }

    void temizleEmptiesTheStockList_data()
    {
        QTest::addColumn<bool>("stockOpen");
        QTest::newRow("stock list open") << true;
        QTest::newRow("stock list never loaded") << false;
    }
    void temizleEmptiesTheStockList()
    {
        QFETCH(bool, stockOpen);
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QSignalSpy cleared(&form, &TForm1::stockListCleared);
        if (stockOpen) {
            form.stok.setColumns({{QStringLiteral("ADI"), FieldType::Text}});
            form.stok.appendRow({QStringLiteral("FREN BALATASI")});
        }
        form.sPageControl1->setTabText(0, QStringLiteral("1=Stok Listesi"));
        form.sPageControl1->setCurrentWidget(form.syeniler);
        form.araedit->setText(QStringLiteral("FREN"));
        form.SpeedButton2->setFocus();

        QTest::mouseClick(form.SpeedButton1, Qt::LeftButton);

        QCOMPARE(form.stok.rowCount(), 0);
        QCOMPARE(form.stok.active(), stockOpen);
        // A stock list that was never loaded keeps its caption.
        QCOMPARE(form.sPageControl1->tabText(0),
                 stockOpen ? QStringLiteral("Stok Listesi") : QStringLiteral("1=Stok Listesi"));
        QCOMPARE(form.sPageControl1->currentWidget(), form.sstoklistesi);
        QCOMPARE(cleared.count(), 1);
        QCOMPARE(form.araedit->text(), QString());
        QVERIFY(form.araedit->hasFocus());
    }

    void araActsAsEnter()
    {
        // Two letters: both ways reach the search, which only warns (no server call starts).
        test::MessageDialogRecorder dialogs;
        TForm1 form;
        QSignalSpy searches(&form, &TForm1::searchRequested);
        form.araedit->setText(QStringLiteral("FR"));
        QTest::mouseClick(form.SpeedButton2, Qt::LeftButton);
        QCOMPARE(searches.count(), 1);
        QTest::keyClick(form.araedit, Qt::Key_Return);
        QCOMPARE(searches.count(), 2);
        QCOMPARE(form.araedit->text(), QStringLiteral("FR"));
        QCOMPARE(dialogs.requests().size(), 2);
    }

    void searchBoxForcesUpperCase_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("latin") << QStringLiteral("fren balata") << QStringLiteral("FREN BALATA");
        QTest::newRow("dotted i") << QStringLiteral("istanbul") << QStringLiteral("İSTANBUL");
        QTest::newRow("dotless ı") << QStringLiteral("ırmak") << QStringLiteral("IRMAK");
        QTest::newRow("digits and marks") << QStringLiteral("6204-2rs") << QStringLiteral("6204-2RS");
    }
    void searchBoxForcesUpperCase()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        TForm1 form;
        typeText(form.araedit, typed);
        QCOMPARE(form.araedit->text(), shown);
        QCOMPARE(form.araedit->cursorPosition(), shown.size());
    }

    void tabsInOrder()
    {
        TForm1 form;
        QTabWidget* tabs = form.sPageControl1;
        QCOMPARE(tabCaptions(tabs),
                 (QStringList{QStringLiteral("Stok Listesi"), QStringLiteral("Sepet"),
                              QStringLiteral("Önceki Siparişler"), QStringLiteral("Cari Ekstre"),
                              QStringLiteral("Yeni Stoklar"), QStringLiteral("Kampanyalı Stoklar"),
                              QStringLiteral("Duyurular"), QStringLiteral("Bakiyeler"),
                              QStringLiteral("Sanal Pos"), QStringLiteral("Dosyalar")}));
        const QList<QWidget*> pages{
            form.sstoklistesi, form.ssepet,          form.sonceki,       form.sccariekstre, form.syeniler,
            form.skampanyali,  form.sTabSheetduyuru, form.sTabbakiyeler, form.skredikarti,  form.tabdosyalar};
        for (int i = 0; i < pages.size(); ++i) {
            QCOMPARE(tabs->widget(i), pages[i]);
            QVERIFY(!tabs->tabIcon(i).isNull());
            const QRect r = tabs->tabBar()->tabRect(i);
            QVERIFY2(r.height() >= 45 && r.width() >= 110, qPrintable(tabs->tabText(i)));
        }
        QCOMPARE(tabs->currentIndex(), 0);
    }

    void tabShowAndHideHooks()
    {
        TForm1 form;
        QStringList calls;
        form.setShowHook(form.sstoklistesi, [&] { calls << QStringLiteral("stok+"); });
        form.setHideHook(form.sstoklistesi, [&] { calls << QStringLiteral("stok-"); });
        form.setShowHook(form.sTabbakiyeler, [&] { calls << QStringLiteral("bakiye+"); });
        form.setHideHook(form.sTabbakiyeler, [&] { calls << QStringLiteral("bakiye-"); });
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.sPageControl1->setCurrentWidget(form.sTabbakiyeler);
        form.sPageControl1->setCurrentWidget(form.sonceki);
        form.hide();
        form.show(); // showing the window again does not show the tab again
        QCOMPARE(calls, (QStringList{QStringLiteral("stok+"), QStringLiteral("stok-"),
                                     QStringLiteral("bakiye+"), QStringLiteral("bakiye-")}));
    }

    void searchBarAtStart()
    {
        TForm1 form;
        QCOMPARE(form.SpeedButton2->toolTip(), QStringLiteral("Ara"));
        QCOMPARE(form.SpeedButton1->toolTip(), QStringLiteral("Temizle"));
        QCOMPARE(form.musteritus->text(), QStringLiteral("Başka Cari Seç"));
        QVERIFY(form.musteritus->isHidden());
        QVERIFY(form.kurlabel->isHidden());
        for (BusyIndicator* busy : {form.gifstokara, form.gifyeniler, form.gifkampanyali, form.gifduyuru,
                                    form.gifoncekiler, form.gifekstre, form.gifdosyalar, form.gifsanalpos})
            QVERIFY2(busy->isHidden(), qPrintable(busy->objectName()));
        QCOMPARE(form.araedit->width(), 340);
        QCOMPARE(form.araedit->font().pixelSize(), 20);
        QCOMPARE(form.font().pixelSize(), 13);
        QVERIFY(form.font().bold());
    }

    void legendShowsTheStockStates()
    {
        TForm1 form;
        const QList<QLabel*> labels =
            form.durumPanel->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
        QStringList texts;
        QList<QImage> icons;
        for (QLabel* label : labels) {
            if (!label->pixmap().isNull())
                icons << label->pixmap().toImage();
            else
                texts << label->text();
        }
        QCOMPARE(texts, (QStringList{QStringLiteral("Durum Açıklaması:    "),
                                     QStringLiteral(" Stok mevcut  "), QStringLiteral(" Telefon Açınız  "),
                                     QStringLiteral(" Yolda  "), QStringLiteral(" Tedarik Sürecinde "),
                                     QStringLiteral(" Özel Sipariş  "), QStringLiteral(" Yok  ")}));
        const QList<int> expected{0, 8, 2, 5, 1, 4};
        QCOMPARE(icons.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(icons[i], artwork::stockIconAt(expected[i]).pixmap(24, 24).toImage());
    }

    void generalMenu()
    {
        TForm1 form;
        QStringList items;
        for (QAction* action : form.Genelmenu->actions())
            items << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(items, (QStringList{QStringLiteral("Mail Gönder"), QStringLiteral("-"),
                                     QStringLiteral("Şifre Değiştirme İsteği"), QStringLiteral("-"),
                                     QStringLiteral("www."), QStringLiteral("-"), QStringLiteral("Çıkış")}));
        QCOMPARE(form.genelbuton->menu(), form.Genelmenu);
        QCOMPARE(form.genelbuton->popupMode(), QToolButton::MenuButtonPopup);
    }

    void websiteOpensTheDistributorsPage()
    {
        QList<QUrl> opened;
        const TForm1::UrlOpener previous = TForm1::setUrlOpener([&](const QUrl& url) {
            opened << url;
            return true;
        });
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.araedit->setText(QStringLiteral("FREN"));
        form.SpeedButton1->setFocus();
        form.websitesi1->trigger();
        TForm1::setUrlOpener(previous);

        QCOMPARE(opened, QList<QUrl>{QUrl(QStringLiteral("http://www.velun-test.example/"))});
        QCOMPARE(form.araedit->selectedText(), QStringLiteral("FREN"));
        QVERIFY(form.araedit->hasFocus());
    }

    void menuWindows_data()
    {
        QTest::addColumn<bool>("mail");
        QTest::addColumn<QString>("title");
        QTest::newRow("Mail Gönder") << true << QStringLiteral("Mail Gönder");
        QTest::newRow("Şifre Değiştirme İsteği") << false << QStringLiteral("Şifre Değiştirme İsteği");
    }
    void menuWindows()
    {
        QFETCH(bool, mail);
        QFETCH(QString, title);
        TForm1 form;
        form.sbilgi.setADI(QStringLiteral("DEMO"));
        QString seenTitle;
        QWidget* seenParent = nullptr;
        test::onNextModal([&](QWidget* window) {
            auto* dialog = qobject_cast<QDialog*>(window);
            QVERIFY(dialog);
            seenTitle = dialog->windowTitle();
            seenParent = dialog->parentWidget();
            if (!mail)
                QVERIFY(qobject_cast<Tkullanicikayit*>(dialog));
            dialog->reject();
        });
        (mail ? form.M1 : form.N4)->trigger();
        QCOMPARE(seenTitle, title);
        QCOMPARE(seenParent, &form);
    }

    void headerStepWaitsForTheUserInterfaceThread()
    {
        TForm1 form;
        StartupTaskContext context;
        context.form = &form;
        context.bilgi.setADI(QStringLiteral("DEMO"));
        context.bilgi.setCariAdi(QStringLiteral("ÖZ KARDEŞLER"));
        context.bilgi.setSaticiAdi(QStringLiteral("AHMET YILMAZ"));
        bool done = false;
        RunTask(
            &form, [&](TaskState&) { TForm1::AnaBilgiAl(context); }, [&](TaskState&) { done = true; });
        QTRY_VERIFY(done);
        QCOMPARE(form.kullanicilbl->text(), QStringLiteral("DEMO"));
        QCOMPARE(form.cariadilbl->text(), QStringLiteral("ÖZ KARDEŞLER"));
        QCOMPARE(form.saticilbl->text(), QStringLiteral("AHMET YILMAZ Telefonu:  email: "));

        // A window closed before the step runs is left alone.
        auto gone = std::make_unique<TForm1>();
        StartupTaskContext late;
        late.form = gone.get();
        gone.reset();
        TForm1::AnaBilgiAl(late);
        QVERIFY(!late.form);
    }

    void screenshot()
    {
        TForm1 form;
        form.sbilgi.setADI(QStringLiteral("TEMSILCI"));
        form.sbilgi.setCariAdi(QStringLiteral("ÖZ KARDEŞLER OTO YEDEK PARÇA LTD. ŞTİ."));
        form.sbilgi.setSaticiAdi(QStringLiteral("AHMET YILMAZ"));
        form.sbilgi.setSaticiTelefon(QStringLiteral("0532 410 12 34"));
        form.sbilgi.setSaticiMail(QStringLiteral("ahmet.yilmaz@velun.example"));
        form.sbilgi.setMusteriTipi(1);
        form.writeHeader(form.sbilgi);
        form.applyCustomerType();
        form.websitesi1->setText(QStringLiteral("www.velun-test.example"));
        form.resize(1344, 662);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(!test::saveScreenshot(&form, QStringLiteral("mainwindow")).isEmpty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
