#include "catalogue/itemlists.h"

#include "catalogue/tstokayarinti.h"

#include "app/busyindicator.h"
#include "app/tform1.h"
#include "app/utils.h"
#include "app/velungrid.h"
#include "server/backgroundtask.h"
#include "server/connection.h"
#include "server/connectwithretry.h"
#include "server/dataset.h"
#include "server/servermethods1client.h"

#include <QMenu>
#include <QTableView>
#include <QPointer>
#include <QTabWidget>
#include <QVBoxLayout>

namespace velun {
namespace {

constexpr auto col = Column;

GridColumn iconColumn(GridColumn c, IconForValue icons)
{
    c.kind = CellKind::Icon;
    c.icon = std::move(icons);
    c.alignment = Qt::AlignCenter;
    return c;
}

std::vector<GridColumn> newItemColumns()
{
    using S = ColumnState;
    std::vector<GridColumn> c = {
        col(u"BARKOD", u"Barkod", 1, S::Shown),
        col(u"FINISHKOD", u"Kod", 1, S::Shown),
        col(u"OEM1", u"Oem1", 1, S::NeverOffered),
        col(u"OEM2", u"Oem2", 1, S::NeverOffered),
        col(u"OEM3", u"Oem3", 1, S::NeverOffered),
        col(u"ADI", u"Açıklama", 1, S::Shown),
        col(u"OEM4", u"Oem4", 1, S::Offered),
        col(u"STOK_STOKNO", u"", 1, S::NeverOffered),
        col(u"URETICIKODU", u"Üretici Kod", 1, S::Offered),
        col(u"BARKOD_BARKODNO", u"", 1, S::NeverOffered),
        col(u"DIGERADI", u"Diğer Adı", 1, S::Offered),
        col(u"DPKOD", u"", 1, S::NeverOffered),
        col(u"OEMNO", u"Oem No", 1, S::Offered),
        col(u"BIRIM", u"Birim", 1, S::Shown),
        col(u"MARKA", u"Marka", 1, S::Shown),
        col(u"MODEL", u"Model", 1, S::Shown),
        col(u"ANAGRUP", u"Ana Grup", 1, S::Offered),
        col(u"OZELKOD", u"Özel Kod", 1, S::Offered),
        col(u"KALAN", u"", 1, S::NeverOffered),
        col(u"PKOD", u"", 1, S::NeverOffered),
        col(u"KDV", u"", 1, S::Offered),
        col(u"ALINANSIPARIS", u"", 1, S::NeverOffered),
        col(u"VERILENSIPARIS", u"", 1, S::NeverOffered),
        col(u"FIYAT", u"Liste Fiyatı2", 1, S::Offered),
        iconColumn(col(u"K", u"Kampanyalı", 1, S::Shown), YesOnlyIcons()),
        col(u"LISTEFIYAT1", u"Liste Fiyatı", 1, S::Shown),
        col(u"KAMPFIYAT", u"Kampanyalı Fiyatı", 1, S::Shown),
        col(u"INDIRIM", u"İndirim Oran", 1, S::Shown),
        col(u"NETFIYAT", u"Net Fiyatı", 1, S::Shown),
        col(u"KDVDAHIL", u"KDV Dahil Fiyat", 1, S::Shown),
    };
    for (GridColumn& g : c)
        if (g.field == u"PKOD")
            g.captionHidden = true;
    return c;
}

std::vector<GridColumn> campaignColumns()
{
    using S = ColumnState;
    std::vector<GridColumn> c = {
        col(u"BARKOD", u"Barkod", 2, S::Shown),
        col(u"FINISHKOD", u"Kod", 2, S::Shown),
        col(u"OEM1", u"Oem1", 2, S::NeverOffered),
        col(u"OEM2", u"Oem2", 2, S::NeverOffered),
        col(u"OEM3", u"Oem3", 2, S::NeverOffered),
        col(u"ADI", u"Açıklama", 3, S::Shown),
        col(u"OEM4", u"Oem4", 2, S::Offered),
        col(u"STOK_STOKNO", u"", 1, S::NeverOffered),
        iconColumn(col(u"RESIM", u"Resim", 1, S::Shown), PictureIcons()),
        col(u"URETICIKODU", u"Üretici Kod", 2, S::Offered),
        col(u"BARKOD_BARKODNO", u"", 1, S::NeverOffered),
        col(u"DIGERADI", u"Diğer Adı", 3, S::Offered),
        col(u"DPKOD", u"", 2, S::NeverOffered),
        col(u"OEMNO", u"Oem No", 2, S::Offered),
        col(u"BIRIM", u"Birim", 1, S::Shown),
        col(u"MARKA", u"Marka", 2, S::Shown),
        col(u"MODEL", u"Model", 2, S::Shown),
        col(u"ANAGRUP", u"Ana Grup", 2, S::Offered),
        col(u"OZELKOD", u"Özel Kod", 2, S::Offered),
        col(u"KALAN", u"", 1, S::NeverOffered),
        col(u"PKOD", u"", 1, S::NeverOffered),
        col(u"KDV", u"", 1, S::Offered),
        col(u"ALINANSIPARIS", u"", 1, S::NeverOffered),
        col(u"VERILENSIPARIS", u"", 1, S::NeverOffered),
        col(u"ESKIFIYAT", u"Liste Fiyatı", 2, S::Shown),
        col(u"FIYAT", u"Kampanyalı Fiyatı", 2, S::Shown),
        iconColumn(col(u"Y", u"Yeni", 1, S::Shown), YesNoIcons()),
        iconColumn(col(u"K", u"Kampanyalı", 1, S::Shown), YesOnlyIcons()),
        col(u"INDIRIM", u"İndirim Oran", 1, S::Shown),
        col(u"NETFIYAT", u"Net Fiyatı", 2, S::Shown),
        col(u"KDVDAHIL", u"KDV Dahil Fiyat", 2, S::Shown),
        iconColumn(col(u"DURUM", u"Durum", 1, S::Shown), StockStateIcons()),
    };
    for (GridColumn& g : c)
        if (g.field == u"PKOD")
            g.captionHidden = true;
    return c;
}

} // namespace

std::optional<int> BasketLineOf(const MemDataset& sepet, int stokno)
{
    if (!sepet.active())
        return std::nullopt;
    const int stoknoColumn = sepet.columnIndex(u"STOKNO");
    const int siraColumn = sepet.columnIndex(u"SIRANO");
    for (int r = 0; stoknoColumn >= 0 && r < sepet.rowCount(); ++r)
        if (sepet.value(r, stoknoColumn).toInt() == stokno)
            return siraColumn >= 0 ? sepet.value(r, siraColumn).toInt() : 0;
    return std::nullopt;
}

ItemListTab::ItemListTab(TForm1& form, Setup setup) : QObject(&form), m_form(form), m_setup(std::move(setup))
{
    auto* layout = new QVBoxLayout(m_setup.tab);
    layout->setContentsMargins(0, 0, 0, 0);
    m_grid = new VelunGrid(m_setup.tab);
    m_grid->setObjectName(m_setup.gridName);
    layout->addWidget(m_grid);
    m_grid->setColumns(std::move(m_setup.columns));
    m_grid->setDataset(m_setup.dataset);
    m_grid->setHeaderHeight(40);
    m_grid->setFooter({});
    connect(m_grid, &VelunGrid::rowDoubleClicked, this, [this](int) { dispatchFocusedRow(); });
    connect(&form, &TForm1::customerTypeApplied, this, [this] { applyCustomerType(); });
    form.setShowHook(m_setup.tab, [this] { load(); });

    openAdd = [this](int stokno) {
        Tstokayarinti::AddCommand(basketContext(), *m_setup.dataset, m_setup.source, stokno);
    };
    openChange = [this](int sirano) { Tstokayarinti::ChangeCommand(basketContext(), m_form.sepet, sirano); };
}

BasketContext ItemListTab::basketContext()
{
    return BasketContextOf(m_form, [this] {
        if (reloadBasket)
            reloadBasket();
    });
}

void ItemListTab::applyCustomerType()
{
    ApplyColumnRules(*m_grid, m_form.customerTypeRules().columns(m_setup.rules));
}

void ItemListTab::load()
{
    if (m_loading)
        return; // one load per tab at a time; its grid is still disabled
    m_loading = true;
    if (m_setup.busy)
        m_setup.busy->start();
    m_grid->setEnabled(false);
    m_grid->beginLoad();

    // Taken here, on the user-interface thread: the worker never reads sbilgi or bagc.
    std::shared_ptr<ServerConnection> clone(m_form.bagc.clone().release());
    const TSonucBilgisi bilgi = m_form.sbilgi;
    MemDataset* dataset = m_setup.dataset;
    auto call = m_setup.call;
    const QString suffix = m_setup.captionSuffix;
    QPointer<QTabWidget> pages = m_form.sPageControl1;
    QPointer<QWidget> tab = m_setup.tab;
    RunTask(
        this,
        [clone, bilgi, dataset, call, suffix, pages, tab](TaskState& state) {
            const bool ok = LoadTableOnClone(
                *clone, *dataset, [&](TServerMethods1Client& proxy) { return call(proxy, bilgi); }, &state.errorText);
            if (!ok) {
                state.error = true;
                return;
            }
            const QString caption = QString::number(dataset->RecordCount()) + suffix;
            RunOnUiThreadAndWait([pages, tab, caption] {
                if (pages && tab)
                    pages->setTabText(pages->indexOf(tab), caption);
            });
        },
        [this](TaskState& state) { finishLoad(state.error); });
}

void ItemListTab::finishLoad(bool error)
{
    m_grid->endLoad();
    m_grid->setEnabled(true);
    if (m_setup.busy)
        m_setup.busy->stop();
    m_loading = false;
    if (error)
        ShowMessageDialog(kConnectionFailedMessage, TMsgDlgType::mtError, {TMsgDlgBtn::mbOK}, TMsgDlgBtn::mbOK);
    emit loadFinished(!error);
}

void ItemListTab::dispatchFocusedRow()
{
    const int row = m_grid->focusedRow();
    if (row < 0 || m_loading)
        return;
    const int stokno = m_grid->value(row, u"STOK_STOKNO").toInt();
    if (!m_form.sepet.active() && reloadBasket)
        reloadBasket();
    m_setup.dataset->locate(QStringLiteral("STOK_STOKNO"), stokno);
    if (const std::optional<int> sirano = BasketLineOf(m_form.sepet, stokno)) {
        if (openChange)
            openChange(*sirano);
        return;
    }
    if (openAdd)
        openAdd(stokno);
}

TYeniStoklar::TYeniStoklar(TForm1& form)
    : ItemListTab(form, Setup{form.syeniler, &form.YENILER, form.gifyeniler, QStringLiteral("cxGrid6"),
                              QStringLiteral("=Yeni Stoklar"), QuantitySource::NewItems, RuleGrid::YeniStoklar,
                              newItemColumns(),
                              [](TServerMethods1Client& proxy, const TSonucBilgisi& bilgi) {
                                  return proxy.YenilerVer(bilgi.CARINO());
                              }})
{
    cxGrid6 = grid();
    // Columns always share the grid's width; rows grow to the height their texts need.
    cxGrid6->setAutoColumnWidth(true);
    cxGrid6->setRowHeight(40);
    const auto fitRows = [this] {
        if (cxGrid6->isEnabled())
            cxGrid6->view()->resizeRowsToContents();
    };
    connect(this, &ItemListTab::loadFinished, this, fitRows);
    connect(cxGrid6, &VelunGrid::resized, this, fitRows);
}

TKampanyaliStoklar::TKampanyaliStoklar(TForm1& form)
    : ItemListTab(form, Setup{form.skampanyali, &form.kampstok, form.gifkampanyali, QStringLiteral("cxkampanyali"),
                              QStringLiteral("=Kampanyalı"), QuantitySource::Campaign, RuleGrid::KampanyaliStoklar,
                              campaignColumns(),
                              [](TServerMethods1Client& proxy, const TSonucBilgisi& bilgi) {
                                  return proxy.KampanyaliVer(bilgi.CARINO(), bilgi.MusteriTipi());
                              }})
{
    cxkampanyali = grid();
    cxkampanyali->setRowHeight(40);
    connect(cxkampanyali, &VelunGrid::resized, this, &TKampanyaliStoklar::cxkampanyaliResize);
    // On a small screen the widths follow the content, which a load changes.
    connect(this, &ItemListTab::loadFinished, this, &TKampanyaliStoklar::cxkampanyaliResize);
}

void TKampanyaliStoklar::cxkampanyaliResize()
{
    if (cxkampanyali->isEnabled())
        FitColumnsByWeight(*cxkampanyali, 30);
}

} // namespace velun
