#pragma once
// A deterministic demo data set: fictional firms and brands, Turkish texts, the same rows on every run.

#include <QDate>
#include <QString>

namespace velun::appserver {

class Database;

struct DemoOptions
{
    int items = 500;            // catalogue size, a few hundred up to 1,000,000
    QString machineId;          // registered for the demo dealer when not empty
    QDate today;                // the day the dates are counted from; invalid means the current date
};

// Fills an empty, migrated store; throws when it already holds demo rows.
void loadDemoData(Database& database, const DemoOptions& options);

// The demo logins (user name / password as the dealer types them, upper case).
inline const QString kDemoDealerUser = QStringLiteral("DEMO");
inline const QString kDemoDealerPassword = QStringLiteral("1234");
inline const QString kDemoRepUser = QStringLiteral("TEMSILCI");
inline const QString kDemoRepPassword = QStringLiteral("1234");
// The other demo logins share the password "1234"; each has a machine registered.
inline const QString kDemoInactiveUser = QStringLiteral("PASIF");     // type 3, not active
inline const QString kDemoManagerUser = QStringLiteral("YONETICI");   // type 2
inline const QString kDemoType4User = QStringLiteral("BAYI");         // type 4
inline const QString kDemoRepMachine = QStringLiteral("DEMO-TEMSILCI-PC");
inline const QString kDemoInactiveMachine = QStringLiteral("DEMO-PASIF-PC");
inline const QString kDemoManagerMachine = QStringLiteral("DEMO-YONETICI-PC");
inline const QString kDemoType4Machine = QStringLiteral("DEMO-BAYI-PC");
// Customer numbers: the demo dealer's own, and the one with an overdue debt.
inline constexpr int kDemoDealerCustomer = 1001;
inline constexpr int kDemoOverdueCustomer = 1003;

// Which demo items are on campaign and which are new; a few are both.
inline constexpr bool isDemoCampaignItem(int stockNo) { return stockNo % 37 == 5; }
inline constexpr bool isDemoNewItem(int stockNo) { return stockNo % 53 == 7 || stockNo % 111 == 42; }

} // namespace velun::appserver
