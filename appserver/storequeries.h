#pragma once
// Lookups many server methods share: who is behind a machine, which customers that user may see,
// and the client version the server announces.

#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace velun::appserver {

class Database;

namespace store {

inline constexpr int kDefaultClientVersion = 13;
inline const QString kClientVersionKey = QStringLiteral("client_version");

// The user registered for a machine, with the user's customer and sales representative.
struct MachineUser
{
    int userId = 0;
    QString name;
    QString password;
    QString mail;
    int type = 3;
    bool active = false;
    int customerNo = 0; // 0: no customer of its own (a representative)
    QString customerName;
    QString customerCode;
    bool customerActive = true;
    int repNo = 0;
    QString repName;
    QString repPhone;
    QString repMail;

    bool isRepresentative() const { return type == 1 || type == 2; }
    // An active user whose own customer account, if any, is active too.
    bool mayLogIn() const { return active && (customerNo == 0 || customerActive); }
};

std::optional<MachineUser> machineUser(QSqlDatabase& db, const QString& machineId);

// Own customer for everyone; type 1 also the customers of the same representative; type 2 every customer.
bool maySeeCustomer(QSqlDatabase& db, const MachineUser& user, int customerNo);

// The version clients must have; kDefaultClientVersion when the setting is missing or not a positive number.
int clientVersion(Database& database);

// A text for a NOT NULL column: Qt binds a null QString as NULL, and "" from the wire may arrive as one.
inline QString nonNull(const QString& s) { return s.isNull() ? QStringLiteral("") : s; }

// Local time as stored in the store's date columns.
QString nowText();

} // namespace store
} // namespace velun::appserver
