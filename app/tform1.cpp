#include "app/tform1.h"

#include "app/artwork.h"
#include "app/busyindicator.h"
#include "app/clientconfig.h"
#include "app/uppercaseedit.h"
#include "app/utils.h"
#include "app/velunstyle.h"
#include "catalogue/itemlists.h"
#include "catalogue/stoklistesi.h"
#include "catalogue/tsepet.h"
#include "login/tgirisform.h"
#include "login/tkullanicikayit.h"
#include "platform/identity.h"
#include "platform/processend.h"
#include "server/backgroundtask.h"
#include "server/connectwithretry.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMutex>
#include <QPushButton>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace velun {
namespace {

const QString kProgramTitle = QStringLiteral("VELUN B2B Programı");
const QString kStokListesi = QStringLiteral("Stok Listesi");
constexpr int kTabHeight = 45;
constexpr int kTabWidth = 110;
constexpr int kLegendIconSize = 24;

// A caption wider than this breaks into two lines at the blank that balances them.
constexpr int kTabTextWidth = 90;

QString wrappedCaption(const QString& text, const QFontMetrics& metrics)
{
    if (metrics.horizontalAdvance(text) <= kTabTextWidth)
        return text;
    QString best = text;
    int bestWidth = metrics.horizontalAdvance(text);
    for (qsizetype blank = text.indexOf(u' '); blank >= 0; blank = text.indexOf(u' ', blank + 1)) {
        const QString first = text.left(blank);
        const QString second = text.mid(blank + 1);
        const int width = std::max(metrics.horizontalAdvance(first), metrics.horizontalAdvance(second));
        if (width < bestWidth) {
            bestWidth = width;
            best = first + u'\n' + second;
        }
    }
    return best;
}

// Tabs at least the design size (110 × 45); long captions take two lines so that all ten tabs
// stay in one row at the design width. The caption itself (tabText) is never changed.
constexpr int kTabTextMargin = 12;

class PageTabBar : public QTabBar
{
public:
    using QTabBar::QTabBar;

protected:
    QSize tabSizeHint(int index) const override
    {
        QStyleOptionTab option;
        initStyleOption(&option, index);
        option.text = wrappedCaption(tabText(index), fontMetrics());
        const QSize text = fontMetrics().size(Qt::TextShowMnemonic, option.text);
        const QSize icon = tabIcon(index).isNull() ? QSize() : iconSize();
        // Room for the icon, its gap and the style's label margins on both sides.
        const QSize contents(text.width() + (icon.isEmpty() ? 0 : icon.width() + 6) + 2 * kTabTextMargin,
                             std::max(text.height(), icon.height()));
        const QSize natural = style()->sizeFromContents(QStyle::CT_TabBarTab, &option, contents, this);
        return {std::max(natural.width(), kTabWidth), std::max(natural.height(), kTabHeight)};
    }

    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        // Tabs scrolled under the scroll buttons stay hidden behind them.
        QRegion visible(rect());
        for (const QToolButton* scroll : findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (scroll->isVisible())
                visible -= scroll->geometry();
        }
        painter.setClipRegion(visible);
        const auto drawTab = [&](int index) {
            QStyleOptionTab option;
            initStyleOption(&option, index);
            option.text = wrappedCaption(tabText(index), fontMetrics());
            painter.drawControl(QStyle::CE_TabBarTab, option);
        };
        for (int i = 0; i < count(); ++i) {
            if (i != currentIndex() && isTabVisible(i))
                drawTab(i);
        }
        // The selected tab last, over its neighbours.
        if (currentIndex() >= 0 && isTabVisible(currentIndex()))
            drawTab(currentIndex());
    }
};

class PageControl : public QTabWidget
{
public:
    explicit PageControl(QWidget* parent) : QTabWidget(parent)
    {
        auto* tabs = new PageTabBar(this);
        tabs->setExpanding(false);
        tabs->setUsesScrollButtons(true);
        tabs->setElideMode(Qt::ElideNone);
        tabs->setIconSize({24, 24});
        setTabBar(tabs);
    }
};

QFrame* bar(QWidget* parent, const QString& objectName, int height)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(objectName);
    frame->setFixedHeight(height);
    frame->setFrameShape(QFrame::NoFrame);
    return frame;
}

QMutex g_openerMutex;
TForm1::UrlOpener g_urlOpener;

} // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setFont(VelunFont(13, true));
    setWindowTitle(kProgramTitle);
    resize(1344, 662);

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildHeader());
    column->addWidget(buildSearchBar());
    column->addWidget(buildPages(), 1);
    column->addWidget(buildLegend());
    column->addWidget(buildNewsLine());
    setCentralWidget(central);
    buildMenu();
    stokListesi = new TStokListesi(*this);
    sepetSekmesi = new TSepet(*this);
    yeniStoklar = new TYeniStoklar(*this);
    kampanyaliStoklar = new TKampanyaliStoklar(*this);
    stokListesi->reloadBasket = [this] { sepetSekmesi->ReloadBasket(); };
    yeniStoklar->reloadBasket = stokListesi->reloadBasket;
    kampanyaliStoklar->reloadBasket = stokListesi->reloadBasket;

    araedit->setFocus();
}

TForm1::~TForm1() = default;

QWidget* TForm1::buildHeader()
{
    QFrame* header = bar(this, QStringLiteral("velunHeader"), 73);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(10, 3, 6, 3);

    auto* labels = new QGridLayout;
    labels->setHorizontalSpacing(4);
    labels->setVerticalSpacing(2);
    auto addPair = [&](int line, const QString& caption, QLabel*& value, const QString& name) {
        auto* title = new QLabel(caption, header);
        title->setObjectName(name + QStringLiteral("baslik"));
        title->setProperty("caption", true);
        value = new QLabel(header);
        value->setObjectName(name);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setMinimumWidth(1); // a long text is cut, it never holds the window wide
        labels->addWidget(title, line, 0, Qt::AlignLeft | Qt::AlignVCenter);
        labels->addWidget(value, line, 1, Qt::AlignLeft | Qt::AlignVCenter);
    };
    addPair(0, QStringLiteral("Kullanıcı: "), kullanicilbl, QStringLiteral("kullanicilbl"));
    addPair(1, QStringLiteral("Firma: "), cariadilbl, QStringLiteral("cariadilbl"));
    addPair(2, QStringLiteral("Temsilci: "), saticilbl, QStringLiteral("saticilbl"));
    labels->setColumnStretch(1, 1);
    row->addLayout(labels, 1);

    RxGIFAnimator1 = new QLabel(header);
    RxGIFAnimator1->setObjectName(QStringLiteral("RxGIFAnimator1"));
    RxGIFAnimator1->setFixedSize(409, 67);
    RxGIFAnimator1->setAlignment(Qt::AlignCenter);
    row->addWidget(RxGIFAnimator1);

    genelbuton = new QToolButton(header);
    genelbuton->setObjectName(QStringLiteral("genelbuton"));
    genelbuton->setIcon(artwork::buttonIcon(artwork::ButtonIcon::Menu));
    genelbuton->setIconSize({40, 40});
    genelbuton->setPopupMode(QToolButton::MenuButtonPopup);
    genelbuton->setFixedHeight(61);
    genelbuton->setMinimumWidth(72);
    row->addWidget(genelbuton);
    return header;
}

QWidget* TForm1::buildSearchBar()
{
    QFrame* search = bar(this, QStringLiteral("aramaPanel"), 35);
    auto* row = new QHBoxLayout(search);
    row->setContentsMargins(8, 2, 8, 2);
    row->setSpacing(4);

    auto* searchIcon = new QLabel(search);
    searchIcon->setPixmap(artwork::buttonIcon(artwork::ButtonIcon::Search).pixmap(24, 24));
    row->addWidget(searchIcon);

    araedit = new QLineEdit(search);
    araedit->setObjectName(QStringLiteral("araedit"));
    araedit->setFixedWidth(340);
    araedit->setFont(VelunFont(20, true));
    ForceUpperCase(araedit);
    connect(araedit, &QLineEdit::returnPressed, this, &TForm1::araeditEnter);
    row->addWidget(araedit);

    auto toolButton = [&](const QString& name, artwork::ButtonIcon icon, const QString& hint) {
        auto* button = new QToolButton(search);
        button->setObjectName(name);
        button->setIcon(artwork::buttonIcon(icon));
        button->setIconSize({24, 24});
        button->setToolTip(hint);
        button->setAutoRaise(true);
        button->setFixedSize(31, 31);
        row->addWidget(button);
        return button;
    };
    SpeedButton2 =
        toolButton(QStringLiteral("SpeedButton2"), artwork::ButtonIcon::Ara, QStringLiteral("Ara"));
    SpeedButton1 =
        toolButton(QStringLiteral("SpeedButton1"), artwork::ButtonIcon::Temizle, QStringLiteral("Temizle"));
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm1::SpeedButton2Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm1::SpeedButton1Click);

    musteritus = new QPushButton(artwork::buttonIcon(artwork::ButtonIcon::CariSec),
                                 QStringLiteral("Başka Cari Seç"), search);
    musteritus->setObjectName(QStringLiteral("musteritus"));
    musteritus->setFixedHeight(31);
    musteritus->hide();
    row->addWidget(musteritus);

    BusyIndicator** busy[] = {&gifstokara,   &gifyeniler, &gifkampanyali, &gifduyuru,
                              &gifoncekiler, &gifekstre,  &gifdosyalar,   &gifsanalpos};
    const char* busyNames[] = {"gifstokara",   "gifyeniler", "gifkampanyali", "gifduyuru",
                               "gifoncekiler", "gifekstre",  "gifdosyalar",   "gifsanalpos"};
    for (std::size_t i = 0; i < std::size(busy); ++i) {
        *busy[i] = new BusyIndicator(search);
        (*busy[i])->setObjectName(QString::fromLatin1(busyNames[i]));
        (*busy[i])->hide();
        row->addWidget(*busy[i]);
    }

    kurlabel = new QLabel(search);
    kurlabel->setObjectName(QStringLiteral("kurlabel"));
    kurlabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    kurlabel->setContentsMargins(10, 0, 0, 0);
    kurlabel->hide();
    row->addWidget(kurlabel);
    row->addStretch(1);
    return search;
}

QWidget* TForm1::buildPages()
{
    sPageControl1 = new PageControl(this);
    sPageControl1->setObjectName(QStringLiteral("sPageControl1"));
    struct Page
    {
        QWidget** member;
        const char* name;
        QString caption;
        artwork::TabIcon icon;
    };
    using artwork::TabIcon;
    const Page pages[] = {
        {&sstoklistesi, "sstoklistesi", kStokListesi, TabIcon::StokListesi},
        {&ssepet, "ssepet", QStringLiteral("Sepet"), TabIcon::Sepet},
        {&sonceki, "sonceki", QStringLiteral("Önceki Siparişler"), TabIcon::OncekiSiparisler},
        {&sccariekstre, "sccariekstre", QStringLiteral("Cari Ekstre"), TabIcon::CariEkstre},
        {&syeniler, "syeniler", QStringLiteral("Yeni Stoklar"), TabIcon::YeniStoklar},
        {&skampanyali, "skampanyali", QStringLiteral("Kampanyalı Stoklar"), TabIcon::KampanyaliStoklar},
        {&sTabSheetduyuru, "sTabSheetduyuru", QStringLiteral("Duyurular"), TabIcon::Duyurular},
        {&sTabbakiyeler, "sTabbakiyeler", QStringLiteral("Bakiyeler"), TabIcon::Bakiyeler},
        {&skredikarti, "skredikarti", QStringLiteral("Sanal Pos"), TabIcon::SanalPos},
        {&tabdosyalar, "tabdosyalar", QStringLiteral("Dosyalar"), TabIcon::Dosyalar},
    };
    for (const Page& page : pages) {
        auto* widget = new QWidget(sPageControl1);
        widget->setObjectName(QString::fromLatin1(page.name));
        sPageControl1->addTab(widget, artwork::tabIcon(page.icon), page.caption);
        *page.member = widget;
    }
    sPageControl1->setCurrentIndex(0);
    connect(sPageControl1, &QTabWidget::currentChanged, this, &TForm1::onCurrentTabChanged);
    return sPageControl1;
}

QWidget* TForm1::buildLegend()
{
    QFrame* legend = bar(this, QStringLiteral("velunLegend"), 27);
    durumPanel = legend;
    auto* row = new QHBoxLayout(legend);
    row->setContentsMargins(8, 0, 8, 0);
    row->setSpacing(2);
    auto* title = new QLabel(QStringLiteral("Durum Açıklaması:    "), legend);
    title->setObjectName(QStringLiteral("durumbaslik"));
    row->addWidget(title);
    // The same icons the stock grids draw for each state.
    const std::pair<int, QString> states[] = {
        {0, QStringLiteral(" Stok mevcut  ")},  {8, QStringLiteral(" Telefon Açınız  ")},
        {2, QStringLiteral(" Yolda  ")},        {5, QStringLiteral(" Tedarik Sürecinde ")},
        {1, QStringLiteral(" Özel Sipariş  ")}, {4, QStringLiteral(" Yok  ")},
    };
    for (const auto& [iconIndex, text] : states) {
        auto* icon = new QLabel(legend);
        icon->setObjectName(QStringLiteral("durumikon%1").arg(iconIndex));
        icon->setPixmap(artwork::stockIconAt(iconIndex).pixmap(kLegendIconSize, kLegendIconSize));
        icon->setFixedSize(kLegendIconSize, kLegendIconSize);
        auto* label = new QLabel(text, legend);
        label->setObjectName(QStringLiteral("durumyazi%1").arg(iconIndex));
        label->setMinimumWidth(1);
        row->addWidget(icon);
        row->addWidget(label);
    }
    row->addStretch(1);
    return legend;
}

QWidget* TForm1::buildNewsLine()
{
    QFrame* news = bar(this, QStringLiteral("velunNewsBar"), 40);
    kayanyaziPanel = news;
    auto* row = new QHBoxLayout(news);
    row->setContentsMargins(0, 0, 0, 0);
    kayanyazi = new QWidget(news);
    kayanyazi->setObjectName(QStringLiteral("kayanyazi"));
    QFont newsFont(QStringLiteral("Arial"));
    newsFont.setPixelSize(24);
    kayanyazi->setFont(newsFont);
    row->addWidget(kayanyazi);
    return news;
}

void TForm1::buildMenu()
{
    Genelmenu = new QMenu(this);
    Genelmenu->setObjectName(QStringLiteral("Genelmenu"));
    M1 =
        Genelmenu->addAction(artwork::buttonIcon(artwork::ButtonIcon::Gonder), QStringLiteral("Mail Gönder"));
    M1->setObjectName(QStringLiteral("M1"));
    Genelmenu->addSeparator();
    N4 = Genelmenu->addAction(QStringLiteral("Şifre Değiştirme İsteği"));
    N4->setObjectName(QStringLiteral("N4"));
    Genelmenu->addSeparator();
    websitesi1 = Genelmenu->addAction(QStringLiteral("www."));
    websitesi1->setObjectName(QStringLiteral("websitesi1"));
    Genelmenu->addSeparator();
    G1 = Genelmenu->addAction(artwork::buttonIcon(artwork::ButtonIcon::Kapat), QStringLiteral("Çıkış"));
    G1->setObjectName(QStringLiteral("G1"));
    connect(M1, &QAction::triggered, this, &TForm1::M1Click);
    connect(N4, &QAction::triggered, this, &TForm1::N4Click);
    connect(websitesi1, &QAction::triggered, this, &TForm1::websitesi1Click);
    connect(G1, &QAction::triggered, this, &TForm1::G1Click);
    genelbuton->setMenu(Genelmenu);
}

void TForm1::FormCreate()
{
    _acilisadet = 0;
    // Message dialogs always use font size 15: ShowMessageDialog sets it on every box.
    QGuiApplication::setApplicationDisplayName(kProgramTitle);
    setWindowTitle(kProgramTitle);

    sbilgi = TSonucBilgisi();
    sbilgi.setBilgiSayarAdi(ComputerName());
    sbilgi.setBilgisayarKullanici(WindowsUserName());
    sbilgi.setIcip(LocalIpAddress());
    sbilgi.setBILGISAYARID(MachineId());

    bagc.Params.setValue(connparam::HostName, config::serverHost());
    bagc.Params.setValue(connparam::Port, config::serverPort());

    websitesi1->setText(QStringLiteral("www.") + config::webHost());

    {
        Tgirisform giris(this);
        giris.bagim = &bagc;
        giris.Bilgim = &sbilgi;
        if (giris.exec() != QDialog::Accepted) {
            platform::EndProcess(0);
            return;
        }
    }
    if (sbilgi.Disip().trimmed().isEmpty()) {
        platform::EndProcess(0);
        return;
    }
    applyCustomerType();
    startStartupTasks();
}

void TForm1::applyCustomerType()
{
    m_customerTypeRules = CustomerTypeRulesFor(sbilgi.MusteriTipi());
    musteritus->setVisible(m_customerTypeRules.musteriSecimi);
    sPageControl1->setTabVisible(sPageControl1->indexOf(skampanyali), m_customerTypeRules.kampanyaliSekmesi);
    emit customerTypeApplied(m_customerTypeRules);
}

void TForm1::writeHeader(const TSonucBilgisi& bilgi)
{
    kullanicilbl->setText(bilgi.ADI());
    cariadilbl->setText(bilgi.CariAdi());
    saticilbl->setText(bilgi.SaticiAdi() + QStringLiteral(" Telefonu: ") + bilgi.SaticiTelefon() +
                       QStringLiteral(" email: ") + bilgi.SaticiMail());
}

StartupTaskContext TForm1::startupContext()
{
    // Taken here, on the user-interface thread: the workers then never touch sbilgi or bagc.
    StartupTaskContext context;
    context.form = this;
    context.connection = bagc.clone();
    context.bilgi.Kopyala(sbilgi);
    return context;
}

void TForm1::startStartupTasks()
{
    RunTask(this, [context = startupContext()](TaskState&) mutable { BannerREsimAl(context); });
    RunTask(
        this,
        [context = startupContext()](TaskState&) mutable {
            AnaBilgiAl(context);
            KayanYaziAl(context);
            AcilisReklamAdetAl(context);
            BalonYaz(context);
            KurlariYaz(context);
        },
        [this](TaskState& state) {
            acilisReklamlariGoster();
            if (state.error)
                ShowMessageDialog(kConnectionFailedMessage, TMsgDlgType::mtError, {TMsgDlgBtn::mbOK},
                                  TMsgDlgBtn::mbOK);
            emit startupCompleted();
        });
}

void TForm1::BannerREsimAl(StartupTaskContext&)
{
    // The banner picture comes with the promotions feature.
}

void TForm1::AnaBilgiAl(StartupTaskContext& context)
{
    RunOnUiThreadAndWait([&context] {
        if (context.form)
            context.form->writeHeader(context.bilgi);
    });
}

void TForm1::KayanYaziAl(StartupTaskContext&)
{
    // The news line comes with the notices feature.
}

void TForm1::AcilisReklamAdetAl(StartupTaskContext&)
{
    // The opening advertisement count comes with the promotions feature.
}

void TForm1::BalonYaz(StartupTaskContext&)
{
    // The tab counters come with the notices feature.
}

void TForm1::KurlariYaz(StartupTaskContext&)
{
    // The exchange rates come with the notices feature.
}

void TForm1::acilisReklamlariGoster()
{
    if (_acilisadet == 0)
        return;
    // The opening advertisement window comes with the promotions feature.
}

void TForm1::closeEvent(QCloseEvent* event)
{
    bool canClose = true;
    FormCloseQuery(canClose);
    if (canClose)
        event->accept();
    else
        event->ignore();
}

void TForm1::FormCloseQuery(bool& CanClose)
{
    const TMsgDlgBtn answer =
        ShowMessageDialog(QStringLiteral("Programdan Çıkmak İstiyor musunuz ?"), TMsgDlgType::mtConfirmation,
                          {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}, TMsgDlgBtn::mbYes);
    if (answer == TMsgDlgBtn::mbYes)
        platform::EndProcess(0);
    // The process ends on Yes; the window itself never closes, so nothing is torn down around a running load.
    CanClose = false;
}

void TForm1::SpeedButton1Click()
{
    if (!araedit->isEnabled())
        return;
    if (stok.active()) {
        stok.emptyDataSet();
        sPageControl1->setTabText(sPageControl1->indexOf(sstoklistesi), kStokListesi);
    }
    if (sPageControl1->currentWidget() != sstoklistesi)
        sPageControl1->setCurrentWidget(sstoklistesi);
    emit stockListCleared();
    araedit->clear();
    araedit->selectAll();
    araedit->setFocus();
}

void TForm1::SpeedButton2Click()
{
    if (!araedit->isEnabled())
        return;
    araeditEnter();
}

void TForm1::araeditEnter()
{
    emit searchRequested();
}

void TForm1::M1Click()
{
    openMailWindow();
}

void TForm1::openMailWindow()
{
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("mailpencere"));
    dialog.setWindowTitle(QStringLiteral("Mail Gönder"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* text = new QLabel(QStringLiteral("Temsilcinize mail gönderme, mail özelliği ile birlikte gelecek."),
                            &dialog);
    text->setWordWrap(true);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("Tamam"), QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog.exec();
}

void TForm1::N4Click()
{
    const std::unique_ptr<Tkullanicikayit> istek = Tkullanicikayit::Ac(this, bagc, sbilgi);
    istek->exec();
}

void TForm1::websitesi1Click()
{
    openUrl(QUrl(QStringLiteral("http://www.") + config::webHost() + QStringLiteral("/")));
    araedit->selectAll();
    araedit->setFocus();
}

void TForm1::G1Click()
{
    close();
}

void TForm1::setShowHook(QWidget* tab, TabHook hook)
{
    m_showHooks.insert(tab, std::move(hook));
}

void TForm1::setHideHook(QWidget* tab, TabHook hook)
{
    m_hideHooks.insert(tab, std::move(hook));
}

void TForm1::onCurrentTabChanged(int index)
{
    QWidget* tab = sPageControl1->widget(index);
    if (tab == m_shownTab)
        return;
    if (m_shownTab) {
        if (const TabHook hook = m_hideHooks.value(m_shownTab))
            hook();
    }
    m_shownTab = tab;
    if (tab) {
        if (const TabHook hook = m_showHooks.value(tab))
            hook();
    }
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // The first tab is shown with the window.
    if (!m_shownTab)
        onCurrentTabChanged(sPageControl1->currentIndex());
}

TForm1::UrlOpener TForm1::setUrlOpener(UrlOpener opener)
{
    QMutexLocker lock(&g_openerMutex);
    std::swap(g_urlOpener, opener);
    return opener;
}

bool TForm1::openUrl(const QUrl& url)
{
    UrlOpener opener;
    {
        QMutexLocker lock(&g_openerMutex);
        opener = g_urlOpener;
    }
    return opener ? opener(url) : QDesktopServices::openUrl(url);
}

} // namespace velun
