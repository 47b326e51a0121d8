#pragma once
// The tabs "Yeni Stoklar" and "Kampanyalı Stoklar": lists of items the distributor wants noticed,
// loaded in the background each time their tab is shown, with the stock list's double-click dispatch
// into the quantity dialog.

#include "app/customertype.h"
#include "app/gridcolumns.h"
#include "catalogue/quantitymath.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace velun {

class BusyIndicator;
class MemDataset;
class TForm1;
class TServerMethods1Client;
class TSonucBilgisi;
class VelunGrid;
class TableReader;
struct BasketContext;

// The SIRANO of the basket line holding the item, or nullopt when the item is not in the basket.
std::optional<int> BasketLineOf(const MemDataset& sepet, int stokno);

// One list tab: its grid, its background load and its double click.
class ItemListTab : public QObject
{
    Q_OBJECT
public:
    struct Setup
    {
        QWidget* tab = nullptr;
        MemDataset* dataset = nullptr;
        BusyIndicator* busy = nullptr;
        QString gridName;
        QString captionSuffix; // after the row count: "=Yeni Stoklar"
        QuantitySource source = QuantitySource::NewItems;
        RuleGrid rules = RuleGrid::YeniStoklar;
        std::vector<GridColumn> columns;
        std::function<TableReader(TServerMethods1Client& proxy, const TSonucBilgisi& bilgi)> call;
    };
    ItemListTab(TForm1& form, Setup setup);

    VelunGrid* grid() const { return m_grid; }
    // The tab load; nothing while the previous load of this tab still runs.
    void load();
    bool loading() const { return m_loading; }
    // The double-click dispatch for the focused row.
    void dispatchFocusedRow();

    // Where the dispatch leads; the quantity dialog unless a test replaces them.
    std::function<void(int stokno)> openAdd;
    std::function<void(int sirano)> openChange;
    // The basket reload, run first when the basket has not been loaded yet.
    std::function<void()> reloadBasket;

    void applyCustomerType();

signals:
    void loadFinished(bool ok);

protected:
    TForm1& m_form;

private:
    void finishLoad(bool error);
    BasketContext basketContext();
    Setup m_setup;
    VelunGrid* m_grid = nullptr;
    bool m_loading = false;
};

// "Yeni Stoklar": the new items, columns always sharing the grid's width.
class TYeniStoklar : public ItemListTab
{
    Q_OBJECT
public:
    explicit TYeniStoklar(TForm1& form);
    VelunGrid* cxGrid6 = nullptr;
    void syenilerShow() { load(); }
    void cxGridDBTableView5DblClick() { dispatchFocusedRow(); }
};

// "Kampanyalı Stoklar": the campaign items for the customer and the user type, laid out by weight.
class TKampanyaliStoklar : public ItemListTab
{
    Q_OBJECT
public:
    explicit TKampanyaliStoklar(TForm1& form);
    VelunGrid* cxkampanyali = nullptr;
    void skampanyaliShow() { load(); }
    void cxGridDBTableViewkampanyaliDblClick() { dispatchFocusedRow(); }
    void cxkampanyaliResize();
};

} // namespace velun
