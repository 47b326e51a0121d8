#include "appserver/searchindex.h"

#include "appserver/database.h"

namespace velun::appserver::search {
namespace {

QChar foldChar(QChar c)
{
    switch (c.unicode()) {
    case u'ı': case u'İ': case u'î': case u'Î': return u'I';
    case u'ş': case u'Ş': return u'S';
    case u'ğ': case u'Ğ': return u'G';
    case u'ü': case u'Ü': case u'û': case u'Û': return u'U';
    case u'ö': case u'Ö': return u'O';
    case u'ç': case u'Ç': return u'C';
    case u'â': case u'Â': return u'A';
    default: break;
    }
    // Only ASCII is upper-cased, as SQLite's upper() does on the index side.
    if (c >= u'a' && c <= u'z')
        return QChar(c.unicode() - u'a' + u'A');
    return c;
}

} // namespace

QString foldWord(const QString& word)
{
    QString out;
    out.reserve(word.size());
    for (QChar c : word)
        if (c.isLetterOrNumber())
            out += foldChar(c);
    return out;
}

QStringList searchWords(const QString& text)
{
    QStringList words;
    QString current;
    const auto flush = [&] {
        const QString folded = foldWord(current);
        if (!folded.isEmpty() && !words.contains(folded))
            words.append(folded);
        current.clear();
    };
    for (QChar c : text) {
        if (c.isSpace())
            flush();
        else
            current += c;
    }
    flush();
    return words;
}

void suspendIndex(QSqlDatabase& db)
{
    exec(db, QStringLiteral("INSERT OR IGNORE INTO stok_arama_askida(ASKIDA) VALUES (1)"));
}

void rebuildIndex(QSqlDatabase& db)
{
    exec(db, QStringLiteral("DELETE FROM stok_arama_askida"));
    exec(db, QStringLiteral("DELETE FROM stok_arama"));
    exec(db, QStringLiteral("INSERT INTO stok_arama(rowid, METIN) SELECT STOKNO, METIN FROM stok_arama_metni"));
    exec(db, QStringLiteral("INSERT INTO stok_arama(stok_arama) VALUES ('optimize')"));
    exec(db, QStringLiteral("DELETE FROM stok_kod"));
    exec(db, QStringLiteral("INSERT OR IGNORE INTO stok_kod(KOD, STOKNO) "
                            "SELECT KOD, STOKNO FROM stok_kodlari WHERE KOD <> '' ORDER BY KOD, STOKNO"));
}

} // namespace velun::appserver::search
