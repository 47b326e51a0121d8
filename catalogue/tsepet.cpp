#include "catalogue/tsepet.h"

#include "app/customertype.h"
#include "app/spreadsheetexport.h"
#include "app/tform1.h"
#include "app/utils.h"
#include "app/velungrid.h"
#include "catalogue/siparisformu.h"
#include "catalogue/stoklistesi.h"
#include "catalogue/tstokayarinti.h"
#include "server/backgroundtask.h"
#include "server/connection.h"
#include "server/connectwithretry.h"
#include "server/dataset.h"
#include "server/displayformat.h"
#include "server/servermethods1client.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>
#include <QVBoxLayout>

namespace velun {
namespace {


constexpr auto col = Column;

std::vector<GridColumn> basketColumns()
{
    using S = ColumnState;
    std::vector<GridColumn> c = {
        col(u"SEC", u"Seç", 1, S::Fixed),
        col(u"DURUM", u"ISTANBUL", 1, S::Shown),
        col(u"ANTEP", u"", 1, S::Shown),
        col(u"VERILISTARIHI", u"Sipariş Tarihi", 1, S::Shown),
        col(u"SIRANO", u"", 0, S::NeverOffered),
        col(u"SIPARISNO", u"Sipariş No", 0, S::Offered),
        col(u"CARINO", u"", 0, S::NeverOffered),
        col(u"TARIH", u"Tarih", 1, S::Offered),
        col(u"AKTAR", u"", 0, S::NeverOffered),
        col(u"STOKNO", u"", 0, S::NeverOffered),
        col(u"BARKOD", u"Barkod", 2, S::Shown),
        col(u"FINISHKOD", u"Kod", 2, S::Shown),
        col(u"OEMNO", u"OEMNo", 2, S::Shown),
        col(u"STOKADI", u"Stok Açıklama", 3, S::Shown),
        col(u"MIKTAR", u"Miktar", 1, S::Shown),
        col(u"BIRIMFIYAT", u"Birim Fiyat", 1, S::Shown),
        col(u"TUTAR", u"Tutar", 1, S::Shown),
        col(u"INDIRIMORANI1", u"İndirim Oranı %", 1, S::Shown),
        col(u"INDIRIMORANI2", u"", 1, S::NeverOffered),
        col(u"INDIRIMORANI3", u"", 1, S::NeverOffered),
        col(u"INDIRIMTUTAR", u"İndirim Tutar", 1, S::NeverOffered),
        col(u"NETBIRIMFIYAT", u"Net Fiyat", 1, S::Shown),
        col(u"KDV", u"", 1, S::Shown),
        col(u"VERGITUTARI", u"Vergi Tutarı", 1, S::Shown),
        col(u"NETTUTAR", u"Net Tutar", 1, S::Shown),
        col(u"KUR", u"Kur", 1, S::Offered),
        col(u"KURTL", u"", 1, S::NeverOffered),
        col(u"VERENIDNO", u"", 1, S::NeverOffered),
        col(u"SAAT", u"Saat", 1, S::Offered),
        col(u"TESLIMID", u"", 1, S::NeverOffered),
        col(u"KARGOID", u"", 1, S::NeverOffered),
        col(u"ACIKLAMA", u"Açıklama", 1, S::Offered),
        col(u"IDNO", u"", 1, S::NeverOffered),
        col(u"VERENSIRANO", u"", 1, S::NeverOffered),
        col(u"VEREN", u"Veren", 1, S::Shown),
        col(u"CARIKOD", u"Cari Kod", 1, S::NeverOffered),
        col(u"CARIADI", u"Cari Adı", 1, S::NeverOffered),
        col(u"OEM1", u"", 1, S::Offered),
        col(u"OEM2", u"", 1, S::Offered),
        col(u"OEM3", u"", 1, S::Offered),
        col(u"OEM4", u"", 1, S::Offered),
        col(u"STOK_STOKNO", u"", 1, S::NeverOffered),
        col(u"URETICIKODU", u"", 1, S::NeverOffered),
        col(u"DIGERADI", u"", 1, S::Offered),
        col(u"DPKOD", u"", 1, S::Offered),
        col(u"MARKA", u"Marka", 1, S::Offered),
        col(u"MODEL", u"Model", 1, S::Offered),
        col(u"ANAGRUP", u"Ana Grup", 1, S::Offered),
        col(u"OZELKOD", u"Özel Kod", 1, S::Offered),
        col(u"PKOD", u"", 1, S::Offered),
        col(u"KALAN", u"Kalan", 1, S::NeverOffered),
    };
    c[0].kind = CellKind::CheckBox;
    c[0].alignment = Qt::AlignCenter;
    c[0].incrementalSearch = false;
    for (GridColumn& g : c)
        if (g.field == u"DURUM" || g.field == u"ANTEP") {
            g.kind = CellKind::Icon;
            g.icon = StockStateIcons();
            g.alignment = Qt::AlignCenter;
        }
    return c;
}

QLabel* totalLabel(QWidget* parent, bool bold)
{
    auto* l = new QLabel(parent);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont f = l->font();
    f.setPixelSize(13);
    f.setBold(bold);
    l->setFont(f);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, QColor(0x43, 0x4C, 0x58));
    l->setPalette(p);
    return l;
}

} // namespace

BasketTotals ComputeBasketTotals(MemDataset& lines, bool selectedOnly)
{
    BasketTotals t;
    if (!lines.active())
        return t;
    const int sec = lines.columnIndex(u"SEC");
    const int tutar = lines.columnIndex(u"TUTAR");
    const int indirim = lines.columnIndex(u"INDIRIMTUTAR");
    const auto r = [&](double v) { return RoundMoney2(v, lines.locale()); };
    lines.DisableControls();
    for (int row = 0; row < lines.rowCount(); ++row) {
        if (selectedOnly && (sec < 0 || lines.value(row, sec).toInt() != 1))
            continue;
        t.gross = r(t.gross + (tutar < 0 ? 0.0 : lines.value(row, tutar).toDouble()));
        t.discount = r(t.discount + (indirim < 0 ? 0.0 : lines.value(row, indirim).toDouble()));
    }
    t.net = r(t.gross - t.discount);
    t.tax = r(t.net * 1.2) - t.net; // a fixed 20 % on the net total, whatever the lines' own rates
    t.grand = r(t.net + t.tax);
    lines.EnableControls();
    return t;
}

TSepet::TSepet(TForm1& form) : QObject(&form), m_form(form)
{
    auto* column = new QVBoxLayout(form.ssepet);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    cxGrid2 = new VelunGrid(form.ssepet);
    cxGrid2->setObjectName(QStringLiteral("cxGrid2"));
    cxGrid2->setColumns(basketColumns());
    cxGrid2->setDataset(&form.sepet);
    cxGrid2->setSelection(VelunGrid::Selection::SingleCell);
    cxGrid2->setFocusRectVisible(false);
    cxGrid2->setRowHeight(40);
    cxGrid2->setHeaderHeight(40);
    cxGrid2->setFooter({{u"VERILISTARIHI"_qs, FooterSummary::Kind::Count}, {u"MIKTAR"_qs, FooterSummary::Kind::Sum},
                        {u"NETTUTAR"_qs, FooterSummary::Kind::Sum}});
    column->addWidget(cxGrid2, 1);

    auto* panelsec = new QWidget(form.ssepet);
    panelsec->setFixedHeight(41);
    auto* row = new QHBoxLayout(panelsec);
    row->setContentsMargins(4, 4, 4, 4);
    Button4 = new QPushButton(QStringLiteral("Hepsini Seç"), panelsec);
    Button5 = new QPushButton(QStringLiteral("Seçimleri Kaldır"), panelsec);
    Button4->setFixedWidth(150);
    Button5->setFixedWidth(150);
    lbluyarbakiye = new QLabel(panelsec);
    lbluyarbakiye->setObjectName(QStringLiteral("lbluyarbakiye"));
    QFont wf = lbluyarbakiye->font();
    wf.setPixelSize(16);
    wf.setBold(true);
    lbluyarbakiye->setFont(wf);
    QPalette wp = lbluyarbakiye->palette();
    wp.setColor(QPalette::WindowText, Qt::red);
    lbluyarbakiye->setPalette(wp);
    row->addWidget(Button4);
    row->addWidget(Button5);
    row->addWidget(lbluyarbakiye, 1);
    column->addWidget(panelsec);

    auto* order = new QWidget(form.ssepet);
    order->setFixedHeight(131);
    auto* orderRow = new QHBoxLayout(order);
    orderRow->setContentsMargins(4, 4, 4, 4);
    siparisPaneli = new QWidget(order);
    orderRow->addWidget(siparisPaneli, 1);
    auto* totals = new QGridLayout;
    const QStringList captions = {QStringLiteral("Toplam:"), QStringLiteral("İndirim Toplam:"), QStringLiteral("Ara Toplam:"),
                                  QStringLiteral("Vergi:"), QStringLiteral("Genel Toplam:")};
    QLabel** values[] = {&aratoplaml, &indiriml, &nettutarl, &vergil, &geneltoplaml};
    for (int i = 0; i < 5; ++i) {
        QLabel* c = totalLabel(order, i == 4);
        c->setText(captions[i]);
        c->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        *values[i] = totalLabel(order, i == 4);
        (*values[i])->setMinimumWidth(110);
        totals->addWidget(c, i, 0);
        totals->addWidget(*values[i], i, 1);
    }
    orderRow->addLayout(totals);
    auto* buttons = new QVBoxLayout;
    Button1 = new QPushButton(QStringLiteral("Gönder"), order);
    Button2 = new QPushButton(QStringLiteral("Excel Kaydet"), order);
    for (QPushButton* b : {Button1, Button2}) {
        b->setMinimumSize(130, 50);
        buttons->addWidget(b);
    }
    orderRow->addLayout(buttons);
    column->addWidget(order);

    PopupMenu1 = new QMenu(cxGrid2);
    QAction* change = PopupMenu1->addAction(QStringLiteral("Satır Değiştir"));
    PopupMenu1->addSeparator();
    QAction* del = PopupMenu1->addAction(QStringLiteral("Satır Sil"));
    PopupMenu1->addSeparator();
    QAction* delAll = PopupMenu1->addAction(QStringLiteral("Hepsini Sil"));
    cxGrid2->setContextMenu(PopupMenu1);
    connect(change, &QAction::triggered, this, &TSepet::Deitir1Click);
    connect(del, &QAction::triggered, this, &TSepet::SatrSil1Click);
    connect(delAll, &QAction::triggered, this, &TSepet::HepsiniSil1Click);
    connect(cxGrid2, &VelunGrid::rowDoubleClicked, this, [this](int) { Deitir1Click(); });
    connect(cxGrid2, &VelunGrid::resized, this, &TSepet::fitColumns);
    connect(Button4, &QPushButton::clicked, this, &TSepet::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TSepet::Button5Click);
    connect(Button2, &QPushButton::clicked, this, &TSepet::Button2Click);
    connect(&form, &TForm1::customerTypeApplied, this, [this] { applyCustomerType(); });
    siparisFormu = new TSiparisFormu(form, *this, siparisPaneli, Button1);
    form.setShowHook(form.ssepet, [this] { ssepetShow(); });
    BasketTotals();
}

void TSepet::applyCustomerType()
{
    ApplyColumnRules(*cxGrid2, m_form.customerTypeRules().columns(RuleGrid::Sepet));
}

void TSepet::fitColumns()
{
    if (cxGrid2->isEnabled())
        FitColumnsByWeight(*cxGrid2, 30);
}

void TSepet::ssepetShow()
{
    lbluyarbakiye->clear();
    startOverdueWarning();
    ReloadBasket();
    siparisFormu->LoadDeliveryAndCargo();
}

void TSepet::startOverdueWarning()
{
    std::shared_ptr<ServerConnection> clone(m_form.bagc.clone().release());
    const qint32 carino = m_form.sbilgi.CARINO();
    QPointer<QLabel> label = lbluyarbakiye;
    QThread* thread = QThread::create([clone, carino, label] {
        if (!ConnectWithRetry(*clone, 0))
            return;
        QString text;
        try {
            TServerMethods1Client proxy(clone->dbxConnection());
            text = proxy.CariVadeGunGecmismiBul(carino);
        } catch (const std::exception&) {
            text.clear();
        }
        clone->close();
        RunOnUiThreadAndWait([label, text] {
            if (label)
                label->setText(text);
        });
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

void TSepet::ReloadBasket()
{
    std::unique_ptr<ServerConnection> clone = m_form.bagc.clone();
    if (!ConnectWithRetry(*clone, 1))
        return;
    {
        CloseOnExit closer(*clone);
        TServerMethods1Client proxy(clone->dbxConnection());
        AssignDataPacket(proxy.SepetVerVelun(m_form.sbilgi.CARINO()), m_form.sepet);
        SetFloatDisplayFormat(m_form.sepet);
    }
    m_form.sPageControl1->setTabText(m_form.sPageControl1->indexOf(m_form.ssepet),
                                     QString::number(m_form.sepet.RecordCount()) + QStringLiteral("=Sepet"));
    fitColumns(); // on a small screen the widths follow the content, which just changed
    BasketTotals();
}

void TSepet::BasketTotals()
{
    const struct BasketTotals t = ComputeBasketTotals(m_form.sepet);
    const QLocale& locale = m_form.sepet.locale();
    auto money = [&](double v) { return FormatFloat(kMoneyDisplayFormat, v, locale); };
    aratoplaml->setText(money(t.gross));
    indiriml->setText(money(t.discount));
    nettutarl->setText(money(t.net));
    vergil->setText(money(t.tax));
    geneltoplaml->setText(money(t.grand));
}

void TSepet::updateMark(int sirano, int mark)
{
    std::unique_ptr<ServerConnection> clone = m_form.bagc.clone();
    if (!ConnectWithRetry(*clone, 1))
        return;
    CloseOnExit closer(*clone);
    try {
        TServerMethods1Client proxy(clone->dbxConnection());
        proxy.SepetSecimGuncelle(sirano, mark);
    } catch (const std::exception&) {
        // The local mark stays; the next reload shows the server's.
    }
}

void TSepet::Deitir1Click()
{
    const int row = cxGrid2->focusedRow();
    if (row < 0)
        return;
    MemDataset& sepet = m_form.sepet;
    const int sirano = cxGrid2->value(row, u"SIRANO").toInt();
    sepet.locate(QStringLiteral("SIRANO"), sirano);
    const QString focused = cxGrid2->focusedFieldName();
    const int focusedColumn = cxGrid2->columnIndex(focused);
    const bool secColumn = focusedColumn >= 0 && cxGrid2->columns()[static_cast<size_t>(focusedColumn)].headerText() == u"Seç";
    if (!secColumn) {
        Tstokayarinti::ChangeCommand(BasketContextOf(m_form, [this] { ReloadBasket(); }), sepet, sirano);
        return;
    }
    const int mark = sepet.fieldByName(u"SEC").toInt() == 0 ? 1 : 0;
    sepet.edit();
    sepet.setFieldValue(u"SEC", mark);
    sepet.post();
    updateMark(sirano, mark);
    BasketTotals();
}

void TSepet::markAll(int mark)
{
    MemDataset& sepet = m_form.sepet;
    if (sepet.active()) {
        for (sepet.first(); !sepet.eof(); sepet.next()) {
            sepet.edit();
            sepet.setFieldValue(u"SEC", mark);
            sepet.post();
            updateMark(sepet.fieldByName(u"SIRANO").toInt(), mark);
        }
    }
    BasketTotals();
    if (m_form.araedit->isEnabled()) {
        m_form.araedit->selectAll();
        m_form.araedit->setFocus();
    }
}

void TSepet::SatrSil1Click()
{
    const int row = cxGrid2->focusedRow();
    if (row < 0)
        return;
    MemDataset& sepet = m_form.sepet;
    const int sirano = cxGrid2->value(row, u"SIRANO").toInt();
    sepet.locate(QStringLiteral("SIRANO"), sirano);
    if (ShowMessageDialog(QStringLiteral("Satırı silmek istiyor musunuz "), TMsgDlgType::mtConfirmation,
                          {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}, TMsgDlgBtn::mbNo) != TMsgDlgBtn::mbYes)
        return;
    if (!ConnectWithRetry(m_form.bagc, 1))
        return;
    {
        CloseOnExit closer(m_form.bagc);
        TServerMethods1Client proxy(m_form.bagc.dbxConnection());
        proxy.SepetSatirSil(m_form.sbilgi, sirano,
                            cxGrid2->displayText(row, u"BARKOD") + QStringLiteral("-") + cxGrid2->displayText(row, u"STOKADI"));
    }
    ReloadBasket();
    ShowMessageDialog(QStringLiteral("Satır silindi !"), TMsgDlgType::mtInformation, {TMsgDlgBtn::mbOK}, TMsgDlgBtn::mbOK);
}

void TSepet::HepsiniSil1Click()
{
    if (!HasRows(m_form.sepet))
        return;
    if (ShowMessageDialog(QStringLiteral("Tüm Sepeti Silmek İstiyor musunuz "), TMsgDlgType::mtConfirmation,
                          {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}, TMsgDlgBtn::mbNo) != TMsgDlgBtn::mbYes)
        return;
    if (!ConnectWithRetry(m_form.bagc, 1))
        return;
    {
        CloseOnExit closer(m_form.bagc);
        TServerMethods1Client proxy(m_form.bagc.dbxConnection());
        proxy.SepetHepsiniSil(m_form.sbilgi);
        ShowMessageDialog(QStringLiteral("Sepet Silindi !"), TMsgDlgType::mtInformation, {TMsgDlgBtn::mbOK},
                          TMsgDlgBtn::mbOK);
    }
    ReloadBasket();
}

void TSepet::Button2Click()
{
    QFileDialog SaveDialog1(&m_form);
    ExportGridToSpreadsheet(SaveDialog1, *cxGrid2);
}

} // namespace velun
