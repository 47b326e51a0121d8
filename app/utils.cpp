#include "app/utils.h"

#include "platform/hook.h"

#include "server/backgroundtask.h"
#ifdef Q_OS_WIN
#include "platform/identity.h"
#endif

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMessageBox>
#include <QMutex>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

namespace velun {
namespace {

platform::Hook<MessageDialogHook> g_dialogHook;
platform::Hook<SystemSoundHook> g_soundHook;

constexpr int kMessageFontPointSize = 15;

// The order in which buttons stand in a box, whatever order the caller named them in.
constexpr std::array kTableOrder{TMsgDlgBtn::mbYes,    TMsgDlgBtn::mbNo,       TMsgDlgBtn::mbOK,
                                 TMsgDlgBtn::mbCancel, TMsgDlgBtn::mbAbort,    TMsgDlgBtn::mbRetry,
                                 TMsgDlgBtn::mbIgnore, TMsgDlgBtn::mbAll,      TMsgDlgBtn::mbNoToAll,
                                 TMsgDlgBtn::mbYesToAll, TMsgDlgBtn::mbHelp,   TMsgDlgBtn::mbClose};

bool onUiThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && app->thread() == QThread::currentThread();
}

QString captionFor(TMsgDlgType kind)
{
    switch (kind) {
    case TMsgDlgType::mtWarning: return QStringLiteral("Uyarı");
    case TMsgDlgType::mtError: return QStringLiteral("Hata");
    case TMsgDlgType::mtInformation: return QStringLiteral("Bilgi");
    case TMsgDlgType::mtConfirmation: return QStringLiteral("Soru");
    case TMsgDlgType::mtCustom: break;
    }
    return QGuiApplication::applicationDisplayName();
}

QMessageBox::Icon iconFor(TMsgDlgType kind)
{
    switch (kind) {
    case TMsgDlgType::mtWarning: return QMessageBox::Warning;
    case TMsgDlgType::mtError: return QMessageBox::Critical;
    case TMsgDlgType::mtInformation: return QMessageBox::Information;
    case TMsgDlgType::mtConfirmation: return QMessageBox::Question;
    case TMsgDlgType::mtCustom: break;
    }
    return QMessageBox::NoIcon;
}

std::optional<SystemSound> soundFor(TMsgDlgType kind)
{
    switch (kind) {
    case TMsgDlgType::mtWarning: return SystemSound::Exclamation;
    case TMsgDlgType::mtError: return SystemSound::Hand;
    case TMsgDlgType::mtInformation: return SystemSound::Asterisk;
    case TMsgDlgType::mtConfirmation: return SystemSound::Question;
    case TMsgDlgType::mtCustom: break;
    }
    return std::nullopt;
}

QString soundThemeName(SystemSound sound)
{
    switch (sound) {
    case SystemSound::Exclamation: return QStringLiteral("dialog-warning");
    case SystemSound::Hand: return QStringLiteral("dialog-error");
    case SystemSound::Asterisk: return QStringLiteral("dialog-information");
    case SystemSound::Question: return QStringLiteral("dialog-question");
    }
    return {};
}

// Each button once, in table order; a box without buttons could never be closed, so it gets OK.
TMsgDlgButtons inTableOrder(const TMsgDlgButtons& buttons)
{
    TMsgDlgButtons ordered;
    for (TMsgDlgBtn b : kTableOrder) {
        if (buttons.contains(b))
            ordered.push_back(b);
    }
    if (ordered.isEmpty())
        ordered.push_back(TMsgDlgBtn::mbOK);
    return ordered;
}

// Escape answers Cancel, else No, else OK, else Close; a box with none of them ignores it.
std::optional<TMsgDlgBtn> escapeButtonOf(const TMsgDlgButtons& buttons)
{
    for (TMsgDlgBtn b : {TMsgDlgBtn::mbCancel, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbOK, TMsgDlgBtn::mbClose}) {
        if (buttons.contains(b))
            return b;
    }
    return std::nullopt;
}

std::optional<TMsgDlgBtn> askHook(const MessageDialogRequest& request)
{
    const MessageDialogHook hook = g_dialogHook.get();
    if (!hook)
        return std::nullopt;
    return hook(request);
}

void centreOnScreen(QWidget* w)
{
    const QScreen* screen = w->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    w->move(area.center() - QPoint(w->width() / 2, w->height() / 2));
}

// The box sizes itself when shown; only then can it be centred.
class CentredMessageBox : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event);
        centreOnScreen(this);
    }
    void resizeEvent(QResizeEvent* event) override
    {
        QMessageBox::resizeEvent(event);
        if (isVisible())
            centreOnScreen(this);
    }
};

MessageDialogRequest requestFor(const QString& text, TMsgDlgType kind, const TMsgDlgButtons& buttons,
                                TMsgDlgBtn defaultButton)
{
    MessageDialogRequest request;
    request.text = text;
    request.kind = kind;
    request.caption = captionFor(kind);
    request.buttons = inTableOrder(buttons);
    // A default that is not shown would leave no button focused: the first one takes its place.
    request.defaultButton = request.buttons.contains(defaultButton) ? defaultButton : request.buttons.front();
    for (TMsgDlgBtn b : request.buttons)
        request.buttonCaptions.push_back(MessageButtonCaption(b));
    return request;
}

TMsgDlgBtn showBox(const MessageDialogRequest& request, bool plain)
{
    // Owned by the active window so it stays above it; the pointer tells if that window took it along.
    QPointer<QMessageBox> box =
        new CentredMessageBox(iconFor(request.kind), request.caption, request.text, QMessageBox::NoButton,
                              QApplication::activeWindow());
    if (!plain) {
        QFont font = box->font();
        font.setPointSize(kMessageFontPointSize);
        box->setFont(font);
    }
    QHash<QAbstractButton*, TMsgDlgBtn> answerOf;
    QPushButton* defaultButton = nullptr;
    QList<QPushButton*> others;
    const std::optional<TMsgDlgBtn> escape = escapeButtonOf(request.buttons);
    for (qsizetype i = 0; i < request.buttons.size(); ++i) {
        const TMsgDlgBtn b = request.buttons[i];
        // One role for all keeps the table order; the platform would regroup buttons by role.
        QPushButton* button = box->addButton(request.buttonCaptions.value(i), QMessageBox::ActionRole);
        button->setObjectName(QStringLiteral("mb%1").arg(static_cast<int>(b)));
        answerOf.insert(button, b);
        if (b == request.defaultButton)
            defaultButton = button;
        else
            others.push_back(button);
        if (escape && b == *escape)
            box->setEscapeButton(button);
    }
    if (defaultButton) {
        box->setDefaultButton(defaultButton);
        QWidget* previous = defaultButton;
        for (QPushButton* next : others) {
            QWidget::setTabOrder(previous, next);
            previous = next;
        }
        defaultButton->setFocus(Qt::TabFocusReason);
    }
    box->exec();
    if (!box)
        return escape.value_or(TMsgDlgBtn::mbCancel);
    const TMsgDlgBtn answer = answerOf.value(box->clickedButton(), escape.value_or(TMsgDlgBtn::mbCancel));
    delete box;
    return answer;
}

} // namespace

QString MessageButtonCaption(TMsgDlgBtn button)
{
    switch (button) {
    case TMsgDlgBtn::mbYes: return QStringLiteral("Evet");
    case TMsgDlgBtn::mbNo: return QStringLiteral("Hayır");
    case TMsgDlgBtn::mbOK: return QStringLiteral("Tamam");
    case TMsgDlgBtn::mbCancel: return QStringLiteral("Vazgeç");
    case TMsgDlgBtn::mbAbort: return QStringLiteral("İptal");
    case TMsgDlgBtn::mbRetry: return QStringLiteral("Tekrar");
    case TMsgDlgBtn::mbIgnore: return QStringLiteral("Atla");
    case TMsgDlgBtn::mbAll: return QStringLiteral("Tümü");
    case TMsgDlgBtn::mbNoToAll: return QStringLiteral("Tümüne Hayır");
    case TMsgDlgBtn::mbYesToAll: return QStringLiteral("Tümüne Evet");
    case TMsgDlgBtn::mbHelp: return QStringLiteral("Yardım");
    case TMsgDlgBtn::mbClose: return QStringLiteral("Kapat");
    }
    return {};
}

TMsgDlgBtn ShowMessageDialog(const QString& text, TMsgDlgType kind, const TMsgDlgButtons& buttons,
                             TMsgDlgBtn defaultButton)
{
    // Windows belong to the user-interface thread; a worker's message is shown there and waited for.
    if (!onUiThread() && QCoreApplication::instance()) {
        TMsgDlgBtn answer = defaultButton;
        RunOnUiThreadAndWait([&] { answer = ShowMessageDialog(text, kind, buttons, defaultButton); });
        return answer;
    }
    const MessageDialogRequest request = requestFor(text, kind, buttons, defaultButton);
    if (const std::optional<TMsgDlgBtn> answer = askHook(request))
        return *answer;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        // No windows without an application: the text still reaches someone.
        std::fprintf(stderr, "%s: %s\n", qPrintable(request.caption), qPrintable(text));
        return request.defaultButton;
    }
    if (const std::optional<SystemSound> sound = soundFor(kind))
        PlaySystemSound(*sound);
    return showBox(request, false);
}

void ShowStandardWarning(const QString& text)
{
    if (!onUiThread() && QCoreApplication::instance()) {
        RunOnUiThreadAndWait([&] { ShowStandardWarning(text); });
        return;
    }
    MessageDialogRequest request;
    request.text = text;
    request.caption = QGuiApplication::applicationDisplayName();
    request.kind = TMsgDlgType::mtWarning;
    request.buttons = {TMsgDlgBtn::mbOK};
    request.defaultButton = TMsgDlgBtn::mbOK;
    request.buttonCaptions = {MessageButtonCaption(TMsgDlgBtn::mbOK)};
    request.standardWarning = true;
    if (askHook(request))
        return;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return;
    }
    showBox(request, true);
}

MessageDialogHook setMessageDialogHook(MessageDialogHook hook)
{
    return g_dialogHook.exchange(std::move(hook));
}

void PlaySystemSound(SystemSound sound)
{
    if (const SystemSoundHook hook = g_soundHook.get())
        return hook(sound);
    static const QString player = QStandardPaths::findExecutable(QStringLiteral("canberra-gtk-play"));
    if (!player.isEmpty() && QGuiApplication::platformName() != u"offscreen"
        && QProcess::startDetached(player, {QStringLiteral("-i"), soundThemeName(sound)}))
        return;
    QApplication::beep();
}

SystemSoundHook setSystemSoundHook(SystemSoundHook hook)
{
    return g_soundHook.exchange(std::move(hook));
}

namespace {

bool isSchemeChar(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'+'
        || c == u'-' || c == u'.';
}

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Characters that stand as they are in a path, query or fragment.
bool mayStand(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    static constexpr std::string_view kAllowed = "-._~!$&'()*+,;=:@/";
    return kAllowed.find(c) != std::string_view::npos;
}

// Where the path begins: after "scheme://" and the authority, or after the authority alone.
qsizetype pathStart(const QString& url)
{
    qsizetype authority = 0;
    const qsizetype schemeEnd = url.indexOf(u"://");
    if (schemeEnd > 0 && url.front().isLetter()
        && std::all_of(url.cbegin(), url.cbegin() + schemeEnd, isSchemeChar))
        authority = schemeEnd + 3;
    qsizetype i = authority;
    while (i < url.size() && url[i] != u'/' && url[i] != u'?' && url[i] != u'#')
        ++i;
    return i;
}

} // namespace

QString UrlEncode(const QString& url)
{
    const qsizetype start = pathStart(url);
    const QByteArray tail = url.mid(start).toUtf8();
    QByteArray encoded;
    encoded.reserve(tail.size());
    bool inFragment = false;
    for (qsizetype i = 0; i < tail.size(); ++i) {
        const char c = tail[i];
        if (c == '?') {
            encoded += c; // opens the query, or stands as it is inside the query and fragment
        } else if (c == '#' && !inFragment) {
            inFragment = true;
            encoded += c;
        } else if (c == '%' && i + 2 < tail.size() && isHex(tail[i + 1]) && isHex(tail[i + 2])) {
            encoded += c; // already encoded: encoding twice would change the URL
        } else if (mayStand(c)) {
            encoded += c;
        } else {
            static constexpr char kHex[] = "0123456789ABCDEF";
            const auto byte = static_cast<unsigned char>(c);
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return url.left(start) + QString::fromLatin1(encoded);
}

QString FindChromePath()
{
    QStringList candidates;
#ifdef Q_OS_WIN
    candidates = {QStringLiteral("C:\\Program Files (x86)\\Google\\Chrome\\Application\\chrome.exe"),
                  QStringLiteral("C:\\Program Files (x86)\\Google\\Application\\chrome.exe"),
                  QStringLiteral("C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe"),
                  QStringLiteral("C:\\Program Files\\Google\\Chrome\\chrome.exe"),
                  QStringLiteral("C:\\Users\\") + WindowsUserName()
                      + QStringLiteral("\\AppData\\Local\\Google\\Chrome\\Application\\chrome.exe")};
#else
    candidates = {QStringLiteral("/usr/bin/google-chrome"),     QStringLiteral("/usr/bin/google-chrome-stable"),
                  QStringLiteral("/opt/google/chrome/chrome"),  QStringLiteral("/usr/bin/chromium"),
                  QStringLiteral("/usr/bin/chromium-browser"), QStringLiteral("/snap/bin/chromium")};
#endif
    for (const QString& path : std::as_const(candidates)) {
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

QString DocumentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString DataFolder()
{
#ifdef Q_OS_WIN
    const QString base = QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA"));
#else
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
#endif
    const QString folder = base + QStringLiteral("/VELUN");
    if (!QFileInfo::exists(folder)) {
        if (!base.isEmpty())
            QDir().mkpath(base);
        // The settings hold a password in plain text: only the user may read them.
        QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return folder;
}

} // namespace velun
