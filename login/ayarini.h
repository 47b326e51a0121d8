#pragma once
// "ayar.ini": the remembered user name and password, a Windows INI file with one section "kullanici".
// Written as UTF-16LE with a byte order mark and CRLF lines, which Windows' profile functions read as
// Unicode; read back from that, from UTF-8, or from the Turkish ANSI code page of older files.

#include <QString>

namespace velun {

struct LoginSettings
{
    QString isim;
    QString sifre;
    bool hatirla = true; // a missing "hatırla" counts as ticked
};

class AyarIni
{
public:
    // The file in DataFolder(); tests pass their own path.
    explicit AyarIni(QString path);
    static QString defaultPath();

    bool exists() const;
    // The three keys; unreadable or missing values keep LoginSettings' defaults.
    LoginSettings read() const;
    // Writes the three keys into section "kullanici", keeping every other line of the file.
    // The file is readable and writable by its owner only; false when it cannot be written.
    bool write(const LoginSettings& settings) const;

    const QString& path() const { return m_path; }

private:
    QString m_path;
};

// The INI text of a file's bytes, whatever its encoding (exposed for tests).
QString decodeIniBytes(const QByteArray& bytes);

} // namespace velun
