#include "app/artwork.h"

#include "app/clientconfig.h"

#include <QHash>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <array>

// The resources live in a static library: nothing references them, so they are registered by hand.
static void registerArtworkResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace velun::artwork {
namespace {

constexpr std::array kIconSizes{16, 20, 24, 32, 48, 64};

void ensureResources()
{
    static const bool registered = [] {
        registerArtworkResources();
        return true;
    }();
    Q_UNUSED(registered);
}

QImage render(const QString& resource, const QSize& size)
{
    ensureResources();
    QSvgRenderer renderer(resource);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (!renderer.isValid())
        return image;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

// One icon per SVG, rendered at every size the grids, tabs and buttons ask for; built once, on the
// user-interface thread (pixmaps belong to it).
QIcon iconFor(const QString& name)
{
    static QHash<QString, QIcon> cache;
    const auto found = cache.constFind(name);
    if (found != cache.constEnd())
        return *found;
    const QString resource = QStringLiteral(":/velun/") + name + QStringLiteral(".svg");
    QIcon icon;
    for (int side : kIconSizes)
        icon.addPixmap(QPixmap::fromImage(render(resource, QSize(side, side))));
    cache.insert(name, icon);
    return icon;
}

QString tabName(TabIcon which)
{
    switch (which) {
    case TabIcon::StokListesi: return QStringLiteral("tab_stoklistesi");
    case TabIcon::Sepet: return QStringLiteral("tab_sepet");
    case TabIcon::OncekiSiparisler: return QStringLiteral("tab_oncekisiparisler");
    case TabIcon::CariEkstre: return QStringLiteral("tab_cariekstre");
    case TabIcon::YeniStoklar: return QStringLiteral("tab_yenistoklar");
    case TabIcon::KampanyaliStoklar: return QStringLiteral("tab_kampanyalistoklar");
    case TabIcon::Duyurular: return QStringLiteral("tab_duyurular");
    case TabIcon::Bakiyeler: return QStringLiteral("tab_bakiyeler");
    case TabIcon::SanalPos: return QStringLiteral("tab_sanalpos");
    case TabIcon::Dosyalar: return QStringLiteral("tab_dosyalar");
    }
    return {};
}

QString buttonName(ButtonIcon which)
{
    switch (which) {
    case ButtonIcon::Search: return QStringLiteral("btn_search");
    case ButtonIcon::Ara: return QStringLiteral("btn_ara");
    case ButtonIcon::Temizle: return QStringLiteral("btn_temizle");
    case ButtonIcon::Menu: return QStringLiteral("btn_menu");
    case ButtonIcon::CariSec: return QStringLiteral("btn_carisec");
    case ButtonIcon::Excel: return QStringLiteral("btn_excel");
    case ButtonIcon::Gonder: return QStringLiteral("btn_gonder");
    case ButtonIcon::Sil: return QStringLiteral("btn_sil");
    case ButtonIcon::Kapat: return QStringLiteral("btn_kapat");
    case ButtonIcon::Yenile: return QStringLiteral("btn_yenile");
    }
    return {};
}

} // namespace

QIcon tabIcon(TabIcon which)
{
    const QString name = tabName(which);
    return name.isEmpty() ? QIcon() : iconFor(name);
}

QIcon buttonIcon(ButtonIcon which)
{
    const QString name = buttonName(which);
    return name.isEmpty() ? QIcon() : iconFor(name);
}

QIcon stockIconAt(int listIndex)
{
    if (listIndex < 0 || listIndex > 9)
        return {};
    return iconFor(QStringLiteral("stock_") + QString::number(listIndex));
}

int stockStateIconIndex(int state)
{
    // State value → position in the icon list shared with the legend.
    static constexpr std::array kIndexOfState{4, 0, 8, 2, 1, 5};
    if (state < 0 || state >= static_cast<int>(kIndexOfState.size()))
        return -1;
    return kIndexOfState[static_cast<std::size_t>(state)];
}

QIcon stockStateIcon(int state)
{
    const int index = stockStateIconIndex(state);
    return index < 0 ? QIcon() : stockIconAt(index);
}

QIcon pictureIcon()
{
    return iconFor(QStringLiteral("picture"));
}

QIcon yesNoIcon(bool yes)
{
    return iconFor(yes ? QStringLiteral("yes") : QStringLiteral("no"));
}

QPixmap loginBackground(const QSize& size)
{
    if (size.isEmpty())
        return {};
    return QPixmap::fromImage(render(QStringLiteral(":/velun/login_background.svg"), size));
}

QString contactBlockHtml()
{
    // The distributor's own details; the web address follows the configured web host.
    return QStringLiteral("<div style=\"color:#434C58; font-size:12px;\">"
                          "<span style=\"color:#F28C28; font-size:13px; font-weight:bold;\">"
                          "VELUN Otomotiv Yedek Parça A.Ş.</span><br>"
                          "<span style=\"font-weight:normal;\">"
                          "Kestane Sokak No: 7, Yedek Parçacılar Sitesi<br>"
                          "34490 Başakşehir / İSTANBUL<br>"
                          "Tel: 0 (212) 555 01 00 &nbsp;·&nbsp; Faks: 0 (212) 555 01 01<br>"
                          "info@velun.example &nbsp;·&nbsp; www.")
        + config::webHost().toHtmlEscaped() + QStringLiteral("</span></div>");
}

} // namespace velun::artwork
