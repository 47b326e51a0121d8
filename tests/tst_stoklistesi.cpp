// The catalogue tab: search box rules, the background search against the real server, the
// wide / narrow layout, the price-information cell and the double-click dispatch.
#include "app/busyindicator.h"
#include "app/tform1.h"
#include "app/velungrid.h"
#include "catalogue/stoklistesi.h"
#include "platform/pause.h"
#include "server/dataset.h"
#include "server/servermethods1client.h"
#include "app/velunstyle.h"
#include "tests/support/guitest.h"
#include "tests/support/testserver.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

using namespace velun;

namespace {

void typeText(QLineEdit* edit, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
    }
}

QString caption(TForm1& form)
{
    return form.sPageControl1->tabText(form.sPageControl1->indexOf(form.sstoklistesi));
}

void fillStock(MemDataset& stok, const QList<QVariantList>& rows)
{
    stok.setColumns({{u"STOK_STOKNO"_qs, FieldType::Int32},
                     {u"LISTEFIYAT1"_qs, FieldType::Double},
                     {u"KAMPFIYAT"_qs, FieldType::Double},
                     {u"INDIRIM"_qs, FieldType::Double},
                     {u"NETFIYAT"_qs, FieldType::Double},
                     {u"KDVDAHIL"_qs, FieldType::Double}});
    stok.setLocale(QLocale(QLocale::Turkish, QLocale::Turkey));
    for (const QVariantList& r : rows)
        stok.appendRow(Row(r.begin(), r.end()));
}

} // namespace

class TestStokListesi : public QObject
{
    Q_OBJECT

    std::unique_ptr<test::TestServer> m_server;

    std::unique_ptr<TForm1> form(quint16 port, int type = 3)
    {
        auto f = std::make_unique<TForm1>();
        f->bagc.Params.setValue(connparam::HostName, u"127.0.0.1"_qs);
        f->bagc.Params.setValue(connparam::Port, QString::number(port));
        f->sbilgi.Kopyala(test::loginRecord(*m_server));
        f->sbilgi.setMusteriTipi(type);
        f->applyCustomerType();
        f->resize(1344, 662);
        f->show();
        return f;
    }
    void search(TForm1& f, const QString& text)
    {
        f.araedit->setText(text);
        QTest::keyClick(f.araedit, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(!f.stokListesi->searching(), 20000);
    }

private slots:
    void initTestCase()
    {
        platform::setPauseFunction([](std::chrono::milliseconds) {});
        ApplyVelunStyle(*qApp); // as the program runs
        m_server = std::make_unique<test::TestServer>();
    }
    void cleanupTestCase()
    {
        platform::setPauseFunction({});
        m_server.reset();
    }

    void turkishLettersBecomePlain()
    {
        auto f = form(m_server->port());
        typeText(f->araedit, u"şığüöç ŞİĞÜÖÇ"_qs);
        QCOMPARE(f->araedit->text(), u"SIGUOC SIGUOC"_qs);
    }

    void tooShortTextWarnsAndStartsNothing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("two letters") << u"FR"_qs;
        QTest::newRow("two letters in blanks") << u"  FR  "_qs;
    }
    void tooShortTextWarnsAndStartsNothing()
    {
        QFETCH(QString, text);
        test::MessageDialogRecorder dialogs;
        auto f = form(m_server->port());
        f->sPageControl1->setCurrentIndex(3);
        f->araedit->setText(text);
        QTest::keyClick(f->araedit, Qt::Key_Return);
        QCOMPARE(dialogs.texts(), QStringList{u"Lütfen en az 3 harf giriniz !"_qs});
        QCOMPARE(f->sPageControl1->currentWidget(), f->sstoklistesi);
        QVERIFY(!f->stokListesi->searching());
        QVERIFY(f->araedit->isEnabled());
    }

    void searchFillsTheListAndCountsTheCaption()
    {
        test::MessageDialogRecorder dialogs;
        auto f = form(m_server->port());
        search(*f, u" FREN "_qs); // blanks pass: the length test trims, the server gets the text as typed
        QVERIFY2(dialogs.texts().isEmpty(), qPrintable(dialogs.texts().join(u'|')));
        QVERIFY(f->stok.RecordCount() > 0);
        QCOMPARE(caption(*f), QString::number(f->stok.RecordCount()) + u"=Stok Listesi"_qs);
        QVERIFY(f->araedit->isEnabled());
        QCOMPARE(f->araedit->selectedText(), f->araedit->text());
        QVERIFY(!f->gifstokara->isRunning());
        QCOMPARE(f->stokListesi->cxGrid1->rowCount(), f->stok.RecordCount());
    }

    void unreachableServerEmptiesTheList()
    {
        test::MessageDialogRecorder dialogs;
        auto f = form(m_server->port());
        search(*f, u"FREN"_qs);
        QVERIFY(f->stok.RecordCount() > 0);
        f->bagc.Params.setValue(connparam::Port, QString::number(test::deadPort()));
        search(*f, u"FREN"_qs);
        QCOMPARE(dialogs.texts(), QStringList{u"Bağlantı Kurulamıyor Lütfen Tekrar Deneyin ...!"_qs});
        QCOMPARE(f->stok.RecordCount(), 0);
        QCOMPARE(caption(*f), u"Stok Listesi"_qs);
        QVERIFY(f->araedit->isEnabled());
    }

    void layoutFollowsTheWindowWidth_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("wide");
        QTest::newRow("1152 is narrow") << 1152 << 3 << false;
        QTest::newRow("1153 is wide") << 1153 << 3 << true;
        QTest::newRow("wide, type 4") << 1300 << 4 << true;
    }
    void layoutFollowsTheWindowWidth()
    {
        QFETCH(int, width);
        QFETCH(int, type);
        QFETCH(bool, wide);
        auto f = form(m_server->port(), type);
        f->resize(width, 662);
        f->stokListesi->StokGridLayout();
        VelunGrid* g = f->stokListesi->cxGrid1;
        QCOMPARE(g->rowHeight(), wide ? 60 : 100);
        QCOMPARE(g->isColumnVisible(u"Fiyat Bilgisi"), !wide);
        QCOMPARE(g->isColumnVisible(u"NETFIYAT"), wide);
        QCOMPARE(g->isColumnVisible(u"KAMPFIYAT"), wide && type != 4);
        QCOMPARE(g->isColumnVisible(u"K"), type != 4);
    }

    void screenshots_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("name");
        QTest::newRow("wide") << 1344 << u"stock-list-wide"_qs;
        QTest::newRow("narrow") << 1100 << u"stock-list-narrow"_qs;
    }
    void screenshots()
    {
        QFETCH(int, width);
        QFETCH(QString, name);
        auto f = form(m_server->port());
        f->writeHeader(f->sbilgi);
        f->stok.setLocale(QLocale(QLocale::Turkish, QLocale::Turkey));
        f->resize(width, 700);
        search(*f, u"FREN"_qs);
        QVERIFY(f->stok.RecordCount() > 0);
        QVERIFY(!test::saveScreenshot(f.get(), name).isEmpty());
    }

    void priceInformationCell_data()
    {
        QTest::addColumn<QVariantList>("row");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain item: three lines")
            << QVariantList{1, 100.0, 0.0, 0.0, 100.0, 120.0}
            << u"Liste Fiyatı: 100,00\nNetFiyat: 100,00\nKDV li Fiyat: 120,00\n"_qs;
        QTest::newRow("campaign and discount")
            << QVariantList{2, 1850.4, 1599.9, 10.0, 1439.91, 1727.89}
            << u"Liste Fiyatı: 1.850,40\nKampanyalı Fiyat: 1.599,90\nİskonto %: 10,00\nNetFiyat: 1.439,91\nKDV li Fiyat: 1.727,89\n"_qs;
    }
    void priceInformationCell()
    {
        QFETCH(QVariantList, row);
        QFETCH(QString, text);
        MemDataset stok;
        fillStock(stok, {row});
        QCOMPARE(TStokListesi::FiyatBilgisi(stok, 0), text);
    }

    void doubleClickAddsOrChanges()
    {
        auto f = form(m_server->port());
        fillStock(f->stok, {{7, 1.0, 0.0, 0.0, 1.0, 1.2}, {8, 2.0, 0.0, 0.0, 2.0, 2.4}});
        f->sepet.setColumns({{u"SIRANO"_qs, FieldType::Int32}, {u"STOKNO"_qs, FieldType::Int32}});
        f->sepet.appendRow({55, 8});
        QList<int> added, changed;
        f->stokListesi->openAdd = [&](int stokno) { added << stokno; };
        f->stokListesi->openChange = [&](int sirano) { changed << sirano; };
        VelunGrid* g = f->stokListesi->cxGrid1;
        g->setFocusedCell(0, u"ADI");
        f->stokListesi->cxGrid1DBTableView1DblClick();
        g->setFocusedCell(1, u"ADI");
        f->stokListesi->cxGrid1DBTableView1DblClick();
        QCOMPARE(added, QList<int>{7});
        QCOMPARE(changed, QList<int>{55}); // already in the basket: its line is changed, not added twice
    }

    void contextMenuOpensTheOrderWindows()
    {
        auto f = form(m_server->port());
        TStokListesi& list = *f->stokListesi;
        emit list.popstok->aboutToShow();
        QVERIFY(!list.B1->isEnabled()); // nothing to open yet
        QVERIFY(!list.s3->isEnabled());
        QList<int> orders;
        int backorders = 0;
        list.openOrders = [&](int stokno) { orders << stokno; };
        list.openBackorders = [&] { ++backorders; };
        emit list.popstok->aboutToShow();
        QVERIFY(list.B1->isEnabled());
        QVERIFY(list.s3->isEnabled());
        fillStock(f->stok, {{7, 1.0, 0.0, 0.0, 1.0, 1.2}, {8, 2.0, 0.0, 0.0, 2.0, 2.4}});
        list.s3->trigger(); // no focused row: nothing
        QVERIFY(orders.isEmpty());
        list.cxGrid1->setFocusedCell(1, u"ADI");
        list.s3->trigger();
        list.B1->trigger();
        QCOMPARE(orders, QList<int>{8});
        QCOMPARE(backorders, 1);
    }
};

QTEST_MAIN(TestStokListesi)
#include "tst_stoklistesi.moc"
