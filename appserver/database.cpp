#include "appserver/database.h"

#include <QHash>
#include <QThread>
#include <QSqlError>

#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

namespace velun::appserver {

// The connections one Database opened, shared with the threads that opened them so that
// whichever ends first (the thread or the Database) closes the connection exactly once.
struct ConnectionRegistry
{
    std::mutex mutex;
    std::set<QString> names;
};

namespace {

std::atomic<quint64> g_nextDatabaseSerial{1};
std::atomic<quint64> g_nextThreadSerial{1};

// Only the thread that opened a connection may touch it; from any other thread removing the
// registration is all Qt allows, and the driver closes the file when its last handle goes.
void closeAndRemove(const QString& name, bool ownThread)
{
    if (ownThread) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isValid())
            db.close();
    } // the handle must be gone before removeDatabase, or Qt reports it still in use
    QSqlDatabase::removeDatabase(name);
}

// Per thread: the connections this thread opened, closed on the thread itself when it ends.
class ThreadConnections
{
public:
    ~ThreadConnections() { closeAll(); }

    void add(const std::shared_ptr<ConnectionRegistry>& registry, const QString& name);

    void closeAll()
    {
        for (const Entry& e : m_entries) {
            if (std::shared_ptr<ConnectionRegistry> registry = e.registry.lock()) {
                std::lock_guard lock(registry->mutex);
                if (registry->names.erase(e.name) == 0)
                    continue; // the Database closed it already
                closeAndRemove(e.name, true);
            }
        }
        m_entries.clear();
    }

    quint64 serial() const { return m_serial; }

private:
    struct Entry
    {
        std::weak_ptr<ConnectionRegistry> registry;
        QString name;
    };
    std::vector<Entry> m_entries;
    quint64 m_serial = g_nextThreadSerial.fetch_add(1);
    bool m_watchingThread = false;
};

ThreadConnections& threadConnections()
{
    thread_local ThreadConnections connections;
    return connections;
}

void ThreadConnections::add(const std::shared_ptr<ConnectionRegistry>& registry, const QString& name)
{
    if (!m_watchingThread) {
        // QThread::finished is emitted on the ending thread before a wait() on it returns, so whoever
        // joins a worker finds its connections closed; the destructor covers threads that end otherwise.
        QThread* thread = QThread::currentThread();
        QObject::connect(thread, &QThread::finished, thread, [] { threadConnections().closeAll(); },
                         Qt::DirectConnection);
        m_watchingThread = true;
    }
    m_entries.push_back(Entry{registry, name});
}

// Transaction depth per connection of this thread: an inner inTransaction becomes a savepoint.
QHash<QString, int>& transactionDepths()
{
    thread_local QHash<QString, int> depths;
    return depths;
}

QString driverText(const QSqlError& error)
{
    QString text = error.databaseText();
    if (text.isEmpty())
        text = error.text();
    if (text.isEmpty())
        text = error.driverText();
    return text;
}

void runPlain(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql))
        throw DatabaseError(QStringLiteral("%1 (%2)").arg(driverText(q.lastError()), sql));
}

} // namespace

Database::Database(QString path)
    : m_path(std::move(path)), m_registry(std::make_shared<ConnectionRegistry>())
{
    if (m_path.isEmpty() || m_path == u":memory:" || m_path.startsWith(u"file::memory:"))
        throw DatabaseError(QStringLiteral("Veritabanı bir dosya olmalı; bellek içi veritabanı kullanılamaz"));
    m_connectionPrefix = QStringLiteral("velun-store-%1-").arg(g_nextDatabaseSerial.fetch_add(1));
}

Database::~Database()
{
    // Whoever owns the Database stops every worker first; what is left open is closed here.
    const QString mine = m_connectionPrefix + QString::number(threadConnections().serial());
    std::lock_guard lock(m_registry->mutex);
    for (const QString& name : m_registry->names)
        closeAndRemove(name, name == mine);
    m_registry->names.clear();
}

QSqlDatabase Database::connection()
{
    ThreadConnections& mine = threadConnections();
    const QString name = m_connectionPrefix + QString::number(mine.serial());
    if (QSqlDatabase::contains(name)) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isOpen())
            return db;
        closeAndRemove(name, true);
        std::lock_guard lock(m_registry->mutex);
        m_registry->names.erase(name);
    }

    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(m_path);
        if (!db.open()) {
            const QString why = driverText(db.lastError());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            throw DatabaseError(QStringLiteral("Veritabanı açılamadı: %1: %2").arg(m_path, why));
        }
        try {
            runPlain(db, QStringLiteral("PRAGMA busy_timeout = 5000"));
            runPlain(db, QStringLiteral("PRAGMA journal_mode = WAL"));
            runPlain(db, QStringLiteral("PRAGMA foreign_keys = ON"));
        } catch (...) {
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            throw;
        }
    }
    {
        std::lock_guard lock(m_registry->mutex);
        m_registry->names.insert(name);
    }
    mine.add(m_registry, name);
    return QSqlDatabase::database(name, false);
}

QString Database::setting(const QString& key, const QString& fallback)
{
    QSqlDatabase db = connection();
    QSqlQuery q = exec(db, QStringLiteral("SELECT value FROM settings WHERE key = ?"), {key});
    if (q.next())
        return q.value(0).toString();
    return fallback;
}

void Database::setSetting(const QString& key, const QString& value)
{
    QSqlDatabase db = connection();
    exec(db,
         QStringLiteral("INSERT INTO settings(key, value) VALUES(?, ?) "
                        "ON CONFLICT(key) DO UPDATE SET value = excluded.value"),
         {key, value});
}

void inTransaction(QSqlDatabase& db, const std::function<void()>& fn)
{
    const QString name = db.connectionName();
    const int outer = transactionDepths().value(name);
    const QString savepoint = QStringLiteral("velun_sp_%1").arg(outer);
    const auto restoreDepth = [&] {
        if (outer == 0)
            transactionDepths().remove(name);
        else
            transactionDepths()[name] = outer;
    };
    const auto rollback = [&] {
        try {
            if (outer == 0) {
                runPlain(db, QStringLiteral("ROLLBACK"));
            } else {
                runPlain(db, QStringLiteral("ROLLBACK TO ") + savepoint);
                runPlain(db, QStringLiteral("RELEASE ") + savepoint);
            }
        } catch (const DatabaseError&) {
            // SQLite may have rolled back by itself (a full disk, an interrupt); the first error is the one to report.
        }
    };

    // BEGIN IMMEDIATE takes the write lock up front, so a read followed by a write never fails on the upgrade.
    runPlain(db, outer == 0 ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("SAVEPOINT ") + savepoint);
    transactionDepths()[name] = outer + 1;
    try {
        fn();
    } catch (...) {
        restoreDepth();
        rollback();
        throw;
    }
    restoreDepth();
    try {
        runPlain(db, outer == 0 ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE ") + savepoint);
    } catch (...) {
        rollback();
        throw;
    }
}

void exec(QSqlQuery& query)
{
    if (!query.exec())
        throw DatabaseError(driverText(query.lastError()));
}

QSqlQuery exec(QSqlDatabase& db, const QString& sql, const QVariantList& binds)
{
    QSqlQuery q(db);
    if (!q.prepare(sql))
        throw DatabaseError(QStringLiteral("%1 (%2)").arg(driverText(q.lastError()), sql));
    for (const QVariant& v : binds)
        q.addBindValue(v);
    if (!q.exec())
        throw DatabaseError(driverText(q.lastError()));
    return q;
}

} // namespace velun::appserver
