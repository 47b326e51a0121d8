#pragma once
// The quantity dialog "Sepete Ekle": the one window through which lines enter or change in the
// server-side basket. The add command opens it for a row of a list, the line-change command for a
// basket line.

#include "catalogue/quantitymath.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace velun {

class MemDataset;
class ServerConnection;
class TForm1;
class TSonucBilgisi;

// What the commands need of the main window.
struct BasketContext
{
    QWidget* owner = nullptr;
    ServerConnection* bagc = nullptr;
    TSonucBilgisi* sbilgi = nullptr;
    std::function<void()> reloadBasket; // the basket reload (totals and caption included)
};
// The main window's context, with the basket reload to run after a change.
BasketContext BasketContextOf(TForm1& form, std::function<void()> reloadBasket);

class Tstokayarinti : public QDialog
{
    Q_OBJECT
public:
    explicit Tstokayarinti(QWidget* owner);

    QLabel* barkod = nullptr;
    QLabel* adi = nullptr;
    QLabel* finishkod = nullptr;
    QLabel* marka = nullptr;
    QLabel* model = nullptr;
    QLabel* Image1 = nullptr;
    QSpinBox* adet = nullptr;
    QLineEdit* birimfiyat = nullptr;
    QLabel* indirimoran = nullptr;
    QLineEdit* indoran = nullptr;
    QLineEdit* indtutar = nullptr;
    QLineEdit* kdvdahiltutar = nullptr;
    QLineEdit* geneltutar = nullptr;
    QPushButton* ParcaliTus1 = nullptr; // "Sipariş ekle"
    QPushButton* ParcaliTus2 = nullptr; // "Vazgeç"

    double kdvoran = 0;
    double kdvlifiyat = 0;

    void setPricesEditable(bool editable);
    void setBoxes(const QuantityBoxes& boxes);
    QuantityBoxes boxes() const;
    // The amount in a money box (its text read with the user's separators; 0 when unreadable).
    double moneyValue(const QLineEdit* box) const;
    // The quantity as typed; nullopt when the text is not a number.
    std::optional<double> quantity() const;
    // Fetches the product picture on the connection (kept when there is none).
    void loadPicture(ServerConnection& connection, int stokno);
    bool hasProductPicture() const { return m_productPicture; }

    // The two commands; each opens the dialog modally and runs its accept step on OK.
    static void AddCommand(const BasketContext& context, MemDataset& source, QuantitySource kind, int stokno);
    static void ChangeCommand(const BasketContext& context, MemDataset& sepet, int sirano);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void quantityChanged();
    void recompute();
    void setMoney(QLineEdit* box, double value);
    bool m_productPicture = false;
};

} // namespace velun
