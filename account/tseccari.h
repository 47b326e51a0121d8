#pragma once
// The customer selection of sales representatives. This build keeps the customer the server gave
// the representative at login; searching and choosing another customer is not offered yet.

#include "server/baglantiu.h"

#include <QDialog>

class QLabel;

namespace velun {

class ServerConnection;

class Tseccari : public QDialog
{
    Q_OBJECT
public:
    explicit Tseccari(QWidget* owner);
    ServerConnection* bag = nullptr;   // the main connection (not owned)
    TSonucBilgisi* bilgim = nullptr;   // the login record itself; choosing a customer writes into it
    // Fills the window from bilgim before it is shown.
    void prepare();

private:
    QLabel* m_text;
};

} // namespace velun
