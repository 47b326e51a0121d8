#pragma once
// Line edits that force what is typed to upper case with Turkish rules (i → İ, ı → I).

class QLineEdit;
class QString;

namespace velun {

QString TurkishUpper(const QString& text);
// Rewrites the edit's text in upper case as it is typed, keeping the cursor where it was.
void ForceUpperCase(QLineEdit* edit);

} // namespace velun
