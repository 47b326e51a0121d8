#include "catalogue/siparisformu.h"

#include "app/tform1.h"
#include "app/utils.h"
#include "catalogue/tonaysip.h"
#include "catalogue/tsepet.h"
#include "server/connection.h"
#include "server/connectwithretry.h"
#include "server/dataset.h"
#include "server/servermethods1client.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace velun {
namespace {


void warn(const QString& text)
{
    ShowMessageDialog(text, TMsgDlgType::mtWarning, {TMsgDlgBtn::mbOK}, TMsgDlgBtn::mbOK);
}

} // namespace

TSiparisFormu::TSiparisFormu(TForm1& form, TSepet& sepet, QWidget* panel, QPushButton* gonder)
    : QObject(&sepet), Button1(gonder), m_form(form), m_sepet(sepet)
{
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    teslimbox = new QGroupBox(QStringLiteral("Teslim Durumu"), panel);
    teslimbox->setFixedWidth(135);
    new QVBoxLayout(teslimbox);
    teslimSecenekleri = new QButtonGroup(this);
    boxkargo = new QGroupBox(QStringLiteral("Kargo Türleri"), panel);
    boxkargo->setFixedWidth(208);
    new QVBoxLayout(boxkargo);
    kargoTurleri = new QButtonGroup(this);
    auto* kargo = new QGroupBox(QStringLiteral("Kargo"), panel);
    auto* kargoColumn = new QVBoxLayout(kargo);
    kargocombo = new QComboBox(kargo);
    kargocombo->setObjectName(QStringLiteral("kargocombo"));
    kargocombo->setEditable(false);
    uyarikargo = new QLabel(kargo);
    uyarikargo->setObjectName(QStringLiteral("uyarikargo"));
    uyarikargo->setFixedSize(210, 59);
    uyarikargo->setWordWrap(true);
    kargoColumn->addWidget(kargocombo);
    kargoColumn->addWidget(uyarikargo);
    auto* mesaj = new QGroupBox(QStringLiteral("Mesaj"), panel);
    auto* mesajColumn = new QVBoxLayout(mesaj);
    aciklamagir = new QPlainTextEdit(mesaj);
    aciklamagir->setObjectName(QStringLiteral("aciklamagir"));
    QFont f = aciklamagir->font();
    f.setPixelSize(11);
    f.setBold(true);
    aciklamagir->setFont(f);
    QPalette p = aciklamagir->palette();
    p.setColor(QPalette::Base, QColor(0xF6, 0xF9, 0xFB));
    aciklamagir->setPalette(p);
    mesajColumn->addWidget(aciklamagir);
    row->addWidget(teslimbox);
    row->addWidget(boxkargo);
    row->addWidget(kargo);
    row->addWidget(mesaj, 1);

    connect(kargoTurleri, &QButtonGroup::idClicked, this, [this](int) { boxkargoClick(); });
    connect(kargocombo, &QComboBox::activated, this, [this](int) { kargocomboChange(); });
    connect(Button1, &QPushButton::clicked, this, &TSiparisFormu::Button1Click);
}

void TSiparisFormu::clearGroup(QGroupBox* box, QButtonGroup* group)
{
    for (QAbstractButton* b : group->buttons()) {
        group->removeButton(b);
        delete b;
    }
    Q_UNUSED(box);
}

void TSiparisFormu::LoadDeliveryAndCargo()
{
    std::unique_ptr<ServerConnection> clone = m_form.bagc.clone();
    if (!ConnectWithRetry(*clone, 1))
        return;
    CloseOnExit closer(*clone);
    auto fill = [](QGroupBox* box, QButtonGroup* group, TableReader reader) {
        while (reader.next()) {
            auto* b = new QRadioButton(reader.value(1).toString(), box);
            // The groups are narrow: a lighter face fits the usual names, the tip shows any longer one.
            QFont f = b->font();
            f.setBold(false);
            f.setPixelSize(12);
            b->setFont(f);
            b->setToolTip(b->text());
            group->addButton(b, reader.value(0).toInt());
            box->layout()->addWidget(b);
        }
    };
    {
        TServerMethods1Client proxy(clone->dbxConnection());
        TableReader teslim = proxy.TeslimVer();
        clearGroup(teslimbox, teslimSecenekleri);
        fill(teslimbox, teslimSecenekleri, std::move(teslim));
        const QList<QAbstractButton*> options = teslimSecenekleri->buttons();
        if (options.size() >= 2)
            options[1]->setChecked(true);
        else if (options.size() == 1)
            options[0]->setChecked(true);
    }
    TServerMethods1Client proxy(clone->dbxConnection());
    TableReader kinds = proxy.KargoVer();
    clearGroup(boxkargo, kargoTurleri);
    fill(boxkargo, kargoTurleri, std::move(kinds)); // no kind is preselected
}

void TSiparisFormu::boxkargoClick()
{
    uyarikargo->clear();
    const int kind = kargoTurleri->checkedId();
    if (kind == -1 && !kargoTurleri->checkedButton())
        return;
    if (!ConnectWithRetry(m_form.bagc, 1))
        return;
    {
        CloseOnExit closer(m_form.bagc);
        TServerMethods1Client proxy(m_form.bagc.dbxConnection());
        TableReader firms = proxy.KargolarVer(kind);
        CopyReaderToDataset(firms, m_form.kargo);
    }
    kargocombo->clear();
    const int adi = m_form.kargo.columnIndex(u"ADI");
    for (int r = 0; adi >= 0 && r < m_form.kargo.rowCount(); ++r)
        kargocombo->addItem(m_form.kargo.displayText(r, adi));
    if (kargocombo->count() > 0)
        kargocombo->setCurrentIndex(0); // not a user change: the warning stays empty
}

void TSiparisFormu::kargocomboChange()
{
    uyarikargo->clear();
    const MemDataset& kargo = m_form.kargo;
    const int adi = kargo.columnIndex(u"ADI");
    const int uyari = kargo.columnIndex(u"UYARI");
    for (int r = 0; adi >= 0 && r < kargo.rowCount(); ++r)
        if (kargo.displayText(r, adi) == kargocombo->currentText()) {
            uyarikargo->setText(uyari >= 0 ? kargo.value(r, uyari).toString() : QString());
            return;
        }
}

void TSiparisFormu::Button1Click()
{
    if (!AnyRowSelected(m_form.sepet))
        return warn(QStringLiteral("Gönderilecek Parça Yok "));
    QAbstractButton* teslim = teslimSecenekleri->checkedButton();
    if (!teslim)
        return warn(QStringLiteral("Lütfen Teslim Durumu Seçiniz !"));
    QAbstractButton* kind = kargoTurleri->checkedButton();
    if (!kind)
        return warn(QStringLiteral("Lütfen Kargo Türünü Seçiniz !"));
    if (kargocombo->currentIndex() < 0 || kargocombo->currentText().isEmpty()) {
        warn(QStringLiteral("Lütfen Kargo  Seçiniz !"));
        kargocombo->setFocus();
        return;
    }
    int firm = 0;
    const MemDataset& kargo = m_form.kargo;
    const int adi = kargo.columnIndex(u"ADI");
    const int sira = kargo.columnIndex(u"SIRANO");
    for (int r = 0; adi >= 0 && r < kargo.rowCount(); ++r)
        if (kargo.displayText(r, adi) == kargocombo->currentText()) {
            firm = sira >= 0 ? kargo.value(r, sira).toInt() : 0;
            break;
        }
    const int teslimId = teslimSecenekleri->id(teslim);
    const int kindId = kargoTurleri->id(kind);

    TONAYSIP onay(&m_form);
    const TSonucBilgisi& b = m_form.sbilgi;
    onay.Label2->setText(QStringList{QStringLiteral("Kullanıcı: ") + b.ADI(), QStringLiteral("Cari     : ") + b.CariAdi(),
                                     QStringLiteral("Teslim   : ") + teslim->text(),
                                     QStringLiteral("Kargo    : ") + kind->text(),
                                     QStringLiteral("Tutar    : ") + m_sepet.geneltoplaml->text(),
                                     QStringLiteral("Kargo    : ") + kargocombo->currentText(),
                                     QStringLiteral("Açıklama : ") + aciklamagir->toPlainText()}
                             .join(u'\n'));
    onay.Label3->setText(m_sepet.lbluyarbakiye->text());
    if (onay.exec() != QDialog::Accepted)
        return;

    const TSonucBilgisi copy = m_form.sbilgi;
    bool saved = false;
    if (ConnectWithRetry(m_form.bagc, 1)) {
        CloseOnExit closer(m_form.bagc);
        TServerMethods1Client proxy(m_form.bagc.dbxConnection());
        saved = proxy.SiparisKaydet(copy, copy.CARINO(), teslimId, kindId, aciklamagir->toPlainText(), copy.Sirano(), firm);
    }
    if (saved) {
        ShowMessageDialog(QStringLiteral("Siparişiniz Gönderildi !"), TMsgDlgType::mtInformation, {TMsgDlgBtn::mbOK},
                          TMsgDlgBtn::mbOK);
        m_sepet.ReloadBasket();
        aciklamagir->clear();
    } else {
        ShowMessageDialog(QStringLiteral("Sipariş Göndermede Hata"), TMsgDlgType::mtError, {TMsgDlgBtn::mbOK},
                          TMsgDlgBtn::mbOK);
    }
}

} // namespace velun
