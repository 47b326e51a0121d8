#include "appserver/storequeries.h"

#include "appserver/database.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QVariant>

namespace velun::appserver::store {

std::optional<MachineUser> machineUser(QSqlDatabase& db, const QString& machineId)
{
    // A dealer's representative is the one of the dealer's customer; a representative is its own.
    QSqlQuery q = exec(db,
                       QStringLiteral(
                           "SELECT k.SIRANO, k.ADI, k.SIFRE, k.MAIL, k.MUSTERITIPI, k.AKTIF, "
                           "COALESCE(c.CARINO, 0), COALESCE(c.CARIADI, ''), COALESCE(c.CARIKOD, ''), COALESCE(c.AKTIF, 1), "
                           "COALESCE(s.SATICINO, 0), COALESCE(s.SATICIADI, ''), COALESCE(s.SATICITELEFON, ''), "
                           "COALESCE(s.SATICIMAIL, '') "
                           "FROM makineler m JOIN kullanicilar k ON k.SIRANO = m.KULLANICI "
                           "LEFT JOIN cariler c ON c.CARINO = k.CARINO "
                           "LEFT JOIN saticilar s ON s.SATICINO = CASE WHEN k.MUSTERITIPI IN (1, 2) "
                           "THEN COALESCE(k.SATICINO, c.SATICINO) ELSE COALESCE(c.SATICINO, k.SATICINO) END "
                           "WHERE m.BILGISAYARID = ?"),
                       {machineId});
    if (!q.next())
        return std::nullopt;
    MachineUser u;
    u.userId = q.value(0).toInt();
    u.name = q.value(1).toString();
    u.password = q.value(2).toString();
    u.mail = q.value(3).toString();
    u.type = q.value(4).toInt();
    u.active = q.value(5).toInt() == 1;
    u.customerNo = q.value(6).toInt();
    u.customerName = q.value(7).toString();
    u.customerCode = q.value(8).toString();
    u.customerActive = q.value(9).toInt() == 1;
    u.repNo = q.value(10).toInt();
    u.repName = q.value(11).toString();
    u.repPhone = q.value(12).toString();
    u.repMail = q.value(13).toString();
    return u;
}

bool maySeeCustomer(QSqlDatabase& db, const MachineUser& user, int customerNo)
{
    if (customerNo <= 0)
        return false;
    if (customerNo == user.customerNo)
        return true;
    if (user.type == 2) {
        QSqlQuery q = exec(db, QStringLiteral("SELECT 1 FROM cariler WHERE CARINO = ?"), {customerNo});
        return q.next();
    }
    if (user.type == 1 && user.repNo > 0) {
        QSqlQuery q = exec(db, QStringLiteral("SELECT 1 FROM cariler WHERE CARINO = ? AND SATICINO = ?"),
                           {customerNo, user.repNo});
        return q.next();
    }
    return false;
}

int clientVersion(Database& database)
{
    bool ok = false;
    const int v = database.setting(kClientVersionKey).toInt(&ok);
    return ok && v > 0 ? v : kDefaultClientVersion;
}

QString nowText() { return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

} // namespace velun::appserver::store
