// The basket tab and the order form against the real server: reload and caption, the selection
// mark sent at once, deletes with their questions, the four send checks in order, and a sent order
// that lands in the server's store.
#include "app/tform1.h"
#include "app/velungrid.h"
#include "catalogue/siparisformu.h"
#include "catalogue/tonaysip.h"
#include "catalogue/tsepet.h"
#include "platform/pause.h"
#include "server/dataset.h"
#include "server/displayformat.h"
#include "server/servermethods1client.h"
#include "app/velunstyle.h"
#include "tests/support/guitest.h"
#include "tests/support/testserver.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSqlQuery>
#include <QTabWidget>
#include <QApplication>
#include <QTest>

using namespace velun;

class TestSepet : public QObject
{
    Q_OBJECT

    std::unique_ptr<test::TestServer> m_server;

    std::unique_ptr<TForm1> form()
    {
        auto f = std::make_unique<TForm1>();
        f->bagc.Params.setValue(connparam::HostName, u"127.0.0.1"_qs);
        f->bagc.Params.setValue(connparam::Port, QString::number(m_server->port()));
        f->sbilgi.Kopyala(test::loginRecord(*m_server));
        f->sepet.setLocale(QLocale(QLocale::Turkish, QLocale::Turkey));
        f->applyCustomerType();
        f->show();
        return f;
    }
    int storeCount(const QString& sql)
    {
        QSqlDatabase db = m_server->database().connection();
        QSqlQuery q(db);
        q.exec(sql);
        return q.next() ? q.value(0).toInt() : -1;
    }
    QString caption(TForm1& f) { return f.sPageControl1->tabText(f.sPageControl1->indexOf(f.ssepet)); }

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

    void showingTheTabLoadsBasketTotalsAndChoices()
    {
        auto f = form();
        f->sPageControl1->setCurrentWidget(f->ssepet);
        TSepet& s = *f->sepetSekmesi;
        QVERIFY(f->sepet.active());
        QCOMPARE(caption(*f), QString::number(f->sepet.RecordCount()) + u"=Sepet"_qs);
        const BasketTotals t = ComputeBasketTotals(f->sepet);
        QCOMPARE(s.geneltoplaml->text(), FormatFloat(kMoneyDisplayFormat, t.grand, f->sepet.locale()));
        // Delivery options with the second preselected; no cargo kind yet.
        TSiparisFormu& o = *s.siparisFormu;
        QVERIFY(o.teslimSecenekleri->buttons().size() >= 1);
        QVERIFY(o.teslimSecenekleri->checkedButton());
        QVERIFY(!o.kargoTurleri->checkedButton());
    }

    void sendChecksInOrder()
    {
        test::MessageDialogRecorder dialogs;
        auto f = form();
        f->sPageControl1->setCurrentWidget(f->ssepet);
        TSepet& s = *f->sepetSekmesi;
        TSiparisFormu& o = *s.siparisFormu;
        s.Button5Click(); // nothing selected
        o.Button1Click();
        QCOMPARE(dialogs.texts().last(), u"Gönderilecek Parça Yok "_qs);
        QCOMPARE(s.geneltoplaml->text(), u"0,00"_qs);
        s.Button4Click();
        o.teslimSecenekleri->setExclusive(false);
        for (QAbstractButton* b : o.teslimSecenekleri->buttons())
            b->setChecked(false);
        o.teslimSecenekleri->setExclusive(true);
        o.Button1Click();
        QCOMPARE(dialogs.texts().last(), u"Lütfen Teslim Durumu Seçiniz !"_qs);
        o.teslimSecenekleri->buttons().first()->setChecked(true);
        o.Button1Click();
        QCOMPARE(dialogs.texts().last(), u"Lütfen Kargo Türünü Seçiniz !"_qs);
        o.kargoTurleri->buttons().first()->setChecked(true);
        o.kargocombo->clear();
        o.Button1Click();
        QCOMPARE(dialogs.texts().last(), u"Lütfen Kargo  Seçiniz !"_qs);
    }

    void selectionMarkIsSentAtOnce()
    {
        auto f = form();
        f->sPageControl1->setCurrentWidget(f->ssepet);
        TSepet& s = *f->sepetSekmesi;
        s.Button4Click();
        QVERIFY(f->sepet.RecordCount() > 0);
        const int sirano = f->sepet.value(0, f->sepet.columnIndex(u"SIRANO")).toInt();
        s.cxGrid2->setFocusedCell(0, u"SEC");
        s.Deitir1Click();
        QCOMPARE(storeCount(u"SELECT SEC FROM sepet WHERE SIRANO = %1"_qs.arg(sirano)), 0);
        s.ReloadBasket(); // the server kept the mark
        f->sepet.locate(u"SIRANO"_qs, sirano);
        QCOMPARE(f->sepet.fieldByName(u"SEC").toInt(), 0);
    }

    void deletesAskFirst()
    {
        test::MessageDialogRecorder dialogs;
        auto f = form();
        f->sPageControl1->setCurrentWidget(f->ssepet);
        TSepet& s = *f->sepetSekmesi;
        const int before = f->sepet.RecordCount();
        QVERIFY(before > 1);
        dialogs.answerNext(TMsgDlgBtn::mbNo);
        s.HepsiniSil1Click();
        QCOMPARE(f->sepet.RecordCount(), before);
        s.cxGrid2->setFocusedCell(0, u"STOKADI");
        dialogs.answerNext(TMsgDlgBtn::mbYes);
        s.SatrSil1Click();
        QCOMPARE(f->sepet.RecordCount(), before - 1);
        QCOMPARE(caption(*f), QString::number(before - 1) + u"=Sepet"_qs);
        QCOMPARE(dialogs.texts().last(), u"Satır silindi !"_qs);
    }

    void screenshots()
    {
        SetScreenWidthSource([] { return 1920; });
        auto f = form();
        f->writeHeader(f->sbilgi);
        TSepet& s = *f->sepetSekmesi;
        f->resize(1600, 800);
        f->sPageControl1->setCurrentWidget(f->ssepet);
        s.Button4Click();
        QVERIFY(!test::saveScreenshot(f.get(), u"basket"_qs).isEmpty());
        TSiparisFormu& o = *s.siparisFormu;
        o.kargoTurleri->buttons().first()->click();
        o.aciklamagir->setPlainText(u"Öğleden önce teslim lütfen"_qs);
        test::onNextModal([](QWidget* w) {
            QVERIFY(!test::saveScreenshot(w, u"order-confirmation"_qs).isEmpty());
            qobject_cast<QDialog*>(w)->reject();
        });
        test::MessageDialogRecorder dialogs;
        o.Button1Click();
        SetScreenWidthSource(nullptr);
    }

    void sentOrderLandsInTheStore()
    {
        test::MessageDialogRecorder dialogs;
        auto f = form();
        f->sPageControl1->setCurrentWidget(f->ssepet);
        TSepet& s = *f->sepetSekmesi;
        TSiparisFormu& o = *s.siparisFormu;
        s.Button4Click();
        const int lines = f->sepet.RecordCount();
        QVERIFY(lines > 0);
        const int ordersBefore = storeCount(u"SELECT COUNT(*) FROM siparisler"_qs);
        o.kargoTurleri->buttons().first()->click();
        QVERIFY(o.kargocombo->count() > 0);
        o.aciklamagir->setPlainText(u"Acil, öğleden önce lütfen"_qs);
        const QString grand = s.geneltoplaml->text(); // as the basket tab shows it
        QString summary;
        test::onNextModal([&](QWidget* w) {
            auto* onay = qobject_cast<TONAYSIP*>(w);
            QVERIFY(onay);
            summary = onay->Label2->text();
            onay->accept();
        });
        o.Button1Click();
        QVERIFY(summary.startsWith(u"Kullanıcı: DEMO\nCari     : "_qs));
        QVERIFY(summary.contains(u"\nTutar    : "_qs + grand + u'\n'));
        QVERIFY(summary.endsWith(u"Açıklama : Acil, öğleden önce lütfen"_qs));
        QCOMPARE(dialogs.texts().last(), u"Siparişiniz Gönderildi !"_qs);
        QCOMPARE(storeCount(u"SELECT COUNT(*) FROM siparisler"_qs), ordersBefore + 1);
        QCOMPARE(storeCount(u"SELECT COUNT(*) FROM siparisler WHERE VERENINNOTU = 'Acil, öğleden önce lütfen'"_qs), 1);
        QCOMPARE(f->sepet.RecordCount(), 0); // the sent lines left the basket
        QVERIFY(o.aciklamagir->toPlainText().isEmpty());
    }
};

QTEST_MAIN(TestSepet)
#include "tst_sepet.moc"
