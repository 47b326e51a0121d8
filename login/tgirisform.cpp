#include "login/tgirisform.h"

#include "account/tseccari.h"
#include "app/artwork.h"
#include "app/busyindicator.h"
#include "app/clientconfig.h"
#include "app/uppercaseedit.h"
#include "app/utils.h"
#include "login/ayarini.h"
#include "login/tdosyaindir.h"
#include "login/tkullanicikayit.h"
#include "platform/identity.h"
#include "platform/processend.h"
#include "server/backgroundtask.h"
#include "server/connection.h"
#include "server/connectwithretry.h"
#include "server/servermethods1client.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace velun {
namespace {

const QString kConnectMessage = QStringLiteral("Bağlantı Kurulamadı !");
const QString kNoHostMessage = QStringLiteral("Bağlantı Kurulamıyor Lütfen Tekrar Deneyiniz !");
const QString kWrongUserMessage = QStringLiteral("Kullanıcı Adı ve Şifre Hatalı Lütfen Tekrar Deneyiniz !");

// The login task's result, carried from the worker to the completion step.
struct LoginOutcome
{
    bool success = false;
    TSonucBilgisi answer;
};

QLabel* caption(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QStringLiteral("loginCaption"));
    return l;
}

} // namespace

Tgirisform::Tgirisform(QWidget* owner) : QDialog(nullptr), m_owner(owner)
{
    // A window of its own (own taskbar entry) rather than a child of the main window.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(QStringLiteral("Giriş"));
    setObjectName(QStringLiteral("girisform"));
    setFixedSize(368, 550);
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(13);
    f.setBold(true);
    setFont(f);

    arkaplan = new QLabel(this);
    arkaplan->setGeometry(0, 0, 368, 550);
    arkaplan->setPixmap(artwork::loginBackground(QSize(368, 550)));
    arkaplan->setScaledContents(true);

    caption(QStringLiteral(" Kullanıcı Adı:"), this)->setGeometry(44, 238, 280, 22);
    adi = new QLineEdit(this);
    adi->setObjectName(QStringLiteral("adi"));
    adi->setGeometry(44, 262, 280, 28);
    ForceUpperCase(adi);

    caption(QStringLiteral(" Şifre:"), this)->setGeometry(44, 300, 280, 22);
    sifre = new QLineEdit(this);
    sifre->setObjectName(QStringLiteral("sifre"));
    sifre->setGeometry(44, 324, 280, 28);
    sifre->setEchoMode(QLineEdit::Password);
    ForceUpperCase(sifre);

    benihatirla = new QCheckBox(QStringLiteral("Beni hatırla"), this);
    benihatirla->setObjectName(QStringLiteral("benihatirla"));
    benihatirla->setGeometry(44, 360, 180, 22);
    benihatirla->setChecked(true);

    Button1 = new QPushButton(QStringLiteral("Giriş"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(44, 392, 130, 34);
    RxGIFAnimator1 = new BusyIndicator(this);
    RxGIFAnimator1->setGeometry(172 + 4, 397, 24, 24);
    RxGIFAnimator1->hide();
    Button2 = new QPushButton(QStringLiteral("Vazgeç"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(204, 392, 120, 34);
    // Enter belongs to the edits' own handlers, never to a default button.
    for (QPushButton* b : {Button1, Button2}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    iletisim = new QLabel(this);
    iletisim->setObjectName(QStringLiteral("iletisim"));
    iletisim->setGeometry(24, 446, 320, 96);
    iletisim->setTextFormat(Qt::RichText);
    iletisim->setAlignment(Qt::AlignCenter);
    iletisim->setWordWrap(true);
    iletisim->setText(artwork::contactBlockHtml());

    connect(Button1, &QPushButton::clicked, this, &Tgirisform::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tgirisform::Button2Click);
    adi->installEventFilter(this);
    sifre->installEventFilter(this);
    setTabOrder(adi, sifre);
    setTabOrder(sifre, benihatirla);
    setTabOrder(benihatirla, Button1);
    setTabOrder(Button1, Button2);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    FormCreate();
    adi->setFocus();
}

Tgirisform::~Tgirisform() = default;

void Tgirisform::FormCreate()
{
    idsi = MachineId();
    const AyarIni ini(AyarIni::defaultPath());
    if (!ini.exists())
        return;
    const LoginSettings s = ini.read();
    benihatirla->setChecked(s.hatirla);
    if (s.hatirla) {
        adi->setText(s.isim);
        sifre->setText(s.sifre);
    }
}

bool Tgirisform::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == adi)
                return adiKeyDown();
            if (watched == sifre)
                return sifreKeyDown();
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool Tgirisform::adiKeyDown()
{
    if (adi->text().trimmed().isEmpty()) {
        PlaySystemSound(SystemSound::Hand);
        ShowStandardWarning(QStringLiteral("Lütfen kullanıcı adını giriniz !"));
        adi->selectAll();
        adi->setFocus();
        return true;
    }
    sifre->selectAll();
    sifre->setFocus();
    return true;
}

bool Tgirisform::sifreKeyDown()
{
    if (sifre->text().trimmed().isEmpty()) {
        PlaySystemSound(SystemSound::Hand);
        ShowStandardWarning(QStringLiteral("Lütfen kullanıcı şifresini giriniz !"));
        sifre->selectAll();
        sifre->setFocus();
        return true;
    }
    Button1Click();
    return true;
}

void Tgirisform::Button2Click()
{
    platform::EndProcess(0);
}

void Tgirisform::Button1Click()
{
    if (m_connecting || !Button1->isEnabled())
        return;
    m_connecting = true;
    Button1->setText(QStringLiteral("Bağlanıyor..."));
    Button1->setEnabled(false);
    RxGIFAnimator1->start();

    // Host step: the distributor's configured server host.
    RunTask(
        this,
        [](TaskState& state) { state.payload = config::serverHost(); },
        [this](TaskState& state) {
            Button1->setText(QStringLiteral("Giriş!"));
            RxGIFAnimator1->stop();
            Devamet(std::any_cast<QString>(state.payload));
        });
}

void Tgirisform::Devamet(const QString& host)
{
    if (host.trimmed().isEmpty()) {
        ShowMessageDialog(kNoHostMessage, TMsgDlgType::mtError, {TMsgDlgBtn::mbOK}, TMsgDlgBtn::mbOK);
        m_connecting = false;
        Button1->setEnabled(true);
        return;
    }
    Bilgim->setDisip(host);
    bagim->Params.setValue(connparam::HostName, host);

    // The clone is made here, on the thread that owns the main connection, and used by the worker.
    std::shared_ptr<ServerConnection> clone(bagim->clone().release());
    const QString machine = idsi;
    RxGIFAnimator1->start();
    RunTask(
        this,
        [clone, machine, host](TaskState& state) {
            LoginOutcome outcome;
            if (ConnectWithRetry(*clone, 0)) {
                try {
                    TServerMethods1Client proxy(clone->dbxConnection());
                    if (std::optional<TSonucBilgisi> answer = proxy.BuyukGetir(machine)) {
                        outcome.answer.Kopyala(*answer);
                        outcome.success = true;
                    }
                } catch (const std::exception&) {
                    outcome.success = false;
                }
                clone->close();
            }
            if (outcome.success) {
                outcome.answer.setBilgiSayarAdi(ComputerName());
                outcome.answer.setBilgisayarKullanici(WindowsUserName());
                outcome.answer.setIcip(LocalIpAddress());
                outcome.answer.setBILGISAYARID(MachineId());
                outcome.answer.setDisip(host);
            }
            state.payload = outcome;
        },
        [this](TaskState& state) {
            const auto outcome = std::any_cast<LoginOutcome>(state.payload);
            finishLogin(outcome.success, outcome.answer);
        });
}

void Tgirisform::finishLogin(bool success, const TSonucBilgisi& answer)
{
    RxGIFAnimator1->stop();
    m_connecting = false;
    if (!success) {
        ShowMessageDialog(kConnectMessage, TMsgDlgType::mtError, {TMsgDlgBtn::mbOK}, TMsgDlgBtn::mbOK);
        backToIdle();
        return;
    }
    Bilgim->Kopyala(answer);

    if (Bilgim->Version() != config::kClientVersion) {
        Tdosyaindir update(this, Bilgim->Version());
        update.exec(); // the update ends the process; if it comes back, the decisions go on
    }
    if (!Bilgim->Varmi()) {
        std::unique_ptr<Tkullanicikayit> request = Tkullanicikayit::Yeni(this, *bagim, *Bilgim);
        request->exec();
        platform::EndProcess(0);
        return;
    }
    if (Bilgim->ADI() != adi->text() || Bilgim->SIFRE() != sifre->text()) {
        ShowMessageDialog(kWrongUserMessage, TMsgDlgType::mtWarning, {TMsgDlgBtn::mbOK}, TMsgDlgBtn::mbOK);
        backToIdle();
        return;
    }
    saveSettings(); // before the activity check: an inactive user's name and password are kept too
    if (Bilgim->AKTIF() != 1) {
        ShowMessageDialog(kWrongUserMessage, TMsgDlgType::mtWarning, {TMsgDlgBtn::mbOK}, TMsgDlgBtn::mbOK);
        backToIdle();
        return;
    }
    if (Bilgim->MusteriTipi() == 1 || Bilgim->MusteriTipi() == 2) {
        Tseccari seccari(this);
        seccari.bag = bagim;
        seccari.bilgim = Bilgim;
        seccari.prepare();
        if (seccari.exec() != QDialog::Accepted) {
            platform::EndProcess(0);
            return;
        }
    }
    accept();
}

void Tgirisform::backToIdle()
{
    m_connecting = false;
    RxGIFAnimator1->stop();
    Button1->setEnabled(true);
    adi->selectAll();
    adi->setFocus();
}

void Tgirisform::saveSettings()
{
    LoginSettings s;
    s.isim = adi->text();
    s.sifre = sifre->text();
    s.hatirla = benihatirla->isChecked();
    AyarIni(AyarIni::defaultPath()).write(s);
}

} // namespace velun
