#pragma once
// Who and where the client runs: the machine identifier the server knows a registration by, and the
// computer name, user name and address sent beside it.
//
// The environment variable VELUN_MACHINE_ID, when set and not blank, is the machine identifier as it
// stands (no disk or adapter is asked); the demo and the window tests use it to reach a known
// registration. Aliases are read from the file named by VELUN_MACHINE_ALIASES, or else from
// /etc/velun/machine-aliases: lines "SERIAL=SHARED", '#' starts a comment.

#include "platform/hddinfo.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace velun {

// The identifier: first disk's serial from the device database, then the drive component's serial,
// then the adapter address, then the alias table. Every call asks the machine anew.
QString MachineId();
// The host name (up to 63 characters); empty when the system gives none.
QString ComputerName();
// The name of the account the client runs as; empty when it cannot be found.
QString WindowsUserName();
// The local IPv4 address the host name resolves to; "127.0.0.1" when there is none.
QString LocalIpAddress();
// The first network adapter with a non-zero address, as "AA-BB-CC-DD-EE-FF"; empty when none has one.
QString MacAddress();

// Where MachineId takes its raw answers from; every source may throw, which empties only its step.
struct IdentitySources
{
    std::function<QString()> deviceDatabaseSerial;                  // the first physical disk's serial
    std::function<QString(const QString& deviceName, bool queryAgain)> driveSerial; // the drive component's
    std::function<QString()> macAddress;
    std::function<QHash<QString, QString>()> aliases;               // serial -> shared identifier
};

// Replaces the sources for the whole process and returns the previous ones; members left empty
// use the system's own source.
IdentitySources setIdentitySources(IdentitySources sources);

// The drive component's route: name the device (a query), set drive 0 (a query), optionally query
// once more; the raw serial of the last query. The automatic method reads by drive number, so every
// device name reads the first physical disk.
QString DriveRouteSerial(const QString& deviceName, bool queryAgain, const platform::SystemPaths& paths = {});

struct NetworkAdapter
{
    QString hardwareAddress; // as the system writes it, "aa:bb:cc:dd:ee:ff"
    bool loopback = false;
    bool physical = true; // backed by a device; virtual adapters often draw a new address at every start
};
// The first non-zero six-byte address, physical adapters first, each group in the given order.
QString FirstAdapterAddress(const QList<NetworkAdapter>& adapters);
// The first IPv4 address of the host name's resolver answer that is not a loopback address, else the
// first such address of the adapters, else a loopback address of the answer, else "127.0.0.1".
QString ChooseLocalAddress(const QStringList& resolved, const QStringList& adapterAddresses);

// Alias lines "SERIAL=SHARED"; blank lines, '#' comments and lines without both sides are skipped.
QHash<QString, QString> ParseMachineAliases(const QString& text);
QString MachineAliasesPath();

} // namespace velun
