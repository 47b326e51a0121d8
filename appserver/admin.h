#pragma once
// The administration command line of velun-server: every subcommand except "serve".

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace velun::appserver {

// args: the command line after the program name, the subcommand first ({"init", "--db", "velun.db"}).
// Exit code: 0 done, 1 failed (the reason on stderr), 2 wrong usage (the usage text on stderr).
int runAdmin(const QStringList& args);
// The same, writing to the given streams.
int runAdmin(const QStringList& args, QTextStream& out, QTextStream& err);

// The help text listing every subcommand.
QString adminUsage();

} // namespace velun::appserver
