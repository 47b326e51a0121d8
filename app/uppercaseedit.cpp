#include "app/uppercaseedit.h"

#include <QLineEdit>
#include <QLocale>

namespace velun {

QString TurkishUpper(const QString& text)
{
    static const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    return turkish.toUpper(text);
}

void ForceUpperCase(QLineEdit* edit)
{
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
        const QString upper = TurkishUpper(text);
        if (upper == text)
            return;
        const int cursor = edit->cursorPosition();
        edit->setText(upper);
        edit->setCursorPosition(std::min(cursor, static_cast<int>(upper.size())));
    });
}

} // namespace velun
