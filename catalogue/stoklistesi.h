#pragma once
// The catalogue tab "Stok Listesi": the search box rules, the background search, the stock grid with
// its weighted wide / narrow layout and the price-information cell, and the double-click dispatch.

#include <QObject>

#include <functional>

class QAction;
class QMenu;

namespace velun {

struct BasketContext;
class MemDataset;
class TForm1;
class VelunGrid;

class TStokListesi : public QObject
{
    Q_OBJECT
public:
    explicit TStokListesi(TForm1& form);

    VelunGrid* cxGrid1 = nullptr;
    QMenu* popstok = nullptr;
    QAction* B1 = nullptr; // "Sipariş Bakiyeleriniz"
    QAction* s3 = nullptr; // "Siparişleri Göster"

    // The multi-line text of the "Fiyat Bilgisi" cell of a row.
    static QString FiyatBilgisi(const MemDataset& stok, int row);

    // Enter in the search box (after the key rules): checks the text and starts the search.
    void araeditEnter();
    // The column layout for the window's width; nothing while a search runs.
    void StokGridLayout();
    // Applies the user type's column rules once the login has decided the type.
    void applyCustomerType();
    bool searching() const { return m_searching; }

    // Where the double-click dispatch leads (the quantity dialog): add the current stock row, or
    // change the basket line with this SIRANO. Tests and the basket feature set them.
    std::function<void(int stokno)> openAdd;
    std::function<void(int sirano)> openChange;
    // The basket reload, run first when the basket has not been loaded yet.
    std::function<void()> reloadBasket;
    // Runs the dispatch for the focused row.
    void cxGrid1DBTableView1DblClick();

    // The backorder window, and the orders window for a stock number (0: all orders); set by the
    // orders feature. The menu items are greyed while they are unset.
    std::function<void()> openBackorders;
    std::function<void(int stokno)> openOrders;
    void B1Click();
    void s3Click(); // the focused row's orders; nothing without a focused row

    BasketContext basketContext();

signals:
    void searchFinished(bool ok);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void finishSearch(bool error);
    TForm1& m_form;
    bool m_searching = false;
};

} // namespace velun
