#pragma once
// The login window: user name and password, "Beni hatırla", and the login bound to this machine.

#include "server/baglantiu.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velun {

class BusyIndicator;
class ServerConnection;

class Tgirisform : public QDialog
{
    Q_OBJECT
public:
    // owner: the main window; the login window is still a top-level window with its own taskbar entry.
    explicit Tgirisform(QWidget* owner);
    ~Tgirisform() override;

    // Set by the creator before the window is shown.
    ServerConnection* bagim = nullptr; // the main connection
    TSonucBilgisi* Bilgim = nullptr;   // the login record the login fills

    // Controls, named as the window's design names them.
    QLabel* arkaplan = nullptr;
    QLabel* iletisim = nullptr;
    QCheckBox* benihatirla = nullptr;
    QLineEdit* adi = nullptr;
    QLineEdit* sifre = nullptr;
    QPushButton* Button1 = nullptr; // "Giriş"
    QPushButton* Button2 = nullptr; // "Vazgeç"
    BusyIndicator* RxGIFAnimator1 = nullptr;

    // True while the host step or the login task runs.
    bool connecting() const { return m_connecting; }

public slots:
    void Button1Click();
    void Button2Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    bool adiKeyDown();
    bool sifreKeyDown();
    void Devamet(const QString& host);
    void finishLogin(bool success, const TSonucBilgisi& answer);
    void backToIdle();
    void saveSettings();

    QWidget* m_owner;
    QString idsi;
    bool m_connecting = false;
};

} // namespace velun
