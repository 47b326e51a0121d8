#include "platform/identity.h"

#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QHostInfo>
#include <QMutex>
#include <QNetworkInterface>
#include <QSysInfo>

#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace velun {
namespace {

using platform::StripLowChars;

QMutex g_sourcesMutex;
IdentitySources g_sources;

// Serials of machines that share one registration; the distributor's data, none by default.
const QHash<QString, QString>& builtInAliases()
{
    static const QHash<QString, QString> table;
    return table;
}

// Serials are ASCII; upper-casing only a–z keeps the identifier the same under every locale.
QString upperAscii(QString text)
{
    for (QChar& c : text)
        if (c >= u'a' && c <= u'z')
            c = QChar(char16_t(c.unicode() - (u'a' - u'A')));
    return text;
}

QString databaseSerial(const QString& raw) { return StripLowChars(upperAscii(raw)); }

// A disk serial of one to three characters is a placeholder, not an identity.
QString diskSerial(const QString& raw)
{
    const QString serial = upperAscii(StripLowChars(raw));
    return serial.size() < 4 ? QString() : serial;
}

template<typename Step>
auto runStep(Step step) -> decltype(step())
{
    try {
        return step();
    } catch (...) {
        return {};
    }
}

QString systemDeviceDatabaseSerial()
{
    return platform::DeviceDatabaseSerial(platform::PhysicalDisks().value(0));
}

QString systemDriveSerial(const QString& deviceName, bool queryAgain)
{
    return DriveRouteSerial(deviceName, queryAgain);
}

QHash<QString, QString> systemAliases()
{
    QHash<QString, QString> aliases = builtInAliases();
    QFile file(MachineAliasesPath());
    if (file.open(QIODevice::ReadOnly)) {
        const QHash<QString, QString> configured = ParseMachineAliases(QString::fromUtf8(file.read(1 << 20)));
        for (auto it = configured.cbegin(); it != configured.cend(); ++it)
            aliases.insert(it.key(), it.value());
    }
    return aliases;
}

IdentitySources currentSources()
{
    IdentitySources s;
    {
        QMutexLocker lock(&g_sourcesMutex);
        s = g_sources;
    }
    if (!s.deviceDatabaseSerial)
        s.deviceDatabaseSerial = systemDeviceDatabaseSerial;
    if (!s.driveSerial)
        s.driveSerial = systemDriveSerial;
    if (!s.macAddress)
        s.macAddress = MacAddress;
    if (!s.aliases)
        s.aliases = systemAliases;
    return s;
}

} // namespace

QString MachineId()
{
    const QString forced = StripLowChars(qEnvironmentVariable("VELUN_MACHINE_ID"));
    if (!forced.isEmpty())
        return forced;

    const IdentitySources s = currentSources();
    QString id = runStep([&] { return databaseSerial(s.deviceDatabaseSerial()); });
    if (id.isEmpty())
        id = runStep([&] { return diskSerial(s.driveSerial(QStringLiteral("PhysicalDrive0"), false)); });
    if (id.isEmpty())
        id = runStep([&] { return diskSerial(s.driveSerial(QStringLiteral("PhysicalDrive1"), true)); });
    if (StripLowChars(id).isEmpty())
        id = runStep([&] { return StripLowChars(s.macAddress()); });
    const QHash<QString, QString> aliases = runStep([&] { return s.aliases(); });
    return aliases.value(id, id);
}

IdentitySources setIdentitySources(IdentitySources sources)
{
    QMutexLocker lock(&g_sourcesMutex);
    std::swap(g_sources, sources);
    return sources;
}

QString DriveRouteSerial(const QString& deviceName, bool queryAgain, const platform::SystemPaths& paths)
{
    platform::THDDInfo info(nullptr);
    info.setSystemPaths(paths);
    info.setMethod(platform::TGetInfoMethod::gimAuto);
    info.setDeviceName(deviceName);
    info.setDrive(platform::TDrive::dPrimaryMaster);
    if (queryAgain)
        info.GetInfo();
    return info.serialNumber();
}

QString ComputerName()
{
    // Linux allows 64 characters where Windows stopped at 15; the name is kept whole.
    return QSysInfo::machineHostName().left(63);
}

QString WindowsUserName()
{
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? std::size_t(suggested) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
        return QString::fromLocal8Bit(found->pw_name);
    // Accounts from directories the name service cannot reach still have a login name.
    for (const char* variable : {"USER", "LOGNAME"}) {
        const QString name = qEnvironmentVariable(variable);
        if (!name.isEmpty())
            return name;
    }
    return {};
}

QString ChooseLocalAddress(const QStringList& resolved, const QStringList& adapterAddresses)
{
    const auto firstIpv4 = [](const QStringList& candidates, bool loopbackAllowed) -> QString {
        for (const QString& text : candidates) {
            const QHostAddress address(text);
            if (address.protocol() == QAbstractSocket::IPv4Protocol && (loopbackAllowed || !address.isLoopback()))
                return address.toString();
        }
        return {};
    };
    // Linux host files usually map the host name to 127.0.1.1; the adapters know the address others see.
    for (const QString& found : {firstIpv4(resolved, false), firstIpv4(adapterAddresses, false),
                                 firstIpv4(resolved, true)})
        if (!found.isEmpty())
            return found;
    return QStringLiteral("127.0.0.1");
}

QString LocalIpAddress()
{
    QStringList resolved;
    for (const QHostAddress& address : QHostInfo::fromName(QHostInfo::localHostName()).addresses())
        resolved.append(address.toString());
    QStringList adapterAddresses;
    for (const QHostAddress& address : QNetworkInterface::allAddresses())
        adapterAddresses.append(address.toString());
    return ChooseLocalAddress(resolved, adapterAddresses);
}

namespace {
QString formattedAdapterAddress(const QString& hardwareAddress)
{
    const QStringList parts = hardwareAddress.split(u':', Qt::SkipEmptyParts);
    if (parts.size() < 6)
        return {}; // no address (tunnels, point-to-point links)
    QStringList bytes;
    for (int i = 0; i < 6; ++i) {
        bool ok = false;
        const uint value = parts[i].toUInt(&ok, 16);
        if (!ok || value > 0xFF || parts[i].size() > 2)
            return {};
        bytes.append(QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper());
    }
    return bytes.join(u'-');
}
} // namespace

QString FirstAdapterAddress(const QList<NetworkAdapter>& adapters)
{
    static const QString zero = QStringLiteral("00-00-00-00-00-00");
    for (const bool physicalPass : {true, false}) {
        for (const NetworkAdapter& adapter : adapters) {
            if (adapter.loopback || adapter.physical != physicalPass)
                continue;
            const QString formatted = formattedAdapterAddress(adapter.hardwareAddress);
            if (!formatted.isEmpty() && formatted != zero)
                return formatted;
        }
    }
    return {};
}

QString MacAddress()
{
    QList<NetworkAdapter> adapters;
    for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces()) {
        const bool loopback = iface.flags().testFlag(QNetworkInterface::IsLoopBack)
                              || iface.type() == QNetworkInterface::Loopback;
        const bool physical = QFileInfo::exists(QStringLiteral("/sys/class/net/") + iface.name()
                                                + QStringLiteral("/device"));
        adapters.append({iface.hardwareAddress(), loopback, physical});
    }
    return FirstAdapterAddress(adapters);
}

QHash<QString, QString> ParseMachineAliases(const QString& text)
{
    QHash<QString, QString> aliases;
    for (const QString& rawLine : text.split(u'\n')) {
        const QString line = StripLowChars(rawLine);
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype separator = line.indexOf(u'=');
        if (separator < 0)
            continue;
        const QString serial = upperAscii(StripLowChars(line.left(separator)));
        const QString shared = StripLowChars(line.mid(separator + 1));
        if (!serial.isEmpty() && !shared.isEmpty())
            aliases.insert(serial, shared);
    }
    return aliases;
}

QString MachineAliasesPath()
{
    const QString configured = qEnvironmentVariable("VELUN_MACHINE_ALIASES");
    return configured.isEmpty() ? QStringLiteral("/etc/velun/machine-aliases") : configured;
}

} // namespace velun
