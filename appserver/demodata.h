#pragma once
// A deterministic demo data set: fictional firms and brands, Turkish texts, the same rows on every run.

#include <QString>

namespace velun::appserver {

class Database;

struct DemoOptions
{
    int items = 500;            // catalogue size, a few hundred up to 1,000,000
    QString machineId;          // registered for the demo dealer when not empty
};

// Fills an empty, migrated store; throws when it already holds demo rows.
void loadDemoData(Database& database, const DemoOptions& options);

// The demo logins (user name / password as the dealer types them, upper case).
inline const QString kDemoDealerUser = QStringLiteral("DEMO");
inline const QString kDemoDealerPassword = QStringLiteral("1234");
inline const QString kDemoRepUser = QStringLiteral("TEMSILCI");
inline const QString kDemoRepPassword = QStringLiteral("1234");

} // namespace velun::appserver
