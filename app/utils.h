#pragma once
// Helpers every window uses: the Turkish message dialog, URL and folder helpers, the browser lookup.

#include <QList>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace velun {

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// The value of each button is the index by which a caller names the default button.
enum class TMsgDlgBtn { mbYes = 0, mbNo = 1, mbOK = 2, mbCancel = 3, mbAbort = 4, mbRetry = 5, mbIgnore = 6,
                        mbAll = 7, mbNoToAll = 8, mbYesToAll = 9, mbHelp = 10, mbClose = 11 };
using TMsgDlgButtons = QList<TMsgDlgBtn>;

// Shows a modal message box centred on the screen: caption and sound by kind, Turkish button
// captions, the default button focused. Returns the button pressed.
TMsgDlgBtn ShowMessageDialog(const QString& text, TMsgDlgType kind, const TMsgDlgButtons& buttons,
                             TMsgDlgBtn defaultButton);

// The platform's plain warning box with one OK button (the login window's input checks).
void ShowStandardWarning(const QString& text);

// What a message box would have shown; tests read it and answer instead of a person.
struct MessageDialogRequest
{
    QString text;
    QString caption;
    TMsgDlgType kind = TMsgDlgType::mtCustom;
    TMsgDlgButtons buttons;
    TMsgDlgBtn defaultButton = TMsgDlgBtn::mbOK;
    QList<QString> buttonCaptions; // in the order shown
    bool standardWarning = false;
};
using MessageDialogHook = std::function<std::optional<TMsgDlgBtn>(const MessageDialogRequest&)>;
// Installed hook sees every dialog first; a returned button answers it without showing anything.
MessageDialogHook setMessageDialogHook(MessageDialogHook hook);

QString UrlEncode(const QString& url);
QString FindChromePath();
QString DocumentsFolder();
// The user's configuration folder + "/VELUN", created when missing.
QString DataFolder();

// The system sounds of the message kinds. PlaySystemSound plays the desktop's sound of that name when
// a player is installed (canberra-gtk-play), otherwise the plain beep.
enum class SystemSound { Exclamation, Hand, Asterisk, Question };
void PlaySystemSound(SystemSound sound);
// Tests see the sounds instead of hearing them; an installed hook replaces playing.
using SystemSoundHook = std::function<void(SystemSound)>;
SystemSoundHook setSystemSoundHook(SystemSoundHook hook);

// The caption a button of the message dialog shows ("Evet", "Hayır", ...).
QString MessageButtonCaption(TMsgDlgBtn button);

} // namespace velun
