#include "login/tkullanicikayit.h"

#include "platform/identity.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace velun {

Tkullanicikayit::Tkullanicikayit(QWidget* owner, const TSonucBilgisi& b, TIstek mode) : QDialog(owner), durum(mode)
{
    Bilgim.Kopyala(b);
    _idsi = MachineId();
    setWindowTitle(mode == TIstek::tyeni ? QStringLiteral("B2B İstek Formu") : QStringLiteral("Şifre Değiştirme İsteği"));
    resize(705, 320);
    auto* layout = new QVBoxLayout(this);
    auto* id = new QLabel(QStringLiteral("Bilgisayar ID: ") + _idsi, this);
    id->setObjectName(QStringLiteral("lblid"));
    id->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(id);
    auto* text = new QLabel(mode == TIstek::tyeni
                                ? QStringLiteral("Bu bilgisayar için kayıtlı bir kullanıcı yok. Kullanıcı açılması için "
                                                 "yukarıdaki Bilgisayar ID'yi distribütörünüze iletin.")
                                : QStringLiteral("Şifre değiştirme isteği için yukarıdaki Bilgisayar ID'yi ve kullanıcı "
                                                 "adınızı (%1) distribütörünüze iletin.")
                                      .arg(Bilgim.ADI()),
                            this);
    text->setWordWrap(true);
    layout->addWidget(text, 1);
    auto* close = new QPushButton(QStringLiteral("Kapat"), this);
    close->setObjectName(QStringLiteral("Button1"));
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(close, 0, Qt::AlignRight);
}

std::unique_ptr<Tkullanicikayit> Tkullanicikayit::Yeni(QWidget* AOwner, ServerConnection&, const TSonucBilgisi& _b)
{
    return std::unique_ptr<Tkullanicikayit>(new Tkullanicikayit(AOwner, _b, TIstek::tyeni));
}

std::unique_ptr<Tkullanicikayit> Tkullanicikayit::Ac(QWidget* AOwner, ServerConnection&, const TSonucBilgisi& _b)
{
    return std::unique_ptr<Tkullanicikayit>(new Tkullanicikayit(AOwner, _b, TIstek::teski));
}

} // namespace velun
