#include "login/ayarini.h"

#include "app/utils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringConverter>

namespace velun {
namespace {

const QString kSection = QStringLiteral("kullanici");
const QString kIsim = QStringLiteral("isim");
const QString kSifre = QStringLiteral("sifre");
const QString kHatirla = QStringLiteral("hatırla");

// Windows-1254 bytes 0x80..0xFF; the Turkish letters sit where Latin-1 has Ð Ý Þ ð ý þ.
QChar cp1254(unsigned char b)
{
    static const char16_t high[32] = {u'€', 0x81,   u'‚', u'ƒ', u'„', u'…', u'†', u'‡', u'ˆ', u'‰', u'Š',
                                      u'‹', u'Œ',   0x8D, 0x8E, 0x8F, 0x90, u'‘', u'’', u'“', u'”', u'•',
                                      u'–', u'—',   u'˜', u'™', u'š', u'›', u'œ', 0x9D, 0x9E, u'Ÿ'};
    if (b < 0x80)
        return QChar(char16_t(b));
    if (b < 0xA0)
        return QChar(high[b - 0x80]);
    switch (b) {
    case 0xD0: return QChar(u'Ğ');
    case 0xDD: return QChar(u'İ');
    case 0xDE: return QChar(u'Ş');
    case 0xF0: return QChar(u'ğ');
    case 0xFD: return QChar(u'ı');
    case 0xFE: return QChar(u'ş');
    default: return QChar(char16_t(b));
    }
}

struct IniLine
{
    QString text;
};

bool isSectionLine(const QString& line, QString* name = nullptr)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']')))
        return false;
    if (name)
        *name = t.mid(1, t.size() - 2).trimmed();
    return true;
}

bool keyOf(const QString& line, QString& key, QString& value)
{
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('#')))
        return false;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    key = t.left(eq).trimmed();
    value = t.mid(eq + 1).trimmed();
    return true;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QStringList readLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QString text = decodeIniBytes(f.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

QString decodeIniBytes(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes.mid(2));
    if (bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringDecoder::Utf16BE).decode(bytes.mid(2));
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString asUtf8 = utf8.decode(bytes);
    if (!utf8.hasError())
        return asUtf8;
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes)
        out.append(cp1254(static_cast<unsigned char>(c)));
    return out;
}

AyarIni::AyarIni(QString path) : m_path(std::move(path)) {}

QString AyarIni::defaultPath()
{
    return DataFolder() + QStringLiteral("/ayar.ini");
}

bool AyarIni::exists() const
{
    return QFileInfo(m_path).isFile();
}

LoginSettings AyarIni::read() const
{
    LoginSettings s;
    QString section;
    for (const QString& line : readLines(m_path)) {
        QString name;
        if (isSectionLine(line, &name)) {
            section = name;
            continue;
        }
        QString key, value;
        if (!sameName(section, kSection) || !keyOf(line, key, value))
            continue;
        if (sameName(key, kIsim))
            s.isim = value;
        else if (sameName(key, kSifre))
            s.sifre = value;
        else if (sameName(key, kHatirla)) {
            bool ok = false;
            const int n = value.toInt(&ok);
            if (ok) // like a Windows INI Boolean: 0 is false, any other number true, text keeps the default
                s.hatirla = n != 0;
        }
    }
    return s;
}

bool AyarIni::write(const LoginSettings& settings) const
{
    QStringList lines = readLines(m_path);
    const QList<std::pair<QString, QString>> values = {
        {kIsim, settings.isim}, {kSifre, settings.sifre}, {kHatirla, settings.hatirla ? QStringLiteral("1") : QStringLiteral("0")}};

    // Find our section; update its keys in place and append the missing ones at its end.
    qsizetype start = -1, end = lines.size();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString name;
        if (!isSectionLine(lines[i], &name))
            continue;
        if (start >= 0) {
            end = i;
            break;
        }
        if (sameName(name, kSection))
            start = i;
    }
    if (start < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines << QString();
        lines << QStringLiteral("[%1]").arg(kSection);
        start = lines.size() - 1;
        end = lines.size();
    }
    qsizetype insertAt = end;
    while (insertAt > start + 1 && lines[insertAt - 1].trimmed().isEmpty())
        --insertAt;
    for (const auto& [key, value] : values) {
        bool found = false;
        for (qsizetype i = start + 1; i < end; ++i) {
            QString k, v;
            if (keyOf(lines[i], k, v) && sameName(k, key)) {
                lines[i] = key + QLatin1Char('=') + value;
                found = true;
                break;
            }
        }
        if (!found) {
            lines.insert(insertAt++, key + QLatin1Char('=') + value);
            ++end;
        }
    }

    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Owner only: the file holds a password in plain text.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QStringEncoder utf16(QStringEncoder::Utf16LE);
    file.write("\xFF\xFE", 2);
    file.write(utf16.encode(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
    if (!file.commit())
        return false;
    QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}

} // namespace velun
