#include "catalogue/stoklistesi.h"

#include "catalogue/itemlists.h"
#include "catalogue/tstokayarinti.h"

#include "app/busyindicator.h"
#include "app/customertype.h"
#include "app/tform1.h"
#include "app/utils.h"
#include "app/velungrid.h"
#include "server/backgroundtask.h"
#include "server/connection.h"
#include "server/connectwithretry.h"
#include "server/dataset.h"
#include "server/displayformat.h"
#include "server/servermethods1client.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <cmath>

namespace velun {
namespace {

const QString kCaption = QStringLiteral("Stok Listesi");
const QString kFiyatBilgisi = QStringLiteral("Fiyat Bilgisi");
constexpr int kWideLimit = 1152;

// The columns the layout switches between the two modes.
const QStringList kWidePriceColumns = {QStringLiteral("KDVDAHIL"), QStringLiteral("NETFIYAT"), QStringLiteral("INDIRIM"),
                                       QStringLiteral("LISTEFIYAT1"), QStringLiteral("KAMPFIYAT")};

GridColumn col(const char16_t* field, const char16_t* caption, int weight, ColumnState state, int width = 0,
               CellKind kind = CellKind::Text)
{
    GridColumn c = Column(field, caption, weight, state);
    c.width = width;
    c.kind = kind;
    if (kind == CellKind::Icon)
        c.alignment = Qt::AlignCenter;
    return c;
}

std::vector<GridColumn> stockColumns(const VelunGrid* grid)
{
    using S = ColumnState;
    const auto icon = CellKind::Icon;
    std::vector<GridColumn> c = {
        col(u"DURUM", u"Durum", 1, S::Offered, 64, icon),
        col(u"ISTANBUL", u"", 1, S::Shown, 64, icon),
        col(u"ANTEP", u"", 1, S::Shown, 64, icon),
        col(u"DPKOD", u"", 2, S::NeverOffered, 404),
        col(u"PKOD", u"OemKod", 2, S::Shown, 171),
        col(u"OEMNO", u"Oem No", 2, S::NeverOffered, 404),
        col(u"BARKOD", u"Barkod", 2, S::Offered, 199),
        col(u"FINISHKOD", u"Kod", 2, S::Shown, 404),
        col(u"OEM1", u"Oem1", 2, S::NeverOffered, 136),
        col(u"OEM2", u"Oem2", 2, S::NeverOffered, 125),
        col(u"OEM3", u"Oem3", 2, S::NeverOffered, 139),
        col(u"ADI", u"Açıklama", 3, S::Shown, 291),
        col(u"OEM4", u"Oem4", 2, S::Offered, 244),
        col(u"STOK_STOKNO", u"", 1, S::NeverOffered, 84),
        col(u"URETICIKODU", u"Üretici Kod", 2, S::Offered, 404),
        col(u"RESIM", u"Resim", 1, S::Shown, 0, icon),
        col(u"BARKOD_BARKODNO", u"", 1, S::NeverOffered, 84),
        col(u"DIGERADI", u"Diğer Adı", 3, S::Offered, 404),
        col(u"BIRIM", u"Birim", 1, S::Offered, 84),
        col(u"MARKA", u"Marka", 2, S::Shown, 404),
        col(u"MODEL", u"Model", 2, S::Offered, 404),
        col(u"ANAGRUP", u"Ana Grup", 2, S::Offered, 404),
        col(u"OZELKOD", u"Araç Marka", 2, S::Shown, 204),
        col(u"KALAN", u"", 1, S::NeverOffered, 84),
        col(u"ANTEPADET", u"", 1, S::NeverOffered),
        col(u"ISTANBULADET", u"", 1, S::NeverOffered),
        col(u"KDV", u"", 1, S::Offered, 84),
        col(u"ALINANSIPARIS", u"", 1, S::NeverOffered, 84),
        col(u"VERILENSIPARIS", u"", 1, S::NeverOffered, 84),
        col(u"LISTEFIYAT1", u"Liste Fiyatı", 2, S::Fixed),
        col(u"KAMPFIYAT", u"Kampanyalı Fiyat", 2, S::Fixed),
        col(u"FIYAT", u"Liste Fiyatı", 2, S::Offered, 84),
        col(u"Y", u"Yeni", 1, S::Shown, 84, icon),
        col(u"K", u"Kampanyalı", 1, S::Shown, 84, icon),
        col(u"INDIRIM", u"İndirim Oran", 1, S::Fixed),
        col(u"NETFIYAT", u"Net Fiyatı", 2, S::Fixed),
        col(u"KDVDAHIL", u"KDV Dahil Fiyat", 3, S::Fixed),
    };
    for (GridColumn& g : c) {
        if (g.field == u"DPKOD" || g.field == u"BARKOD_BARKODNO" || g.field == u"KALAN") {
            g.minWidth = g.width;
            g.fixedWidth = true;
        }
        if (g.field == u"PKOD")
            g.elide = true;
    }
    for (GridColumn& g : c) {
        if (g.field == u"DURUM" || g.field == u"ISTANBUL" || g.field == u"ANTEP")
            g.icon = StockStateIcons();
        else if (g.field == u"RESIM")
            g.icon = PictureIcons();
        else if (g.field == u"Y")
            g.icon = YesNoIcons();
        else if (g.field == u"K")
            g.icon = YesOnlyIcons();
    }
    GridColumn price;
    price.caption = kFiyatBilgisi;
    price.weight = 2;
    price.state = ColumnState::Fixed;
    price.kind = CellKind::Custom;
    price.painter = [grid](QPainter& p, const QStyleOptionViewItem& option, int row) {
        if (const MemDataset* stok = grid->dataset())
            PaintMultilineCell(p, option, row, TStokListesi::FiyatBilgisi(*stok, row));
    };
    c.push_back(price);
    return c;
}

// The typed-letter replacements of the search box.
QString replacedKey(const QString& typed)
{
    static const QHash<QChar, QChar> table = {
        {u'ğ', u'g'}, {u'ü', u'u'}, {u'ş', u's'}, {u'ö', u'o'}, {u'ç', u'c'}, {u'Ğ', u'G'},
        {u'Ü', u'U'}, {u'Ş', u'S'}, {u'İ', u'I'}, {u'Ö', u'O'}, {u'Ç', u'C'}, {u'ı', u'I'}};
    if (typed.size() != 1)
        return typed;
    return QString(table.value(typed.front(), typed.front()));
}

double number(const MemDataset& d, int row, const char16_t* field)
{
    const int c = d.columnIndex(QStringView(field));
    return c < 0 ? 0.0 : d.value(row, c).toDouble();
}

} // namespace

TStokListesi::TStokListesi(TForm1& form) : QObject(&form), m_form(form)
{
    auto* layout = new QVBoxLayout(form.sstoklistesi);
    layout->setContentsMargins(0, 0, 0, 0);
    cxGrid1 = new VelunGrid(form.sstoklistesi);
    cxGrid1->setObjectName(QStringLiteral("cxGrid1"));
    layout->addWidget(cxGrid1);
    cxGrid1->setColumns(stockColumns(cxGrid1));
    cxGrid1->setDataset(&form.stok);
    cxGrid1->setHeaderHeight(40);
    cxGrid1->setRowHeight(60);
    cxGrid1->setFooter({});

    popstok = new QMenu(cxGrid1);
    popstok->setObjectName(QStringLiteral("popstok"));
    QAction* s2 = popstok->addAction(QStringLiteral("Sepete Ekle"));
    popstok->addSeparator();
    B1 = popstok->addAction(QStringLiteral("Sipariş Bakiyeleriniz"));
    popstok->addSeparator();
    s3 = popstok->addAction(QStringLiteral("Siparişleri Göster"));
    cxGrid1->setContextMenu(popstok);
    connect(s2, &QAction::triggered, this, &TStokListesi::cxGrid1DBTableView1DblClick);
    connect(B1, &QAction::triggered, this, &TStokListesi::B1Click);
    connect(s3, &QAction::triggered, this, &TStokListesi::s3Click);
    // The two order windows belong to the orders feature; until it plugs in, their items stay greyed.
    connect(popstok, &QMenu::aboutToShow, this, [this] {
        B1->setEnabled(bool(openBackorders));
        s3->setEnabled(bool(openOrders));
    });
    connect(cxGrid1, &VelunGrid::rowDoubleClicked, this, [this](int) { cxGrid1DBTableView1DblClick(); });
    connect(cxGrid1, &VelunGrid::resized, this, &TStokListesi::StokGridLayout);
    connect(&form, &TForm1::searchRequested, this, &TStokListesi::araeditEnter);
    connect(&form, &TForm1::stockListCleared, cxGrid1, &VelunGrid::clearFilters);
    connect(&form, &TForm1::customerTypeApplied, this, [this] { applyCustomerType(); });
    form.araedit->installEventFilter(this);

    // The quantity dialog's commands, and the basket reload they end with.
    openAdd = [this](int stokno) {
        Tstokayarinti::AddCommand(basketContext(), m_form.stok, QuantitySource::StockList, stokno);
    };
    openChange = [this](int sirano) { Tstokayarinti::ChangeCommand(basketContext(), m_form.sepet, sirano); };
    StokGridLayout();
}

BasketContext TStokListesi::basketContext()
{
    return BasketContextOf(m_form, [this] {
        if (reloadBasket)
            reloadBasket();
    });
}



bool TStokListesi::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_form.araedit && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString replaced = replacedKey(key->text());
        if (replaced != key->text()) {
            // The plain letter reaches the box instead of the Turkish one.
            QKeyEvent plain(QEvent::KeyPress, Qt::Key_unknown, key->modifiers(), replaced);
            QApplication::sendEvent(m_form.araedit, &plain);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

QString TStokListesi::FiyatBilgisi(const MemDataset& stok, int row)
{
    const QLocale& locale = stok.locale();
    auto money = [&](double v) { return FormatFloat(kMoneyDisplayFormat, v, locale); };
    QString text = QStringLiteral("Liste Fiyatı: ") + money(number(stok, row, u"LISTEFIYAT1")) + u'\n';
    if (const double kamp = number(stok, row, u"KAMPFIYAT"); kamp > 0)
        text += QStringLiteral("Kampanyalı Fiyat: ") + money(kamp) + u'\n';
    if (const double ind = number(stok, row, u"INDIRIM"); ind > 0)
        text += QStringLiteral("İskonto %: ") + money(ind) + u'\n';
    text += QStringLiteral("NetFiyat: ") + money(number(stok, row, u"NETFIYAT")) + u'\n';
    text += QStringLiteral("KDV li Fiyat: ") + money(number(stok, row, u"KDVDAHIL")) + u'\n';
    return text;
}

void TStokListesi::applyCustomerType()
{
    const CustomerTypeRules& rules = m_form.customerTypeRules();
    ApplyColumnRules(*cxGrid1, rules.columns(RuleGrid::StokListesi));
    StokGridLayout();
}

void TStokListesi::araeditEnter()
{
    if (m_searching || !m_form.araedit->isEnabled())
        return;
    m_form.sPageControl1->setCurrentWidget(m_form.sstoklistesi);
    const QString kod = m_form.araedit->text(); // sent as typed; only the length test trims it
    if (kod.trimmed().size() < 3) {
        ShowMessageDialog(QStringLiteral("Lütfen en az 3 harf giriniz !"), TMsgDlgType::mtWarning, {TMsgDlgBtn::mbOK},
                          TMsgDlgBtn::mbOK);
        return;
    }
    m_searching = true;
    m_form.araedit->setEnabled(false);
    m_form.gifstokara->start();
    cxGrid1->beginLoad();

    // Taken here, on the user-interface thread: the worker never reads sbilgi or bagc.
    std::shared_ptr<ServerConnection> clone(m_form.bagc.clone().release());
    const TSonucBilgisi bilgi = m_form.sbilgi;
    MemDataset* stok = &m_form.stok;
    QPointer<QTabWidget> pages = m_form.sPageControl1;
    QPointer<QWidget> tab = m_form.sstoklistesi;
    RunTask(
        this,
        [clone, bilgi, kod, stok, pages, tab](TaskState& state) {
            if (!ConnectWithRetry(*clone, 0)) {
                state.error = true;
                return;
            }
            try {
                TServerMethods1Client proxy(clone->dbxConnection());
                TableReader reader = proxy.VelunStokAra(kod, bilgi);
                stok->DisableControls();
                CopyReaderToDataset(reader, *stok);
                SetFloatDisplayFormat(*stok);
                stok->EnableControls();
                const QString caption = QString::number(stok->RecordCount()) + QStringLiteral("=") + kCaption;
                RunOnUiThreadAndWait([pages, tab, caption] {
                    if (pages && tab)
                        pages->setTabText(pages->indexOf(tab), caption);
                });
            } catch (const std::exception&) {
                state.error = true;
            }
            clone->close();
        },
        [this](TaskState& state) { finishSearch(state.error); });
}

void TStokListesi::finishSearch(bool error)
{
    m_form.araedit->setEnabled(true);
    cxGrid1->endLoad();
    m_form.araedit->selectAll();
    m_form.araedit->setFocus();
    m_form.gifstokara->stop();
    m_searching = false;
    if (error) {
        ShowMessageDialog(kConnectionFailedMessage, TMsgDlgType::mtError, {TMsgDlgBtn::mbOK}, TMsgDlgBtn::mbOK);
        m_form.stok.emptyDataSet();
        m_form.sPageControl1->setTabText(m_form.sPageControl1->indexOf(m_form.sstoklistesi), kCaption);
    }
    StokGridLayout();
    emit searchFinished(!error);
}

void TStokListesi::StokGridLayout()
{
    if (!m_form.araedit->isEnabled())
        return; // applied when the search completes
    const bool wide = m_form.width() > kWideLimit;
    const bool type4 = m_form.customerTypeRules().musteriTipi == 4;
    UpdatesSuspended suspended(cxGrid1->view());
    for (const QString& c : kWidePriceColumns)
        cxGrid1->setColumnVisible(c, wide && !(type4 && c == u"KAMPFIYAT"));
    cxGrid1->setColumnVisible(kFiyatBilgisi, !wide);
    cxGrid1->setRowHeight(wide ? 60 : 100);

    const int m = cxGrid1->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, cxGrid1);
    int sum = 0;
    for (const QString& key : cxGrid1->visibleColumns())
        sum += cxGrid1->columns()[static_cast<size_t>(cxGrid1->columnIndex(key))].weight;
    if (sum > 0) {
        const int unit = static_cast<int>(std::trunc(static_cast<double>(cxGrid1->width() - (m + 10)) / sum));
        for (const QString& key : cxGrid1->visibleColumns())
            cxGrid1->setColumnWidth(key, cxGrid1->columns()[static_cast<size_t>(cxGrid1->columnIndex(key))].weight * unit);
    }
    if (!wide) {
        cxGrid1->setColumnWidth(u"OEM1", 80);
        cxGrid1->setColumnWidth(u"OEM2", 70);
        cxGrid1->setColumnWidth(u"OEM3", 70);
        cxGrid1->setColumnWidth(u"OZELKOD", 60);
        // At least its designed width, and whatever the narrowed columns above left free.
        int others = 0;
        for (const QString& key : cxGrid1->visibleColumns())
            if (key != kFiyatBilgisi)
                others += cxGrid1->columnWidth(key);
        cxGrid1->setColumnWidth(kFiyatBilgisi, std::max(150 - m, cxGrid1->width() - (m + 10) - others));
    }
}

void TStokListesi::B1Click()
{
    if (openBackorders)
        openBackorders();
}

void TStokListesi::s3Click()
{
    const int row = cxGrid1->focusedRow();
    if (row >= 0 && openOrders)
        openOrders(cxGrid1->value(row, u"STOK_STOKNO").toInt());
}

void TStokListesi::cxGrid1DBTableView1DblClick()
{
    const int row = cxGrid1->focusedRow();
    if (row < 0)
        return;
    MemDataset& stok = m_form.stok;
    const int stokno = cxGrid1->value(row, u"STOK_STOKNO").toInt();
    stok.locate(QStringLiteral("STOK_STOKNO"), stokno);
    MemDataset& sepet = m_form.sepet;
    if (!sepet.active() && reloadBasket)
        reloadBasket();
    if (const std::optional<int> sirano = BasketLineOf(sepet, stokno)) {
        if (openChange)
            openChange(*sirano);
        return;
    }
    if (openAdd)
        openAdd(stokno);
}

} // namespace velun
