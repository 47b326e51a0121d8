#include "catalogue/tstokayarinti.h"

#include "app/tform1.h"
#include "app/utils.h"
#include "server/baglantiu.h"
#include "server/connection.h"
#include "server/connectwithretry.h"
#include "server/dataset.h"
#include "server/displayformat.h"
#include "server/servermethods1client.h"
#include "server/streamresult.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace velun {
namespace {

const QColor kSlate(0x43, 0x4C, 0x58);

// The picture the dialog holds until the product's own arrives: the distributor's logo.
QPixmap storedPicture()
{
    QPixmap pm(350, 224);
    pm.fill(QColor(0xF6, 0xF9, 0xFB));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(64);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0xF2, 0x8C, 0x28));
    p.drawText(QRect(0, 40, 350, 100), Qt::AlignCenter, QStringLiteral("VELUN"));
    f.setPixelSize(15);
    p.setFont(f);
    p.setPen(kSlate);
    p.drawText(QRect(0, 140, 350, 40), Qt::AlignCenter, QStringLiteral("OTOMOTİV YEDEK PARÇA"));
    return pm;
}

QLabel* caption(const QString& text, int px, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setPixelSize(px);
    f.setBold(true);
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, kSlate);
    l->setPalette(pal);
    return l;
}

QString textOf(const MemDataset& d, int row, QStringView field)
{
    const int c = d.columnIndex(field);
    return c < 0 ? QString() : d.displayText(row, c);
}

QVariant valueOf(const MemDataset& d, int row, QStringView field)
{
    const int c = d.columnIndex(field);
    return c < 0 ? QVariant() : d.value(row, c);
}


} // namespace

Tstokayarinti::Tstokayarinti(QWidget* owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Sepete Ekle"));
    setFixedSize(550, 631);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* header = new QWidget(this);
    header->setFixedHeight(97);
    auto* hg = new QGridLayout(header);
    hg->setContentsMargins(12, 6, 12, 6);
    hg->setVerticalSpacing(1);
    const QList<std::pair<QString, QLabel**>> pairs = {{QStringLiteral("Barkod:"), &barkod},
                                                      {QStringLiteral("Açıklama:"), &adi},
                                                      {QStringLiteral("Kod:"), &finishkod},
                                                      {QStringLiteral("Marka:"), &marka},
                                                      {QStringLiteral("Model:"), &model}};
    int line = 0;
    for (const auto& [text, target] : pairs) {
        hg->addWidget(caption(text, 11, header), line, 0);
        *target = caption(QString(), 11, header);
        hg->addWidget(*target, line++, 1);
    }
    hg->setColumnStretch(1, 1);
    column->addWidget(header);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setMinimumSize(1, 1);
    Image1->setPixmap(storedPicture());
    column->addWidget(Image1, 1);

    auto* bottom = new QWidget(this);
    bottom->setFixedHeight(190);
    auto* bg = new QGridLayout(bottom);
    bg->setContentsMargins(12, 6, 12, 6);
    auto money = [&](const QString& name) {
        auto* e = new QLineEdit(bottom);
        e->setObjectName(name);
        QFont f = e->font();
        f.setPixelSize(20);
        e->setFont(f);
        e->setAlignment(Qt::AlignRight);
        e->setReadOnly(true);
        e->installEventFilter(this);
        return e;
    };
    adet = new QSpinBox(bottom);
    adet->setObjectName(QStringLiteral("adet"));
    adet->setRange(1, 10000);
    adet->setValue(1);
    QFont af = adet->font();
    af.setPixelSize(20);
    adet->setFont(af);
    QPalette ap = adet->palette();
    ap.setColor(QPalette::Base, QColor(0xF6, 0xF9, 0xFB));
    adet->setPalette(ap);
    adet->installEventFilter(this);
    birimfiyat = money(QStringLiteral("birimfiyat"));
    indoran = money(QStringLiteral("indoran"));
    indoran->setFixedWidth(65);
    indtutar = money(QStringLiteral("indtutar"));
    kdvdahiltutar = money(QStringLiteral("kdvdahiltutar"));
    geneltutar = money(QStringLiteral("geneltutar"));
    indirimoran = caption(QStringLiteral("İndirim:"), 20, bottom);
    indirimoran->setObjectName(QStringLiteral("indirimoran"));

    bg->addWidget(caption(QStringLiteral("Adet:"), 20, bottom), 0, 0);
    bg->addWidget(adet, 0, 1, 1, 2);
    bg->addWidget(caption(QStringLiteral("Fiyat:"), 20, bottom), 1, 0);
    bg->addWidget(birimfiyat, 1, 1, 1, 2);
    bg->addWidget(indirimoran, 2, 0);
    bg->addWidget(indoran, 2, 1);
    bg->addWidget(indtutar, 2, 2);
    bg->addWidget(caption(QStringLiteral("KDV Dahil:"), 20, bottom), 3, 0);
    bg->addWidget(kdvdahiltutar, 3, 1, 1, 2);
    bg->addWidget(caption(QStringLiteral("Tutar:"), 20, bottom), 4, 0);
    bg->addWidget(geneltutar, 4, 1, 1, 2);
    auto* buttons = new QVBoxLayout;
    ParcaliTus1 = new QPushButton(QStringLiteral("Sipariş ekle"), bottom);
    ParcaliTus1->setObjectName(QStringLiteral("ParcaliTus1"));
    ParcaliTus2 = new QPushButton(QStringLiteral("Vazgeç"), bottom);
    ParcaliTus2->setObjectName(QStringLiteral("ParcaliTus2"));
    for (QPushButton* b : {ParcaliTus1, ParcaliTus2}) {
        b->setAutoDefault(false);
        b->setMinimumSize(130, 60);
        buttons->addWidget(b);
    }
    bg->addLayout(buttons, 0, 3, 5, 1);
    bg->setColumnStretch(2, 1);
    column->addWidget(bottom);

    connect(ParcaliTus1, &QPushButton::clicked, this, &QDialog::accept);
    connect(ParcaliTus2, &QPushButton::clicked, this, &QDialog::reject);
    connect(adet, &QSpinBox::valueChanged, this, &Tstokayarinti::quantityChanged);
    setTabOrder(adet, birimfiyat);
    adet->setFocus();
}

void Tstokayarinti::setPricesEditable(bool editable)
{
    birimfiyat->setReadOnly(!editable);
    indoran->setReadOnly(!editable);
}

void Tstokayarinti::setMoney(QLineEdit* box, double value)
{
    box->setText(FormatFloat(kMoneyDisplayFormat, value, QLocale()));
}

double Tstokayarinti::moneyValue(const QLineEdit* box) const
{
    const QLocale locale;
    QString text = box->text().trimmed();
    text.remove(locale.groupSeparator());
    bool ok = false;
    const double v = locale.toDouble(text, &ok);
    return ok ? v : 0.0;
}

std::optional<double> Tstokayarinti::quantity() const
{
    bool ok = false;
    const double q = QLocale().toDouble(adet->text().trimmed(), &ok);
    if (!ok || !std::isfinite(q))
        return std::nullopt;
    return q;
}

void Tstokayarinti::setBoxes(const QuantityBoxes& b)
{
    setMoney(birimfiyat, b.birimfiyat);
    if (b.discountLeftEmpty)
        indoran->clear();
    else
        setMoney(indoran, b.indoran);
    setMoney(indtutar, b.indtutar);
    setMoney(kdvdahiltutar, b.kdvdahiltutar);
    setMoney(geneltutar, b.geneltutar);
    indirimoran->setText(b.indirimoran);
    kdvlifiyat = b.kdvlifiyat;
}

QuantityBoxes Tstokayarinti::boxes() const
{
    QuantityBoxes b;
    b.birimfiyat = moneyValue(birimfiyat);
    b.indoran = moneyValue(indoran);
    b.indtutar = moneyValue(indtutar);
    b.kdvdahiltutar = moneyValue(kdvdahiltutar);
    b.geneltutar = moneyValue(geneltutar);
    b.kdvlifiyat = kdvlifiyat;
    return b;
}

void Tstokayarinti::recompute()
{
    QuantityBoxes b = boxes();
    RecomputeQuantityBoxes(b, kdvoran, quantity().value_or(1), QLocale());
    setMoney(indtutar, b.indtutar);
    setMoney(kdvdahiltutar, b.kdvdahiltutar);
    setMoney(geneltutar, b.geneltutar);
}

void Tstokayarinti::quantityChanged()
{
    setMoney(geneltutar, ShownTotal(quantity().value_or(1), kdvlifiyat, QLocale()));
    recompute();
}

void Tstokayarinti::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    setMoney(geneltutar, ShownTotal(quantity().value_or(1), kdvlifiyat, QLocale()));
}

void Tstokayarinti::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        adet->selectAll(); // typing replaces the quantity
}

bool Tstokayarinti::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (enter && watched == adet) {
            accept();
            return true;
        }
        if (enter && watched == birimfiyat) {
            indoran->setFocus();
            indoran->selectAll();
            return true;
        }
        if (enter && watched == indoran) {
            birimfiyat->selectAll();
            birimfiyat->setFocus();
            return true;
        }
    }
    if (event->type() == QEvent::KeyRelease &&
        (watched == birimfiyat || watched == indoran || watched == indtutar || watched == kdvdahiltutar ||
         watched == geneltutar))
        recompute();
    return QDialog::eventFilter(watched, event);
}

void Tstokayarinti::loadPicture(ServerConnection& connection, int stokno)
{
    if (!ConnectWithRetry(connection, 1))
        return;
    CloseOnExit closer(connection);
    try {
        TServerMethods1Client proxy(connection.dbxConnection());
        qint64 boy = 0;
        ByteStream stream = proxy.ResimVer5(stokno, boy);
        if (const std::optional<QByteArray> bytes = ReadStreamResult(stream, boy)) {
            QPixmap picture;
            if (picture.loadFromData(*bytes, "JPEG")) {
                Image1->setPixmap(picture.scaled(QSize(530, 330), Qt::KeepAspectRatio, Qt::SmoothTransformation));
                m_productPicture = true;
            }
        }
    } catch (const VelunError& e) {
        ShowMessageDialog(e.className() + QStringLiteral(": ") + e.message(), TMsgDlgType::mtCustom, {TMsgDlgBtn::mbOK},
                          TMsgDlgBtn::mbOK);
    }
}

namespace {

// A quantity the dialog accepted, kept in the documented range.
double sentQuantity(double q)
{
    return std::clamp(std::round(q), 1.0, 10000.0);
}

// What an accepted dialog sends: the quantity, the unit price and the discount rate.
struct AcceptedLine
{
    double miktar = 0;
    double fiyat = 0;
    double indirim = 0;
};

AcceptedLine acceptedLine(const Tstokayarinti& d)
{
    const std::optional<double> q = d.quantity();
    if (!q)
        throw VelunError(QStringLiteral("'%1' geçerli bir miktar değil").arg(d.adet->text()));
    return {sentQuantity(*q), d.moneyValue(d.birimfiyat), d.moneyValue(d.indoran)};
}

void prepare(Tstokayarinti& d, const BasketContext& ctx, const MemDataset& source, int row, bool basketLine, int stokno)
{
    d.loadPicture(*ctx.bagc, stokno);
    d.kdvoran = valueOf(source, row, u"KDV").toDouble();
    d.barkod->setText(textOf(source, row, u"BARKOD"));
    d.adi->setText(textOf(source, row, basketLine ? u"STOKADI" : u"ADI"));
    d.marka->setText(textOf(source, row, u"MARKA"));
    d.finishkod->setText(textOf(source, row, u"FINISHKOD"));
    d.model->setText(textOf(source, row, u"MODEL"));
    const int type = ctx.sbilgi->MusteriTipi();
    d.setPricesEditable(type == 1 || type == 2);
}

} // namespace

BasketContext BasketContextOf(TForm1& form, std::function<void()> reloadBasket)
{
    BasketContext c;
    c.owner = &form;
    c.bagc = &form.bagc;
    c.sbilgi = &form.sbilgi;
    c.reloadBasket = std::move(reloadBasket);
    return c;
}

void Tstokayarinti::AddCommand(const BasketContext& ctx, MemDataset& source, QuantitySource kind, int stokno)
{
    const int row = source.recNo() - 1; // the source is positioned on the chosen row
    if (row < 0)
        return;
    Tstokayarinti d(ctx.owner);
    prepare(d, ctx, source, row, false, stokno);
    d.setBoxes(PrefillQuantityBoxes(kind, source, row, QLocale()));
    if (d.exec() != QDialog::Accepted)
        return;
    const AcceptedLine line = acceptedLine(d); // before any server call
    const TSonucBilgisi bilgi = *ctx.sbilgi;
    if (!ConnectWithRetry(*ctx.bagc, 1))
        return;
    CloseOnExit closer(*ctx.bagc);
    TServerMethods1Client proxy(ctx.bagc->dbxConnection());
    const qint32 result = proxy.SepetEkle(
        bilgi, bilgi.CARINO(), valueOf(source, row, u"STOK_STOKNO").toInt(), valueOf(source, row, u"BARKOD").toString(),
        valueOf(source, row, u"ADI").toString(), line.miktar, std::trunc(valueOf(source, row, u"KDV").toDouble()),
        line.fiyat, line.indirim, bilgi.Sirano(), valueOf(source, row, u"K").toInt());
    if (result == 1 && ctx.reloadBasket)
        ctx.reloadBasket();
}

void Tstokayarinti::ChangeCommand(const BasketContext& ctx, MemDataset& sepet, int sirano)
{
    if (!sepet.locate(QStringLiteral("SIRANO"), sirano))
        return;
    const int row = sepet.recNo() - 1;
    Tstokayarinti d(ctx.owner);
    prepare(d, ctx, sepet, row, true, valueOf(sepet, row, u"STOKNO").toInt());
    d.setBoxes(PrefillQuantityBoxes(QuantitySource::BasketLine, sepet, row, QLocale()));
    d.adet->setValue(static_cast<int>(std::clamp(valueOf(sepet, row, u"MIKTAR").toDouble(), 1.0, 10000.0)));
    if (d.exec() != QDialog::Accepted)
        return;
    const AcceptedLine line = acceptedLine(d); // before any server call
    const TSonucBilgisi bilgi = *ctx.sbilgi;
    if (ConnectWithRetry(*ctx.bagc, 1)) {
        CloseOnExit closer(*ctx.bagc);
        TServerMethods1Client proxy(ctx.bagc->dbxConnection());
        proxy.SepetGuncelle(bilgi, bilgi.CARINO(), 0, valueOf(sepet, row, u"BARKOD").toString(),
                            valueOf(sepet, row, u"STOKADI").toString(), line.miktar,
                            std::trunc(valueOf(sepet, row, u"KDV").toDouble()), line.fiyat, line.indirim, bilgi.Sirano(),
                            sirano);
    }
    if (ctx.reloadBasket)
        ctx.reloadBasket();
}

} // namespace velun
