#pragma once
// The server's embedded store: one SQLite file, one connection per worker thread
// (WAL, foreign keys, busy timeout), a schema brought up to date by versioned migrations.

#include <QSqlDatabase>
#include <QString>

#include "server/errors.h"

#include <QSqlQuery>
#include <QVariantList>

#include <functional>
#include <memory>

namespace velun::appserver {

struct ConnectionRegistry;

class Database
{
public:
    // path: the SQLite file; ":memory:" is refused (connections of the pool must share the store).
    explicit Database(QString path);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Applies every migration newer than the file's version, each in one transaction.
    void migrate();
    int schemaVersion();
    static int latestSchemaVersion();

    // The calling thread's connection to the store, opened on first use.
    QSqlDatabase connection();
    const QString& path() const { return m_path; }

    // Settings kept in the store (current client version, web host, ...).
    QString setting(const QString& key, const QString& fallback = {});
    void setSetting(const QString& key, const QString& value);

private:
    QString m_path;
    QString m_connectionPrefix;
    std::shared_ptr<ConnectionRegistry> m_registry; // names of the connections opened, for closing them
};

// Runs fn inside one transaction on db; rolls back and rethrows on any error.
void inTransaction(QSqlDatabase& db, const std::function<void()>& fn);

// Runs a prepared statement; throws DatabaseError with the driver's text when it fails.
void exec(QSqlQuery& query);
QSqlQuery exec(QSqlDatabase& db, const QString& sql, const QVariantList& binds = {});

// The store failed; travels as class "EDatabaseError".
class DatabaseError : public VelunError
{
public:
    using VelunError::VelunError;
    QString className() const override { return QStringLiteral("EDatabaseError"); }
};

} // namespace velun::appserver
