#pragma once
// The program's own artwork, drawn from SVG sources held in the resources.

#include <QIcon>
#include <QPixmap>

namespace velun::artwork {

enum class TabIcon { StokListesi, Sepet, OncekiSiparisler, CariEkstre, YeniStoklar, KampanyaliStoklar, Duyurular,
                     Bakiyeler, SanalPos, Dosyalar };
enum class ButtonIcon { Search, Ara, Temizle, Menu, CariSec, Excel, Gonder, Sil, Kapat, Yenile };

QIcon tabIcon(TabIcon which);
QIcon buttonIcon(ButtonIcon which);
// The list of ten 24×24 stock icons shared by the grids and the legend: 0 "Var", 1 "Özel Sipariş",
// 2 "Yolda", 4 "Yok", 5 "Tedarik Sürecinde", 8 "Telefon Açınız"; 3, 6, 7 and 9 belong to no state.
QIcon stockIconAt(int listIndex);
// A stock-state value 0..5 of the DURUM / warehouse columns → its icon (0 Yok, 1 Var, 2 Telefon Açınız,
// 3 Yolda, 4 Özel Sipariş, 5 Tedarik Sürecinde); a null icon for any other value.
QIcon stockStateIcon(int state);
int stockStateIconIndex(int state); // -1 for a value without icon
QIcon pictureIcon();                // the picture column's "Var"
QIcon yesNoIcon(bool yes);          // the new / campaign columns: 0 "Hayır", 1 "Evet"
QPixmap loginBackground(const QSize& size);
// The distributor's contact block for the login window.
QString contactBlockHtml();

} // namespace velun::artwork
