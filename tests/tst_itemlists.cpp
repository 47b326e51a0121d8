// The new-item and campaign tabs against the real server: a load on every show with its counted
// caption, one load at a time, the list by user type, the failed load that keeps the old rows, and
// the double click into the quantity dialog.
#include "app/tform1.h"
#include "app/velungrid.h"
#include "catalogue/itemlists.h"
#include "catalogue/tstokayarinti.h"
#include "platform/pause.h"
#include "server/dataset.h"
#include "server/displayformat.h"
#include "server/servermethods1client.h"
#include "app/velunstyle.h"
#include "tests/support/guitest.h"
#include "tests/support/testserver.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QApplication>
#include <QTest>

using namespace velun;

class TestItemLists : public QObject
{
    Q_OBJECT

    std::unique_ptr<test::TestServer> m_server;

    std::unique_ptr<TForm1> form(int type = 3, quint16 port = 0)
    {
        auto f = std::make_unique<TForm1>();
        f->bagc.Params.setValue(connparam::HostName, u"127.0.0.1"_qs);
        f->bagc.Params.setValue(connparam::Port, QString::number(port ? port : m_server->port()));
        f->sbilgi.Kopyala(test::loginRecord(*m_server));
        f->sbilgi.setMusteriTipi(type);
        f->applyCustomerType();
        f->resize(1344, 662);
        f->show();
        return f;
    }
    static QString caption(TForm1& f, QWidget* tab) { return f.sPageControl1->tabText(f.sPageControl1->indexOf(tab)); }
    static void waitForLoad(ItemListTab& tab) { QTRY_VERIFY_WITH_TIMEOUT(!tab.loading(), 20000); }
    static void showTab(TForm1& f, QWidget* tab, ItemListTab& list)
    {
        f.sPageControl1->setCurrentWidget(f.sstoklistesi);
        f.sPageControl1->setCurrentWidget(tab);
        waitForLoad(list);
    }
    static QList<int> stocknos(const MemDataset& d)
    {
        QList<int> out;
        const int c = d.columnIndex(u"STOK_STOKNO");
        for (int r = 0; c >= 0 && r < d.rowCount(); ++r)
            out << d.value(r, c).toInt();
        return out;
    }
    // What the server answers for the campaign list of the demo dealer under a user type.
    QList<int> serverCampaignList(int type)
    {
        ServerConnection c;
        c.Params.setValue(connparam::HostName, u"127.0.0.1"_qs);
        c.Params.setValue(connparam::Port, QString::number(m_server->port()));
        c.open();
        TableReader reader = TServerMethods1Client(c.dbxConnection()).KampanyaliVer(test::loginRecord(*m_server).CARINO(), type);
        c.close();
        MemDataset d;
        CopyReaderToDataset(reader, d);
        return stocknos(d);
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
        platform::setPauseFunction([](std::chrono::milliseconds) {});
        ApplyVelunStyle(*qApp); // as the program runs
        m_server = std::make_unique<test::TestServer>();
    }
    void cleanupTestCase()
    {
        platform::setPauseFunction({});
        m_server.reset();
    }

    void everyShowLoadsAndCountsTheCaption()
    {
        test::MessageDialogRecorder dialogs;
        auto f = form();
        const int before = m_server->dispatcher().calls(u"YenilerVer"_qs);
        showTab(*f, f->syeniler, *f->yeniStoklar);
        showTab(*f, f->syeniler, *f->yeniStoklar);
        QCOMPARE(m_server->dispatcher().calls(u"YenilerVer"_qs), before + 2);
        QVERIFY(f->YENILER.RecordCount() > 0);
        QCOMPARE(caption(*f, f->syeniler), QString::number(f->YENILER.RecordCount()) + u"=Yeni Stoklar"_qs);
        QVERIFY(f->yeniStoklar->cxGrid6->isEnabled());
        QCOMPARE(dialogs.count(), 0);

        showTab(*f, f->skampanyali, *f->kampanyaliStoklar);
        QVERIFY(f->kampstok.RecordCount() > 0);
        QCOMPARE(caption(*f, f->skampanyali), QString::number(f->kampstok.RecordCount()) + u"=Kampanyalı"_qs);
    }

    void anEmptyListCountsZero()
    {
        auto f = form();
        f->sbilgi.setCARINO(987654); // no such customer: the server has nothing to list for it
        showTab(*f, f->syeniler, *f->yeniStoklar);
        QCOMPARE(f->YENILER.RecordCount(), 0);
        QCOMPARE(caption(*f, f->syeniler), u"0=Yeni Stoklar"_qs);
    }

    void oneLoadAtATime()
    {
        auto f = form();
        m_server->faults().delayReplyMs = 300;
        const int before = m_server->dispatcher().calls(u"KampanyaliVer"_qs);
        f->kampanyaliStoklar->skampanyaliShow();
        QVERIFY(!f->kampanyaliStoklar->cxkampanyali->isEnabled());
        f->kampanyaliStoklar->skampanyaliShow(); // still loading: starts nothing
        waitForLoad(*f->kampanyaliStoklar);
        m_server->faults().delayReplyMs = 0;
        QCOMPARE(m_server->dispatcher().calls(u"KampanyaliVer"_qs), before + 1);
        QVERIFY(f->kampanyaliStoklar->cxkampanyali->isEnabled());
    }

    void campaignListFollowsTheUserType_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("sales representative") << 1;
        QTest::newRow("dealer") << 3;
    }
    void campaignListFollowsTheUserType()
    {
        QFETCH(int, type);
        auto f = form(type);
        showTab(*f, f->skampanyali, *f->kampanyaliStoklar);
        QCOMPARE(stocknos(f->kampstok), serverCampaignList(type)); // the user type went to the server
    }

    void usersOfOneCustomerSeeDifferentCampaigns()
    {
        const QList<int> representative = serverCampaignList(1);
        const QList<int> dealer = serverCampaignList(3);
        QVERIFY(!dealer.isEmpty());
        QVERIFY(representative.size() > dealer.size()); // the dealer is not offered what cannot be delivered
        for (int stokno : dealer)
            QVERIFY(representative.contains(stokno));
        QVERIFY(serverCampaignList(4).isEmpty());
    }

    void typeFourSeesNoCampaigns()
    {
        auto f = form(4);
        QVERIFY(!f->sPageControl1->isTabVisible(f->sPageControl1->indexOf(f->skampanyali)));
        VelunGrid* g = f->yeniStoklar->cxGrid6;
        QVERIFY(!g->isColumnVisible(u"K"));
        QVERIFY(!g->isColumnVisible(u"KAMPFIYAT"));
        auto dealer = form(3);
        QVERIFY(dealer->yeniStoklar->cxGrid6->isColumnVisible(u"K"));
        QVERIFY(dealer->yeniStoklar->cxGrid6->isColumnVisible(u"KAMPFIYAT"));
    }

    void representativesSeeStockFigures()
    {
        auto f = form(1);
        for (VelunGrid* g : {f->yeniStoklar->cxGrid6, f->kampanyaliStoklar->cxkampanyali})
            for (const char16_t* field : {u"KALAN", u"ALINANSIPARIS", u"VERILENSIPARIS"})
                QVERIFY2(g->isColumnVisible(QStringView(field)), qPrintable(g->objectName()));
        auto dealer = form(3);
        QVERIFY(!dealer->kampanyaliStoklar->cxkampanyali->isColumnVisible(u"KALAN"));
    }

    void failedLoadKeepsTheOldRows()
    {
        test::MessageDialogRecorder dialogs;
        auto f = form();
        showTab(*f, f->syeniler, *f->yeniStoklar);
        const QList<int> rows = stocknos(f->YENILER);
        const QString shown = caption(*f, f->syeniler);
        QVERIFY(!rows.isEmpty());
        f->bagc.Params.setValue(connparam::Port, QString::number(test::deadPort()));
        showTab(*f, f->syeniler, *f->yeniStoklar);
        QCOMPARE(dialogs.texts(), QStringList{u"Bağlantı Kurulamıyor Lütfen Tekrar Deneyin ...!"_qs});
        QCOMPARE(dialogs.last().kind, TMsgDlgType::mtError);
        QCOMPARE(stocknos(f->YENILER), rows);
        QCOMPARE(caption(*f, f->syeniler), shown);
        QVERIFY(f->yeniStoklar->cxGrid6->isEnabled());
        QCOMPARE(f->yeniStoklar->cxGrid6->rowCount(), rows.size());
    }

    void serverErrorKeepsTheOldRows()
    {
        test::MessageDialogRecorder dialogs;
        auto f = form();
        showTab(*f, f->skampanyali, *f->kampanyaliStoklar);
        const QList<int> rows = stocknos(f->kampstok);
        m_server->faults().errorNextCall = true;
        showTab(*f, f->skampanyali, *f->kampanyaliStoklar);
        QCOMPARE(dialogs.count(), 1);
        QCOMPARE(stocknos(f->kampstok), rows);
    }

    // The dispatch: a list row already in the basket changes that line, any other is added.
    void doubleClickAddsOrChanges()
    {
        auto f = form();
        showTab(*f, f->skampanyali, *f->kampanyaliStoklar);
        QVERIFY(f->kampstok.rowCount() >= 2);
        const int inBasket = f->kampstok.value(0, f->kampstok.columnIndex(u"STOK_STOKNO")).toInt();
        const int notInBasket = f->kampstok.value(1, f->kampstok.columnIndex(u"STOK_STOKNO")).toInt();
        f->sepet.setColumns({{u"SIRANO"_qs, FieldType::Int32}, {u"STOKNO"_qs, FieldType::Int32}});
        f->sepet.appendRow({77, inBasket});
        QList<int> added, changed;
        ItemListTab& list = *f->kampanyaliStoklar;
        list.openAdd = [&](int stokno) {
            added << stokno;
            QCOMPARE(f->kampstok.fieldByName(u"STOK_STOKNO").toInt(), stokno); // positioned for the add command
        };
        list.openChange = [&](int sirano) { changed << sirano; };
        VelunGrid* g = f->kampanyaliStoklar->cxkampanyali;
        g->setFocusedCell(0, u"ADI");
        f->kampanyaliStoklar->cxGridDBTableViewkampanyaliDblClick();
        g->setFocusedCell(1, u"ADI");
        f->kampanyaliStoklar->cxGridDBTableViewkampanyaliDblClick();
        QCOMPARE(changed, QList<int>{77});
        QCOMPARE(added, QList<int>{notInBasket});
    }

    void basketIsLoadedBeforeTheDispatch()
    {
        auto f = form();
        showTab(*f, f->syeniler, *f->yeniStoklar);
        QVERIFY(!f->sepet.active());
        int reloads = 0;
        f->yeniStoklar->reloadBasket = [&] {
            ++reloads;
            f->sepet.setColumns({{u"SIRANO"_qs, FieldType::Int32}, {u"STOKNO"_qs, FieldType::Int32}});
        };
        QList<int> added;
        f->yeniStoklar->openAdd = [&](int stokno) { added << stokno; };
        f->yeniStoklar->cxGrid6->setFocusedCell(0, u"ADI");
        f->yeniStoklar->cxGridDBTableView5DblClick();
        QCOMPARE(reloads, 1);
        QCOMPARE(added.size(), 1);
    }

    // A new item that is also on campaign opens the dialog with the campaign label and its rate.
    void newCampaignItemOpensWithTheCampaignLabel()
    {
        auto f = form();
        showTab(*f, f->syeniler, *f->yeniStoklar);
        MemDataset& y = f->YENILER;
        int row = -1;
        for (int r = 0; r < y.rowCount() && row < 0; ++r)
            if (y.value(r, y.columnIndex(u"K")).toInt() > 0)
                row = r;
        QVERIFY2(row >= 0, "the demo data has a new item on campaign");
        f->sepet.setColumns({{u"SIRANO"_qs, FieldType::Int32}, {u"STOKNO"_qs, FieldType::Int32}});
        QString label, rate;
        test::onNextModal([&](QWidget* w) {
            auto* d = qobject_cast<Tstokayarinti*>(w);
            QVERIFY(d);
            label = d->indirimoran->text();
            rate = d->indoran->text();
            d->reject();
        });
        f->yeniStoklar->cxGrid6->setFocusedCell(row, u"ADI");
        f->yeniStoklar->cxGridDBTableView5DblClick();
        QCOMPARE(label, u"Kampanyalı"_qs);
        QCOMPARE(rate, FormatFloat(kMoneyDisplayFormat, y.value(row, y.columnIndex(u"INDIRIM")).toDouble(), QLocale()));
    }

    void screenshots()
    {
        SetScreenWidthSource([] { return 1920; });
        auto f = form();
        f->writeHeader(f->sbilgi);
        f->YENILER.setLocale(QLocale(QLocale::Turkish, QLocale::Turkey));
        f->kampstok.setLocale(QLocale(QLocale::Turkish, QLocale::Turkey));
        showTab(*f, f->skampanyali, *f->kampanyaliStoklar);
        QVERIFY(!test::saveScreenshot(f.get(), u"campaign-list"_qs).isEmpty());
        showTab(*f, f->syeniler, *f->yeniStoklar);
        QVERIFY(!test::saveScreenshot(f.get(), u"new-items"_qs).isEmpty());
        SetScreenWidthSource(nullptr);
    }
};

QTEST_MAIN(TestItemLists)
#include "tst_itemlists.moc"
