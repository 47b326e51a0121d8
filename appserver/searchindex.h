#pragma once
// The catalogue's search index: how search words are folded, and the bulk-load bracket that
// suspends the index triggers and rebuilds the index in one pass at the end.

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace velun::appserver::search {

// Folds a search word the way the index folds item texts: Turkish and ASCII letters to plain upper
// case (İ, i, ı, I → I; Ş → S, Ğ → G, Ü → U, Ö → O, Ç → C) and only letters and digits kept.
QString foldWord(const QString& word);

// The folded, non-empty, distinct words of a search text, in their order.
QStringList searchWords(const QString& text);

// Bulk loads (the demo catalogue) stop the per-row index triggers and rebuild once; both run inside the
// loader's transaction, so a failed load leaves the triggers as they were.
void suspendIndex(QSqlDatabase& db);
void rebuildIndex(QSqlDatabase& db);

} // namespace velun::appserver::search
