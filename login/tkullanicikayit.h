#pragma once
// The request window: a new-user request for an unregistered machine, or a password-change request.
// This build shows the machine identifier the distributor needs; the request form itself is not offered yet.

#include "server/baglantiu.h"

#include <QDialog>

#include <memory>

namespace velun {

class ServerConnection;

enum class TIstek { tyeni, teski };

class Tkullanicikayit : public QDialog
{
    Q_OBJECT
public:
    static std::unique_ptr<Tkullanicikayit> Yeni(QWidget* AOwner, ServerConnection& _c, const TSonucBilgisi& _b);
    static std::unique_ptr<Tkullanicikayit> Ac(QWidget* AOwner, ServerConnection& _c, const TSonucBilgisi& _b);

    TIstek durum = TIstek::tyeni;
    QString _idsi;
    TSonucBilgisi Bilgim; // the window's own copy

private:
    Tkullanicikayit(QWidget* owner, const TSonucBilgisi& b, TIstek mode);
};

} // namespace velun
