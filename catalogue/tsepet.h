#pragma once
// The basket tab "Sepet": the server's basket in the grid, the selection marks sent at once, the line
// command, the deletes, the totals of the selected lines and the overdue warning.

#include <QObject>

class QLabel;
class QMenu;
class QPushButton;
class QWidget;

namespace velun {

class MemDataset;
class TForm1;
class TSiparisFormu;
class VelunGrid;

// The order totals of the lines whose SEC is 1 (or of every line), rounded step by step.
struct BasketTotals
{
    double gross = 0;
    double discount = 0;
    double net = 0;
    double tax = 0;
    double grand = 0;
};
BasketTotals ComputeBasketTotals(MemDataset& lines, bool selectedOnly = true);

class TSepet : public QObject
{
    Q_OBJECT
public:
    explicit TSepet(TForm1& form);

    VelunGrid* cxGrid2 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QPushButton* Button4 = nullptr; // "Hepsini Seç"
    QPushButton* Button5 = nullptr; // "Seçimleri Kaldır"
    QLabel* lbluyarbakiye = nullptr;
    QWidget* siparisPaneli = nullptr; // the order form area
    QLabel* aratoplaml = nullptr;
    QLabel* indiriml = nullptr;
    QLabel* nettutarl = nullptr;
    QLabel* vergil = nullptr;
    QLabel* geneltoplaml = nullptr;
    QPushButton* Button1 = nullptr; // "Gönder"
    QPushButton* Button2 = nullptr; // "Excel Kaydet"
    TSiparisFormu* siparisFormu = nullptr; // the order form in siparisPaneli

    void ssepetShow();
    void ReloadBasket();
    void BasketTotals();
    void Deitir1Click();
    void SatrSil1Click();
    void HepsiniSil1Click();
    void Button4Click() { markAll(1); }
    void Button5Click() { markAll(0); }
    void Button2Click();
    void applyCustomerType();

private:
    void fitColumns();
    void markAll(int mark);
    void updateMark(int sirano, int mark);
    void startOverdueWarning();
    TForm1& m_form;
};

} // namespace velun
